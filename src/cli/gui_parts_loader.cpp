#include "cli/gui_parts.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>

namespace quiltmap::cli {
namespace {

using namespace Qt::StringLiterals;

GuiParts *chosenParts = nullptr;

GuiParts &loadModule()
{
    const QString program = QFile::symLinkTarget(u"/proc/self/exe"_s);
    const QString failed = u"cannot load the module for --any-format and --proof: "_s;
    // Never a folder relative to where the command runs: anyone could plant a module there.
    if (!QFileInfo(program).isAbsolute())
        throw Error(failed + u"the program's own folder is unknown"_s);
    const QString programFolder = QFileInfo(program).path();
    const QString name = QStringLiteral(QUILTMAP_GUI_MODULE_NAME);
    QStringList failures;
    for (const QString &folder :
        { QDir(programFolder).filePath(QStringLiteral(QUILTMAP_GUI_MODULE_DIR)), programFolder }) {
        const QString path = QDir::cleanPath(QDir(folder).filePath(name));
        void *module = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            failures.append(QString::fromLocal8Bit(::dlerror()));
            continue;
        }
        using Entry = GuiParts *(*)();
        // A module that has the entry stays loaded: the parts it hands out live as long as the
        // process.
        if (const auto entry = reinterpret_cast<Entry>(::dlsym(module, QUILTMAP_GUI_ENTRY_NAME)))
            return *entry();
        ::dlclose(module);
        failures.append(path + u": a module of another version"_s);
    }
    throw Error(failed + failures.join(u"; "_s));
}

} // namespace

GuiParts &guiParts()
{
    if (chosenParts == nullptr)
        chosenParts = &loadModule();
    return *chosenParts;
}

void useGuiParts(GuiParts &parts)
{
    chosenParts = &parts;
}

} // namespace quiltmap::cli
