#include "widgets/field_caption.h"

#include "widgets/placement.h"

#include <QEvent>
#include <QLabel>

namespace quiltmap::widgets {

FieldCaption::FieldCaption(QWidget *field)
    : m_field(field)
    , m_label(new QLabel(field->parentWidget()))
{
    m_label->hide();
    field->installEventFilter(this);
}

FieldCaption::~FieldCaption()
{
    delete m_label;
}

void FieldCaption::setText(const QString &text)
{
    m_label->setText(text);
    follow();
}

void FieldCaption::setCentred(bool centred)
{
    m_centred = centred;
    follow();
}

void FieldCaption::setFont(const QFont &font)
{
    m_label->setFont(font);
    follow();
}

bool FieldCaption::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field) {
        switch (event->type()) {
        case QEvent::ParentChange:
            m_label->setParent(m_field->parentWidget());
            follow();
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            follow();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FieldCaption::follow()
{
    m_label->adjustSize();
    m_label->move(captionLabelPosition(m_field->geometry(), m_label->size(), m_centred));
    m_label->setVisible(m_field->parentWidget() && !m_field->isHidden());
}

} // namespace quiltmap::widgets
