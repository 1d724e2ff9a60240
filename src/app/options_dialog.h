#pragma once

#include <QDialog>

class QGroupBox;
class QPushButton;

namespace quiltmap::widgets {
class TAdvDirectoryEdit;
class THTMLabel;
class TMoneyEdit;
} // namespace quiltmap::widgets

namespace quiltmap::app {

// The options dialog: the folder for QuiltMap images and the default number of tiles per row.
// OK ends it with result 1, the window's close command with result 2; Escape does not close it
// and Enter in a field stays with the field.
class TfrmOptions : public QDialog
{
    Q_OBJECT

public:
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    explicit TfrmOptions(QWidget *parent = nullptr);

    QGroupBox *GroupBox1;
    widgets::TAdvDirectoryEdit *StocksDir;
    widgets::THTMLabel *HTMLabel3;
    widgets::TMoneyEdit *edit_columns;
    QPushButton *Button1;

public Q_SLOTS:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace quiltmap::app
