// The abacus board as data: a grid of 8 rows by 14 columns of picture cells.
// Rows 0..6 are the seven rods (rod 0 at the top, the units); row 7 is the
// bottom bar of the frame. Columns 0 and 13 are the frame's sides; columns
// 1..12 of a rod row are the twelve positions along the rod, ten holding a
// bead and two, side by side, showing bare wire: the rod's gap.
//
// Everything here is plain arithmetic on tile codes and indices, so the rules
// can be exercised without any window behind the cells. SetCellTile, the one
// operation that changes a cell element, lives in cells.h.
#pragma once

namespace MyGame {

// Which of the eight 25 x 40 tiles of the sprite sheet a cell shows; the
// value is the tile's column on the sheet.
using TileCode = int;

constexpr TileCode RedBead = 0;
constexpr TileCode EmptyRod = 1;
constexpr TileCode RightFrame = 2;
constexpr TileCode LeftFrame = 3;
constexpr TileCode BottomBar = 4;
constexpr TileCode BottomRightCorner = 5;
constexpr TileCode BottomLeftCorner = 6;
constexpr TileCode GoldBead = 7;

constexpr int BoardRows = 8;
constexpr int BoardColumns = 14;
constexpr int CellCount = BoardRows * BoardColumns;  // 112
constexpr int RodCount = 7;
constexpr int FirstBeadColumn = 1;
constexpr int LastBeadColumn = 12;

constexpr int CellWidth = 25;
constexpr int CellHeight = 40;

// The two bead tiles behave alike in every rule; only their picture differs.
constexpr bool IsBead(TileCode code) {
    return code == RedBead || code == GoldBead;
}

// Row-major indices: n = 14 r + c.
constexpr int CellIndex(int row, int column) {
    return BoardColumns * row + column;
}
constexpr int CellRow(int index) {
    return index / BoardColumns;
}
constexpr int CellColumn(int index) {
    return index % BoardColumns;
}

// Where a cell sits on the main form's client area. The board spans
// x 18..367 and y 105..424.
constexpr int CellLeft(int column) {
    return CellWidth * column + 18;
}
constexpr int CellTop(int row) {
    return CellHeight * row + 105;
}

// The layout every run starts from: on each rod five gold beads, five red
// beads, then the gap in columns 11 and 12; the frame around it. The checks
// run in this order and the first that applies wins.
constexpr TileCode InitialTile(int row, int column) {
    if (column == 0) return row == 7 ? BottomLeftCorner : LeftFrame;
    if (column == 13) return row == 7 ? BottomRightCorner : RightFrame;
    if (row == 7) return BottomBar;
    if (column <= 5) return GoldBead;
    if (column >= 11) return EmptyRod;
    return RedBead;
}

}  // namespace MyGame
