#pragma once
// Typing as the user does, Cyrillic included (keyClicks refuses text outside Latin-1).
#include <QWidget>
#include <QtTest>

// Gives the control the focus and types `text` into it, key by key.
inline void Type(QWidget *control, const QString &text) {
    control->setFocus(Qt::TabFocusReason);
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}
