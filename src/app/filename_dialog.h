#pragma once

#include <QDialog>

namespace quiltmap::app {

// The file-name dialog. It is created at start and kept, but nothing opens it.
class TfrmFilename : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmFilename(QWidget *parent = nullptr);
};

} // namespace quiltmap::app
