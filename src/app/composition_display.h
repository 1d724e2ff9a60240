#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <QStringList>

namespace quiltmap::app {

class RasterView;
class TextListEdit;

// Shows a running composition: the preview repaints the areas of the tiles drawn and the name
// list gets their names, at most once per display frame. What the user cannot see tile by tile
// is gathered in between, so the window keeps up with the drawing.
class CompositionDisplay
{
public:
    CompositionDisplay(RasterView &preview, TextListEdit &names);

    // Gathers one drawn tile; shows everything gathered when a frame has passed.
    void add(const QRect &area, const QString &name);
    // Shows everything gathered now.
    void flush();

private:
    RasterView &m_preview;
    TextListEdit &m_names;
    QRect m_area;
    QStringList m_pendingNames;
    QElapsedTimer m_sinceFlush;
};

} // namespace quiltmap::app
