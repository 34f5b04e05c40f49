#include "support/TestSupport.h"

#include "controls/UiScript.h"
#include "db/Database.h"
#include "db/Formats.h"

#include <QApplication>
#include <QWidget>
#include <QtTest>

TempDataFolder::TempDataFolder() { db::Database::Open(m_dir.path() + QStringLiteral("/dat")); }

TempDataFolder::~TempDataFolder() { db::Database::Close(); }

QString sized(const QString &words, int length) {
    QString s;
    while (s.size() < length)
        s += words + QLatin1Char(' ');
    return s.left(length).trimmed().leftJustified(length, QLatin1Char('.'));
}

void showActive(QWidget *window) {
    window->show();
    window->activateWindow();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
}

void ScriptedTestCase::init() {
    UiScript::Reset();
    fmt::SetDecimalSeparator(QLatin1Char('-'));
}

void ScriptedTestCase::cleanup() {
    QVERIFY2(UiScript::Clean(), qPrintable(UiScript::Problems()));
    UiScript::Reset();
}
