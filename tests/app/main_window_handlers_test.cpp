#include "aniicon/ani_icon.h"
#include "app/raster_view.h"
#include "app/text_list_edit.h"
#include "app_harness.h"
#include "sheet/raster.h"
#include "widgets/adv_directory_edit.h"
#include "widgets/money_edit.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace quiltmap::app::test {
namespace {

using namespace Qt::StringLiterals;

struct ColumnsExitCase
{
    const char *main;
    const char *options;
    const char *expected;
    // The text the conversion error names, or nothing.
    const char *rejected;
};

class ColumnsExit : public testing::TestWithParam<ColumnsExitCase>
{
};

TEST_P(ColumnsExit, NormalisesTheFieldOrReportsTheText)
{
    AppHarness app;
    app.main().show();
    const ColumnsExitCase &c = GetParam();
    app.control<widgets::TMoneyEdit>("edit_columns")->setText(QString::fromUtf8(c.main));
    app.options().setTilesPerRowText(QString::fromUtf8(c.options));

    app.main().edit_columnsExit();

    EXPECT_EQ(
        app.control<widgets::TMoneyEdit>("edit_columns")->text(), QString::fromUtf8(c.expected));
    if (c.rejected == nullptr) {
        EXPECT_TRUE(app.prompts.errors.empty());
    } else {
        ASSERT_EQ(app.prompts.errors.size(), 1u);
        EXPECT_EQ(app.prompts.errors[0].text,
            u"''" + QString::fromUtf8(c.rejected) + u"'' ist kein gültiger Integer-Wert.");
        EXPECT_EQ(app.prompts.errors[0].caption, u"Createquiltmap");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ColumnsExit,
    testing::Values(ColumnsExitCase { "0", "30", "30", nullptr },
        ColumnsExitCase { "-4", "30", "30", nullptr }, ColumnsExitCase { "0", "0", "0", nullptr },
        ColumnsExitCase { "007", "30", "7", nullptr },
        ColumnsExitCase { "$10", "30", "16", nullptr },
        ColumnsExitCase { " 5", "30", "5", nullptr }, ColumnsExitCase { "12x", "30", "12x", "12x" },
        ColumnsExitCase { "", "30", "", "" }, ColumnsExitCase { "0", "abc", "0", "abc" },
        ColumnsExitCase { "3", "abc", "3", nullptr }));

TEST(CellSizeExit, ReportsTextsThatAreNoIntegerAndKeepsThem)
{
    AppHarness app;
    app.main().show();
    app.control<widgets::TMoneyEdit>("edit_width")->setText(QStringLiteral("12x"));
    app.control<widgets::TMoneyEdit>("edit_height")->setText(QStringLiteral("007"));

    app.main().edit_widthExit();
    app.main().edit_heightExit();

    ASSERT_EQ(app.prompts.errors.size(), 1u);
    EXPECT_EQ(app.prompts.errors[0].text, u"''12x'' ist kein gültiger Integer-Wert.");
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_width")->text(), u"12x");
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_height")->text(), u"007");
}

TEST(OptionsDialog, OkSavesTheOldRowCountThenTakesTheNewOne)
{
    AppHarness app;
    app.main().show();
    app.control<widgets::TMoneyEdit>("edit_columns")->setText(QStringLiteral("10"));
    int shown = 0;
    app.prompts.answerModal = [&](QDialog &dialog) {
        ++shown;
        EXPECT_EQ(&dialog, &app.options());
        app.options().setTilesPerRowText(QStringLiteral("20"));
        app.options().setQuiltMapFolder(QStringLiteral("/no/such/folder"));
        return TfrmOptions::mrOk;
    };

    app.control<QAction>("Options1")->trigger();

    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(app.readIni().contains(u"TilesPerRow=10"));
    EXPECT_TRUE(app.readIni().contains(u"QuiltMapDir=/no/such/folder"));
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_columns")->text(), u"20");
    // The folder path ran with the empty source field.
    ASSERT_EQ(app.prompts.notices.size(), 1u);
    EXPECT_EQ(app.prompts.notices[0].text, u"Select a valid Directory");

    EXPECT_TRUE(app.main().close());
    EXPECT_TRUE(app.readIni().contains(u"TilesPerRow=20"));
}

TEST(OptionsDialog, CloseCommandAppliesAndSavesNothing)
{
    AppHarness app;
    app.main().show();
    app.prompts.answerModal = [&](QDialog &dialog) {
        app.options().setTilesPerRowText(QStringLiteral("30"));
        dialog.show();
        dialog.close();
        return dialog.result();
    };

    app.main().Options1Click(nullptr);

    EXPECT_EQ(app.options().result(), TfrmOptions::mrCancel);
    EXPECT_FALSE(QFile::exists(app.iniPath()));
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_columns")->text(), u"25");
    EXPECT_EQ(app.options().tilesPerRowText(), u"30");
    EXPECT_TRUE(app.prompts.notices.empty());

    EXPECT_TRUE(app.main().close());
    EXPECT_TRUE(app.readIni().contains(u"TilesPerRow=25"));
}

TEST(Closing, ExitAndCloseBoxWriteTheSettings)
{
    for (const bool byExit : { true, false }) {
        AppHarness app;
        app.main().show();
        app.control<widgets::TMoneyEdit>("edit_columns")->setText(QStringLiteral("9"));
        if (byExit)
            app.control<QAction>("Exit1")->trigger();
        else
            EXPECT_TRUE(app.main().close());
        EXPECT_EQ(app.readIni(),
            QStringLiteral("[Work]\nLastIconpath=\n[Options]\nTilesPerRow=9\nLastSavePath=%1"
                           "QuiltPatches/\nQuiltMapDir=%1QuiltMaps/\n")
                .arg(app.executableFolder()))
            << (byExit ? "Exit" : "close box");
        EXPECT_TRUE(app.prompts.errors.empty());
    }
}

// The harness's settings file, made read-only before the window is shown.
void makeSettingsReadOnly(const AppHarness &app)
{
    app.writeIni(QStringLiteral("[Options]\nTilesPerRow=4\n"));
    QFile::setPermissions(app.iniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
}

void expectOneRefusedWrite(const AppHarness &app)
{
    ASSERT_EQ(app.prompts.errors.size(), 1u);
    EXPECT_EQ(
        app.prompts.errors[0].text, u"In " + app.iniPath() + u" kann nicht geschrieben werden.");
}

TEST(ReadOnlySettingsFile, CloseBoxReportsTheWriteOnceAndCloses)
{
    AppHarness app;
    makeSettingsReadOnly(app);
    app.main().show();

    EXPECT_TRUE(app.main().close());

    EXPECT_FALSE(app.main().isVisible());
    expectOneRefusedWrite(app);
    EXPECT_EQ(app.readIni(), u"[Options]\nTilesPerRow=4\n");
}

TEST(ReadOnlySettingsFile, ExitReportsTheWriteOnceAndEndsTheProgram)
{
    AppHarness app;
    makeSettingsReadOnly(app);
    app.main().show();
    QTimer::singleShot(0, app.control<QAction>("Exit1"), &QAction::trigger);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });

    EXPECT_EQ(QApplication::exec(), 0);

    expectOneRefusedWrite(app);
}

TEST(ReadOnlySettingsFile, OptionsOkReportsTheWriteAndLeavesTheMainWindowAlone)
{
    AppHarness app;
    makeSettingsReadOnly(app);
    app.main().show();
    app.prompts.answerModal = [&](QDialog &) {
        app.options().setTilesPerRowText(QStringLiteral("20"));
        return TfrmOptions::mrOk;
    };

    app.control<QAction>("Options1")->trigger();

    expectOneRefusedWrite(app);
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_columns")->text(), u"4");
    EXPECT_TRUE(app.prompts.notices.empty());
    EXPECT_TRUE(app.main().isVisible());
}

// Runs `action` from inside the event dispatch of a running composition, at its n-th dispatch
// counted from the first at which `counts` holds (the listing's dispatches vary in number).
class DuringComposition
{
public:
    DuringComposition(
        int dispatch, std::function<void()> action,
        std::function<bool()> counts = [] { return true; })
        : m_dispatch(dispatch)
        , m_action(std::move(action))
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this, counts] {
            if (counts() && ++m_seen == m_dispatch) {
                m_timer.stop();
                m_action();
            }
        });
        m_timer.start();
    }
    bool fired() const { return m_seen >= m_dispatch; }

