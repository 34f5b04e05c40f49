// The table formats of the data folder: every table's fields in physical order with
// their types (the export of an earlier version copies tables field by field by
// position), the lookup of a table by name, and the keys and indexes the forms use.
#include "db/Schema.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

// Each table's fields in physical order, "Name Type" separated by ", ", written out
// from the table descriptions independently of the schema itself.
const char *const kExpectedFields[][2] = {
    {"Config.db", "Rasdel A15, Period A15, KolCopy N, SizeFont N, ProcNDS N, AppBank L, FormatDat A15"},
    {"Klient.DB", "Klient_id +, Name A30, FullName A150, Adress A150, Telephon A20, Cyti A50, Inn A15, "
                  "Okonx A15, Okpo A15, FlSvoy A1"},
    {"Bank.db", "Bank_id +, Klient_id N, NameBank A100, Schet A30, KorSchet A30, Bik A30"},
    {"Bnkseek.db", "Bnkseek_id +, NNP A25, NAMEP A40, NameN A40, NEWNUM A9, KSNP A20, NamePr A10"},
    {"PlatPor.DB",
     "PlatPor_id +, NUMBER N, DATE_PLAT D, TYPE_PAY A20, Id_Pol N, P_NAME A150, P_Inn A15, P_ACCOUNT A25, "
     "P_BANK A100, P_BANK_BIK A20, P_BANK_ACC A20, Id_Post N, R_NAME A150, R_Inn A15, R_ACCOUNT A25, "
     "R_BANK A100, R_BANK_BIK A20, R_BANK_ACC A20, SUMMA N, VID_PAY A20, NAZ_PAY A20, CODE A7, "
     "OcherPlat A10, ResPole A10, REMARK A250, Dogovor_id N, SrokPlat D, FlYes L, NumbChP A10, "
     "ShyfrPl A10, NumbPlD A10, DatPlD D, DopNumb A5"},
    {"FAKTUR_ZAG.DB",
     "FAKTUR_ZAG_ID +, NUMB_FAKT N, DATE_FAKT D, NUMB_TTN A15, DATE_TTN D, NUMB_SCHET A15, DATE_SCHET D, "
     "ID_POKUPAT N, NAME_POKUPAT A150, ADRESS_POK A150, TEL_POK A15, SCHET_POK A25, KSCHET_POK A25, "
     "MFO_POK A25, BANK_POK A100, CYTI_POK A25, INN_POK A15, OKPO_POK A15, OKONX_POK A15, ID_POST N, "
     "NAME_POST A150, ADRESS_POST A150, TEL_POST A15, SCHET_POST A25, KSCHET_POST A25, MFO_POST A25, "
     "BANK_POST A100, CYTI_POST A25, INN_POST A15, OKPO_POST A15, OKONX_POST A15, DOPOLN A75, "
     "GRUZOPOL A50, GRUZOOTPR A50, PLATDOK A35, FL_SVOY A1, FIO_KLAD A50, Dogovor_id N, Summa $, "
     "SummaNDS $, Itogo $, SummaOpl $, DateOpl D, NalogProd N, DopNumb A5"},
    {"Faktura.DB", "FAKTURA_ID +, ZAG_ID N, TOVAR_ID N, NAME_TOV A100, OKDP_TOV A6, ED_IZM A10, KOL_VO N, "
                   "CENA_TOV N, PROC_NDS N, Summa $, SummaNds $, Itogo $, Strana A30, NTamog A21"},
    {"Oplata.db",
     "Oplata_id +, Faktur_zag_id N, DateOpl D, NumbDok A10, SummaOpl $, SummaNds $, Primech A50"},
    {"PrimSch.DB", "Zag_id N, Primech A250"},
    {"Dogovor.DB", "Dogovor_id +, NumbDog A20, DateDog D, DateFin D, NameDog A150, Summa $, Klient_id N, "
                   "Bank_id N, Primech A150, NameFile A100, Organ_id N, BankOrg_id N, SostDog N, FlClose L"},
    {"Primech.db",
     "Primech_id +, DatPrim D, SumPrim $, Primech A200, Dogovor_id N, FileName A150, SosotEt N"},
    {"TypeDog.db", "TypeDog_id +, TypeDog A50, NameFile A150"},
    {"Sostoyn.db", "Sost_id +, NameSost A50"},
    {"OtchSald.db", "NamePok A50, SummaVx $, ObDeb $, ObKre $, SummaIs $, OstKolVo $, OstSumma $"},
    {"OtchKli.db", "Otchet_id +, NumbDok A10, DateDok D, NameTov A50, Cena $, KolVo N, Summa $, SummaDok $, "
                   "NumbOpl A10, DateOpl D, SummaOpl $"},
    {"PlanSch.DB", "PlanId +, Schet A20, NameSchet A100, TypeSchet A2"},
    {"Provodka.DB", "ProvodkaId +, DateProv D, Debet A20, Kredit A20, Summa $, Primech A50, Organis N"},
    {"Kassa.db", "KassaId +, ProvodkaId N, Primech A100, Prilog A100, Dokument A150, Komu A70, NumbDok N"},
    {"BalOtch.db", "SchetBal A20, SaldVx $, DebOb $, KreOb $, SaldIs $"},
    {"ConfBal.db", "ConfBal +, GroupId N, BalSchet A20, StrokaId N, NameStr A100, FirstSum $, LastSum $"},
};

