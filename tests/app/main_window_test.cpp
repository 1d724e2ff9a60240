#include "aniicon/ani_icon.h"
#include "app/file_list_box.h"
#include "app/raster_view.h"
#include "app/text_list_edit.h"
#include "app_harness.h"
#include "sheet/raster.h"
#include "widgets/adv_directory_edit.h"
#include "widgets/html_label.h"
#include "widgets/money_edit.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace quiltmap::app::test {
namespace {

using namespace Qt::StringLiterals;

const QString invalidHeaderMessage = QStringLiteral(
    "Die gerade gelesene Datei ist kein gültiges PNG-Bild (\"Portable Network Graphics\"), weil "
    "sie keinen gültigen Header enthält. Diese Datei ist möglicherweise beschädigt. Versuchen "
    "Sie, eine neue Version davon zu bekommen");

// a.png red 32 x 24, b.png green, c.png blue.
QString threeTiles(const AppHarness &app)
{
    const QString folder = app.makeFolder(QStringLiteral("tiles"));
    writeTile(folder + u"/a.png", { 32, 24 }, Qt::red);
    writeTile(folder + u"/b.png", { 32, 24 }, Qt::green);
    writeTile(folder + u"/c.png", { 32, 24 }, Qt::blue);
    return folder;
}

TEST(MainWindowStart, FirstStartWithoutSettingsFile)
{
    AppHarness app;
    app.main().show();

    EXPECT_TRUE(app.main().windowTitle().startsWith(u"Create QuiltMap-Graphics V"));
    EXPECT_EQ(app.control<widgets::TAdvDirectoryEdit>("sourcefiles")->text(), u"");
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_width")->text(), u"48");
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_height")->text(), u"48");
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_columns")->text(), u"25");
    EXPECT_EQ(app.options().tilesPerRowText(), u"25");
    EXPECT_EQ(app.options().quiltMapFolder(), app.executableFolder() + u"QuiltMaps/");
    EXPECT_EQ(
        app.main().saveDialogSettings().InitialDir, app.executableFolder() + u"QuiltPatches/");
    EXPECT_TRUE(app.control<widgets::THTMLabel>("imagesizeinfo")->HTMLText().isEmpty());
    EXPECT_FALSE(app.control<aniicon::TAniIcon>("AniIcon1")->isVisible());
    EXPECT_EQ(app.control<RasterView>("pb")->size(), QSize(1000, 500));
    EXPECT_TRUE(app.prompts.notices.empty());
    EXPECT_TRUE(app.control<QTimer>("Timer1")->isActive());
    EXPECT_EQ(app.control<QTimer>("Timer1")->interval(), 1000);

    app.main().Timer1Timer();
    EXPECT_FALSE(app.control<QTimer>("Timer1")->isActive());
    ASSERT_EQ(app.prompts.notices.size(), 1u);
    EXPECT_EQ(app.prompts.notices[0].text, u"Select a valid Directory");
    EXPECT_EQ(app.prompts.notices[0].caption, u"Createquiltmap");
    EXPECT_EQ(app.control<widgets::TAdvDirectoryEdit>("sourcefiles")->Color(), QColor(255, 128, 0));
}

TEST(MainWindowStart, StoredFolderComposesWhileShowingAndAgainFromTheTimer)
{
    AppHarness app;
    const QString folder = threeTiles(app);
    app.writeIni(iniFor(folder, QStringLiteral("2")));

    app.main().show();
    // The show handler set the cell size back to 48 after the first folder run.
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_width")->text(), u"48");
    EXPECT_EQ(
        app.control<TextListEdit>("filelist")->lines(), (QStringList { u"a"_s, u"b"_s, u"c"_s }));
    EXPECT_TRUE(app.control<QPushButton>("butsavestock")->isEnabled());
    // The preview keeps that sheet; only its control took the start-up size.
    EXPECT_EQ(app.control<RasterView>("pb")->raster(), app.main().exportImage());
    EXPECT_EQ(app.control<RasterView>("pb")->size(), QSize(1000, 500));

    app.main().Timer1Timer();
    EXPECT_TRUE(app.prompts.errors.empty());
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_width")->text(), u"32");
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_height")->text(), u"24");
    EXPECT_EQ(app.control<FileListBox>("files")->fileNames(),
        (QStringList { u"a.png"_s, u"b.png"_s, u"c.png"_s }));
    // The box shows them, one row of 13 pixels each.
    const QAbstractItemModel &rows = *app.control<FileListBox>("files")->model();
    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.index(2, 0).data().toString(), u"c.png");
    EXPECT_EQ(app.control<FileListBox>("files")->sizeHintForRow(0), 13);
    EXPECT_EQ(app.control<widgets::TAdvDirectoryEdit>("sourcefiles")->Color(),
        QGuiApplication::palette().color(QPalette::Base));

