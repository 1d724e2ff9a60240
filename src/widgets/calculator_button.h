#pragma once

#include <QAbstractButton>

namespace quiltmap::widgets {

// A raised button of the calculator panel: its caption sits centred a little right of the
// middle and moves right and down while the button is pressed.
class TCalculatorButton : public QAbstractButton
{
    Q_OBJECT

public:
    // `face` is the colour of the button face.
    TCalculatorButton(const QString &label, const QColor &face, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_face;
};

} // namespace quiltmap::widgets
