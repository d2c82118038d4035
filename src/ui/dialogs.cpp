#include "dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <algorithm>

namespace kivola {

namespace {

// The text is set only once the format is plain: a rich-text guess would already load what
// markup in a peer's name points at.
void setPlainText(QMessageBox& box, const QString& text) {
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
}

} // namespace

void QtDialogService::showMessage(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, QString(), QMessageBox::Ok, owner);
    setPlainText(box, text);
    box.exec();
}

bool QtDialogService::askYesNo(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, QString(), QMessageBox::Yes | QMessageBox::No, owner);
    setPlainText(box, text);
    openQuestions_.emplace_back(&box);
    const int answer = box.exec();
    std::erase_if(openQuestions_, [&box](const QPointer<QMessageBox>& open) { return open.isNull() || open == &box; });
    return answer == QMessageBox::Yes;
}

void QtDialogService::closeQuestion(const QString& caption) {
    // Copied: closing a box lets its exec return only later, but be safe against re-entry.
    const std::vector<QPointer<QMessageBox>> open = openQuestions_;
    for (const QPointer<QMessageBox>& box : open) {
        if (!box.isNull() && box->windowTitle() == caption) {
            box->done(QMessageBox::Cancel);
        }
    }
}

namespace {
QString runFileDialog(QWidget* owner, const QString& filter, const QString& defaultSuffix, const QString& startFolder,
                      bool save) {
    QFileDialog dialog(owner, QString(), startFolder, filter);
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

QString QtDialogService::chooseOpenFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                                       const QString& startFolder) {
    return runFileDialog(owner, filter, defaultSuffix, startFolder, false);
}

QString QtDialogService::chooseSaveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                                       const QString& startFolder) {
    // The overwrite question is on by default.
    return runFileDialog(owner, filter, defaultSuffix, startFolder, true);
}

} // namespace kivola
