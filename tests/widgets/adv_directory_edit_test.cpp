#include "support/temp_dir.h"
#include "widgets/adv_directory_edit.h"
#include "widgets/folder_browser.h"
#include "widgets/folder_glyph.h"
#include "widgets/placement.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace quiltmap::widgets {
namespace {

// Answers every browse with a fixed folder (or a cancel) and records how it was asked.
class FakeBrowser : public FolderBrowser
{
public:
    explicit FakeBrowser(std::optional<QString> answer)
        : m_answer(std::move(answer))
    { }

    std::optional<QString> browse(
        QWidget *, const QString &startFolder, const QString &title) override
    {
        starts.append(startFolder);
        titles.append(title);
        return m_answer;
    }

    QStringList starts;
    QStringList titles;

private:
    std::optional<QString> m_answer;
};

class DirectoryEdit : public testing::Test
{
protected:
    DirectoryEdit()
    {
        m_window.resize(500, 200);
        m_other = new QPushButton(&m_window);
        m_edit = new TAdvDirectoryEdit(&m_window);
        m_edit->setGeometry(3, 30, 390, 21);
        m_window.show();
        m_window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_window));
        m_edit->setFocus(Qt::OtherFocusReason);
    }

    // The texts reported with each change, in order.
    QStringList changes(const std::function<void()> &action)
    {
        QStringList reported;
        const auto connection = QObject::connect(
            m_edit, &TAdvDirectoryEdit::Change, [&] { reported.append(m_edit->text()); });
        action();
        QObject::disconnect(connection);
        return reported;
    }

    FakeBrowser *useBrowser(std::optional<QString> answer)
    {
        auto browser = std::make_unique<FakeBrowser>(std::move(answer));
        FakeBrowser *raw = browser.get();
        m_edit->setFolderBrowser(std::move(browser));
        return raw;
    }

    QWidget m_window;
    QPushButton *m_other;
    TAdvDirectoryEdit *m_edit;
};

TEST_F(DirectoryEdit, ReportsEachTypedCharacterAndDeletion)
{
    EXPECT_EQ(changes([&] { QTest::keyClicks(m_edit, QStringLiteral("ab")); }),
        QStringList({ QStringLiteral("a"), QStringLiteral("ab") }));
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_Backspace); }),
        QStringList { QStringLiteral("a") });
    m_edit->setCursorPosition(0);
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_Backspace); }), QStringList());
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_Delete); }), QStringList { QString() });
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier); }),
        QStringList { QStringLiteral("a") });
}

TEST_F(DirectoryEdit, TypingOverTheWholeTextReportsOnlyTheNewText)
{
    m_edit->setText(QStringLiteral("/tmp"));
    m_edit->selectAll();
    EXPECT_EQ(
        changes([&] { QTest::keyClick(m_edit, Qt::Key_X); }), QStringList { QStringLiteral("x") });
}

TEST_F(DirectoryEdit, TextFromCodeReportsOnlyADifference)
{
    EXPECT_EQ(changes([&] { m_edit->setText(QStringLiteral("/tmp")); }),
        QStringList { QStringLiteral("/tmp") });
    EXPECT_EQ(changes([&] { m_edit->setText(QStringLiteral("/tmp")); }), QStringList());
}

TEST_F(DirectoryEdit, PasteTakesTheFirstLineOfTheClipboard)
{
    QApplication::clipboard()->setText(QStringLiteral("/usr\n/etc"));
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier); }),
        QStringList { QStringLiteral("/usr") });
    m_edit->selectAll();
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_Insert, Qt::ShiftModifier); }),
        QStringList());
    QApplication::clipboard()->clear();
    EXPECT_EQ(
        changes([&] { QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier); }), QStringList());
    EXPECT_EQ(m_edit->text(), QStringLiteral("/usr"));
}

TEST_F(DirectoryEdit, CutReportsAChangeEvenWithoutSelection)
{
    m_edit->setText(QStringLiteral("/usr"));
    m_edit->setSelection(0, 2);
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_X, Qt::ControlModifier); }),
        QStringList { QStringLiteral("sr") });
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("/u"));
    m_edit->deselect();
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_X, Qt::ControlModifier); }),
        QStringList { QStringLiteral("sr") });
}

