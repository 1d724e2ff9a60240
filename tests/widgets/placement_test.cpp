#include "widgets/placement.h"

#include <gtest/gtest.h>

namespace quiltmap::widgets {
namespace {

const QRect kWorkArea(0, 0, 1280, 1000);
const QSize kDialog(400, 300);

TEST(BrowseDialogPosition, StaysBelowTheFieldWhenItFits)
{
    EXPECT_EQ(browseDialogPosition({ 100, 200 }, kDialog, kWorkArea), QPoint(100, 200));
    EXPECT_EQ(browseDialogPosition({ 880, 699 }, kDialog, kWorkArea), QPoint(880, 699));
}

TEST(BrowseDialogPosition, MovesLeftByItsWidthPastTheRightEdge)
{
    EXPECT_EQ(browseDialogPosition({ 881, 200 }, kDialog, kWorkArea), QPoint(481, 200));
}

TEST(BrowseDialogPosition, LiftsAboveTheBottomWhenItReachesIt)
{
    EXPECT_EQ(browseDialogPosition({ 100, 700 }, kDialog, kWorkArea), QPoint(100, 636));
    const QRect offsetArea(0, 40, 1280, 1000);
    EXPECT_EQ(browseDialogPosition({ 100, 900 }, kDialog, offsetArea), QPoint(100, 676));
}

TEST(CalculatorPanelPosition, BelowWhenItFitsAboveTheScreenBottom)
{
    EXPECT_EQ(calculatorPanelPosition({ 50, 500 }, 21, { 134, 108 }, 1000), QPoint(50, 521));
}

TEST(CalculatorPanelPosition, AboveWhenItDoesNotFitBelow)
{
    EXPECT_EQ(calculatorPanelPosition({ 50, 892 }, 21, { 134, 108 }, 1000), QPoint(50, 784));
}

TEST(CalculatorPanelPosition, BelowWhenItFitsNeitherWay)
{
    EXPECT_EQ(calculatorPanelPosition({ 50, 100 }, 21, { 134, 108 }, 200), QPoint(50, 121));
}

TEST(CaptionLabelPosition, SitsFourPixelsAboveTheField)
{
    const QRect field(3, 30, 390, 21);
    EXPECT_EQ(captionLabelPosition(field, { 150, 13 }, false), QPoint(3, 13));
    EXPECT_EQ(captionLabelPosition(field, { 151, 13 }, true), QPoint(3 + 119, 13));
}

TEST(CaptionLabelPosition, CentringTruncatesTowardZeroForAWiderLabel)
{
    EXPECT_EQ(captionLabelPosition(QRect(20, 30, 10, 21), { 15, 13 }, true), QPoint(18, 13));
}

} // namespace
} // namespace quiltmap::widgets
