#include "ani_test_files.h"
#include "aniicon/ani_icon.h"
#include "aniicon/busy_animation.h"
#include "aniicon/frame_painter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPalette>
#include <gtest/gtest.h>
#include <type_traits>

namespace quiltmap::aniicon {
namespace {

using namespace aniicon::test;

const QRgb White = qRgb(255, 255, 255);
const QRgb Grey = qRgb(128, 128, 128);
const QRgb Blue = qRgb(0, 0, 200);
const QRgb Red = qRgb(200, 0, 0);

void setBackground(QWidget &widget, QRgb colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
}

QImage rendered(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void tick(TAniIcon &icon, int ticks)
{
    for (int i = 0; i < ticks; ++i) {
        QTimerEvent event(1);
        QCoreApplication::sendEvent(&icon, &event);
    }
}

void sendEnter(TAniIcon &icon)
{
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&icon, &event);
}

void sendLeave(TAniIcon &icon)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&icon, &event);
}

void sendMouse(TAniIcon &icon, QEvent::Type type, Qt::MouseButton button)
{
    QMouseEvent event(type, QPointF(1, 1), QPointF(1, 1), button,
        type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&icon, &event);
}

TEST(TAniIcon, StartsSmallStillAndWithoutTimer)
{
    TAniIcon icon;
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_FALSE(icon.Animated());
    EXPECT_FALSE(icon.TimerRunning());
    EXPECT_EQ(icon.Frame(), 0);
    EXPECT_FALSE(icon.AniFile()->HasData());
    EXPECT_EQ(icon.Version(), QStringLiteral("1.2.0.3"));
    icon.setProperty("Version", QStringLiteral("9.9.9.9"));
    EXPECT_EQ(icon.property("Version").toString(), QStringLiteral("1.2.0.3"));
}

TEST(TAniIcon, AnimatedRunsOneTimerWhileOnAndShown)
{
    QWidget parent;
    TAniIcon &icon = *new TAniIcon(&parent);
    icon.setAnimated(true);
    EXPECT_FALSE(icon.TimerRunning());
    parent.show();
    EXPECT_TRUE(icon.TimerRunning());
    icon.setAnimated(true);
    EXPECT_TRUE(icon.Animated());
    EXPECT_TRUE(icon.TimerRunning());
    // Hidden, by itself or with its parent, it pauses; shown again it goes on.
    icon.hide();
    EXPECT_FALSE(icon.TimerRunning());
    EXPECT_TRUE(icon.Animated());
    icon.show();
    EXPECT_TRUE(icon.TimerRunning());
    parent.hide();
    EXPECT_FALSE(icon.TimerRunning());
    parent.show();
    EXPECT_TRUE(icon.TimerRunning());
    icon.setAnimated(false);
    EXPECT_FALSE(icon.TimerRunning());
    icon.setAnimated(false);
    EXPECT_FALSE(icon.Animated());
    EXPECT_FALSE(icon.TimerRunning());
    icon.hide();
    icon.show();
    EXPECT_FALSE(icon.TimerRunning());
}

TEST(TAniIcon, TicksAdvanceTheShippedAnimationAndRepaint)
{
    TAniIcon icon;
    icon.AniFile()->setData(shippedBusyAnimation());
    icon.show();
    const QImage first = rendered(icon);
    tick(icon, 6);
    EXPECT_EQ(icon.AniFile()->CurFrame(), 1);
    EXPECT_NE(rendered(icon), first);
    tick(icon, 30);
    EXPECT_EQ(icon.AniFile()->CurFrame(), 0);
    EXPECT_EQ(rendered(icon), first);
}

