#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quiltmap::test {

// A fresh folder for one test, removed with its contents afterwards.
class TempDir
{
public:
    TempDir();

    QString path() const { return m_dir.path(); }
    // Full path of a name inside the folder.
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    // Writes bytes to a file of the folder and returns its full path.
    QString write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

} // namespace quiltmap::test
