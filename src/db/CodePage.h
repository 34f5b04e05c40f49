#pragma once
// Single-byte code pages (CP1251 of the contract templates, CP866 of old dBase files):
// texts are decoded once where legacy bytes are read and encoded once where they are
// written; inside the program every text is a QString. Each page is a table of its 256
// characters made once with iconv.
#include <QByteArray>
#include <QHash>
#include <QString>

namespace db {

class TCodePage {
  public:
    // The code page of that number (1251, 866...), or nullptr when the system cannot
    // decode it.
    static const TCodePage *Find(int number);
    int Number() const { return m_number; }

    // The bytes as text; decoding stops at the first zero byte.
    QString Decode(const char *data, qsizetype length) const;
    QString Decode(const QByteArray &bytes) const { return Decode(bytes.constData(), bytes.size()); }
    // The text in this code page; a character the page lacks becomes "?".
    QByteArray Encode(const QString &text) const;
    // Whether every character of the text has a byte in this code page.
    bool CanEncode(const QString &text) const;

  private:
    explicit TCodePage(int number) : m_number(number) {}
    int m_number;
    char16_t m_chars[256] = {};
    QHash<char16_t, char> m_bytes;
};

} // namespace db
