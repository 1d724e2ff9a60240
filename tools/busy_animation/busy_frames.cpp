#include "busy_frames.h"

#include <cmath>
#include <numbers>
#include <string_view>

namespace quiltmap::busyanimation {

namespace {

// The pointer as pixel art: 'X' outline, '.' fill, ' ' clear. Its tip is at column 1, row 9.
constexpr std::array<std::string_view, 17> Pointer {
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.....XXXXX",
    "X..X..X",
    "X.X X..X",
    "XX  X..X",
    "X    X..X",
    "     X..X",
    "      XX",
};
constexpr int PointerLeft = 1;
constexpr int PointerTop = 9;

constexpr double RingCentreX = 22.0;
constexpr double RingCentreY = 16.0;
constexpr double RingOuter = 9.75;
constexpr double RingInner = 5.0;
// Width of the darker rim on both edges of the ring.
constexpr double RingRim = 0.75;
// How far behind its head the light segment fades out, in degrees.
constexpr double SegmentLength = 120.0;
constexpr int Subsamples = 4;

struct Rgb
{
    double r, g, b;
};

constexpr Rgb RingGrey { 150, 150, 150 };
constexpr Rgb RimGrey { 90, 90, 90 };
constexpr Rgb Light { 225, 242, 255 };

Rgb mix(Rgb from, Rgb to, double t)
{
    return { from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
        from.b + (to.b - from.b) * t };
}

// Colour of the ring at a point inside it: grey, lit towards the segment's head, darker rims.
Rgb ringColour(double dx, double dy, double radius, double headDegrees)
{
    // Clockwise angle from twelve o'clock.
    const double degrees = std::atan2(dx, -dy) * 180.0 / std::numbers::pi;
    const double behind = std::fmod(headDegrees - degrees + 720.0, 360.0);
    const double light = behind < SegmentLength ? 1.0 - behind / SegmentLength : 0.0;
    const Rgb body = mix(RingGrey, Light, light);
    const bool rim = radius > RingOuter - RingRim || radius < RingInner + RingRim;
    return rim ? mix(body, RimGrey, 0.6) : body;
}

std::uint32_t argb(Rgb colour, int coverage, int samples)
{
    const auto channel = [](double value) { return static_cast<std::uint32_t>(value + 0.5); };
    const std::uint32_t alpha = static_cast<std::uint32_t>(coverage * 255 / samples);
    return alpha << 24 | channel(colour.r) << 16 | channel(colour.g) << 8 | channel(colour.b);
}

// The ring pixel at (x, y), supersampled for smooth edges; 0 outside the ring.
std::uint32_t ringPixel(int x, int y, double headDegrees)
{
    Rgb sum { 0, 0, 0 };
    int covered = 0;
    for (int sy = 0; sy < Subsamples; ++sy) {
        for (int sx = 0; sx < Subsamples; ++sx) {
            const double dx = x + (sx + 0.5) / Subsamples - RingCentreX;
            const double dy = y + (sy + 0.5) / Subsamples - RingCentreY;
            const double radius = std::sqrt(dx * dx + dy * dy);
            if (radius > RingOuter || radius < RingInner)
                continue;
            const Rgb colour = ringColour(dx, dy, radius, headDegrees);
            sum = { sum.r + colour.r, sum.g + colour.g, sum.b + colour.b };
            ++covered;
        }
    }
    if (covered == 0)
        return 0;
    return argb(
        { sum.r / covered, sum.g / covered, sum.b / covered }, covered, Subsamples * Subsamples);
}

void drawPointer(FramePixels &pixels)
{
    for (std::size_t row = 0; row < Pointer.size(); ++row) {
        for (std::size_t column = 0; column < Pointer[row].size(); ++column) {
            const char cell = Pointer[row][column];
            if (cell == ' ')
                continue;
            const std::size_t index = (PointerTop + row) * FrameSide + PointerLeft + column;
            pixels[index] = cell == 'X' ? 0xFF000000u : 0xFFFFFFFFu;
        }
    }
}

} // namespace

FramePixels drawBusyFrame(int frame)
{
    FramePixels pixels {};
    const double head = 360.0 * frame / FrameCount;
    for (int y = 0; y < FrameSide; ++y) {
        for (int x = 0; x < FrameSide; ++x)
            pixels[y * FrameSide + x] = ringPixel(x, y, head);
    }
    drawPointer(pixels);
    return pixels;
}

} // namespace quiltmap::busyanimation
