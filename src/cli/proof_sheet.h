#pragma once

#include "cli/gui_parts.h"
#include "sheet/raster.h"
#include "sheet/sheet_bands.h"

#include <QStringList>
#include <array>
#include <memory>

class QFont;
class QGuiApplication;
class QImage;

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
// with an ellipsis where too long) beneath it, legible at 100 %. It is drawn one row of boxes at a
// time, as the rows of the composed sheet become final, into bands() that its writer reads.
// Needs a TextSupport or an application.
class ProofSheet : public ProofRows
{
public:
    // The proof of the sheet of `geometry` and `layout` drawn from the tiles `names` (file names),
    // the first numbered `firstIndex`; `sheetWidth` and `sheetChannels` are the composed sheet's.
    // The bands hold about `heldBytes` ahead of their writer. Throws quiltmap::Error when the
    // proof sheet is too large.
    ProofSheet(const sheet::SheetGeometry &geometry, const sheet::SheetLayout &layout,
        const QStringList &names, int firstIndex, int sheetWidth, int sheetChannels,
        std::size_t heldBytes);
    ~ProofSheet() override;
    ProofSheet(const ProofSheet &) = delete;
    ProofSheet &operator=(const ProofSheet &) = delete;

    sheet::SheetBands &bands() override { return *m_bands; }
    // The composed sheet's next rows, final: the boxes of every row of cells they complete are
    // drawn. After the sheet's last row, the whole proof is final.
    void takeFinalRows(const sheet::RasterBand &rows) override;

private:
    void drawBoxRow();

    const sheet::SheetGeometry &m_geometry;
    const sheet::SheetLayout &m_layout;
    const QStringList m_names;
    const int m_firstIndex;
    const int m_boxWidth;
    const int m_boxHeight;
    int m_rows = 0;
    std::unique_ptr<sheet::SheetBands> m_bands;
    // The composed sheet's rows of the cells of box row m_row, filled as they become final.
    sheet::Raster m_cellRows;
    int m_row = 0;
    std::unique_ptr<QImage> m_checker;
    std::unique_ptr<QFont> m_font;
};

} // namespace quiltmap::cli
