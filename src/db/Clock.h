#pragma once
// The program's one clock: every "today" comes from here, so tests can fix it.
#include <QDate>
#include <QDateTime>
#include <optional>

class Clock {
public:
    static QDate today() { return now().date(); }
    static QDateTime now() { return fixed() ? *fixed() : QDateTime::currentDateTime(); }
    // Tests freeze the clock; an empty value lets it run again.
    static void setFixed(const std::optional<QDateTime> &value) { fixed() = value; }
    static void setToday(const QDate &date) { fixed() = QDateTime(date, QTime(12, 0)); }

private:
    static std::optional<QDateTime> &fixed() {
        static std::optional<QDateTime> value;
        return value;
    }
};
