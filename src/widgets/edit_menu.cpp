#include "widgets/edit_menu.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <memory>

namespace quiltmap::widgets {

namespace {

void rewire(QMenu *menu, const QString &name, const std::function<void()> &handler)
{
    QAction *action = menu->findChild<QAction *>(name);
    if (!action)
        return;
    action->disconnect();
    QObject::connect(action, &QAction::triggered, menu, handler);
}

} // namespace

void execEditMenu(QLineEdit *edit, QContextMenuEvent *event, const std::function<void()> &cut,
    const std::function<void()> &paste)
{
    const std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
    rewire(menu.get(), QStringLiteral("edit-cut"), cut);
    rewire(menu.get(), QStringLiteral("edit-paste"), paste);
    menu->exec(event->globalPos());
}

QString firstLine(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\r' || text[i] == u'\n')
            return text.left(i);
    return text;
}

} // namespace quiltmap::widgets
