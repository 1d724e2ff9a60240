#pragma once

#include <cstddef>
#include <cstdint>

namespace quiltmap::sheet {

// The sheet's rows as its writer reads them: mostly from top to bottom, a row perhaps more than
// once until the writer says it has moved past it.
class SheetRows
{
public:
    virtual ~SheetRows() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    // 3 (red, green, blue) or 4 (and alpha).
    virtual int channels() const = 0;
    std::size_t bytesPerRow() const { return static_cast<std::size_t>(width()) * channels(); }

    // Row y once it is final; it stays readable until release() passes it. May throw when the
    // row never will be final.
    virtual const std::uint8_t *row(int y) = 0;
    // Rows 0 to rows - 1 are not read again.
    virtual void release(int rows) = 0;
};

} // namespace quiltmap::sheet
