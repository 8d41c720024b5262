#pragma once
// The self-playing match-three puzzle of the Marble scene.
//
// A board is width x height signed bytes, row by row (cell of row r, column c at r * width + c);
// 0 is empty, 1 to 4 a marble colour. Rows above middleRow are the upper part, rows below it
// the lower part; only the middle row is matched. Moves are numbered 1 to 6: cursor left,
// cursor right, push the cursor column up, push it down, rotate the middle row left, right.
//
// There is one puzzle for the whole program. It is not reentrant and a step allocates nothing.

#include <cstdint>

using BoardCell = std::int8_t;

struct BoardShape {
    int width;
    int height;
    int middleRow;
};

inline constexpr int boardWidth = 5;
inline constexpr int boardHeight = 11;
inline constexpr int boardMiddleRow = 5;
inline constexpr int boardCells = boardWidth * boardHeight;
inline constexpr BoardShape marbleBoardShape{boardWidth, boardHeight, boardMiddleRow};

// ApplyMove's answer for a move that cannot be made from the given cursor and board.
inline constexpr int impossibleMove = -1;
// Deepest search path: the depth limit is 6 (7 moves); the storage leaves room for 9.
inline constexpr int maxSearchMoves = 9;

struct MarblePuzzle {
    BoardShape shape{};
    BoardCell* board = nullptr;      // owned; what the scene draws
    BoardCell pending[boardCells]{}; // the last move's board while its removal waits
    int cursor = 2;
    bool resolvePending = false;
    std::int64_t lastMoveTime = 0; // demo-clock milliseconds of the last move
    std::int64_t lastStepTime = 0; // demo-clock milliseconds of the last step past the gate

    // Search and chain-reaction scratch, reused by every call.
    BoardCell searchRoot[boardCells]{};
    BoardCell work[maxSearchMoves][boardCells]{};
    BoardCell chain[3][boardCells]{};
    int path[maxSearchMoves]{};
    int best[maxSearchMoves]{};
    int bestCount = 0;
    float bestValue = 0.0f;
    int depthLimit = 0;
    int searchedMoves = 0; // possible moves the last search looked at, for measurements
};

// The program-wide puzzle. Tests may read and set its fields.
MarblePuzzle& ThePuzzle();

// Copies source into destination and applies move there. Returns the cursor after the move,
// or impossibleMove (destination then equals source).
int ApplyMove(const BoardShape& shape, BoardCell* destination, const BoardCell* source, int move,
              int cursor);
// Length of the run of three or more equal marbles in the middle row: 3, 4, 5, or 0 for none.
int LongestRun(const BoardShape& shape, const BoardCell* board);
// destination = source with its middle-row run removed; each run column closes up from the side
// holding more marbles (from below on a tie). Only meaningful when source has a run.
void RemoveRun(const BoardShape& shape, BoardCell* destination, const BoardCell* source);
// Removes up to three chained runs in place and returns their score (0: board unchanged).
int ResolveBoard(const BoardShape& shape, BoardCell* board);
int CountMarbles(const BoardShape& shape, const BoardCell* board);
// Depth-first search for the best move from board and cursor; now (milliseconds) picks the
// move when nothing scores. Returns 1 to 6.
int ChooseMove(const BoardShape& shape, const BoardCell* board, int cursor, std::int64_t now);

// Draws two generator values, reseeds the generator with 1, builds and fills the board.
// Returns the board, which stays owned by the puzzle. Cursor, times and pending state are
// left as they are.
BoardCell* CreatePuzzle();
void FreePuzzle();
// One step of play at demo-clock time now (milliseconds): at most one move per 400 ms,
// marbles spawned in proportion to spawnFactor and the time since the previous step.
// Always returns 0.
int StepPuzzle(BoardCell* board, int spawnFactor, std::int64_t now);
