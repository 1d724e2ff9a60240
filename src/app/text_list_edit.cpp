#include "app/text_list_edit.h"

#include "app/release_elsewhere.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <memory>

namespace quiltmap::app {

namespace {

// Where the guide line stands, in characters from the left edge.
constexpr int rightMarginColumns = 80;
// Colour 14869218 in blue-green-red order.
constexpr QRgb rightMarginColour = qRgb(226, 226, 226);
// Fewer lines than this are freed here, which takes a few milliseconds.
constexpr int linesFreedHere = 10000;

} // namespace

TextListEdit::TextListEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(13);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    setLineWrapMode(NoWrap);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);

    QPalette colours = palette();
    colours.setColor(QPalette::Text, Qt::black);
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Highlight, QColor(0, 0, 128));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    for (const auto group : { QPalette::Active, QPalette::Inactive }) {
        colours.setColor(group, QPalette::Highlight, QColor(0, 0, 128));
        colours.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    setPalette(colours);
}

QStringList TextListEdit::lines() const
{
    const QString text = linesText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QString TextListEdit::linesText() const
{
    return document()->isEmpty() ? QString() : toPlainText();
}

void TextListEdit::appendLines(const QStringList &lines)
{
    // Appended lines are not undone batch by batch: with an undo step kept for every batch,
    // appending to a long list stalled the window for 50 ms at times.
    document()->setUndoRedoEnabled(false);
    appendPlainText(lines.join(u'\n'));
    document()->setUndoRedoEnabled(true);
}

// The editor deletes a document of its own when it is given another, so the long one leaves the
// editor first; the new one takes the editor's font as the first one did.
void TextListEdit::clearAtOnce()
{
    QTextDocument *lines = document();
    if (lines->blockCount() < linesFreedHere) {
        clear();
        return;
    }
    lines->setParent(nullptr);
    setDocument(nullptr);
    document()->setDefaultFont(font());
    lines->moveToThread(nullptr);
    releaseElsewhere(m_releasing, std::unique_ptr<QTextDocument>(lines));
}

QMenu *TextListEdit::createPopupMenu()
{
    auto *menu = new QMenu(this);
    const bool writable = !isReadOnly();
    const bool selected = textCursor().hasSelection();
    menu->addAction(tr("Undo"), this, &QPlainTextEdit::undo)
        ->setEnabled(writable && document()->isUndoAvailable());
    menu->addAction(tr("Redo"), this, &QPlainTextEdit::redo)
        ->setEnabled(writable && document()->isRedoAvailable());
    menu->addAction(tr("Copy"), this, &QPlainTextEdit::copy)->setEnabled(selected);
    menu->addAction(tr("Cut"), this, &QPlainTextEdit::cut)->setEnabled(writable && selected);
    menu->addAction(tr("Paste"), this, &QPlainTextEdit::paste)->setEnabled(writable && canPaste());
    menu->addAction(tr("Delete"), this, [this] { textCursor().removeSelectedText(); })
        ->setEnabled(writable && selected);
    menu->addAction(tr("Select All"), this, &QPlainTextEdit::selectAll)
        ->setEnabled(!document()->isEmpty());
    return menu;
}

void TextListEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createPopupMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TextListEdit::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    const qreal x = contentOffset().x() + document()->documentMargin()
        + fontMetrics().horizontalAdvance(QString(rightMarginColumns, u'M'));
    QPainter painter(viewport());
    painter.setPen(QColor::fromRgb(rightMarginColour));
    painter.drawLine(QPointF(x, 0), QPointF(x, viewport()->height()));
}

} // namespace quiltmap::app
