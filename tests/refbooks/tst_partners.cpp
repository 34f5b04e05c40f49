// The list of own organisations and partners as the user works it: one group at a
// time, the search as they type in the list, picking, deleting.
#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "db/Database.h"
#include "refbooks/USlPoluch.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

void addKlient(const QString &name, const QString &group) {
    db::Database::Exec(QStringLiteral("insert into Klient (Name, FullName, FlSvoy) values (?, ?, ?)"),
                       {name, name + QStringLiteral(" полное"), group});
}

QStringList listedNames() {
    QStringList names;
    TTable *k = SlPoluch->Klient;
    for (k->First(); !k->Eof(); k->Next())
        names << SlPoluch->KlientName->AsString();
    return names;
}

// Types into the list as the user does (Cyrillic included).
void typeInList(const QString &text) {
    for (const QChar ch : text) {
        const int key = ch == QLatin1Char('\b') ? int(Qt::Key_Backspace) : int(Qt::Key_unknown);
        QTest::sendKeyEvent(QTest::Press, SlPoluch->DBGrid1, Qt::Key(key), QString(ch), Qt::NoModifier);
    }
}

} // namespace

class PartnersTest : public ScriptedTestCase {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_data;

    void freshList() {
        delete SlPoluch;
        m_data.reset();
        m_data = std::make_unique<TempDataFolder>();
        SlPoluch = new TSlPoluch;
    }

    // Shows the list for the group and runs `work` in it while it is shown.
    static int showList(const QString &group, std::function<void(TSlPoluch *)> work) {
        SlPoluch->KlientGroup = group;
        UiScript::OnShow<TSlPoluch>([work](TSlPoluch *f) { work(f); });
        return ShowModal(SlPoluch);
    }

  private slots:
    void cleanupTestCase() {
        delete SlPoluch;
        m_data.reset();
    }

    // Exactly the group's letter: rows of any other letter are in neither list.
    void eachGroupListsOnlyItsOwnRows() {
        freshList();
        addKlient(QStringLiteral("Ромашка"), "T");
        addKlient(QStringLiteral("Альфа"), "T");
        addKlient(QStringLiteral("Бета"), "F");
        addKlient(QStringLiteral("Гамма"), "U");
        addKlient(QStringLiteral("Дельта"), "G");
        SetKlientGroup("T");
        QCOMPARE(listedNames(), QStringList({"Альфа", "Ромашка"}));
        SetKlientGroup("F");
        QCOMPARE(listedNames(), QStringList({"Бета"}));
        // The list opens on the group's first name.
        SetKlientGroup("T");
        QCOMPARE(SlPoluch->KlientName->AsString(), QStringLiteral("Альфа"));
    }

    void searchAsTheUserTypes() {
        freshList();
        for (const char *name : {"Альфа", "Бета", "Борей", "Вектор"})
            addKlient(QString::fromUtf8(name), "F");
        addKlient(QStringLiteral("Яхонт"), "T");
        SlPoluch->Edit1->clear();
        showList("F", [](TSlPoluch *f) {
            typeInList(QStringLiteral("Бо"));
            QCOMPARE(f->Edit1->text(), QStringLiteral("Бо"));
            QCOMPARE(f->KlientName->AsString(), QStringLiteral("Борей"));
            // A space or 0 adds nothing but searches again.
            f->Klient->First();
            typeInList(QStringLiteral(" 0"));
            QCOMPARE(f->Edit1->text(), QStringLiteral("Бо"));
            QCOMPARE(f->KlientName->AsString(), QStringLiteral("Борей"));
            typeInList(QStringLiteral("\b"));
            QCOMPARE(f->Edit1->text(), QStringLiteral("Б"));
            QCOMPARE(f->KlientName->AsString(), QStringLiteral("Бета"));
            // After every name of the group: its last row, not the other group's.
            typeInList(QStringLiteral("я"));
            QCOMPARE(f->KlientName->AsString(), QStringLiteral("Вектор"));
            typeInList(QStringLiteral("\b\b\b"));
            QCOMPARE(f->Edit1->text(), QString());
            f->BitBtn2->click();
        });
        // The search text stays for the next use.
        SlPoluch->Edit1->setText(QStringLiteral("Век"));
        showList("F", [](TSlPoluch *f) {
            QCOMPARE(f->Edit1->text(), QStringLiteral("Век"));
            f->BitBtn2->click();
        });
    }

    void pickByOkEnterOrDoubleClick() {
        freshList();
        addKlient(QStringLiteral("Альфа"), "F");
        addKlient(QStringLiteral("Бета"), "F");
        showList("F", [](TSlPoluch *f) {
            f->Klient->Last();
            f->BitBtn1->click();
        });
        QVERIFY(SlPoluch->OkPressed);
        QCOMPARE(SlPoluch->KlientName->AsString(), QStringLiteral("Бета"));

        // Shown again: the flag is cleared; Cancel leaves it so.
        showList("F", [](TSlPoluch *f) {
            QVERIFY(!f->OkPressed);
            f->BitBtn2->click();
        });
        QVERIFY(!SlPoluch->OkPressed);

        QCOMPARE(showList("F", [](TSlPoluch *) { QTest::keyClick(SlPoluch->DBGrid1, Qt::Key_Return); }),
                 int(mrOk));
        QVERIFY(SlPoluch->OkPressed);
        QCOMPARE(SlPoluch->KlientName->AsString(), QStringLiteral("Альфа"));

        showList("F", [](TSlPoluch *f) { emit f->DBGrid1->dblClick(); });
        QVERIFY(SlPoluch->OkPressed);
    }

    void pickFromAnEmptyGroup() {
        freshList();
        addKlient(QStringLiteral("Бета"), "F");
        showList("T", [](TSlPoluch *f) { f->BitBtn1->click(); });
        QVERIFY(SlPoluch->OkPressed);
        QCOMPARE(SlPoluch->KlientFullName->AsString(), QString());
        QCOMPARE(SlPoluch->KlientKlient_id->AsFloat(), 0.0);
    }

    void deleteAsksFirst() {
        freshList();
        addKlient(QStringLiteral("Альфа"), "F");
        addKlient(QStringLiteral("Бета"), "F");
        db::Database::Exec(
            QStringLiteral("insert into Bank (Klient_id, Schet) select Klient_id, '4070' from Klient "
                           "where Name = 'Альфа'"));
        showList("F", [](TSlPoluch *f) {
            UiScript::Answer(mrNo, QStringLiteral("Удалить организацию ?"));
            f->BitBtn5->click();
            QCOMPARE(listedNames(), QStringList({"Альфа", "Бета"}));
            f->Klient->First();
            UiScript::Answer(mrYes, QStringLiteral("Удалить организацию ?"));
            f->BitBtn5->click();
            QCOMPARE(listedNames(), QStringList({"Бета"}));
            f->BitBtn2->click();
        });
        // The bank accounts of a deleted organisation stay.
        QCOMPARE(db::Database::ScalarValue(QStringLiteral("select count(*) from Bank")).toInt(), 1);
        QCOMPARE(UiScript::Messages().last().kind, int(mtConfirmation));

        // An empty list: no question, nothing happens.
        showList("T", [](TSlPoluch *f) {
            f->BitBtn5->click();
            f->BitBtn2->click();
        });
        QCOMPARE(UiScript::Messages().size(), 2);
    }
};

QTEST_MAIN(PartnersTest)
#include "tst_partners.moc"
