#pragma once
// The main window's controls as a player's test reaches them: found by their designed names.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include "board_picture.h"

namespace kivola::test {

template <typename T> T* designed(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("the window has no control %s", name); // a renamed control, not a test's fault
    }
    return found;
}

#define KIVOLA_CONTROL(Type, name) Type* const name = designed<Type>(window, #name);

struct WindowControls {
    explicit WindowControls(const QObject& of) : window(of) {}
    const QObject& window;
    KIVOLA_CONTROL(QWidget, client)
    KIVOLA_CONTROL(BoardPicture, qipanPicture)
    KIVOLA_CONTROL(QProgressBar, guge1)
    KIVOLA_CONTROL(QLabel, Image1)
    KIVOLA_CONTROL(QLabel, Image2)
    KIVOLA_CONTROL(QLabel, Label1)
    KIVOLA_CONTROL(QLabel, Label2)
    KIVOLA_CONTROL(QToolButton, sbtnOpenGame)
    KIVOLA_CONTROL(QToolButton, sbtnSaveGame)
    KIVOLA_CONTROL(QToolButton, sbtnRegret)
    KIVOLA_CONTROL(QToolButton, sbtnRestart)
    KIVOLA_CONTROL(QLineEdit, Edit1)
    KIVOLA_CONTROL(QTextEdit, Memo1)
    KIVOLA_CONTROL(QAction, actSinglePlay)
    KIVOLA_CONTROL(QAction, actNetWork)
    KIVOLA_CONTROL(QAction, actSaveGame)
    KIVOLA_CONTROL(QAction, actLoadGame)
    KIVOLA_CONTROL(QAction, actRegret)
    KIVOLA_CONTROL(QAction, actRestart)
    KIVOLA_CONTROL(QAction, N13)
    KIVOLA_CONTROL(QAction, N14)
    KIVOLA_CONTROL(QAction, N3)
    KIVOLA_CONTROL(QAction, N4)
    KIVOLA_CONTROL(QAction, N10)
    KIVOLA_CONTROL(QAction, N6)
    KIVOLA_CONTROL(QAction, N15)
    KIVOLA_CONTROL(QAction, N16)
    KIVOLA_CONTROL(QAction, check1)
    KIVOLA_CONTROL(QAction, check2)
    KIVOLA_CONTROL(QAction, check3)
    KIVOLA_CONTROL(QAction, check4)
    KIVOLA_CONTROL(QAction, N17)
    KIVOLA_CONTROL(QAction, N11)
    KIVOLA_CONTROL(QAction, N21)
    KIVOLA_CONTROL(QAction, N31)
    KIVOLA_CONTROL(QAction, N8)
    KIVOLA_CONTROL(QAction, A1)
    KIVOLA_CONTROL(QTimer, Timer1)
    KIVOLA_CONTROL(QTimer, Timer2)
    KIVOLA_CONTROL(QTimer, Timer3)
    KIVOLA_CONTROL(QTimer, Timer4)
    KIVOLA_CONTROL(QTimer, Timer5)
    KIVOLA_CONTROL(QTimer, Timer8)
};

#undef KIVOLA_CONTROL

} // namespace kivola::test
