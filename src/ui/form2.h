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
    int searchDepth() const { return opponent_.searchDepth(); }
    void setSearchDepth(int depth) { opponent_.setSearchDepth(depth); }
    Opponent& opponent() { return opponent_; }

    BoardPoint FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress);

private:
    Opponent opponent_;
    std::unique_ptr<RandomSource> random_;
};

} // namespace kivola
