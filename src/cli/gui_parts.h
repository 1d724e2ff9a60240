#pragma once

#include <QStringList>
#include <cstddef>
#include <memory>

namespace quiltmap::sheet {
class SheetBands;
class TileReader;
struct RasterBand;
struct SheetGeometry;
struct SheetLayout;
} // namespace quiltmap::sheet

namespace quiltmap::cli {

// A proof sheet being drawn from the composed sheet's final rows into bands() (see ProofSheet).
class ProofRows
{
public:
    virtual ~ProofRows() = default;
    virtual sheet::SheetBands &bands() = 0;
    virtual void takeFinalRows(const sheet::RasterBand &rows) = 0;
};

// What the command line needs QtGui for: reading image formats other than PNG and drawing the
// text of proof sheets. These parts live in a module of their own, loaded when an option first
// asks for them, so that the runs without those options do not load QtGui and the thirty
// libraries it brings, which took half of a small sheet's start.
class GuiParts
{
public:
    virtual ~GuiParts() = default;

    virtual sheet::TileReader &anyFormatReader() = 0;
    // While the returned handle is held, text can be drawn: a process without a GUI application
    // has one on the offscreen platform.
    virtual std::shared_ptr<const void> textSupport() = 0;
    // See ProofSheet. Throws quiltmap::Error when the proof sheet is too large.
    virtual std::unique_ptr<ProofRows> proofSheet(const sheet::SheetGeometry &geometry,
        const sheet::SheetLayout &layout, const QStringList &names, int firstIndex, int sheetWidth,
        int sheetChannels, std::size_t heldBytes)
        = 0;
};

// The parts from the module, loaded on first use from the library folder the program is
// installed beside, or from the program's own folder (a build). Throws quiltmap::Error when the
// module cannot be loaded.
GuiParts &guiParts();
// Parts linked into the program, used from then on instead of the module (tests).
void useGuiParts(GuiParts &parts);

// The parts as this program has them linked in; the module hands out these.
GuiParts &linkedGuiParts();

} // namespace quiltmap::cli