private:
    QTimer m_timer;
    int m_dispatch;
    int m_seen = 0;
    std::function<void()> m_action;
};

QString folderOf(const AppHarness &app, const QString &name, int tiles, QColor colour)
{
    const QString folder = app.makeFolder(name);
    for (int i = 0; i < tiles; ++i)
        writeTile(folder + QStringLiteral("/%1%2.png").arg(name).arg(i, 2, 10, QLatin1Char('0')),
            { 8, 8 }, colour);
    return folder;
}

TEST(ComposingTwice, NewCompositionSupersedesTheRunningOne)
{
    AppHarness app;
    const QString many = folderOf(app, QStringLiteral("many"), 12, Qt::red);
    const QString few = folderOf(app, QStringLiteral("few"), 2, Qt::blue);
    app.writeIni(iniFor(many));
    app.start();

    DuringComposition switchFolder(
        4, [&] { app.control<widgets::TAdvDirectoryEdit>("sourcefiles")->setText(few); });
    app.main().Button1Click(nullptr);

    ASSERT_TRUE(switchFolder.fired());
    EXPECT_TRUE(app.prompts.errors.empty());
    EXPECT_EQ(
        app.control<TextListEdit>("filelist")->lines(), (QStringList { u"few00"_s, u"few01"_s }));
    const sheet::Raster &sheet = *app.main().exportImage();
    EXPECT_EQ(sheet.width(), 25 * 8);
    EXPECT_EQ(pixel(sheet, 0, 0), QColor(Qt::blue));
    EXPECT_EQ(pixel(sheet, 16, 0), QColor(Qt::white));
    EXPECT_EQ(app.control<RasterView>("pb")->raster(), &sheet);
    EXPECT_TRUE(app.control<QPushButton>("butsavestock")->isEnabled());
    EXPECT_FALSE(app.control<aniicon::TAniIcon>("AniIcon1")->isVisible());
}

