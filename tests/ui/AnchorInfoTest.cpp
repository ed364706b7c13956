#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "AnchorInfo.h"

namespace {

struct AnchorCase
{
    std::string name;
    unsigned modes[4]; // left, right, top, bottom edge
    double dPosX;
    double dSizeX;
    WinRect rcControl;
    QSize initial;
    QSize previous;
    QSize current;
    unsigned nEdgeMask;
    WinRect rcActual; // where the control is before the move
    std::optional<WinRect> expected;
};

constexpr unsigned kRightBottom = EDGE_RIGHT | EDGE_BOTTOM;

void PrintTo(const AnchorCase& c, std::ostream* os)
{
    *os << c.name;
}

class AnchorMoveTest : public testing::TestWithParam<AnchorCase>
{
};

} // namespace

TEST_P(AnchorMoveTest, MovesAsItsModeSays)
{
    const AnchorCase& c = GetParam();
    AnchorInfo anchor = AnchorInfo::Make(7, c.modes[0], c.modes[1], c.modes[2], c.modes[3], 0,
                                         c.dPosX, c.dSizeX, -1.0, -1.0, c.rcControl, c.initial);
    const std::optional<WinRect> moved =
        anchor.Move(c.rcActual, c.nEdgeMask, {c.current, c.previous, c.initial});
    ASSERT_EQ(moved.has_value(), c.expected.has_value());
    if (moved) {
        const WinRect& r = *moved;
        const WinRect& e = *c.expected;
        EXPECT_EQ(r, e) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AnchorMoveTest,
    testing::Values(
        AnchorCase{"StretchGrowsWithTheDialog", {1, 1, 1, 1}, -1, -1, {10, 10, 110, 60},
                   {500, 300}, {500, 300}, {600, 350}, kRightBottom, {10, 10, 110, 60},
                   WinRect{10, 10, 210, 110}},
        AnchorCase{"StretchBottomEdgeOnly", {1, 1, 1, 1}, -1, -1, {10, 10, 110, 60},
                   {500, 300}, {500, 300}, {500, 350}, EDGE_BOTTOM, {10, 10, 110, 60},
                   WinRect{10, 10, 110, 110}},
        AnchorCase{"MoveWithBottomKeepsHeightAndDistance", {1, 1, 2, 2}, -1, -1,
                   {10, 250, 490, 280}, {500, 300}, {500, 300}, {600, 350}, kRightBottom,
                   {10, 250, 490, 280}, WinRect{10, 300, 590, 330}},
        AnchorCase{"CentreAtFortyPercent", {3, 3, 0, 0}, -1, -1, {180, 10, 220, 30},
                   {500, 300}, {500, 300}, {1000, 300}, kRightBottom, {180, 10, 220, 30},
                   WinRect{380, 10, 420, 30}},
        // 0.3 * 101 - 40 = -9.7 truncates toward zero.
        AnchorCase{"CentreTruncatesTowardZero", {3, 3, 0, 0}, -1, -1, {-10, 0, 70, 10},
                   {100, 50}, {100, 50}, {101, 50}, kRightBottom, {-10, 0, 70, 10},
                   WinRect{-9, 0, 71, 10}},
        AnchorCase{"LeftEdgeUsesLeftMode", {2, 1, 0, 0}, -1, -1, {10, 10, 110, 60},
                   {500, 300}, {500, 300}, {550, 300}, EDGE_LEFT, {10, 10, 110, 60},
                   WinRect{60, 10, 160, 60}},
        AnchorCase{"StayingLeftModeFallsBackToNothing", {0, 1, 0, 0}, -1, -1, {10, 10, 110, 60},
                   {500, 300}, {500, 300}, {550, 300}, EDGE_LEFT, {10, 10, 110, 60},
                   std::nullopt},
        AnchorCase{"NoEdgeMovesNothing", {1, 1, 1, 1}, -1, -1, {10, 10, 110, 60},
                   {500, 300}, {500, 300}, {600, 350}, 0, {10, 10, 110, 60}, std::nullopt},
        AnchorCase{"ProportionalScalesFromTheInitialSize", {4, 4, 0, 0}, -1, -1,
                   {100, 10, 200, 30}, {500, 300}, {800, 300}, {1000, 300}, kRightBottom,
                   {160, 10, 320, 30}, WinRect{200, 10, 400, 30}},
        AnchorCase{"FractionalShareOfTheGrowth", {5, 5, 0, 0}, 0.5, 0.5, {100, 10, 200, 30},
                   {500, 300}, {500, 300}, {600, 300}, kRightBottom, {100, 10, 200, 30},
                   WinRect{150, 10, 300, 30}},
        AnchorCase{"StayBesideProportionalFollowsTheActualPlace", {0, 4, 1, 1}, -1, -1,
                   {100, 10, 200, 30}, {500, 300}, {500, 300}, {500, 320}, EDGE_LEFT | EDGE_BOTTOM,
                   {120, 10, 220, 30}, WinRect{120, 10, 220, 50}},
        AnchorCase{"UnchangedRectangleIsLeftOut", {1, 1, 1, 1}, -1, -1, {10, 10, 110, 60},
                   {500, 300}, {600, 350}, {600, 350}, kRightBottom, {10, 10, 110, 60},
                   std::nullopt}),
    [](const testing::TestParamInfo<AnchorCase>& param) { return param.param.name; });

TEST(AnchorInfoTest, StretchAccumulatesAndShrinksBackToItsRegisteredSize)
{
    AnchorInfo anchor = AnchorInfo::Make(1, 1, 1, 1, 1, 0, -1, -1, -1, -1, {10, 10, 110, 60}, {500, 300});
    const auto grown = anchor.Move({10, 10, 110, 60}, kRightBottom, {{600, 350}, {500, 300}, {500, 300}});
    ASSERT_TRUE(grown);
    const auto back = anchor.Move(*grown, kRightBottom, {{500, 300}, {600, 350}, {500, 300}});
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (WinRect{10, 10, 110, 60}));
    EXPECT_EQ(anchor.rcStored, (WinRect{10, 10, 110, 60}));
}

