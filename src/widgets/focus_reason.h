#pragma once

#include <Qt>

namespace quiltmap::widgets {

// False for focus changes that only lend the keyboard elsewhere for a while (another window, a
// pop-up or the menu bar) and give it back: the user has not moved between the window's controls.
inline bool movesBetweenControls(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
        && reason != Qt::MenuBarFocusReason;
}

} // namespace quiltmap::widgets
