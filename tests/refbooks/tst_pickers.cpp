// The goods-name and remark pickers: texts typed in earlier documents, each listed
// once and in name order; the goods list narrowed by what is typed in it.
#include "Keyboard.h"
#include "controls/DBGrid.h"
#include "controls/UiScript.h"
#include "db/Database.h"
#include "refbooks/USlAssort.h"
#include "refbooks/USlPrim.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

void AddLines(const QStringList &names) {
    for (const QString &name : names)
        db::Database::Exec(QStringLiteral("insert into Faktura (ZAG_ID, NAME_TOV) values (1, ?)"), {name});
}

// One remark per bill, for bills numbered on from those already noted.
void AddRemarks(const QStringList &remarks) {
    for (const QString &remark : remarks)
        db::Database::Exec(QStringLiteral("insert into PrimSch (Zag_id, Primech) "
                                          "select coalesce(max(Zag_id), 0) + 1, ? from PrimSch"),
                           {remark});
}

// A fresh data folder and the two pickers as the start-up creates them.
struct Pickers {
    Pickers() {
        SlAssort = new TSlAssort;
        SlPrim = new TSlPrim;
    }
    ~Pickers() {
        delete SlAssort;
        delete SlPrim;
        SlAssort = nullptr;
        SlPrim = nullptr;
    }
    Pickers(const Pickers &) = delete;
    Pickers &operator=(const Pickers &) = delete;
    TempDataFolder folder;
};

QStringList Shown(TDBGrid *grid) {
    QStringList out;
    for (int row = 0; row < grid->Model()->rowCount(); ++row)
        out << grid->Model()->index(row, 0).data().toString();
    return out;
}

void DoubleClickRow(TDBGrid *grid, int row) {
    const QRect cell = grid->visualRect(grid->Model()->index(row, 0));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

const QStringList Goods = {
    QStringLiteral("Бумага офисная А4"), QStringLiteral("Ручка шариковая"),   QStringLiteral("Болт М8"),
    QStringLiteral("Бумага для факса"),  QStringLiteral("Бумага офисная А4"), QStringLiteral("Картридж"),
    QStringLiteral("Ручка шариковая"),
};
const QStringList GoodsInOrder = {
    QStringLiteral("Болт М8"),  QStringLiteral("Бумага для факса"), QStringLiteral("Бумага офисная А4"),
    QStringLiteral("Картридж"), QStringLiteral("Ручка шариковая"),
};

} // namespace

class TestPickers : public ScriptedTestCase {
    Q_OBJECT
  private slots:

    // Letters and the digits 1 to 9 narrow the list to the names beginning with them,
    // Backspace widens it again; the space and "0" add nothing; "_" stands for any
    // one letter. Enter chooses.
    void goodsNarrowAsTyped() {
        Pickers pickers;
        AddLines(Goods);
        UiScript::OnShow<TSlAssort>([](TSlAssort *f) {
            QCOMPARE(Shown(f->DBGrid1), GoodsInOrder);
            Type(f->DBGrid1, QStringLiteral("Бум"));
            QCOMPARE(f->Edit1->text(), QStringLiteral("Бум"));
            QCOMPARE(Shown(f->DBGrid1),
                     (QStringList{QStringLiteral("Бумага для факса"), QStringLiteral("Бумага офисная А4")}));
            Type(f->DBGrid1, QStringLiteral(" 0"));
            QCOMPARE(f->Edit1->text(), QStringLiteral("Бум"));
            QCOMPARE(Shown(f->DBGrid1).size(), 2);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(f->DBGrid1, Qt::Key_Backspace);
            QCOMPARE(f->Edit1->text(), QString());
            QCOMPARE(Shown(f->DBGrid1), GoodsInOrder);
            QTest::keyClick(f->DBGrid1, Qt::Key_Backspace); // an empty search stays empty
            QCOMPARE(Shown(f->DBGrid1), GoodsInOrder);
            Type(f->DBGrid1, QStringLiteral("Б_л"));
            QCOMPARE(Shown(f->DBGrid1), QStringList{QStringLiteral("Болт М8")});
            QTest::keyClick(f->DBGrid1, Qt::Key_Return);
        });
        QCOMPARE(ShowModal(SlAssort), int(mrOk));
        QCOMPARE(SlAssort->ChosenTovar, QStringLiteral("Болт М8"));
        // Closed, the picker forgets its search and its list.
        QCOMPARE(SlAssort->Edit1->text(), QString());
        QVERIFY(!SlAssort->Query1->Active());
    }

