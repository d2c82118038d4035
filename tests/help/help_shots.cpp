// Renders the help window and the about window to PNG files for a visual check:
//   kivola_help_shots <folder> [topic]
#include "about_box.h"
#include "html_help.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    const QString topic = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                   : QStringLiteral("/html/ziridugaishu.htm");

    kivola::HtmlHelpControl help;
    QWidget* window = help.CallHtmlHelp(
        nullptr, QStringLiteral(KIVOLA_TEST_HELP_FILE "::") + topic,
        kivola::HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
    QTest::qWait(50);
    bool ok = window->grab().save(out.filePath(QStringLiteral("help-window.png")));

    kivola::TAboutBox about;
    about.show();
    QTest::qWait(50);
    ok = about.grab().save(out.filePath(QStringLiteral("about-window.png"))) && ok;
    about.CloseIfShown();

    help.ReleaseHtmlHelp();
    std::printf("%s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
