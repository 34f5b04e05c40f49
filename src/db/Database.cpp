#include "db/Database.h"

#include "db/Currency.h"
#include "db/DataSet.h"
#include "db/FieldTypes.h"
#include "db/Schema.h"
#include "db/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUrl>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace db {

namespace {

struct TableLock {
    QSet<TDataSet *> users;
    TDataSet *exclusive = nullptr;
};

struct State {
    sqlite3 *handle = nullptr;
    QString folder;
    int folderLock = -1;    // the descriptor holding the folder's lock
    QString readOnlyNotice; // set when the data could only be opened for reading
    std::map<TDataSet *, std::function<void()>> readers;
    QSet<TDataSet *> dataSets;
    QHash<QString, TableLock> locks; // by lower-case SQL name
    int savepointDepth = 0;
    QSet<TDataSet *> appliedInTransaction;
    qint64 rollbacks = 0; // rolled-back transactions: their rows changed back
    // Statements let go of, reset, for the next Prepare of their text; the most recent
    // last. Finalized before the connection closes.
    struct Idle {
        QByteArray text;
        sqlite3_stmt *stmt;
    };
    std::vector<Idle> idle;
};

void finalizeIdle(State &s) {
    for (const State::Idle &entry : s.idle)
        sqlite3_finalize(entry.stmt);
    s.idle.clear();
}

State &state() {
    static State s;
    return s;
}

// ---- Russian collation ------------------------------------------------------------

// Primary weight (the letter) and secondary weight (its case) of a character.
inline void weigh(char32_t c, int &primary, int &secondary) {
    secondary = 0;
    if (c < 0x80) {
        if (c >= 'a' && c <= 'z') {
            primary = 0x100 + int(c - 'a');
        } else if (c >= 'A' && c <= 'Z') {
            primary = 0x100 + int(c - 'A');
            secondary = 1;
        } else {
            primary = int(c);
        }
        return;
    }
    // Cyrillic: а..е, ё, ж..я; capitals after their small letter.
    if (c == 0x451 || c == 0x401) {
        primary = 0x200 + 6;
        secondary = c == 0x401 ? 1 : 0;
        return;
    }
    if (c >= 0x430 && c <= 0x44F) {
        const int idx = int(c - 0x430);
        primary = 0x200 + (idx <= 5 ? idx : idx + 1);
        return;
    }
    if (c >= 0x410 && c <= 0x42F) {
        const int idx = int(c - 0x410);
        primary = 0x200 + (idx <= 5 ? idx : idx + 1);
        secondary = 1;
        return;
    }
    primary = 0x1000 + int(c);
}

// Decodes one UTF-8 code point; advances p.
inline char32_t nextUtf8(const unsigned char *&p, const unsigned char *end) {
    const unsigned char b = *p++;
    if (b < 0x80) return b;
    int extra = 0;
    char32_t c = 0;
    if ((b & 0xE0) == 0xC0) {
        extra = 1;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        c = b & 0x07;
    } else {
        return 0xFFFD;
    }
    while (extra-- > 0 && p < end) c = (c << 6) | (*p++ & 0x3F);
    return c;
}

template <typename Next> int compareWith(Next nextA, Next nextB) {
    // Pass 1: letters; pass 2: case. Both walk the strings in parallel.
    int secondaryDiff = 0;
    for (;;) {
        char32_t a = 0, b = 0;
        const bool hasA = nextA(a), hasB = nextB(b);
        if (!hasA || !hasB) {
            if (hasA) return 1;
            if (hasB) return -1;
            return secondaryDiff;
        }
        int pa, sa, pb, sb;
        weigh(a, pa, sa);
        weigh(b, pb, sb);
        if (pa != pb) return pa < pb ? -1 : 1;
        if (secondaryDiff == 0 && sa != sb) secondaryDiff = sa < sb ? -1 : 1;
    }
}

int compareUtf8(int lenA, const void *a, int lenB, const void *b) {
    const unsigned char *pa = static_cast<const unsigned char *>(a), *ea = pa + lenA;
    const unsigned char *pb = static_cast<const unsigned char *>(b), *eb = pb + lenB;
    auto na = [&](char32_t &c) {
        if (pa >= ea) return false;
        c = nextUtf8(pa, ea);
        return true;
    };
    auto nb = [&](char32_t &c) {
        if (pb >= eb) return false;
        c = nextUtf8(pb, eb);
        return true;
    };
    int secondaryDiff = 0;
    for (;;) {
        char32_t ca = 0, cb = 0;
        const bool hasA = na(ca), hasB = nb(cb);
        if (!hasA || !hasB) {
            if (hasA) return 1;
            if (hasB) return -1;
            return secondaryDiff;
        }
        int p1, s1, p2, s2;
        weigh(ca, p1, s1);
        weigh(cb, p2, s2);
        if (p1 != p2) return p1 < p2 ? -1 : 1;
        if (secondaryDiff == 0 && s1 != s2) secondaryDiff = s1 < s2 ? -1 : 1;
    }
}

int ruCollation(void *, int lenA, const void *a, int lenB, const void *b) { return compareUtf8(lenA, a, lenB, b); }

void caseFunction(sqlite3_context *ctx, int, sqlite3_value **argv, bool upper) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[0])),
                                        sqlite3_value_bytes(argv[0]));
    const QByteArray out = (upper ? s.toUpper() : s.toLower()).toUtf8();
    sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

void upperFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) { caseFunction(ctx, argc, argv, true); }
void lowerFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) { caseFunction(ctx, argc, argv, false); }

// okrugl(amount): the amount as the kopecks it prints as, by the program's one money
// rule (RoundToKopecks), so that a sum over stored amounts adds the figures printed
// for them: two entries of 0.125 sum to 0.26. A whole number is returned as it is and
// NULL as NULL, so a sum over no amounts stays empty.
void okruglFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
        sqlite3_result_null(ctx);
        break;
    case SQLITE_INTEGER:
        sqlite3_result_value(ctx, argv[0]);
        break;
    default:
        sqlite3_result_double(ctx, RoundToKopecks(sqlite3_value_double(argv[0])));
    }
}

// ---- LIKE ---------------------------------------------------------------------------

// A character as LIKE compares it: a letter of any alphabet by its case-folded form
// (Latin, Cyrillic and Ё at once, the rest through Unicode), anything else as it is.
inline char32_t foldCase(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20; // А..Я
    if ((c >= 0x430 && c <= 0x44F) || c == 0x451) return c;
    if (c == 0x401) return 0x451; // Ё
    return QChar::toCaseFolded(c);
}

// A LIKE pattern read once per statement: folded characters, "_" and runs of "%".
struct LikePattern {
    enum Kind : char { Char, One, Any };
    struct Token {
        Kind kind;
        char32_t c;
    };
    std::vector<Token> tokens;
    bool hasEscape = false;
    char32_t escape = 0;
    bool never = false; // ends in the escape character: matches nothing
};

LikePattern compileLike(const unsigned char *p, const unsigned char *end, bool hasEscape, char32_t escape) {
    LikePattern out;
    out.hasEscape = hasEscape;
    out.escape = escape;
    while (p < end) {
        const char32_t c = nextUtf8(p, end);
        // The escape character comes first, also when it is "%" or "_".
        if (hasEscape && c == escape) {
            if (p >= end) {
                out.never = true;
                break;
            }
            out.tokens.push_back({LikePattern::Char, foldCase(nextUtf8(p, end))});
        } else if (c == '%') {
            if (out.tokens.empty() || out.tokens.back().kind != LikePattern::Any)
                out.tokens.push_back({LikePattern::Any, 0});
        } else if (c == '_') {
            out.tokens.push_back({LikePattern::One, 0});
        } else {
            out.tokens.push_back({LikePattern::Char, foldCase(c)});
        }
    }
    return out;
}

// Whether the text matches, character by character (a "_" takes one letter, not one
// byte of it); a mismatch after a "%" lets that "%" take one character more.
bool matchesLike(const LikePattern &pattern, const unsigned char *s, const unsigned char *end) {
    if (pattern.never) return false;
    const auto &tokens = pattern.tokens;
    const size_t n = tokens.size();
    size_t i = 0, afterAny = 0;
    const unsigned char *anyFrom = nullptr;
    for (;;) {
        if (i < n && tokens[i].kind == LikePattern::Any) {
            if (++i == n) return true; // a "%" at the end takes the rest
            afterAny = i;
            anyFrom = s;
            continue;
        }
        if (s >= end) return i == n;
        const unsigned char *next = s;
        const char32_t c = nextUtf8(next, end);
        if (i < n && (tokens[i].kind == LikePattern::One || tokens[i].c == foldCase(c))) {
            ++i;
            s = next;
            continue;
        }
        if (!anyFrom) return false;
        nextUtf8(anyFrom, end);
        s = anyFrom;
        i = afterAny;
    }
}

// like(pattern, text[, escape]), the function behind "text LIKE pattern [ESCAPE c]":
// null when any argument is null; the pattern is read once per statement.
void likeFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) return;
    char32_t escape = 0;
    if (argc == 3) {
        const auto *e = sqlite3_value_text(argv[2]);
        if (!e) return;
        const unsigned char *end = e + sqlite3_value_bytes(argv[2]);
        if (e < end) escape = nextUtf8(e, end);
        if (escape == 0 || e != end) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
    }
    const auto *kept = static_cast<const LikePattern *>(sqlite3_get_auxdata(ctx, 0));
    std::unique_ptr<LikePattern> fresh;
    if (!kept || kept->hasEscape != (argc == 3) || kept->escape != escape) {
        const auto *pattern = sqlite3_value_text(argv[0]);
        const int bytes = sqlite3_value_bytes(argv[0]);
        if (bytes > sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
            sqlite3_result_error(ctx, "LIKE or GLOB pattern too complex", -1);
            return;
        }
        fresh = std::make_unique<LikePattern>(compileLike(pattern, pattern + bytes, argc == 3, escape));
        kept = fresh.get();
    }
    const auto *text = sqlite3_value_text(argv[1]);
    sqlite3_result_int(ctx, text && matchesLike(*kept, text, text + sqlite3_value_bytes(argv[1])));
    // Kept for the next row while the pattern stays the same (SQLite may drop it at once).
    if (fresh)
        sqlite3_set_auxdata(ctx, 0, fresh.release(), [](void *p) { delete static_cast<LikePattern *>(p); });
}

// ---- Failures in words ---------------------------------------------------------------