TEST(AnchorInfoTest, MakeTakesModesModuloSixteenAndTheCentreFraction)
{
    const AnchorInfo anchor =
        AnchorInfo::Make(3, 19, 3, 0x12, 2, 7, -1, -1, -1, -1, {180, 10, 220, 30}, {500, 300});
    EXPECT_EQ(anchor.nModeLeft, 3u);
    EXPECT_EQ(anchor.nModeTop, 2u);
    EXPECT_TRUE(anchor.bClipOnErase);
    EXPECT_TRUE(anchor.bRepaintOnMove);
    EXPECT_DOUBLE_EQ(anchor.dPosX, 0.4);
    EXPECT_DOUBLE_EQ(anchor.dPosY, -1.0);
}

TEST(AnchorInfoTest, EdgeMaskByKindAndDraggedEdge)
{
    EXPECT_EQ(EdgeMaskOf(ResizeKind::Restored, WMSZ_LEFT), kRightBottom);
    EXPECT_EQ(EdgeMaskOf(ResizeKind::Maximized, WMSZ_NONE), kRightBottom);
    EXPECT_EQ(EdgeMaskOf(ResizeKind::Minimized, WMSZ_RIGHT), 0u);
    EXPECT_EQ(EdgeMaskOf(ResizeKind::Sized, WMSZ_TOPLEFT), EDGE_TOP | EDGE_LEFT);
    EXPECT_EQ(EdgeMaskOf(ResizeKind::Sized, WMSZ_BOTTOMLEFT), EDGE_BOTTOM | EDGE_LEFT);
    EXPECT_EQ(EdgeMaskOf(ResizeKind::Sized, WMSZ_TOPRIGHT), EDGE_TOP | EDGE_RIGHT);
    EXPECT_EQ(EdgeMaskOf(ResizeKind::Sized, WMSZ_NONE), 0u);
}
