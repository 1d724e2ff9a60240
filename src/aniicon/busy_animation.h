#pragma once

#include <QByteArray>

namespace quiltmap::aniicon {

// The busy indicator's animation as shipped: one complete .ani file of six 32 x 32 frames.
QByteArray shippedBusyAnimation();

} // namespace quiltmap::aniicon
