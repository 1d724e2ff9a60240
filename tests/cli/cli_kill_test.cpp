// Kills quiltmap at random moments while it writes a large sheet over an existing one: each file
// is then either the previous one or the complete new one, byte for byte, the name list is never
// newer than the image, and no partial temporary file is left in the folder.
#include "png_builder/png_builder.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <random>

namespace quiltmap::cli {
namespace {

using namespace Qt::StringLiterals;

QByteArray noiseTile(int side, unsigned seed)
{
    std::mt19937 random(seed);
    pngbuilder::PngRecipe recipe;
    recipe.width = recipe.height = std::uint32_t(side);
    recipe.colourType = 2;
    recipe.samples.resize(std::size_t(side) * side * 3);
    for (auto &sample : recipe.samples)
        sample = std::uint8_t(random());
    const std::vector<std::uint8_t> bytes = pngbuilder::buildPng(recipe);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

struct Output
{
    QByteArray png;
    QByteArray names;
};

class KilledWrite : public testing::Test
{
protected:
    KilledWrite()
    {
        for (const QString &folder : { u"tiles"_s, u"few"_s, u"out"_s })
            QDir(dir.path()).mkpath(folder);
        for (int i = 0; i < 400; ++i)
            dir.write(u"tiles/tile%1.png"_s.arg(i, 3, 10, QLatin1Char('0')), noiseTile(48, i));
        for (int i = 0; i < 20; ++i)
            dir.write(u"few/few%1.png"_s.arg(i), noiseTile(48, 1000 + i));
    }

    QProcess *start(const QString &folder)
    {
        m_process.start(QStringLiteral(QUILTMAP_CLI),
            { u"-q"_s, u"-o"_s, dir.filePath(u"out/sheet"_s), dir.filePath(folder) });
        EXPECT_TRUE(m_process.waitForStarted());
        return &m_process;
    }

    Output runToTheEnd(const QString &folder)
    {
        start(folder);
        EXPECT_TRUE(m_process.waitForFinished(60000));
        EXPECT_EQ(m_process.exitCode(), 0) << m_process.readAllStandardError().toStdString();
        return output();
    }

    Output output() const { return { dir.read(u"out/sheet.png"_s), dir.read(u"out/sheet.txt"_s) }; }

    void restore(const Output &files) const
    {
        dir.write(u"out/sheet.png"_s, files.png);
        dir.write(u"out/sheet.txt"_s, files.names);
    }

    // A finished file gets a temporary name in the folder just before it is renamed over the old
    // one, as no call replaces a file with an unnamed one: a kill between the two leaves that
    // complete copy behind. Any other file, or a partial copy, is a fault. The copy is removed
    // so that the next round starts clean.
    void expectNoPartialFile(const Output &complete) const
    {
        QDir out(dir.filePath(u"out"_s));
        const QStringList entries
            = out.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        EXPECT_TRUE(entries.contains(u"sheet.png"_s) && entries.contains(u"sheet.txt"_s));
        for (const QString &entry : entries) {
            if (entry == u"sheet.png"_s || entry == u"sheet.txt"_s)
                continue;
            const QByteArray bytes = dir.read(u"out/"_s + entry);
            EXPECT_TRUE((entry.startsWith(u"sheet.png."_s) && bytes == complete.png)
                || (entry.startsWith(u"sheet.txt."_s) && bytes == complete.names))
                << "left behind: " << entry.toStdString();
            out.remove(entry);
        }
    }

    test::TempDir dir;

private:
    QProcess m_process;
};

TEST_F(KilledWrite, LeavesThePreviousOrTheNewFilesAndNoPartialFile)
{
    // The new sheet, and how long writing it takes from start to end.
    QElapsedTimer clock;
    clock.start();
    const Output next = runToTheEnd(u"tiles"_s);
    const qint64 runMs = clock.elapsed();
    const Output previous = runToTheEnd(u"few"_s);
    ASSERT_NE(previous.png, next.png);
    ASSERT_NE(previous.names, next.names);

    std::mt19937 random(std::random_device {}());
    std::uniform_int_distribution<qint64> moment(0, runMs);
    int interrupted = 0;
    int replaced = 0;
    for (int round = 0; round < 20; ++round) {
        const qint64 killAfterMs = moment(random);
        SCOPED_TRACE(
            "killed after " + std::to_string(killAfterMs) + " ms of " + std::to_string(runMs));
        QProcess *process = start(u"tiles"_s);
        QThread::msleep(static_cast<unsigned long>(killAfterMs));
        process->kill();
        process->waitForFinished();
        interrupted += process->exitStatus() == QProcess::CrashExit ? 1 : 0;

        const Output now = output();
        replaced += now.png == next.png ? 1 : 0;
        EXPECT_TRUE(now.png == previous.png || now.png == next.png);
        EXPECT_TRUE(now.names == previous.names || now.names == next.names);
        // The name list is written after the image.
        EXPECT_TRUE(now.names == previous.names || now.png == next.png);
        expectNoPartialFile(next);
        restore(previous);
    }
    std::printf("%d of 20 runs killed before they ended, %d after the image was replaced\n",
        interrupted, replaced);
}

} // namespace
} // namespace quiltmap::cli
