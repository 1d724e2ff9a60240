#include "common/atomic_file.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QIODevice>
#include <cerrno>
#include <gtest/gtest.h>

namespace quiltmap {
namespace {

using namespace Qt::StringLiterals;

QString target;
QByteArray targetAtSync;
int syncs = 0;

// Syncs as the system does and notes what the file to be replaced held then.
int recordingSync(int descriptor)
{
    ++syncs;
    QFile file(target);
    targetAtSync = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return ::fsync(descriptor);
}

// Fails as a full disk does when it grants space only on sync.
int fullDiskSync(int)
{
    errno = ENOSPC;
    return -1;
}

bool writeNew(QIODevice &out)
{
    return out.write("new") == 3;
}

TEST(ReplaceFileContents, SyncsTheNewDataBeforeItReplacesTheFileAndReportsAFailedSync)
{
    const test::TempDir dir;
    target = dir.write(u"out.txt"_s, "old");

    EXPECT_EQ(replaceFileContents(target, writeNew, fullDiskSync), qt_error_string(ENOSPC));
    EXPECT_EQ(dir.read(u"out.txt"_s), "old");

    EXPECT_EQ(replaceFileContents(target, writeNew, recordingSync), std::nullopt);
    EXPECT_EQ(syncs, 1);
    EXPECT_EQ(targetAtSync, "old");
    EXPECT_EQ(dir.read(u"out.txt"_s), "new");
}

} // namespace
} // namespace quiltmap
