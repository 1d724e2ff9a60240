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

    GroupBox1 = new QGroupBox(QStringLiteral(" QuiltMaps "), this);
    GroupBox1->setGeometry(2, 0, 627, 125);

    StocksDir = new widgets::TAdvDirectoryEdit(GroupBox1);
    StocksDir->setGeometry(16, 35, 601, 21);
    StocksDir->setLabelCaption(
        QStringLiteral("Select Directory where to store the created QuiltMaps  (default Folder "
                       "\"QuiltMaps\" in programdir)"));
    StocksDir->setLabelPosition(widgets::TAdvDirectoryEdit::lpTopLeft);
    StocksDir->setLabelFont(tahomaFont());
    StocksDir->setColor(palette().color(QPalette::Base));
    StocksDir->setBrowseDialogTitle(QStringLiteral("Select Directory"));

    HTMLabel3 = new widgets::THTMLabel(GroupBox1);
    HTMLabel3->setGeometry(16, 67, 601, 17);
    HTMLabel3->setHTMLText(
        { QStringLiteral("DEFAULT: How many Icons per <b>ROW</b>. <SUP>(can be "
                         "temporarly changed while creating QuiltMaps)</SUP>") });
    HTMLabel3->setTransparent(true);

    edit_columns = new widgets::TMoneyEdit(GroupBox1);
    edit_columns->setGeometry(16, 90, 73, 21);
    edit_columns->setMaxLength(5);

    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setGeometry(550, 131, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });

    setTabOrder(StocksDir, edit_columns);
    setTabOrder(edit_columns, Button1);
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
