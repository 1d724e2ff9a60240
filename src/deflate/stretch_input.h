#pragma once

#include "common/large_blocks.h"
#include "deflate/lazy_parser.h"

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

namespace quiltmap::deflate {

// Megabytes of input per stretch.
using InputBytes = std::vector<std::uint8_t, LargeBlockAllocator<std::uint8_t>>;

// The input bytes read for one stretch, owned. The stretch's parsers read them through view();
// then they pass, by moving, to the coders of the blocks the stretch completes. The next stretch
// is read only into memory given back by release(), never into bytes a coder still holds.
class StretchInput
{
public:
    StretchInput() = default;
    // Holds the input from `start` to `end` in `memory`, filled by `read`.
    StretchInput(InputBytes memory, std::size_t start, std::size_t end,
        const std::function<void(std::span<std::uint8_t>)> &read)
        : m_bytes(std::move(memory))
    {
        m_bytes.resize(end - start);
        read(m_bytes);
        m_view = { m_bytes, start };
    }
    StretchInput(StretchInput &&other) noexcept { *this = std::move(other); }
    StretchInput &operator=(StretchInput &&other) noexcept
    {
        m_bytes = std::move(other.m_bytes);
        m_view = std::exchange(other.m_view, {});
        return *this;
    }

    // Shows the input this object holds now: a parser that keeps the view reads each stretch's
    // input in turn, and nothing while the object is moved from.
    const InputView &view() const { return m_view; }

    // The bytes from `begin` to `end`; throws std::out_of_range outside what is held.
    std::span<const std::uint8_t> bytes(std::size_t begin, std::size_t end) const
    {
        if (begin < m_view.start || end < begin || end - m_view.start > m_view.bytes.size())
            throw std::out_of_range("deflate: bytes outside the stretch's input");
        return m_view.bytes.subspan(begin - m_view.start, end - begin);
    }

    // Gives the memory back for the next stretch's read.
    InputBytes release() &&
    {
        m_view = {};
        return std::move(m_bytes);
    }

private:
    InputBytes m_bytes;
    InputView m_view;
};

} // namespace quiltmap::deflate
