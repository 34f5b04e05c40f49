#pragma once
// The program's exceptions. Every error that reaches the user carries a Russian
// message; the form kit's guard shows it in the application's one error box.
#include <QString>
#include <stdexcept>

class EOrbekError : public std::runtime_error {
public:
    explicit EOrbekError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// An error of the table engine: a locked or missing table, a key violation,
// a statement that does not run, a dataset in the wrong state.
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
