// The cash and bank view and its cash orders: the sub-account list, one rule for the
// direction of an operation in the list and on the order, the totals, separate yearly
// numbering of incoming and outgoing orders within the operation's year that Cancel
// never uses up, the order of an operation not stored yet, and the operation dialog's
// Cancel after "Словарь".
#include "LedgerData.h"

#include "app/Words.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "ledger/UKasOrd.h"
#include "ledger/UKassa.h"
#include "ledger/UOpKassa.h"
#include "ledger/UPlan.h"
#include "payorders/PageText.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace ledgerdata;

namespace {

// March 2024 of "Вереск" (key 1), with the cash sub-account 50.1 on either side.
void fill() {
    addOrganisations();
    addChart();
    addEntry(QDate(2024, 3, 1), QStringLiteral("50"), QStringLiteral("51"), 300, QStringLiteral("из банка"),
             1);
    addEntry(QDate(2024, 3, 2), QStringLiteral("50.1"), QStringLiteral("62"), 1000, QStringLiteral("выручка"),
             1);
    addEntry(QDate(2024, 3, 3), QStringLiteral("60"), QStringLiteral("50"), 400, QStringLiteral("поставщику"),
             1);
    addEntry(QDate(2024, 3, 4), QStringLiteral("51"), QStringLiteral("50.1"), 250, QStringLiteral("сдано"),
             1);
    addEntry(QDate(2024, 3, 5), QStringLiteral("50.1"), QStringLiteral("50"), 100, QStringLiteral("в кассу"),
             1);
    addEntry(QDate(2024, 3, 6), QStringLiteral("62"), QStringLiteral("90"), 777, QStringLiteral("отгрузка"),
             1);
    addEntry(QDate(2024, 3, 7), QStringLiteral("51"), QStringLiteral("62"), 555, QStringLiteral("оплата"), 1);
    addEntry(QDate(2024, 3, 3), QStringLiteral("50"), QStringLiteral("51"), 999, QStringLiteral("Ясень"), 2);
}

// Each row of the view as "date kor prixod rasxod".
QStringList rows(TKassa *f) {
    QStringList out;
    for (f->Prov->First(); !f->Prov->Eof(); f->Prov->Next())
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(f->ProvDateProv->AsDate().day())
                   .arg(f->ProvKorSchet->AsString(), f->ProvPrixod->DisplayText(),
                        f->ProvRasxod->DisplayText());
    return out;
}

bool onOperation(TKassa *f, const QString &primech) {
    return f->Prov->Locate(QStringLiteral("Primech"), primech);
}

// "Печать ордера" on the current operation, the dialog answered by `answer`; returns
// what the dialog showed: caption, number, payer label, memo.
struct OrderDialog {
    QString caption, number, label, memo;
    bool documentShown = false;
};
OrderDialog printOrder(TKassa *f, bool print, const QString &komu = QString()) {
    OrderDialog shown;
    UiScript::OnShow<TKasOrd>([&](TKasOrd *d) {
        shown = {d->Caption(), d->DBEdit1->text(), d->Label2->text(), d->Memo1->toPlainText(),
                 !d->DBEdit5->isHidden()};
        if (!komu.isEmpty()) {
            d->DBEdit2->setText(komu);
            d->DBEdit2->DataLink->BeginEdit();
            d->DBEdit2->DataLink->SetModified();
        }
        (print ? d->BitBtn1 : d->BitBtn2)->click();
    });
    f->BitBtn4->click();
    return shown;
}

double orderNumber(const QString &primech) {
    return value(QStringLiteral("select k.NumbDok from Kassa k, Provodka p where k.ProvodkaId = p.ProvodkaId "
                                "and p.Primech = ?"),
                 {primech})
        .toDouble();
}

} // namespace

