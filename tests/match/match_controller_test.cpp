// The match's flow with no window at all: what only the window could reach before, and the
// commands' enabling rules across every change of mode.

#include <gtest/gtest.h>


#include "event_loop.h"
#include "fake_net_library.h"
#include "kivola/match/match_controller.h"
#include "library_events.h"
#include "recording_view.h"

namespace kivola::test {
namespace {

class Match : public ::testing::Test {
protected:
    void click(int column, int row) { match.click({column, row}); }
    bool deliver(std::int32_t type, std::int32_t seat = 0, void* data = nullptr, std::int32_t linkLost = 0) {
        return test::deliver(match, type, seat, data, linkLost);
    }
    bool peerStone(std::int32_t column, std::int32_t row) { return deliverStone(match, column, row); }
    bool begin(std::int32_t seat) {
        QByteArray names = gbkNames("甲方", "乙方");
        return deliver(GameBegin, seat, names.data());
    }
    void openNetMatch() {
        library.prepareResult = 1;
        ASSERT_TRUE(match.startNetMatch(nullptr, nullptr));
    }

    RecordingView view;
    FakeNetLibrary library;
    ComputerPlayer computer{std::make_unique<SeededRandom>(7)};
    MatchController match{view, view, view, computer, library};
    const MatchState& state = match.state();
};

TEST_F(Match, takeBackWithTheComputerFirstLeavesItsOpeningStoneAndThePlayerToMove) {
    match.setComputerFirst(true);
    match.startSinglePlay();
    ASSERT_EQ(state.stepCount, 1);
    EXPECT_FALSE(match.controls().regret) << "one stone is not yet a move of the player's";
    EXPECT_EQ(view.label1, QString::fromUtf8("电脑"));
    click(1, 1);
    ASSERT_EQ(state.stepCount, 3);
    ASSERT_TRUE(match.controls().regret);
    match.takeBack();
    EXPECT_EQ(state.stepCount, 1);
    EXPECT_EQ(view.liveCount(), 1);
    EXPECT_EQ(state.board[8][8], kOtherStone) << "the opening stone stays";
    EXPECT_EQ(state.board[1][1], kEmpty);
    EXPECT_EQ(state.stepSide[1], kSideOther);
    EXPECT_EQ(state.playerCanMove, 1);
    EXPECT_FALSE(match.controls().regret);
    click(1, 1);
    EXPECT_EQ(state.stepCount, 3) << "the game goes on from the opening stone";
    EXPECT_EQ(state.stepSide[3], kSideOther);
}

TEST_F(Match, aLoadedGameWithTheComputerToMoveGoesOnAtOnceAndADecidedOneDoesNot) {
    match.setLevel(Level::Intermediate);
    EXPECT_EQ(computer.searchDepth(), kIntermediateDepth);
    match.loadGame(SavedGame{0, {{8, 8, 1}}});
    EXPECT_EQ(view.replayed, 1);
    ASSERT_EQ(state.stepCount, 2);
    EXPECT_EQ(state.stepSide[2], kSideOther);
    EXPECT_EQ(state.playerCanMove, 1);
    EXPECT_EQ(match.mode(), MatchMode::Single);
    EXPECT_FALSE(match.controls().options);
    EXPECT_TRUE(match.controls().save);

    // Five of the player's in a row with the computer to move: the game is over, nobody moves.
    SavedGame won{0, {}};
    for (std::uint8_t x = 1; x <= 5; ++x) {
        won.stones.push_back({x, 3, 1});
    }
    match.loadGame(won);
    EXPECT_EQ(state.stepCount, 5);
    EXPECT_EQ(state.gameResult, kLocalStone);
    EXPECT_EQ(view.liveCount(), 5) << "the earlier game's stones are gone";
    EXPECT_FALSE(match.controls().regret);
    // A computer-first game with no stone: the computer opens.
    match.loadGame(SavedGame{1, {}});
    EXPECT_EQ(state.stepCount, 1);
    EXPECT_EQ(state.stepSide[1], kSideOther);
}

// The window draws only what the match reports, so the report must carry each change once.
TEST_F(Match, theReportCarriesTheDecidingLineOnceAndDropsItWithItsStone) {
    SavedGame won{0, {}};
    for (std::uint8_t x = 1; x <= 5; ++x) {
        won.stones.push_back({x, 3, 1});
        won.stones.push_back({x, 5, 0});
    }
    won.stones.pop_back(); // the player's fifth stone decides; the computer's fifth never came
    match.loadGame(won);
    ASSERT_EQ(state.gameResult, kLocalStone);
    EXPECT_EQ(view.report.winningLine, (WinningLine{9, {{1, 3, 5, 3}}}));
    EXPECT_TRUE(view.report.gameOver);
    EXPECT_EQ(view.report.controls, match.controls());
    EXPECT_EQ(view.lineReports, 1);
    match.setLevel(Level::Advanced);
    EXPECT_EQ(view.report.level, Level::Advanced);
    EXPECT_EQ(view.lineReports, 1) << "a change elsewhere repeats no line";
    match.takeBack();
    EXPECT_EQ(view.report.winningLine, WinningLine{});
    EXPECT_FALSE(view.report.gameOver);
    EXPECT_EQ(view.lineReports, 2);
}

TEST_F(Match, aPeerStoneOutOfTurnOrOutsideAMatchNeverReachesTheBoard) {
    EXPECT_FALSE(peerStone(8, 8)) << "no match";
    openNetMatch();
    ASSERT_TRUE(begin(1));
    ASSERT_TRUE(deliver(YourTurn));
    EXPECT_FALSE(peerStone(8, 8)) << "the local player is to move";
    click(8, 8);
    ASSERT_EQ(state.stepCount, 1);
    EXPECT_FALSE(peerStone(8, 8)) << "a taken point";
    EXPECT_TRUE(peerStone(9, 9));
    EXPECT_EQ(state.board[9][9], kOtherStone);
    EXPECT_TRUE(view.blinking);
    click(10, 10);
    EXPECT_EQ(state.stepCount, 2) << "the player waits for the library's word";
}

// The peer agreed to restart while the local stone was on its way: the library refuses the
// stone of the old game, and the new game starts clean.
TEST_F(Match, aRestartAgreedWhileAStoneIsInFlightStartsTheNewGameClean) {
    openNetMatch();
    ASSERT_TRUE(begin(2));
    ASSERT_TRUE(peerStone(8, 8));
    ASSERT_TRUE(deliver(YourTurn));
    ASSERT_TRUE(deliver(RestartAsked, 1));
    match.restart();
    EXPECT_EQ(library.count("RequireRestart"), 1);
    EXPECT_EQ(state.stepCount, 1) << "asking leaves the board";
    library.sendStepResult = 0;
    click(9, 9);
    EXPECT_EQ(state.stepCount, 1);
    EXPECT_EQ(state.board[9][9], kEmpty);
    EXPECT_EQ(view.liveCount(), 1);
    EXPECT_EQ(state.playerCanMove, 0);
    library.sendStepResult = 1;
    const int withdrawnBefore = view.withdrawals(Notice::RestartAsked);
    ASSERT_TRUE(begin(1));
    EXPECT_EQ(view.withdrawals(Notice::RestartAsked), withdrawnBefore + 1) << "the old question is void";
    EXPECT_EQ(state.stepCount, 0);
    EXPECT_EQ(view.liveCount(), 0);
    EXPECT_EQ(state.computerFirst, 0);
    EXPECT_EQ(view.label1, QString::fromUtf8("甲方"));
    ASSERT_TRUE(deliver(YourTurn));
    click(9, 9);
    EXPECT_EQ(state.stepCount, 1);
    EXPECT_EQ(match.outgoingStep(), (std::array<std::int32_t, 2>{9, 9}));
    match.answerRestart(true);
    EXPECT_EQ(library.last("ReplyRestart")->number, kReplyAgree);
}

TEST_F(Match, controlsFollowEveryChangeOfMode) {
    const Controls none = match.controls();
    EXPECT_EQ(match.mode(), MatchMode::None);
    EXPECT_TRUE(none.load && none.singlePlay && none.netPlay && none.options);
    EXPECT_FALSE(none.save || none.regret || none.restart || none.endGame || none.chatArea);
    match.startSinglePlay();
    const Controls single = match.controls();
    EXPECT_TRUE(single.save && single.load && single.restart && single.endGame && single.singlePlay);
    EXPECT_FALSE(single.netPlay || single.options || single.chatArea);
    EXPECT_TRUE(match.endGame()) << "no question outside a network match";
    EXPECT_EQ(match.controls(), none);
    EXPECT_TRUE(view.questions.empty());

    openNetMatch();
    const Controls net = match.controls();
    EXPECT_TRUE(net.chatArea && net.restart && net.endGame && net.netPlay);
    EXPECT_FALSE(net.save || net.load || net.regret || net.singlePlay || net.options);
    view.answers = {false};
    EXPECT_FALSE(match.endGame());
    EXPECT_EQ(match.controls(), net) << "the player kept the match";
    EXPECT_EQ(library.count("SendDisconnect"), 0);
    // A reconnect that does not open leaves no match behind, and single play open again.
    view.answers = {true};
    library.prepareResult = 0;
    EXPECT_FALSE(match.startNetMatch(nullptr, nullptr));
    EXPECT_EQ(library.count("SendDisconnect"), 1);
    EXPECT_EQ(view.released, 1);
    EXPECT_EQ(match.controls(), none);
    EXPECT_EQ(view.questions, (std::vector<Question>{Question::EndNetMatch, Question::Reconnect}));

    openNetMatch();
    ASSERT_TRUE(deliver(PeerGone, 2, nullptr, 1));
    EXPECT_EQ(view.notices.back(), Notice::LinkLost);
    EXPECT_EQ(match.controls(), net) << "the match ends only once the player has read why";
    match.afterLinkLost();
    EXPECT_EQ(view.released, 2);
    EXPECT_EQ(match.controls(), none);
    match.afterLinkLost();
    match.afterPeerQuit();
    EXPECT_EQ(view.released, 2) << "a second notice finds the match already ended";
    EXPECT_EQ(match.controls(), none);
    EXPECT_TRUE(match.mayClose());
}

} // namespace
} // namespace kivola::test

