// quiltmap_floor FOLDER SHEET.png: prints the single-core floor for that sheet in seconds, as
// "inflate deflate cpu": reading and inflating every tile of FOLDER, deflating the sheet's
// filtered rows at level 7, and the processor time of both.
#include "zlib_floor.h"

#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "Usage: quiltmap_floor FOLDER SHEET.png\n");
        return 2;
    }
    try {
        const quiltmap::bench::FloorTimes floor = quiltmap::bench::measureFloor(argv[1], argv[2]);
        std::printf("%.3f %.3f %.3f\n", floor.inflateTiles, floor.deflateSheet, floor.cpu);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "quiltmap_floor: %s\n", error.what());
        return 1;
    }
    return 0;
}
