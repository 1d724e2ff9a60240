// Writes the markup fuzz target's seed corpus, the texts the windows show, into the folder given.
#include "seed_folder.h"

#include <array>
#include <string_view>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    // Header bytes: wrap and line spacing, half the width, the height, the font size.
    constexpr std::array<std::string_view, 8> seeds {
        "\x05\x41\x54\x06<FONT face=\"Courier New\">Width: <b>1200<br> Height: <b>96<br> "
        "ImagesTotal: <b>30<br> Imgages/row: <b>25<br> rows: <b>2<br> </FONT>",
        "\x05\xff\x11\x06"
        "DEFAULT: How many Icons per <b>ROW</b>. <SUP>(can be temporarly changed while creating "
        "QuiltMaps)</SUP>",
        "\x05\x75\x1b\x0b<FONT color=\"#008000\">Q</FONT><FONT color=\"#FF0000\">7</FONT>"
        "<FONT color=\"#000000\">J</FONT> QuiltMap-Creator",
        "\x05\x41\x13\x06<I><U>Calculated Imagesize</U></I>",
        "\x04\x20\x40\x06R&amp;amp;D &nbsp;&LT;b&gt; &copy;&euro;<#x>\r\nline\ttab & more",
        "\x05\x30\x40\x06<sub>a</SU><s>b</sh><font face=\"x\" color=\"#zz\">c</font><br/>",
        "\x04\x10\x40\x06<b>averyveryverylongword</b> x<i",
        "\x05\x10\x10\x06<",
    };
    writeSeeds(argv[1], seeds);
    return 0;
}