namespace kivola::test {
namespace {

using namespace std::chrono_literals;

TEST_F(Match, theMasterThinksWhileTheMatchGoesOnAndItsStoneComesThroughTheEventLoop) {
    application();
    match.setLevel(Level::Master);
    EXPECT_EQ(match.report().level, Level::Master);
    EXPECT_EQ(computer.searchDepth(), kBeginnerDepth) << "the fixed-depth opponent keeps its depth";
    match.setMasterBudget(100ms);
    match.setComputerFirst(true);
    match.startSinglePlay();
    EXPECT_TRUE(match.computerThinking());
    EXPECT_EQ(state.stepCount, 0);
    click(8, 8); // not the player's turn
    EXPECT_EQ(state.stepCount, 0);
    ASSERT_TRUE(runUntil([&] { return state.stepCount == 1; }));
    EXPECT_EQ((BoardPoint{state.stepX[1], state.stepY[1]}), (BoardPoint{8, 8}));
    EXPECT_EQ(state.stepSide[1], kSideOther);
    EXPECT_EQ(state.playerCanMove, 1);
    EXPECT_FALSE(match.computerThinking());
    EXPECT_TRUE(view.blinking);
    EXPECT_EQ(view.progress(), 100);

    click(9, 9);
    EXPECT_EQ(state.stepCount, 2);
    EXPECT_TRUE(match.controls().regret) << "a take-back stays at hand while it thinks";
    ASSERT_TRUE(runUntil([&] { return state.stepCount == 3; }));
    EXPECT_EQ(state.board[state.stepX[3]][state.stepY[3]], kOtherStone);

    match.endGame();
    match.setLevel(Level::Advanced);
    EXPECT_EQ(computer.searchDepth(), kAdvancedDepth);
}

TEST_F(Match, everyCommandThatChangesTheBoardStopsTheMasterAndItsStoneNeverArrives) {
    application();
    QObject later;
    match.setLevel(Level::Master);
    match.setMasterBudget(10min); // only a stop ends these searches
    match.startSinglePlay();
    const auto thinkAfterTheFirstStone = [&] {
        click(8, 8);
        ASSERT_EQ(state.stepCount, 1);
        ASSERT_TRUE(match.computerThinking());
        ASSERT_FALSE(view.blinking);
    };
    thinkAfterTheFirstStone();
    match.takeBack(); // the player's own stone goes, and the player moves again
    EXPECT_FALSE(match.computerThinking());
    EXPECT_EQ(state.stepCount, 0);
    EXPECT_EQ(state.board[8][8], kEmpty);
    EXPECT_EQ(state.playerCanMove, 1);
    EXPECT_TRUE(view.blinking);
    EXPECT_EQ(view.progress(), 0);

    thinkAfterTheFirstStone();
    match.restart();
    EXPECT_EQ(state.stepCount, 0);
    EXPECT_EQ(state.playerCanMove, 1);
    thinkAfterTheFirstStone();
    match.loadGame(SavedGame{0, {{3, 3, 1}, {4, 4, 0}}});
    EXPECT_EQ(state.stepCount, 2);
    EXPECT_EQ(state.playerCanMove, 1);
    click(8, 8);
    ASSERT_TRUE(match.computerThinking());
    EXPECT_TRUE(match.endGame());
    EXPECT_EQ(state.gameStarted, 0);
    EXPECT_FALSE(match.computerThinking());

    ASSERT_TRUE(drainQueue(later));
    EXPECT_EQ(state.stepCount, 0);
    EXPECT_EQ(view.liveCount(), 0);
}

} // namespace
} // namespace kivola::test
