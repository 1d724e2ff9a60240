#pragma once

#include <QAbstractButton>

namespace quiltmap::widgets {

// A raised button of the calculator panel: its caption sits centred a little right of the
// middle and moves right and down while the button is pressed.
class TCalculatorButton : public QAbstractButton
{
    Q_OBJECT

public:
    TCalculatorButton(const QString &label, QWidget *parent);

    // The button face colour (the calculator look's ButtonColor).
    void setFaceColor(const QColor &color) { m_face = color; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_face;
};

} // namespace quiltmap::widgets
