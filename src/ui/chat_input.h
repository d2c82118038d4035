#pragma once
// Chat lines cross the network library as GBK bytes, so the input is limited in those bytes.

#include <QString>
#include <QValidator>


namespace kivola {

inline constexpr int kChatInputBytes = 80;

// Refuses any edit that would make the text longer than maxBytes in GBK, or not GBK at all.
class GbkLengthValidator : public QValidator {
    Q_OBJECT
public:
    explicit GbkLengthValidator(int maxBytes, QObject* parent = nullptr) : QValidator(parent), maxBytes_(maxBytes) {}
    State validate(QString& input, int& pos) const override;
    int maxBytes() const { return maxBytes_; }

private:
    int maxBytes_;
};

} // namespace kivola
