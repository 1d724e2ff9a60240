#include "support/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace quiltmap::test {

TempDir::TempDir()
{
    EXPECT_TRUE(m_dir.isValid());
}

QString TempDir::write(const QString &name, const QByteArray &bytes) const
{
    const QString full = filePath(name);
    QFile file(full);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(file.write(bytes), bytes.size());
    return full;
}

QByteArray TempDir::read(const QString &name) const
{
    QFile file(filePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

} // namespace quiltmap::test
