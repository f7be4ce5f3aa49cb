// Rod counts, the total and the reset. A rod counts the beads pushed to its
// right end; rod r stands for the decimal place 10^r.
#include <cstdlib>

#include "abacus/formmain.h"
#include "services/text.h"

namespace MyGame {

using namespace TQUtility;

std::int32_t FormMain::CountRods() {
    static const std::int32_t placeValue[RodCount] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    std::int32_t total = 0;
    for (int r = 0; r < RodCount; ++r) {
        int count = 0;
        for (int c = LastBeadColumn; c >= FirstBeadColumn && IsBead(Cell(r, c)->tileCode); --c)
            ++count;
        if (rodCounters[r] != nullptr)
            rodCounters[r]->SetText(count == 0 ? std::string("0") : Int64ToText(count));
        if (count > 0) total += count * placeValue[r];
    }
    return total;
}

void FormMain::ResetBoard() {
    for (ImageFrame* cell : cells) {
        if (cell == nullptr) continue;
        TileCode code = std::atoi(cell->tag.c_str());
        SetCellTile(cell, code, 0, IsBead(code));
    }
    moveLeftPending = false;
    moveRightPending = false;
    for (CellControl* counter : rodCounters)
        if (counter != nullptr) counter->SetText(std::string("0"));
    for (TextBox* box : captionBoxes)
        if (box != nullptr) box->SetText(std::string());
    if (totalDisplay != nullptr) totalDisplay->SetText(std::string("0"));
}

}  // namespace MyGame
