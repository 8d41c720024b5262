#include "demo/MarblePuzzle.h"

#include "geometry/Random.h"

#include <algorithm>
#include <cstring>

namespace {

MarblePuzzle puzzle;

constexpr std::int64_t moveDelay = 400;   // milliseconds between two moves
constexpr std::int64_t maxStepTime = 100; // longest time one step spawns for, milliseconds

int Cell(const BoardShape& shape, int row, int column) {
    return row * shape.width + column;
}

int CellCount(const BoardShape& shape) {
    return shape.width * shape.height;
}

BoardCell FreshColour() {
    return static_cast<BoardCell>(Random() % 4 + 1);
}

int Opposite(int move) {
    return move % 2 == 1 ? move + 1 : move - 1;
}

void CopyBoard(const BoardShape& shape, BoardCell* destination, const BoardCell* source) {
    const int cells = CellCount(shape);
    if (cells == boardCells) {
        std::memcpy(destination, source, boardCells); // the common size, copied inline
    } else {
        std::memcpy(destination, source, static_cast<std::size_t>(cells));
    }
}

// The cursor after move on source, or impossibleMove.
int CursorAfter(const BoardShape& shape, const BoardCell* source, int move, int cursor) {
    switch (move) {
    case 1:
        return cursor > 0 ? cursor - 1 : impossibleMove;
    case 2:
        return cursor < shape.width - 1 ? cursor + 1 : impossibleMove;
    case 3:
        return source[Cell(shape, 0, cursor)] == 0 &&
                       source[Cell(shape, shape.middleRow + 1, cursor)] != 0
                   ? cursor
                   : impossibleMove;
    case 4:
        return source[Cell(shape, shape.height - 1, cursor)] == 0 &&
                       source[Cell(shape, shape.middleRow - 1, cursor)] != 0
                   ? cursor
                   : impossibleMove;
    case 5:
    case 6:
        return cursor;
    default:
        return impossibleMove;
    }
}

// LongestRun of one middle row of width cells.
int RowRun(const BoardCell* row, int width) {
    BoardCell previous = row[0];
    int run = 1;
    int longest = 0;
    for (int column = 1; column < width; ++column) {
        if (row[column] == 0) {
            previous = 0;
        } else if (row[column] == previous) {
            longest = std::max(longest, ++run);
        } else {
            run = 1;
            previous = row[column];
        }
    }
    return longest >= 3 ? std::min(longest, 5) : 0;
}

// Whether a row of width cells holds three equal marbles side by side (LongestRun != 0).
// Branch-free: the search asks this of most of its boards, and the answer is unpredictable.
bool HasRun(const BoardCell* row, int width) {
    bool found = false;
    for (int column = 0; column + 2 < width; ++column) {
        found |= (row[column + 1] != 0) & (row[column] == row[column + 1]) &
                 (row[column + 1] == row[column + 2]);
    }
    return found;
}

// Whether the middle row has a run after the possible move 3 to 6 on parent, worked out on the
// middle row alone.
bool RunAfterMove(const BoardShape& shape, const BoardCell* parent, int move, int cursor) {
    const int width = shape.width;
    const BoardCell* middle = parent + Cell(shape, shape.middleRow, 0);
    BoardCell row[boardWidth];
    if (move == 5) {
        std::copy(middle + 1, middle + width, row);
        row[width - 1] = middle[0];
    } else if (move == 6) {
        std::copy(middle, middle + width - 1, row + 1);
        row[0] = middle[width - 1];
    } else {
        std::copy(middle, middle + width, row);
        const int from = move == 3 ? shape.middleRow + 1 : shape.middleRow - 1;
        row[cursor] = parent[Cell(shape, from, cursor)];
    }
    return HasRun(row, width);
}

// Resolves the work board of this depth after path[0..depth] and keeps the path if it is the
// best so far. Returns the value.
float Evaluate(const BoardShape& shape, BoardCell* work, int depth) {
    const float score = static_cast<float>(ResolveBoard(shape, work));
    const float value = score != 0.0f ? score / static_cast<float>(depth + 2) : 0.0f;
    if (value > puzzle.bestValue) {
        std::copy(puzzle.path, puzzle.path + depth + 1, puzzle.best);
        puzzle.bestCount = depth + 1;
        puzzle.bestValue = value;
    }
    return value;
}

// The last level of the search (depth > 0), where most of the tree lies. A cursor move there
// changes no board and the parent holds no run, so it scores nothing and ends the path; only
// the board moves that bring a run into the middle row need a board of their own.
void SearchLastMoves(const BoardShape& shape, const BoardCell* parent, int cursor, int depth) {
    const int opposite = Opposite(puzzle.path[depth - 1]);
    for (int move = 3; move <= 6; ++move) {
        if (move == opposite || CursorAfter(shape, parent, move, cursor) == impossibleMove) {
            continue;
        }
        ++puzzle.searchedMoves;
        if (!RunAfterMove(shape, parent, move, cursor)) {
            continue;
        }
        puzzle.path[depth] = move;
        ApplyMove(shape, puzzle.work[depth], parent, move, cursor);
        Evaluate(shape, puzzle.work[depth], depth);
    }
}

void SearchMoves(const BoardShape& shape, const BoardCell* parent, int cursor, int depth) {
    if (depth > 0 && depth == puzzle.depthLimit) {
        SearchLastMoves(shape, parent, cursor, depth);
        return;
    }
    BoardCell* work = puzzle.work[depth];
    for (int move = 1; move <= 6; ++move) {
        if (depth > 0 && move == Opposite(puzzle.path[depth - 1])) {
            continue;
        }
        const int nextCursor = CursorAfter(shape, parent, move, cursor);
        if (nextCursor == impossibleMove) {
            continue;
        }
        puzzle.path[depth] = move;
        ++puzzle.searchedMoves;
        if (depth > 0 && move <= 2) {
            // The board stays as it is and a parent below the root holds no run (it is only
            // searched further when it scored nothing): value 0, search on from the parent.
            SearchMoves(shape, parent, nextCursor, depth + 1);
            continue;
        }
        ApplyMove(shape, work, parent, move, cursor);
        if (Evaluate(shape, work, depth) == 0.0f && depth < puzzle.depthLimit) {
            SearchMoves(shape, work, nextCursor, depth + 1);
        }
    }
}

} // namespace

