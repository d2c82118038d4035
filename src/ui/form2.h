#pragma once
// Holder of the computer opponent: never shown; its creation seeds the generator.

#include <QDialog>
#include <memory>

#include "kivola/core/match_state.h"
#include "kivola/match/single_play.h"
#include "kivola/opponent/opponent.h"

namespace kivola {

class TForm1;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    // Tests hand in a seeded generator for repeatable games.
    TForm2(std::unique_ptr<RandomSource> random, QWidget* parent = nullptr);

    void FormCreate();
    // The level's depth, handed to the opponent at each of its moves.
    int& searchDepth() { return searchDepth_; }
    Opponent& opponent() { return opponent_; }

    BoardPoint FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress);

private:
    Opponent opponent_;
    int searchDepth_ = kBeginnerDepth;
    std::unique_ptr<RandomSource> random_;
};

} // namespace kivola
