#pragma once
// The program's exceptions. Every error that reaches the user carries a Russian
// sentence that says what went wrong and what to do; the technical detail (the
// statement, the engine's own words and code) travels beside it and is shown only on
// request, so the main text of the error box never holds SQL or the engine's English.
#include <QString>
#include <stdexcept>

class EOrbekError : public std::runtime_error {
public:
  explicit EOrbekError(const QString &message, const QString &detail = QString())
      : std::runtime_error(message.toStdString()), m_message(message), m_detail(detail) {}
  const QString &message() const { return m_message; }
  // Technical detail for whoever looks after the program; empty when there is none.
  const QString &detail() const { return m_detail; }

private:
    QString m_message;
    QString m_detail;
};

// An error of the table engine: a locked or missing table, a key violation,
// a statement that does not run, a dataset in the wrong state. Failures of the
// database file itself read as one of these sentences (see Database.cpp):
// the disk is full or cannot be written, the data is read-only, busy, damaged,
// not this program's database, or a record breaks a key or a required field.
class EDatabaseError : public EOrbekError {
public:
    using EOrbekError::EOrbekError;
};

// A text that does not convert to a number or a date.
class EConvertError : public EOrbekError {
public:
    using EOrbekError::EOrbekError;
};

// Ends a command quietly, without an error box (the user's "No" in the middle of one).
class EAbort : public EOrbekError {
public:
    EAbort() : EOrbekError(QString()) {}
};
