#pragma once
// Answers the window's message boxes and file dialogs the way a test tells it to.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

#include "dialogs.h"

namespace kivola::test {

struct ShownMessage {
    QString text;
    QString caption;
    bool question = false;
    int depth = 0;               // boxes already on screen when this one opened
    bool closedByWindow = false; // a question the window closed unanswered
    int tag = 0;
};

class FakeDialogs final : public DialogService {
public:
    void showMessage(QWidget*, const QString& text, const QString& caption) override {
        present({text, caption, false});
    }
    bool askYesNo(QWidget*, const QString& text, const QString& caption, int tag) override {
        const std::size_t box = present({text, caption, true, 0, false, tag});
        if (shown[box].closedByWindow || answers.empty()) {
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    // closeRequests: the caption of each box the window closed.
    void closeQuestion(int tag) override {
        for (const std::size_t box : open_) {
            if (shown[box].question && tag != 0 && shown[box].tag == tag) {
                shown[box].closedByWindow = true;
                closeRequests.push_back(shown[box].caption);
            }
        }
    }
    QString chooseOpenFile(QWidget*, const QString& filter, const QString& suffix, const QString& folder) override {
        return choose(filter, suffix, folder);
    }
    QString chooseSaveFile(QWidget*, const QString& filter, const QString& suffix, const QString& folder) override {
        return choose(filter, suffix, folder);
    }

    std::vector<ShownMessage> shown;
    std::deque<bool> answers;
    // A box is "on screen" while whileShown runs and then for holdMs of event loop, as under a
    // real modal box, so events and timers can reach the window meanwhile. A question the
    // window closes ends its wait early.
    std::function<void(const ShownMessage&)> whileShown;
    int holdMs = 0;
    std::vector<QString> closeRequests;
    // Boxes that opened while one with the same caption was on screen.
    int sameKindNested = 0;
    int deepest = 0;
    bool anyOpen() const { return !open_.empty(); }
    std::deque<QString> files;     // an empty entry cancels
    QString lastFilter;
    QString lastSuffix;
    QString lastStartFolder;
    QString directoryDuringDialog;
    int fileDialogsShown = 0;
    // A dialog may wander the file system; the window must put the current directory back.
    QString wanderTo;

private:
    std::size_t present(ShownMessage message) {
        message.depth = static_cast<int>(open_.size());
        deepest = std::max(deepest, message.depth + 1);
        for (const std::size_t box : open_) {
            sameKindNested += shown[box].caption == message.caption ? 1 : 0;
        }
        shown.push_back(message);
        const std::size_t index = shown.size() - 1;
        open_.push_back(index);
        if (whileShown) {
            whileShown(ShownMessage(shown[index])); // a copy: boxes opened inside grow the list
        }
        QDeadlineTimer deadline(holdMs);
        // Once boxes nest, the fault is shown: stop holding so the run ends soon.
        while (!deadline.hasExpired() && !shown[index].closedByWindow && sameKindNested == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        open_.pop_back();
        return index;
    }

    std::vector<std::size_t> open_; // indices into shown, outermost first

    QString choose(const QString& filter, const QString& suffix, const QString& folder) {
        ++fileDialogsShown;
        lastFilter = filter;
        lastSuffix = suffix;
        lastStartFolder = folder;
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
