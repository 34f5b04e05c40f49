#pragma once
// Inside the engine: how the rows a dataset shows are held. A dataset keeps a bounded
// window of rows in memory, numbered in result order; the rest is re-read on demand.
// A row keeps the stored values of its columns encoded in one byte buffer (one
// allocation a row, decoded on access), so reading a row costs no more than a copy.
#include "db/DataSet.h"

#include <QByteArray>
#include <QVariant>
#include <deque>
#include <map>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace db {

// The date of stored text "yyyy-mm-dd" (what follows is ignored), given as `n` UTF-8
// bytes or UTF-16 units; invalid when the text is no such date. Read for every date
// shown, so without a general parser.
template <class Char> QDate IsoDate(const Char *p, qint64 n) {
    if (n < 10 || p[4] != '-' || p[7] != '-') return {};
    int parts[3] = {0, 0, 0};
    const int from[3] = {0, 5, 8}, to[3] = {4, 7, 10};
    for (int k = 0; k < 3; ++k)
        for (int i = from[k]; i < to[k]; ++i) {
            if (p[i] < '0' || p[i] > '9') return {};
            parts[k] = parts[k] * 10 + (p[i] - '0');
        }
    return QDate(parts[0], parts[1], parts[2]);
}

// Stored values: null, qint64, double, QString (text) or QByteArray (blob).
class RowCodec {
public:
    static QByteArray fromStatement(sqlite3_stmt *stmt, int firstColumn, int columns);
    static QByteArray fromValues(const std::vector<QVariant> &values);
    static QVariant cell(const QByteArray &row, int column);
    // The cell as a field of `type` reads it: db::FromStorage(type, cell(row, column)),
    // without the stored value in between for the common types.
    static QVariant typedCell(const QByteArray &row, int column, TFieldType type);
    static std::vector<QVariant> values(const QByteArray &row);
    static int columnCount(const QByteArray &row);
};

struct Row {
    QByteArray data;   // current values
    QByteArray old;    // values when read or last committed (valid when hasOld)
    bool hasOld = false;
    TUpdateStatus status = TUpdateStatus::usUnmodified;
    bool applied = false;       // written by ApplyUpdates, waiting for CommitUpdates
    bool appliedInTxn = false;  // applied inside a transaction that is still open
    bool local = false;         // added here and not (yet) in the rows' source
    qint64 rowid = 0;           // the row's identity in its table (0: unknown)
    QByteArray key;             // keyed sources: the order values then the rowid (empty: unknown)
    QByteArray beforeApply;     // values before ApplyUpdates gave the row its key
    std::vector<QVariant> calc; // calculated and lookup values
    bool calcValid = false;

    QVariant oldCell(int column) const { return RowCodec::cell(hasOld ? old : data, column); }
};

using RowPtr = std::shared_ptr<Row>;

// The window: rows numbered begin .. begin + size() - 1, contiguous in result order.
// Numbers are positions from the first row once `origin` is known; a dataset that
// reached its end by reading backwards numbers its rows from an arbitrary base until
// something tells where the first row is.
class RowStore {
public:
  std::deque<RowPtr> rows;
  int begin = 0;
  std::vector<QString> columnNames; // the result's column names (after "_1" renaming)

  // What is known about the whole result, in row numbers.
  bool startKnown = false; // rows start at `first`
  bool endKnown = false;   // rows end before `end`
  int first = 0;           // number of the first row (valid when startKnown)
  int end = 0;             // one past the number of the last row (valid when endKnown)
  // The numbers reached so far without a gap: rows between are re-read by key from
  // the nearest checkpoint (the key of a row every few hundred).
  int spanBegin = 0, spanEnd = 0;
  std::map<int, QByteArray> checkpoints;

  int size() const { return int(rows.size()); }
  int windowEnd() const { return begin + size(); }
  bool holds(int number) const { return number >= begin && number < windowEnd(); }
  const RowPtr &at(int number) const { return rows[size_t(number - begin)]; }
  int columnIndex(const QString &name) const; // case-insensitive; -1 when missing
  // Every row of the result is in the window.
  bool complete() const { return startKnown && endKnown && first == begin && end == windowEnd(); }

  void clear() {
      rows.clear();
      begin = first = end = spanBegin = spanEnd = 0;
      startKnown = endKnown = false;
      checkpoints.clear();
    }
    // A row inserted at `number` or removed from it: the numbers after it move.
    void shiftFrom(int number, int by);
    // Every number moves by `by`: the rows, the known start and end, the span, the checkpoints.
    void renumber(int by);
};

} // namespace db
