#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <thread>

namespace quiltmap::app {

// An editable list of plain text lines (the log and the name list): Courier New 13 px, black,
// no wrapping, selection white on navy, a light right-margin guide, and a pop-up menu with the
// usual editing entries.
class TextListEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TextListEdit(QWidget *parent = nullptr);

    QStringList lines() const;
    // The lines separated by '\n', empty when there are none.
    QString linesText() const;
    // Appends the lines at the end with one relayout, keeping the view at the bottom when it
    // was there.
    void appendLines(const QStringList &lines);
    // Empties the list as clear() does, at once also when it is long: then the lines are let go
    // on another thread (a million take a third of a second to free).
    void clearAtOnce();

    // The pop-up menu the user gets on a right click; the caller owns it.
    QMenu *createPopupMenu();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::jthread m_releasing;
};

} // namespace quiltmap::app
