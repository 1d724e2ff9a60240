#include "support/temp_dir.h"
#include "widgets/directory_validity.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace quiltmap::widgets {
namespace {

using test::TempDir;

class DirectoryValidity : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
        m_dir.write(QStringLiteral("file.png"), "x");
    }

    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    TempDir m_dir;
};

TEST_F(DirectoryValidity, ExistingFolderWithOrWithoutTrailingSeparator)
{
    EXPECT_TRUE(isValidDirectory(path("folder")));
    EXPECT_TRUE(isValidDirectory(path("folder/")));
    EXPECT_TRUE(isValidDirectory(QStringLiteral("/")));
}

TEST_F(DirectoryValidity, NothingMissingOrNotAFolderIsValid)
{
    EXPECT_FALSE(isValidDirectory(QString()));
    EXPECT_FALSE(isValidDirectory(path("file.png")));
    EXPECT_FALSE(isValidDirectory(path("file.png/")));
    EXPECT_FALSE(isValidDirectory(path("missing")));
    EXPECT_FALSE(isValidDirectory(path("*")));
    EXPECT_FALSE(isValidDirectory(path("folder") + u'/' + QString(5000, u'a')));
}

TEST_F(DirectoryValidity, TextIsNotTrimmed)
{
    EXPECT_FALSE(isValidDirectory(path("folder") + u' '));
}

TEST_F(DirectoryValidity, NulCharacterDoesNotCutThePathShort)
{
    EXPECT_FALSE(isValidDirectory(path("folder") + QChar(u'\0') + QStringLiteral("x")));
}

TEST_F(DirectoryValidity, RelativePathResolvesAgainstTheCurrentDirectory)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    EXPECT_TRUE(isValidDirectory(QStringLiteral("folder")));
    EXPECT_FALSE(isValidDirectory(QStringLiteral("file.png")));
    QDir::setCurrent(previous);
}

TEST_F(DirectoryValidity, SymbolicLinksCountAsTheirTarget)
{
    ASSERT_TRUE(QFile::link(path("folder"), path("to-folder")));
    ASSERT_TRUE(QFile::link(path("file.png"), path("to-file")));
    ASSERT_TRUE(QFile::link(path("missing"), path("dangling")));
    ASSERT_TRUE(QFile::link(path("loop"), path("loop")));
    EXPECT_TRUE(isValidDirectory(path("to-folder")));
    EXPECT_FALSE(isValidDirectory(path("to-file")));
    EXPECT_FALSE(isValidDirectory(path("dangling")));
    EXPECT_FALSE(isValidDirectory(path("loop")));
}

TEST_F(DirectoryValidity, PathBehindAnUnreadableParentCountsAsValid)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser reads every folder";
    ASSERT_TRUE(QFile::setPermissions(path("folder"), QFileDevice::Permissions()));
    EXPECT_TRUE(isValidDirectory(path("folder/anything")));
    QFile::setPermissions(
        path("folder"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
} // namespace quiltmap::widgets
