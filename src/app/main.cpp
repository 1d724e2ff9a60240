#include "app/app_title.h"
#include "app/application.h"
#include "app/user_prompts.h"
#include "settings/app_settings.h"
#include "settings/settings_location.h"
#include "widgets/app_fonts.h"

using namespace quiltmap;

int main(int argc, char **argv)
{
    app::QuiltMapApplication application(argc, argv);
    // The menu entry's name (packaging/), so that desktops match the window to its entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quiltmap.CreateQuiltMap"));
    widgets::ensureApplicationFonts();

    app::QtUserPrompts prompts;
    const app::ErrorReporter errors(
        prompts, app::applicationTitle(QCoreApplication::applicationFilePath()));
    app::installErrorReporter(&errors);

    app::QuiltMapWindows windows({ errors,
        settings::chooseSettingsLocation(
            settings::probeLocationFacts(settings::executableFolder())) });
    windows.frmMain.show();
    const int result = QApplication::exec();
    app::installErrorReporter(nullptr);
    return result;
}
