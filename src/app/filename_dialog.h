#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quiltmap::app {

// The file-name dialog. It is created at start and kept, but nothing opens it.
class TfrmFilename : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmFilename(QWidget *parent = nullptr);

    QLabel *Label1;
    QLineEdit *edit_filename;
    QPushButton *butok;
    QPushButton *butabort;
};

} // namespace quiltmap::app