    const sheet::Raster &sheet = *app.main().exportImage();
    ASSERT_EQ(sheet.width(), 64);
    ASSERT_EQ(sheet.height(), 48);
    EXPECT_EQ(pixel(sheet, 0, 0), QColor(Qt::red));
    EXPECT_EQ(pixel(sheet, 32, 0), QColor(Qt::green));
    EXPECT_EQ(pixel(sheet, 0, 24), QColor(Qt::blue));
    EXPECT_EQ(pixel(sheet, 32, 24), QColor(Qt::white));
    EXPECT_EQ(app.control<RasterView>("pb")->raster(), &sheet);
    EXPECT_EQ(app.control<RasterView>("pb")->size(), QSize(64, 48));
    EXPECT_EQ(app.control<widgets::THTMLabel>("imagesizeinfo")->HTMLText(),
        (QStringList { u"<FONT face=\"Courier New\">Width: <b>64<br>"_s, u"Height: <b>48<br>"_s,
            u"ImagesTotal: <b>3<br>"_s, u"Imgages/row: <b>2<br>"_s, u"rows: <b>2<br>"_s,
            u"</FONT>"_s }));
    EXPECT_FALSE(app.control<aniicon::TAniIcon>("AniIcon1")->isVisible());
    EXPECT_FALSE(app.control<aniicon::TAniIcon>("AniIcon1")->Animated());
}

TEST(MainWindowStart, EmptyFolderShowsItsNoticeAndStillEnablesSaving)
{
    AppHarness app;
    app.writeIni(iniFor(app.makeFolder(QStringLiteral("empty"))));
    app.start();

    ASSERT_EQ(app.prompts.notices.size(), 2u);
    EXPECT_EQ(app.prompts.notices[1].text, u"I need files to operate :-)");
    EXPECT_TRUE(app.control<TextListEdit>("filelist")->lines().isEmpty());
    EXPECT_EQ(app.main().exportImage()->width(), 25 * 48);
    EXPECT_EQ(app.main().exportImage()->height(), 48);
    EXPECT_TRUE(app.control<QPushButton>("butsavestock")->isEnabled());
}

TEST(MainWindowStart, StoredFolderWhoseFirstFileIsNoPngKeepsEveryOtherSetting)
{
    AppHarness app;
    const QString folder = app.makeFolder(QStringLiteral("bitmaps"));
    QFile bitmap(folder + u"/a.bmp");
    ASSERT_TRUE(bitmap.open(QIODevice::WriteOnly));
    bitmap.write("BM not a png at all");
    bitmap.close();
    writeTile(folder + u"/b.png", { 16, 16 }, Qt::red);
    const QString stored = iniFor(folder, QStringLiteral("7"));
    app.writeIni(stored);

    app.main().show();
    ASSERT_EQ(app.prompts.errors.size(), 1u);
    EXPECT_EQ(app.prompts.errors[0].text, invalidHeaderMessage + u'.');
    EXPECT_EQ(app.prompts.errors[0].caption, u"Createquiltmap");
    // The show handler went on after the folder step failed.
    EXPECT_TRUE(app.main().windowTitle().startsWith(u"Create QuiltMap-Graphics V"));
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_columns")->text(), u"7");
    EXPECT_EQ(app.options().tilesPerRowText(), u"7");
    EXPECT_EQ(app.options().quiltMapFolder(), u"/saved/maps/");
    EXPECT_TRUE(app.control<QTimer>("Timer1")->isActive());
    EXPECT_FALSE(app.control<QPushButton>("butsavestock")->isEnabled());

    // Closing writes back what was read, not the values the fields had before the show.
    EXPECT_TRUE(app.main().close());
    EXPECT_EQ(app.readIni(), stored);
}

