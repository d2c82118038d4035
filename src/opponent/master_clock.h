#pragma once
// When the master must stop: the end of its budget, or a cancel from another thread. Every node
// of the search and of the threat solvers ticks it, so a stop is seen within a few dozen nodes.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace kivola::master {

class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    Deadline() = default;
    Deadline(Clock::time_point end, const std::atomic<bool>* cancel, std::uint64_t nodeLimit = UINT64_MAX)
        : end_(end), cancel_(cancel), nodeLimit_(nodeLimit) {}

    // Counts a node; true once the search must stop (and from then on).
    bool tick() {
        ++nodes_;
        if (stopped_) {
            return true;
        }
        if ((cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) || nodes_ >= nodeLimit_) {
            stopped_ = true;
        } else if ((nodes_ & kClockEvery) == 0 && Clock::now() >= end_) {
            stopped_ = true;
        }
        return stopped_;
    }
    bool stopped() const { return stopped_; }
    // A part of the search with an earlier end of its own; its nodes count here afterwards.
    Deadline part(Clock::time_point end, std::uint64_t nodes) const {
        const std::uint64_t left = nodeLimit_ - nodes_;
        return Deadline(end < end_ ? end : end_, cancel_, nodes < left ? nodes : left);
    }
    void countPart(const Deadline& part) {
        nodes_ += part.nodes_;
        stopped_ = stopped_ || (part.stopped_ && part.end_ == end_) || nodes_ >= nodeLimit_ ||
                   (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed));
    }
    std::uint64_t nodeLimit() const { return nodeLimit_; }
    std::uint64_t nodes() const { return nodes_; }
    Clock::time_point end() const { return end_; }

private:
    // A node costs a microsecond or two: the clock is read about every 50 us.
    static constexpr std::uint64_t kClockEvery = 31;

    Clock::time_point end_ = Clock::time_point::max();
    const std::atomic<bool>* cancel_ = nullptr;
    std::uint64_t nodeLimit_ = UINT64_MAX;
    std::uint64_t nodes_ = 0;
    bool stopped_ = false;
};

} // namespace kivola::master
