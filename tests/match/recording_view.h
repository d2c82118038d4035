#pragma once
// A window for the match that draws nothing: it records what the match reports and fails the
// test on any misuse of the stone entries.

#include <gtest/gtest.h>

#include <QString>
#include <array>
#include <deque>
#include <vector>

#include "kivola/core/stone_display.h"
#include "kivola/match/match_view.h"
#include "kivola/opponent/search_progress.h"

namespace kivola::test {

class RecordingView final : public MatchView, public StoneDisplay, public SearchProgress {
public:
    void createPiece(int k, int, int, StoneColour) override {
        EXPECT_FALSE(live.at(static_cast<std::size_t>(k))) << "entry " << k << " created twice";
        live.at(static_cast<std::size_t>(k)) = true;
    }
    void showPiece(int k) override { EXPECT_TRUE(live.at(static_cast<std::size_t>(k))) << "entry " << k; }
    void bringPieceToFront(int k) override { EXPECT_TRUE(live.at(static_cast<std::size_t>(k))) << "entry " << k; }
    void destroyPiece(int k) override {
        EXPECT_TRUE(live.at(static_cast<std::size_t>(k))) << "entry " << k << " destroyed twice";
        live.at(static_cast<std::size_t>(k)) = false;
    }
    void stopBlink() override { blinking = false; }
    void startBlink() override { blinking = true; }
    void setProgress(int percent) override { progress_ = percent; }
    int progress() const override { return progress_; }
    void repaintNow() override { ++searches; }
    void matchChanged(const MatchReport& now, const MatchReport& before) override {
        EXPECT_NE(now, before) << "a report that changes nothing";
        label1 = now.firstMover;
        label2 = now.secondMover;
        lineReports += now.winningLine != before.winningLine ? 1 : 0;
        report = now;
    }
    void appendChatLine(const QString& line) override { lines.push_back(line); }
    void clearChat() override { lines.clear(); }
    void armNotice(Notice notice) override { notices.push_back(notice); }
    void withdrawNotice(Notice notice) override { ++withdrawn[static_cast<std::size_t>(notice)]; }
    bool confirm(Question question) override {
        questions.push_back(question);
        if (answers.empty()) {
            ADD_FAILURE() << "an unexpected question";
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void closeAboutBox() override { ++aboutClosed; }
    void networkReleased() override { ++released; }
    void stoneReplayed() override { ++replayed; }

    int liveCount() const {
        int n = 0;
        for (bool b : live) {
            n += b ? 1 : 0;
        }
        return n;
    }
    int withdrawals(Notice notice) const { return withdrawn[static_cast<std::size_t>(notice)]; }

    std::array<bool, kMaxStones + 1> live{};
    bool blinking = false;
    int searches = 0;
    QString label1;
    QString label2;
    std::vector<QString> lines;
    std::vector<Notice> notices;
    std::array<int, kNoticeKinds> withdrawn{};
    std::vector<Question> questions;
    std::deque<bool> answers;
    int aboutClosed = 0;
    int released = 0;
    MatchReport report;
    int lineReports = 0;
    int replayed = 0;

private:
    int progress_ = 0;
};

} // namespace kivola::test
