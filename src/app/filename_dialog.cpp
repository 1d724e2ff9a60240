#include "app/filename_dialog.h"

#include "app/window_look.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quiltmap::app {

namespace {

constexpr int mrOk = 1;
constexpr int mrAbort = 3;

} // namespace

TfrmFilename::TfrmFilename(QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    applyWindowLook(*this, QStringLiteral("frmFilename"), QStringLiteral("Save QuiltMap"));
    setFixedSize(263, 84);

    auto *label1
        = new QLabel(QStringLiteral("Select Filename of QuiltMap (without extension!)"), this);
    label1->setGeometry(8, 8, 247, 13);
    auto *editFilename = new QLineEdit(this);
    editFilename->setGeometry(8, 24, 247, 21);
    auto *butok = new QPushButton(QStringLiteral("&Ok"), this);
    butok->setGeometry(99, 51, 75, 25);
    auto *butabort = new QPushButton(QStringLiteral("&Abort"), this);
    butabort->setGeometry(180, 51, 75, 25);
    connect(butok, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(butabort, &QPushButton::clicked, this, [this] { done(mrAbort); });

    setTabOrder(butabort, editFilename);
    setTabOrder(editFilename, butok);
}

} // namespace quiltmap::app
