#pragma once

#include <QColor>
#include <QFont>
#include <QLineEdit>
#include <memory>

class QPushButton;

namespace quiltmap::widgets {

class FieldCaption;
class FolderBrowser;

// A folder path field with a caption label above it and a browse button inside its right end.
class TAdvDirectoryEdit : public QLineEdit
{
    Q_OBJECT

public:
    enum LabelPosition { lpTopLeft, lpTopCenter };

    explicit TAdvDirectoryEdit(QWidget *parent = nullptr);
    ~TAdvDirectoryEdit() override;

    // True when the text, taken as it stands, names an existing folder.
    bool IsValidDirectory() const;

    QColor Color() const;
    void setColor(const QColor &color);

    // The caption label: a separate widget in the field's parent, 4 pixels above the field.
    void setLabelCaption(const QString &caption);
    void setLabelPosition(LabelPosition position);
    void setLabelFont(const QFont &font);

    void setBrowseDialogTitle(const QString &title);
    // The folder chooser in use; the field owns it. Tests put a stand-in here.
    void setFolderBrowser(std::unique_ptr<FolderBrowser> browser);

    // The browse action of the button and of F4.
    void ClickButton();

Q_SIGNALS:
    // The text changed by the user, by the browse dialog or by code; see the .cpp for the cases.
    void Change();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // The field is entered: its text becomes the focus text and is selected.
    void enterField();
    void pasteFirstLine();
    void cutSelection();
    void reportIfChanged(const QString &newText);
    void placeButton();

    QPushButton *m_button = nullptr;
    std::unique_ptr<FieldCaption> m_caption;
    std::unique_ptr<FolderBrowser> m_browser;
    QString m_reportedText;
    QString m_focusText;
    QString m_browseTitle;
};

} // namespace quiltmap::widgets
