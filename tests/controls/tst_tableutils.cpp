// Finding a record by one field's value: through an index of the table (on a second
// cursor when the table is ordered otherwise), through a filtered second cursor, or the
// dataset's own search; what each leaves the dataset on.
#include "controls/TableUtils.h"
#include "db/Database.h"
#include "db/Query.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Own organisation 1 shares its INN with partner 3; ids 1, 10 and 11 start with "1".
void fillKlient() {
    db::Database::Exec("insert into Klient (Name, Inn, FlSvoy) values "
                       "('Бета', '7701', 'T'), ('ABC', '500', 'F'), ('Яков', '7701', 'F'), "
                       "('abd', '12', 'F'), ('Б5', null, 'F'), ('Б6', null, 'F'), ('Б7', null, 'F'), "
                       "('Б8', null, 'F'), ('Б9', null, 'F'), ('Аист', '300', 'F'), ('Юг', '400', 'F')");
}

qint64 idOf(const TDataSet &ds) {
    return ds.FieldByName("Klient_id")->AsInteger();
}

} // namespace

class TableUtilsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        db::Database::Open(m_dir->filePath("dat"));
        fillKlient();
    }
    void cleanup() { db::Database::Close(); }

    // The same text rules through the table's own index and through a query's search.
    void textMatchesByCaseAndLength() {
        std::unique_ptr<TLocateObject> loc = CreateLocateObject();
        QVERIFY(dynamic_cast<TDBLocate *>(loc.get()));
        TTable table(nullptr, "Klient.DB");
        table.SetIndexFieldNames("Name");
        TQuery query;
        query.SetSQLText("select * from Klient order by Name");
        for (TDataSet *ds : {static_cast<TDataSet *>(&table), static_cast<TDataSet *>(&query)}) {
            ds->Open();
            loc->SetDataSet(ds);
            ds->Last();
            QVERIFY(loc->Locate("Name", "", false, true)); // an empty start matches the first
            QCOMPARE(ds->RecNo(), 0);
            QVERIFY(loc->Locate("Name", "abc", true, false));
            QCOMPARE(ds->FieldByName("Name")->AsString(), "ABC");
            // Case-sensitive: "abc" is not "ABC", and the cursor stays.
            ds->Last();
            const qint64 last = ds->RowId();
            QVERIFY(!loc->Locate("Name", "abc", true, true));
            QCOMPARE(ds->RowId(), last);
            // A start with case skips "ABC" for "abd"; without case "ABC" comes first.
            QVERIFY(loc->Locate("Name", "ab", false, true));
            QCOMPARE(ds->FieldByName("Name")->AsString(), "abd");
            QVERIFY(loc->Locate("Name", "ab", false, false));
            QCOMPARE(ds->FieldByName("Name")->AsString(), "ABC");
            QVERIFY(!loc->Locate("Name", "abx", false, false));
            QCOMPARE(ds->FieldByName("Name")->AsString(), "ABC");
        }
    }

    // Partners only, in name order: a search by INN runs on a second cursor in INN
    // order, and the table keeps its index and range and moves to the row found.
    void indexSearchLeavesTheTableItsOrder() {
        TTable klient(nullptr, "Klient.DB");
        klient.Open();
        klient.SetIndexName("Nam");
        klient.SetRange({"F"}, {"F"});
        TDBLocate loc;
        loc.SetDataSet(&klient);
        // INN 7701 is first the own organisation's, outside the range: the partner's is found.
        QVERIFY(loc.Locate("Inn", "7701", true, true));
        QCOMPARE(idOf(klient), 3);
        QCOMPARE(klient.IndexName(), "Nam");
        QVERIFY(klient.HasRange());
        QCOMPARE(klient.RangeStart(), QVariantList{"F"});
        QVERIFY(loc.Locate("Inn", "30", false, true));
        QCOMPARE(idOf(klient), 10);
        QVERIFY(!loc.Locate("Inn", "999", true, true));
        QCOMPARE(idOf(klient), 10);
        QVERIFY(loc.Locate("Inn", "77", false, true));
        QCOMPARE(idOf(klient), 3);
        // The second cursor is gone: the table opens exclusively again.
        klient.Close();
        klient.Exclusive = true;
        klient.Open();
    }

    // A number: text it cannot hold fails before the cursor moves; its start is
    // searched on a filtered second cursor that keeps the table's range and order.
    void numericFieldByTextAndStart() {
        TTable klient(nullptr, "Klient.DB");
        klient.Open();
        klient.SetIndexName("Nam");
        klient.SetRange({"F"}, {"F"});
        klient.Last();
        QCOMPARE(klient.FieldByName("Name")->AsString(), "Яков");
        TDBLocate loc;
        loc.SetDataSet(&klient);
        QVERIFY_THROWS_EXCEPTION(EConvertError, loc.Locate("Klient_id", "abc", false, true));
        QCOMPARE(idOf(klient), 3);
        // Ids 10 and 11 start with "1" (1 is outside the range): "Аист" comes first.
        QVERIFY(loc.Locate("Klient_id", "1", false, true));
        QCOMPARE(idOf(klient), 10);
        QVERIFY(!loc.Locate("Klient_id", "12", false, true));
        QCOMPARE(idOf(klient), 10);
        QVERIFY(loc.Locate("Klient_id", "11", true, true));
        QCOMPARE(klient.FieldByName("Name")->AsString(), "Юг");
    }

    // A second cursor opens on its source's row; without reset it keeps the source's
    // order and range, read-only it refuses changes; a query's copy keeps its parameters.
    void clonesStandOnTheSourceRow() {
        TTable klient(nullptr, "Klient.DB");
        klient.Open();
        klient.SetIndexName("Nam");
        klient.SetRange({"F"}, {"F"});
        QVERIFY(klient.FindKey({"F", "Яков"}));
        TCloneTable clone;
        clone.SetReadOnly(true);
        clone.InitFromTable(&klient, false);
        QCOMPARE(idOf(clone), 3);
        QCOMPARE(clone.IndexName(), "Nam");
        clone.Next();
        QVERIFY(clone.Eof()); // "Яков" is the last partner; the own organisation stays out
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, clone.Edit());
        clone.InitFromTable(&klient, true);
        QCOMPARE(idOf(clone), 1);

        TQuery query;
        query.SetSQLText("select * from Klient where FlSvoy = :fl order by Name");
        query.ParamByName("fl")->SetAsString("F");
        query.Open();
        query.Next();
        TCloneDbDataset copy;
        copy.InitFromDataset(&query, false);
        QCOMPARE(idOf(copy), idOf(query));
        copy.Last();
        QCOMPARE(copy.FieldByName("Name")->AsString(), "Яков");
    }

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TableUtilsTest)
#include "tst_tableutils.moc"
