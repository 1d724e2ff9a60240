// Writes the settings reader's seed corpus into the folder given: files as people and other
// programs leave them, in every encoding the reader knows.
#include "seed_folder.h"

#include <array>
#include <string_view>

using namespace std::string_view_literals;

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const std::array<std::string_view, 8> seeds {
        "[Work]\nLastIconpath=/home/ana/icons\n[Options]\nTilesPerRow=25\n"
        "LastSavePath=/opt/q/QuiltPatches/\nQuiltMapDir=/opt/q/QuiltMaps/\n"sv,
        "; comment\r\n[options]\r\n  tilesperrow = \"7\" \r\n\r\n[work]\r\nlasticonpath='x'"sv,
        "\xEF\xBB\xBF[Work]\nLastIconpath=Gr\xC3\xB6\xC3\x9F"
        "e\n"sv,
        "[Work]\nLastIconpath=C:\\Bilder\\Gr\xF6\xDF"
        "e \x80\x81\n"sv,
        "\xFF\xFE[\0W\0o\0r\0k\0]\0\r\0\n\0A\0=\0\xE4\0"sv,
        "\xFE\xFF\0[\0O\0p\0t\0i\0o\0n\0s\0]\0\n\xD8\x3D"sv,
        "[Options\n]\n=\n[\n[Options]]\nTilesPerRow\n#TilesPerRow=1\n"sv,
        "[Options]\nTilesPerRow=1\n[Options]\nTilesPerRow=2\n[OPTIONS] ; x\n"sv,
    };
    writeSeeds(argv[1], seeds);
    return 0;
}
