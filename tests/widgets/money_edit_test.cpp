#include "common/error.h"
#include "common/error_sink.h"
#include "widgets/calculator_panel.h"
#include "widgets/locale_scope.h"
#include "widgets/money_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace quiltmap::widgets {
namespace {

using test::LocaleScope;

class MoneyEdit : public testing::Test
{
protected:
    MoneyEdit()
    {
        m_window.resize(300, 200);
        m_edit = new TMoneyEdit(&m_window);
        m_edit->setGeometry(8, 34, 73, 21);
        m_next = new TMoneyEdit(&m_window);
        m_next->setGeometry(88, 34, 73, 21);
        m_window.show();
        m_window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_window));
        m_edit->setFocus(Qt::OtherFocusReason);
    }

    QString typed(const QString &start, const QString &keys)
    {
        m_edit->setText(start);
        QTest::keyClicks(m_edit, keys);
        return m_edit->text();
    }

    LocaleScope m_locale { LocaleScope::english() };
    QWidget m_window;
    TMoneyEdit *m_edit;
    TMoneyEdit *m_next;
};

TEST_F(MoneyEdit, StartsAtZeroRightAligned)
{
    EXPECT_EQ(m_edit->text(), QStringLiteral("0"));
    EXPECT_TRUE(m_edit->alignment() & Qt::AlignRight);
}

TEST_F(MoneyEdit, ValueShowsTheGeneralNumberFormat)
{
    m_edit->setValue(48);
    EXPECT_EQ(m_edit->text(), QStringLiteral("48"));
    EXPECT_EQ(m_edit->Value(), 48);
    const LocaleScope german(LocaleScope::german());
    m_edit->setValue(12.5);
    EXPECT_EQ(m_edit->text(), QStringLiteral("12,5"));
}

TEST_F(MoneyEdit, TypingFollowsTheKeyRules)
{
    EXPECT_EQ(typed(QStringLiteral("0"), QStringLiteral("7")), QStringLiteral("7"));
    EXPECT_EQ(typed(QString(), QStringLiteral("123456")), QStringLiteral("12345"));
    EXPECT_EQ(typed(QStringLiteral("12"), QStringLiteral("a ")), QStringLiteral("12"));
    EXPECT_EQ(
        typed(QStringLiteral("0"), QStringLiteral("99999*99999=")), QStringLiteral("9999800001"));
}

TEST_F(MoneyEdit, LimitAppliesToTypingOnly)
{
    m_edit->setText(QStringLiteral("1234567"));
    EXPECT_EQ(m_edit->text(), QStringLiteral("1234567"));
    m_edit->setSelection(0, 2);
    QTest::keyClicks(m_edit, QStringLiteral("9"));
    EXPECT_EQ(m_edit->text(), QStringLiteral("1234567"));
    m_edit->setSelection(0, 3);
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    QTest::keyClicks(m_edit, QStringLiteral("9"));
    EXPECT_EQ(m_edit->text(), QStringLiteral("94567"));
}

