#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace kivola {

namespace {

void describe(QCommandLineParser& parser) {
    QCoreApplication::setApplicationName(QStringLiteral("kivola"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KIVOLA_VERSION));
    parser.setApplicationDescription(
        QStringLiteral("Gomoku against the computer or a friend over the network.\n"
                       "五子棋：与电脑或网络上的朋友对弈。"));
    parser.addHelpOption();
    parser.addVersionOption();
}

}  // namespace

void answerHelpOrVersion(int argc, char* argv[]) {
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        asked = asked || arg == "-h" || arg == "--help" || arg == "-?" || arg == "--help-all" ||
                arg == "-v" || arg == "--version";
    }
    if (!asked) {
        return;
    }
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    // The toolkit's own options are not known here; only help and version matter.
    (void)parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    parser.showHelp(0);
}

void readCommandLine(QCoreApplication& app) {
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);
}

}  // namespace kivola
