#pragma once

#include "sheet/raster.h"

#include <QStringList>
#include <array>
#include <memory>

class QGuiApplication;

namespace quiltmap::sheet {
struct SheetGeometry;
struct SheetLayout;
} // namespace quiltmap::sheet

namespace quiltmap::cli {

// Drawing text needs a font database, which only a GUI application has. While one of these
// lives, a process without an application has one on the offscreen platform.
class TextSupport
{
public:
    TextSupport();
    ~TextSupport();
    TextSupport(const TextSupport &) = delete;
    TextSupport &operator=(const TextSupport &) = delete;

private:
    // The application takes its arguments apart and keeps them: they live as long as it does.
    int m_argc = 3;
    std::array<char, 9> m_name { "quiltmap" };
    std::array<char, 10> m_platform { "-platform" };
    std::array<char, 10> m_offscreen { "offscreen" };
    std::array<char *, 4> m_argv { m_name.data(), m_platform.data(), m_offscreen.data(), nullptr };
    std::unique_ptr<QGuiApplication> m_gui;
};

// A sheet for people to check by eye: each cell of the composed sheet, its pixels copied from
// it, on a neutral checkerboard in a box of a drawn grid, with its index and name (shortened
// with an ellipsis where too long) beneath it, legible at 100 %. `names` are the tiles' names
// in cell order, the first numbered `firstIndex`. Needs a TextSupport or an application.
// Throws quiltmap::Error when the proof sheet is too large.
sheet::Raster proofSheet(const sheet::Raster &sheet, const sheet::SheetGeometry &geometry,
    const sheet::SheetLayout &layout, const QStringList &names, int firstIndex);

} // namespace quiltmap::cli