TEST_F(DirectoryEdit, PopUpMenuPasteTakesTheFirstLine)
{
    QApplication::clipboard()->setText(QStringLiteral("/opt\r\nrest"));
    QTimer::singleShot(0, [] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *menu = qobject_cast<QMenu *>(widget);
            if (!menu || !menu->isVisible())
                continue;
            if (QAction *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste")))
                paste->trigger();
            menu->close();
        }
    });
    QContextMenuEvent event(
        QContextMenuEvent::Keyboard, QPoint(5, 5), m_edit->mapToGlobal(QPoint(5, 5)));
    EXPECT_EQ(changes([&] { QApplication::sendEvent(m_edit, &event); }),
        QStringList { QStringLiteral("/opt") });
}

TEST_F(DirectoryEdit, EscapeRestoresTheFocusTextAndSelectsAll)
{
    m_edit->setText(QStringLiteral("/start"));
    m_other->setFocus();
    QTest::keyClick(&m_window, Qt::Key_Tab);
    ASSERT_TRUE(m_edit->hasFocus());
    EXPECT_EQ(m_edit->selectedText(), QStringLiteral("/start"));
    m_edit->end(false);
    QTest::keyClicks(m_edit, QStringLiteral("xy"));
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_Escape); }),
        QStringList { QStringLiteral("/start") });
    EXPECT_EQ(m_edit->selectedText(), QStringLiteral("/start"));
    EXPECT_EQ(changes([&] { QTest::keyClick(m_edit, Qt::Key_Escape); }), QStringList());
}

TEST_F(DirectoryEdit, MouseClickPlacesTheCaret)
{
    m_edit->setText(QStringLiteral("/start"));
    m_other->setFocus();
    QTest::mouseClick(m_edit, Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_TRUE(m_edit->hasFocus());
    EXPECT_FALSE(m_edit->hasSelectedText());
}

TEST_F(DirectoryEdit, CtrlASelectsAll)
{
    m_edit->setText(QStringLiteral("/usr"));
    m_edit->deselect();
    QTest::keyClick(m_edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_edit->selectedText(), QStringLiteral("/usr"));
}

TEST(DirectoryEditInDialog, EscapeAndEnterStayWithTheField)
{
    QDialog dialog;
    auto *edit = new TAdvDirectoryEdit(&dialog);
    auto *ok = new QPushButton(QStringLiteral("&Ok"), &dialog);
    ok->setDefault(true);
    const QSignalSpy pressed(ok, &QPushButton::clicked);
    dialog.show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(pressed.count(), 0);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(DirectoryEdit, F4BrowsesUnlessCtrlOrAltIsHeld)
{
    FakeBrowser *browser = useBrowser(std::nullopt);
    QTest::keyClick(m_edit, Qt::Key_F4, Qt::ControlModifier);
    QTest::keyClick(m_edit, Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(browser->starts.isEmpty());
    QTest::keyClick(m_edit, Qt::Key_F4);
    QTest::keyClick(m_edit, Qt::Key_F4, Qt::ShiftModifier);
    EXPECT_EQ(browser->starts.size(), 2);
    EXPECT_EQ(browser->titles.value(0), QStringLiteral("Select Directory"));
}

TEST_F(DirectoryEdit, BrowseStartsAtTheTextOrTheCurrentDirectory)
{
    FakeBrowser *browser = useBrowser(std::nullopt);
    m_edit->ClickButton();
    m_edit->setText(QStringLiteral("relative/x"));
    m_edit->ClickButton();
    EXPECT_EQ(browser->starts, QStringList({ QDir::currentPath(), QStringLiteral("relative/x") }));
}

TEST_F(DirectoryEdit, BrowseReportsOnlyADifferentFolder)
{
    m_edit->setText(QStringLiteral("/usr"));
    useBrowser(QStringLiteral("/usr"));
    EXPECT_EQ(changes([&] { m_edit->ClickButton(); }), QStringList());
    useBrowser(std::nullopt);
    EXPECT_EQ(changes([&] { m_edit->ClickButton(); }), QStringList());
    useBrowser(QStringLiteral("/USR"));
    EXPECT_EQ(changes([&] { m_edit->ClickButton(); }), QStringList { QStringLiteral("/USR") });
}

TEST_F(DirectoryEdit, ButtonBrowsesOnReleaseAnywhereAndGivesTheFocusBack)
{
    FakeBrowser *browser = useBrowser(std::nullopt);
    auto *button = m_edit->findChild<QPushButton *>();
    ASSERT_TRUE(button);
    m_other->setFocus();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent moved(QEvent::MouseMove, QPointF(-200, 40), button->mapToGlobal(QPointF(-200, 40)),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &moved);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-200, 40));
    EXPECT_EQ(browser->starts.size(), 1);
    EXPECT_TRUE(m_edit->hasFocus());
}

TEST_F(DirectoryEdit, ButtonSitsInsideTheRightEndBeforeTheText)
{
    auto *button = m_edit->findChild<QPushButton *>();
    ASSERT_TRUE(button);
    // Client coordinates W - 22, 0, 18 x (H - 4), inside the 2-pixel border.
    EXPECT_EQ(button->geometry(), QRect(370, 2, 18, 17));
    EXPECT_EQ(m_edit->textMargins().right(), 20);
}

TEST_F(DirectoryEdit, LabelSitsAboveAndFollowsTheField)
{
    m_edit->setLabelCaption(QStringLiteral("Select Directory of Sourcefiles"));
    auto *label = m_window.findChild<QLabel *>();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->geometry().bottom() + 1 + 4, m_edit->y());
    m_edit->setLabelPosition(TAdvDirectoryEdit::lpTopLeft);
    EXPECT_EQ(label->x(), m_edit->x());
    m_edit->setLabelPosition(TAdvDirectoryEdit::lpTopCenter);
    EXPECT_EQ(label->x(), m_edit->x() + (m_edit->width() - label->width()) / 2);
    m_edit->move(40, 100);
    EXPECT_EQ(label->geometry().bottom() + 1 + 4, 100);
    m_edit->hide();
    EXPECT_FALSE(label->isVisible());
    m_edit->show();
    EXPECT_TRUE(label->isVisible());
}

