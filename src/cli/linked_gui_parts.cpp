#include "cli/any_format_reader.h"
#include "cli/gui_parts.h"
#include "cli/proof_sheet.h"

namespace quiltmap::cli {
namespace {

class LinkedGuiParts : public GuiParts
{
public:
    sheet::TileReader &anyFormatReader() override { return m_anyFormat; }

    std::shared_ptr<const void> textSupport() override { return std::make_shared<TextSupport>(); }

    std::unique_ptr<ProofRows> proofSheet(const sheet::SheetGeometry &geometry,
        const sheet::SheetLayout &layout, const QStringList &names, int firstIndex, int sheetWidth,
        int sheetChannels, std::size_t heldBytes) override
    {
        return std::make_unique<ProofSheet>(
            geometry, layout, names, firstIndex, sheetWidth, sheetChannels, heldBytes);
    }

private:
    AnyFormatReader m_anyFormat;
};

} // namespace

GuiParts &linkedGuiParts()
{
    static LinkedGuiParts parts;
    return parts;
}

} // namespace quiltmap::cli

// The module's entry, which the command line looks up by this name and version.
extern "C" Q_DECL_EXPORT quiltmap::cli::GuiParts *QUILTMAP_GUI_ENTRY()
{
    return &quiltmap::cli::linkedGuiParts();
}
