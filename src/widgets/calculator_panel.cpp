#include "widgets/calculator_panel.h"

#include "common/error_sink.h"
#include "widgets/calculator_button.h"
#include "widgets/key_filter.h"
#include "widgets/money_edit.h"
#include "widgets/tahoma_font.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <array>

namespace quiltmap::widgets {

namespace {

// Captions by row and column; the cell of row 1, column 5 stays empty.
constexpr std::array<std::array<const char16_t *, TTabForm::kColumns>, TTabForm::kRows> kCaptions
    = { {
        { u"7", u"8", u"9", u"+", nullptr },
        { u"4", u"5", u"6", u"-", u"%" },
        { u"1", u"2", u"3", u"*", u"C" },
        { u"0", u"+/-", u".", u"/", u"=" },
    } };

const QColor kPanelColor(255, 255, 255);
const QColor kButtonColor(192, 192, 192);

} // namespace

TTabForm::TTabForm(TMoneyEdit *field)
    : QWidget(field, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_field(field)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(panelSize());
    setFont(tahomaFont());
    setFocusPolicy(Qt::StrongFocus);
    connect(
        qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive)
                close();
        });
    for (int row = 1; row <= kRows; ++row) {
        for (int column = 1; column <= kColumns; ++column) {
            const char16_t *caption = kCaptions[row - 1][column - 1];
            if (!caption)
                continue;
            auto *button = new TCalculatorButton(QString::fromUtf16(caption), kButtonColor, this);
            button->setGeometry(
                QRect(cellPosition(column, row), QSize(kButtonWidth, kButtonHeight)));
            connect(button, &QAbstractButton::clicked, this,
                [this, caption] { pressButton(QString::fromUtf16(caption)); });
        }
    }
}

QPoint TTabForm::cellPosition(int column, int row)
{
    return { 2 + (column - 1) * (kButtonWidth + 2), 2 + (row - 1) * (kButtonHeight + 2) };
}

bool TTabForm::event(QEvent *event)
{
    // Tab closes the panel instead of moving the focus.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            close();
            return true;
        }
    }
    return QWidget::event(event);
}

void TTabForm::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F4:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        typeKey(kEnterKey);
        close();
        return;
    case Qt::Key_Backspace:
        typeKey(kBackspaceKey);
        return;
    default:
        break;
    }
    for (const char32_t key : event->text().toUcs4())
        typeKey(key);
}

void TTabForm::typeKey(char32_t key)
{
    reportingErrors(this,
        [&] { m_field->setText(panelTypedKey(m_field->calculator(), key, m_field->text())); });
}

void TTabForm::mousePressEvent(QMouseEvent *event)
{
    const QPoint globalPos = event->globalPosition().toPoint();
    if (!rect().contains(event->position().toPoint()))
        Q_EMIT dismissedByClick(globalPos);
    // Closes the pop-up when the press is outside it.
    QWidget::mousePressEvent(event);
}

void TTabForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kPanelColor);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    for (int row = 1; row <= kRows; ++row)
        for (int column = 1; column <= kColumns; ++column)
            if (kCaptions[row - 1][column - 1])
                painter.fillRect(
                    QRect(cellPosition(column, row), QSize(kButtonWidth, kButtonHeight)),
                    kButtonColor);
}

void TTabForm::pressButton(const QString &caption)
{
    reportingErrors(this, [&] {
        m_field->setText(pressPanelButton(m_field->calculator(), caption, m_field->text()));
    });
}

} // namespace quiltmap::widgets
