// Writes the lean zlib stream fuzz target's seed corpus into the folder given.
#include "seed_folder.h"

#include <array>
#include <string_view>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    using namespace std::string_view_literals;
    // First byte: threads and segment sizes; then the bytes to compress.
    constexpr std::array<std::string_view, 4> seeds {
        "\x00"sv,
        "\x07The quick brown fox jumps over the lazy dog. The quick brown fox jumps over the "
        "lazy dog, twice and a half. The quick brown fox"sv,
        "\x1e\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00"sv,
        "\x6d\x5a\x8f\x21\xc4\x73\x09\xee\x51\x6a\xb3\x1d\x97\x40\xfa\x2c\x88\x5a\x8f\x21\xc4"
        "\x73\x09\xee\x51\x6a\xb3\x1d\x97\x40\xfa\x2c\x88\x01\x02\x03\x5a\x8f\x21\xc4\x73\x09"sv,
    };
    writeSeeds(argv[1], seeds);
    return 0;
}
