#include "dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace kivola {

void QtDialogService::showMessage(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

bool QtDialogService::askYesNo(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    return box.exec() == QMessageBox::Yes;
}

namespace {
QString runFileDialog(QWidget* owner, const QString& filter, const QString& defaultSuffix, bool save) {
    QFileDialog dialog(owner, QString(), QString(), filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString QtDialogService::chooseOpenFile(QWidget* owner, const QString& filter, const QString& defaultSuffix) {
    return runFileDialog(owner, filter, defaultSuffix, false);
}

QString QtDialogService::chooseSaveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix) {
    // The overwrite question is on by default.
    return runFileDialog(owner, filter, defaultSuffix, true);
}

} // namespace kivola
