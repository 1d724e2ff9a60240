#pragma once

#include "aniicon/argb_image.h"

#include <QByteArrayView>

namespace quiltmap::aniicon {

// Largest width and height of an icon image.
inline constexpr int MaxIconSide = 256;

// Turns the image of one icon or cursor directory entry into a 32-bit image with alpha: a
// device-independent bitmap of 1, 4, 8, 24 or 32 bits per pixel followed by its AND mask, or a
// PNG image. Returns a null image for anything else and for truncated or oversized data.
ArgbImage decodeIconImage(QByteArrayView bytes);

} // namespace quiltmap::aniicon
