// Contract texts from templates: the placeholders replaced on every line, in order,
// case-sensitive; the template copied to its end; RTF values escaped; CP1251 bytes in
// and out; an existing document never overwritten.
#include "contracts/ContractFiles.h"
#include "db/CodePage.h"
#include "db/Errors.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const TPlaceholders Values = {
    {"NumbDog", "15"}, {"DateDog", "20.03.2024"}, {"NameKli", "ООО {Рога} \\ Копыта"},
    {"KorSchKli", ""}, {"AddressKli", "NumbDog"}, // an earlier placeholder's text in a value stays
};

QByteArray cp1251(const QString &text) {
    return db::TCodePage::Find(1251)->Encode(text);
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestTexts : public QObject {
    Q_OBJECT
  private slots:
    void substitution_data() {
        QTest::addColumn<QString>("templ");
        QTest::addColumn<QString>("document");
        QTest::newRow("number") << "Договор № NumbDog\n"
                                << "Договор № 15\r\n";
        QTest::newRow("twice") << "NumbDog/NumbDog от DateDog\n"
                               << "15/15 от 20.03.2024\r\n";
        QTest::newRow("letter case") << "numbdog NUMBDOG\n"
                                     << "numbdog NUMBDOG\r\n";
        QTest::newRow("split over lines") << "Numb\nDog\n"
                                          << "Numb\r\nDog\r\n";
        QTest::newRow("empty fourth line") << "а\nб\nв\n\nг\n"
                                           << "а\r\nб\r\nв\r\n\r\nг\r\n";
        QTest::newRow("empty value alone") << "а\nKorSchKli\nб\n"
                                           << "а\r\n\r\nб\r\n";
        QTest::newRow("no last break") << "а\r\nNumbDog"
                                       << "а\r\n15\r\n";
        QTest::newRow("earlier placeholder in a value") << "AddressKli\n"
                                                        << "NumbDog\r\n";
        QTest::newRow("plain text value") << "NameKli\n"
                                          << "ООО {Рога} \\ Копыта\r\n";
        QTest::newRow("rtf value") << "{\\rtf1\\ansi\nNameKli\\par\n}\n"
                                   << "{\\rtf1\\ansi\r\nООО \\{Рога\\} \\\\ Копыта\\par\r\n}\r\n";
    }
    void substitution() {
        QFETCH(QString, templ);
        QFETCH(QString, document);
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        QDir().mkdir("dog");
        QFile t("dog/DogStd.doc");
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write(cp1251(templ));
        t.close();
        WriteFromTemplate("DOG\\dogstd.DOC", "dog\\Dog15.RTF", Values);
        QFile d("dog/Dog15.RTF");
        QVERIFY(d.open(QIODevice::ReadOnly));
        QCOMPARE(d.readAll(), cp1251(document));
    }

    void bytesAndFiles() {
        QCOMPARE(cp1251("№ Договор"), QByteArray("\xb9 \xc4\xee\xe3\xee\xe2\xee\xf0"));
        QCOMPARE(db::TCodePage::Find(1251)->Decode(QByteArray("\xb9 \xdf")), QStringLiteral("№ Я"));
        QCOMPARE(RtfText("Ω"), QStringLiteral("\\u937?"));

        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        QDir().mkdir("dog");
        QFile existing("dog/Dog15.RTF");
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("old");
        existing.close();
        QFile t("dog/DogStd.doc");
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("NumbDog\n");
        t.close();
        QVERIFY_THROWS_EXCEPTION(EOrbekError, WriteFromTemplate("dog\\DogStd.doc", "dog\\Dog15.RTF", Values));
        QVERIFY_THROWS_EXCEPTION(EOrbekError, WriteBlankDocument("dog\\dog15.rtf"));
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("old"));
        // A missing template fails before a document is made.
        QVERIFY_THROWS_EXCEPTION(EOrbekError, WriteFromTemplate("dog\\Нет.doc", "dog\\Dog16.RTF", Values));
        QVERIFY(!QFile::exists("dog/Dog16.RTF"));
        QCOMPARE(FileNamePart("12/01 a\\b:c*d?e\"f<g>h|"), QStringLiteral("12_01 a_b_c_d_e_f_g_h_"));
    }

    // A fresh working folder has no "dog": the first document makes it.
    void firstDocumentMakesItsFolder() {
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        writeBytes("Std.rtf", "NumbDog\n");
        WriteFromTemplate("Std.rtf", "dog\\Dog15.RTF", Values);
        QCOMPARE(bytesOf("dog/Dog15.RTF"), QByteArray("15\r\n"));
    }
};

QTEST_MAIN(TestTexts)
#include "tst_texts.moc"
