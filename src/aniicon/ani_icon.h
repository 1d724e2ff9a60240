#pragma once

#include "aniicon/ani_icon_file.h"

#include <QBasicTimer>
#include <QWidget>
#include <memory>

namespace quiltmap::aniicon {

// A 32 x 32 control that plays its animated cursor with a 20 ms timer, repainting on every frame
// advance. The control owns its timer: it runs while the control is animated and shown, and
// pauses while it is hidden. It can also act as a flat button: raised frame under the mouse,
// sunken while pressed.
class TAniIcon : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Animated READ Animated WRITE setAnimated)
    Q_PROPERTY(bool AnimateOnEnter READ AnimateOnEnter WRITE setAnimateOnEnter)
    Q_PROPERTY(int Frame READ Frame WRITE setFrame)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
    Q_PROPERTY(bool ButtonStyle READ ButtonStyle WRITE setButtonStyle)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)

public:
    static constexpr int TimerPeriodMs = 20;

    explicit TAniIcon(QWidget *parent = nullptr);
    ~TAniIcon() override;

    // The owned animation; it lives as long as the control.
    TAniIconFile *AniFile() { return m_aniFile.get(); }
    const TAniIconFile *AniFile() const { return m_aniFile.get(); }
    // Copies the source into the owned animation (TAniIconFile::Assign), then repaints.
    void setAniFile(const TAniIconFile *source);

    bool Animated() const { return m_animated; }
    void setAnimated(bool animated);
    // Whether the animation timer runs: animated and shown.
    bool TimerRunning() const { return m_timer.isActive(); }

    // The frame last selected here, not the frame the running animation shows.
    int Frame() const { return m_frame; }
    void setFrame(int frame);

    bool AnimateOnEnter() const { return m_animateOnEnter; }
    void setAnimateOnEnter(bool on) { m_animateOnEnter = on; }
    // When on, the background is not filled: the parent shows through transparent pixels.
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool on) { m_transparent = on; }
    bool Center() const { return m_center; }
    void setCenter(bool on);
    bool ButtonStyle() const { return m_buttonStyle; }
    void setButtonStyle(bool on) { m_buttonStyle = on; }

    // Always "1.2.0.3"; writing it changes nothing.
    QString Version() const;
    void setVersion(const QString &) { }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    // Every timer event of the control is one animation tick.
    void timerEvent(QTimerEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    // Presses are taken here, so the release comes back to the control.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateTimer();

    std::unique_ptr<TAniIconFile> m_aniFile;
    QBasicTimer m_timer;
    bool m_animated = false;
    int m_frame = 0;
    bool m_transparent = false;
    bool m_animateOnEnter = false;
    bool m_center = false;
    bool m_buttonStyle = false;
    bool m_hasMouse = false;
    bool m_dragging = false;
};

} // namespace quiltmap::aniicon
