#pragma once
// Answers the window's message boxes and file dialogs the way a test tells it to.

#include <QDir>
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "dialogs.h"

namespace kivola::test {

struct ShownMessage {
    QString text;
    QString caption;
    bool question = false;
};

class FakeDialogs final : public DialogService {
public:
    void showMessage(QWidget*, const QString& text, const QString& caption) override {
        shown.push_back({text, caption, false});
    }
    bool askYesNo(QWidget*, const QString& text, const QString& caption) override {
        shown.push_back({text, caption, true});
        if (answers.empty()) {
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    QString chooseOpenFile(QWidget*, const QString& filter, const QString& suffix) override {
        return choose(filter, suffix);
    }
    QString chooseSaveFile(QWidget*, const QString& filter, const QString& suffix) override {
        return choose(filter, suffix);
    }

    std::vector<ShownMessage> shown;
    std::deque<bool> answers;
    std::deque<QString> files;     // an empty entry cancels
    QString lastFilter;
    QString lastSuffix;
    QString directoryDuringDialog;
    int fileDialogsShown = 0;
    // A dialog may wander the file system; the window must put the current directory back.
    QString wanderTo;

private:
    QString choose(const QString& filter, const QString& suffix) {
        ++fileDialogsShown;
        lastFilter = filter;
        lastSuffix = suffix;
        if (!wanderTo.isEmpty()) {
            QDir::setCurrent(wanderTo);
        }
        directoryDuringDialog = QDir::currentPath();
        if (files.empty()) {
            return {};
        }
        QString file = files.front();
        files.pop_front();
        return file;
    }
};

} // namespace kivola::test
