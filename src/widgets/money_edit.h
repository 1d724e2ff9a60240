#pragma once

#include "widgets/calculator.h"

#include <QLineEdit>
#include <QPointer>

class QPushButton;

namespace quiltmap::widgets {

class TTabForm;

// A right-aligned number field that filters typed keys, calculates on its own text and opens a
// pocket-calculator panel from its drop button or F4.
class TMoneyEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TMoneyEdit(QWidget *parent = nullptr);
    ~TMoneyEdit() override;

    // Shows the number in the general number format ("48", "12,5" under German settings).
    void setValue(double value);
    // The text read as a number; 0 when it is none.
    double Value() const;

    // The most characters the user can type or paste. Unlike QLineEdit's limit it never cuts
    // a text set by code or by the calculator.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }

    Calculator &calculator() { return m_calculator; }
    // The open calculator panel, or null.
    TTabForm *calculatorPanel() const;
    void openCalculator();

Q_SIGNALS:
    // The keyboard focus moved from the field to another control of the same window.
    void Exit();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void typeCharacter(char32_t key);
    void deleteForward();
    void pasteLimited();
    void dropButtonPressed();
    void dropButtonClicked();
    void panelDismissedByClick(QPoint globalPos);
    void placeDropButton();

    Calculator m_calculator;
    QPushButton *m_dropButton = nullptr;
    QPointer<TTabForm> m_panel;
    int m_maxLength = 5;
    // A press on the drop button that closes the open panel must not open it again.
    bool m_panelDismissedOverDropButton = false;
    bool m_dropPressClosedPanel = false;
};

} // namespace quiltmap::widgets