// The Russian sentence for an engine failure: what happened and what to do. The
// statement and the engine's own message go to the detail.
QString failureSentence(int code) {
    switch (code & 0xFF) {
    case SQLITE_FULL:
        return QStringLiteral("На диске не осталось места, изменения не сохранены. "
                              "Освободите место на диске и повторите.");
    case SQLITE_IOERR:
        if (code == SQLITE_IOERR_NOMEM) break;
        return QStringLiteral("Не удалось прочитать или записать файл базы данных, действие не выполнено. "
                              "Проверьте, что на диске есть свободное место и диск доступен, и повторите.");
    case SQLITE_READONLY:
        return QStringLiteral("Данные открыты только для чтения, изменения не сохранены. Чтобы сохранять "
                              "изменения, разрешите запись в папку данных и в файл orbek.db и запустите "
                              "программу снова.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Данные заняты другой программой, изменения не сохранены. "
                              "Подождите немного и повторите.");
    case SQLITE_CORRUPT:
        return QStringLiteral(
            "Файл базы данных повреждён. Закройте программу и восстановите данные из архива.");
    case SQLITE_NOTADB:
        return QStringLiteral("Файл данных не является базой данных программы. Закройте программу и "
                              "восстановите данные из архива.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Не удаётся открыть файл базы данных. Проверьте, что папка данных на месте и "
                              "доступна, и запустите программу снова.");
    case SQLITE_CONSTRAINT:
        if (code == SQLITE_CONSTRAINT_PRIMARYKEY || code == SQLITE_CONSTRAINT_UNIQUE)
            return QStringLiteral("Запись с таким ключом уже есть, изменения не сохранены.");
        if (code == SQLITE_CONSTRAINT_NOTNULL)
            return QStringLiteral("Не заполнено обязательное поле, изменения не сохранены.");
        return QStringLiteral("Запись нарушает правила хранения данных, изменения не сохранены.");
    default:
        break;
    }
    if ((code & 0xFF) == SQLITE_NOMEM || code == SQLITE_IOERR_NOMEM)
        return QStringLiteral("Недостаточно памяти. Закройте другие программы и повторите.");
    return QStringLiteral("Не удалось выполнить действие с базой данных. Сообщите об ошибке тому, кто "
                          "обслуживает программу: подробности под кнопкой «Подробнее».");
}

// The error of the last failed call on `h`; `what` says what was being done (with
// the statement), for the detail.
EDatabaseError engineError(sqlite3 *h, const QString &what) {
    const int code = h ? sqlite3_extended_errcode(h) : SQLITE_ERROR;
    QString detail = what;
    if (h) detail += QStringLiteral("\nSQLite: %1 (%2)").arg(QString::fromUtf8(sqlite3_errmsg(h))).arg(code);
    return EDatabaseError(failureSentence(code), detail);
}

