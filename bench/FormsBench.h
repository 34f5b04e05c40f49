#pragma once
// What the benchmarks of the forms share: a data folder filled by the benchmark's own
// inserts, then the program started on it as the user would.
#include "Timing.h"
#include "app/LogoMain.h"
#include "db/Clock.h"
#include "db/Database.h"

#include <QDate>
#include <QElapsedTimer>
#include <QString>

namespace bench {

// Creates the data folder `folder`, fills it by `fill` and closes it; returns the ms
// the filling took.
template <class Fill> double FillDataFolder(const QString &folder, Fill fill) {
    db::Database::Open(folder);
    QElapsedTimer t;
    t.start();
    fill();
    const double took = ms(t);
    db::Database::Close();
    return took;
}

// Starts the program on `folder` with `today` the date; false when it refused to start.
inline bool StartUpOn(const QString &folder, const QDate &today) {
    Clock::setToday(today);
    return StartUp(folder);
}

} // namespace bench
