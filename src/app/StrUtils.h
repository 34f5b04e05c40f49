#pragma once
// Small routines shared by the registers, reports and editors: the start of the
// default reporting period, money rounding to kopecks and a few text routines.
// None of them keeps state.
#include <QDate>
#include <QDateTime>
#include <QString>

// The setting "Period" of the settings row: "Год", "Месяц" or "День" (anything else
// is kept as stored). The one place BegPeriod learns the period from.
QString CurrentPeriodSetting();

// Start of the default period that contains d, for the period name compared case and
// all: "Год" 1 January of d's year, "Месяц" the first of d's month (both at midnight),
// "День" d itself, time included; any other name the zero date 30.12.1899.
// The one-argument forms take the name from CurrentPeriodSetting() and so may throw
// EDatabaseError when the settings cannot be read.
QDateTime BegPeriod(const QDateTime &d);
QDateTime BegPeriod(const QDateTime &d, const QString &period);
QDate BegPeriod(const QDate &d);
QDate BegPeriod(const QDate &d, const QString &period);

// The period as a printed list's title gives it: "с 01.01.2024 по 31.03.2024", the
// dates as fmt::DateToStr writes them (the zero date blank).
QString PeriodCaption(const QDate &from, const QDate &to);

// x rounded to kopecks by the program's one money rule (RoundToKopecks): the decimal
// amount x stands for, half a kopeck and more away from zero, whatever its binary form:
// 2.675 gives 2.68, 1.005 gives 1.01, -0.125 gives -0.13. Never gives a negative zero.
double Okrugl(double x);

// s with every occurrence of oldText (case-sensitive) replaced by newText, left to
// right; replaced text is not searched again. An empty oldText changes nothing.
QString ReplaceAll(const QString &s, const QString &oldText, const QString &newText);

// The LIKE pattern of the texts that begin with `typed`, a name filter of a register:
// the user's wildcards "?" and "*" become LIKE's "_" and "%", and "%" is added.
QString NameFilterPattern(const QString &typed);

// s left-padded with c up to n characters; a longer s comes back unshortened.
QString PadLeftWith(QChar c, const QString &s, int n);

// n copies of c; empty when n is below 1.
QString RepeatChar(QChar c, int n);

// s without any c.
QString RemoveChar(const QString &s, QChar c);

// Blanks (the space character only; tabs and other control characters stay) removed
// at the start, at the end, or at both ends of s.
QString TrimLeadingSpaces(const QString &s);
QString TrimTrailingSpaces(const QString &s);
QString TrimBothSpaces(const QString &s);
