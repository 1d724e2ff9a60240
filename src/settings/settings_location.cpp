#include "settings/settings_location.h"

#include "common/atomic_file.h"
#include "settings/settings_keys.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace quiltmap::settings {

SettingsLocation portableLocation(const QString &executableFolder)
{
    return { executableFolder + kSettingsFileName, QString(), executableFolder };
}

SettingsLocation chooseSettingsLocation(const LocationFacts &facts)
{
    if (facts.executableFolderTakesWrites || facts.besideFileTakesWrites)
        return portableLocation(facts.executableFolder);
    return { facts.userConfigFolder + kSettingsFileName,
        facts.besideFileExists ? facts.executableFolder + kSettingsFileName : QString(),
        facts.picturesFolder };
}

LocationFacts probeLocationFacts(const QString &executableFolder)
{
    const QString besideFile = executableFolder + kSettingsFileName;
    return { executableFolder, takesWrites(executableFolder), QFileInfo::exists(besideFile),
        takesWrites(besideFile),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/'
            + kUserConfigFolderName + u'/',
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + u'/' };
}

} // namespace quiltmap::settings
