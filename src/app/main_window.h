#pragma once

#include "app/user_prompts.h"
#include "cli/any_format_reader.h"
#include "settings/app_settings.h"
#include "sheet/composition.h"
#include "sheet/geometry.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

class QAction;
class QHelpEvent;
class QPushButton;
class QScrollArea;

namespace quiltmap::sheet {
class Raster;
}

namespace quiltmap::widgets {
class TAdvDirectoryEdit;
class THTMLabel;
class TMoneyEdit;
} // namespace quiltmap::widgets

namespace quiltmap::aniicon {
class TAniIcon;
}

namespace quiltmap::app {

class CompositionRun;
class ErrorReporter;
class FileListBox;
class RasterView;
class TextListEdit;
class TfrmOptions;

// Where the windows find what lies outside them.
struct AppContext
{
    // Message boxes and dialogs; every error box has the application title as caption.
    const ErrorReporter &errors;
    // Where the settings file and the folder defaults live.
    settings::SettingsLocation settingsLocation;
};

// The main window: the source folder, the cell size and tiles-per-row fields, the file list,
// the name list, the busy indicator, the create and save buttons and the scrollable preview.
class TfrmMain : public QMainWindow
{
    Q_OBJECT

public:
    TfrmMain(const AppContext &context, TfrmOptions &options);
    ~TfrmMain() override;

    // The sheet of the last completed composition, null before one and after the window
    // closed.
    const sheet::Raster *exportImage() const;
    // What the save dialog was last set up with; its initial folder is also a setting.
    const SaveDialogSettings &saveDialogSettings() const { return SaveDialog1; }

    // Event handlers. Each reports its own errors through the top-level error handler.
    void FormShow();
    void FormCloseQuery();
    void FormClose();
    void Timer1Timer();
    void sourcefilesChange(QObject *sender);
    void Button1Click(QObject *sender);
    void butsavestockClick();
    void edit_widthExit();
    void edit_heightExit();
    void edit_columnsExit();
    void Options1Click(QObject *sender);
    void SheetOptions1Click(QObject *sender);
    // Zooms the preview to `percent`, keeping the content point under `anchor` (in the scroll
    // box's viewport) in place.
    void zoomPreview(int percent, QPoint anchor);
    void zoomPreviewBy(int steps);
    void ShowGrid1Click(bool shown);
    // Selects the line of the cell at a sheet point in the name list.
    void pbClickAt(QPointF sheetPoint);
    // Outlines the cell of the name list's current line and scrolls it into view.
    void filelistCursorMoved();
    void Exit1Click();
    void pbClick();
    void ScrollBox1MouseWheel();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    template<typename Control, typename... Arguments>
    Control *addControl(const char *name, Arguments &&...arguments);
    void createControls();
    void createTileOptions();
    void createMenu();
    void createViewMenu();
    void connectHandlers();

    // The work behind the handlers; these pass their errors on.
    void FormCreate();
    void readSettings();
    void SaveOptions();
    void folderPath(QObject *sender);
    sheet::GeometryResult computeSheetGeometry(sheet::GeometryVariant variant);
    void CheckImagesize(QObject *sender);
    // `listed`: the file list was read just now (a folder typed in is, to measure its cell), so
    // the composition takes it as it is instead of reading the folder again.
    void GenerateStock(QObject *sender, bool listed = false);
    void startComposition(QObject *sender);
    void startBusy();
    void endBusy(bool sheetComplete);
    void fitScrollContent();
    // The listed files in the order the sheet takes them.
    QStringList orderedNames() const;
    sheet::TileReader &tileReader();
    sheet::SheetStyle sheetStyle() const;
    void writeDataFiles(const QString &chosenPath) const;
    void showPreviewToolTip(const QHelpEvent &event);

    // The controls the window's code works with, named as the window's parts are named
    // throughout; every control also carries its name as its object name.
    widgets::THTMLabel *imagesizeinfo;
    widgets::TMoneyEdit *edit_width;
    widgets::TMoneyEdit *edit_height;
    widgets::TMoneyEdit *edit_columns;
    widgets::TAdvDirectoryEdit *sourcefiles;
    FileListBox *files;
    QPushButton *Button1;
    TextListEdit *log;
    TextListEdit *filelist;
    aniicon::TAniIcon *AniIcon1;
    QPushButton *butsavestock;
    QScrollArea *ScrollBox1;
    RasterView *pb;
    QAction *SaveQuiltmap1;
    QAction *Options1;
    QAction *SheetOptions1;
    QAction *Exit1;
    QAction *ZoomIn1;
    QAction *ZoomOut1;
    QAction *ActualSize1;
    QAction *ShowGrid1;
    QTimer Timer1;
    SaveDialogSettings SaveDialog1;

    const ErrorReporter &m_errors;
    TfrmOptions &m_options;
    settings::AppSettings m_settings;
    settings::SheetSettings m_sheetSettings;
    cli::AnyFormatReader m_anyFormat;
    bool m_shown = false;
    std::unique_ptr<CompositionRun> m_run;
};

} // namespace quiltmap::app
