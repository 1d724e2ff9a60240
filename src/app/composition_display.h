#pragma once

#include <QRect>
#include <QStringList>
#include <functional>

namespace quiltmap::app {

class RasterView;
class TextListEdit;

// Shows a running composition: the preview repaints the areas of the tiles drawn and the name
// list gets their names, at most once per display frame. What the user cannot see tile by tile
// is gathered in between, so the window keeps up with the drawing.
class CompositionDisplay
{
public:
    // Milliseconds of a steady clock.
    using Clock = std::function<qint64()>;

    CompositionDisplay(RasterView &preview, TextListEdit &names, Clock clock = steadyClock());

    // Gathers one drawn tile; shows everything gathered when a frame has passed since the last
    // showing.
    void add(const QRect &area, const QString &name);
    // Shows everything gathered now.
    void flush();

    static Clock steadyClock();

private:
    RasterView &m_preview;
    TextListEdit &m_names;
    Clock m_clock;
    QRect m_area;
    QStringList m_pendingNames;
    qint64 m_flushedAt;
};

} // namespace quiltmap::app
