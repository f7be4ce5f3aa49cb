// Bead movement: a press on a bead records a pending move towards the rod's
// gap; the next tick of the 300 ms timer carries it out in one step, moving
// the pressed bead and every bead between it and the gap across the gap.
#include "abacus/formmain.h"
#include "services/text.h"

namespace MyGame {

using namespace TQUtility;

namespace {
// True while a tick is being handled.
bool tickBusy = false;
}  // namespace

void SetCellTile(ImageFrame* cell, TileCode code, std::int32_t row, bool hand) {
    if (cell == nullptr) return;
    cell->tileCode = code;
    cell->tileRow = row;
    if (cell->created && cell->hwnd != nullptr) InvalidateRect(cell->hwnd, nullptr, TRUE);
    cell->SetHandCursor(hand);
}

void FormMain::OnCellPress(GUIElement* element) {
    ImageFrame* pressed = dynamic_cast<ImageFrame*>(element);
    if (pressed == nullptr || !IsBead(pressed->tileCode)) return;
    if (moveLeftPending || moveRightPending) return;
    int n = -1;
    for (int i = 0; i < CellCount; ++i)
        if (cells[i] != nullptr && cells[i]->id == pressed->id) {
            n = i;
            break;
        }
    if (n < 0) return;
    pressedRow = CellRow(n);
    pressedColumn = CellColumn(n);
    for (int k = 1; k < pressedColumn; ++k)
        if (Cell(pressedRow, k)->tileCode == EmptyRod) {
            moveLeftPending = true;
            return;
        }
    for (int k = pressedColumn + 1; k <= LastBeadColumn; ++k)
        if (Cell(pressedRow, k)->tileCode == EmptyRod) {
            moveRightPending = true;
            return;
        }
}

bool FormMain::StepRight() {
    const int r = pressedRow, c = pressedColumn;
    int i = -1;
    for (int k = c + 1; k <= LastBeadColumn; ++k)
        if (Cell(r, k)->tileCode == EmptyRod) {
            i = k;
            break;
        }
    // No gap to the right (the board was changed behind the rules' back):
    // drop the move rather than write outside the rod.
    if (i < 0) return moveRightPending = false;
    int e = LastBeadColumn;
    for (int k = LastBeadColumn; k > i; --k)
        if (Cell(r, k)->tileCode == EmptyRod) {
            e = k;
            break;
        }
    const int m = i - c;
    for (int j = 0; j < m; ++j) {
        ImageFrame* s = Cell(r, i - 1 - j);
        ImageFrame* d = Cell(r, e - j);
        SetCellTile(d, s->tileCode, s->tileRow, true);
        SetCellTile(s, EmptyRod, s->tileRow, false);
    }
    return moveRightPending = false;
}

bool FormMain::StepLeft() {
    const int r = pressedRow, c = pressedColumn;
    int g = -1;
    for (int k = c - 1; k >= FirstBeadColumn; --k)
        if (Cell(r, k)->tileCode == EmptyRod) {
            g = k;
            break;
        }
    if (g < 0) return moveLeftPending = false;
    int b = FirstBeadColumn;
    for (int k = FirstBeadColumn; k < g; ++k)
        if (Cell(r, k)->tileCode == EmptyRod) {
            b = k;
            break;
        }
    const int m = c - g;
    for (int j = 0; j < m; ++j) {
        ImageFrame* s = Cell(r, g + 1 + j);
        ImageFrame* d = Cell(r, b + j);
        SetCellTile(d, s->tileCode, s->tileRow, true);
        SetCellTile(s, EmptyRod, s->tileRow, false);
    }
    return moveLeftPending = false;
}

void FormMain::OnTimerTick() {
    if (tickBusy) return;
    tickBusy = true;
    if (moveLeftPending) {
        StepLeft();
    } else if (moveRightPending) {
        StepRight();
    } else {
        tickBusy = false;
        return;
    }
    std::int32_t total = CountRods();
    if (totalDisplay != nullptr) totalDisplay->SetText(IntToGroupedText(total));
    tickBusy = false;
}

}  // namespace MyGame
