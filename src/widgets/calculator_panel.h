#pragma once

#include <QWidget>

namespace quiltmap::widgets {

class TMoneyEdit;

// The pocket-calculator panel of a numeric field: a borderless pop-up window on top of the
// others with a 4 x 5 grid of buttons that calculate on the field's text. It closes when the
// user clicks anywhere else or the application loses activation, and is destroyed when closed.
class TTabForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kButtonWidth = 24;
    static constexpr int kButtonHeight = 24;
    static constexpr int kColumns = 5;
    static constexpr int kRows = 4;
    static constexpr QSize panelSize()
    {
        return { kColumns * (kButtonWidth + 2) + 4, kRows * kButtonHeight + 12 };
    }

    explicit TTabForm(TMoneyEdit *field);

    // Top-left corner of the button cell in `column`, `row` (counted from 1).
    static QPoint cellPosition(int column, int row);

Q_SIGNALS:
    // A mouse press outside the panel, at `globalPos`, is closing it.
    void dismissedByClick(QPoint globalPos);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void pressButton(const QString &caption);
    void typeKey(char32_t key);

    TMoneyEdit *m_field;
};

} // namespace quiltmap::widgets
