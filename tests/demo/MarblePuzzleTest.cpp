#include "demo/MarblePuzzle.h"

#include "PlainMarbleSearch.h"
#include "geometry/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>
#include <random>
#include <string>

// Counts every allocation of this program, so a test can see that a step makes none.
std::atomic<long> allocationCount{0};

void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

using Board = std::array<BoardCell, boardCells>;
const BoardShape& shape = marbleBoardShape;

// Eleven rows of five characters, top row first: '.' empty, '1' to '4' a colour.
Board MakeBoard(std::initializer_list<const char*> rows) {
    Board board{};
    int r = 0;
    for (const char* row : rows) {
        for (int c = 0; c < boardWidth; ++c) {
            board[r * boardWidth + c] = row[c] == '.' ? 0 : static_cast<BoardCell>(row[c] - '0');
        }
        ++r;
    }
    return board;
}

Board MiddleRowOnly(const char* middle) {
    Board board{};
    for (int c = 0; c < boardWidth; ++c) {
        board[boardMiddleRow * boardWidth + c] =
            middle[c] == '.' ? 0 : static_cast<BoardCell>(middle[c] - '0');
    }
    return board;
}

std::string Show(const Board& board) {
    std::string text;
    for (int r = 0; r < boardHeight; ++r) {
        text += '\n';
        for (int c = 0; c < boardWidth; ++c) {
            const BoardCell v = board[r * boardWidth + c];
            text += v == 0 ? '.' : static_cast<char>('0' + v);
        }
    }
    return text;
}

plain::Grid ToGrid(const Board& board) {
    plain::Grid grid{};
    for (int r = 0; r < boardHeight; ++r) {
        for (int c = 0; c < boardWidth; ++c) {
            grid[r][c] = board[r * boardWidth + c];
        }
    }
    return grid;
}

Board FromGrid(const plain::Grid& grid) {
    Board board{};
    for (int r = 0; r < boardHeight; ++r) {
        for (int c = 0; c < boardWidth; ++c) {
            board[r * boardWidth + c] = static_cast<BoardCell>(grid[r][c]);
        }
    }
    return board;
}

// Boards as play makes them (each column's marbles an unbroken run outwards from the middle
// row) and, one in four, arbitrary cells, so the pushes also meet gaps.
Board RandomBoard(std::mt19937& rng) {
    std::uniform_int_distribution<int> colour(1, 4);
    std::uniform_int_distribution<int> count(0, 5);
    std::uniform_int_distribution<int> anyCell(0, 4);
    Board board{};
    if (rng() % 4 == 0) {
        for (BoardCell& cell : board) {
            cell = static_cast<BoardCell>(anyCell(rng));
        }
        return board;
    }
    for (int c = 0; c < boardWidth; ++c) {
        board[boardMiddleRow * boardWidth + c] = static_cast<BoardCell>(colour(rng));
        const int upper = count(rng);
        const int lower = count(rng);
        for (int k = 1; k <= upper; ++k) {
            board[(boardMiddleRow - k) * boardWidth + c] = static_cast<BoardCell>(colour(rng));
        }
        for (int k = 1; k <= lower; ++k) {
            board[(boardMiddleRow + k) * boardWidth + c] = static_cast<BoardCell>(colour(rng));
        }
    }
    return board;
}

void ResetPuzzleState() {
    MarblePuzzle& puzzle = ThePuzzle();
    puzzle.cursor = 2;
    puzzle.resolvePending = false;
    puzzle.lastMoveTime = 0;
    puzzle.lastStepTime = 0;
    std::fill(std::begin(puzzle.pending), std::end(puzzle.pending), BoardCell{0});
}

TEST(MarblePuzzle, LongestRunMeasuresTheMiddleRowRun) {
    const struct {
        const char* middle;
        int run;
    } cases[] = {
        {"11123", 3}, {"22220", 4}, {"44444", 5}, {"11011", 0}, {"12333", 3},
        {".111.", 3}, {"1.111", 3}, {".....", 0}, {"12121", 0},
    };
    for (const auto& test : cases) {
        const Board board = MiddleRowOnly(test.middle);
        EXPECT_EQ(LongestRun(shape, board.data()), test.run) << test.middle;
    }
}

