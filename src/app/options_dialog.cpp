#include "app/options_dialog.h"

#include "app/window_look.h"
#include "widgets/adv_directory_edit.h"
#include "widgets/html_label.h"
#include "widgets/money_edit.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>

namespace quiltmap::app {

TfrmOptions::TfrmOptions(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    applyWindowLook(*this, QStringLiteral("frmOptions"), QStringLiteral("Options"));
    setFixedSize(633, 168);

    auto *groupBox1 = new QGroupBox(QStringLiteral(" QuiltMaps "), this);
    groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    groupBox1->setGeometry(2, 0, 627, 125);

    StocksDir = new widgets::TAdvDirectoryEdit(groupBox1);
    StocksDir->setObjectName(QStringLiteral("StocksDir"));
    StocksDir->setGeometry(16, 35, 601, 21);
    StocksDir->setLabelCaption(
        QStringLiteral("Select Directory where to store the created QuiltMaps  (default Folder "
                       "\"QuiltMaps\" in programdir)"));
    StocksDir->setLabelPosition(widgets::TAdvDirectoryEdit::lpTopLeft);
    StocksDir->setLabelFont(tahomaFont());
    StocksDir->setColor(palette().color(QPalette::Base));
    StocksDir->setBrowseDialogTitle(QStringLiteral("Select Directory"));

    auto *htmLabel3 = new widgets::THTMLabel(groupBox1);
    htmLabel3->setObjectName(QStringLiteral("HTMLabel3"));
    htmLabel3->setGeometry(16, 67, 601, 17);
    htmLabel3->setHTMLText(
        { QStringLiteral("DEFAULT: How many Icons per <b>ROW</b>. <SUP>(can be "
                         "temporarly changed while creating QuiltMaps)</SUP>") });
    htmLabel3->setTransparent(true);

    edit_columns = new widgets::TMoneyEdit(groupBox1);
    edit_columns->setObjectName(QStringLiteral("edit_columns"));
    edit_columns->setGeometry(16, 90, 73, 21);
    edit_columns->setMaxLength(5);

    auto *button1 = new QPushButton(QStringLiteral("&Ok"), this);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setGeometry(550, 131, 75, 25);
    button1->setDefault(true);
    connect(button1, &QPushButton::clicked, this, [this] { done(mrOk); });

    setTabOrder(StocksDir, edit_columns);
    setTabOrder(edit_columns, button1);
}

QString TfrmOptions::quiltMapFolder() const
{
    return StocksDir->text();
}

void TfrmOptions::setQuiltMapFolder(const QString &text)
{
    StocksDir->setText(text);
}

QString TfrmOptions::tilesPerRowText() const
{
    return edit_columns->text();
}

void TfrmOptions::setTilesPerRowText(const QString &text)
{
    edit_columns->setText(text);
}

// The window's close command.
void TfrmOptions::reject()
{
    done(mrCancel);
}

void TfrmOptions::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    // Enter that a field passed on: the fields keep it, it does not press the default button.
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace quiltmap::app