TEST(ComposingTwice, CreateButtonDuringACompositionRestartsIt)
{
    AppHarness app;
    app.writeIni(iniFor(folderOf(app, QStringLiteral("t"), 6, Qt::red)));
    app.start();

    DuringComposition again(3, [&] { app.control<QPushButton>("Button1")->click(); });
    app.main().Button1Click(nullptr);

    ASSERT_TRUE(again.fired());
    EXPECT_EQ(app.control<TextListEdit>("filelist")->lines().size(), 6);
    EXPECT_TRUE(app.prompts.errors.empty());
    EXPECT_TRUE(app.control<QPushButton>("butsavestock")->isEnabled());
}

TEST(FolderTyped, WindowAnswersBeforeTheCellIsMeasuredAndANewerFolderSupersedesIt)
{
    AppHarness app;
    const QString small = folderOf(app, QStringLiteral("s"), 2, Qt::red);
    const QString large = app.makeFolder(QStringLiteral("large"));
    writeTile(large + u"/l0.png", { 12, 12 }, Qt::green);
    const QString last = folderOf(app, QStringLiteral("last"), 3, Qt::blue);
    app.writeIni(iniFor(small));
    app.start();
    auto *source = app.control<widgets::TAdvDirectoryEdit>("sourcefiles");
    auto *width = app.control<widgets::TMoneyEdit>("edit_width");

    QString widthSeen;
    DuringComposition look(1, [&] { widthSeen = width->text(); });
    source->setText(large);
    ASSERT_TRUE(look.fired());
    EXPECT_EQ(widthSeen, u"8");
    EXPECT_EQ(width->text(), u"12");

    // The folder typed while the handler lists another one is the one composed, and nothing of
    // the first is looked for in it. Listing many names takes a few dispatches.
    const QString many = app.makeFolder(QStringLiteral("many"));
    writeTile(many + u"/a.png", { 8, 8 }, Qt::red);
    for (int i = 0; i < 2000; ++i)
        QFile(many + QStringLiteral("/b%1.png").arg(i)).open(QIODevice::WriteOnly);
    DuringComposition retype(2, [&] { source->setText(last); });
    source->setText(many);
    ASSERT_TRUE(retype.fired());
    EXPECT_TRUE(app.prompts.errors.empty());
    EXPECT_EQ(app.control<TextListEdit>("filelist")->lines(),
        (QStringList { u"last00"_s, u"last01"_s, u"last02"_s }));
    EXPECT_EQ(pixel(*app.main().exportImage(), 16, 0), QColor(Qt::blue));
}

