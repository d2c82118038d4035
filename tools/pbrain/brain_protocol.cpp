#include "kivola/pbrain/brain_protocol.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <span>

#include "kivola/opponent/evaluator.h"
#include "kivola/opponent/search_progress.h"

#ifndef KIVOLA_VERSION
#define KIVOLA_VERSION "0"
#endif

namespace kivola {

namespace {

// BOARD lines: what the manager's field says of the stone.
constexpr int kFieldOwn = 1;
constexpr int kFieldOpponent = 2;
constexpr int kFieldFinishedLine = 3; // continuous games: a stone of a five already scored

constexpr std::int32_t kEngineStone = kOtherStone;   // the computer's code on the game's board
constexpr std::int32_t kOpponentStone = kLocalStone; // the player's code

// Echoed input is cut, so a hostile line cannot make an answer huge or break its line.
constexpr std::size_t kEchoLimit = 32;

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The first word and the trimmed rest.
std::pair<std::string_view, std::string_view> splitWord(std::string_view text) {
    text = trim(text);
    const auto end = text.find_first_of(" \t");
    if (end == std::string_view::npos) {
        return {text, {}};
    }
    return {text.substr(0, end), trim(text.substr(end))};
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::string echo(std::string_view text) {
    std::string result;
    for (char c : text.substr(0, kEchoLimit)) {
        const auto byte = static_cast<unsigned char>(c);
        result.push_back(byte < 0x20 || byte == 0x7f ? '?' : c);
    }
    if (text.size() > kEchoLimit) {
        result += "...";
    }
    return result;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    text = trim(text);
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

// Exactly N comma-separated integers.
template <std::size_t N>
std::optional<std::array<std::int64_t, N>> parseList(std::string_view text) {
    std::array<std::int64_t, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        const auto comma = text.find(',');
        const bool last = i + 1 == N;
        if (last != (comma == std::string_view::npos)) {
            return std::nullopt;
        }
        const auto value = parseInteger(last ? text : text.substr(0, comma));
        if (!value) {
            return std::nullopt;
        }
        values[i] = *value;
        text = last ? std::string_view{} : text.substr(comma + 1);
    }
    return values;
}

std::string pointText(std::int64_t x, std::int64_t y) { return std::to_string(x) + "," + std::to_string(y); }

std::string error(std::string_view message) { return "ERROR " + std::string(message); }

bool isError(const std::vector<std::string>& answers) {
    return !answers.empty() && answers.front().starts_with("ERROR");
}

// A point named by a command: malformed, off the board, or a board point (1-based).
struct PointArgument {
    std::string fault;
    int x = 0;
    int y = 0;
};

std::string sizeText(const BrainPosition& position) {
    return std::to_string(position.width) + "x" + std::to_string(position.height);
}

std::string outsideFault(std::int64_t x, std::int64_t y, const BrainPosition& position) {
    return "point " + pointText(x, y) + " is outside the " + sizeText(position) + " board";
}

PointArgument readPoint(std::string_view command, std::string_view args, const BrainPosition& position) {
    const auto values = parseList<2>(args);
    if (!values) {
        return {"expected " + std::string(command) + " X,Y, got '" + echo(args) + "'"};
    }
    const auto [px, py] = *values;
    if (!position.onBoard(px + 1, py + 1)) {
        return {outsideFault(px, py, position)};
    }
    return {{}, static_cast<int>(px) + 1, static_cast<int>(py) + 1};
}

bool sizeAllowed(std::int64_t size) { return size >= kMinProtocolSize && size <= kMaxProtocolSize; }

// Milliseconds or bytes from INFO: a whole number, not negative.
std::optional<std::int64_t> readAmount(std::string_view text) {
    const auto value = parseInteger(text);
    if (!value || *value < 0) {
        return std::nullopt;
    }
    return value;
}

std::string takenFault(int x, int y) { return "point " + pointText(x - 1, y - 1) + " is already taken"; }

bool isCommandWord(std::string_view word) {
    const char first = word.empty() ? '\0' : word.front();
    return (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
}

// Multi-line commands of protocol extensions, ended by DONE like BOARD.
bool isUnknownBlock(const std::string& name) { return name == "SWAP2BOARD" || name == "YXBOARD"; }

std::string unknownCommand(std::string_view word) { return "UNKNOWN command '" + echo(word) + "'"; }

} // namespace

namespace {

struct NamedLevel {
    std::string_view chinese;
    std::string_view english;
    std::int32_t level;
};

constexpr NamedLevel kLevels[] = {{"初级", "BEGINNER", kBeginnerDepth},
                                  {"中级", "INTERMEDIATE", kIntermediateDepth},
                                  {"高级", "ADVANCED", kAdvancedDepth},
                                  {"大师", "MASTER", kMasterLevel}};

// Milliseconds kept back from every budget: the pipes, the manager's own clock and a loaded
// machine all take some; a twentieth of the turn on top of a fixed part.
constexpr std::int64_t kFixedMargin = 30;
constexpr std::int64_t kMarginShare = 20;
// With only the game's clock to go by, a move may take this part of what is left.
constexpr std::int64_t kMovesToPlan = 25;
// Time the master needs at the least to give any answer.
constexpr std::int64_t kLeastBudget = 5;
// The master's transposition table when the manager allows enough memory.
constexpr std::int64_t kMasterTableMegabytes = 32;
// Refused beyond this, so that a hostile number cannot hold the engine for weeks.
constexpr std::int64_t kLongestTurn = 24LL * 3600 * 1000;

} // namespace

std::optional<std::int32_t> levelNamed(std::string_view name) {
    const std::string english = upper(name);
    for (const NamedLevel& level : kLevels) {
        if (name == level.chinese || english == level.english) {
            return level.level;
        }
    }
    return std::nullopt;
}

std::string_view levelName(std::int32_t level) {
    for (const NamedLevel& named : kLevels) {
        if (named.level == level) {
            return named.chinese;
        }
    }
    return "?";
}

std::chrono::milliseconds masterBudget(const TimeControl& clock) {
    std::int64_t budget = clock.turn ? std::min(*clock.turn, kLongestTurn) : kMasterDefaultBudget.count();
    if (clock.match && *clock.match > 0 && clock.left) {
        budget = std::min(budget, *clock.left / kMovesToPlan);
    }
    budget -= kFixedMargin + budget / kMarginShare;
    return std::chrono::milliseconds(std::max(budget, kLeastBudget));
}

std::array<std::array<std::int32_t, kProtocolSpan>, kProtocolSpan> BrainPosition::emptyBoard(int width, int height) {
    std::array<std::array<std::int32_t, kProtocolSpan>, kProtocolSpan> board{};
    for (int x = 0; x < kProtocolSpan; ++x) {
        for (int y = 0; y < kProtocolSpan; ++y) {
            board[x][y] = x >= 1 && x <= width && y >= 1 && y <= height ? kEmpty : kRing;
        }
    }
    return board;
}

WorkBoard BrainPosition::workBoard() const {
    WorkBoard work{};
    for (int x = 0; x < kBoardSpan; ++x) {
        for (int y = 0; y < kBoardSpan; ++y) {
            work[x][y] = board[x][y];
        }
    }
    return work;
}

void StopRequests::request() {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++pending_;
    flag_.store(true, std::memory_order_relaxed);
}

void StopRequests::consume() {
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_ = std::max(0, pending_ - 1);
    flag_.store(pending_ > 0, std::memory_order_relaxed);
}

BrainProtocol::BrainProtocol(RandomSource& random, std::int32_t level) : random_(random), level_(level) {}

bool BrainProtocol::ruleSupported() const {
    const std::int64_t allowed = kRuleContinuous | (level_ == kMasterLevel ? kRuleExactFive : 0);
    return !unreadableRule_ && (rule_ & ~allowed) == 0;
}

std::string BrainProtocol::aboutText() {
    return "name=\"pbrain-kivola\", version=\"" KIVOLA_VERSION
           "\", author=\"Kivola developers\", country=\"Unknown\"";
}

std::vector<std::string> BrainProtocol::handleLine(std::string_view line, bool tooLong) {
    if (ended_) {
        return {};
    }
    if (trim(line).empty() && !tooLong) {
        return {}; // the protocol lets either side send empty lines
    }
    return block_ != Block::None ? blockLine(line, tooLong) : command(line, tooLong);
}

BrainProtocol::Answers BrainProtocol::command(std::string_view line, bool tooLong) {
    const auto [word, args] = splitWord(line);
    const std::string name = upper(word);
    if (name == "INFO") {
        info(args, tooLong);
        return {};
    }
    if (tooLong) {
        return {error("line too long")};
    }
    if (name == "END") {
        ended_ = true;
        return {};
    }
    if (name == "ABOUT") {
        return {aboutText()};
    }
    if (name == "YXSTOP") {
        // The reader thread has stopped the search already; the line itself has no answer.
        stops_.consume();
        return {};
    }
    if (name == "START") {
        return start(args);
    }
    if (name == "RECTSTART") {
        return rectStart(args);
    }
    if (name == "BOARD") {
        block_ = Block::Board;
        pendingBoard_ = BrainPosition{};
        pendingBoard_.width = position_.width;
        pendingBoard_.height = position_.height;
        pendingBoard_.board = BrainPosition::emptyBoard(position_.width, position_.height);
        pendingFault_ = args.empty() ? std::string{} : "expected BOARD alone on its line";
        return {};
    }
    if (isUnknownBlock(name)) {
        // Its lines are not commands: read them up to DONE and answer once.
        block_ = Block::Unknown;
        unknownBlock_ = std::string(word);
        return {};
    }
    if (name == "DONE") {
        return {error("DONE without BOARD")};
    }
    const bool needsStart =
        name == "RESTART" || name == "BEGIN" || name == "TURN" || name == "TAKEBACK" || name == "PLAY";
    if (!needsStart) {
        return {unknownCommand(word)};
    }
    if (!started_) {
        return {error("no board yet: send START 15 first")};
    }
    if (name == "RESTART") {
        return restart(args);
    }
    if (name == "BEGIN") {
        return begin(args);
    }
    if (name == "TURN") {
        return turn(args);
    }
    if (name == "TAKEBACK") {
        return takeBack(args);
    }
    return play(args);
}

BrainProtocol::Answers BrainProtocol::blockLine(std::string_view line, bool tooLong) {
    const auto [word, args] = splitWord(line);
    const std::string name = upper(word);
    const Block block = block_;
    if (!tooLong && name == "DONE" && args.empty()) {
        block_ = Block::None;
        return block == Block::Board ? boardDone() : Answers{unknownCommand(unknownBlock_)};
    }
    if (!tooLong && isCommandWord(word)) {
        // The manager moved on without DONE: drop the half-read block and obey the new command.
        block_ = Block::None;
        Answers answers{block == Block::Board ? error("BOARD ended without DONE; the position is unchanged")
                                              : unknownCommand(unknownBlock_)};
        Answers next = command(line, false);
        answers.insert(answers.end(), next.begin(), next.end());
        return answers;
    }
    if (block == Block::Unknown) {
        return {};
    }
    if (!pendingFault_.empty()) {
        return {}; // the first fault is the one reported at DONE
    }
    if (tooLong) {
        pendingFault_ = "line too long in BOARD";
        return {};
    }
    const auto values = parseList<3>(line);
    if (!values) {
        pendingFault_ = "expected X,Y,FIELD in BOARD, got '" + echo(trim(line)) + "'";
        return {};
    }
    const auto [px, py, field] = *values;
    if (!pendingBoard_.onBoard(px + 1, py + 1)) {
        pendingFault_ = outsideFault(px, py, pendingBoard_) + " in BOARD";
        return {};
    }
    if (field != kFieldOwn && field != kFieldOpponent && field != kFieldFinishedLine) {
        pendingFault_ = "field " + std::to_string(field) + " in BOARD is not 1, 2 or 3";
        return {};
    }
    const int x = static_cast<int>(px) + 1;
    const int y = static_cast<int>(py) + 1;
    if (pendingBoard_.board[x][y] != kEmpty) {
        pendingFault_ = "point " + pointText(px, py) + " is listed twice in BOARD";
        return {};
    }
    if (field == kFieldFinishedLine) {
        pendingBoard_.board[x][y] = kBlockerCode; // taken, but not a stone of the history
        return {};
    }
    pendingBoard_.board[x][y] = field == kFieldOwn ? kEngineStone : kOpponentStone;
    pendingBoard_.stones.push_back(BoardPoint{x, y});
    return {};
}

BrainProtocol::Answers BrainProtocol::start(std::string_view args) {
    const auto size = parseInteger(args);
    if (!size) {
        return {error("expected START SIZE, got '" + echo(args) + "'")};
    }
    if (!sizeAllowed(*size)) {
        return {error("unsupported size " + std::to_string(*size) + ": 5 to 20 are supported")};
    }
    newBoard(static_cast<int>(*size), static_cast<int>(*size));
    return {"OK"};
}

BrainProtocol::Answers BrainProtocol::rectStart(std::string_view args) {
    const auto size = parseList<2>(args);
    if (!size) {
        return {error("expected RECTSTART WIDTH,HEIGHT, got '" + echo(args) + "'")};
    }
    if (!sizeAllowed((*size)[0]) || !sizeAllowed((*size)[1])) {
        return {error("unsupported size " + pointText((*size)[0], (*size)[1]) + ": 5 to 20 each way are supported")};
    }
    newBoard(static_cast<int>((*size)[0]), static_cast<int>((*size)[1]));
    return {"OK"};
}

BrainProtocol::Answers BrainProtocol::restart(std::string_view args) {
    if (!args.empty()) {
        return {error("expected RESTART alone on its line")};
    }
    clearPosition();
    if (master_) {
        master_->newGame();
    }
    return {"OK"};
}

BrainProtocol::Answers BrainProtocol::begin(std::string_view args) {
    if (!args.empty()) {
        return {error("expected BEGIN alone on its line")};
    }
    return moveNow();
}

BrainProtocol::Answers BrainProtocol::turn(std::string_view args) {
    const PointArgument point = readPoint("TURN", args, position_);
    if (!point.fault.empty()) {
        return {error(point.fault)};
    }
    if (position_.board[point.x][point.y] != kEmpty) {
        return {error(takenFault(point.x, point.y))};
    }
    const BrainPosition before = position_;
    place(point.x, point.y, kOpponentStone);
    Answers answers = moveNow();
    if (isError(answers)) {
        position_ = before;
    }
    return answers;
}

BrainProtocol::Answers BrainProtocol::boardDone() {
    if (!pendingFault_.empty()) {
        return {error(pendingFault_ + "; the position is unchanged")};
    }
    if (!started_) {
        return {error("no board yet: send START 15 first")};
    }
    BrainPosition before = std::move(position_);
    position_ = std::move(pendingBoard_);
    Answers answers = moveNow();
    if (isError(answers)) {
        position_ = std::move(before);
    }
    return answers;
}

void BrainProtocol::info(std::string_view args, bool tooLong) {
    // A manager takes the next line for the answer to its next command, so a problem here is
    // only remembered; the first one is told at the next move request.
    auto remember = [this](std::string fault) {
        if (infoFault_.empty()) {
            infoFault_ = std::move(fault);
        }
    };
    const auto [key, value] = splitWord(args);
    const std::string name = upper(key);
    if (key.empty() || tooLong) {
        remember(tooLong ? "INFO line too long; it was ignored" : "expected INFO KEY VALUE");
        return;
    }
    if (name == "RULE") {
        const auto rule = parseInteger(value);
        if (!rule || *rule < 0) {
            unreadableRule_ = echo(value); // refused like an unsupported rule until a good one comes
            return;
        }
        unreadableRule_.reset();
        rule_ = *rule; // an unsupported rule is refused when a move is asked
        return;
    }
    if (name == "TIMEOUT_TURN" || name == "TIMEOUT_MATCH" || name == "TIME_LEFT") {
        // A time that cannot be read is passed over: refusing a move for it would lose the game.
        const auto milliseconds = readAmount(value);
        if (milliseconds) {
            (name == "TIMEOUT_TURN" ? clock_.turn : name == "TIMEOUT_MATCH" ? clock_.match : clock_.left) = milliseconds;
        }
        return;
    }
    if (name == "MAX_MEMORY") {
        maxMemory_ = readAmount(value); // bytes, read alike
        if (master_) {
            ensureMaster();
        }
        return;
    }
    if (name == "MAX_DEPTH") {
        const auto depth = parseInteger(value);
        if (!depth || (*depth != kBeginnerDepth && *depth != kIntermediateDepth && *depth != kAdvancedDepth)) {
            remember("INFO MAX_DEPTH must be 1, 5 or 9, got '" + echo(value) + "'; the level is unchanged");
            return;
        }
        level_ = static_cast<std::int32_t>(*depth);
        return;
    }
    if (name == "LEVEL") {
        const auto level = levelNamed(value);
        if (!level) {
            remember("unknown INFO level '" + echo(value) + "'; the level is unchanged");
            return;
        }
        level_ = *level;
        return;
    }
    // game_type, folder, evaluate and keys of later managers: the searches keep no files, so
    // they do not apply.
}

BrainProtocol::Answers BrainProtocol::takeBack(std::string_view args) {
    const PointArgument point = readPoint("TAKEBACK", args, position_);
    if (!point.fault.empty()) {
        return {error(point.fault)};
    }
    if (position_.board[point.x][point.y] == kEmpty) {
        return {error("no stone at " + pointText(point.x - 1, point.y - 1) + " to take back")};
    }
    position_.board[point.x][point.y] = kEmpty;
    auto& stones = position_.stones;
    std::erase_if(stones, [&](const BoardPoint& stone) { return stone.x == point.x && stone.y == point.y; });
    return {"OK"};
}

BrainProtocol::Answers BrainProtocol::play(std::string_view args) {
    const PointArgument point = readPoint("PLAY", args, position_);
    if (!point.fault.empty()) {
        return {error(point.fault)};
    }
    if (position_.board[point.x][point.y] != kEmpty) {
        return {error(takenFault(point.x, point.y))};
    }
    place(point.x, point.y, kEngineStone);
    return {pointText(point.x - 1, point.y - 1)};
}

BrainProtocol::Answers BrainProtocol::moveNow() {
    if (!infoFault_.empty()) {
        Answers answers{error(infoFault_)};
        infoFault_.clear();
        return answers;
    }
    if (unreadableRule_) {
        return {error("INFO rule '" + *unreadableRule_ + "' is not a rule bitmask; only freestyle and exact five are played")};
    }
    if (!ruleSupported()) {
        return {error(level_ == kMasterLevel || (rule_ & ~(kRuleContinuous | kRuleExactFive)) != 0
                          ? "only freestyle and exact five are played, not INFO rule " + std::to_string(rule_)
                          : std::string(levelName(level_)) + " plays only freestyle (five or more wins), not INFO rule " +
                                std::to_string(rule_) + "; INFO level master plays exact five")};
    }
    if (level_ != kMasterLevel && (position_.width != kProtocolBoardSize || position_.height != kProtocolBoardSize)) {
        return {error(std::string(levelName(level_)) + " plays only on 15x15 boards, not " + sizeText(position_) +
                      "; INFO level master plays up to 20x20")};
    }
    bool anyFree = false;
    for (int x = 1; x <= position_.width && !anyFree; ++x) {
        for (int y = 1; y <= position_.height && !anyFree; ++y) {
            anyFree = position_.board[x][y] == kEmpty;
        }
    }
    if (!anyFree) {
        return {error("the board is full")};
    }
    int x = 0;
    int y = 0;
    const std::string fault = searchMove(x, y);
    if (!fault.empty()) {
        return {error(fault)};
    }
    // The searches promise an empty point; a broken promise must not corrupt the game.
    if (!position_.onBoard(x, y) || position_.board[x][y] != kEmpty) {
        return {error("the search answered " + std::to_string(x) + "," + std::to_string(y) +
                      " (1-based), which is not an empty point")};
    }
    place(x, y, kEngineStone);
    return {pointText(x - 1, y - 1)};
}

std::string BrainProtocol::searchMove(int& x, int& y) {
    if (level_ == kMasterLevel) {
        MasterPosition master;
        master.width = position_.width;
        master.height = position_.height;
        master.rule = (rule_ & kRuleExactFive) != 0 ? FiveRule::ExactFive : FiveRule::Freestyle;
        for (int px = 1; px <= position_.width; ++px) {
            for (int py = 1; py <= position_.height; ++py) {
                if (position_.board[px][py] == kBlockerCode) {
                    master.stones.push_back(MasterStone{BoardPoint{px, py}, kRing});
                }
            }
        }
        for (const BoardPoint& stone : position_.stones) {
            master.stones.push_back(MasterStone{stone, position_.board[stone.x][stone.y]});
        }
        MasterLimits limits;
        limits.budget = masterBudget(clock_);
        limits.cancel = &stops_.flag();
        ensureMaster();
        const MasterAnswer answer = master_->FindComputerMove(master, limits);
        if (!answer.found) {
            return "no empty point to play";
        }
        x = answer.move.x;
        y = answer.move.y;
        return {};
    }
    if (position_.stones.empty()) {
        // The search answers the centre at once here, blocked or not.
        const BoardPoint opening = openingPoint();
        x = opening.x;
        y = opening.y;
        return {};
    }
    opponent_.setSearchDepth(level_);
    QuietProgress progress;
    if (!opponent_.FindComputerMove(position_.workBoard(), std::span<const BoardPoint>(position_.stones), bonuses(),
                                    progress, random_, x, y)) {
        return "no empty point to play";
    }
    return {};
}

BoardPoint BrainProtocol::openingPoint() const {
    if (position_.board[kCentre][kCentre] == kEmpty) {
        return {kCentre, kCentre};
    }
    // As the search does when no cell near the stones will do: the best free point, first in
    // column order.
    BoardPoint best{};
    std::int32_t bestScore = 0;
    const WorkBoard board = position_.workBoard();
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            if (position_.board[x][y] != kEmpty) {
                continue;
            }
            const std::int32_t score = CellScore(board, x, y, kEngineStone, bonuses());
            if (best.x == 0 || score > bestScore) {
                best = {x, y};
                bestScore = score;
            }
        }
    }
    return best;
}

void BrainProtocol::ensureMaster() {
    // A third of the memory the manager allows, at most what the master wants.
    const std::int64_t allowed =
        maxMemory_ && *maxMemory_ > 0 ? *maxMemory_ / 3 / (1024 * 1024) : kMasterTableMegabytes;
    const auto megabytes = static_cast<std::size_t>(std::clamp<std::int64_t>(allowed, 1, kMasterTableMegabytes));
    if (!master_ || megabytes != masterMegabytes_) {
        master_ = std::make_unique<MasterOpponent>(megabytes);
        masterMegabytes_ = megabytes;
    }
}

void BrainProtocol::newBoard(int width, int height) {
    started_ = true;
    if (level_ == kMasterLevel) {
        ensureMaster();
    }
    position_ = BrainPosition{};
    position_.width = width;
    position_.height = height;
    position_.board = BrainPosition::emptyBoard(width, height);
    if (master_) {
        master_->newGame();
    }
}

void BrainProtocol::clearPosition() {
    position_.board = BrainPosition::emptyBoard(position_.width, position_.height);
    position_.stones.clear();
}

void BrainProtocol::place(int x, int y, std::int32_t code) {
    position_.board[x][y] = code;
    position_.stones.push_back(BoardPoint{x, y});
}

} // namespace kivola
