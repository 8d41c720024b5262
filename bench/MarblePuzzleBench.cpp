// The move search on its most expensive boards and a whole puzzle step, as the Marble scene
// calls it once per frame. Per-call median and worst times are reported as counters (µs).

#include "demo/MarblePuzzle.h"
#include "geometry/Random.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <random>
#include <vector>

namespace {

using Board = std::array<BoardCell, boardCells>;
using Clock = std::chrono::steady_clock;

// A board as play makes it, with exactly `marbles` marbles (5 to 55).
Board RandomBoard(std::mt19937& rng, int marbles) {
    Board board{};
    std::uniform_int_distribution<int> colour(1, 4);
    std::uniform_int_distribution<int> column(0, boardWidth - 1);
    std::uniform_int_distribution<int> side(0, 1);
    for (int c = 0; c < boardWidth; ++c) {
        board[boardMiddleRow * boardWidth + c] = static_cast<BoardCell>(colour(rng));
    }
    for (int placed = boardWidth; placed < marbles;) {
        const int c = column(rng);
        const int step = side(rng) == 0 ? -1 : 1;
        for (int r = boardMiddleRow + step; r >= 0 && r < boardHeight; r += step) {
            BoardCell& cell = board[r * boardWidth + c];
            if (cell == 0) {
                cell = static_cast<BoardCell>(colour(rng));
                ++placed;
                break;
            }
        }
    }
    return board;
}

double Microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

int SearchedMoves(const Board& board, int cursor) {
    ChooseMove(marbleBoardShape, board.data(), cursor, 0);
    return ThePuzzle().searchedMoves;
}

// A board with `marbles` marbles on which the search looks at as many moves as we could find,
// and its cursor: the hardest of many random boards, then recoloured one marble at a time for
// as long as that makes the search larger. Below 25 marbles every count searches to the same
// depth, so boards of 5 to 24 marbles are all tried.
std::pair<Board, int> HardestBoard(int marbles) {
    std::mt19937 rng(static_cast<unsigned>(marbles));
    Board hardest{};
    int cursor = 0;
    int most = -1;
    for (int i = 0; i < 1000; ++i) {
        const Board board = RandomBoard(rng, marbles < 25 ? 5 + i % (marbles - 4) : marbles);
        const int start = static_cast<int>(rng() % boardWidth);
        const int moves = SearchedMoves(board, start);
        if (moves > most) {
            most = moves;
            hardest = board;
            cursor = start;
        }
    }
    std::uniform_int_distribution<int> cell(0, boardCells - 1);
    std::uniform_int_distribution<int> colour(1, 4);
    for (int i = 0; i < 1500; ++i) {
        Board board = hardest;
        const int k = cell(rng);
        if (board[k] == 0) {
            continue;
        }
        board[k] = static_cast<BoardCell>(colour(rng));
        const int moves = SearchedMoves(board, cursor);
        if (moves >= most) {
            most = moves;
            hardest = board;
        }
    }
    return {hardest, cursor};
}

// The puzzle as the show starts it (a repetition must not inherit the last one's times).
BoardCell* FreshPuzzle() {
    MarblePuzzle& puzzle = ThePuzzle();
    puzzle.cursor = 2;
    puzzle.resolvePending = false;
    puzzle.lastMoveTime = 0;
    puzzle.lastStepTime = 0;
    SeedRandom(1);
    return CreatePuzzle();
}

void Report(benchmark::State& state, std::vector<double>& times) {
    if (times.empty()) {
        return;
    }
    std::sort(times.begin(), times.end());
    state.counters["median_us"] = times[times.size() / 2];
    state.counters["p99_us"] = times[times.size() * 99 / 100];
    state.counters["worst_us"] = times.back();
}

void ChooseMoveOnHardestBoard(benchmark::State& state) {
    const auto [board, cursor] = HardestBoard(static_cast<int>(state.range(0)));
    std::vector<double> times;
    times.reserve(1 << 16);
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(ChooseMove(marbleBoardShape, board.data(), cursor, 0));
        if (times.size() < times.capacity()) {
            times.push_back(Microseconds(Clock::now() - start));
        }
    }
    state.counters["path"] = ThePuzzle().bestCount;
    state.counters["marbles"] = CountMarbles(marbleBoardShape, board.data());
    state.counters["moves"] = ThePuzzle().searchedMoves;
    Report(state, times);
}
// 24 marbles: the deepest search (limit 6); 25: the most marbles still searched to limit 5
// with many pushes possible; 55: a full board.
BENCHMARK(ChooseMoveOnHardestBoard)
    ->Arg(24)
    ->Arg(25)
    ->Arg(30)
    ->Arg(55)
    ->Unit(benchmark::kMicrosecond);

// Whole steps at 60 frames a second of demo clock, as the scene makes them.
void StepPuzzleAtSixtyFrames(benchmark::State& state) {
    BoardCell* board = FreshPuzzle();
    std::int64_t now = 157250;
    std::vector<double> times;
    times.reserve(1 << 20);
    for (auto _ : state) {
        now += 16;
        const auto start = Clock::now();
        StepPuzzle(board, 150, now);
        if (times.size() < times.capacity()) {
            times.push_back(Microseconds(Clock::now() - start));
        }
    }
    state.counters["marbles"] = CountMarbles(marbleBoardShape, board);
    Report(state, times);
    FreePuzzle();
}
BENCHMARK(StepPuzzleAtSixtyFrames)->Unit(benchmark::kMicrosecond);

// Only steps that pass the 400 ms gate, so every call spawns and one in three searches.
void StepPuzzlePastTheGate(benchmark::State& state) {
    BoardCell* board = FreshPuzzle();
    std::int64_t now = 157250;
    std::vector<double> times;
    times.reserve(1 << 20);
    for (auto _ : state) {
        now += 400;
        const auto start = Clock::now();
        StepPuzzle(board, 150, now);
        if (times.size() < times.capacity()) {
            times.push_back(Microseconds(Clock::now() - start));
        }
    }
    state.counters["marbles"] = CountMarbles(marbleBoardShape, board);
    Report(state, times);
    FreePuzzle();
}
BENCHMARK(StepPuzzlePastTheGate)->Unit(benchmark::kMicrosecond);

} // namespace