TEST(MainWindowCompose, CreateButtonUsesTheFieldsAsTheyStand)
{
    AppHarness app;
    app.writeIni(iniFor(threeTiles(app)));
    app.start();
    ASSERT_EQ(app.main().exportImage()->width(), 25 * 32);

    app.control<widgets::TMoneyEdit>("edit_columns")->setText(QStringLiteral("1"));
    app.control<widgets::TMoneyEdit>("edit_width")->setText(QStringLiteral("10"));
    app.control<QPushButton>("Button1")->click();

    const sheet::Raster &sheet = *app.main().exportImage();
    EXPECT_EQ(sheet.width(), 10);
    EXPECT_EQ(sheet.height(), 3 * 24);
    EXPECT_EQ(pixel(sheet, 0, 24), QColor(Qt::green));
    EXPECT_EQ(
        app.control<TextListEdit>("filelist")->lines(), (QStringList { u"a"_s, u"b"_s, u"c"_s }));
    EXPECT_TRUE(app.control<TextListEdit>("log")->lines().isEmpty());
}

TEST(MainWindowCompose, ColumnsOfZeroBecomeTwentyFive)
{
    AppHarness app;
    app.writeIni(iniFor(threeTiles(app), QStringLiteral("0")));
    app.start();
    EXPECT_EQ(app.control<widgets::TMoneyEdit>("edit_columns")->text(), u"25");
    EXPECT_EQ(app.main().exportImage()->width(), 25 * 32);
}

