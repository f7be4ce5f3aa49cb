// The board as data: the layout every run starts from, the index arithmetic
// and where each cell sits on the form.
#include "abacus/board.h"

#include <gtest/gtest.h>

#include <string>

using namespace MyGame;

namespace {

// The initial layout, row by row, written out independently of InitialTile.
TEST(Board, InitialLayoutRowByRow) {
    const std::string rod = "37777700000112";
    const std::string frame = "64444444444445";
    for (int r = 0; r < BoardRows; ++r) {
        std::string row;
        for (int c = 0; c < BoardColumns; ++c)
            row += static_cast<char>('0' + InitialTile(r, c));
        EXPECT_EQ(row, r == 7 ? frame : rod) << "row " << r;
    }
}

// Named cells of the initial layout, by index.
TEST(Board, InitialTilesOfNamedCells) {
    struct Case {
        int index;
        TileCode code;
    } cases[] = {{0, LeftFrame},  {13, RightFrame}, {98, BottomLeftCorner}, {111, BottomRightCorner},
                 {99, BottomBar}, {110, BottomBar}, {1, GoldBead},          {5, GoldBead},
                 {6, RedBead},    {10, RedBead},    {11, EmptyRod},         {12, EmptyRod},
                 {84, LeftFrame}, {85, GoldBead},   {94, RedBead},          {96, EmptyRod}};
    for (const Case& k : cases)
        EXPECT_EQ(InitialTile(CellRow(k.index), CellColumn(k.index)), k.code) << "cell " << k.index;
}

TEST(Board, IndexRowAndColumnRoundTrip) {
    for (int n = 0; n < CellCount; ++n) {
        int r = CellRow(n), c = CellColumn(n);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, BoardRows);
        ASSERT_GE(c, 0);
        ASSERT_LT(c, BoardColumns);
        EXPECT_EQ(CellIndex(r, c), n);
    }
    EXPECT_EQ(CellIndex(7, 13), 111);
    EXPECT_EQ(CellRow(14), 1);
    EXPECT_EQ(CellColumn(14), 0);
}

// The placement of the one-based creating loop, (25 C - 7, 40 R + 65), is
// the same as the zero-based rule.
TEST(Board, PlacementMatchesTheCreatingLoop) {
    for (int i = 1; i <= CellCount; ++i) {
        int C = i % 14, R = i / 14 + 1;
        if (C == 0) C = 14, R = i / 14;
        int n = i - 1;
        EXPECT_EQ(CellLeft(CellColumn(n)), 25 * C - 7) << "cell " << n;
        EXPECT_EQ(CellTop(CellRow(n)), 40 * R + 65) << "cell " << n;
    }
    EXPECT_EQ(CellLeft(0), 18);
    EXPECT_EQ(CellTop(0), 105);
    EXPECT_EQ(CellLeft(13), 343);
    EXPECT_EQ(CellTop(7), 385);
}

TEST(Board, OnlyRedAndGoldAreBeads) {
    for (TileCode code = -1; code <= 8; ++code)
        EXPECT_EQ(IsBead(code), code == RedBead || code == GoldBead) << "code " << code;
    int beads = 0;
    for (int n = 0; n < CellCount; ++n)
        beads += IsBead(InitialTile(CellRow(n), CellColumn(n)));
    EXPECT_EQ(beads, 70);
}

}  // namespace
