#include "widgets/edit_menu.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>

namespace quiltmap::widgets {

namespace {

void addEntry(QMenu &menu, const char *name, const QString &text, bool enabled,
    const std::function<void()> &handler)
{
    QAction *action = menu.addAction(text, &menu, handler);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
}

} // namespace

void execEditMenu(QLineEdit *edit, QContextMenuEvent *event, const std::function<void()> &cut,
    const std::function<void()> &paste)
{
    const bool writable = !edit->isReadOnly();
    const bool selected = edit->hasSelectedText();
    const bool clipboardHasText = !QGuiApplication::clipboard()->text().isEmpty();
    const bool allSelected = edit->selectedText() == edit->text();

    QMenu menu;
    addEntry(menu, "edit-undo", QLineEdit::tr("&Undo"), writable && edit->isUndoAvailable(),
        [edit] { edit->undo(); });
    addEntry(menu, "edit-redo", QLineEdit::tr("&Redo"), writable && edit->isRedoAvailable(),
        [edit] { edit->redo(); });
    menu.addSeparator();
    addEntry(menu, "edit-cut", QLineEdit::tr("Cu&t"), writable && selected, cut);
    addEntry(menu, "edit-copy", QLineEdit::tr("&Copy"), selected, [edit] { edit->copy(); });
    addEntry(menu, "edit-paste", QLineEdit::tr("&Paste"), writable && clipboardHasText, paste);
    addEntry(menu, "edit-delete", QLineEdit::tr("Delete"), writable && selected,
        [edit] { edit->del(); });
    menu.addSeparator();
    addEntry(menu, "select-all", QLineEdit::tr("Select All"),
        !edit->text().isEmpty() && !allSelected, [edit] { edit->selectAll(); });
    menu.exec(event->globalPos());
}

QString firstLine(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\r' || text[i] == u'\n')
            return text.left(i);
    return text;
}

} // namespace quiltmap::widgets
