#pragma once
// Switches the process's decimal separator for one test and puts the old one back.
#include "db/Formats.h"

class DecimalSeparatorScope {
  public:
    explicit DecimalSeparatorScope(QChar separator) : m_saved(fmt::DecimalSeparator()) {
        fmt::SetDecimalSeparator(separator);
    }
    explicit DecimalSeparatorScope(const QString &separator) : DecimalSeparatorScope(separator.at(0)) {}
    ~DecimalSeparatorScope() { fmt::SetDecimalSeparator(m_saved); }
    DecimalSeparatorScope(const DecimalSeparatorScope &) = delete;
    DecimalSeparatorScope &operator=(const DecimalSeparatorScope &) = delete;

  private:
    QChar m_saved;
};