void execRaw(sqlite3 *h, const char *sql) {
    if (sqlite3_exec(h, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw engineError(
            h, QStringLiteral("Ошибка при выполнении «%1»").arg(QString::fromUtf8(sql).simplified()));
}

QString quoted(const QString &name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

QString indexStatement(const TableDef &t, const IndexDef &ix) {
    QStringList f;
    for (const QString &name : QString::fromLatin1(ix.fields).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        f << quoted(name);
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
        .arg(quoted(IndexSqlName(QString::fromLatin1(t.sqlName), QString::fromLatin1(ix.name))),
             quoted(QString::fromLatin1(t.sqlName)), f.join(QStringLiteral(", ")));
}

// CREATE statements for one table of the schema. Index names carry the table's name
// because SQLite keeps one namespace for tables and indexes ("Klient" is both a table
// and an index of Bank.db).
QStringList createStatements(const TableDef &t) {
    QStringList cols;
    const QStringList key = QString::fromLatin1(t.primaryKey).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    bool autoKey = false;
    for (const FieldDef &f : t.fields) {
        const QString type = QString::fromLatin1(f.type);
        QString col = quoted(QString::fromUtf8(f.name)) + QLatin1Char(' ');
        if (type == QLatin1String("+")) {
            col += QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
            autoKey = true;
        } else {
            col += StorageTypeName(type);
            if (key.contains(QString::fromUtf8(f.name))) col += QStringLiteral(" NOT NULL");
        }
        cols << col;
    }
    if (!autoKey && !key.isEmpty()) {
        QStringList k;
        for (const QString &f : key) k << quoted(f);
        cols << QStringLiteral("PRIMARY KEY (%1)").arg(k.join(QStringLiteral(", ")));
    }
    QStringList out;
    out << QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(quoted(QString::fromLatin1(t.sqlName)),
                                                           cols.join(QStringLiteral(",\n  ")));
    for (const IndexDef &ix : t.indexes)
        out << indexStatement(t, ix);
    return out;
}

// What an existing file lacks of the schema, and whether it carries the program's
// mark with the current schema version.
struct FileCheck {
    std::vector<const TableDef *> missingTables;
    std::vector<std::pair<const TableDef *, const IndexDef *>> missingIndexes;
    bool marked = false;
};

// Creates what the file lacks in one write transaction: missing tables with their
// indexes (the settings table with its one row, as in a new folder), missing indexes,
// and the program's mark with the schema version.
void completeSchema(sqlite3 *h, const FileCheck &check) {
    if (check.missingTables.empty() && check.missingIndexes.empty() && check.marked) return;
    execRaw(h, "BEGIN IMMEDIATE");
    try {
        for (const TableDef *t : check.missingTables) {
            for (const QString &sql : createStatements(*t))
                execRaw(h, sql.toUtf8().constData());
            if (qstrcmp(t->sqlName, "Config") == 0)
                execRaw(
                    h,
                    "INSERT INTO \"Config\" (\"Rasdel\", \"Period\", \"KolCopy\", \"SizeFont\", \"ProcNDS\", "
                    "\"AppBank\", \"FormatDat\") VALUES ('Тире', 'Месяц', 2, 10, 22, 0, 'dd.mm.yyyy')");
        }
        for (const auto &[t, ix] : check.missingIndexes)
            execRaw(h, indexStatement(*t, *ix).toUtf8().constData());
        execRaw(h, (QByteArray("PRAGMA application_id = ") + QByteArray::number(Database::ApplicationId))
                       .constData());
        execRaw(
            h,
            (QByteArray("PRAGMA user_version = ") + QByteArray::number(Database::SchemaVersion)).constData());
        execRaw(h, "COMMIT");
    } catch (...) {
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// ---- The data folder and its file, before anything is written --------------------------

QString shownPath(const QString &path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

const QString &restoreAdvice() {
    static const QString text =
        QStringLiteral("Файл оставлен без изменений. Восстановите данные из архива: скопируйте файл "
                       "orbek.db из папки «arhiv» в папку данных.");
    return text;
}

// A data file refused by its check: what is wrong with it, then what to do about the
// data folder. A file checked as an archive keeps only the first part: the advice to
// restore from the archive is no advice about the archive itself.
class EFileRefused : public EDatabaseError {
  public:
    EFileRefused(const QString &sentence, const QString &advice, const QString &detail)
        : EDatabaseError(sentence + QLatin1Char(' ') + advice, detail), m_sentence(sentence) {}
    const QString &sentence() const { return m_sentence; }

  private:
    QString m_sentence;
};

[[noreturn]] void refuse(const QString &sentence, const QString &detail = QString()) {
    throw EFileRefused(sentence, restoreAdvice(), detail);
}

QString notOursSentence(const QString &path) {
    return QStringLiteral("Файл «%1» не является базой данных программы: это файл другой программы, "
                          "или он испорчен.")
        .arg(shownPath(path));
}

// One program per data folder: an exclusive lock on the folder itself, taken before
// the file is read. The system lets go of it when the process ends, however it ends,
// so a program that was killed never leaves the folder locked; programs started from
// this one do not inherit it.
int lockFolder(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw EDatabaseError(QStringLiteral("Не удаётся открыть папку данных «%1». Проверьте права доступа к "
                                            "ней и запустите программу снова.")
                                 .arg(shownPath(folder)),
                             QString::fromLocal8Bit(strerror(errno)));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EAGAIN)) {
        ::close(fd);
        throw EDatabaseError(
            QStringLiteral("Папка данных «%1» уже открыта другой копией программы. Работайте "
                           "в ней или закройте её и запустите программу снова.")
                .arg(shownPath(folder)));
    }
    // Any other failure (a file system without locks) leaves the folder unlocked
    // rather than the program unable to start.
    return fd;
}

bool writableByUs(const QString &path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// A failed read while checking a file: the engine's code and words.
struct ReadFailure {
    int code;
    QString detail;
};

// The first column of every row of `sql` on a checking connection.
QStringList firstColumn(sqlite3 *h, const char *sql) {
    sqlite3_stmt *stmt = nullptr;
    int rc = sqlite3_prepare_v2(h, sql, -1, &stmt, nullptr);
    QStringList out;
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        throw ReadFailure{sqlite3_extended_errcode(h),
                          QStringLiteral("%1\nSQLite: %2 (%3)")
                              .arg(QString::fromUtf8(sql), QString::fromUtf8(sqlite3_errmsg(h)))
                              .arg(sqlite3_extended_errcode(h))};
    return out;
}

struct ConnectionCloser {
    void operator()(sqlite3 *h) const { sqlite3_close_v2(h); }
};
using ConnectionPtr = std::unique_ptr<sqlite3, ConnectionCloser>;

// The name to open a file by for reading only. With no journal left beside it the file
// is read as it lies, without locks or files of its own beside it, so neither the file
// nor its folder changes; a journal left by a program that ended in the middle of its
// work holds committed changes, so then the file is read through it.
QByteArray readOnlyName(const QString &path, bool journalLeft) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded).toUtf8() +
           (journalLeft ? "?mode=ro" : "?immutable=1");
}

bool journalLeft(const QString &path) {
    return QFileInfo(path + QStringLiteral("-wal")).size() > 0;
}

// Checks an existing data file without writing to it (see Database::Open) and says
// what it lacks. Throws EDatabaseError with the Russian sentence of a refusal.
// How much of a file's pages a check reads: none (its tables and fields only), SQLite's
// quick check, or its full integrity check.
enum class PageCheck { None, Quick, Full };

FileCheck checkFile(const QString &path, bool folderWritable, PageCheck pages = PageCheck::Quick) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EDatabaseError(
            QStringLiteral("Не удаётся прочитать файл базы данных «%1». Проверьте права доступа "
                           "к нему и запустите программу снова.")
                .arg(shownPath(path)),
            file.errorString());
    const QByteArray header = file.read(100);
    file.close();
    // Another program's file is told by its header alone, before the engine opens it.
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        refuse(notOursSentence(path));
    const quint32 mark = qFromBigEndian<quint32>(header.constData() + 68);
    if (mark != 0 && mark != Database::ApplicationId)
        refuse(notOursSentence(path), QStringLiteral("application_id %1").arg(mark));

    const bool journal = journalLeft(path);
    if (journal && !folderWritable)
        throw EDatabaseError(
            QStringLiteral("В папке данных «%1» остался журнал незавершённой записи, а папка "
                           "доступна только для чтения. Разрешите запись в папку и запустите "
                           "программу снова.")
                .arg(shownPath(QFileInfo(path).path())));
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(readOnlyName(path, journal).constData(), &raw,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    ConnectionPtr h(raw);
    if (rc != SQLITE_OK) throw engineError(raw, QStringLiteral("Открытие «%1» для проверки").arg(path));
    sqlite3_extended_result_codes(raw, 1);

    FileCheck check;
    try {
        QSet<QString> tables;
        for (const QString &name : firstColumn(raw, "SELECT name FROM sqlite_master WHERE type = 'table'"))
            if (!name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
                tables.insert(name.toLower());
        QSet<QString> ourTables;
        for (const TableDef &t : Schema())
            ourTables.insert(QString::fromLatin1(t.sqlName).toLower());
        // A file without the mark is ours when it holds our tables and nothing else.
        if (mark == 0 && (!tables.intersects(ourTables) || !ourTables.contains(tables)))
            refuse(notOursSentence(path));

        const int version = firstColumn(raw, "PRAGMA user_version").value(0).toInt();
        if (version > Database::SchemaVersion)
            throw EFileRefused(
                QStringLiteral("Файл «%1» записан более новой версией программы (версия данных %2, "
                               "эта программа знает версии до %3).")
                    .arg(shownPath(path))
                    .arg(version)
                    .arg(Database::SchemaVersion),
                QStringLiteral("Файл оставлен без изменений. Работайте с ним в новой версии программы "
                               "или восстановите данные из архива."),
                QString());

        QSet<QString> indexes;
        for (const QString &name : firstColumn(raw, "SELECT name FROM sqlite_master WHERE type = 'index'"))
            indexes.insert(name.toLower());
        for (const TableDef &t : Schema()) {
            const QString table = QString::fromLatin1(t.sqlName);
            if (!tables.contains(table.toLower())) {
                check.missingTables.push_back(&t);
                continue;
            }
            QSet<QString> columns;
            const QByteArray info = "SELECT name FROM pragma_table_info('" + table.toLatin1() + "')";
            for (const QString &name : firstColumn(raw, info.constData()))
                columns.insert(name.toLower());
            for (const FieldDef &f : t.fields)
                if (!columns.contains(QString::fromUtf8(f.name).toLower()))
                    refuse(QStringLiteral(
                               "В файле «%1» в таблице «%2» нет поля «%3»: файл неполон или испорчен.")
                               .arg(shownPath(path), table, QString::fromUtf8(f.name)));
            for (const IndexDef &ix : t.indexes)
                if (!indexes.contains(IndexSqlName(table, QString::fromLatin1(ix.name)).toLower()))
                    check.missingIndexes.emplace_back(&t, &ix);
        }

        const QStringList problems =
            pages == PageCheck::None
                ? QStringList{QStringLiteral("ok")}
                : firstColumn(raw, pages == PageCheck::Full ? "PRAGMA integrity_check" : "PRAGMA quick_check");
        if (problems != QStringList{QStringLiteral("ok")})
            refuse(QStringLiteral("Файл «%1» повреждён.").arg(shownPath(path)),
                   problems.mid(0, 20).join(QLatin1Char('\n')));
        check.marked =
            version == Database::SchemaVersion &&
            firstColumn(raw, "PRAGMA application_id").value(0).toLongLong() == Database::ApplicationId;
    } catch (const ReadFailure &failure) {
        if ((failure.code & 0xFF) == SQLITE_NOTADB) refuse(notOursSentence(path), failure.detail);
        if ((failure.code & 0xFF) == SQLITE_CORRUPT)
            refuse(QStringLiteral("Файл «%1» повреждён.").arg(shownPath(path)), failure.detail);
        throw EDatabaseError(failureSentence(failure.code), failure.detail);
    }
    return check;
}

// Settings of every connection, and the collation and functions the SQL texts use.
void configure(sqlite3 *h, bool writable) {
    sqlite3_extended_result_codes(h, 1);
    // Another program may hold the database for a moment: wait for it a few seconds
    // before telling the user that the data is busy.
    sqlite3_busy_timeout(h, 5000);
    // WAL with full sync: a process killed in the middle of a write leaves the file
    // exactly before or after it, and a closed database is a single file again.
    if (writable) execRaw(h, "PRAGMA journal_mode = WAL");
    execRaw(h, "PRAGMA synchronous = FULL");
    execRaw(h, "PRAGMA foreign_keys = OFF");
    // Registers sort whole result sets: keep the sorting in memory.
    execRaw(h, "PRAGMA temp_store = MEMORY");
    execRaw(h, "PRAGMA cache_size = -65536");
    sqlite3_create_collation(h, "RU", SQLITE_UTF8, nullptr, ruCollation);
    // LIKE matches letters of every alphabet without regard to case. SQLite's own LIKE
    // folds only Latin letters, and reads an index only for its own function: a LIKE over
    // an indexed column is given a GLOB beside it for that (TranslateSql).
    for (const int args : {2, 3})
        sqlite3_create_function(h, "like", args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction,
                                nullptr, nullptr);
    sqlite3_create_function(h, "upper", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, upperFunction,
                            nullptr, nullptr);
    sqlite3_create_function(h, "lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, lowerFunction,
                            nullptr, nullptr);
    sqlite3_create_function(h, "okrugl", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                            okruglFunction, nullptr, nullptr);
}

// Opens the folder's data file once the folder is locked: checked, completed and
// marked when it can be written, else opened for reading with `readOnlyNotice` set.
// `reopen`: how a file this program closed for maintenance is checked again.
sqlite3 *openDataFile(const QString &folder, QString &readOnlyNotice,
                      Database::ReopenCheck reopen = Database::ReopenCheck::AsAtStartUp) {
    const QString path = QDir(folder).filePath(Database::fileName());
    const bool folderWritable = writableByUs(folder);
    const QFileInfo info(path);
    FileCheck check;
    bool writable = folderWritable;
    if (reopen == Database::ReopenCheck::None && info.exists()) {
        check.marked = true;
        writable = folderWritable && writableByUs(path);
    } else if (info.exists() && info.size() > 0) {
        check = checkFile(path, folderWritable,
                          reopen == Database::ReopenCheck::TablesOnly ? PageCheck::None : PageCheck::Quick);
        writable = folderWritable && writableByUs(path);
    } else if (!folderWritable) {
        throw EDatabaseError(
            QStringLiteral("Папка данных «%1» доступна только для чтения, и создать в ней базу "
                           "данных нельзя. Разрешите запись в папку и запустите программу снова.")
                .arg(shownPath(folder)));
    } else {
        for (const TableDef &t : Schema())
            check.missingTables.push_back(&t);
    }
    if (!writable && !check.missingTables.empty())
        throw EDatabaseError(
            QStringLiteral("В файле «%1» нет таблицы «%2», а дописать её нельзя: файл доступен "
                           "только для чтения. Разрешите запись в папку данных и в файл и "
                           "запустите программу снова.")
                .arg(shownPath(path), QString::fromLatin1(check.missingTables.front()->sqlName)));

    const QByteArray name =
        writable ? path.toUtf8() : readOnlyName(path, folderWritable && journalLeft(path));
    const int flags = (writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
                      SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(name.constData(), &h, flags, nullptr) != SQLITE_OK) {
        const EDatabaseError error = engineError(h, QStringLiteral("Открытие «%1»").arg(path));
        sqlite3_close(h);
        throw error;
    }
    try {
        configure(h, writable);
        if (writable) completeSchema(h, check);
    } catch (...) {
        sqlite3_close(h);
        throw;
    }
    if (!writable)
        readOnlyNotice =
            (folderWritable
                 ? QStringLiteral("Файл базы данных «%1» доступен только для чтения").arg(shownPath(path))
                 : QStringLiteral("Папка данных «%1» доступна только для чтения").arg(shownPath(folder))) +
            QStringLiteral(": данные можно просматривать и печатать, но изменения сохранить не "
                           "удастся. Чтобы работать с данными, разрешите запись в %1 и запустите "
                           "программу снова.")
                .arg(folderWritable ? QStringLiteral("этот файл") : QStringLiteral("эту папку"));
    return h;
}

} // namespace

// ---- Sqlite.h helpers -----------------------------------------------------------------

[[noreturn]] void ThrowEngineError(const QString &what) {
    throw engineError(state().handle, what);
}

StatementPtr Prepare(const QString &sql) {
    sqlite3 *h = Database::handle();
    const QByteArray text = sql.toUtf8();
    State &s = state();
    for (auto it = s.idle.rbegin(); it != s.idle.rend(); ++it)
        if (it->text == text) {
            sqlite3_stmt *stmt = it->stmt;
            s.idle.erase(std::next(it).base());
            return StatementPtr(stmt);
        }
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        ThrowEngineError(QStringLiteral("Ошибка в запросе «%1»").arg(sql.simplified()));
    }
    return StatementPtr(stmt);
}

namespace {

// A statement that writes rows or opens or ends writes ("insert", "begin", "commit"...),
// as opposed to one that may change the tables themselves.
bool keepsTables(const char *sql) {
    while (*sql == ' ' || *sql == '\n' || *sql == '\r' || *sql == '\t')
        ++sql;
    for (const char *word :
         {"insert", "update", "delete", "replace", "begin", "commit", "end", "savepoint", "release"})
        if (sqlite3_strnicmp(sql, word, int(std::strlen(word))) == 0) return true;
    return false;
}

} // namespace

void ReleaseStatement(sqlite3_stmt *stmt) {
    if (!stmt) return;
    State &s = state();
    if (!s.handle || sqlite3_db_handle(stmt) != s.handle) {
        sqlite3_finalize(stmt);
        return;
    }
    if (!sqlite3_stmt_readonly(stmt) && !keepsTables(sqlite3_sql(stmt))) {
        // It may have changed the tables (create, drop, alter, reindex...): statements
        // kept must be compiled anew, so that a missing table fails where it is named.
        sqlite3_finalize(stmt);
        finalizeIdle(s);
        return;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_SORT, 1); // counts the next run's sorting only
    constexpr size_t Kept = 48;
    if (s.idle.size() >= Kept) {
        sqlite3_finalize(s.idle.front().stmt);
        s.idle.erase(s.idle.begin());
    }
    s.idle.push_back({QByteArray(sqlite3_sql(stmt)), stmt});
}

void BindValue(sqlite3_stmt *stmt, int position, const QVariant &v) {
    int rc = SQLITE_OK;
    if (v.isNull()) {
        rc = sqlite3_bind_null(stmt, position);
    } else {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt, position, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, position, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(stmt, position, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray b = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, position, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK) ThrowEngineError(QStringLiteral("Не удалось передать значение в запрос"));
}

void StepDone(sqlite3_stmt *stmt, const QString &sqlForMessage) {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) ThrowEngineError(QStringLiteral("Ошибка при выполнении «%1»").arg(sqlForMessage.simplified()));
}

QVariant ColumnValue(sqlite3_stmt *stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                                   sqlite3_column_bytes(stmt, column)));
    default:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                                          sqlite3_column_bytes(stmt, column)));
    }
}

