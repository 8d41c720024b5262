#pragma once
// A second, deliberately plain implementation of the marble rules and move search: value
// types, copies everywhere, runs found as maximal segments rather than by a scan. The puzzle's
// own search must choose the same move on every board.

#include <array>
#include <cstdint>

namespace plain {

using Grid = std::array<std::array<int, 5>, 11>; // [row][column]

struct MoveResult {
    bool possible;
    Grid grid;
    int cursor;
};

MoveResult Move(const Grid& grid, int move, int cursor);
int Run(const Grid& grid);
Grid Remove(const Grid& grid);
int Resolve(Grid& grid);

struct Choice {
    int move;
    int pathLength; // 0 when nothing scored and the time picked the move
};
Choice Choose(const Grid& grid, int cursor, std::int64_t now);

} // namespace plain
