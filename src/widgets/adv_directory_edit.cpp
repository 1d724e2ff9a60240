#include "widgets/adv_directory_edit.h"

#include "widgets/directory_validity.h"
#include "widgets/edit_menu.h"
#include "widgets/field_caption.h"
#include "widgets/focus_reason.h"
#include "widgets/folder_browser.h"
#include "widgets/folder_glyph.h"
#include "widgets/tahoma_font.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace quiltmap::widgets {

namespace {

constexpr int kBorder = 2; // the sunken single border around the client area
constexpr int kButtonWidth = 18;

// The browse button acts when the left button is released after a press on it, wherever the
// pointer is by then.
class BrowseButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    bool hitButton(const QPoint &) const override { return true; }
};

} // namespace

// Change notification: every edit that leaves a different text is reported once (typing,
// Backspace, Delete, undo, paste, cut, Escape, browsing, a different text from code); a cut
// without selection is reported as well although the text stays.
TAdvDirectoryEdit::TAdvDirectoryEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_button(new BrowseButton(this))
    , m_caption(std::make_unique<FieldCaption>(this))
    , m_browser(makeQtFolderBrowser())
    , m_browseTitle(QStringLiteral("Select Directory"))
{
    const QImage glyph = folderGlyph();
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setIcon(QPixmap::fromImage(glyph));
    m_button->setIconSize(glyph.size());
    connect(m_button, &QPushButton::clicked, this, &TAdvDirectoryEdit::ClickButton);
    connect(this, &QLineEdit::textChanged, this, &TAdvDirectoryEdit::reportIfChanged);
    setTextMargins(0, 0, kButtonWidth + 2, 0);
    m_caption->setFont(tahomaFont());
    placeButton();
}

TAdvDirectoryEdit::~TAdvDirectoryEdit() = default;

bool TAdvDirectoryEdit::IsValidDirectory() const
{
    return isValidDirectory(text());
}

QColor TAdvDirectoryEdit::Color() const
{
    return palette().color(QPalette::Base);
}

void TAdvDirectoryEdit::setColor(const QColor &color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Base, color);
    setPalette(colours);
}

void TAdvDirectoryEdit::setLabelCaption(const QString &caption)
{
    m_caption->setText(caption);
}

void TAdvDirectoryEdit::setLabelPosition(LabelPosition position)
{
    m_caption->setCentred(position == lpTopCenter);
}

void TAdvDirectoryEdit::setLabelFont(const QFont &font)
{
    m_caption->setFont(font);
}

void TAdvDirectoryEdit::setBrowseDialogTitle(const QString &title)
{
    m_browseTitle = title;
}

void TAdvDirectoryEdit::setFolderBrowser(std::unique_ptr<FolderBrowser> browser)
{
    m_browser = std::move(browser);
}

void TAdvDirectoryEdit::ClickButton()
{
    const QString start = text().isEmpty() ? QDir::currentPath() : text();
    const std::optional<QString> chosen = m_browser->browse(this, start, m_browseTitle);
    if (chosen && !chosen->isEmpty())
        setText(*chosen);
    setFocus(Qt::OtherFocusReason);
    enterField();
}

void TAdvDirectoryEdit::keyPressEvent(QKeyEvent *event)
{
    const bool ctrlOrAlt = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (event->key() == Qt::Key_F4 && !ctrlOrAlt) {
        ClickButton();
    } else if (event->key() == Qt::Key_Escape) {
        setText(m_focusText);
        selectAll();
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Consumed, so the window's default button is not pressed.
    } else if (event->matches(QKeySequence::Paste)) {
        pasteFirstLine();
    } else if (event->matches(QKeySequence::Cut)) {
        cutSelection();
    } else {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TAdvDirectoryEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (movesBetweenControls(event->reason()))
        enterField();
}

void TAdvDirectoryEdit::enterField()
{
    m_focusText = text();
    selectAll();
}

void TAdvDirectoryEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeButton();
}

void TAdvDirectoryEdit::contextMenuEvent(QContextMenuEvent *event)
{
    execEditMenu(
        this, event, [this] { cutSelection(); }, [this] { pasteFirstLine(); });
}

void TAdvDirectoryEdit::pasteFirstLine()
{
    const QString clip = QGuiApplication::clipboard()->text();
    if (!clip.isEmpty())
        insert(firstLine(clip));
}

void TAdvDirectoryEdit::cutSelection()
{
    if (hasSelectedText())
        cut();
    else
        Q_EMIT Change();
}

void TAdvDirectoryEdit::reportIfChanged(const QString &newText)
{
    // Replacing a selection by the same characters changes nothing.
    if (newText == m_reportedText)
        return;
    m_reportedText = newText;
    Q_EMIT Change();
}

void TAdvDirectoryEdit::placeButton()
{
    m_button->setGeometry(
        width() - kBorder - kButtonWidth, kBorder, kButtonWidth, height() - 2 * kBorder);
}

} // namespace quiltmap::widgets
