#pragma once

#include "settings/app_settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace quiltmap::app {

// "Sheet Options": how the window's sheet is made beyond the cell fields. OK accepts, Cancel
// and Escape reject; the caller takes the values only on OK.
class SheetOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SheetOptionsDialog(QWidget *parent = nullptr);

    // Shows `values`; the grid is not the dialog's and passes through unchanged.
    void setSettings(const settings::SheetSettings &values);
    settings::SheetSettings settings() const;

private:
    void chooseColour();
    void showColour();

    QRadioButton *m_white;
    QRadioButton *m_transparent;
    QRadioButton *m_colour;
    QPushButton *m_chooseColour;
    QSpinBox *m_spacing;
    QSpinBox *m_margin;
    QComboBox *m_order;
    QComboBox *m_cell;
    QCheckBox *m_anyFormat;
    QCheckBox *m_keepGoing;
    QList<QCheckBox *> m_data;
    settings::SheetSettings m_values;
};

} // namespace quiltmap::app