TEST(MarblePuzzle, RemoveRunClosesEachColumnFromTheFullerSideAndFromBelowOnATie) {
    const Board source = MakeBoard({
        ".....",
        ".....",
        ".4...",
        "23...",
        "32...",
        "11123",
        "43...",
        "24...",
        ".....",
        ".....",
        ".....",
    });
    const Board expected = MakeBoard({
        ".....",
        ".....",
        ".....",
        "24...",
        "33...",
        "42.23",
        "23...",
        ".4...",
        ".....",
        ".....",
        ".....",
    });
    Board destination{};
    RemoveRun(shape, destination.data(), source.data());
    EXPECT_EQ(Show(destination), Show(expected));
}

TEST(MarblePuzzle, RemoveRunTakesOnlyTheContiguousRun) {
    const Board source = MiddleRowOnly("2111.");
    Board destination{};
    RemoveRun(shape, destination.data(), source.data());
    EXPECT_EQ(Show(destination), Show(MiddleRowOnly("2....")));
}

TEST(MarblePuzzle, PushesShiftTheCursorColumnAndKeepTheFarEndCell) {
    const struct {
        const char* name;
        Board before;
        int move;
        Board after;
        int marbleChange;
    } cases[] = {
        {"up, lower part full: row 10 stays, one marble more",
         MakeBoard({".....", ".....", ".....", ".....", ".....", "..2..", "..1..", "..2..", "..3..",
                    "..4..", "..1.."}),
         3,
         MakeBoard({".....", ".....", ".....", ".....", "..2..", "..1..", "..2..", "..3..", "..4..",
                    "..1..", "..1.."}),
         1},
        {"up, row 10 empty: same count",
         MakeBoard({".....", ".....", ".....", "..3..", "..4..", "..2..", "..1..", "..2..", ".....",
                    ".....", "....."}),
         3,
         MakeBoard({".....", ".....", "..3..", "..4..", "..2..", "..1..", "..2..", ".....", ".....",
                    ".....", "....."}),
         0},
        {"down, upper part full: row 0 stays, one marble more",
         MakeBoard({"..1..", "..4..", "..3..", "..2..", "..1..", "..2..", ".....", ".....", ".....",
                    ".....", "....."}),
         4,
         MakeBoard({"..1..", "..1..", "..4..", "..3..", "..2..", "..1..", "..2..", ".....", ".....",
                    ".....", "....."}),
         1},
        {"down, row 0 empty: same count",
         MakeBoard({".....", ".....", ".....", ".....", "..3..", "..2..", "..4..", ".....", ".....",
                    ".....", "....."}),
         4,
         MakeBoard({".....", ".....", ".....", ".....", ".....", "..3..", "..2..", "..4..", ".....",
                    ".....", "....."}),
         0},
    };
    for (const auto& test : cases) {
        Board destination{};
        EXPECT_EQ(ApplyMove(shape, destination.data(), test.before.data(), test.move, 2), 2)
            << test.name;
        EXPECT_EQ(Show(destination), Show(test.after)) << test.name;
        EXPECT_EQ(CountMarbles(shape, destination.data()),
                  CountMarbles(shape, test.before.data()) + test.marbleChange)
            << test.name;
    }
}

TEST(MarblePuzzle, ImpossibleMovesLeaveTheDestinationEqualToTheSource) {
    const Board source = MakeBoard({
        "1....",
        "1....",
        "1....",
        "1....",
        "1....",
        "12341",
        ".....",
        ".....",
        ".....",
        ".....",
        ".....",
    });
    const struct {
        int move;
        int cursor;
    } cases[] = {
        {1, 0}, // already leftmost
        {2, 4}, // already rightmost
        {3, 0}, // row 0 occupied
        {3, 1}, // nothing below the middle row
        {4, 1}, // nothing above the middle row
    };
    for (const auto& test : cases) {
        Board destination;
        destination.fill(3);
        EXPECT_EQ(ApplyMove(shape, destination.data(), source.data(), test.move, test.cursor),
                  impossibleMove)
            << "move " << test.move << " cursor " << test.cursor;
        EXPECT_EQ(Show(destination), Show(source));
    }
}

