#pragma once

#include "app/application.h"
#include "app/user_prompts.h"
#include "sheet/raster.h"
#include "support/temp_dir.h"

#include <QColor>
#include <QSize>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace quiltmap::app::test {

// Answers every box and dialog in place of a person and records what was shown.
class FakePrompts final : public UserPrompts
{
public:
    struct Shown
    {
        QString caption;
        QString text;
    };

    void showError(QWidget *parent, const QString &caption, const QString &text) override;
    void showNotice(QWidget *parent, const QString &caption, const QString &text) override;
    int execModal(QDialog &dialog) override;
    QString chooseSaveFile(QWidget *parent, const SaveDialogSettings &settings) override;

    std::vector<Shown> errors;
    std::vector<Shown> notices;
    // What the user does in a modal dialog; without it the dialog is closed by its close
    // command.
    std::function<int(QDialog &)> answerModal;
    // The path the user picks; empty cancels.
    QString saveAnswer;
    std::vector<SaveDialogSettings> saveRequests;
};

// A PNG file of one colour.
void writeTile(const QString &path, QSize size, QColor colour);

QColor pixel(const sheet::Raster &raster, int x, int y);

// A settings file that preselects the folder, with both folder settings under /saved/.
QString iniFor(const QString &folder, const QString &tilesPerRow = QStringLiteral("25"));

// The three windows over a fresh executable folder, with every prompt answered by the test and
// the test's error reporter installed as the application does.
class AppHarness
{
public:
    AppHarness();
    ~AppHarness();
    AppHarness(const AppHarness &) = delete;
    AppHarness &operator=(const AppHarness &) = delete;

    // The executable folder with its trailing "/".
    QString executableFolder() const { return m_exeFolder.path() + u'/'; }
    QString iniPath() const { return executableFolder() + QStringLiteral("CreateQuiltMap.ini"); }
    void writeIni(const QString &content) const;
    QString readIni() const;

    // A folder of tiles inside the harness's temporary space.
    QString makeFolder(const QString &name) const;

    // Shows the main window as the application does at start, then runs the start-up timer's
    // handler at once instead of a second later.
    void start();

    TfrmMain &main() { return m_windows->frmMain; }
    // A control of the main window by its name; the test fails when there is none.
    template<typename Control> Control *control(const char *name)
    {
        auto *found = main().findChild<Control *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    TfrmOptions &options() { return m_windows->frmOptions; }
    FakePrompts prompts;

private:
    quiltmap::test::TempDir m_exeFolder;
    quiltmap::test::TempDir m_data;
    ErrorReporter m_errors;
    std::unique_ptr<QuiltMapWindows> m_windows;
};

} // namespace quiltmap::app::test
