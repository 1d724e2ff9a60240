#include "app_harness.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace quiltmap::app::test {

void FakePrompts::showError(QWidget *, const QString &caption, const QString &text)
{
    errors.push_back({ caption, text });
}

void FakePrompts::showNotice(QWidget *, const QString &caption, const QString &text)
{
    notices.push_back({ caption, text });
}

int FakePrompts::execModal(QDialog &dialog)
{
    return answerModal ? answerModal(dialog) : TfrmOptions::mrCancel;
}

QString FakePrompts::chooseSaveFile(QWidget *, const SaveDialogSettings &settings)
{
    saveRequests.push_back(settings);
    return saveAnswer;
}

void writeTile(const QString &path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
}

QColor pixel(const sheet::Raster &raster, int x, int y)
{
    const std::uint8_t *p = raster.row(y) + 3 * std::size_t(x);
    return QColor(p[0], p[1], p[2]);
}

QString iniFor(const QString &folder, const QString &tilesPerRow)
{
    return QStringLiteral("[Work]\nLastIconpath=%1\n[Options]\nTilesPerRow=%2\n"
                          "LastSavePath=/saved/patches/\nQuiltMapDir=/saved/maps/\n")
        .arg(folder, tilesPerRow);
}

AppHarness::AppHarness()
    : m_errors(prompts, QStringLiteral("Createquiltmap"))
    , m_windows(std::make_unique<QuiltMapWindows>(
          AppContext { m_errors, settings::portableLocation(executableFolder()) }))
{
    installErrorReporter(&m_errors);
}

AppHarness::~AppHarness()
{
    installErrorReporter(nullptr);
}

void AppHarness::writeIni(const QString &content) const
{
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content.toUtf8());
}

QString AppHarness::readIni() const
{
    QFile file(iniPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString AppHarness::makeFolder(const QString &name) const
{
    const QString path = m_data.filePath(name);
    QDir().mkpath(path);
    return path;
}

void AppHarness::start()
{
    main().show();
    main().Timer1Timer();
}

} // namespace quiltmap::app::test