TEST(MarblePuzzle, CursorMovesAndRotations) {
    const Board source = MiddleRowOnly("12340");
    Board destination{};
    EXPECT_EQ(ApplyMove(shape, destination.data(), source.data(), 1, 2), 1);
    EXPECT_EQ(ApplyMove(shape, destination.data(), source.data(), 2, 2), 3);
    EXPECT_EQ(Show(destination), Show(source));
    EXPECT_EQ(ApplyMove(shape, destination.data(), source.data(), 5, 3), 3);
    EXPECT_EQ(Show(destination), Show(MiddleRowOnly("23401")));
    EXPECT_EQ(ApplyMove(shape, destination.data(), source.data(), 6, 3), 3);
    EXPECT_EQ(Show(destination), Show(MiddleRowOnly("01234")));
}

TEST(MarblePuzzle, ResolveBoardScoresSingleRuns) {
    const struct {
        const char* middle;
        int score;
        const char* after;
    } cases[] = {
        {"11123", 12, "...23"},
        {"32222", 20, "3...."},
        {"44444", 30, "....."},
        {"12312", 0, "12312"},
    };
    for (const auto& test : cases) {
        Board board = MiddleRowOnly(test.middle);
        EXPECT_EQ(ResolveBoard(shape, board.data()), test.score) << test.middle;
        EXPECT_EQ(Show(board), Show(MiddleRowOnly(test.after))) << test.middle;
    }
}

TEST(MarblePuzzle, ResolveBoardChainsThreeRemovalsAndLeavesAFourthRun) {
    Board board = MakeBoard({
        ".....",
        ".....",
        ".....",
        ".....",
        ".....",
        "11144",
        "222..",
        "333..",
        "111..",
        ".....",
        ".....",
    });
    EXPECT_EQ(ResolveBoard(shape, board.data()), 69);
    EXPECT_EQ(Show(board), Show(MiddleRowOnly("11144")));
    EXPECT_EQ(LongestRun(shape, board.data()), 3);
}

// Columns 0 to 3 hold marbles that can never move (rows 4 and 6 empty); the only way to three
// 1s is four steps right, two pushes up of column 4 and a rotation: a path of seven moves,
// which only the depth limit of boards below 25 marbles reaches.
Board DeepBoard(int fillers) {
    Board board = MakeBoard({
        ".....",
        ".....",
        ".....",
        ".....",
        ".....",
        "11234",
        "....2",
        "....1",
        ".....",
        ".....",
        ".....",
    });
    const int fillerRows[] = {0, 1, 2, 3, 7, 8, 9, 10};
    for (int row : fillerRows) {
        for (int c = 0; c < 4 && fillers > 0; ++c, --fillers) {
            board[row * boardWidth + c] = static_cast<BoardCell>(1 + (row + c) % 4);
        }
    }
    return board;
}

TEST(MarblePuzzle, DepthLimitIsSixBelow25MarblesAndFiveFrom25) {
    const Board shallow = DeepBoard(17);
    ASSERT_EQ(CountMarbles(shape, shallow.data()), 24);
    EXPECT_EQ(ChooseMove(shape, shallow.data(), 0, 3), 2);
    EXPECT_EQ(ThePuzzle().bestCount, 7);

    const Board full = DeepBoard(18);
    ASSERT_EQ(CountMarbles(shape, full.data()), 25);
    EXPECT_EQ(ChooseMove(shape, full.data(), 0, 3), 4) << "time-picked move (3 mod 6) + 1";
    EXPECT_EQ(ThePuzzle().bestCount, 0);
}

TEST(MarblePuzzle, NothingToScorePicksTheMoveFromTheTime) {
    const Board board = MiddleRowOnly("12341");
    for (std::int64_t now = 600; now < 612; ++now) {
        EXPECT_EQ(ChooseMove(shape, board.data(), 2, now), static_cast<int>(now % 6) + 1);
    }
}

