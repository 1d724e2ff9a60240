#pragma once

#include <QString>
#include <functional>

class QContextMenuEvent;
class QLineEdit;

namespace quiltmap::widgets {

// Shows the pop-up menu of a one-line field (Undo, Redo, Cut, Copy, Paste, Delete, Select All)
// with Cut and Paste running the field's own cut and paste. The entries carry the object names
// "edit-undo", "edit-redo", "edit-cut", "edit-copy", "edit-paste", "edit-delete", "select-all".
void execEditMenu(QLineEdit *edit, QContextMenuEvent *event, const std::function<void()> &cut,
    const std::function<void()> &paste);

// The clipboard text up to its first line break, as a one-line field pastes it.
QString firstLine(const QString &text);

} // namespace quiltmap::widgets