TEST(MainWindowSave, WritesBothFilesUnderTheChosenName)
{
    AppHarness app;
    app.writeIni(iniFor(threeTiles(app), QStringLiteral("2")));
    app.start();
    const QString out = app.makeFolder(QStringLiteral("out"));
    app.options().setQuiltMapFolder(out);
    app.control<TextListEdit>("filelist")->setPlainText(u"a  \nb\nc"_s);
    app.prompts.saveAnswer = out + u"/sheet.png";
    // The preview paints the raster rows of the area it repaints.
    const QImage lowerLeft = app.control<RasterView>("pb")->grab({ 0, 24, 32, 24 }).toImage();
    EXPECT_EQ(lowerLeft.pixelColor(5, 5), QColor(Qt::blue));

    app.control<QPushButton>("butsavestock")->click();

    ASSERT_TRUE(app.prompts.errors.empty()) << app.prompts.errors[0].text.toStdString();
    ASSERT_EQ(app.prompts.saveRequests.size(), 1u);
    const SaveDialogSettings &asked = app.prompts.saveRequests[0];
    EXPECT_EQ(asked.InitialDir, out);
    EXPECT_EQ(asked.FileName, u"QuiltMap");
    EXPECT_EQ(asked.DefaultExt, u"png");
    EXPECT_EQ(asked.Filter, u"*.png");
    const QImage image(out + u"/sheet.png");
    EXPECT_EQ(image.size(), QSize(64, 48));
    EXPECT_EQ(image.pixelColor(32, 0), QColor(Qt::green));
    QFile names(out + u"/sheet.txt");
    ASSERT_TRUE(names.open(QIODevice::ReadOnly));
    EXPECT_EQ(names.readAll(), QByteArray("a\r\nb\r\nc\r\n"));
    EXPECT_EQ(
        app.control<TextListEdit>("filelist")->lines(), (QStringList { u"a"_s, u"b"_s, u"c"_s }));
    // The dialog's folder is what the settings keep as the last save folder.
    EXPECT_EQ(app.main().saveDialogSettings().InitialDir, out);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(MainWindowSave, CancelWritesNothing)
{
    AppHarness app;
    app.writeIni(iniFor(threeTiles(app)));
    app.start();
    const QString out = app.makeFolder(QStringLiteral("out"));
    app.options().setQuiltMapFolder(out);

    app.main().butsavestockClick();

    EXPECT_EQ(app.prompts.saveRequests.size(), 1u);
    EXPECT_TRUE(QDir(out).isEmpty());
    EXPECT_TRUE(app.prompts.errors.empty());
}

// The previous folder's sheet stays shown after a folder change fails, but it cannot be saved
// as this folder's; the menu entry follows the button.
TEST(MainWindowSave, FolderThatFailsToComposeDisablesSavingUntilOneComposes)
{
    AppHarness app;
    const QString tiles = threeTiles(app);
    app.writeIni(iniFor(tiles));
    app.start();
    auto *button = app.control<QPushButton>("butsavestock");
    auto *entry = app.control<QAction>("SaveQuiltmap1");
    ASSERT_TRUE(button->isEnabled());
    EXPECT_TRUE(entry->isEnabled());
    EXPECT_EQ(entry->shortcut(), QKeySequence(u"Ctrl+S"_s));
    const QString bitmaps = app.makeFolder(u"bitmaps"_s);
    QFile bitmap(bitmaps + u"/a.bmp");
    ASSERT_TRUE(bitmap.open(QIODevice::WriteOnly));
    bitmap.write("BM");
    bitmap.close();

    app.control<widgets::TAdvDirectoryEdit>("sourcefiles")->setText(bitmaps);

    EXPECT_EQ(app.prompts.errors.size(), 1u);
    EXPECT_EQ(app.control<TextListEdit>("filelist")->lines().size(), 3);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(entry->isEnabled());

    app.control<widgets::TAdvDirectoryEdit>("sourcefiles")->setText(tiles);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(entry->isEnabled());
}

TEST(MainWindowSave, MenuEntrySavesWithTheDialogInTheQuiltMapFolderMadeFirst)
{
    AppHarness app;
    app.writeIni(iniFor(threeTiles(app)));
    app.start();
    const QString maps = app.makeFolder(u"home"_s) + u"/Pictures/QuiltMaps/";
    app.options().setQuiltMapFolder(maps);
    app.prompts.saveAnswer = maps + u"QuiltMap.png";

    app.control<QAction>("SaveQuiltmap1")->trigger();

    ASSERT_EQ(app.prompts.saveRequests.size(), 1u);
    EXPECT_EQ(app.prompts.saveRequests[0].InitialDir, maps);
    EXPECT_TRUE(QFile::exists(maps + u"QuiltMap.png"));
    EXPECT_TRUE(QFile::exists(maps + u"QuiltMap.txt"));
}

TEST(MainWindowPreview, ShowsTheSheetAtNaturalSizeAndIgnoresTheWheel)
{
    AppHarness app;
    const QString folder = app.makeFolder(QStringLiteral("big"));
    for (const char *name : { "a.png", "b.png", "c.png", "d.png" })
        writeTile(folder + u'/' + QLatin1String(name), { 400, 300 }, Qt::yellow);
    app.writeIni(iniFor(folder, QStringLiteral("4")));
    app.start();

    QScrollArea &box = *app.control<QScrollArea>("ScrollBox1");
    EXPECT_EQ(app.control<RasterView>("pb")->geometry(), QRect(3, 3, 1600, 300));
    EXPECT_EQ(box.widget()->size(), QSize(1603, 303));
    QScrollBar &bar = *box.horizontalScrollBar();
    EXPECT_GT(bar.maximum(), 0);
    EXPECT_TRUE(bar.hasTracking());

    const QPointF at(50, 50);
    QWheelEvent wheel(at, box.viewport()->mapToGlobal(at), {}, { 0, -120 }, Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box.viewport(), &wheel);
    QWheelEvent sideways(at, box.viewport()->mapToGlobal(at), {}, { -120, 0 }, Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box.viewport(), &sideways);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(box.verticalScrollBar()->value(), 0);

    app.main().pbClick();
    EXPECT_TRUE(box.hasFocus() || QApplication::focusWidget() == nullptr);
}

} // namespace
} // namespace quiltmap::app::test