TEST(MarblePuzzle, EarlierMatchBeatsALaterOneOfTheSameSize) {
    // Rotating left scores 12 at once; the same run of three later is worth less.
    const Board board = MiddleRowOnly("11211");
    EXPECT_EQ(ChooseMove(shape, board.data(), 2, 0), 5);
    EXPECT_EQ(ThePuzzle().bestCount, 1);
}

TEST(MarblePuzzle, SearchAgreesWithAPlainImplementationOnRandomBoards) {
    std::mt19937 rng(20261208);
    for (int i = 0; i < 300; ++i) {
        const Board board = RandomBoard(rng);
        const int cursor = static_cast<int>(rng() % boardWidth);
        const std::int64_t now = rng() % 100000;
        const plain::Choice expected = plain::Choose(ToGrid(board), cursor, now);
        ASSERT_EQ(ChooseMove(shape, board.data(), cursor, now), expected.move)
            << Show(board) << "\ncursor " << cursor;
        ASSERT_EQ(ThePuzzle().bestCount, expected.pathLength) << Show(board);
        if (cursor == 0 && expected.pathLength > 0) {
            EXPECT_NE(expected.move, 1);
        }

        Board resolved = board;
        plain::Grid grid = ToGrid(board);
        ASSERT_EQ(ResolveBoard(shape, resolved.data()), plain::Resolve(grid)) << Show(board);
        ASSERT_EQ(Show(resolved), Show(FromGrid(grid)));
    }
}

TEST(MarblePuzzle, CreatePuzzleDrawsTwoValuesThenReseedsAndFills) {
    SeedRandom(1); // first values 41 and 18467: one more marble above, two more below
    BoardCell* board = CreatePuzzle();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board, ThePuzzle().board);
    const int continued = Random();

    SeedRandom(1);
    auto colour = [] { return static_cast<char>('1' + Random() % 4); };
    Board expected{};
    std::string row4 = "...", middle, row6;
    row4 += colour();
    row4 += colour();
    for (int c = 0; c < 5; ++c) {
        middle += colour();
    }
    for (int c = 0; c < 3; ++c) {
        row6 += colour();
    }
    row6 += "..";
    expected = MakeBoard({".....", ".....", ".....", ".....", row4.c_str(), middle.c_str(),
                          row6.c_str(), ".....", ".....", ".....", "....."});

    Board actual;
    std::memcpy(actual.data(), board, boardCells);
    EXPECT_EQ(Show(actual), Show(expected));
    EXPECT_EQ(Random(), continued) << "the fill's sequence goes on";
    FreePuzzle();
    EXPECT_EQ(ThePuzzle().board, nullptr);
    FreePuzzle();
}

// Steps every 402 ms (a multiple of 6, so every step's time-picked move is the same) until one
// of them makes a move; returns that step's time.
std::int64_t StepUntilMove(Board& board, std::int64_t start, int spawnFactor) {
    for (std::int64_t now = start; now < start + 402 * 50; now += 402) {
        StepPuzzle(board.data(), spawnFactor, now);
        if (ThePuzzle().lastMoveTime == now) {
            return now;
        }
    }
    ADD_FAILURE() << "no move in 50 steps";
    return start;
}

TEST(MarblePuzzle, StepWithin400MsOfAMoveDoesNothingAtAll) {
    ResetPuzzleState();
    SeedRandom(5);
    Board board = MakeBoard({".....", ".....", ".....", ".....", "..1..", "12341", "..2..", ".....",
                             ".....", ".....", "....."});
    const std::int64_t moved = StepUntilMove(board, 1000, 150);

    const MarblePuzzle before = ThePuzzle();
    const Board boardBefore = board;
    SeedRandom(99);
    const int firstValue = Random();
    SeedRandom(99);
    StepPuzzle(board.data(), 150, moved + 399);
    EXPECT_EQ(Random(), firstValue) << "no generator value drawn";
    EXPECT_EQ(Show(board), Show(boardBefore));
    EXPECT_EQ(ThePuzzle().cursor, before.cursor);
    EXPECT_EQ(ThePuzzle().lastMoveTime, before.lastMoveTime);
    EXPECT_EQ(ThePuzzle().lastStepTime, before.lastStepTime);
    EXPECT_EQ(ThePuzzle().resolvePending, before.resolvePending);
    EXPECT_EQ(0, std::memcmp(ThePuzzle().pending, before.pending, boardCells));

    StepPuzzle(board.data(), 150, moved + 400);
    EXPECT_EQ(ThePuzzle().lastStepTime, moved + 400);
}

