#pragma once

#include "aniicon/animated_cursor.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace quiltmap::aniicon {

// The animation of the animated icon control under the names its window description and users
// know: the reader's value plus loading from a device or file, the stored property Data, HasData
// and a change notification. Loading fails as AnimatedCursor::load does.
class TAniIconFile
{
public:
    // Keeps the whole content of the device, from its first byte whatever its position, and
    // parses it. Nothing happens for a null device. Does not call OnChange.
    void LoadFromStream(QIODevice *stream);
    // Loads only an existing file whose extension is ".ani" in any case; otherwise does nothing.
    // A file that exists but cannot be opened fails with "Datei <name> kann nicht geöffnet
    // werden. <reason>". Calls OnChange.
    void LoadFromFile(const QString &fileName);
    // Writes the kept bytes unchanged at the device's position; nothing for a null device.
    void SaveToStream(QIODevice *stream) const;

    // The stored property: the kept bytes, a complete .ani file (empty when nothing is kept).
    const QByteArray &Data() const { return m_cursor.bytes(); }
    // Loads the bytes as LoadFromStream does, then calls OnChange.
    void setData(const QByteArray &bytes);

    // Null empties the animation (the playback position stays); another one is copied and
    // parsed. Does not call OnChange.
    void Assign(const TAniIconFile *source);

    // One timer tick; calls OnChange when the frame advances.
    void Tick();
    // Makes a frame current; out of 0..63 or an empty slot gives frame 0. No notification.
    void SelectFrame(int frame) { m_cursor.selectFrame(frame); }
    int CurFrame() const { return m_cursor.currentFrame(); }

    bool HasData() const { return m_hasData; }
    void setHasData(bool hasData) { m_hasData = hasData; }
    void setOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }

    const AnimatedCursor &cursor() const { return m_cursor; }

private:
    void load(const QByteArray &bytes);
    void notifyChange();

    AnimatedCursor m_cursor;
    bool m_hasData = false;
    std::function<void()> m_onChange;
};

} // namespace quiltmap::aniicon
