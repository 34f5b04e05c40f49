// What the engine changes in a query text before SQLite runs it, and what it leaves.
#include "db/SqlText.h"

#include <QtTest>

class TestSqlText : public QObject {
    Q_OBJECT
private slots:
    void translate_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("text order gets the collation")
            << "select * from Klient order by Name" << "select * from Klient order by Name COLLATE RU";
        QTest::newRow("numeric column keeps its index order")
            << "select * from PLATPOR order by NUMBER" << "select * from PLATPOR order by NUMBER";
        QTest::newRow("qualified and several terms")
            << "select * from Faktur_zag z order by z.Name_Pokupat,DateOpl desc"
            << "select * from Faktur_zag z order by z.Name_Pokupat COLLATE RU,DateOpl desc";
        QTest::newRow("alias of an aggregate")
            << "select max(f.Name_Tov) NameTov from Faktura f group by f.Name_Tov order by NameTov"
            << "select max(f.Name_Tov) NameTov from Faktura f group by f.Name_Tov order by NameTov COLLATE RU";
        QTest::newRow("column number untouched") << "select Name from Klient order by 1"
                                                 << "select Name from Klient order by 1";
        QTest::newRow("order inside a subquery is not the outer one")
            << "select * from (select Name from Klient order by Name) x"
            << "select * from (select Name from Klient order by Name) x";
        QTest::newRow("quoted file name") << "select * from \"Klient.db\"" << "select * from \"Klient\"";
        QTest::newRow("bare file name") << "select * from PlatPor.DB p" << "select * from PlatPor p";
        QTest::newRow("literal untouched") << "select * from Klient where Name = 'order by x.db'"
                                           << "select * from Klient where Name = 'order by x.db'";
        QTest::newRow("LIKE over an indexed code gets its GLOB")
            << "select * from Provodka where (Debet like :sch or p.Kredit like '50%')"
            << "select * from Provodka where ((Debet LIKE :sch AND Debet GLOB :orbek_like_sch) or "
               "(p.Kredit LIKE '50%' AND p.Kredit GLOB '50*'))";
        QTest::newRow("LIKE over a name, or with ESCAPE, untouched")
            << "select * from PlatPor where R_NAME like :rnam and Debet like :d escape '!'"
            << "select * from PlatPor where R_NAME like :rnam and Debet like :d escape '!'";
    }

    void translate() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(db::TranslateSql(sql), expected);
    }

    void parameterNames() {
        QCOMPARE(db::SqlParameterNames("where a = :dog or :Dog = 0 and b like :nam and c = ':not'"),
                 QStringList({"dog", "nam"}));
        QCOMPARE(db::SqlParameterNames("update X set A = :A where Id = :OLD_Id"), QStringList({"A", "OLD_Id"}));
    }
};

QTEST_GUILESS_MAIN(TestSqlText)
#include "tst_sqltext.moc"
