#include "app/text_list_edit.h"

#include <QMenu>
#include <gtest/gtest.h>
#include <memory>

namespace quiltmap::app {
namespace {

using namespace Qt::StringLiterals;

TEST(TextListEdit, LinesRoundTripAndAppend)
{
    TextListEdit list;
    EXPECT_TRUE(list.lines().isEmpty());
    list.appendLines({ u"first"_s });
    list.appendLines({ u"second"_s, u"third"_s });
    EXPECT_EQ(list.lines(), (QStringList { u"first"_s, u"second"_s, u"third"_s }));
    list.setPlainText(u"a  \n\nc"_s);
    EXPECT_EQ(list.lines(), (QStringList { u"a  "_s, QString(), u"c"_s }));
    list.clear();
    EXPECT_TRUE(list.lines().isEmpty());

    // A long list empties at once and stays the list it was.
    const QFont font = list.document()->defaultFont();
    list.setPlainText(QStringList(20000, u"x"_s).join(u'\n'));
    list.clearAtOnce();
    EXPECT_TRUE(list.lines().isEmpty());
    EXPECT_EQ(list.document()->defaultFont(), font);
    EXPECT_EQ(list.document()->defaultTextOption().wrapMode(), QTextOption::NoWrap);
    list.appendLines({ u"first"_s, u"second"_s });
    EXPECT_EQ(list.lines(), (QStringList { u"first"_s, u"second"_s }));

    // Appended batches leave no undo steps behind; what the user types stays undoable.
    EXPECT_FALSE(list.document()->isUndoAvailable());
    list.insertPlainText(u"!"_s);
    EXPECT_TRUE(list.document()->isUndoAvailable());
}

TEST(TextListEdit, PopupMenuEntriesInOrderAndWorking)
{
    TextListEdit list;
    list.setPlainText(u"alpha\nbeta"_s);
    list.selectAll();
    const std::unique_ptr<QMenu> menu(list.createPopupMenu());
    QStringList captions;
    for (const QAction *action : menu->actions())
        captions << action->text();
    EXPECT_EQ(captions,
        (QStringList {
            u"Undo"_s, u"Redo"_s, u"Copy"_s, u"Cut"_s, u"Paste"_s, u"Delete"_s, u"Select All"_s }));

    menu->actions().at(5)->trigger();
    EXPECT_TRUE(list.lines().isEmpty());
    const std::unique_ptr<QMenu> after(list.createPopupMenu());
    EXPECT_TRUE(after->actions().at(0)->isEnabled());
    after->actions().at(0)->trigger();
    EXPECT_EQ(list.lines(), (QStringList { u"alpha"_s, u"beta"_s }));
}

} // namespace
} // namespace quiltmap::app