TEST(MarblePuzzle, TimePickedCursorLeftAtColumnZeroChangesNothing) {
    ResetPuzzleState();
    ThePuzzle().cursor = 0;
    SeedRandom(7);
    // Nothing can score, and with spawn factor 0 nothing spawns.
    Board board = MiddleRowOnly("12341");
    const Board before = board;
    StepUntilMove(board, 1002, 0); // 1002 mod 6 = 0: move 1
    EXPECT_EQ(ThePuzzle().cursor, 0);
    EXPECT_FALSE(ThePuzzle().resolvePending);
    EXPECT_EQ(Show(board), Show(before));
}

TEST(MarblePuzzle, MoveWithoutScoreIsShownAtOnce) {
    ResetPuzzleState();
    SeedRandom(11);
    Board board = MiddleRowOnly("12341");
    StepUntilMove(board, 1000, 0); // 1000 mod 6 = 4: move 5, rotate left
    EXPECT_FALSE(ThePuzzle().resolvePending);
    EXPECT_EQ(Show(board), Show(MiddleRowOnly("23411")));
}

TEST(MarblePuzzle, ScoringMoveWaitsThenResolvesAndRefillsTheMiddleRow) {
    // The resolving step may make another move at once; try seeds until one does not.
    for (std::uint32_t seed = 1; seed < 40; ++seed) {
        ResetPuzzleState();
        SeedRandom(seed);
        Board board = MiddleRowOnly("11211");
        const std::int64_t moved = StepUntilMove(board, 1000, 0);
        ASSERT_TRUE(ThePuzzle().resolvePending);
        ASSERT_EQ(Show(board), Show(MiddleRowOnly("11211"))) << "the board waits";
        Board pending;
        std::memcpy(pending.data(), ThePuzzle().pending, boardCells);
        ASSERT_EQ(Show(pending), Show(MiddleRowOnly("12111"))) << "rotated, not yet resolved";

        StepPuzzle(board.data(), 0, moved + 400);
        if (ThePuzzle().lastMoveTime == moved + 400) {
            continue;
        }
        EXPECT_FALSE(ThePuzzle().resolvePending);
        const BoardCell* middle = board.data() + boardMiddleRow * boardWidth;
        EXPECT_EQ(middle[0], 1);
        EXPECT_EQ(middle[1], 2);
        for (int c = 2; c < boardWidth; ++c) {
            EXPECT_TRUE(middle[c] >= 1 && middle[c] <= 4) << "refilled column " << c;
        }
        EXPECT_EQ(CountMarbles(shape, board.data()), 5);
        return;
    }
    FAIL() << "every seed moved again in the resolving step";
}

TEST(MarblePuzzle, StepsAllocateNothingAndKeepColumnsUnbroken) {
    ResetPuzzleState();
    SeedRandom(1);
    BoardCell* board = CreatePuzzle();
    const long allocationsBefore = allocationCount;
    bool unbroken = true;
    for (std::int64_t now = 157250; now < 157250 + 60000; now += 16) {
        StepPuzzle(board, 150, now);
        for (int c = 0; c < boardWidth; ++c) {
            for (int k = 1; k < boardMiddleRow; ++k) {
                const int above = boardMiddleRow - k;
                const int below = boardMiddleRow + k;
                unbroken &=
                    board[(above - 1) * boardWidth + c] == 0 || board[above * boardWidth + c] != 0;
                unbroken &=
                    board[(below + 1) * boardWidth + c] == 0 || board[below * boardWidth + c] != 0;
            }
        }
    }
    EXPECT_EQ(allocationCount - allocationsBefore, 0);
    EXPECT_TRUE(unbroken) << "each column's marbles stay one run outwards from the middle";
    EXPECT_GT(CountMarbles(shape, board), 10);
    FreePuzzle();
}

} // namespace
