#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>

class QLabel;
class QWidget;

namespace quiltmap::widgets {

// The caption label of a field: a separate label in the field's parent that sits 4 pixels above
// the field, follows it when it moves or resizes, and is visible exactly when the field is.
class FieldCaption : public QObject
{
public:
    explicit FieldCaption(QWidget *field);
    ~FieldCaption() override;

    void setText(const QString &text);
    void setCentred(bool centred);
    void setFont(const QFont &font);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();

    QWidget *m_field;
    QPointer<QLabel> m_label;
    bool m_centred = false;
};

} // namespace quiltmap::widgets
