#include "aniicon/ani_icon.h"

#include "aniicon/frame_painter.h"

#include <QMouseEvent>
#include <QPainter>

namespace quiltmap::aniicon {

namespace {

// The component's version number, most significant byte first.
constexpr quint32 ComponentVersion = 0x01020003;

// A one-pixel 3-D frame along the edge: top and left in one colour, right and bottom in the
// other, which also takes the top-right and bottom-left corners.
void drawFrame3D(QPainter &painter, QRect rect, QColor topLeft, QColor bottomRight)
{
    const int right = rect.right();
    const int bottom = rect.bottom();
    painter.setPen(topLeft);
    painter.drawLine(rect.left(), bottom - 1, rect.left(), rect.top());
    painter.drawLine(rect.left(), rect.top(), right - 1, rect.top());
    painter.setPen(bottomRight);
    painter.drawLine(right, rect.top(), right, bottom);
    painter.drawLine(right, bottom, rect.left(), bottom);
}

} // namespace

TAniIcon::TAniIcon(QWidget *parent)
    : QWidget(parent)
    , m_aniFile(std::make_unique<TAniIconFile>())
{
    m_aniFile->setOnChange([this] { repaint(); });
    resize(AnimatedCursor::IconSize, AnimatedCursor::IconSize);
}

TAniIcon::~TAniIcon()
{
    // No tick may reach the animation once it is freed.
    m_timer.stop();
}

void TAniIcon::setAniFile(const TAniIconFile *source)
{
    m_aniFile->Assign(source);
    update();
}

void TAniIcon::setAnimated(bool animated)
{
    m_animated = animated;
    updateTimer();
}

// A hidden indicator has nothing to show, so its animation pauses until it is shown again.
void TAniIcon::updateTimer()
{
    const bool run = m_animated && isVisible();
    if (run == m_timer.isActive())
        return;
    if (run)
        m_timer.start(TimerPeriodMs, Qt::PreciseTimer, this);
    else
        m_timer.stop();
}

void TAniIcon::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateTimer();
}

void TAniIcon::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

void TAniIcon::setFrame(int frame)
{
    m_aniFile->SelectFrame(frame);
    m_frame = m_aniFile->CurFrame();
    repaint();
}

void TAniIcon::setCenter(bool on)
{
    m_center = on;
    repaint();
}

QString TAniIcon::Version() const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ComponentVersion >> 24)
        .arg(ComponentVersion >> 16 & 0xFF)
        .arg(ComponentVersion >> 8 & 0xFF)
        .arg(ComponentVersion & 0xFF);
}

QSize TAniIcon::sizeHint() const
{
    return { AnimatedCursor::IconSize, AnimatedCursor::IconSize };
}

void TAniIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Not opaque: the parent is painted underneath first, so a transparent control shows it.
    if (!m_transparent)
        painter.fillRect(rect(), palette().color(backgroundRole()));
    drawCurrentFrame(painter, iconOrigin(size(), m_center), m_aniFile->cursor());
    if (!m_buttonStyle)
        return;
    const QColor grey(128, 128, 128);
    const QColor white(255, 255, 255);
    if (m_dragging)
        drawFrame3D(painter, rect(), grey, white);
    else if (m_hasMouse)
        drawFrame3D(painter, rect(), white, grey);
}

void TAniIcon::timerEvent(QTimerEvent *)
{
    m_aniFile->Tick();
}

void TAniIcon::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (m_animateOnEnter && isEnabled())
        setAnimated(true);
    m_hasMouse = true;
    repaint();
}

void TAniIcon::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (m_animateOnEnter && isEnabled())
        setAnimated(false);
    m_hasMouse = false;
    repaint();
}

void TAniIcon::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    if (m_buttonStyle)
        repaint();
}

void TAniIcon::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
    if (m_buttonStyle)
        repaint();
}

} // namespace quiltmap::aniicon
