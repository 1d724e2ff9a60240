#pragma once

#include "sheet/geometry.h"
#include "sheet/sheet_layout.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QMimeData;
class QWidget;

namespace quiltmap::app {

// The folder that dragged data names: its first local URL when that is a folder, or the folder
// of the file it names. Empty when the data holds no local URL.
QString droppedFolder(const QMimeData &data);

// Lets a window take a dragged folder, or a file inside one, dropped onto it or any of its
// controls; controls that take drops of their own (text fields, lists) leave folders to the
// window. `take` gets the folder once the drop has ended, so that what it starts does not hold
// up the dragging application. The window owns the object.
class FolderDrops : public QObject
{
public:
    FolderDrops(QWidget &window, std::function<void(const QString &)> take);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(const QString &)> m_take;
};

// Keeps `action` enabled exactly when `control` is.
void followEnabled(QAction &action, QWidget &control);

// The index of the cell at the sheet point `at`, or -1 where no cell is: in the margin, the
// spacing or beyond the last column.
qint64 cellIndexAt(
    const sheet::SheetGeometry &geometry, const sheet::SheetLayout &layout, QPoint at);

// The tooltip at the sheet point `at` on a sheet of `geometry` and `layout` whose tiles so far
// have the name-list entries `names`: the cell's index, the tile's name, its column and row.
// Empty where no tile's cell is.
QString previewToolTip(const sheet::SheetGeometry &geometry, const QStringList &names, QPoint at,
    const sheet::SheetLayout &layout = {});

// The zoom steps of the preview, in percent.
inline constexpr int zoomSteps[] = { 25, 50, 100, 200, 300, 400, 800 };
// The step after `percent` upwards (`steps` > 0) or downwards; the last step stays.
int nextZoom(int percent, int steps);
// The scroll position that keeps the content point under `anchor` (in the viewport) in place
// when the zoom of a preview placed at `origin` in the scrolled content goes from `from` to `to`
// percent.
QPoint scrollKeepingPoint(QPoint scroll, QPoint anchor, QPoint origin, int from, int to);

} // namespace quiltmap::app