MarblePuzzle& ThePuzzle() {
    return puzzle;
}

int ApplyMove(const BoardShape& shape, BoardCell* destination, const BoardCell* source, int move,
              int cursor) {
    CopyBoard(shape, destination, source);
    const int nextCursor = CursorAfter(shape, source, move, cursor);
    if (nextCursor == impossibleMove) {
        return impossibleMove;
    }
    const int last = shape.height - 1;
    const int middle = shape.middleRow;
    switch (move) {
    case 3:
        for (int row = 0; row < last; ++row) {
            destination[Cell(shape, row, cursor)] = source[Cell(shape, row + 1, cursor)];
        }
        break;
    case 4:
        for (int row = last; row > 0; --row) {
            destination[Cell(shape, row, cursor)] = source[Cell(shape, row - 1, cursor)];
        }
        break;
    case 5:
        for (int column = 0; column < shape.width; ++column) {
            destination[Cell(shape, middle, column)] =
                source[Cell(shape, middle, column + 1 < shape.width ? column + 1 : 0)];
        }
        break;
    case 6:
        for (int column = 0; column < shape.width; ++column) {
            destination[Cell(shape, middle, column)] =
                source[Cell(shape, middle, column > 0 ? column - 1 : shape.width - 1)];
        }
        break;
    default:
        break;
    }
    return nextCursor;
}

int LongestRun(const BoardShape& shape, const BoardCell* board) {
    return RowRun(board + Cell(shape, shape.middleRow, 0), shape.width);
}

void RemoveRun(const BoardShape& shape, BoardCell* destination, const BoardCell* source) {
    CopyBoard(shape, destination, source);
    const int middle = shape.middleRow;
    const int last = shape.height - 1;

    const BoardCell* row = source + Cell(shape, middle, 0);
    BoardCell previous = row[0];
    int run = 1;
    int start = -1;
    int length = 0;
    for (int column = 1; column < shape.width; ++column) {
        if (row[column] == 0) {
            previous = 0;
        } else if (row[column] == previous) {
            ++run;
            if (run == 3 && start < 0) {
                start = column - 2;
                length = 3;
            } else if (start >= 0 && start + length == column) {
                ++length;
            }
        } else {
            run = 1;
            previous = row[column];
        }
    }
    if (start < 0) {
        return;
    }

    for (int column = start; column < start + length; ++column) {
        int upper = 0;
        int lower = 0;
        for (int r = 0; r < middle; ++r) {
            upper += source[Cell(shape, r, column)] != 0;
        }
        for (int r = middle + 1; r <= last; ++r) {
            lower += source[Cell(shape, r, column)] != 0;
        }
        if (upper == 0 && lower == 0) {
            destination[Cell(shape, middle, column)] = 0;
        } else if (upper > lower) {
            for (int r = middle; r > 0; --r) {
                destination[Cell(shape, r, column)] = source[Cell(shape, r - 1, column)];
            }
            destination[Cell(shape, 0, column)] = 0;
        } else {
            for (int r = middle; r < last; ++r) {
                destination[Cell(shape, r, column)] = source[Cell(shape, r + 1, column)];
            }
            destination[Cell(shape, last, column)] = 0;
        }
    }
}

