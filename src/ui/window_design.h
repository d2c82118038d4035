#pragma once
// The main window's controls and menus as designed: names, places, fonts and looks.

#include <QFont>
#include <QKeySequence>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <initializer_list>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QObject;
class QTextEdit;
class QProgressBar;
class QTimer;
class QToolButton;
class QWidget;

namespace kivola {

inline const QString kSansFamily = QStringLiteral("Noto Sans CJK SC");
inline const QString kSerifFamily = QStringLiteral("Noto Serif CJK SC");

inline QFont pixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

// The silver client area under the board picture and the side panel.
QWidget* makeClientArea(QWidget* parent);
// guge1, the search's progress.
QProgressBar* makeGauge(QWidget* parent);
// Image1/Image2: the stone of each side.
QLabel* makeIndicator(QWidget* parent, const char* name);
// Label1/Label2: a side's name, which may come from the peer.
QLabel* makeNameLabel(QWidget* parent, const char* name, int height, const QString& text);
// A flat button whose glyph carries the look.
QToolButton* makeGlyphButton(QWidget* parent, const char* name);
// Label3 and Edit1: the chat input and its caption.
QLabel* makeInputCaption(QWidget* parent);
QLineEdit* makeChatInput(QWidget* parent);
// Label4 and Memo1: the chat record and its caption.
QLabel* makeRecordCaption(QWidget* parent);
QTextEdit* makeChatRecord(QWidget* parent);

// A command of the window's action list; hint, its status tip, may be null.
QAction* makeCommand(QObject* owner, const char* name, const char* caption, const char* hint);
// A bound control runs its command only while the command is enabled; followEnabled also
// greys the control with it.
void bindButton(QToolButton* button, QAction* command, bool followEnabled);
void bindMenuItem(QAction* item, QAction* command);

QTimer* makeTimer(QObject* owner, const char* name, int interval, bool singleShot);

// A menu item as designed; one without a place to keep it is a separator of that name.
struct MenuItemDesign {
    enum class Mark : std::uint8_t { None, Off, On };
    QAction** item;
    const char* name;
    QString caption = {};
    QKeySequence shortcut = {};
    Mark mark = Mark::None; // a checkable item, and whether it starts checked
    QVariant data = {};
};

QMenu* addDesignedMenu(QMenuBar& bar, const char* name, const QString& caption,
                       std::initializer_list<MenuItemDesign> items);

} // namespace kivola
