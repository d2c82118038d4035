#pragma once

class QCoreApplication;

namespace kivola {

// --help and --version answer on standard output and end the program before any window
// opens, so they work without a display; otherwise this returns and the game starts.
void answerHelpOrVersion(int argc, char* argv[]);

// Names the application for the toolkit and refuses options the game does not know
// (the toolkit's own, such as -platform, are gone by then).
void readCommandLine(QCoreApplication& app);

}  // namespace kivola
