#include "kivola/pbrain/line_splitter.h"

namespace kivola {

void LineSplitter::complete(std::vector<InputLine>& lines) {
    lines.push_back(InputLine{std::move(pending_), tooLong_});
    pending_.clear();
    tooLong_ = false;
}

void LineSplitter::feed(std::string_view bytes, std::vector<InputLine>& lines) {
    for (char c : bytes) {
        const bool lfOfCrLf = afterCr_ && c == '\n';
        afterCr_ = c == '\r';
        if (lfOfCrLf) {
            continue;
        }
        if (c == '\r' || c == '\n') {
            complete(lines);
        } else if (pending_.size() < kMaxLineLength) {
            pending_.push_back(c);
        } else {
            tooLong_ = true;
        }
    }
}

bool LineSplitter::finish(InputLine& line) {
    if (pending_.empty() && !tooLong_) {
        return false;
    }
    line = InputLine{std::move(pending_), tooLong_};
    pending_.clear();
    tooLong_ = false;
    return true;
}

} // namespace kivola