TEST_F(MoneyEdit, EnterArmsNewvalAndStaysWithTheField)
{
    QDialog dialog;
    auto *edit = new TMoneyEdit(&dialog);
    auto *ok = new QPushButton(QStringLiteral("&Ok"), &dialog);
    ok->setDefault(true);
    const QSignalSpy pressed(ok, &QPushButton::clicked);
    dialog.show();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("12"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    QTest::keyClicks(edit, QStringLiteral("5"));
    EXPECT_EQ(edit->text(), QStringLiteral("5"));
    EXPECT_EQ(pressed.count(), 0);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(MoneyEdit, BackspaceAndDeleteNeverLeaveTheFieldEmptyOneByOne)
{
    m_edit->setText(QStringLiteral("5"));
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    EXPECT_EQ(m_edit->text(), QStringLiteral("0"));

    m_edit->setText(QStringLiteral("48"));
    m_edit->selectAll();
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    EXPECT_EQ(m_edit->text(), QString());

    m_edit->setText(QStringLiteral("48"));
    m_edit->selectAll();
    QTest::keyClick(m_edit, Qt::Key_Delete);
    EXPECT_EQ(m_edit->text(), QStringLiteral("0"));
}

TEST_F(MoneyEdit, ClipboardKeysWorkWithoutFilteringButPasteIsCut)
{
    QApplication::clipboard()->setText(QStringLiteral("ab-cdefg\nh"));
    m_edit->setText(QStringLiteral("1"));
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_edit->text(), QStringLiteral("1"));
    QTest::keyClick(m_edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(m_edit->text(), QStringLiteral("1ab-c"));

    m_edit->setSelection(1, 2);
    QTest::keyClick(m_edit, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ab"));
    QTest::keyClick(m_edit, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(m_edit->text(), QStringLiteral("1-c"));
}

TEST_F(MoneyEdit, OperationOnPastedTextFailsWithTheConversionError)
{
    QStringList reported;
    setErrorSink([&](const Error &error, QObject *) { reported.append(error.message()); });
    m_edit->setText(QStringLiteral("12a"));
    QTest::keyClick(m_edit, Qt::Key_Plus);
    setErrorSink({});
    EXPECT_EQ(reported, QStringList { QStringLiteral("'12a' ist kein gültiger Gleitkommawert") });
    EXPECT_EQ(m_edit->text(), QStringLiteral("12a"));
}

TEST_F(MoneyEdit, GermanSeparators)
{
    const LocaleScope german(LocaleScope::german());
    EXPECT_EQ(typed(QStringLiteral("1"), QStringLiteral(".,5,")), QStringLiteral("1,5"));
    EXPECT_EQ(typed(QStringLiteral("0"), QStringLiteral("25/2=")), QStringLiteral("12,5"));
}

TEST_F(MoneyEdit, ExitOnlyWhenTheFocusMovesToAnotherControlOfTheWindow)
{
    QSignalSpy exits(m_edit, &TMoneyEdit::Exit);
    QTest::keyClick(m_edit, Qt::Key_Tab);
    EXPECT_TRUE(m_next->hasFocus());
    EXPECT_EQ(exits.count(), 1);

    m_edit->setFocus();
    QTest::keyClick(m_edit, Qt::Key_F4);
    EXPECT_EQ(exits.count(), 1);

    QWidget other;
    other.show();
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(exits.count(), 1);
}

TEST_F(MoneyEdit, NoExitForTheMenuBar)
{
    m_next->setFocus();
    QSignalSpy exits(m_edit, &TMoneyEdit::Exit);
    QFocusEvent toMenuBar(QEvent::FocusOut, Qt::MenuBarFocusReason);
    QApplication::sendEvent(m_edit, &toMenuBar);
    EXPECT_EQ(exits.count(), 0);
}

TEST_F(MoneyEdit, FocusFromTheKeyboardSelectsAll)
{
    m_next->setText(QStringLiteral("48"));
    QTest::keyClick(m_edit, Qt::Key_Tab);
    EXPECT_EQ(m_next->selectedText(), QStringLiteral("48"));
}

TEST_F(MoneyEdit, DropButtonSitsInsideTheRightEnd)
{
    auto *button = m_edit->findChild<QPushButton *>();
    ASSERT_TRUE(button);
    // Client coordinates W - 20, 0, 15 x (H - 5), inside the 2-pixel border.
    EXPECT_EQ(button->geometry(), QRect(55, 2, 15, 16));
    EXPECT_EQ(m_edit->textMargins().right(), 18);
}

class CalculatorPanel : public MoneyEdit
{
protected:
    TTabForm *openByKey()
    {
        QTest::keyClick(m_edit, Qt::Key_F4);
        TTabForm *panel = m_edit->calculatorPanel();
        EXPECT_TRUE(panel);
        return panel;
    }

    // A click delivered through the window, as the platform delivers it, so that an open
    // pop-up sees it first.
    void clickThroughWindow(QWidget *target)
    {
        const QPoint centre = target->mapTo(&m_window, target->rect().center());
        QTest::mouseClick(m_window.windowHandle(), Qt::LeftButton, {}, centre);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void clickButton(TTabForm *panel, int column, int row)
    {
        const QPoint centre = TTabForm::cellPosition(column, row) + QPoint(12, 12);
        QWidget *button = panel->childAt(centre);
        ASSERT_TRUE(button);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 12));
    }
};

TEST_F(CalculatorPanel, OpensBelowTheFieldWithTheButtonGrid)
{
    TTabForm *panel = openByKey();
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->size(), QSize(134, 108));
    EXPECT_TRUE(panel->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(panel->windowFlags() & Qt::WindowStaysOnTopHint);
    const QPoint client = m_edit->mapToGlobal(QPoint(2, 2));
    EXPECT_EQ(panel->pos(), QPoint(client.x(), client.y() + m_edit->height()));

    QStringList captions;
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 5; ++column) {
            const auto *button = qobject_cast<QAbstractButton *>(
                panel->childAt(TTabForm::cellPosition(column, row) + QPoint(1, 1)));
            captions.append(button ? button->text() : QString());
        }
    EXPECT_EQ(captions.join(u'|'),
        QStringLiteral("7 |8 |9 |+ ||4 |5 |6 |- |% |1 |2 |3 |* |C |0 |+/- |. |/ |= "));
}

TEST_F(CalculatorPanel, ButtonsCalculateOnTheFieldText)
{
    TTabForm *panel = openByKey();
    ASSERT_TRUE(panel);
    clickButton(panel, 1, 3); // 1
    clickButton(panel, 2, 3); // 2
    clickButton(panel, 4, 1); // +
    clickButton(panel, 3, 3); // 3
    clickButton(panel, 5, 4); // =
    EXPECT_EQ(m_edit->text(), QStringLiteral("15"));
    clickButton(panel, 2, 4); // +/-
    EXPECT_EQ(m_edit->text(), QStringLiteral("-15"));
}

TEST_F(CalculatorPanel, KeysCalculateAndClose)
{
    TTabForm *panel = openByKey();
    ASSERT_TRUE(panel);
    QTest::keyClicks(panel, QStringLiteral("12+3"));
    EXPECT_EQ(m_edit->text(), QStringLiteral("3"));
    QTest::keyClick(panel, Qt::Key_Return);
    EXPECT_EQ(m_edit->text(), QStringLiteral("15"));
    QTest::qWait(0);
    EXPECT_FALSE(m_edit->calculatorPanel());

    for (const Qt::Key closing : { Qt::Key_Escape, Qt::Key_Tab, Qt::Key_F4 }) {
        m_edit->setFocus();
        panel = openByKey();
        ASSERT_TRUE(panel);
        QPointer<TTabForm> watched(panel);
        QTest::keyClick(panel, closing);
        EXPECT_FALSE(panel->isVisible());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(watched) << "destroyed when closed";
    }
}

TEST_F(CalculatorPanel, DropButtonTogglesThePanel)
{
    auto *drop = m_edit->findChild<QPushButton *>();
    ASSERT_TRUE(drop);
    clickThroughWindow(drop);
    QPointer<TTabForm> panel = m_edit->calculatorPanel();
    ASSERT_TRUE(panel);
    EXPECT_EQ(QApplication::activePopupWidget(), panel.data());

    clickThroughWindow(drop);
    EXPECT_FALSE(panel);
    EXPECT_FALSE(m_edit->calculatorPanel());

    clickThroughWindow(drop);
    EXPECT_TRUE(m_edit->calculatorPanel());
}

TEST_F(CalculatorPanel, ClosingOtherwiseLetsTheNextDropClickOpen)
{
    auto *drop = m_edit->findChild<QPushButton *>();
    ASSERT_TRUE(drop);
    clickThroughWindow(drop);
    ASSERT_TRUE(m_edit->calculatorPanel());
    clickThroughWindow(m_next);
    EXPECT_FALSE(m_edit->calculatorPanel());
    clickThroughWindow(drop);
    ASSERT_TRUE(m_edit->calculatorPanel());

    QTest::keyClick(m_edit->calculatorPanel(), Qt::Key_Return);
    clickThroughWindow(drop);
    EXPECT_TRUE(m_edit->calculatorPanel());
}

} // namespace
} // namespace quiltmap::widgets
