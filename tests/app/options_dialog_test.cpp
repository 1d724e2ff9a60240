#include "app/options_dialog.h"
#include "widgets/money_edit.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <gtest/gtest.h>

namespace quiltmap::app {
namespace {

TEST(OptionsDialogKeys, EscapeAndEnterInAFieldDoNotCloseIt)
{
    TfrmOptions dialog;
    dialog.show();
    dialog.setResult(0);
    for (QWidget *target : { dialog.findChild<QWidget *>(QStringLiteral("edit_columns")),
             static_cast<QWidget *>(&dialog) }) {
        for (const int key : { Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter }) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &press);
            EXPECT_TRUE(dialog.isVisible()) << key;
        }
    }
    EXPECT_EQ(dialog.result(), 0);
}

TEST(OptionsDialogKeys, OkButtonAcceptsAndTheCloseCommandCancels)
{
    TfrmOptions dialog;
    dialog.show();
    dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), TfrmOptions::mrOk);

    dialog.show();
    dialog.close();
    EXPECT_EQ(dialog.result(), TfrmOptions::mrCancel);
}

} // namespace
} // namespace quiltmap::app
