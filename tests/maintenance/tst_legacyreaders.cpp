// The readers of earlier versions' files on files the tests write: values of each type,
// the code pages, deleted records, and damaged or foreign files refused with a message
// naming the file.
#include "maintenance/DbfReader.h"
#include "maintenance/ParadoxReader.h"
#include "support/FileBytes.h"
#include "support/LegacyWriters.h"

#include <QTemporaryDir>
#include <QtTest>

using legacy::DbfField;
using legacy::DbfWriter;
using legacy::PxField;

namespace {

DbfWriter sampleDbf(uchar language, int codePage) {
    DbfWriter w({{"NAME", 'C', 20}, {"Summa", 'N', 12, 2}, {"DATE", 'D', 8}, {"PAID", 'L', 1}}, language,
                codePage);
    w.Add({QStringLiteral("ООО \"Ёлка\"  "), 1234.5, QDate(2001, 2, 3), true});
    w.Add({QStringLiteral("удаленная"), 1, QDate(2001, 1, 1), false}, true);
    w.Add({QVariant(), QVariant(), QVariant(), QVariant()});
    return w;
}

const std::vector<PxField> klientFields = {
    {"Klient_id", pxfAutoInc, 4}, {"Name", pxfAlpha, 30},  {"Summa", pxfNumber, 8},
    {"DateK", pxfDate, 4},        {"Flag", pxfLogical, 1}, {"Kol", pxfShort, 2},
};

void writeAll(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

} // namespace

class LegacyReadersTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Reads every value of the file `name` as a `Table`: the reader must refuse it with
    // an error that names the file and gives `reason`.
    template <class Table> void readRefused(const QString &name, const QString &reason) {
        try {
            Table t(path(name));
            while (t.Next())
                for (int i = 0; i < t.FieldCount(); ++i)
                    t.Value(i);
            QFAIL("a damaged file was read");
        } catch (const ELegacyFileError &e) {
            QVERIFY2(e.message().contains(name), qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
    }

  private slots:
    void dbfValuesInTheNamedCodePage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("codePage");
        QTest::newRow("CP866 named") << 0x26 << 866;
        QTest::newRow("no code page named: CP866") << 0x00 << 866;
        QTest::newRow("CP1251") << 0xC9 << 1251;
    }
    void dbfValuesInTheNamedCodePage() {
        QFETCH(int, language);
        QFETCH(int, codePage);
        sampleDbf(uchar(language), codePage).Save(path("T.DBF"));
        TDbfTable t(path("T.DBF"));
        QCOMPARE(t.CodePage().Number(), codePage);
        QCOMPARE(t.FieldCount(), 4);
        QCOMPARE(t.FindField(QStringLiteral("summa")), 1);
        QCOMPARE(t.FindField(QStringLiteral("Date")), 2);
        QCOMPARE(t.FindField(QStringLiteral("nothing")), -1);
        QVERIFY(t.Next());
        QCOMPARE(t.Value(0).toString(), QStringLiteral("ООО \"Ёлка\""));
        QCOMPARE(t.Value(1).toDouble(), 1234.5);
        QCOMPARE(t.Value(2).toDate(), QDate(2001, 2, 3));
        QCOMPARE(t.Value(3).toBool(), true);
        // The deleted record is skipped; blanks read as empty.
        QVERIFY(t.Next());
        QCOMPARE(t.RecordNumber(), 3);
        QCOMPARE(t.Value(0).toString(), QString());
        QVERIFY(t.Value(1).isNull());
        QVERIFY(t.Value(2).isNull());
        QVERIFY(t.Value(3).isNull());
        QVERIFY(!t.Next());
    }

    void dbfDamagedOrForeignRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray good = sampleDbf(0x26, 866).Bytes();
        const int header = 32 + 4 * 32 + 1, record = 1 + 20 + 12 + 8 + 1;
        QTest::newRow("empty") << QByteArray() << "обрезан";
        QTest::newRow("header cut") << good.left(20) << "обрезан";
        QTest::newRow("records cut") << good.left(header + record + 5) << "обрезан";
        QByteArray foreign = good;
        foreign[0] = 'P';
        QTest::newRow("not dBase") << foreign << "не является таблицей dBase";
        QByteArray length = good;
        length[10] = char(record + 3);
        QTest::newRow("record length") << length << "длина записи";
        QByteArray flag = good;
        flag[header] = 'X';
        QTest::newRow("deletion flag") << flag << "запись 1 повреждена";
        QByteArray number = good;
        number[header + 1 + 20 + 5] = 'x';
        QTest::newRow("number") << number << "не число";
        QByteArray date = good;
        date[header + 1 + 20 + 12 + 4] = '9';
        date[header + 1 + 20 + 12 + 5] = '9';
        QTest::newRow("date") << date << "не дата";
        QByteArray terminator = good.left(32 + 4 * 32);
        terminator[8] = char((32 + 4 * 32) & 0xFF);
        terminator[9] = char((32 + 4 * 32) >> 8);
        QTest::newRow("no end of fields") << terminator << "заголовок";
    }
    void dbfDamagedOrForeignRefused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        writeAll(path("BAD.DBF"), bytes);
        readRefused<TDbfTable>(QStringLiteral("BAD.DBF"), reason);
    }

    void paradoxValuesThroughTheLibrary_data() {
        QTest::addColumn<int>("codePage");
        QTest::newRow("CP1251") << 1251;
        QTest::newRow("CP866") << 866;
    }
    void paradoxValuesThroughTheLibrary() {
        QFETCH(int, codePage);
        legacy::WriteParadox(path("Klient.DB"), klientFields,
                             {{7, QStringLiteral("Ёлка и Ко"), 12.25, QDate(1999, 12, 31), true, 3},
                              {9, QVariant(), QVariant(), QVariant(), false, QVariant()}},
                             codePage);
        TParadoxTable t(path("Klient.DB"));
        QCOMPARE(t.CodePage().Number(), codePage);
        QCOMPARE(t.RecordCount(), 2);
        QCOMPARE(t.FieldCount(), 6);
        QCOMPARE(t.FieldName(1), QStringLiteral("Name"));
        QCOMPARE(t.FieldType(0), QStringLiteral("+"));
        QCOMPARE(t.FieldType(2), QStringLiteral("N"));
        QVERIFY(t.Next());
        QCOMPARE(t.Value(0).toLongLong(), 7);
        QCOMPARE(t.Value(1).toString(), QStringLiteral("Ёлка и Ко"));
        QCOMPARE(t.Value(2).toDouble(), 12.25);
        QCOMPARE(t.Value(3).toDate(), QDate(1999, 12, 31));
        QCOMPARE(t.Value(4).toBool(), true);
        QCOMPARE(t.Value(5).toLongLong(), 3);
        QVERIFY(t.Next());
        QCOMPARE(t.Value(0).toLongLong(), 9);
        for (int i : {1, 2, 3, 5})
            QVERIFY2(t.Value(i).isNull(), qPrintable(QString::number(i)));
        QVERIFY(!t.Next());
    }

    void paradoxDamagedOrForeignRefused_data() {
        QTest::addColumn<int>("offset"); // -1: cut the file to `value` bytes
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("reason");
        QTest::newRow("cut in the header") << -1 << 60 << "обрезан";
        QTest::newRow("cut in the data") << -1 << 2048 + 100 << "обрезан";
        QTest::newRow("header size") << 0x03 << 0x7F << "заголовок";
        QTest::newRow("file type (an index)") << 0x04 << 1 << "не является таблицей Paradox";
        QTest::newRow("version") << 0x39 << 0x40 << "не является таблицей Paradox";
        QTest::newRow("field count") << 0x21 << 0xFF << "";
        QTest::newRow("field type") << 0x78 + 2 << 0x33 << "неизвестного типа";
        QTest::newRow("record size") << 0x00 << 0x10 << "длина записи";
        QTest::newRow("record count") << 0x06 << 0x50 << "число записей";
        // The library would try to decrypt it without end.
        QTest::newRow("encryption word") << 0x25 << 1 << "защищена паролем";
        QTest::newRow("block loop") << 2048 << 1 << "цепочка блоков";
        QTest::newRow("last record offset") << 2048 + 4 << 0x7F << "блок данных";
    }
    void paradoxDamagedOrForeignRefused() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(QString, reason);
        legacy::WriteParadox(path("PlatPor.DB"), klientFields,
                             {{1, QStringLiteral("а"), 1.0, QDate(2001, 1, 1), true, 1}});
        QByteArray bytes = bytesOf(path("PlatPor.DB"));
        if (offset < 0)
            bytes.truncate(value);
        else
            bytes[offset] = char(value);
        writeAll(path("PlatPor.DB"), bytes);
        readRefused<TParadoxTable>(QStringLiteral("PlatPor.DB"), reason);
    }
};

QTEST_GUILESS_MAIN(LegacyReadersTest)
#include "tst_legacyreaders.moc"
