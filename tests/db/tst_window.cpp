// Datasets larger than the rows they hold: walks both ways across the window's
// edges, searches outside it, counts, writes while a dataset reads, and a re-read
// that fails.
#include "db/Database.h"
#include "db/Query.h"
#include "db/Table.h"
#include "helper_tempdb.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

// Orders numbered 1..count (one in ten for payer 2), the sum 1.5 times the number,
// stored in a shuffled rowid order so the key order is not the table's.
void addOrders(int count) {
    db::TTransaction transaction;
    db::Database::Exec(
        QStringLiteral("insert into PlatPor (NUMBER, SUMMA, R_NAME, Id_Post) "
                       "with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
                       "select i, i * 1.5, 'Получатель ' || i, case when i % 10 = 0 then 2 else 1 end "
                       "from n order by (i * 7919) % ?"),
        {count, count});
    transaction.Commit();
}

QList<int> walkForward(TDataSet &ds) {
    QList<int> numbers;
    for (ds.First(); !ds.Eof(); ds.Next())
        numbers << int(ds.FieldByName("NUMBER")->AsInteger());
    return numbers;
}

QList<int> walkBackward(TDataSet &ds) {
    QList<int> numbers;
    for (ds.Last(); !ds.Bof(); ds.Prior())
        numbers.prepend(int(ds.FieldByName("NUMBER")->AsInteger()));
    return numbers;
}

