// Saving and loading games from the main window.

#include <QTimer>

#include "form1.h"

namespace kivola {

void TForm1::Timer6Timer() {
    Timer6->stop();
    if (const auto game = files_.open()) {
        match_.loadGame(*game);
    }
}

void TForm1::Timer7Timer() {
    Timer7->stop();
    files_.save(match());
}

} // namespace kivola