// ---- Database -------------------------------------------------------------------------

void Database::Open(const QString &folder) {
    if (IsOpen()) Close();
    if (!QDir(folder).exists() && !QDir().mkpath(folder))
        throw EDatabaseError(
            QStringLiteral("Не удалось создать папку данных «%1». Проверьте, что диск доступен для "
                           "записи, и запустите программу снова.")
                .arg(shownPath(folder)));
    const int lock = lockFolder(folder);
    QString readOnlyNotice;
    sqlite3 *h = nullptr;
    try {
        h = openDataFile(folder, readOnlyNotice);
    } catch (...) {
        ::close(lock);
        throw;
    }
    State &s = state();
    s.handle = h;
    s.folder = folder;
    s.folderLock = lock;
    s.readOnlyNotice = readOnlyNotice;
}

namespace {

// Closes every open dataset and the connection; the folder stays locked.
void closeConnection(State &s) {
    const QList<TDataSet *> open(s.dataSets.begin(), s.dataSets.end());
    for (TDataSet *ds : open)
        if (ds->Active()) ds->Close();
    s.readers.clear();
    s.locks.clear();
    s.appliedInTransaction.clear();
    s.savepointDepth = 0;
    finalizeIdle(s);
    sqlite3_close_v2(s.handle);
    s.handle = nullptr;
    s.readOnlyNotice.clear();
}

} // namespace

