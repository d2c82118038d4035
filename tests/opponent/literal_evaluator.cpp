#include "literal_evaluator.h"

#include "kivola/opponent/patterns.h"

namespace kivola::oracle {

namespace {

constexpr int kMostTaken = 5;
constexpr int kMostEmptyInRow = 3;

enum class Growth { Front, Back };

// One scan from the stone itself; returns the end marker.
char scan(const WorkBoard& board, int x, int y, int dx, int dy, std::int32_t other, Growth growth, std::string& text) {
    int taken = 0;
    int emptyRun = 0;
    int cx = x;
    int cy = y;
    while (true) {
        const std::int32_t cell = board[cx][cy];
        if (cell == kRing || cell == other || emptyRun >= kMostEmptyInRow || taken >= kMostTaken) {
            break;
        }
        ++taken;
        emptyRun = cell == kEmpty ? emptyRun + 1 : 0;
        const char c = cell == kEmpty ? '0' : '2';
        if (growth == Growth::Front) {
            text.insert(text.begin(), c);
        } else {
            text.push_back(c);
        }
        cx += dx;
        cy += dy;
    }
    // A scan that ran into its own limits reads open, whatever the next cell holds.
    const bool stoppedByLimit = emptyRun >= kMostEmptyInRow || taken >= kMostTaken;
    return stoppedByLimit ? '0' : '1';
}

} // namespace

std::string LineText(const WorkBoard& workBoard, int x, int y, int dx, int dy) {
    const std::int32_t placed = workBoard[x][y];
    const std::int32_t other = 3 - placed;
    std::string text;
    const char forwardEnd = scan(workBoard, x, y, dx, dy, other, Growth::Front, text);
    text.insert(text.begin(), forwardEnd);
    text.pop_back(); // the stone itself; the backward scan reads it again
    const char backwardEnd = scan(workBoard, x, y, -dx, -dy, other, Growth::Back, text);
    text.push_back(backwardEnd);
    return text;
}

std::int32_t PatternScore(const WorkBoard& workBoard, int x, int y, int side, bool bonuses) {
    std::int32_t total = 1;
    int strongOwn = 0;
    int strongFoe = 0;
    const bool own = workBoard[x][y] == side;
    for (int d = 0; d < kLineDirections; ++d) {
        const std::string lineText = LineText(workBoard, x, y, lineDx[d], lineDy[d]);
        std::int32_t lineScore = 0;
        if (own) {
            for (const PatternRow& row : ownPatterns) {
                if (lineText.find(row.pattern) != std::string::npos) {
                    lineScore = row.score;
                    break;
                }
            }
            if (lineScore > 100) {
                strongOwn += 1;
            }
            if (lineScore == 129) {
                strongOwn += 8;
            }
        } else {
            for (const PatternRow& row : foePatterns) {
                if (lineText.find(row.pattern) != std::string::npos) {
                    lineScore = row.score;
                    break;
                }
            }
            if (lineScore > 20) {
                strongFoe += 1;
            }
            if (lineScore == 27 || lineScore > 100) {
                strongFoe += 8;
            }
        }
        total += lineScore;
    }
    if (bonuses) {
        if (strongOwn > 1 && strongOwn < 8) {
            total += 220;
        }
        if (strongFoe > 1 && strongFoe < 8) {
            total += 210;
        }
        if (strongOwn > 9) {
            total += 520;
        }
        if (strongFoe > 9) {
            total += 500;
        }
    }
    return total;
}

std::int32_t CellScore(WorkBoard& workBoard, int x, int y, int side, bool bonuses) {
    if (workBoard[x][y] != kEmpty) {
        return -1;
    }
    workBoard[x][y] = 2;
    const std::int32_t withTwo = PatternScore(workBoard, x, y, side, bonuses);
    workBoard[x][y] = 1;
    const std::int32_t withOne = PatternScore(workBoard, x, y, side, bonuses);
    workBoard[x][y] = kEmpty;
    return withTwo + withOne;
}

} // namespace kivola::oracle