int ResolveBoard(const BoardShape& shape, BoardCell* board) {
    const int c = LongestRun(shape, board);
    if (c == 0) {
        return 0;
    }
    BoardCell* result = puzzle.chain[0];
    RemoveRun(shape, result, board);
    const int d = LongestRun(shape, result);
    int e = 0;
    if (d != 0) {
        RemoveRun(shape, puzzle.chain[1], result);
        result = puzzle.chain[1];
        e = LongestRun(shape, result);
        if (e != 0) {
            RemoveRun(shape, puzzle.chain[2], result);
            result = puzzle.chain[2];
        }
    }
    CopyBoard(shape, board, result);

    int score = c * (c + 1);
    if (d != 0) {
        score += d * (d + 2) + 2 * c;
    }
    if (e != 0) {
        score += 3 * (c + d) + e * (e + 3);
    }
    return score;
}

int CountMarbles(const BoardShape& shape, const BoardCell* board) {
    const int cells = CellCount(shape);
    return static_cast<int>(
        std::count_if(board, board + cells, [](BoardCell v) { return v != 0; }));
}

int ChooseMove(const BoardShape& shape, const BoardCell* board, int cursor, std::int64_t now) {
    CopyBoard(shape, puzzle.searchRoot, board);
    puzzle.depthLimit = CountMarbles(shape, puzzle.searchRoot) < 25 ? 6 : 5;
    puzzle.bestCount = 0;
    puzzle.bestValue = 0.0f;
    puzzle.searchedMoves = 0;
    SearchMoves(shape, puzzle.searchRoot, cursor, 0);
    if (puzzle.bestCount > 0) {
        return puzzle.best[0];
    }
    return static_cast<int>(now % 6) + 1;
}

BoardCell* CreatePuzzle() {
    const int a = Random() % 5;
    const int b = Random() % 5;

    FreePuzzle();
    puzzle.shape = marbleBoardShape;
    const BoardShape& shape = puzzle.shape;
    puzzle.board = new BoardCell[boardCells]{};

    SeedRandom(1);
    const int lastColumn = shape.width - 1;
    for (int column = lastColumn - a; column <= lastColumn; ++column) {
        puzzle.board[Cell(shape, shape.middleRow - 1, column)] = FreshColour();
    }
    for (int column = 0; column <= lastColumn; ++column) {
        puzzle.board[Cell(shape, shape.middleRow, column)] = FreshColour();
    }
    for (int column = 0; column <= b; ++column) {
        puzzle.board[Cell(shape, shape.middleRow + 1, column)] = FreshColour();
    }
    return puzzle.board;
}

void FreePuzzle() {
    delete[] puzzle.board;
    puzzle.board = nullptr;
    puzzle.shape = BoardShape{};
}

int StepPuzzle(BoardCell* board, int spawnFactor, std::int64_t now) {
    if (now < puzzle.lastMoveTime + moveDelay) {
        return 0;
    }
    const BoardShape& shape = marbleBoardShape;
    const int cells = CellCount(shape);
    const int middleStart = Cell(shape, shape.middleRow, 0);
    const int lowerStart = Cell(shape, shape.middleRow + 1, 0);

    if (puzzle.resolvePending) {
        ResolveBoard(shape, puzzle.pending);
        std::memcpy(board, puzzle.pending, static_cast<std::size_t>(cells));
        for (int cell = middleStart; cell < lowerStart; ++cell) {
            if (board[cell] == 0) {
                board[cell] = FreshColour();
            }
        }
        puzzle.resolvePending = false;
    }

    const std::int64_t dt = std::min(now - puzzle.lastStepTime, maxStepTime);
    const std::int64_t spawns = (Random() % 10) * dt * spawnFactor / 10000;
    for (std::int64_t i = 0; i < spawns; ++i) {
        const int p = Random() % cells;
        if (p < middleStart && board[p] == 0 && board[p + shape.width] != 0) {
            board[p] = FreshColour();
        } else if (p >= lowerStart && board[p] == 0 && board[p - shape.width] != 0) {
            board[p] = FreshColour();
        }
    }
    puzzle.lastStepTime = now;

    if (Random() % 3 != 1) {
        return 0;
    }
    const int move = ChooseMove(shape, board, puzzle.cursor, now);
    int nextCursor = ApplyMove(shape, puzzle.pending, board, move, puzzle.cursor);
    if (nextCursor != impossibleMove) {
        puzzle.cursor = nextCursor;
    }
    const int score = ResolveBoard(shape, puzzle.pending);
    puzzle.lastMoveTime = now;
    if (score > 0) {
        // The pending board shows the move before its removal; the next step past the delay
        // resolves it. The cursor moves with this second application as well.
        nextCursor = ApplyMove(shape, puzzle.pending, board, move, puzzle.cursor);
        if (nextCursor != impossibleMove) {
            puzzle.cursor = nextCursor;
        }
        puzzle.resolvePending = true;
    } else {
        std::memcpy(board, puzzle.pending, static_cast<std::size_t>(cells));
    }
    return 0;
}
