#include "nw/gbk.h"

#include <cerrno>
#include <iconv.h>

namespace nw {
namespace {

std::optional<std::string> convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out;
    char chunk[256];
    // iconv never writes through its input pointer; the cast only satisfies its signature.
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false; // EILSEQ or EINVAL: not a complete, valid sequence
            break;
        }
    }
    if (ok) {
        char* outPtr = chunk;
        std::size_t outLeft = sizeof chunk;
        ok = iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
        out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
    }
    iconv_close(cd);
    if (!ok) {
        return std::nullopt;
    }
    return out;
}

} // namespace

std::optional<std::string> gbkToUtf8(std::string_view gbk) { return convert("UTF-8", "GBK", gbk); }

std::optional<std::string> utf8ToGbk(std::string_view utf8) { return convert("GBK", "UTF-8", utf8); }

bool isPlainGbkText(std::string_view gbk) {
    // GBK trail bytes are 0x40 and above, so a byte below 0x20 or 0x7F is always a control.
    for (unsigned char c : gbk) {
        if (c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return gbkToUtf8(gbk).has_value();
}

} // namespace nw
