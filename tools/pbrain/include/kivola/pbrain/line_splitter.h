#pragma once
// Cuts the byte stream from the manager into lines. A line ends with CR LF, LF or CR; a CR LF
// split across two reads still counts as one end.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kivola {

struct InputLine {
    std::string text;     // without its end; at most kMaxLineLength bytes
    bool tooLong = false; // the rest of the line was dropped
};

class LineSplitter {
public:
    // Far above any command; an endless line must not grow the buffer without bound.
    static constexpr std::size_t kMaxLineLength = 4096;

    // Appends every line completed by bytes.
    void feed(std::string_view bytes, std::vector<InputLine>& lines);
    // At end of input: a last line that had no end, if any.
    bool finish(InputLine& line);

private:
    void complete(std::vector<InputLine>& lines);

    std::string pending_;
    bool tooLong_ = false;
    bool afterCr_ = false;
};

} // namespace kivola
