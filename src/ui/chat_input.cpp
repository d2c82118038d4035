#include "chat_input.h"

#include <utility>

namespace kivola {

QValidator::State GbkLengthValidator::validate(QString& input, int& /*pos*/) const {
    const auto gbk = nw::utf8ToGbk(input.toStdString());
    return gbk && std::cmp_less_equal(gbk->size(), maxBytes_) ? Acceptable : Invalid;
}

} // namespace kivola
