#pragma once

#include <QDialog>

namespace quiltmap::widgets {
class TAdvDirectoryEdit;
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

    // The folder for QuiltMap images (the field StocksDir), as typed.
    QString quiltMapFolder() const;
    void setQuiltMapFolder(const QString &text);
    // The default number of tiles per row (the field edit_columns), as typed.
    QString tilesPerRowText() const;
    void setTilesPerRowText(const QString &text);

public Q_SLOTS:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    widgets::TAdvDirectoryEdit *StocksDir;
    widgets::TMoneyEdit *edit_columns;
};

} // namespace quiltmap::app