TEST(DirectoryEditLabel, AppearsWithAWindowBuiltBeforeItIsShown)
{
    QWidget window;
    QWidget box(&window);
    box.setGeometry(0, 40, 400, 100);
    auto *edit = new TAdvDirectoryEdit;
    edit->setLabelCaption(QStringLiteral("Caption"));
    edit->setParent(&box);
    edit->setGeometry(3, 30, 390, 21);
    window.show();
    auto *label = box.findChild<QLabel *>();
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->geometry().bottom() + 1 + 4, 30);
}

TEST_F(DirectoryEdit, ColourStaysThroughFocusChanges)
{
    const QColor orange(255, 128, 0);
    m_edit->setColor(orange);
    m_other->setFocus();
    m_edit->setFocus();
    EXPECT_EQ(m_edit->Color(), orange);
}

TEST_F(DirectoryEdit, QtBrowserOffersFoldersOnlyBelowTheFieldAndReturnsTheChoice)
{
    const test::TempDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    m_edit->setText(dir.path());
    QString seenStart;
    QPoint seenPos;
    QPoint expectedPos;
    bool foldersOnly = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        seenStart = dialog->directory().absolutePath();
        foldersOnly = dialog->fileMode() == QFileDialog::Directory
            && dialog->testOption(QFileDialog::ShowDirsOnly)
            && dialog->testOption(QFileDialog::ReadOnly);
        seenPos = dialog->frameGeometry().topLeft();
        expectedPos = browseDialogPosition(m_edit->mapToGlobal(QPoint(2, 2 + m_edit->height())),
            dialog->frameGeometry().size(), m_edit->screen()->availableGeometry());
        dialog->setDirectory(dir.filePath(QStringLiteral("sub")));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(changes([&] { m_edit->ClickButton(); }),
        QStringList { dir.filePath(QStringLiteral("sub")) });
    EXPECT_EQ(seenStart, dir.path());
    EXPECT_TRUE(foldersOnly);
    EXPECT_EQ(seenPos, expectedPos);
    // The offscreen platform does not give the window its activation back.
    EXPECT_EQ(m_window.focusWidget(), m_edit);
    EXPECT_EQ(m_edit->selectedText(), m_edit->text());
}

TEST(FolderGlyph, FollowsThePixelTableWithWhiteTransparent)
{
    const QImage glyph = folderGlyph();
    ASSERT_EQ(glyph.size(), QSize(12, 11));
    EXPECT_EQ(glyph.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(glyph.pixel(3, 0), qRgb(0, 0, 0));
    EXPECT_EQ(glyph.pixel(3, 1), qRgb(255, 255, 0));
    EXPECT_EQ(glyph.pixel(4, 7), qRgb(192, 192, 192));
    EXPECT_EQ(glyph.pixel(11, 6), qRgb(0, 0, 0));
    EXPECT_EQ(glyph.pixelColor(0, 10).alpha(), 0);
    int opaque = 0;
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x)
            opaque += glyph.pixelColor(x, y).alpha() == 255;
    EXPECT_EQ(opaque, 106);
}

} // namespace
} // namespace quiltmap::widgets
