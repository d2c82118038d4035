#include "command_line.h"
#include "dialogs.h"
#include "file_messages.h"
#include "form1.h"
#include "form2.h"
#include "guard.h"
#include "help/about_box.h"

int main(int argc, char* argv[]) {
    kivola::answerHelpOrVersion(argc, argv);
    kivola::KivolaApplication app(argc, argv);
    kivola::readCommandLine(app);
    kivola::installQtTranslations(app);
    kivola::QtDialogService dialogs;
    kivola::TForm1 form1(dialogs);
    kivola::TForm2 form2;
    form1.attachOpponent(form2);
    kivola::TAboutBox about(&form1);
    form1.attachAboutBox(about);
    form1.show();
    return app.exec();
}
