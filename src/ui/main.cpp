#include "command_line.h"
#include "dialogs.h"
#include "file_messages.h"
#include "form1.h"
#include "form2.h"
#include "guard.h"

int main(int argc, char* argv[]) {
    kivola::answerHelpOrVersion(argc, argv);
    kivola::KivolaApplication app(argc, argv);
    kivola::readCommandLine(app);
    kivola::installQtTranslations(app);
    kivola::QtDialogService dialogs;
    // The opponent's holder comes first, so it outlives the main window that plays through it;
    // the main window makes its about box.
    kivola::TForm2 form2;
    kivola::TForm1 form1(dialogs, form2.computer(), kivola::systemNetLibrary());
    form1.show();
    return app.exec();
}