    void goodsPickerAnswers() {
        Pickers pickers;
        UiScript::OnShow<TSlAssort>([](TSlAssort *f) {
            QVERIFY(f->Query1->IsEmpty()); // no document lines yet
            f->BitBtn1->click();
        });
        ShowModal(SlAssort);
        QCOMPARE(SlAssort->ChosenTovar, QString()); // nothing chosen

        AddLines(Goods);
        UiScript::OnShow<TSlAssort>([](TSlAssort *f) { DoubleClickRow(f->DBGrid1, 3); });
        ShowModal(SlAssort);
        QCOMPARE(SlAssort->ChosenTovar, QStringLiteral("Картридж"));

        UiScript::OnShow<TSlAssort>([](TSlAssort *f) {
            QCOMPARE(f->ChosenTovar, QString()); // emptied on show
            Type(f->DBGrid1, QStringLiteral("Р"));
            f->BitBtn2->click();
        });
        ShowModal(SlAssort);
        QCOMPARE(SlAssort->ChosenTovar, QString());
        QCOMPARE(SlAssort->Edit1->text(), QString());
    }

    // Remarks come once each and alphabetically, whatever order the bills were made in;
    // a double click chooses at once.
    void remarkPickerAnswers() {
        Pickers pickers;
        AddRemarks({QStringLiteral("Цены действительны до конца месяца"),
                    QStringLiteral("Оплата в течение 5 банковских дней"), QStringLiteral("Без НДС"),
                    QStringLiteral("Оплата в течение 5 банковских дней"), QStringLiteral("аванс 50%")});
        UiScript::OnShow<TSlPrim>([](TSlPrim *f) {
            QCOMPARE(Shown(f->DBGrid1), (QStringList{QStringLiteral("аванс 50%"), QStringLiteral("Без НДС"),
                                                     QStringLiteral("Оплата в течение 5 банковских дней"),
                                                     QStringLiteral("Цены действительны до конца месяца")}));
            DoubleClickRow(f->DBGrid1, 2);
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(ShowModal(SlPrim), int(mrOk));
        QVERIFY(SlPrim->OkPressed);
        QCOMPARE(SlPrim->ChosenPrimech, QStringLiteral("Оплата в течение 5 банковских дней"));
        QVERIFY(!SlPrim->Prim->Active());

        // Cancel: no choice; the remark of the last choice is still there but not valid.
        UiScript::OnShow<TSlPrim>([](TSlPrim *f) {
            QVERIFY(!f->OkPressed);
            QTest::keyClick(f->DBGrid1, Qt::Key_Down);
            f->BitBtn2->click();
        });
        ShowModal(SlPrim);
        QVERIFY(!SlPrim->OkPressed);

        // A remark added since is in the list the next time.
        AddRemarks({QStringLiteral("Доставка за счет покупателя")});
        UiScript::OnShow<TSlPrim>([](TSlPrim *f) {
            QCOMPARE(f->Prim->RecordCount(), 5);
            QTest::keyClick(f->DBGrid1, Qt::Key_Down);
            f->BitBtn1->click();
        });
        ShowModal(SlPrim);
        QVERIFY(SlPrim->OkPressed);
        QCOMPARE(SlPrim->ChosenPrimech, QStringLiteral("Без НДС"));
    }
};

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
