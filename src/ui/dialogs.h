#pragma once
// Message boxes and file dialogs of the main window, behind one seam so tests can answer them.

#include <QPointer>
#include <QString>
#include <vector>

class QMessageBox;
class QWidget;

namespace kivola {

class DialogService {
public:
    virtual ~DialogService() = default;
    // Texts are shown as plain text: they may carry a peer's name or a file name.
    virtual void showMessage(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Only Yes counts as consent. tag names the question for closeQuestion (0: the window never
    // closes it).
    virtual bool askYesNo(QWidget* owner, const QString& text, const QString& caption, int tag = 0) = 0;
    // The standard information dialog and confirmation: the same boxes, with the information and
    // the question icon.
    virtual void showInformation(QWidget* owner, const QString& text, const QString& caption) {
        showMessage(owner, text, caption);
    }
    virtual bool askConfirmation(QWidget* owner, const QString& text, const QString& caption, int tag = 0) {
        return askYesNo(owner, text, caption, tag);
    }
    // Closes the questions asked with this tag that are on screen; their ask returns false.
    virtual void closeQuestion(int tag) = 0;
    // Empty when cancelled. The dialog opens in startFolder, and a bare name typed into it
    // means a file there.
    virtual QString chooseOpenFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                                   const QString& startFolder) = 0;
    virtual QString chooseSaveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                                   const QString& startFolder) = 0;
};

// Readies a box as the window shows it: the text as plain text, and at least wide enough that a
// window manager can show its caption.
void prepareMessageBox(QMessageBox& box, const QString& text);

// Qt message boxes, plain or with the icon their kind calls for, and Qt file dialogs, all owned
// by the given window.
class QtDialogService final : public DialogService {
public:
    void showMessage(QWidget* owner, const QString& text, const QString& caption) override;
    bool askYesNo(QWidget* owner, const QString& text, const QString& caption, int tag = 0) override;
    void showInformation(QWidget* owner, const QString& text, const QString& caption) override;
    bool askConfirmation(QWidget* owner, const QString& text, const QString& caption, int tag = 0) override;
    void closeQuestion(int tag) override;
    QString chooseOpenFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                           const QString& startFolder) override;
    QString chooseSaveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                           const QString& startFolder) override;

private:
    void tell(QWidget* owner, const QString& text, const QString& caption, int icon);
    bool ask(QWidget* owner, const QString& text, const QString& caption, int icon, int tag);
    struct OpenQuestion {
        QPointer<QMessageBox> box; // a box may go away under the pointer
        int tag = 0;
    };
    // The questions on screen, innermost last.
    std::vector<OpenQuestion> openQuestions_;
};

// One kind of message box: a box of the kind never opens inside another of the same kind. A
// repeat that comes while the box is on screen waits, a later repeat replacing it, and is shown
// once the box closes. The pending text is the caller's: the box shows whatever it holds then.
class NoticeGate {
public:
    template <typename ShowBox> void show(ShowBox&& showBox) {
        if (open_) {
            waiting_ = true;
            return;
        }
        open_ = true;
        // Also when a box fails: a gate left open would silence its kind for good.
        struct Reset {
            NoticeGate& gate;
            ~Reset() { gate.open_ = gate.waiting_ = gate.withdrawn_ = false; }
        } reset{*this};
        do {
            waiting_ = false;
            withdrawn_ = false;
            showBox();
        } while (waiting_);
    }
    // Drops a waiting repeat; the box on screen, if any, now counts as unanswered. True when a
    // box is on screen, for the caller to close.
    bool withdraw() {
        waiting_ = false;
        withdrawn_ = open_;
        return open_;
    }
    // The box just shown was withdrawn while on screen: its answer, if any, is not to be used.
    bool withdrawn() const { return withdrawn_; }
    bool isOpen() const { return open_; }

private:
    bool open_ = false;
    bool waiting_ = false;
    bool withdrawn_ = false;
};

} // namespace kivola
