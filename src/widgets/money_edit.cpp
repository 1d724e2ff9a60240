#include "widgets/money_edit.h"

#include "common/error_sink.h"
#include "widgets/calculator_panel.h"
#include "widgets/edit_menu.h"
#include "widgets/focus_reason.h"
#include "widgets/key_filter.h"
#include "widgets/number_text.h"
#include "widgets/placement.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <utility>

namespace quiltmap::widgets {

namespace {

constexpr int kBorder = 2; // the sunken single border around the client area
constexpr int kDropButtonWidth = 15;
constexpr int kTextAreaGap = 18; // the text area ends this far before the client's right edge
// A pointer over this many right-most client pixels is over the drop button.
constexpr int kDropButtonZone = 16;

bool isCaretMovement(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End;
}

bool isPrintable(const QString &text)
{
    return !text.isEmpty() && text.front().category() != QChar::Other_Control;
}

} // namespace

TMoneyEdit::TMoneyEdit(QWidget *parent)
    : QLineEdit(QStringLiteral("0"), parent)
    , m_dropButton(new QPushButton(this))
{
    setAlignment(Qt::AlignRight);
    // Dropped text and input-method compositions would bypass the key filter and the limit.
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setTextMargins(0, 0, kTextAreaGap, 0);
    m_dropButton->setFocusPolicy(Qt::NoFocus);
    m_dropButton->setCursor(Qt::ArrowCursor);
    connect(m_dropButton, &QPushButton::pressed, this, &TMoneyEdit::dropButtonPressed);
    connect(m_dropButton, &QPushButton::clicked, this, &TMoneyEdit::dropButtonClicked);
    placeDropButton();
}

TMoneyEdit::~TMoneyEdit() = default;

void TMoneyEdit::setValue(double value)
{
    setText(formatGeneral(value, localeDecimalSeparator()));
}

double TMoneyEdit::Value() const
{
    return static_cast<double>(parseNumber(text(), localeDecimalSeparator()).value_or(0));
}

TTabForm *TMoneyEdit::calculatorPanel() const
{
    // A closed panel lingers until its deferred deletion.
    return m_panel && m_panel->isVisible() ? m_panel.data() : nullptr;
}

void TMoneyEdit::openCalculator()
{
    if (calculatorPanel())
        return;
    m_panel = new TTabForm(this);
    connect(m_panel, &TTabForm::dismissedByClick, this, &TMoneyEdit::panelDismissedByClick);
    const QPoint client = mapToGlobal(QPoint(kBorder, kBorder));
    const QRect screenArea = screen()->geometry();
    m_panel->move(calculatorPanelPosition(
        client, height(), TTabForm::panelSize(), screenArea.y() + screenArea.height()));
    m_panel->show();
    m_panel->setFocus(Qt::PopupFocusReason);
}

void TMoneyEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool alt = modifiers & Qt::AltModifier;

    if (key == Qt::Key_F4 && !ctrl && !alt) {
        openCalculator();
    } else if (key == Qt::Key_Delete && !ctrl && !alt) {
        if (shift)
            cut();
        else
            deleteForward();
    } else if (key == Qt::Key_Insert && (ctrl || shift) && !alt) {
        if (ctrl)
            copy();
        else
            pasteLimited();
    } else if (isCaretMovement(key)) {
        QLineEdit::keyPressEvent(event);
        return;
    } else if (ctrl || alt) {
        // The control characters of Ctrl+A, C, V, X and Z are filtered out like any other
        // non-number key, so QLineEdit's own editing shortcuts must not act either.
        event->ignore();
        return;
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        typeCharacter(kEnterKey);
    } else if (key == Qt::Key_Backspace) {
        typeCharacter(kBackspaceKey);
    } else if (isPrintable(event->text())) {
        for (const char32_t character : event->text().toUcs4())
            typeCharacter(character);
    } else {
        event->ignore();
        return;
    }
    event->accept();
}

void TMoneyEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // The calculator panel is a pop-up: opening it does not leave the field.
    if (!movesBetweenControls(event->reason()))
        return;
    const QWidget *next = QApplication::focusWidget();
    if (next && next != this && next->window() == window())
        Q_EMIT Exit();
}

void TMoneyEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeDropButton();
}

void TMoneyEdit::contextMenuEvent(QContextMenuEvent *event)
{
    execEditMenu(
        this, event, [this] { cut(); }, [this] { pasteLimited(); });
}

void TMoneyEdit::typeCharacter(char32_t key)
{
    reportingErrors(this, [&] {
        const TypedKeyEdit edit = filterTypedKey(
            m_calculator, key, text(), static_cast<int>(selectedText().size()), m_maxLength);
        switch (edit.kind) {
        case TypedKeyEdit::Nothing:
            break;
        case TypedKeyEdit::SetText:
            setText(edit.text);
            break;
        case TypedKeyEdit::Insert:
            insert(edit.text);
            break;
        case TypedKeyEdit::Backspace:
            backspace();
            break;
        }
    });
}

void TMoneyEdit::deleteForward()
{
    del();
    if (text().isEmpty())
        setText(QStringLiteral("0"));
}

void TMoneyEdit::pasteLimited()
{
    const QString clip = QApplication::clipboard()->text();
    if (clip.isEmpty())
        return;
    const qsizetype room = m_maxLength - (text().size() - selectedText().size());
    insert(firstLine(clip).left(std::max<qsizetype>(room, 0)));
}

void TMoneyEdit::dropButtonPressed()
{
    m_dropPressClosedPanel = std::exchange(m_panelDismissedOverDropButton, false);
}

void TMoneyEdit::dropButtonClicked()
{
    if (!m_dropPressClosedPanel)
        openCalculator();
}

void TMoneyEdit::panelDismissedByClick(QPoint globalPos)
{
    const QRect client(mapToGlobal(QPoint(kBorder, kBorder)),
        QSize(width() - 2 * kBorder, height() - 2 * kBorder));
    const QRect dropZone(
        client.right() - kDropButtonZone + 1, client.top(), kDropButtonZone, client.height());
    m_panelDismissedOverDropButton = dropZone.contains(globalPos);
    // Platforms that pass the dismissing press on to the button do so at once; where it is
    // swallowed, the next press must open the panel again.
    QTimer::singleShot(0, this, [this] { m_panelDismissedOverDropButton = false; });
}

void TMoneyEdit::placeDropButton()
{
    m_dropButton->setGeometry(
        width() - kBorder - kDropButtonZone, kBorder, kDropButtonWidth, height() - 5);
}

} // namespace quiltmap::widgets
