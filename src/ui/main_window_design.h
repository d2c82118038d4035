#pragma once
// The main window's controls as designed: built in the designed order with their names, texts,
// shortcuts and bindings. The window's behaviour (TForm1) connects the handlers.

#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QProgressBar;
class QTextEdit;
class QTimer;
class QToolButton;
class QString;
class QWidget;

namespace kivola {

class BoardPicture;
enum class Notice;

struct DesignedControls {
    explicit DesignedControls(QMainWindow& window);

    // Each side's name in the panel, as it is shown and as a screen reader says it.
    void showSideNames(const QString& firstMover, const QString& secondMover);
    std::array<QAction*, 4> levels() const { return {check1, check2, check3, check4}; }
    // The one-shot timer that defers the notice's box past the handler that armed it.
    QTimer* noticeTimer(Notice notice) const;

    QWidget* client = nullptr;
    BoardPicture* qipanPicture = nullptr;
    QProgressBar* guge1 = nullptr; // the board view's
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QToolButton* sbtnOpenGame = nullptr;
    QToolButton* sbtnSaveGame = nullptr;
    QToolButton* sbtnRegret = nullptr;
    QToolButton* sbtnRestart = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label4 = nullptr;
    QTextEdit* Memo1 = nullptr;

    QAction* actSinglePlay = nullptr;
    QAction* actNetWork = nullptr;
    QAction* actSaveGame = nullptr;
    QAction* actLoadGame = nullptr;
    QAction* actRegret = nullptr;
    QAction* actRestart = nullptr;

    QAction* N13 = nullptr;
    QAction* N14 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QAction* N10 = nullptr;
    QAction* N6 = nullptr;
    QAction* N15 = nullptr;
    QAction* N16 = nullptr;
    QAction* check1 = nullptr;
    QAction* check2 = nullptr;
    QAction* check3 = nullptr;
    QAction* check4 = nullptr; // 大师, the master
    QAction* N17 = nullptr;    // 显示手数, move numbers on the stones
    QAction* N11 = nullptr;
    QAction* N21 = nullptr;
    QAction* N31 = nullptr;
    QAction* N8 = nullptr;
    QAction* A1 = nullptr;

    QTimer* Timer1 = nullptr; // the board view's
    QTimer* Timer2 = nullptr; // the peer has left
    QTimer* Timer3 = nullptr; // the peer asks to restart
    QTimer* Timer4 = nullptr; // the result
    QTimer* Timer5 = nullptr; // the peer refused to restart
    QTimer* Timer6 = nullptr; // the open dialog
    QTimer* Timer7 = nullptr; // the save dialog
    QTimer* Timer8 = nullptr; // the link is lost
};

} // namespace kivola
