#include "app/main_window.h"

#include "aniicon/ani_icon.h"
#include "aniicon/busy_animation.h"
#include "app/composition_run.h"
#include "app/error_reporter.h"
#include "app/file_list_box.h"
#include "app/options_dialog.h"
#include "app/raster_view.h"
#include "app/sheet_options_dialog.h"
#include "app/str_to_int.h"
#include "app/text_list_edit.h"
#include "app/window_additions.h"
#include "app/window_look.h"
#include "common/error.h"
#include "common/error_sink.h"
#include "common/sheet_defaults.h"
#include "settings/version_text.h"
#include "sheet/composition.h"
#include "sheet/data_files.h"
#include "sheet/folder_listing.h"
#include "sheet/geometry.h"
#include "sheet/sheet_export.h"
#include "sheet/sheet_layout.h"
#include "sheet/tile_order.h"
#include "sheet/tile_reader.h"
#include "widgets/adv_directory_edit.h"
#include "widgets/adv_reflection_label.h"
#include "widgets/html_label.h"
#include "widgets/money_edit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace quiltmap::app {

namespace {

constexpr int clientWidth = 934;
constexpr int clientHeight = 576;
constexpr int groupBox1Height = 287;
// Colour 33023 in blue-green-red order: the source field of a folder that does not exist.
const QColor invalidFolderColour(255, 128, 0);
const QSize previewSurfaceSize(1000, 500);

QString titleMarkup()
{
    return QStringLiteral("<FONT color=\"#008000\">Q</FONT><FONT color=\"#FF0000\">7</FONT>"
                          "<FONT color=\"#000000\">J</FONT> QuiltMap-Creator");
}

// Where the controls inside the group boxes and the scroll box sit: the parent, and the left
// edge, top edge, width and height inside the parent's client area, in pixels at 96 dots per
// inch. Later rows lie above earlier ones where they overlap.
struct ControlPlace
{
    const char *name;
    const char *parent;
    QRect place;
};

constexpr ControlPlace controlPlaces[] = {
    { "AdvReflectionLabel11", "GroupBox1", { 80, 15, 233, 27 } },
    { "GroupBox2", "GroupBox1", { 1, 120, 401, 121 } },
    { "HTMLabel1", "GroupBox2", { 8, 19, 81, 17 } },
    { "HTMLabel2", "GroupBox2", { 88, 19, 81, 17 } },
    { "HTMLabel3", "GroupBox2", { 168, 19, 81, 17 } },
    { "HTMLabel4", "GroupBox2", { 255, 11, 130, 19 } },
    { "imagesizeinfo", "GroupBox2", { 255, 32, 130, 84 } },
    { "edit_width", "GroupBox2", { 8, 34, 73, 21 } },
    { "edit_height", "GroupBox2", { 88, 34, 73, 21 } },
    { "edit_columns", "GroupBox2", { 168, 34, 73, 21 } },
    { "GroupBox3", "GroupBox1", { 4, 48, 398, 62 } },
    { "sourcefiles", "GroupBox3", { 3, 30, 390, 21 } },
    { "files", "GroupBox1", { 408, 15, 425, 58 } },
    { "Button1", "GroupBox1", { 839, 15, 92, 58 } },
    { "log", "GroupBox1", { 407, 79, 426, 106 } },
    { "filelist", "GroupBox1", { 408, 191, 426, 93 } },
    { "AniIcon1", "GroupBox1", { 367, 143, 32, 32 } },
    { "butsavestock", "GroupBox1", { 839, 79, 92, 205 } },
    { "pb", "ScrollBox1", { 3, 3, 105, 105 } },
};

// The transparent rich-text labels of the tile options and their markup.
constexpr std::pair<const char *, const char *> tileOptionLabels[] = {
    { "HTMLabel1", "<b>WIDTH</b> (Pixel)" },
    { "HTMLabel2", "<b>HEIGHT</b> (Pixel)" },
    { "HTMLabel3", "Icons per <b>ROW</b>" },
    { "HTMLabel4", "<I><U>Calculated Imagesize</U></I>" },
    { "imagesizeinfo", "Calculated Imagesize<br>width<b> x </b>height Pixel" },
};

constexpr const char *tabOrder[] = { "edit_width", "edit_height", "edit_columns", "sourcefiles",
    "files", "Button1", "log", "filelist", "butsavestock", "ScrollBox1" };

const ControlPlace &placeOf(const char *name)
{
    for (const ControlPlace &row : controlPlaces)
        if (std::strcmp(row.name, name) == 0)
            return row;
    throw std::logic_error(std::string("no place for the control ") + name);
}

QColor windowColour()
{
    return QGuiApplication::palette().color(QPalette::Base);
}

// The wait cursor over every window while the object lives.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

TfrmMain::TfrmMain(const AppContext &context, TfrmOptions &options)
    : m_errors(context.errors)
    , m_options(options)
    , m_settings(context.settingsLocation)
{
    applyWindowLook(*this, QStringLiteral("frmMain"), QStringLiteral("frmMain"));
    createControls();
    createMenu();
    connectHandlers();
    new FolderDrops(*this, [this](const QString &folder) { sourcefiles->setText(folder); });
    resize(clientWidth, clientHeight + menuBar()->sizeHint().height());
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

const sheet::Raster *TfrmMain::exportImage() const
{
    return m_run->finishedSheet();
}

// Makes a control of the placement table, named after its row, inside its parent and at its
// place; `arguments` go before the parent to the control's constructor.
template<typename Control, typename... Arguments>
Control *TfrmMain::addControl(const char *name, Arguments &&...arguments)
{
    const ControlPlace &row = placeOf(name);
    auto *parent = findChild<QWidget *>(QLatin1String(row.parent));
    if (auto *scrollBox = qobject_cast<QScrollArea *>(parent))
        parent = scrollBox->widget();
    auto *control = new Control(std::forward<Arguments>(arguments)..., parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(row.place);
    return control;
}

void TfrmMain::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    auto *clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);
    auto *groupBox1 = new QGroupBox(QStringLiteral("GroupBox1"), client);
    groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    groupBox1->setFixedHeight(groupBox1Height);
    clientLayout->addWidget(groupBox1);
    createTileOptions();

    addControl<QGroupBox>("GroupBox3", QStringLiteral(" Source "));
    sourcefiles = addControl<widgets::TAdvDirectoryEdit>("sourcefiles");
    sourcefiles->setLabelCaption(QStringLiteral("Select Directory of Sourcefiles"));
    sourcefiles->setLabelPosition(widgets::TAdvDirectoryEdit::lpTopCenter);
    sourcefiles->setColor(windowColour());
    sourcefiles->setBrowseDialogTitle(QStringLiteral("Select Directory"));

    files = addControl<FileListBox>("files");
    Button1 = addControl<QPushButton>("Button1", QStringLiteral("Create Quiltmap"));
    log = addControl<TextListEdit>("log");
    filelist = addControl<TextListEdit>("filelist");
    AniIcon1 = addControl<aniicon::TAniIcon>("AniIcon1");
    AniIcon1->AniFile()->setData(aniicon::shippedBusyAnimation());
    butsavestock = addControl<QPushButton>("butsavestock", QStringLiteral("Save Quiltmap"));
    butsavestock->setEnabled(false);

    ScrollBox1 = new QScrollArea(client);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setLayoutDirection(Qt::LeftToRight);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setWidget(new QWidget);
    pb = addControl<RasterView>("pb");
    fitScrollContent();
    clientLayout->addWidget(ScrollBox1, 1);

    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(findChild<QWidget *>(QLatin1String(tabOrder[i - 1])),
            findChild<QWidget *>(QLatin1String(tabOrder[i])));
}

// The title and the group of the cell size, the tiles per row and the size report.
void TfrmMain::createTileOptions()
{
    auto *title = addControl<widgets::TAdvReflectionLabel>("AdvReflectionLabel11");
    QFont titleFont = tahomaFont(16);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setReflectionSize(50);
    title->setURLColor(Qt::blue);
    title->setHTMLText({ titleMarkup() });

    addControl<QGroupBox>("GroupBox2", QStringLiteral(" Tile-Options "));
    for (const auto &[name, markup] : tileOptionLabels) {
        auto *label = addControl<widgets::THTMLabel>(name);
        label->setHTMLText({ QString::fromLatin1(markup) });
        label->setTransparent(true);
    }
    imagesizeinfo = findChild<widgets::THTMLabel *>(QStringLiteral("imagesizeinfo"));
    const auto numberField = [this](const char *name) {
        auto *field = addControl<widgets::TMoneyEdit>(name);
        field->setMaxLength(5);
        return field;
    };
    edit_width = numberField("edit_width");
    edit_height = numberField("edit_height");
    edit_columns = numberField("edit_columns");
}

void TfrmMain::createMenu()
{
    QMenu *file1 = menuBar()->addMenu(QStringLiteral("&File"));
    file1->setObjectName(QStringLiteral("File1"));
    SaveQuiltmap1 = file1->addAction(QStringLiteral("Save Quiltmap"));
    SaveQuiltmap1->setObjectName(QStringLiteral("SaveQuiltmap1"));
    SaveQuiltmap1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    followEnabled(*SaveQuiltmap1, *butsavestock);
    Options1 = file1->addAction(QStringLiteral("Options"));
    Options1->setObjectName(QStringLiteral("Options1"));
    Options1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    SheetOptions1 = file1->addAction(QStringLiteral("Sheet Options..."));
    SheetOptions1->setObjectName(QStringLiteral("SheetOptions1"));
    SheetOptions1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    file1->addSeparator();
    Exit1 = file1->addAction(QStringLiteral("&Exit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    createViewMenu();
}

void TfrmMain::createViewMenu()
{
    QMenu *view1 = menuBar()->addMenu(QStringLiteral("&View"));
    view1->setObjectName(QStringLiteral("View1"));
    const auto add = [&](const char *name, const char *caption, QList<QKeySequence> keys) {
        QAction *action = view1->addAction(QLatin1String(caption));
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        return action;
    };
    // Ctrl+= too: "+" needs Shift on many keyboards.
    ZoomIn1 = add("ZoomIn1", "Zoom &In",
        { QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal) });
    ZoomOut1 = add("ZoomOut1", "Zoom &Out", { QKeySequence(Qt::CTRL | Qt::Key_Minus) });
    ActualSize1 = add("ActualSize1", "&Actual Size", { QKeySequence(Qt::CTRL | Qt::Key_0) });
    view1->addSeparator();
    ShowGrid1 = add("ShowGrid1", "Show &Grid", { QKeySequence(Qt::CTRL | Qt::Key_G) });
    ShowGrid1->setCheckable(true);
}

void TfrmMain::connectHandlers()
{
    connect(sourcefiles, &widgets::TAdvDirectoryEdit::Change, this,
        [this] { sourcefilesChange(sourcefiles); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    connect(butsavestock, &QPushButton::clicked, this, &TfrmMain::butsavestockClick);
    connect(edit_width, &widgets::TMoneyEdit::Exit, this, &TfrmMain::edit_widthExit);
    connect(edit_height, &widgets::TMoneyEdit::Exit, this, &TfrmMain::edit_heightExit);
    connect(edit_columns, &widgets::TMoneyEdit::Exit, this, &TfrmMain::edit_columnsExit);
    connect(SaveQuiltmap1, &QAction::triggered, this, &TfrmMain::butsavestockClick);
    connect(Options1, &QAction::triggered, this, [this] { Options1Click(Options1); });
    connect(
        SheetOptions1, &QAction::triggered, this, [this] { SheetOptions1Click(SheetOptions1); });
    connect(Exit1, &QAction::triggered, this, &TfrmMain::Exit1Click);
    connect(pb, &RasterView::clicked, this, &TfrmMain::pbClick);
    connect(ZoomIn1, &QAction::triggered, this, [this] { zoomPreviewBy(1); });
    connect(ZoomOut1, &QAction::triggered, this, [this] { zoomPreviewBy(-1); });
    connect(ActualSize1, &QAction::triggered, this,
        [this] { zoomPreview(100, ScrollBox1->viewport()->rect().center()); });
    connect(ShowGrid1, &QAction::toggled, this, &TfrmMain::ShowGrid1Click);
    connect(pb, &RasterView::clickedAt, this, &TfrmMain::pbClickAt);
    connect(filelist, &QPlainTextEdit::cursorPositionChanged, this, &TfrmMain::filelistCursorMoved);

    // A one-shot delay after the first show; disabled until then.
    Timer1.setParent(this);
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);

    pb->installEventFilter(this);
    for (QObject *part : std::initializer_list<QObject *> { ScrollBox1, ScrollBox1->viewport(),
             ScrollBox1->horizontalScrollBar(), ScrollBox1->verticalScrollBar() })
        part->installEventFilter(this);
}

// The export image exists from the start, without a raster until a composition ends.
void TfrmMain::FormCreate()
{
    m_run = std::make_unique<CompositionRun>(*pb, *filelist);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        FormShow();
    }
    QMainWindow::showEvent(event);
}

void TfrmMain::FormShow()
{
    reportingErrors(this, [this] {
        AniIcon1->hide();
        readSettings();
        setWindowTitle(QStringLiteral("Create QuiltMap-Graphics V") + settings::GetVersionText());
        edit_width->setValue(defaultCellSide);
        edit_height->setValue(defaultCellSide);
        imagesizeinfo->clearHTMLText();
        pb->setContentSize(previewSurfaceSize);
        // A sheet composed while the settings were read stays; otherwise the preview gets a
        // white surface of its new size.
        m_run->showBlank(previewSurfaceSize);
        Timer1.start();
    });
}

// The stored folder goes into the source field first. That change runs the folder handler at
// once, which reports its own errors, so the remaining settings are read also when the stored
// folder cannot be composed and the next save writes them back unchanged. The sheet options
// come before it, as that first composition follows them.
void TfrmMain::readSettings()
{
    m_sheetSettings = m_settings.sheet();
    ShowGrid1->setChecked(m_sheetSettings.grid);
    sourcefiles->setText(m_settings.lastIconpath());
    const QString tilesPerRow = m_settings.tilesPerRow();
    edit_columns->setText(tilesPerRow);
    m_options.setTilesPerRowText(tilesPerRow);
    SaveDialog1.InitialDir = m_settings.lastSavePath();
    m_options.setQuiltMapFolder(m_settings.quiltMapDir());
}

void TfrmMain::SaveOptions()
{
    m_settings.save({ sourcefiles->text(), edit_columns->text(), SaveDialog1.InitialDir,
        m_options.quiltMapFolder(), m_sheetSettings });
}

void TfrmMain::Timer1Timer()
{
    reportingErrors(this, [this] {
        Timer1.stop();
        folderPath(nullptr);
    });
}

void TfrmMain::sourcefilesChange(QObject *sender)
{
    reportingErrors(this, [&] { folderPath(sender); });
}

// The sheet shown stays, but it is another folder's until this one has composed.
void TfrmMain::folderPath(QObject *sender)
{
    butsavestock->setEnabled(false);
    if (!sourcefiles->IsValidDirectory()) {
        sourcefiles->setColor(invalidFolderColour);
        m_errors.showNotice(this, QStringLiteral("Select a valid Directory"));
        return;
    }
    sourcefiles->setColor(windowColour());
    const QString folder = sourcefiles->text();
    // Listing and measuring a large folder take a while: the window answers meanwhile, what the
    // user did goes first, and a composition or another folder started then supersedes this one.
    CompositionRun::Ticket run = m_run->current();
    const auto answer = [&run] { return run.dispatchEvents(); };
    if (!answer() || !files->ApplyFilePath(folder, answer))
        return;
    if (files->fileCount() > 0) {
        // Skipping what cannot be read, the starting cell when no file can be.
        const std::optional<QSize> measured
            = sheet::cellOfTiles(folder, orderedNames(), tileReader(),
                { m_sheetSettings.largestCell, m_sheetSettings.keepGoing, nullptr, answer });
        if (!run.isCurrent())
            return;
        const QSize cell = measured.value_or(QSize(defaultCellSide, defaultCellSide));
        edit_width->setText(QString::number(cell.width()));
        edit_height->setText(QString::number(cell.height()));
        CheckImagesize(nullptr);
    }
    GenerateStock(sender, true);
}

QStringList TfrmMain::orderedNames() const
{
    QStringList names = files->fileNames();
    if (m_sheetSettings.naturalOrder)
        sheet::sortNaturally(names);
    return names;
}

sheet::TileReader &TfrmMain::tileReader()
{
    return m_sheetSettings.anyFormat ? static_cast<sheet::TileReader &>(m_anyFormat)
                                     : sheet::pngTileReader();
}

sheet::SheetStyle TfrmMain::sheetStyle() const
{
    return { { m_sheetSettings.spacing, m_sheetSettings.margin }, m_sheetSettings.background };
}

// The geometry of the fields and the listed files; a columns text of "0" becomes "25" first.
sheet::GeometryResult TfrmMain::computeSheetGeometry(sheet::GeometryVariant variant)
{
    auto result
        = sheet::computeGeometry({ edit_width->text(), edit_height->text(), edit_columns->text() },
            files->fileCount(), variant);
    if (edit_columns->text() != result.columnsText)
        edit_columns->setText(result.columnsText);
    return result;
}

void TfrmMain::CheckImagesize(QObject *)
{
    const auto result = computeSheetGeometry(sheet::GeometryVariant::SizeReport);
    const sheet::SheetSize size = sheet::sheetSize(result.geometry, sheetStyle().layout);
    pb->setContentSize(QSize(int(std::min<std::int64_t>(size.width, QWIDGETSIZE_MAX)),
        int(std::min<std::int64_t>(size.height, QWIDGETSIZE_MAX))));
    imagesizeinfo->setHTMLText(
        sheet::sizeReportLines(result.geometry, result.columnsText, size.width, size.height));
}

void TfrmMain::Button1Click(QObject *sender)
{
    reportingErrors(this, [&] { GenerateStock(sender); });
}

// A composition that another one supersedes (a new composition started while this one
// dispatched events, or the window closed) stops at its next step and leaves the preview, the
// name list and the busy state to the newer one.
void TfrmMain::GenerateStock(QObject *sender, bool listed)
{
    CompositionRun::Ticket run = m_run->begin();
    startBusy();
    try {
        if (!run.dispatchEvents())
            return;
        // Listing a large folder takes a while: the window answers meanwhile, and what the user
        // did goes first.
        if ((!listed && !files->Update([&run] { return run.dispatchEvents(); }))
            || !run.dispatchEvents())
            return;
        startComposition(sender);
        if (m_run->tileCount() < 1) {
            m_errors.showNotice(this, QStringLiteral("I need files to operate :-)"));
            if (!run.isCurrent())
                return;
        }
        // Each file that cannot be read is listed with its error, and its cell stays empty.
        const auto skip = [this](const QString &name, const Error &error) {
            log->appendLines({ name + QStringLiteral(": ") + error.message() });
        };
        if (!m_run->composeRemaining(
                run, m_sheetSettings.keepGoing ? CompositionRun::SkipFile(skip) : nullptr))
            return;
        m_run->finish();
        endBusy(true);
    } catch (...) {
        if (run.isCurrent()) {
            m_run->stop();
            endBusy(false);
        }
        throw;
    }
}

// A geometry error leaves the last sheet shown and kept.
void TfrmMain::startComposition(QObject *sender)
{
    const auto result = computeSheetGeometry(sheet::GeometryVariant::Composition);
    m_run->start(result.geometry, sourcefiles->text(), orderedNames(), tileReader(), sheetStyle());
    log->clear();
    pb->setOutlinedCell(-1);
    pb->setCells(result.geometry, sheetStyle().layout);
    CheckImagesize(sender);
    pb->show();
}

void TfrmMain::startBusy()
{
    butsavestock->setEnabled(false);
    AniIcon1->show();
    AniIcon1->setAnimated(true);
    AniIcon1->repaint();
}

// A sheet that is not complete cannot be saved.
void TfrmMain::endBusy(bool sheetComplete)
{
    AniIcon1->setAnimated(false);
    AniIcon1->hide();
    butsavestock->setEnabled(sheetComplete);
}

void TfrmMain::fitScrollContent()
{
    ScrollBox1->widget()->resize(pb->x() + pb->width(), pb->y() + pb->height());
}

void TfrmMain::butsavestockClick()
{
    reportingErrors(this, [this] {
        SaveDialog1.InitialDir = m_options.quiltMapFolder();
        // The dialog starts in the folder only when it exists; one that cannot be made leaves
        // the dialog to start where it would.
        QDir().mkpath(SaveDialog1.InitialDir);
        SaveDialog1.FileName = QStringLiteral("QuiltMap");
        const QString chosen = m_errors.prompts().chooseSaveFile(this, SaveDialog1);
        if (chosen.isEmpty())
            return;
        // The list is read once, as one text: a long one takes a while, and a string for each
        // of a million lines took longer still.
        const QString shown = filelist->linesText();
        const QString text = sheet::trimNameText(shown);
        if (text != shown)
            filelist->setPlainText(text);
        const WaitCursor waiting;
        sheet::exportSheet(*exportImage(), text, chosen);
        writeDataFiles(chosen);
    });
}

// The data files asked for beside the saved sheet, written as the command line writes them.
void TfrmMain::writeDataFiles(const QString &chosenPath) const
{
    const QStringList &asked = m_sheetSettings.data;
    const sheet::DataFormats formats { asked.contains(u"json"), asked.contains(u"csv"),
        asked.contains(u"phaser"), asked.contains(u"tiled") };
    if (!formats.any())
        return;
    const sheet::SheetGeometry &geometry = m_run->shownGeometry();
    const sheet::SheetStyle &style = m_run->finishedStyle();
    const QString stem = sheet::changeExtension(chosenPath, QString());
    sheet::writeDataFiles(formats, style, stem,
        { { geometry, sheet::sheetSize(geometry, style.layout), stem, m_run->finishedTiles() } },
        settings::GetVersionText());
}

void TfrmMain::edit_widthExit()
{
    reportingErrors(this, [this] { StrToInt(edit_width->text()); });
}

void TfrmMain::edit_heightExit()
{
    reportingErrors(this, [this] { StrToInt(edit_height->text()); });
}

void TfrmMain::edit_columnsExit()
{
    reportingErrors(this, [this] {
        std::int32_t columns = StrToInt(edit_columns->text());
        if (columns < 1)
            columns = StrToInt(m_options.tilesPerRowText());
        edit_columns->setText(QString::number(columns));
    });
}

// The options are kept as soon as they are taken, as the other options are. A settings file
// that refuses them is reported and the sheet still follows them, so that what is shown and
// saved is what the options say.
void TfrmMain::SheetOptions1Click(QObject *sender)
{
    reportingErrors(this, [&] {
        SheetOptionsDialog dialog(this);
        dialog.setSettings(m_sheetSettings);
        if (m_errors.prompts().execModal(dialog) != QDialog::Accepted)
            return;
        m_sheetSettings = dialog.settings();
        reportingErrors(this, [this] { SaveOptions(); });
        folderPath(sender);
    });
}

void TfrmMain::Options1Click(QObject *sender)
{
    reportingErrors(this, [&] {
        if (m_errors.prompts().execModal(m_options) != TfrmOptions::mrOk)
            return;
        SaveOptions();
        edit_columns->setText(m_options.tilesPerRowText());
        folderPath(sender);
    });
}

// A settings file that refuses the write is reported, and the program ends anyway: stopping
// there would leave no way out but killing the process. The event loop just ends: quit() would
// close the window first and so write the settings a second time.
void TfrmMain::Exit1Click()
{
    reportingErrors(this, [this] { SaveOptions(); });
    QCoreApplication::exit(0);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    FormClose();
    QMainWindow::closeEvent(event);
}

// As on Exit, a refused write is reported and the window closes anyway.
void TfrmMain::FormCloseQuery()
{
    reportingErrors(this, [this] { SaveOptions(); });
}

void TfrmMain::FormClose()
{
    m_run->release();
}

void TfrmMain::pbClick()
{
    ScrollBox1->setFocus();
}

void TfrmMain::ScrollBox1MouseWheel()
{
    ScrollBox1->repaint();
}

void TfrmMain::zoomPreview(int percent, QPoint anchor)
{
    const int from = pb->zoom();
    if (percent == from)
        return;
    QScrollBar &horizontal = *ScrollBox1->horizontalScrollBar();
    QScrollBar &vertical = *ScrollBox1->verticalScrollBar();
    const QPoint scroll(horizontal.value(), vertical.value());
    pb->setZoom(percent);
    const QPoint kept = scrollKeepingPoint(scroll, anchor, pb->pos(), from, percent);
    horizontal.setValue(kept.x());
    vertical.setValue(kept.y());
}

void TfrmMain::zoomPreviewBy(int steps)
{
    zoomPreview(nextZoom(pb->zoom(), steps), ScrollBox1->viewport()->rect().center());
}

void TfrmMain::ShowGrid1Click(bool shown)
{
    m_sheetSettings.grid = shown;
    pb->setGridShown(shown);
}

void TfrmMain::pbClickAt(QPointF sheetPoint)
{
    const qint64 index
        = cellIndexAt(m_run->shownGeometry(), sheetStyle().layout, sheetPoint.toPoint());
    if (index < 0 || index >= filelist->blockCount())
        return;
    QTextCursor line(filelist->document()->findBlockByNumber(int(index)));
    line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    filelist->setTextCursor(line);
    filelist->ensureCursorVisible();
    pb->setOutlinedCell(int(index));
}

// Only the user's moves count: the composition filling the list moves the cursor too.
void TfrmMain::filelistCursorMoved()
{
    if (!filelist->hasFocus())
        return;
    const int index = filelist->textCursor().blockNumber();
    const sheet::SheetGeometry &geometry = m_run->shownGeometry();
    if (index >= geometry.fileCount) {
        pb->setOutlinedCell(-1);
        return;
    }
    pb->setOutlinedCell(index);
    const sheet::CellPlace place = sheet::cellPlace(geometry, sheetStyle().layout, index);
    const QPointF topLeft = pb->toWidget(QPointF(place.x, place.y)) + pb->pos();
    const QPointF size = pb->toWidget(QPointF(geometry.cellWidth, geometry.cellHeight));
    ScrollBox1->ensureVisible(int(topLeft.x() + size.x() / 2), int(topLeft.y() + size.y() / 2),
        int(size.x() / 2) + 4, int(size.y() / 2) + 4);
}

void TfrmMain::showPreviewToolTip(const QHelpEvent &event)
{
    const QString text = previewToolTip(m_run->shownGeometry(), m_run->shownNames(),
        pb->toSheet(event.pos()).toPoint(), sheetStyle().layout);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event.globalPos(), text, pb);
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pb && event->type() == QEvent::Resize)
        fitScrollContent();
    if (watched == pb && event->type() == QEvent::ToolTip) {
        showPreviewToolTip(*static_cast<QHelpEvent *>(event));
        return true;
    }
    // Ctrl with the wheel zooms the preview about the pointer, over the preview or beside it.
    QWidget *view = ScrollBox1->viewport();
    if (event->type() == QEvent::Wheel && (watched == pb || watched == view)) {
        const auto &wheel = *static_cast<QWheelEvent *>(event);
        if (wheel.modifiers() & Qt::ControlModifier) {
            const QPoint anchor
                = static_cast<QWidget *>(watched)->mapTo(view, wheel.position().toPoint());
            if (const int delta = wheel.angleDelta().y(); delta != 0)
                zoomPreview(nextZoom(pb->zoom(), delta > 0 ? 1 : -1), anchor);
            return true;
        }
    }
    // The preview scrolls with its scroll bars only; the wheel just flushes pending paints.
    if (event->type() == QEvent::Wheel && watched != pb) {
        ScrollBox1MouseWheel();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace quiltmap::app
