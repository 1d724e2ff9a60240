#pragma once

#include <QString>
#include <functional>

class QContextMenuEvent;
class QLineEdit;

namespace quiltmap::widgets {

// Shows the line edit's standard pop-up menu with its Cut and Paste entries running the
// field's own cut and paste.
void execEditMenu(QLineEdit *edit, QContextMenuEvent *event, const std::function<void()> &cut,
    const std::function<void()> &paste);

// The clipboard text up to its first line break, as a one-line field pastes it.
QString firstLine(const QString &text);

} // namespace quiltmap::widgets