TEST(ComposingFails, BusyStateEndsAndSavingStaysOff)
{
    AppHarness app;
    const QString folder = folderOf(app, QStringLiteral("a"), 2, Qt::red);
    app.writeIni(iniFor(folder));
    app.start();
    ASSERT_TRUE(app.control<QPushButton>("butsavestock")->isEnabled());
    QFile bitmap(folder + u"/z.bmp");
    ASSERT_TRUE(bitmap.open(QIODevice::WriteOnly));
    bitmap.write("BM");
    bitmap.close();

    app.control<QPushButton>("Button1")->click();

    ASSERT_EQ(app.prompts.errors.size(), 1u);
    EXPECT_TRUE(app.prompts.errors[0].text.startsWith(u"Die gerade gelesene Datei ist kein"));
    EXPECT_TRUE(app.prompts.errors[0].text.endsWith(u"bekommen."));
    EXPECT_FALSE(app.control<aniicon::TAniIcon>("AniIcon1")->isVisible());
    EXPECT_FALSE(app.control<aniicon::TAniIcon>("AniIcon1")->Animated());
    EXPECT_FALSE(app.control<QPushButton>("butsavestock")->isEnabled());
    EXPECT_EQ(app.control<TextListEdit>("filelist")->lines(), (QStringList { u"a00"_s, u"a01"_s }));
    // The preview shows the tiles drawn before the error.
    ASSERT_NE(app.control<RasterView>("pb")->raster(), nullptr);
    EXPECT_EQ(pixel(*app.control<RasterView>("pb")->raster(), 8, 0), QColor(Qt::red));
    EXPECT_EQ(pixel(*app.control<RasterView>("pb")->raster(), 16, 0), QColor(Qt::white));
}

TEST(ClosingWhileComposing, CompositionStopsWithoutTouchingReleasedImages)
{
    AppHarness app;
    app.writeIni(iniFor(folderOf(app, QStringLiteral("t"), 10, Qt::red)));
    app.start();

    // Once the new composition has emptied the name list, it draws a tile between dispatches.
    DuringComposition closeWindow(
        2, [&] { app.main().close(); },
        [&] { return app.control<TextListEdit>("filelist")->lines().size() < 10; });
    app.main().Button1Click(nullptr);

    ASSERT_TRUE(closeWindow.fired());
    EXPECT_FALSE(app.main().isVisible());
    EXPECT_EQ(app.main().exportImage(), nullptr);
    EXPECT_EQ(app.control<RasterView>("pb")->raster(), nullptr);
    EXPECT_LT(app.control<TextListEdit>("filelist")->lines().size(), 10);
    EXPECT_TRUE(app.prompts.errors.empty());
    EXPECT_TRUE(app.readIni().contains(u"TilesPerRow=25"));
}

} // namespace
} // namespace quiltmap::app::test
