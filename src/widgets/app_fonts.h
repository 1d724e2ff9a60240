#pragma once

namespace quiltmap::widgets {

// Makes the faces the windows ask for available: registers the Tahoma that Wine ships when the
// system has no Tahoma. Needs a QGuiApplication; safe to call more than once.
void ensureApplicationFonts();

} // namespace quiltmap::widgets
