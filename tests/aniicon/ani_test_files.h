#pragma once

#include "aniicon/animated_cursor.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <vector>

namespace quiltmap::aniicon::test {

// A distinct opaque colour per frame number, so a slot shows which frame it holds.
quint32 frameColour(int frame);
// A cursor file holding one 16 x 16 32-bit image filled with the colour (1150 bytes).
QByteArray solidFrame(quint32 argb);
QList<QByteArray> solidFrames(int count);
// "anih" for the frame count and rate, then a frame list of that many solid frames.
QByteArray headerAndFrames(int frames, qint32 jifRate = 10);
// A whole .ani file of that many solid frames.
QByteArray animation(int frames, qint32 jifRate = 10);

// The frame colours of the first `frames` frames.
std::vector<quint32> coloursOf(int frames);

// How many of the 64 slots hold a frame.
int loadedFrames(const AnimatedCursor &cursor);
// The colour of each loaded slot's top-left pixel, slot by slot up to the first empty one.
std::vector<quint32> loadedColours(const AnimatedCursor &cursor);
// The current frame after each of that many ticks.
std::vector<int> framesAfterTicks(AnimatedCursor &cursor, int ticks);
// Runs the load; returns the failure's message, empty on success.
QString failureOf(const std::function<void()> &load);
// Loads the bytes; returns the failure's message, empty on success.
QString loadError(AnimatedCursor &cursor, const QByteArray &bytes);

} // namespace quiltmap::aniicon::test
