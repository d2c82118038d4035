#include "chat_input.h"

#include <utility>

#include "kivola/net/gbk_text.h"

namespace kivola {

QValidator::State GbkLengthValidator::validate(QString& input, int& /*pos*/) const {
    const auto gbk = toGbk(input);
    return gbk && std::cmp_less_equal(gbk->size(), maxBytes_) ? Acceptable : Invalid;
}

} // namespace kivola
