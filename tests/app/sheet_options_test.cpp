#include "app/raster_view.h"
#include "app/text_list_edit.h"
#include "app_harness.h"
#include "cli/cli_run.h"
#include "cli/gui_parts.h"
#include "widgets/html_label.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSpinBox>
#include <QTextStream>
#include <gtest/gtest.h>

namespace quiltmap::app::test {
namespace {

using namespace Qt::StringLiterals;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Tiles of differing sizes whose natural order differs from their name order, a JPEG and a
// damaged file.
QString mixedTiles(const AppHarness &app)
{
    const QString folder = app.makeFolder(u"mixed"_s);
    writeTile(folder + u"/t10.png", { 16, 16 }, Qt::red);
    writeTile(folder + u"/t9.png", { 24, 12 }, Qt::green);
    writeTile(folder + u"/u.png", { 10, 20 }, Qt::blue);
    EXPECT_TRUE(QImage(8, 8, QImage::Format_RGB888).save(folder + u"/v.jpg", "JPEG"));
    QFile damaged(folder + u"/w.png");
    EXPECT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x89PNG\r\n\x1a\nbroken");
    return folder;
}

struct SaveCase
{
    const char *sheetSection;
    QStringList options;
    // Files the run cannot read, listed in the log.
    int skipped;
    // The files written.
    int written;
};

class SheetOptionsSave : public testing::TestWithParam<SaveCase>
{
};

// With the options set, the window's save and quiltmap write the same bytes.
TEST_P(SheetOptionsSave, WritesWhatTheCommandLineWrites)
{
    const SaveCase &c = GetParam();
    AppHarness app;
    const QString folder = mixedTiles(app);
    app.writeIni(iniFor(folder, u"2"_s) + QLatin1String(c.sheetSection));
    app.start();
    ASSERT_TRUE(app.prompts.errors.empty()) << app.prompts.errors[0].text.toStdString();
    const QStringList log = app.control<TextListEdit>("log")->lines();
    EXPECT_EQ(log.size(), c.skipped);
    EXPECT_TRUE(log.back().startsWith(u"w.png: "_s)) << log.back().toStdString();
    const QString window = app.makeFolder(u"window"_s);
    app.options().setQuiltMapFolder(window);
    app.prompts.saveAnswer = window + u"/QuiltMap.png";
    app.control<QPushButton>("butsavestock")->click();
    ASSERT_TRUE(app.prompts.errors.empty()) << app.prompts.errors[0].text.toStdString();

    const QString cli = app.makeFolder(u"cli"_s);
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    cli::useGuiParts(cli::linkedGuiParts());
    cli::runCli(c.options + QStringList { u"-n"_s, u"2"_s, u"-o"_s, cli + u"/QuiltMap"_s, folder },
        { outStream, errStream });
    for (const char *extension : { ".png", ".txt", ".json", ".csv", ".atlas.json", ".tsx" }) {
        const QString name = u"/QuiltMap"_s + QLatin1String(extension);
        EXPECT_EQ(QFile::exists(window + name), QFile::exists(cli + name)) << extension;
        EXPECT_EQ(contents(window + name), contents(cli + name))
            << extension << ": " << err.toStdString();
    }
    EXPECT_EQ(QDir(window).entryList(QDir::Files).size(), c.written);
}

INSTANTIATE_TEST_SUITE_P(Options, SheetOptionsSave,
    testing::Values(
        SaveCase { "[Sheet]\nBackground=transparent\nSpacing=2\nMargin=3\nOrder=natural\n"
                   "AnyFormat=1\nKeepGoing=1\nData=json,csv\n",
            { u"--background=transparent"_s, u"--spacing=2"_s, u"--margin=3"_s,
                u"--order=natural"_s, u"--any-format"_s, u"--keep-going"_s, u"--data=json"_s,
                u"--data=csv"_s },
            1, 4 },
        SaveCase { "[Sheet]\nBackground=#102030\nCell=largest\nKeepGoing=1\n"
                   "Data=csv,phaser,tiled\n",
            { u"--background=#102030"_s, u"--cell=largest"_s, u"--keep-going"_s, u"--data=csv"_s,
                u"--data=phaser"_s, u"--data=tiled"_s },
            2, 5 },
        SaveCase { "[Sheet]\nMargin=1\nOrder=natural\nCell=largest\nAnyFormat=1\nKeepGoing=1\n",
            { u"--margin=1"_s, u"--order=natural"_s, u"--cell=largest"_s, u"--any-format"_s,
                u"--keep-going"_s },
            1, 2 }));

TEST(SheetOptionsDialog, OkKeepsAndRecomposesCancelChangesNothing)
{
    AppHarness app;
    const QString folder = app.makeFolder(u"tiles"_s);
    for (const char *name : { "a.png", "b.png", "c.png" })
        writeTile(folder + u'/' + QLatin1String(name), { 10, 10 }, Qt::red);
    app.writeIni(iniFor(folder, u"2"_s));
    app.start();
    QAction *entry = app.control<QAction>("SheetOptions1");
    EXPECT_EQ(entry->shortcut(), QKeySequence(u"Ctrl+Shift+O"_s));
    const QString before = app.readIni();
    app.prompts.answerModal = [](QDialog &dialog) {
        dialog.findChild<QSpinBox *>(u"spacing"_s)->setValue(7);
        return int(QDialog::Rejected);
    };
    entry->trigger();
    EXPECT_EQ(app.readIni(), before);
    EXPECT_EQ(app.control<RasterView>("pb")->size(), QSize(20, 20));

    app.prompts.answerModal = [](QDialog &dialog) {
        dialog.findChild<QSpinBox *>(u"spacing"_s)->setValue(4);
        dialog.findChild<QSpinBox *>(u"margin"_s)->setValue(1);
        return int(QDialog::Accepted);
    };
    entry->trigger();
    EXPECT_TRUE(app.readIni().endsWith(u"[Sheet]\nSpacing=4\nMargin=1\n"_s))
        << app.readIni().toStdString();
    // The sheet and its size report have the spacing and the margin.
    EXPECT_EQ(app.main().exportImage()->width(), 26);
    EXPECT_EQ(app.control<RasterView>("pb")->size(), QSize(26, 26));
    EXPECT_TRUE(app.control<widgets::THTMLabel>("imagesizeinfo")
                    ->HTMLText()
                    .join(QString())
                    .contains(u"Width: <b>26<br>"_s));
    EXPECT_TRUE(app.prompts.errors.empty());

    // A settings file that refuses the options is reported; the sheet follows them anyway.
    ASSERT_TRUE(QFile::setPermissions(app.iniPath(), QFileDevice::ReadOwner));
    app.prompts.answerModal = [](QDialog &dialog) {
        dialog.findChild<QSpinBox *>(u"spacing"_s)->setValue(0);
        return int(QDialog::Accepted);
    };
    entry->trigger();
    EXPECT_EQ(app.prompts.errors.size(), 1u);
    EXPECT_EQ(app.control<RasterView>("pb")->size(), QSize(22, 22));
}

} // namespace
} // namespace quiltmap::app::test
