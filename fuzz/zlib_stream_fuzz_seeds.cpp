// Writes the zlib stream fuzz target's seed corpus into the folder given.
#include "seed_folder.h"

#include <array>
#include <string_view>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    using namespace std::string_view_literals;
    // Header bytes: feed size (two bytes), threads and segments, stretch, twist; then the pattern.
    constexpr std::array<std::string_view, 5> seeds {
        "\x00\x00\x05\x00\x00"sv,
        "\x33\x00\x09\x20\x00\x01\x00\x00\x00\x01\x00\x00\x00"sv,
        "\xff\xff\x7f\x40\x03The quick brown fox jumps over the lazy dog. "sv,
        "\x59\x06\x12\x30\x81\x01\xff\xff\xff\x00\x00\x00\x10\x20\x30\x00\x00\x00\x00\x00\x00"sv,
        "\x00\x10\x3e\xff\x5a\x8f\x21\xc4\x73\x09\xee\x51\x6a\xb3\x1d\x97\x40\xfa\x2c\x88"sv,
    };
    writeSeeds(argv[1], seeds);
    return 0;
}
