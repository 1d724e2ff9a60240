#include "ani_test_files.h"
#include "aniicon/ani_icon_file.h"
#include "busy_animation/ani_builder.h"
#include "support/temp_dir.h"

#include <QBuffer>
#include <QDir>
#include <gtest/gtest.h>
#include <type_traits>

namespace quiltmap::aniicon {
namespace {

using namespace anibuilder;
using namespace aniicon::test;

TEST(TAniIconFile, SetDataSetsHasDataAlsoWithoutAFrameList)
{
    TAniIconFile file;
    int changes = 0;
    file.setOnChange([&] { ++changes; });
    file.setData(animation(3, 7));
    EXPECT_TRUE(file.HasData());
    file.setHasData(false);
    file.setData(riffAcon(aniHeaderChunk({ 1, 1, 4, 1 }) + chunk("junk", QByteArray("abcd"))));
    EXPECT_TRUE(file.HasData());
    EXPECT_EQ(loadedFrames(file.cursor()), 3);
    EXPECT_EQ(changes, 2);
}

TEST(TAniIconFile, DataCutInAFrameFailsAndKeepsWhatWasRead)
{
    TAniIconFile file;
    file.setData(animation(4, 2));
    file.SelectFrame(1);
    file.setHasData(false);
    int changes = 0;
    file.setOnChange([&] { ++changes; });

    const QByteArray whole = animation(4, 2);
    const QByteArray cut = whole.left(whole.indexOf("icon", 12 + 44 + 12 + 2 * 1158) + 500);
    EXPECT_EQ(failureOf([&] { file.setData(cut); }), QStringLiteral("Stream-Lesefehler"));
    EXPECT_EQ(loadedColours(file.cursor()), coloursOf(2));
    EXPECT_EQ(file.Data(), cut);
    EXPECT_FALSE(file.HasData());
    EXPECT_EQ(changes, 0);
    // The playback position is not reset by a failed rebuild.
    EXPECT_EQ(file.CurFrame(), 1);
}

TEST(TAniIconFile, LoadFromStreamReadsFromTheFirstByteWithoutNotifying)
{
    QByteArray bytes = animation(3);
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    buffer.seek(buffer.size());
    TAniIconFile file;
    int changes = 0;
    file.setOnChange([&] { ++changes; });
    file.LoadFromStream(&buffer);
    file.LoadFromStream(nullptr);
    EXPECT_EQ(loadedFrames(file.cursor()), 3);
    EXPECT_TRUE(file.HasData());
    EXPECT_EQ(file.Data(), bytes);
    EXPECT_EQ(changes, 0);
}

TEST(TAniIconFile, LoadFromFileTakesOnlyExistingAniFiles)
{
    quiltmap::test::TempDir dir;
    const QByteArray bytes = animation(2);
    dir.write(QStringLiteral("busy.ani"), bytes);
    dir.write(QStringLiteral("BUSY2.AnI"), bytes);
    dir.write(QStringLiteral("busy.cur"), bytes);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ani")));
    const struct
    {
        const char *name;
        bool loads;
    } cases[] = { { "busy.ani", true }, { "BUSY2.AnI", true }, { "busy.cur", false },
        { "missing.ani", false }, { "folder.ani", false } };
    for (const auto &fileCase : cases) {
        SCOPED_TRACE(fileCase.name);
        TAniIconFile file;
        int changes = 0;
        file.setOnChange([&] { ++changes; });
        file.LoadFromFile(dir.filePath(QLatin1String(fileCase.name)));
        EXPECT_EQ(loadedFrames(file.cursor()), fileCase.loads ? 2 : 0);
        EXPECT_EQ(file.HasData(), fileCase.loads);
        EXPECT_EQ(changes, fileCase.loads ? 1 : 0);
    }
}

TEST(TAniIconFile, SaveToStreamWritesTheKeptBytesAtThePosition)
{
    TAniIconFile file;
    const QByteArray bytes = animation(1);
    file.setData(bytes);
    QByteArray written("xy");
    QBuffer buffer(&written);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly | QIODevice::Append));
    file.SaveToStream(&buffer);
    file.SaveToStream(nullptr);
    EXPECT_EQ(written, "xy" + bytes);
}

TEST(TAniIconFile, AssignCopiesAnotherAnimationWithoutNotifying)
{
    TAniIconFile source;
    source.setData(animation(3));
    TAniIconFile file;
    int changes = 0;
    file.setOnChange([&] { ++changes; });
    file.Assign(&source);
    EXPECT_EQ(loadedColours(file.cursor()), coloursOf(3));
    EXPECT_EQ(file.Data(), source.Data());
    EXPECT_TRUE(file.HasData());
    EXPECT_EQ(changes, 0);
}

TEST(TAniIconFile, AssignOfNullEmptiesAllButThePlaybackPosition)
{
    TAniIconFile file;
    file.setData(animation(3, 0));
    file.SelectFrame(1);
    file.Assign(nullptr);
    EXPECT_EQ(loadedFrames(file.cursor()), 0);
    EXPECT_TRUE(file.Data().isEmpty());
    EXPECT_FALSE(file.HasData());
    EXPECT_EQ(file.CurFrame(), 1);
    EXPECT_TRUE(file.cursor().currentImage().isNull());
}

// Only another animation or null can be assigned: anything else no longer compiles, so the
// assignment error of other objects cannot arise.
static_assert(
    !std::is_invocable_v<decltype(&TAniIconFile::Assign), TAniIconFile &, const QObject *>);
static_assert(std::is_invocable_v<decltype(&TAniIconFile::Assign), TAniIconFile &, std::nullptr_t>);

TEST(TAniIconFile, TickNotifiesOnlyWhenTheFrameAdvances)
{
    TAniIconFile file;
    file.setData(animation(2, 4));
    std::vector<int> notified;
    file.setOnChange([&] { notified.push_back(file.CurFrame()); });
    for (int tick = 0; tick < 9; ++tick)
        file.Tick();
    EXPECT_EQ(notified, (std::vector<int> { 1, 0, 1 }));
}

} // namespace
} // namespace quiltmap::aniicon
