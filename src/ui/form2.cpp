#include "form2.h"

namespace kivola {

TForm2::TForm2(QWidget* parent) : TForm2(nullptr, parent) {}

TForm2::TForm2(std::unique_ptr<RandomSource> random, QWidget* parent)
    : QDialog(parent), random_(std::move(random)) {
    setObjectName(QStringLiteral("TForm2"));
    FormCreate();
}

// Seeds the generator (from the clock unless one was handed in) and starts at the beginner's depth.
void TForm2::FormCreate() {
    computer_.emplace(std::move(random_));
}

} // namespace kivola
