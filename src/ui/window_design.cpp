#include "window_design.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include "chat_input.h"
#include "piece.h"

namespace kivola {

QWidget* makeClientArea(QWidget* parent) {
    auto* client = new QWidget(parent);
    client->setObjectName(QStringLiteral("client"));
    client->setAutoFillBackground(true);
    QPalette silver = client->palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    client->setPalette(silver);
    client->setFont(pixelFont(kSansFamily, 11));
    return client;
}

QProgressBar* makeGauge(QWidget* parent) {
    auto* gauge = new QProgressBar(parent);
    gauge->setObjectName(QStringLiteral("guge1"));
    gauge->setRange(0, 100);
    gauge->setValue(0);
    gauge->setFormat(QStringLiteral("%p%"));
    gauge->setAlignment(Qt::AlignCenter);
    // Unfilled money green, filled like a tooltip background, a single border.
    gauge->setStyleSheet(QStringLiteral("QProgressBar { background: #C0DCC0; border: 1px solid #404040; color: black; }"
                                        "QProgressBar::chunk { background: #FFFFE1; }"));
    gauge->setFont(pixelFont(kSansFamily, 11));
    gauge->setAccessibleName(QStringLiteral("电脑思考进度"));
    gauge->setAccessibleDescription(QStringLiteral("电脑思考这一步的进度"));
    return gauge;
}

QLabel* makeIndicator(QWidget* parent, const char* name) {
    auto* image = new QLabel(parent);
    image->setObjectName(QString::fromLatin1(name));
    image->setFixedSize(kStoneImageSize, kStoneImageSize);
    image->setScaledContents(true);
    return image;
}

QLabel* makeNameLabel(QWidget* parent, const char* name, int height, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFixedSize(97, height);
    label->setFont(pixelFont(kSansFamily, 13));
    // The names come from the peer: never read as markup.
    label->setTextFormat(Qt::PlainText);
    QPalette white = label->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(white);
    return label;
}

QToolButton* makeGlyphButton(QWidget* parent, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setFocusPolicy(Qt::NoFocus);
    // Flat: the glyph carries the look, the button only its frame on hover.
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; background: transparent; }"
                                         "QToolButton:hover { border: 1px solid rgba(255,255,255,120); }"
                                         "QToolButton:pressed { border: 1px solid rgba(0,0,0,140); }"));
    return button;
}

QLabel* makeInputCaption(QWidget* parent) {
    auto* caption = new QLabel(QStringLiteral("输入框："), parent);
    caption->setObjectName(QStringLiteral("Label3"));
    caption->setGeometry(3, 426, 63, 17);
    caption->setAlignment(Qt::AlignCenter);
    caption->setFont(pixelFont(kSansFamily, 13));
    return caption;
}

QLineEdit* makeChatInput(QWidget* parent) {
    auto* input = new QLineEdit(parent);
    input->setObjectName(QStringLiteral("Edit1"));
    input->setGeometry(56, 424, 545, 24);
    // The input counts GBK bytes, which is what the peer receives.
    input->setMaxLength(kChatInputBytes);
    input->setValidator(new GbkLengthValidator(kChatInputBytes, input));
    input->setFont(pixelFont(kSerifFamily, 16));
    return input;
}

QLabel* makeRecordCaption(QWidget* parent) {
    auto* caption = new QLabel(QStringLiteral("记  录"), parent);
    caption->setObjectName(QStringLiteral("Label4"));
    caption->setGeometry(4, 454, 17, 49);
    caption->setAlignment(Qt::AlignCenter);
    caption->setWordWrap(true);
    caption->setFont(pixelFont(kSansFamily, 14));
    return caption;
}

// A rich-text view for its hanging indent only: lines go in as plain text (chat_view.cpp).
QTextEdit* makeChatRecord(QWidget* parent) {
    auto* record = new QTextEdit(parent);
    record->setObjectName(QStringLiteral("Memo1"));
    record->setGeometry(24, 445, 577, 65);
    record->setReadOnly(true);
    record->setAcceptRichText(false);
    // A whole match of chat would otherwise pile up in the undo history.
    record->setUndoRedoEnabled(false);
    record->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    record->setLineWrapMode(QTextEdit::WidgetWidth);
    record->setFont(pixelFont(kSerifFamily, 16));
    QPalette face = record->palette();
    face.setColor(QPalette::Base, QColor(0xF0, 0xF0, 0xF0));
    record->setPalette(face);
    return record;
}

QAction* makeCommand(QObject* owner, const char* name, const char* caption, const char* hint) {
    auto* command = new QAction(QString::fromUtf8(caption), owner);
    command->setObjectName(QString::fromLatin1(name));
    command->setStatusTip(QString::fromUtf8(hint));
    command->setProperty("category", QStringLiteral("Menu"));
    return command;
}

void bindButton(QToolButton* button, QAction* command, bool followEnabled) {
    QObject::connect(button, &QToolButton::clicked, command, [command] {
        if (command->isEnabled()) {
            command->trigger();
        }
    });
    if (followEnabled) {
        QObject::connect(command, &QAction::changed, button,
                         [button, command] { button->setEnabled(command->isEnabled()); });
    }
}

void bindMenuItem(QAction* item, QAction* command) {
    QObject::connect(item, &QAction::triggered, command, [command] {
        if (command->isEnabled()) {
            command->trigger();
        }
    });
    QObject::connect(command, &QAction::changed, item, [item, command] { item->setEnabled(command->isEnabled()); });
}

QTimer* makeTimer(QObject* owner, const char* name, int interval, bool singleShot) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    timer->setSingleShot(singleShot);
    return timer;
}

QMenu* addDesignedMenu(QMenuBar& bar, const char* name, const QString& caption,
                       std::initializer_list<MenuItemDesign> items) {
    QMenu* menu = bar.addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    for (const MenuItemDesign& design : items) {
        QAction* item = design.item != nullptr ? menu->addAction(design.caption) : menu->addSeparator();
        item->setObjectName(QString::fromLatin1(design.name));
        if (design.item == nullptr) {
            continue;
        }
        *design.item = item;
        if (!design.shortcut.isEmpty()) {
            item->setShortcut(design.shortcut);
        }
        // The handlers own the check marks: a click must not toggle them by itself.
        item->setCheckable(design.mark != MenuItemDesign::Mark::None);
        item->setChecked(design.mark == MenuItemDesign::Mark::On);
        if (design.data.isValid()) {
            item->setData(design.data);
        }
    }
    return menu;
}

} // namespace kivola