QStringList splitFields(const char *fields) {
    return QString::fromLatin1(fields).split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

bool hasField(const db::TableDef &table, const QString &name) {
    for (const db::FieldDef &field : table.fields)
        if (name.compare(QLatin1String(field.name), Qt::CaseInsensitive) == 0) return true;
    return false;
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

  private slots:
    void fieldsInPhysicalOrder_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("expected");
        for (const auto &entry : kExpectedFields)
            QTest::newRow(entry[0]) << QString::fromLatin1(entry[0])
                                    << QString::fromLatin1(entry[1]).split(QStringLiteral(", "));
    }

    void fieldsInPhysicalOrder() {
        QFETCH(QString, fileName);
        QFETCH(QStringList, expected);
        const db::TableDef *table = db::FindTable(fileName);
        QVERIFY(table);
        QCOMPARE(QString::fromLatin1(table->fileName), fileName);
        QStringList actual;
        for (const db::FieldDef &field : table->fields)
            actual << QStringLiteral("%1 %2").arg(QLatin1String(field.name), QLatin1String(field.type));
        QCOMPARE(actual, expected);
    }

    // The schema holds exactly the tables above, each reachable by both of its names.
    void everyTableOnceAndFoundByItsNames() {
        QSet<QString> expected;
        for (const auto &entry : kExpectedFields)
            expected << QString::fromLatin1(entry[0]);
        QSet<QString> files, sqlNames;
        for (const db::TableDef &table : db::Schema()) {
            QVERIFY2(!files.contains(QString::fromLatin1(table.fileName).toLower()), table.fileName);
            QVERIFY2(!sqlNames.contains(QString::fromLatin1(table.sqlName).toLower()), table.sqlName);
            files << QString::fromLatin1(table.fileName).toLower();
            sqlNames << QString::fromLatin1(table.sqlName).toLower();
            QVERIFY2(expected.contains(QString::fromLatin1(table.fileName)), table.fileName);
            QCOMPARE(db::FindTable(QString::fromLatin1(table.fileName)), &table);
            QCOMPARE(db::FindTable(QString::fromLatin1(table.sqlName)), &table);
        }
        QCOMPARE(int(db::Schema().size()), int(expected.size()));
    }

    void findTableByAnyForm_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("fileName"); // empty: no such table
        // clang-format off
        QTest::newRow("file name") << "Klient.DB" << "Klient.DB";
        QTest::newRow("lower case") << "klient" << "Klient.DB";
        QTest::newRow("upper case") << "KLIENT" << "Klient.DB";
        QTest::newRow("lower-case extension") << "klient.db" << "Klient.DB";
        QTest::newRow("payment orders") << "PlatPor.DB" << "PlatPor.DB";
        QTest::newRow("payment orders in SQL") << "PLATPOR" << "PlatPor.DB";
        QTest::newRow("document headers") << "FAKTUR_ZAG" << "FAKTUR_ZAG.DB";
        QTest::newRow("extension of another case") << "Bank.DB" << "Bank.db";
        QTest::newRow("unknown") << "Mission" << "";
        QTest::newRow("unknown file") << "PARTNERS.DBF" << "";
        QTest::newRow("a prefix is not a name") << "Klien" << "";
        QTest::newRow("empty") << "" << "";
        // clang-format on
    }

    void findTableByAnyForm() {
        QFETCH(QString, name);
        QFETCH(QString, fileName);
        const db::TableDef *table = db::FindTable(name);
        if (fileName.isEmpty()) {
            QCOMPARE(table, nullptr);
        } else {
            QVERIFY(table);
            QCOMPARE(QString::fromLatin1(table->fileName), fileName);
        }
    }

    // Types are known codes, the autoincrement field is the whole key, and keys and
    // indexes name fields of their own table.
    void typesKeysAndIndexesAreConsistent() {
        const QRegularExpression type(QStringLiteral("^(A([1-9][0-9]{0,2})|[N$DTL@ISM+B])$"));
        for (const db::TableDef &table : db::Schema()) {
            const QByteArray where = table.fileName;
            QSet<QString> names;
            for (const db::FieldDef &field : table.fields) {
                const QRegularExpressionMatch m = type.match(QLatin1String(field.type));
                QVERIFY2(m.hasMatch(), (where + " " + field.name).constData());
                if (!m.captured(2).isEmpty())
                    QVERIFY2(m.captured(2).toInt() <= 255, (where + " " + field.name).constData());
                QVERIFY2(!names.contains(QString::fromLatin1(field.name).toLower()),
                         (where + " repeats " + field.name).constData());
                names << QString::fromLatin1(field.name).toLower();
                if (qstrcmp(field.type, "+") == 0)
                    QVERIFY2(qstrcmp(table.primaryKey, field.name) == 0, where.constData());
            }
            for (const QString &field : splitFields(table.primaryKey))
                QVERIFY2(hasField(table, field), (where + " key " + field.toLatin1()).constData());
            QSet<QString> indexNames;
            for (const db::IndexDef &index : table.indexes) {
                QVERIFY2(!indexNames.contains(QString::fromLatin1(index.name).toLower()),
                         (where + " repeats index " + index.name).constData());
                indexNames << QString::fromLatin1(index.name).toLower();
                const QStringList fields = splitFields(index.fields);
                QVERIFY2(!fields.isEmpty(), (where + " " + index.name).constData());
                for (const QString &field : fields)
                    QVERIFY2(hasField(table, field),
                             (where + " " + index.name + " " + field.toLatin1()).constData());
            }
        }
    }

    // The indexes the forms select, range or order by. "exact": the index's fields are
    // given; otherwise it must at least lead with them.
    void indexesTheFormsNeed_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("indexName"); // empty: any index
        QTest::addColumn<QString>("fields");
        QTest::addColumn<bool>("exact");
        // clang-format off
        QTest::newRow("partners by group and name") << "Klient.DB" << "Nam" << "FlSvoy;Name" << true;
        QTest::newRow("partners by INN") << "Klient.DB" << "InnKli" << "Inn" << true;
        QTest::newRow("accounts of a client") << "Bank.db" << "Klient" << "Klient_id" << true;
        QTest::newRow("cash order of an entry") << "Kassa.db" << "Prov" << "ProvodkaId" << true;
        QTest::newRow("chart by code") << "PlanSch.DB" << "Sch" << "Schet" << false;
        QTest::newRow("statement by document") << "OtchKli.db" << "Num" << "NumbDok" << false;
        QTest::newRow("balance sheet layout") << "ConfBal.db" << "StrId" << "" << false;
        QTest::newRow("stages of a contract") << "Primech.db" << "" << "Dogovor_id" << false;
        QTest::newRow("balances by name") << "OtchSald.db" << "" << "NamePok" << false;
        QTest::newRow("balance by account") << "BalOtch.db" << "" << "SchetBal" << false;
        // clang-format on
    }

    void indexesTheFormsNeed() {
        QFETCH(QString, fileName);
        QFETCH(QString, indexName);
        QFETCH(QString, fields);
        QFETCH(bool, exact);
        const db::TableDef *table = db::FindTable(fileName);
        QVERIFY(table);
        const QStringList wanted = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        bool found = false;
        for (const db::IndexDef &index : table->indexes) {
            if (!indexName.isEmpty() && indexName != QLatin1String(index.name)) continue;
            const QStringList actual = splitFields(index.fields);
            if (exact ? actual == wanted : actual.mid(0, wanted.size()) == wanted) found = true;
        }
        QVERIFY2(found, qPrintable(fileName + QLatin1Char(' ') + indexName + QLatin1Char(' ') + fields));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