void Database::Close() {
    State &s = state();
    if (!s.handle) return;
    closeConnection(s);
    ::close(s.folderLock);
    s.folderLock = -1;
}

QString Database::ReadOnlyNotice() {
    return state().readOnlyNotice;
}

bool Database::IsOpen() { return state().handle != nullptr; }
QString Database::Folder() { return state().folder; }

sqlite3 *Database::handle() {
    if (!state().handle) throw EDatabaseError(QStringLiteral("База данных не открыта"));
    return state().handle;
}

void Database::Exec(const QString &sql, const QVariantList &binds) {
    suspendReaders();
    StatementPtr stmt = Prepare(sql);
    for (int i = 0; i < binds.size(); ++i) BindValue(stmt.get(), i + 1, binds[i]);
    StepDone(stmt.get(), sql);
}

QVariant Database::ScalarValue(const QString &sql, const QVariantList &binds) {
    StatementPtr stmt = Prepare(sql);
    for (int i = 0; i < binds.size(); ++i) BindValue(stmt.get(), i + 1, binds[i]);
    const int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_ROW) return ColumnValue(stmt.get(), 0);
    if (rc != SQLITE_DONE) ThrowEngineError(QStringLiteral("Ошибка при выполнении «%1»").arg(sql.simplified()));
    return QVariant();
}

