// The abacus rules on the real cells of a FormMain: presses, the timed
// moves, the counts, the grouped total and the reset. The operations are
// called directly; the whole program driven through input is tested in
// tests/program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "abacus/formmain.h"

using namespace MyGame;

namespace {

class Rules : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // Italian grouping shows the thousands separator as a dot.
        setenv("LC_ALL", "it_IT.UTF-8", 1);
        static char dir[] = "/tmp/kelvo-rules-XXXXXX";
        setenv("XDG_CONFIG_HOME", mkdtemp(dir), 1);
        form = new FormMain(GetModuleHandleW(nullptr), "rules");
    }
    void SetUp() override { form->ResetBoard(); }

    static void Press(int r, int c) { form->OnCellPress(form->Cell(r, c)); }
    static std::string Row(int r) {
        std::string s;
        for (int c = 0; c < BoardColumns; ++c)
            s += static_cast<char>('0' + form->Cell(r, c)->tileCode);
        return s;
    }
    static std::string Counter(int r) { return form->rodCounters[r]->GetTextNarrow(); }
    static std::string Total() { return form->totalDisplay->GetTextNarrow(); }
    // Puts `count` beads at the right end of rod r, the gap before them.
    static void SetRodCount(int r, int count) {
        int c = 1;
        for (int k = 0; k < 10 - count; ++k, ++c)
            SetCellTile(form->Cell(r, c), GoldBead, 0, true);
        for (int k = 0; k < 2; ++k, ++c)
            SetCellTile(form->Cell(r, c), EmptyRod, 0, false);
        for (int k = 0; k < count; ++k, ++c)
            SetCellTile(form->Cell(r, c), RedBead, 0, true);
    }

    static FormMain* form;
};
FormMain* Rules::form = nullptr;

const std::string kInitialRod = "37777700000112";

// Each press is followed by one tick; the row, its counter and the total
// are then checked.
TEST_F(Rules, MovesFromTheInitialLayoutAndAfter) {
    struct Case {
        std::vector<std::pair<int, int>> presses;
        int row;
        std::string tiles, counter, total;
    } cases[] = {
        {{{0, 10}}, 0, "37777700001102", "1", "1"},
        {{{3, 1}}, 3, "31177777000002", "10", "10.000"},
        {{{0, 1}, {0, 3}}, 0, "37117777000002", "9", "9"},
        {{{0, 1}, {0, 7}}, 0, "37777711000002", "5", "5"},
        {{{6, 6}}, 6, "37777711000002", "5", "5.000.000"},
        {{{2, 8}, {2, 10}}, 2, "37777700011002", "2", "200"},
    };
    for (const Case& k : cases) {
        form->ResetBoard();
        for (auto [r, c] : k.presses) {
            Press(r, c);
            form->OnTimerTick();
        }
        EXPECT_EQ(Row(k.row), k.tiles) << "after press on " << k.presses.back().second;
        EXPECT_EQ(Counter(k.row), k.counter);
        EXPECT_EQ(Total(), k.total);
        EXPECT_FALSE(form->moveLeftPending || form->moveRightPending);
        for (int r = 0; r < RodCount; ++r) {
            if (r == k.row) continue;
            EXPECT_EQ(Row(r), kInitialRod) << "rod " << r << " must not move";
        }
        // The hand cursor is on exactly the beads, also after moves.
        for (int n = 0; n < CellCount; ++n)
            EXPECT_EQ(form->cells[n]->handCursor, IsBead(form->cells[n]->tileCode)) << "cell " << n;
    }
}

// While a move waits, further presses are dropped, not queued.
TEST_F(Rules, PressesWhileAMoveWaitsAreDropped) {
    Press(0, 10);
    ASSERT_TRUE(form->moveRightPending);
    Press(0, 1);
    Press(1, 10);
    EXPECT_EQ(form->pressedRow, 0);
    EXPECT_EQ(form->pressedColumn, 10);
    form->OnTimerTick();
    form->OnTimerTick();
    EXPECT_EQ(Row(0), "37777700001102");
    EXPECT_EQ(Row(1), kInitialRod);
    EXPECT_EQ(Total(), "1");
}

TEST_F(Rules, ResetBeforeTheTickCancelsTheMove) {
    Press(0, 1);
    form->OnTimerTick();  // rod 0 counts 10
    Press(4, 3);
    form->captionBoxes[2]->SetText(std::string("scritta"));
    form->ResetBoard();
    EXPECT_FALSE(form->moveLeftPending || form->moveRightPending);
    form->OnTimerTick();
    for (int r = 0; r < RodCount; ++r) {
        EXPECT_EQ(Row(r), kInitialRod);
        EXPECT_EQ(Counter(r), "0");
        EXPECT_EQ(form->captionBoxes[r]->GetTextNarrow(), "");
    }
    EXPECT_EQ(Row(7), "64444444444445");
    EXPECT_EQ(Total(), "0");
}

// Presses on bare rod and on the frame set nothing; an idle tick rewrites
// no display.
TEST_F(Rules, PressesOffTheBeadsAndIdleTicksChangeNothing) {
    const std::pair<int, int> offBeads[] = {{0, 0}, {0, 11}, {0, 12}, {0, 13},
                                            {7, 0}, {7, 5},  {7, 13}, {6, 11}};
    for (auto [r, c] : offBeads) {
        Press(r, c);
        EXPECT_FALSE(form->moveLeftPending || form->moveRightPending) << r << "," << c;
    }
    for (int r = 0; r < RodCount; ++r)
        form->rodCounters[r]->SetText(std::string("x"));
    form->totalDisplay->SetText(std::string("y"));
    form->OnTimerTick();
    for (int r = 0; r < RodCount; ++r)
        EXPECT_EQ(Counter(r), "x");
    EXPECT_EQ(Total(), "y");
    EXPECT_EQ(Row(0), kInitialRod);
}

// Every count 0..10 on every rod, shown plainly, and the totals they make.
TEST_F(Rules, CountsAndTotals) {
    for (int r = 0; r < RodCount; ++r)
        for (int count = 0; count <= 10; ++count) {
            form->ResetBoard();
            SetRodCount(r, count);
            std::int32_t place = 1;
            for (int k = 0; k < r; ++k)
                place *= 10;
            EXPECT_EQ(form->CountRods(), count * place) << "rod " << r << " count " << count;
            EXPECT_EQ(Counter(r), std::to_string(count));
        }
    form->ResetBoard();
    for (int r = 0; r < RodCount; ++r)
        SetRodCount(r, 10);
    EXPECT_EQ(form->CountRods(), 11111110);
    // The total display follows a tick that carries out a move: take one
    // bead back from rod 0 and push it again.
    Press(0, 3);  // gap at 1,2 on the left
    form->OnTimerTick();
    Press(0, 1);
    form->OnTimerTick();
    EXPECT_EQ(Total(), "11.111.110");
    for (int r = 0; r < RodCount; ++r)
        EXPECT_EQ(Counter(r), "10");
}

}  // namespace
