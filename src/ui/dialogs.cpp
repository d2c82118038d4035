#include "dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <algorithm>

namespace kivola {

namespace {
// Wide enough that a window manager shows the caption beside its buttons; a box with a short
// text is otherwise sized to that text alone.
constexpr int kMinimumBoxWidth = 280;
} // namespace

void prepareMessageBox(QMessageBox& box, const QString& text) {
    // The text is set only once the format is plain: a rich-text guess would already load what
    // markup in a peer's name points at.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    // The box sizes itself from its layout's minimum, so the floor goes into the layout.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(kMinimumBoxWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(),
                      0, 1, grid->columnCount());
    }
}

void QtDialogService::showMessage(QWidget* owner, const QString& text, const QString& caption) {
    tell(owner, text, caption, QMessageBox::NoIcon);
}

bool QtDialogService::askYesNo(QWidget* owner, const QString& text, const QString& caption, int tag) {
    return ask(owner, text, caption, QMessageBox::NoIcon, tag);
}

void QtDialogService::showInformation(QWidget* owner, const QString& text, const QString& caption) {
    tell(owner, text, caption, QMessageBox::Information);
}

bool QtDialogService::askConfirmation(QWidget* owner, const QString& text, const QString& caption, int tag) {
    return ask(owner, text, caption, QMessageBox::Question, tag);
}

void QtDialogService::tell(QWidget* owner, const QString& text, const QString& caption, int icon) {
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), caption, QString(), QMessageBox::Ok, owner);
    prepareMessageBox(box, text);
    box.exec();
}

bool QtDialogService::ask(QWidget* owner, const QString& text, const QString& caption, int icon, int tag) {
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), caption, QString(), QMessageBox::Yes | QMessageBox::No,
                    owner);
    prepareMessageBox(box, text);
    openQuestions_.push_back({&box, tag});
    const int answer = box.exec();
    std::erase_if(openQuestions_, [&box](const OpenQuestion& open) { return open.box.isNull() || open.box == &box; });
    return answer == QMessageBox::Yes;
}

void QtDialogService::closeQuestion(int tag) {
    if (tag == 0) {
        return;
    }
    // Copied: closing a box lets its exec return only later, but be safe against re-entry.
    const std::vector<OpenQuestion> open = openQuestions_;
    for (const OpenQuestion& question : open) {
        if (!question.box.isNull() && question.tag == tag) {
            question.box->done(QMessageBox::Cancel);
        }
    }
}

namespace {
QString runFileDialog(QWidget* owner, const QString& filter, const QString& defaultSuffix, const QString& startFolder,
                      const QString& fileName, bool save) {
    QFileDialog dialog(owner, QString(), startFolder, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The save asks its own question, and only about a file it may replace.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, save);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setSizeGripEnabled(true);
    if (!fileName.isEmpty()) {
        dialog.selectFile(fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString QtDialogService::chooseOpenFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                                       const QString& startFolder) {
    return runFileDialog(owner, filter, defaultSuffix, startFolder, QString(), false);
}

QString QtDialogService::chooseSaveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                                       const QString& startFolder) {
    QString folder = startFolder;
    QString name;
    for (;;) {
        const QString path = runFileDialog(owner, filter, defaultSuffix, folder, name, true);
        // A device, a pipe or a folder is refused by the save without asking to replace it.
        const QFileInfo target(path);
        if (path.isEmpty() || !target.isFile() ||
            askYesNo(owner, QStringLiteral("“%1”已经存在。\n要替换它吗？").arg(target.fileName()),
                     QStringLiteral("保存游戏"))) {
            return path;
        }
        // No: back to the dialog, where the player left it.
        folder = target.absolutePath();
        name = target.fileName();
    }
}

} // namespace kivola