qint64 Database::LastInsertRowId() { return sqlite3_last_insert_rowid(handle()); }
bool Database::InTransaction() { return state().savepointDepth > 0; }

int Database::CompareText(const QString &a, const QString &b) {
    qsizetype ia = 0, ib = 0;
    auto na = [&](char32_t &c) {
        if (ia >= a.size()) return false;
        c = a[ia++].unicode();
        return true;
    };
    auto nb = [&](char32_t &c) {
        if (ib >= b.size()) return false;
        c = b[ib++].unicode();
        return true;
    };
    return compareWith<std::function<bool(char32_t &)>>(na, nb);
}

void Database::registerReader(TDataSet *dataSet, std::function<void()> finish) {
    state().readers[dataSet] = std::move(finish);
}

void Database::unregisterReader(TDataSet *dataSet) { state().readers.erase(dataSet); }

void Database::suspendReaders() {
    // Suspending a reader unregisters it; take the list first.
    std::vector<std::function<void()>> pending;
    for (auto &entry : state().readers) pending.push_back(entry.second);
    state().readers.clear();
    for (auto &suspend : pending)
        suspend();
}

qint64 Database::DataGeneration() {
    const State &s = state();
    return (s.handle ? sqlite3_total_changes64(s.handle) : 0) + s.rollbacks;
}

void Database::registerDataSet(TDataSet *dataSet) { state().dataSets.insert(dataSet); }

void Database::unregisterDataSet(TDataSet *dataSet) {
    State &s = state();
    s.dataSets.remove(dataSet);
    s.readers.erase(dataSet);
    s.appliedInTransaction.remove(dataSet);
    for (auto it = s.locks.begin(); it != s.locks.end(); ++it) {
        it->users.remove(dataSet);
        if (it->exclusive == dataSet) it->exclusive = nullptr;
    }
}

