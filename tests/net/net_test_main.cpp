// GoogleTest under the program's own application object: sockets, timers and dialogs need
// its event loop, and handler errors are dropped the way the game drops them.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "guard.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The player's own settings are neither read nor written.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    kivola::KivolaApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
