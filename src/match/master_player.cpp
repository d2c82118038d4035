#include "kivola/match/master_player.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>
#include <cassert>

namespace kivola {

MasterPosition masterPositionOf(const MatchState& state) {
    MasterPosition position;
    position.stones.reserve(state.stepCount);
    for (int step = 1; step <= state.stepCount; ++step) {
        const int x = state.stepX[static_cast<std::size_t>(step)];
        const int y = state.stepY[static_cast<std::size_t>(step)];
        position.stones.push_back({{x, y}, isLocal(state.stepSide[static_cast<std::size_t>(step)]) ? kLocalStone : kOtherStone});
    }
    return position;
}

MasterPlayer::MasterPlayer(std::chrono::milliseconds budget) : budget_(budget) {}

MasterPlayer::~MasterPlayer() { cancel(); }

void MasterPlayer::join() {
    if (worker_.joinable()) {
        stop_ = true;
        worker_.join();
    }
    stop_ = false;
}

void MasterPlayer::cancel() {
    ++*generation_;
    join();
    thinking_ = false;
}

void MasterPlayer::think(const MatchState& state, QObject* context, Answer answer) {
    assert(context != nullptr && answer);
    cancel();
    const unsigned asked = *generation_;
    const bool fresh = freshGame_;
    freshGame_ = false;
    thinking_ = true;
    started_ = std::chrono::steady_clock::now();
    MasterLimits limits;
    limits.budget = budget_;
    limits.cancel = &stop_;
    // The worker owns its copies; only the answer comes back, and only to the thread of context.
    worker_ = std::thread([this, position = masterPositionOf(state), limits, fresh, asked,
                           generation = std::weak_ptr<unsigned>(generation_),
                           context, answer = std::move(answer)]() mutable {
        if (fresh) {
            opponent_.newGame();
        }
        const MasterAnswer found = opponent_.FindComputerMove(position, limits);
        assert(found.found);
        QMetaObject::invokeMethod(
            context,
            [this, generation, asked, point = found.move, answer = std::move(answer)] {
                // Still the question of the match as it stands: nothing cancelled or asked since.
                const std::shared_ptr<unsigned> current = generation.lock();
                if (current == nullptr || *current != asked) {
                    return;
                }
                join();
                thinking_ = false;
                answer(point);
            },
            Qt::QueuedConnection);
    });
}

int MasterPlayer::percentSpent() const {
    if (!thinking_ || budget_.count() <= 0) {
        return 0;
    }
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_);
    return static_cast<int>(std::min<long long>(100, spent.count() * 100 / budget_.count()));
}

} // namespace kivola