TEST(TAniIcon, RunningTimerPlaysTheAnimation)
{
    TAniIcon icon;
    icon.AniFile()->setData(shippedBusyAnimation());
    icon.show();
    icon.setAnimated(true);
    QElapsedTimer clock;
    clock.start();
    while (icon.AniFile()->CurFrame() == 0 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(icon.AniFile()->CurFrame(), 1);
}

TEST(TAniIcon, FrameSelectsAndReadsTheFrameLastSet)
{
    TAniIcon icon;
    icon.AniFile()->setData(shippedBusyAnimation());
    icon.setFrame(3);
    EXPECT_EQ(icon.Frame(), 3);
    EXPECT_EQ(icon.AniFile()->CurFrame(), 3);
    icon.setFrame(9);
    EXPECT_EQ(icon.Frame(), 0);
    EXPECT_EQ(icon.AniFile()->CurFrame(), 0);
    icon.setFrame(2);
    tick(icon, 12);
    EXPECT_EQ(icon.AniFile()->CurFrame(), 4);
    EXPECT_EQ(icon.Frame(), 2);
}

TEST(TAniIcon, AnimateOnEnterFollowsTheMouseWhenEnabled)
{
    TAniIcon icon;
    icon.show();
    sendEnter(icon);
    EXPECT_FALSE(icon.Animated());
    sendLeave(icon);

    icon.setAnimateOnEnter(true);
    sendEnter(icon);
    EXPECT_TRUE(icon.Animated());
    EXPECT_TRUE(icon.TimerRunning());
    sendLeave(icon);
    EXPECT_FALSE(icon.Animated());
    EXPECT_FALSE(icon.TimerRunning());

    icon.setEnabled(false);
    sendEnter(icon);
    EXPECT_FALSE(icon.Animated());
}

TEST(TAniIcon, ButtonStyleFramesShowHoverAndLeftPress)
{
    TAniIcon icon;
    setBackground(icon, Blue);
    const auto corners = [&] {
        const QImage image = rendered(icon);
        return std::vector<QRgb> { image.pixel(0, 0), image.pixel(0, 30), image.pixel(30, 0),
            image.pixel(31, 31) };
    };
    const std::vector<QRgb> plain { Blue, Blue, Blue, Blue };
    const std::vector<QRgb> raised { White, White, White, Grey };
    const std::vector<QRgb> sunken { Grey, Grey, Grey, White };

    sendEnter(icon);
    EXPECT_EQ(corners(), plain);
    icon.setButtonStyle(true);
    EXPECT_EQ(corners(), raised);
    sendMouse(icon, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(corners(), sunken);
    sendMouse(icon, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(corners(), raised);
    sendMouse(icon, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(corners(), raised);
    sendMouse(icon, QEvent::MouseButtonRelease, Qt::RightButton);
    sendLeave(icon);
    EXPECT_EQ(corners(), plain);
}

TEST(TAniIcon, CenterPutsTheIconInTheMiddle)
{
    TAniIcon icon;
    setBackground(icon, Blue);
    icon.AniFile()->setData(animation(1));
    icon.resize(48, 40);
    EXPECT_EQ(rendered(icon).pixel(0, 0), frameColour(0));
    icon.setCenter(true);
    const QImage image = rendered(icon);
    EXPECT_EQ(image.pixel(8, 4), frameColour(0));
    EXPECT_EQ(image.pixel(39, 35), frameColour(0));
    EXPECT_EQ(image.pixel(7, 4), Blue);
    EXPECT_EQ(image.pixel(40, 36), Blue);
}

TEST(IconOrigin, HalvesTheSpareRoomRoundingDown)
{
    EXPECT_EQ(iconOrigin(QSize(48, 40), false), QPoint(0, 0));
    EXPECT_EQ(iconOrigin(QSize(48, 40), true), QPoint(8, 4));
    EXPECT_EQ(iconOrigin(QSize(33, 32), true), QPoint(0, 0));
    EXPECT_EQ(iconOrigin(QSize(31, 29), true), QPoint(-1, -2));
}

TEST(TAniIcon, TransparentLetsTheParentShowThroughClearPixels)
{
    QWidget parent;
    parent.resize(40, 40);
    parent.setAutoFillBackground(true);
    setBackground(parent, Red);
    auto *icon = new TAniIcon(&parent);
    setBackground(*icon, Blue);
    icon->AniFile()->setData(shippedBusyAnimation());

    QImage image = rendered(parent);
    EXPECT_EQ(image.pixel(0, 0), Blue);
    EXPECT_EQ(image.pixel(1, 9), qRgb(0, 0, 0));
    icon->setTransparent(true);
    image = rendered(parent);
    EXPECT_EQ(image.pixel(0, 0), Red);
    EXPECT_EQ(image.pixel(1, 9), qRgb(0, 0, 0));
}

TEST(TAniIcon, AniFileCopiesAnotherAnimationAndNullEmptiesIt)
{
    TAniIconFile shipped;
    shipped.setData(shippedBusyAnimation());
    TAniIcon icon;
    setBackground(icon, Blue);
    icon.setAniFile(&shipped);
    EXPECT_EQ(loadedFrames(icon.AniFile()->cursor()), 6);
    EXPECT_EQ(rendered(icon).pixel(1, 9), qRgb(0, 0, 0));

    icon.setAniFile(nullptr);
    EXPECT_EQ(loadedFrames(icon.AniFile()->cursor()), 0);
    EXPECT_EQ(rendered(icon).pixel(1, 9), Blue);
    // Nothing but an animation or null can be assigned.
    static_assert(!std::is_invocable_v<decltype(&TAniIcon::setAniFile), TAniIcon &, QObject *>);
}

TEST(TAniIcon, DestroyingAnAnimatedControlStopsItsTimer)
{
    auto icon = std::make_unique<TAniIcon>();
    icon->AniFile()->setData(shippedBusyAnimation());
    icon->show();
    icon->setAnimated(true);
    ASSERT_TRUE(icon->TimerRunning());
    icon.reset();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace
} // namespace quiltmap::aniicon
