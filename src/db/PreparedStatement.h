#pragma once
// One statement prepared once and run many times, for work that writes or reads many
// rows outside the datasets (the imports of earlier versions' files). Values are bound
// as stored values (db::ToStorage); the statement belongs to the program's database.
#include "db/Errors.h"

#include <QString>
#include <QVariant>
#include <memory>

namespace db {

class PreparedStatement {
  public:
    // Prepares the statement; throws EDatabaseError when it does not compile.
    explicit PreparedStatement(const QString &sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement &) = delete;
    PreparedStatement &operator=(const PreparedStatement &) = delete;

    // Binds a stored value at a 1-based position.
    void Bind(int position, const QVariant &stored);
    // Runs a statement that returns no rows, then resets it for the next run. The
    // datasets finish their reading first, as before any write. Throws EDatabaseError.
    void Run();
    // Steps a query to its next row: false at the end (the statement is then reset).
    bool Next();
    // A column of the current row as a stored value.
    QVariant Value(int column) const;
    // Resets a query before its end, so it can be run again with new values.
    void Reset();

  private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace db