void Database::AcquireTable(const QString &sqlName, TDataSet *user, bool exclusive) {
    TableLock &lock = state().locks[sqlName.toLower()];
    if (lock.exclusive && lock.exclusive != user)
        throw EDatabaseError(QStringLiteral("Таблица «%1» открыта монопольно и сейчас недоступна").arg(sqlName));
    if (exclusive) {
        for (TDataSet *other : lock.users)
            if (other != user)
                throw EDatabaseError(
                    QStringLiteral("Таблица «%1» уже открыта и не может быть открыта монопольно").arg(sqlName));
        lock.exclusive = user;
    }
    lock.users.insert(user);
}

void Database::ReleaseTable(const QString &sqlName, TDataSet *user) {
    auto it = state().locks.find(sqlName.toLower());
    if (it == state().locks.end()) return;
    it->users.remove(user);
    if (it->exclusive == user) it->exclusive = nullptr;
}

void Database::noteAppliedInTransaction(TDataSet *dataSet) { state().appliedInTransaction.insert(dataSet); }

// ---- The data folder as files --------------------------------------------------------

QList<TDataSet *> Database::Suspend() {
    State &s = state();
    if (!s.handle) return {};
    if (s.savepointDepth > 0) throw EDatabaseError(QStringLiteral("Папку данных нельзя закрыть посреди записи."));
    suspendReaders();
    QList<TDataSet *> open;
    for (TDataSet *ds : std::as_const(s.dataSets))
        if (ds->Active()) open << ds;
    const QString busy = QStringLiteral("Базу данных сейчас читает другая программа, и закрыть её для копирования "
                                        "нельзя. Повторите через несколько секунд.");
    // A reader elsewhere keeps the log from being emptied: then nothing is closed.
    int logFrames = -1, copied = -1;
    const int rc = sqlite3_wal_checkpoint_v2(s.handle, nullptr, SQLITE_CHECKPOINT_TRUNCATE, &logFrames, &copied);
    if (rc != SQLITE_OK || logFrames > 0) throw EDatabaseError(busy);
    // The folder stays locked by this program while its file is copied or replaced.
    closeConnection(s);
    const QString log = QDir(s.folder).filePath(fileName() + QStringLiteral("-wal"));
    if (QFileInfo::exists(log)) {
        // The log of a database file deleted while it was open belongs to nothing; beside
        // a file restored under that name it would be replayed into it.
        if (!QFileInfo::exists(QDir(s.folder).filePath(fileName()))) {
            QFile::remove(log);
            QFile::remove(QDir(s.folder).filePath(fileName() + QStringLiteral("-shm")));
            return open;
        }
        Resume(ReopenCheck::None);
        throw EDatabaseError(busy);
    }
    return open;
}

void Database::Resume(ReopenCheck check) {
    State &s = state();
    if (s.handle) return;
    if (s.folderLock < 0) {
        Open(s.folder);
        return;
    }
    QString readOnlyNotice;
    s.handle = openDataFile(s.folder, readOnlyNotice, check);
    s.readOnlyNotice = readOnlyNotice;
}

bool Database::IsServiceFile(const QString &name) {
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive)) return true;
    return false;
}

QString Database::CheckFile(const QString &path) {
    if (!QFileInfo(path).isFile()) return QStringLiteral("Файла «%1» нет.").arg(shownPath(path));
    try {
        checkFile(path, true, PageCheck::Full);
    } catch (const EFileRefused &e) {
        return e.sentence();
    } catch (const EDatabaseError &e) {
        return e.message();
    }
    return QString();
}

// ---- Transactions ---------------------------------------------------------------------

TTransaction::TTransaction() {
    State &s = state();
    Database::suspendReaders();
    if (s.savepointDepth == 0) {
        Database::Exec(QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        // Named by depth: the savepoints open at one time differ, and a save's
        // statements keep the few texts the statement cache already holds.
        m_savepoint = QStringLiteral("orbek_sp%1").arg(s.savepointDepth);
        Database::Exec(QStringLiteral("SAVEPOINT ") + m_savepoint);
    }
    ++s.savepointDepth;
}

TTransaction::~TTransaction() {
    if (m_done) return;
    State &s = state();
    if (!s.handle) return;
    Database::suspendReaders();
    const QString rollback = m_savepoint.isEmpty() ? QStringLiteral("ROLLBACK")
                                                   : QStringLiteral("ROLLBACK TO ") + m_savepoint +
                                                         QStringLiteral("; RELEASE ") + m_savepoint;
    sqlite3_exec(s.handle, rollback.toUtf8().constData(), nullptr, nullptr, nullptr);
    finalizeIdle(s); // the tables may be back as they were before the writes
    ++s.rollbacks;
    --s.savepointDepth;
    // Rows applied inside the rolled-back writes are pending again; tables written
    // inside re-read what the database now holds.
    const QList<TDataSet *> applied(s.appliedInTransaction.begin(), s.appliedInTransaction.end());
    if (s.savepointDepth == 0) s.appliedInTransaction.clear();
    for (TDataSet *ds : applied) ds->transactionRolledBack();
}

void TTransaction::Commit() {
    if (m_done) return;
    State &s = state();
    Database::Exec(m_savepoint.isEmpty() ? QStringLiteral("COMMIT")
                                         : QStringLiteral("RELEASE ") + m_savepoint);
    m_done = true;
    --s.savepointDepth;
    if (s.savepointDepth == 0) {
        const QList<TDataSet *> applied(s.appliedInTransaction.begin(), s.appliedInTransaction.end());
        s.appliedInTransaction.clear();
        for (TDataSet *ds : applied) ds->transactionCommitted();
    }
}

} // namespace db