QList<int> range(int from, int to, int step = 1) {
    QList<int> out;
    for (int i = from; step > 0 ? i <= to : i >= to; i += step)
        out << i;
    return out;
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
  private slots:

    // Every kind of source walked both ways over several windows: the same rows in the
    // same order, whichever end the walk starts from.
    void walksBothWaysAcrossWindows_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("table order") << QString() << range(1, 5000);
        QTest::newRow("keyed query") << QStringLiteral(
                                            "select * from PlatPor where Id_Post = 1 order by NUMBER desc")
                                     << range(5000, 1, -1);
        QTest::newRow("query by offset")
            << QStringLiteral(
                   "select NUMBER, SUMMA from PlatPor where NUMBER % 2 = 0 order by NUMBER limit 100000")
            << range(2, 5000, 2);
    }
    void walksBothWaysAcrossWindows() {
        QFETCH(QString, sql);
        QFETCH(QList<int>, expected);
        TempDataFolder folder;
        addOrders(5000);
        if (sql.contains(QLatin1String("Id_Post"))) expected.removeIf([](int n) { return n % 10 == 0; });
        std::unique_ptr<TDataSet> ds;
        if (sql.isEmpty()) {
            auto *table = new TTable(nullptr, "PlatPor.DB");
            table->SetIndexFieldNames("NUMBER");
            ds.reset(table);
        } else {
            auto *query = new TQuery;
            query->SetSQLText(sql);
            ds.reset(query);
        }
        ds->Open();
        QCOMPARE(walkForward(*ds), expected);
        QCOMPARE(walkBackward(*ds), expected);
        QCOMPARE(ds->RecordCount(), expected.size());
        // From the last row back across the window's edge, then forth again.
        ds->Last();
        QCOMPARE(ds->RecNo(), expected.size() - 1);
        for (int i = 0; i < 1500; ++i)
            ds->Prior();
        QCOMPARE(ds->FieldByName("NUMBER")->AsInteger(), expected[expected.size() - 1501]);
        QCOMPARE(ds->RecNo(), expected.size() - 1501);
        QCOMPARE(ds->MoveBy(700), 700);
        QCOMPARE(ds->FieldByName("NUMBER")->AsInteger(), expected[expected.size() - 801]);
        ds->SetRecNo(3);
        QCOMPARE(ds->FieldByName("NUMBER")->AsInteger(), expected[3]);
        // A report's pass: every row by number after FetchAll, the cursor unmoved.
        ds->FetchAll();
        QCOMPARE(ds->FetchedRowCount(), expected.size());
        QList<int> read;
        for (int row = 0; row < ds->FetchedRowCount(); ++row) {
            ActiveRowScope scope(ds.get(), row);
            read << int(ds->FieldByName("NUMBER")->AsInteger());
        }
        QCOMPARE(read, expected);
        QCOMPARE(ds->RecNo(), 3);
    }

    // Locate and Lookup of rows far outside the window, by stored value (left to
    // SQLite), by text without case and by prefix (read through), and a miss.
    void searchesOutsideTheWindow() {
        TempDataFolder folder;
        addOrders(20000);
        TQuery plat;
        plat.SetSQLText("select * from PlatPor order by NUMBER");
        plat.Open();
        QVERIFY(plat.Locate("NUMBER", 15000));
        QCOMPARE(plat.FieldByName("SUMMA")->AsFloat(), 22500.0);
        QCOMPARE(plat.RecNo(), 14999);
        plat.Next();
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 15001);
        plat.Prior();
        plat.Prior();
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 14999);
        QVERIFY(
            plat.Locate("R_NAME", QStringLiteral("получатель 1777"), int(TLocateOption::loCaseInsensitive)));
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 1777);
        QVERIFY(plat.Locate("R_NAME", QStringLiteral("Получатель 1999"), int(TLocateOption::loPartialKey)));
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 1999);
        QVERIFY(plat.Locate("NUMBER;SUMMA", QVariantList{19999, 29998.5}));
        QCOMPARE(plat.RecNo(), 19998);
        QVERIFY(!plat.Locate("NUMBER", 20001));
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 19999); // unmoved
        QVERIFY(!plat.Locate("NUMBER", QStringLiteral("не число")));
        plat.First();
        QCOMPARE(plat.Lookup("NUMBER", 18000, "R_NAME").toString(), QStringLiteral("Получатель 18000"));
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 1); // Lookup does not move
        plat.Last();
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 20000);
        QCOMPARE(plat.RecordCount(), 20000);
    }

    // A text filter over several windows: the rows it lets through, counted and
    // walked both ways, found and not found.
    void filteredRowsAcrossWindows() {
        TempDataFolder folder;
        addOrders(6000);
        TTable plat(nullptr, "PlatPor.DB");
        plat.SetIndexFieldNames("NUMBER");
        plat.Filter = QStringLiteral("SUMMA > 3000 and SUMMA <= 7500");
        plat.Open();
        plat.SetFiltered(true);
        const QList<int> expected = range(2001, 5000);
        QCOMPARE(plat.RecordCount(), expected.size());
        QCOMPARE(walkBackward(plat), expected);
        QCOMPARE(walkForward(plat), expected);
        plat.Last();
        QCOMPARE(plat.RecNo(), expected.size() - 1);
        QVERIFY(plat.Locate("NUMBER", 2500));
        QCOMPARE(plat.RecNo(), 499);
        QVERIFY(!plat.Locate("NUMBER", 5500));
        plat.SetFiltered(false);
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 2500);
        QCOMPARE(plat.RecordCount(), 6000);
    }

    // A table finds the nearest key and a key outside its window.
    void tableFindsKeysOutsideTheWindow() {
        TempDataFolder folder;
        addOrders(5000);
        TTable plat(nullptr, "PlatPor.DB");
        plat.SetIndexFieldNames("NUMBER");
        plat.Open();
        QVERIFY(plat.FindKey({4321}));
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 4321);
        QVERIFY(!plat.FindKey({4321.5}));
        plat.FindNearest({2500.5});
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 2501);
        plat.FindNearest({9999});
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 5000);
        plat.Prior();
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 4999);
    }

    // A write while a query is being read by offset: the write does not read it to
    // its end, and the query goes on reading afterwards.
    void writeDoesNotReadOpenDatasets() {
        TempDataFolder folder;
        addOrders(50000);
        TQuery reading;
        reading.SetSQLText("select NUMBER from PlatPor where NUMBER > 0 order by NUMBER limit 1000000");
        reading.Open();
        for (int i = 0; i < 300; ++i)
            reading.Next();
        TQuery keyed;
        keyed.SetSQLText("select * from PlatPor order by NUMBER");
        keyed.Open();
        keyed.Last();
        db::Database::Exec("insert into PlatPor (NUMBER) values (50001)");
        QVERIFY(!reading.AllRowsFetched());
        QVERIFY(reading.FetchedRowCount() < 2000);
        reading.Next();
        QCOMPARE(reading.FieldByName("NUMBER")->AsInteger(), 302);
        QCOMPARE(reading.RecordCount(), 50001);
        // The keyed query stays on its row; the row written after it is read on.
        QCOMPARE(keyed.FieldByName("NUMBER")->AsInteger(), 50000);
        keyed.Next();
        QCOMPARE(keyed.FieldByName("NUMBER")->AsInteger(), 50001);
    }

    // A keyed query walked forwards through its open statement, a row written and
    // one deleted ahead of it: the walk goes on over the rows as they are now.
    void keyedWalkGoesOnOverAWrite() {
        TempDataFolder folder;
        addOrders(5000);
        TQuery keyed;
        keyed.SetSQLText("select * from PlatPor where Id_Post = 1 order by NUMBER");
        keyed.Open();
        QList<double> walked;
        for (int i = 0; i < 2000; ++i, keyed.Next())
            walked << keyed.FieldByName("NUMBER")->AsFloat();
        db::Database::Exec("insert into PlatPor (NUMBER, Id_Post) values (2500.5, 1)");
        db::Database::Exec("delete from PlatPor where NUMBER = 2501");
        for (; !keyed.Eof(); keyed.Next())
            walked << keyed.FieldByName("NUMBER")->AsFloat();
        QList<double> expected;
        for (int n = 1; n <= 5000; ++n)
            if (n % 10 != 0 && n != 2501) expected << n;
        expected.insert(expected.indexOf(2502), 2500.5);
        QCOMPARE(walked, expected);
        QCOMPARE(keyed.RecNo(), expected.size() - 1);
    }

    // The register's way of adding: a cached query over many rows appends, posts,
    // applies and commits; counts, the end and a re-read agree with the table.
    void cachedAppendAtTheEndOfManyRows() {
        TempDataFolder folder;
        addOrders(5000);
        TUpdateSQL upd;
        upd.InsertSQL << QStringLiteral("insert into PlatPor (NUMBER, SUMMA) values (:NUMBER, :SUMMA)");
        upd.DeleteSQL << QStringLiteral("delete from PlatPor where PlatPor_id = :OLD_PlatPor_id");
        TQuery plat;
        plat.CachedUpdates = true;
        plat.UpdateObject = &upd;
        plat.SetSQLText("select * from PlatPor order by NUMBER");
        plat.Open();
        plat.Append();
        plat.FieldByName("NUMBER")->SetAsInteger(5001);
        plat.FieldByName("SUMMA")->SetAsFloat(7.5);
        plat.Post();
        QCOMPARE(plat.RecordCount(), 5001);
        plat.ApplyUpdates();
        plat.CommitUpdates();
        QVERIFY(plat.FieldByName("PlatPor_id")->AsInteger() > 5000);
        QCOMPARE(plat.RecNo(), 5000);
        plat.Prior();
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 5000);
        plat.First();
        plat.Last();
        QCOMPARE(plat.FieldByName("SUMMA")->AsFloat(), 7.5);
        // A cached delete far from the start, then given up.
        QVERIFY(plat.Locate("NUMBER", 4000));
        plat.Delete();
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 4001);
        QCOMPARE(plat.RecordCount(), 5000);
        plat.CancelUpdates();
        QCOMPARE(plat.RecordCount(), 5001);
        plat.Refresh();
        QCOMPARE(plat.RecordCount(), 5001);
    }

    // A row added outside the query's conditions stays on show once written, and a
    // search by its new key finds it among many rows (the editor of a new document).
    void rowWrittenOutsideTheConditionsIsFound() {
        TempDataFolder folder;
        addOrders(3000);
        TUpdateSQL upd;
        upd.InsertSQL << QStringLiteral("insert into PlatPor (NUMBER) values (:NUMBER)");
        TQuery plat;
        plat.CachedUpdates = true;
        plat.UpdateObject = &upd;
        plat.SetSQLText("select * from PlatPor where Id_Post = 1 order by NUMBER");
        plat.Open();
        plat.Last();
        plat.Append();
        plat.FieldByName("NUMBER")->SetAsInteger(3001);
        plat.Post();
        plat.ApplyUpdates();
        plat.CommitUpdates();
        const qint64 key = plat.FieldByName("PlatPor_id")->AsInteger();
        plat.Prior();
        QVERIFY(plat.Locate("PlatPor_id", key));
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 3001);
        QCOMPARE(plat.Lookup("PlatPor_id", key, "NUMBER").toInt(), 3001);
        QVERIFY(!plat.Locate("PlatPor_id", key + 1));
    }

    // A filter that does not parse: the error, then the rows as they were; Edit and
    // Post change the row in place instead of adding one.
    void failedRereadKeepsTheRows() {
        TempDataFolder folder;
        addOrders(3);
        TTable plat(nullptr, "PlatPor.DB");
        plat.SetIndexFieldNames("NUMBER");
        plat.Open();
        plat.Next();
        plat.Filter = QStringLiteral("SUMMA >>> (");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, plat.SetFiltered(true));
        QVERIFY(plat.Active());
        QVERIFY(!plat.Filtered);
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 2);
        plat.Edit();
        plat.FieldByName("SUMMA")->SetAsFloat(99);
        plat.Post();
        QCOMPARE(db::Database::ScalarValue("select count(*) from PlatPor").toInt(), 3);
        QCOMPARE(db::Database::ScalarValue("select SUMMA from PlatPor where NUMBER = 2").toDouble(), 99.0);
        // A table gone under an open dataset: Refresh fails, the rows stay readable.
        TQuery query;
        query.SetSQLText("select * from PlatPor order by NUMBER");
        query.Open();
        query.Last();
        db::Database::Exec("alter table PlatPor rename to PlatPorGone");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, query.Refresh());
        QVERIFY(query.Active());
        QCOMPARE(query.FieldByName("NUMBER")->AsInteger(), 3);
        db::Database::Exec("alter table PlatPorGone rename to PlatPor");
        query.Refresh();
        QCOMPARE(query.FieldByName("NUMBER")->AsInteger(), 3);
    }
};

QTEST_GUILESS_MAIN(TestWindow)
#include "tst_window.moc"
