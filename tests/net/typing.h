#pragma once
// Typing any text into a widget, one key press per character, the way an input method
// delivers it; QTest::keyClicks only knows ASCII.

#include <QString>
#include <QTest>
#include <QWidget>

namespace kivola::test {

inline void typeText(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is one key press of two UTF-16 units.
        const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, units), Qt::NoModifier);
        i += units - 1;
    }
}

} // namespace kivola::test