class TestCash : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void memoOfAnOrder_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<QString>("memo");
        QTest::newRow("300 incoming")
            << 300.0 << true
            << QStringLiteral(
                   "Триста рублей 00 копеек Сумма - 300 руб. 00 коп.  в т.ч. НДС - 47 руб. 62 коп.  "
                   "налог с продаж - 14 руб. 29 коп. ");
        QTest::newRow("105 incoming: VAT 16.6667 rounded, not cut")
            << 105.0 << true
            << QStringLiteral(
                   "Сто пять рублей 00 копеек Сумма - 105 руб. 00 коп.  в т.ч. НДС - 16 руб. 67 коп.  "
                   "налог с продаж - 5 руб. 00 коп. ");
        QTest::newRow("12 345.67 incoming: sales tax 587.889")
            << 12345.67 << true
            << QStringLiteral(
                   "Двенадцать тысяч триста сорок пять рублей 67 копеек Сумма - 12345 руб. 67 коп.  "
                   "в т.ч. НДС - 1959 руб. 63 коп.  налог с продаж - 587 руб. 89 коп. ");
        QTest::newRow("21000 incoming")
            << 21000.0 << true
            << QStringLiteral(
                   "Двадцать одна тысяча рублей 00 копеек Сумма - 21000 руб. 00 коп.  в т.ч. НДС - "
                   "3333 руб. 33 коп.  налог с продаж - 1000 руб. 00 коп. ");
        QTest::newRow("400 outgoing: the words alone")
            << 400.0 << false << QStringLiteral("Четыреста рублей 00 копеек");
    }
    void memoOfAnOrder() {
        QFETCH(double, amount);
        QFETCH(bool, incoming);
        QFETCH(QString, memo);
        QCOMPARE(CashOrderMemo(Currency::fromDouble(amount), incoming), memo);
    }

    // "Касса": the sub-accounts, the rows with their direction, the printed list;
    // then 50.1 alone; "Банк": no list, no cash orders.
    void cashAndBankViews() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(fill);
        QVERIFY(app.Started());
        std::vector<TPreparedReport> previews;
        TReport::PreviewHook = [&](TReport &, const TPreparedReport &pages) { previews.push_back(pages); };
        UiScript::OnShow<TKassa>([](TKassa *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Касса"));
            QVERIFY(!f->BitBtn4->isHidden());
            QVERIFY(!f->ComboBox1->isHidden());
            QCOMPARE(f->ComboBox1->count(), 3);
            QCOMPARE(f->ComboBox1->currentText(), QStringLiteral("50"));
            QCOMPARE(f->Prov->RecNo(), 4);
            // 51 to 50.1 and 50.1 to 50 leave the cash account "50": outgoing.
            QCOMPARE(rows(f), QStringList({"1 51 300-00 ", "2 62 1 000-00 ", "3 60  400-00", "4 51  250-00",
                                           "5 50.1  100-00"}));
            f->BitBtn1->click();

            f->ComboBox1->setCurrentText(QStringLiteral("50.1"));
            f->BitBtn8->click();
            QCOMPARE(f->CashAccount, QStringLiteral("50.1"));
            QCOMPARE(rows(f), QStringList({"2 62 1 000-00 ", "4 51  250-00", "5 50 100-00 "}));
            f->BitBtn6->click();
        });
        LogoAppForm->MenuItem(QStringLiteral("N37"))->trigger();

        UiScript::OnShow<TKassa>([](TKassa *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Банк"));
            QVERIFY(f->BitBtn4->isHidden());
            QVERIFY(f->ComboBox1->isHidden());
            QCOMPARE(rows(f), QStringList({"1 50  300-00", "4 50.1 250-00 ", "7 62 555-00 "}));
            f->BitBtn7->click();
        });
        LogoAppForm->MenuItem(QStringLiteral("N42"))->trigger();
        TReport::PreviewHook = nullptr;

        QCOMPARE(int(previews.size()), 1);
        const TPage &page = previews[0].Pages.at(0);
        QVERIFY(findText(page, "Операции по кассе"));
        QVERIFY(findText(page, "с 01.03.2024 по 20.03.2024"));
        const TPageText *total = findText(page, "Итого:");
        QVERIFY(total);
        QCOMPARE(textsIn(page, QRectF(0, total->Box.top() - 0.5, 210, 5)),
                 QStringList({"Итого:", "1 300-00", "750-00"}));
    }

    // Incoming and outgoing orders are numbered apart, each by the direction the list
    // shows; Cancel leaves no order and no number used; a reprint keeps its number and
    // details and drops the dialog's edits.
    void ordersAreNumberedByDirection() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(fill);
        QVERIFY(app.Started());
        int previews = 0;
        TReport::PreviewHook = [&](TReport &, const TPreparedReport &) { ++previews; };
        UiScript::OnShow<TKassa>([](TKassa *f) {
            QVERIFY(onOperation(f, QStringLiteral("из банка")));
            const OrderDialog first = printOrder(f, true, QStringLiteral("Петров П.П."));
            QCOMPARE(first.caption, QStringLiteral("Приходный ордер"));
            QCOMPARE(first.label, QStringLiteral("Принять от"));
            QVERIFY(!first.documentShown);
            QCOMPARE(first.number, QStringLiteral("1"));
            QCOMPARE(first.memo, CashOrderMemo(Currency::fromDouble(300), true));

            // Debit 50.1: incoming, from the incoming sequence.
            QVERIFY(onOperation(f, QStringLiteral("выручка")));
            QCOMPARE(printOrder(f, true).number, QStringLiteral("2"));
            // Credit 50.1 against 51: outgoing; a cancelled order uses up no number.
            QVERIFY(onOperation(f, QStringLiteral("сдано")));
            const OrderDialog out = printOrder(f, false);
            QCOMPARE(out.caption, QStringLiteral("Расходный ордер"));
            QCOMPARE(out.label, QStringLiteral("Выдать"));
            QVERIFY(out.documentShown);
            QCOMPARE(out.memo, QStringLiteral("Двести пятьдесят рублей 00 копеек"));
            QCOMPARE(out.number, QStringLiteral("1"));
            QVERIFY(onOperation(f, QStringLiteral("поставщику")));
            QCOMPARE(printOrder(f, true).number, QStringLiteral("1"));
            QVERIFY(onOperation(f, QStringLiteral("сдано")));
            QCOMPARE(printOrder(f, true).number, QStringLiteral("2"));
            QVERIFY(onOperation(f, QStringLiteral("в кассу")));
            QCOMPARE(printOrder(f, true).number, QStringLiteral("3"));

            // A reprint: the stored number and payer; edits cancelled are not kept.
            QVERIFY(onOperation(f, QStringLiteral("из банка")));
            const OrderDialog again = printOrder(f, false, QStringLiteral("Сидоров"));
            QCOMPARE(again.number, QStringLiteral("1"));
            QVERIFY(f->Kas->State() == TDataSetState::dsBrowse);
            f->BitBtn6->click();
        });
        LogoAppForm->N37Click();
        TReport::PreviewHook = nullptr;
        QCOMPARE(previews, 5);
        QCOMPARE(count(QStringLiteral("select count(*) from Kassa")), 5);
        QCOMPARE(orderNumber(QStringLiteral("из банка")), 1.0);
        QCOMPARE(orderNumber(QStringLiteral("выручка")), 2.0);
        QCOMPARE(orderNumber(QStringLiteral("поставщику")), 1.0);
        QCOMPARE(orderNumber(QStringLiteral("сдано")), 2.0);
        QCOMPARE(orderNumber(QStringLiteral("в кассу")), 3.0);
        QCOMPARE(
            value(QStringLiteral("select Komu from Kassa where NumbDok = 1 and ProvodkaId = 1")).toString(),
            QStringLiteral("Петров П.П."));

        // Another year starts its sequences again at 1.
        Clock::setToday(QDate(2025, 1, 10));
        db::Database::Exec(
            QStringLiteral("insert into Provodka (DateProv, Debet, Kredit, Summa, Primech, Organis) "
                           "values ('2025-01-09', '50', '62', 10, 'январь', 1)"));
        UiScript::OnShow<TKassa>([](TKassa *f) {
            QVERIFY(onOperation(f, QStringLiteral("январь")));
            QCOMPARE(printOrder(f, false).number, QStringLiteral("1"));
            f->BitBtn7->click();
        });
        LogoAppForm->N37Click();
    }

    // With the view over December 2002 to 2003, an order of 2003 follows 2003's numbers,
    // not 2002's, and tells an amount with a third decimal as the same kopecks in figures
    // and in words; an operation with a numbered order keeps its year.
    void ordersAreNumberedWithinTheOperationsYear() {
        Clock::setToday(QDate(2003, 12, 31));
        paydata::App app([] {
            addOrganisations();
            addChart();
            for (const QDate &date : {QDate(2002, 12, 10), QDate(2002, 12, 11), QDate(2003, 1, 10)}) {
                const double id =
                    addEntry(date, QStringLiteral("50"), QStringLiteral("62"), 100, QString(), 1);
                db::Database::Exec(QStringLiteral("insert into Kassa (ProvodkaId, NumbDok) values (?, ?)"),
                                   {id, date.day() - 9});
            }
            addEntry(QDate(2003, 2, 1), QStringLiteral("50"), QStringLiteral("62"), 0.125,
                     QStringLiteral("новая"), 1);
        });
        QVERIFY(app.Started());
        std::vector<TPreparedReport> previews;
        TReport::PreviewHook = [&](TReport &, const TPreparedReport &pages) { previews.push_back(pages); };
        UiScript::OnShow<TKassa>([](TKassa *f) {
            f->Datv->SetDate(QDate(2002, 12, 1));
            f->BitBtn8->click();
            QVERIFY(onOperation(f, QStringLiteral("новая")));
            const OrderDialog order = printOrder(f, true);
            QCOMPARE(order.number, QStringLiteral("2"));
            QVERIFY(order.memo.startsWith(QStringLiteral("Ноль рублей 13 копеек Сумма - 0 руб. 13 коп. ")));
            f->Prov->First(); // 10.12.2002, order № 1
            UiScript::Answer(mrOk, QStringLiteral("К операции выписан кассовый ордер № 1 за 2002 год: дату "
                                                  "операции можно изменить только в пределах этого года"));
            QVERIFY(!f->DBGrid1->Model()->setData(f->DBGrid1->Model()->index(0, 0),
                                                  QStringLiteral("10.01.2003")));
            f->BitBtn6->click();
        });
        LogoAppForm->N37Click();
        TReport::PreviewHook = nullptr;
        QCOMPARE(previews.size(), size_t(1));
        QVERIFY(findText(previews[0].Pages.at(0), "0-13"));
    }

    // An operation entered with "Приход" is stored before its order is numbered, so
    // the order is tied to it; "Словарь" then Cancel in the operation dialog leaves
    // nothing behind; OK without the correspondent account is refused; Esc asks before
    // dropping the operation not stored.
    void orderOfAnOperationNotStoredYet() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(fill);
        QVERIFY(app.Started());
        const int entries = count(QStringLiteral("select count(*) from Provodka"));
        TReport::PreviewHook = [](TReport &, const TPreparedReport &) {};
        UiScript::OnShow<TKassa>([&](TKassa *f) {
            const int listed = f->Prov->RecordCount();
            UiScript::OnShow<TOpKassa>([](TOpKassa *d) {
                QCOMPARE(d->Caption(), QStringLiteral("Расход"));
                QCOMPARE(d->DBEdit2->DataLink->DataField(), QStringLiteral("Debet"));
                UiScript::OnShow<TPlan>([](TPlan *plan) {
                    Provodka->PlSch->Locate(QStringLiteral("Schet"), QStringLiteral("60"));
                    plan->BitBtn1->click();
                });
                d->SpeedButton1->click();
                QCOMPARE(d->DBEdit2->text(), QStringLiteral("60"));
                d->BitBtn2->click();
            });
            f->BitBtn5->click();
            QCOMPARE(f->Prov->RecordCount(), listed);

            UiScript::OnShow<TOpKassa>([](TOpKassa *d) {
                QCOMPARE(d->Caption(), QStringLiteral("Приход"));
                // Without the correspondent account the operation is refused.
                UiScript::Answer(mrOk, QStringLiteral("Не заполнен счет кредита"));
                d->BitBtn1->click();
                QVERIFY(d->isVisible());
                Kassa->ProvKredit->SetAsString(QStringLiteral("62"));
                Kassa->ProvSumma->SetAsFloat(105);
                Kassa->Prov->FieldByName(QStringLiteral("Primech"))->SetAsString(QStringLiteral("новая"));
                d->BitBtn1->click();
            });
            f->BitBtn2->click();
            QCOMPARE(f->ProvDebet->AsString(), QStringLiteral("50"));
            QVERIFY(f->ProvProvodkaId->IsNull());
            QCOMPARE(count(QStringLiteral("select count(*) from Provodka")), entries);
            UiScript::Answer(mrCancel, QStringLiteral("Записать изменения?"));
            QTest::keyClick(f->DBGrid1, Qt::Key_Escape);
            QVERIFY(f->isVisible());

            const OrderDialog shown = printOrder(f, true);
            QVERIFY(!f->ProvProvodkaId->IsNull());
            QCOMPARE(shown.number, QStringLiteral("1"));
            QVERIFY(shown.memo.contains(
                QStringLiteral("в т.ч. НДС - 16 руб. 67 коп.  налог с продаж - 5 руб. 00 коп.")));
            f->BitBtn7->click();
        });
        LogoAppForm->N37Click();
        TReport::PreviewHook = nullptr;
        QCOMPARE(count(QStringLiteral("select count(*) from Provodka")), entries + 1);
        QCOMPARE(
            count(QStringLiteral("select count(*) from Kassa k, Provodka p where k.ProvodkaId = p.ProvodkaId "
                                 "and p.Primech = 'новая' and p.Debet = '50' and p.Summa = 105")),
            1);
    }

    // A fresh data folder has no own organisation: "Приход" and "Расход" are refused
    // before the dialog, and nothing is stored.
    void noOperationWithoutAnOwnOrganisation() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(addChart);
        QVERIFY(app.Started());
        UiScript::OnShow<TKassa>([](TKassa *f) {
            for (QPushButton *button : {f->BitBtn2, f->BitBtn5}) {
                UiScript::Answer(mrOk, QStringLiteral("Не выбрана своя организация"));
                button->click();
                QVERIFY(f->Prov->IsEmpty());
            }
            f->BitBtn6->click();
        });
        LogoAppForm->N42Click();
        QCOMPARE(count(QStringLiteral("select count(*) from Provodka")), 0);
    }
};

QTEST_MAIN(TestCash)
#include "tst_cash.moc"
