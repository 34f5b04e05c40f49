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
    {"NumbDog", "15"},
    {"DateDog", "20.03.2024"},
    {"NameDog", "по AddressKli"}, // a later placeholder's text in a value stays
    {"NameKli", "ООО {Рога} \\ Копыта"},
    {"KorSchKli", ""},
    {"AddressKli", "NumbDog"}, // and an earlier one's
};

QByteArray cp1251(const QString &text) {
    return db::TCodePage::Find(1251)->Encode(text);
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The working folder made current, with the template "dog\DogStd.doc" in it.
void enterWithTemplate(const QTemporaryDir &dir, const QByteArray &templ) {
    QDir::setCurrent(dir.path());
    QDir().mkdir("dog");
    writeBytes("dog/DogStd.doc", templ);
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
        QTest::newRow("later placeholder in a value") << "NameDog\n"
                                                      << "по AddressKli\r\n";
        QTest::newRow("plain text value") << "NameKli\n"
                                          << "ООО {Рога} \\ Копыта\r\n";
        QTest::newRow("rtf value") << "{\\rtf1\\ansi\nNameKli\\par\n}\n"
                                   << "{\\rtf1\\ansi\r\nООО \\{Рога\\} \\\\ Копыта\\par\r\n}\r\n";
    }
    void substitution() {
        QFETCH(QString, templ);
        QFETCH(QString, document);
        QTemporaryDir dir;
        enterWithTemplate(dir, cp1251(templ));
        WriteFromTemplate("DOG\\dogstd.DOC", "dog\\Dog15.RTF", Values);
        QCOMPARE(bytesOf("dog/Dog15.RTF"), cp1251(document));
    }

    void bytesAndFiles() {
        QCOMPARE(cp1251("№ Договор"), QByteArray("\xb9 \xc4\xee\xe3\xee\xe2\xee\xf0"));
        QCOMPARE(db::TCodePage::Find(1251)->Decode(QByteArray("\xb9 \xdf")), QStringLiteral("№ Я"));
        QCOMPARE(RtfText("Ω"), QStringLiteral("\\u937?"));

        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        QDir().mkdir("dog");
        writeBytes("dog/Dog15.RTF", "old");
        writeBytes("dog/DogStd.doc", "NumbDog\n");
        QVERIFY_THROWS_EXCEPTION(EOrbekError, WriteFromTemplate("dog\\DogStd.doc", "dog\\Dog15.RTF", Values));
        QVERIFY_THROWS_EXCEPTION(EOrbekError, WriteBlankDocument("dog\\dog15.rtf"));
        QCOMPARE(bytesOf("dog/Dog15.RTF"), QByteArray("old"));
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

    // A binary .doc file and a template over the limit are refused; no document is made.
    void templatesThatAreNoText() {
        QTemporaryDir dir;
        for (const QByteArray &bytes :
             {QByteArray("\xd0\xcf\x11\xe0\0\0NumbDog\n", 13), QByteArray(MaxTemplateSize + 1, 'N')}) {
            enterWithTemplate(dir, bytes);
            QVERIFY_THROWS_EXCEPTION(EOrbekError,
                                     WriteFromTemplate("dog\\DogStd.doc", "dog\\Dog15.RTF", Values));
            QVERIFY(!QFile::exists("dog/Dog15.RTF"));
        }
    }
};

QTEST_MAIN(TestTexts)
#include "tst_texts.moc"
