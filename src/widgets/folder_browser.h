#pragma once

#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace quiltmap::widgets {

// The folder-browse dialog of the directory field, behind an interface so tests can stand in.
class FolderBrowser
{
public:
    virtual ~FolderBrowser() = default;

    // Shows a modal folder chooser for `field` starting at `startFolder`; returns the folder the
    // user confirmed, or nothing when the user cancelled.
    virtual std::optional<QString> browse(
        QWidget *field, const QString &startFolder, const QString &title)
        = 0;
};

// Qt's own folder chooser: folders only, no new-folder button, placed below the field.
std::unique_ptr<FolderBrowser> makeQtFolderBrowser();

} // namespace quiltmap::widgets
