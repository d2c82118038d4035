#include "form2.h"

#include <stdexcept>

namespace kivola {

TForm2::TForm2(QWidget* parent) : TForm2(nullptr, parent) {}

TForm2::TForm2(std::unique_ptr<RandomSource> random, QWidget* parent)
    : QDialog(parent), random_(std::move(random)) {
    setObjectName(QStringLiteral("TForm2"));
    FormCreate();
}

void TForm2::FormCreate() {
    if (!random_) {
        random_ = std::make_unique<ClockSeededRandom>();
    }
    opponent_.setSearchDepth(kBeginnerDepth);
}

BoardPoint TForm2::FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress) {
    int x = 0;
    int y = 0;
    if (!opponent_.FindComputerMove(state, bonuses, progress, *random_, x, y)) {
        // Only a full board has no empty point, and a full board is already decided.
        throw std::logic_error("no empty point left for the computer");
    }
    return {x, y};
}

} // namespace kivola
