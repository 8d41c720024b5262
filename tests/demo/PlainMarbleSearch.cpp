#include "PlainMarbleSearch.h"

#include <utility>
#include <vector>

namespace plain {
namespace {

constexpr int middle = 5;

// Start and length of the longest segment of equal marbles in the middle row.
std::pair<int, int> LongestSegment(const Grid& grid) {
    const auto& row = grid[middle];
    int bestStart = 0;
    int bestLength = 0;
    for (int start = 0; start < 5; ++start) {
        if (row[start] == 0) {
            continue;
        }
        int end = start;
        while (end + 1 < 5 && row[end + 1] == row[start]) {
            ++end;
        }
        if (end - start + 1 > bestLength) {
            bestStart = start;
            bestLength = end - start + 1;
        }
    }
    return {bestStart, bestLength};
}

struct Search {
    int limit = 0;
    float bestValue = 0.0f;
    std::vector<int> path;
    std::vector<int> best;
};

int Opposite(int move) {
    static const int opposite[7] = {0, 2, 1, 4, 3, 6, 5};
    return opposite[move];
}

void Visit(Search& search, const Grid& grid, int cursor, int depth) {
    for (int move = 1; move <= 6; ++move) {
        if (!search.path.empty() && move == Opposite(search.path.back())) {
            continue;
        }
        const MoveResult result = Move(grid, move, cursor);
        if (!result.possible) {
            continue;
        }
        search.path.push_back(move);
        Grid resolved = result.grid;
        const int score = Resolve(resolved);
        const float value = score == 0 ? 0.0f : float(score) / float(depth + 2);
        if (value > search.bestValue) {
            search.bestValue = value;
            search.best = search.path;
        }
        if (score == 0 && depth < search.limit) {
            Visit(search, result.grid, result.cursor, depth + 1);
        }
        search.path.pop_back();
    }
}

} // namespace

MoveResult Move(const Grid& grid, int move, int cursor) {
    Grid g = grid;
    switch (move) {
    case 1:
        return {cursor > 0, g, cursor > 0 ? cursor - 1 : cursor};
    case 2:
        return {cursor < 4, g, cursor < 4 ? cursor + 1 : cursor};
    case 3:
        if (grid[0][cursor] != 0 || grid[6][cursor] == 0) {
            return {false, g, cursor};
        }
        for (int row = 0; row <= 9; ++row) {
            g[row][cursor] = grid[row + 1][cursor];
        }
        return {true, g, cursor};
    case 4:
        if (grid[10][cursor] != 0 || grid[4][cursor] == 0) {
            return {false, g, cursor};
        }
        for (int row = 1; row <= 10; ++row) {
            g[row][cursor] = grid[row - 1][cursor];
        }
        return {true, g, cursor};
    case 5:
        for (int column = 0; column < 5; ++column) {
            g[middle][column] = grid[middle][(column + 1) % 5];
        }
        return {true, g, cursor};
    default:
        for (int column = 0; column < 5; ++column) {
            g[middle][column] = grid[middle][(column + 4) % 5];
        }
        return {true, g, cursor};
    }
}

int Run(const Grid& grid) {
    const int length = LongestSegment(grid).second;
    return length >= 3 ? length : 0;
}

Grid Remove(const Grid& grid) {
    Grid g = grid;
    const auto [start, length] = LongestSegment(grid);
    for (int column = start; column < start + length; ++column) {
        int above = 0;
        int below = 0;
        for (int row = 0; row < 11; ++row) {
            if (grid[row][column] != 0 && row < middle) {
                ++above;
            }
            if (grid[row][column] != 0 && row > middle) {
                ++below;
            }
        }
        if (above == 0 && below == 0) {
            g[middle][column] = 0;
        } else if (above > below) {
            for (int row = 1; row <= middle; ++row) {
                g[row][column] = grid[row - 1][column];
            }
            g[0][column] = 0;
        } else {
            for (int row = middle; row <= 9; ++row) {
                g[row][column] = grid[row + 1][column];
            }
            g[10][column] = 0;
        }
    }
    return g;
}

int Resolve(Grid& grid) {
    const int c = Run(grid);
    if (c == 0) {
        return 0;
    }
    grid = Remove(grid);
    const int d = Run(grid);
    int e = 0;
    if (d != 0) {
        grid = Remove(grid);
        e = Run(grid);
        if (e != 0) {
            grid = Remove(grid);
        }
    }
    int score = c * (c + 1);
    if (d != 0) {
        score += d * (d + 2) + 2 * c;
    }
    if (e != 0) {
        score += 3 * (c + d) + e * (e + 3);
    }
    return score;
}

Choice Choose(const Grid& grid, int cursor, std::int64_t now) {
    int marbles = 0;
    for (const auto& row : grid) {
        for (int cell : row) {
            marbles += cell != 0;
        }
    }
    Search search;
    search.limit = marbles < 25 ? 6 : 5;
    Visit(search, grid, cursor, 0);
    if (search.best.empty()) {
        return {int(now % 6) + 1, 0};
    }
    return {search.best.front(), int(search.best.size())};
}

} // namespace plain
