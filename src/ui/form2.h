#pragma once
// Holder of the computer opponent: never shown; its creation seeds the generator.

#include <QDialog>
#include <memory>
#include <optional>

#include "kivola/match/computer_player.h"

namespace kivola {

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    // Tests hand in a seeded generator for repeatable games.
    TForm2(std::unique_ptr<RandomSource> random, QWidget* parent = nullptr);

    void FormCreate();
    int searchDepth() const { return computer().searchDepth(); }
    ComputerPlayer& computer() { return *computer_; }
    const ComputerPlayer& computer() const { return *computer_; }

private:
    std::unique_ptr<RandomSource> random_; // handed to the opponent at creation
    std::optional<ComputerPlayer> computer_;
};

} // namespace kivola
