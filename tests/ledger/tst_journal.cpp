// The chart of accounts and the journal of entries, driven through their windows: the
// journal's period, organisation and account prefixes, its cache that reaches the
// table only on "Выбрать" and "F10-Выход", the account picker in its cells, and the
// chart editor whose Ok keeps the row being typed while Cancel and the close box drop it.
#include "BalanceData.h"

#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "db/Formats.h"
#include "ledger/UBalans.h"
#include "ledger/UItogOb.h"
#include "ledger/UPlan.h"
#include "payorders/PageText.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace ledgerdata;

namespace {

// March 2024 of "Вереск" (key 1), one February entry, one entry without a debit
// account, and one entry of "Ясень" (key 2).
void fill() {
    addOrganisations();
    addChart();
    addEntry(QDate(2024, 2, 28), QStringLiteral("62"), QStringLiteral("90"), 1000, QStringLiteral("февраль"),
             1);
    addEntry(QDate(2024, 3, 1), QStringLiteral("51"), QStringLiteral("62"), 1200, QStringLiteral("оплата"),
             1);
    addEntry(QDate(2024, 3, 5), QStringLiteral("60"), QStringLiteral("51"), 500, QStringLiteral("поставщику"),
             1);
    addEntry(QDate(2024, 3, 6), QStringLiteral("60.1"), QStringLiteral("51"), 300, QStringLiteral("аванс"),
             1);
    addEntry(QDate(2024, 3, 10), QStringLiteral("62"), QStringLiteral("90"), 2000, QStringLiteral("отгрузка"),
             1);
    addEntry(QDate(2024, 3, 12), QString(), QStringLiteral("51"), 50, QStringLiteral("без дебета"), 1);
    addEntry(QDate(2024, 3, 7), QStringLiteral("51"), QStringLiteral("62"), 999, QStringLiteral("Ясень"), 2);
}

// The journal after "Выбрать" with these prefixes: the debit codes of its rows.
QStringList select(TProvodka *f, const QString &debet, const QString &kredit) {
    f->Edit1->setText(debet);
    f->Edit2->setText(kredit);
    f->BitBtn1->click();
    QStringList codes;
    for (f->Prov->First(); !f->Prov->Eof(); f->Prov->Next())
        codes << f->ProvDebet->AsString();
    return codes;
}

// A cell typed as the grid writes it.
void typeCell(TDBGrid *grid, int column, const QString &text) {
    const QModelIndex index = grid->Model()->index(grid->DataSet()->RecNo(), column);
    grid->setCurrentIndex(index);
    QVERIFY(grid->Model()->setData(index, text));
}

// The picker answered by a double click on the account `schet`.
void pickAccount(const QString &schet) {
    UiScript::OnShow<TPlan>([schet](TPlan *plan) {
        QVERIFY(Provodka->PlSch->Locate(QStringLiteral("Schet"), schet));
        plan->DBGrid1DblClick();
    });
}

int stored() {
    return count(QStringLiteral("select count(*) from Provodka"));
}

} // namespace

class TestJournal : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    // Ctrl+F8: the month up to today of the current organisation; the prefixes; the
    // names of the current row's accounts; the printed list with its total.
    void listsOneOrganisationsMonthByPrefixes() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(fill);
        QVERIFY(app.Started());
        std::vector<TPreparedReport> previews;
        TReport::PreviewHook = [&](TReport &, const TPreparedReport &pages) { previews.push_back(pages); };
        UiScript::OnShow<TProvodka>([](TProvodka *f) {
            QCOMPARE(f->Caption(), QStringLiteral("Проводки"));
            QCOMPARE(f->DatV->Date(), QDate(2024, 3, 1));
            QCOMPARE(f->DatI->Date(), QDate(2024, 3, 20));
            // The entry without a debit account matches no pattern; Ясень's is not here.
            QCOMPARE(f->Prov->RecordCount(), 4);
            QCOMPARE(f->Prov->RecNo(), 3);
            // The names as the lookups hold them: twenty characters.
            QCOMPARE(f->DBText1->text(), QStringLiteral("Расчеты с покупателя"));
            QCOMPARE(f->DBText2->text(), QStringLiteral("Продажи"));
            QTest::keyClick(f->DBGrid1, Qt::Key_F5);

            QCOMPARE(select(f, QStringLiteral("6"), QString()), QStringList({"60", "60.1", "62"}));
            QCOMPARE(select(f, QStringLiteral("6"), QStringLiteral("5")), QStringList({"60", "60.1"}));
            QCOMPARE(select(f, QStringLiteral("60."), QString()), QStringList({"60.1"}));
            // "*" and "?" are plain characters; "%" and "_" typed by the user are wildcards.
            QCOMPARE(select(f, QStringLiteral("6*"), QString()), QStringList());
            QCOMPARE(select(f, QStringLiteral("6?"), QString()), QStringList());
            QCOMPARE(select(f, QStringLiteral("%2"), QString()), QStringList({"62"}));
            QCOMPARE(select(f, QStringLiteral("6_."), QString()), QStringList({"60.1"}));

            // Another own organisation counts from the next "Выбрать".
            LogoAppForm->SvoyKlientId = 2;
            QCOMPARE(select(f, QString(), QString()), QStringList({"51"}));
            QTest::keyClick(f->DBGrid1, Qt::Key_F10);
        });
        LogoAppForm->MenuItem(QStringLiteral("N35"))->trigger();
        TReport::PreviewHook = nullptr;

        QCOMPARE(int(previews.size()), 1);
        const TPage &page = previews[0].Pages.at(0);
        QVERIFY(findText(page, "ООО \"Вереск\""));
        QVERIFY(findText(page, "Проводки"));
        QVERIFY(findText(page, "с 01.03.2024 по 20.03.2024"));
        QVERIFY(findText(page, "4 000-00"));
        QVERIFY(findText(page, "отгрузка"));
        QVERIFY(!findText(page, "февраль"));
    }

    // Additions, edits and deletions stay in the cache until "Выбрать" or F10; Cancel
    // drops them, and so does the close box answered "Нет". The "..." of a cell puts
    // the picked account there.
    void changesReachTheJournalOnlyWhenStored() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(fill);
        QVERIFY(app.Started());
        const int before = stored();
        auto addEntryByHand = [](TProvodka *f) {
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
            QCOMPARE(f->ProvOrganis->AsFloat(), 1.0);
            QCOMPARE(f->ProvDateProv->AsDate(), QDate(2024, 3, 20));
            QCOMPARE(f->DBGrid1->SelectedIndex(), 0);
            pickAccount(QStringLiteral("60"));
            f->DBGrid1->setCurrentIndex(f->DBGrid1->Model()->index(f->Prov->RecNo(), 1));
            f->DBGrid1EditButtonClick();
            pickAccount(QStringLiteral("51"));
            f->DBGrid1->setCurrentIndex(f->DBGrid1->Model()->index(f->Prov->RecNo(), 2));
            f->DBGrid1EditButtonClick();
            typeCell(f->DBGrid1, 3, QStringLiteral("150-25"));
            typeCell(f->DBGrid1, 4, QStringLiteral("за доставку"));
            QCOMPARE(f->ProvDebet->AsString(), QStringLiteral("60"));
            QCOMPARE(f->ProvKredit->AsString(), QStringLiteral("51"));
            QCOMPARE(f->DBText1->text(), QStringLiteral("Расчеты с поставщика"));
        };
        // Cancel, then the close box answered "Нет": nothing reaches the table.
        UiScript::OnShow<TProvodka>([&](TProvodka *f) {
            addEntryByHand(f);
            f->SpeedButton5->click();
        });
        LogoAppForm->N35Click();
        UiScript::OnShow<TProvodka>([&](TProvodka *f) {
            addEntryByHand(f);
            UiScript::Answer(mrNo, QStringLiteral("Записать изменения?"));
            f->close();
        });
        LogoAppForm->N35Click();
        QCOMPARE(stored(), before);

        // A row nobody typed into is not stored; one dated before the period is stored
        // and leaves the list; a deletion answered No keeps the row.
        UiScript::OnShow<TProvodka>([&](TProvodka *f) {
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
            f->BitBtn1->click();
            QCOMPARE(stored(), before);
            addEntryByHand(f);
            typeCell(f->DBGrid1, 0, QStringLiteral("15.02.2024"));
            f->BitBtn1->click();
            QCOMPARE(stored(), before + 1);
            QCOMPARE(f->Prov->RecordCount(), 4);
            f->Prov->First(); // 01.03: 51 / 62
            UiScript::Answer(mrNo, QStringLiteral("Удалить проводку ?"));
            QTest::keyClick(f->DBGrid1, Qt::Key_F8);
            QCOMPARE(f->Prov->RecordCount(), 4);
            UiScript::Answer(mrYes, QStringLiteral("Удалить проводку ?"));
            QTest::keyClick(f->DBGrid1, Qt::Key_F8);
            QCOMPARE(f->Prov->RecordCount(), 3);
            QCOMPARE(stored(), before + 1); // in the cache only
            QTest::keyClick(f->DBGrid1, Qt::Key_F10);
        });
        LogoAppForm->N35Click();
        QCOMPARE(stored(), before);
        QCOMPARE(count(QStringLiteral("select count(*) from Provodka where DateProv = '2024-02-15' and "
                                      "Debet = '60' and Kredit = '51' and Summa = 150.25 and Organis = 1 "
                                      "and Primech = 'за доставку'")),
                 1);
        QCOMPARE(count(QStringLiteral("select count(*) from Provodka where Primech = 'оплата'")), 0);
    }

    // "Сумма" keeps the kopecks it shows: a text that comes whole with a third decimal
    // is stored rounded by the money rule, 0.125 as 0.13, and shows so.
    void amountsAreKeptInKopecks() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(fill);
        QVERIFY(app.Started());
        UiScript::OnShow<TProvodka>([&](TProvodka *f) {
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
            typeRow(f->DBGrid1,
                    {QString(), QStringLiteral("51"), QStringLiteral("62"), QStringLiteral("0.125")});
            QCOMPARE(f->DBGrid1->currentIndex().data().toString(), QStringLiteral("0-13"));
            QTest::keyClick(f->DBGrid1, Qt::Key_F10);
        });
        LogoAppForm->N35Click();
        QCOMPARE(count(QStringLiteral("select count(*) from Provodka where Summa = 0.13")), 1);
    }

    // An entry without a debit account is not stored: the store names the empty side
    // and the journal stays open on the entry. Esc and the close box ask before dropping
    // what "Выбрать" has not stored: "Отмена" keeps the window, "Да" stores it.
    void entryWithoutAnAccountAndClosing() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(fill);
        QVERIFY(app.Started());
        const int before = stored();
        UiScript::OnShow<TProvodka>([&](TProvodka *f) {
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
            typeRow(f->DBGrid1, {QString(), QString(), QStringLiteral("51"), QStringLiteral("70")});
            UiScript::Answer(mrOk, QStringLiteral("Не заполнен счет дебета"));
            QTest::keyClick(f->DBGrid1, Qt::Key_F10);
            QCOMPARE(stored(), before);
            typeCell(f->DBGrid1, 1, QStringLiteral("60"));
            QTest::keyClick(f->DBGrid1, Qt::Key_Up); // posted into the cache
            UiScript::Answer(mrCancel, QStringLiteral("Записать изменения?"));
            QTest::keyClick(f->DBGrid1, Qt::Key_Escape);
            QVERIFY(f->isVisible());
            UiScript::Answer(mrYes, QStringLiteral("Записать изменения?"));
            f->close();
        });
        LogoAppForm->N35Click();
        QCOMPARE(stored(), before + 1);
    }

    // A fresh data folder has no own organisation: an entry typed there is refused when
    // stored, and the journal stays open on it until it is dropped.
    void noEntryWithoutAnOwnOrganisation() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(addChart);
        QVERIFY(app.Started());
        UiScript::OnShow<TProvodka>([&](TProvodka *f) {
            QTest::keyClick(f->DBGrid1, Qt::Key_F6);
            typeRow(f->DBGrid1,
                    {QString(), QStringLiteral("51"), QStringLiteral("62"), QStringLiteral("100")});
            UiScript::Answer(mrOk, QStringLiteral("Не выбрана своя организация"));
            QTest::keyClick(f->DBGrid1, Qt::Key_F10);
            QVERIFY(f->isVisible());
            f->SpeedButton5->click();
        });
        LogoAppForm->N35Click();
        QCOMPARE(stored(), 0);
    }

    // Two entries of 0.125 written by an import print as 0-13 each: the journal's total,
    // the turnover-balance sheet, the balance and the account's turnover all read 0-26.
    void importedFractionsCountAsPrinted() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app([] {
            addOrganisations();
            addChart();
            for (const char *note : {"импорт 1", "импорт 2"})
                addEntry(QDate(2024, 3, 1), QStringLiteral("51"), QStringLiteral("62"), 0.125,
                         QString::fromUtf8(note), 1);
        });
        Previewed previewed;
        UiScript::OnShow<TProvodka>([](TProvodka *f) {
            QTest::keyClick(f->DBGrid1, Qt::Key_F5);
            QTest::keyClick(f->DBGrid1, Qt::Key_F10);
        });
        LogoAppForm->N35Click();
        for (auto item : {&TLogoAppForm::N40Click, &TLogoAppForm::N39Click}) {
            UiScript::OnShow<TBalans>([](TBalans *f) {
                f->BitBtn1->click();
                f->BitBtn2->click();
            });
            (LogoAppForm->*item)();
        }
        UiScript::OnShow<TItogOb>([](TItogOb *f) {
            f->Edit1->setText(QStringLiteral("51"));
            f->BitBtn1->click();
            f->BitBtn2->click();
        });
        LogoAppForm->N41Click();
        QCOMPARE(previewed.reports.size(), size_t(4));
        const TPage &journal = previewed.reports[0].Pages.at(0);
        QCOMPARE(allTexts(previewed.reports[0]).count(QStringLiteral("0-13")), 2);
        QVERIFY(findText(journal, "0-26"));
        using balancedata::rowOf;
        QCOMPARE(rowOf(previewed.reports[1].Pages.at(0), "51"),
                 (QStringList{"51", "Расчетные счета", "0-26", "0-26"}));
        QCOMPARE(rowOf(previewed.reports[2].Pages.at(0), "51"),
                 (QStringList{"51", "Расчетные счета", "0-26"}));
        QCOMPARE(rowOf(previewed.reports[3].Pages.at(0), "62"), (QStringList{"62", "0-26"}));
        QVERIFY(findText(previewed.reports[3].Pages.at(0), "Сальдо Д 0-26"));
    }

    // The chart editor: Ok keeps the row being typed (the cell's text too), Cancel, Esc
    // and the close box drop it; F6 and Ok untyped hand back the new row's empty code;
    // a deletion asks first; the printed chart runs in code order.
    void chartEditorKeepsOnOkAndDropsOnCancel() {
        Clock::setToday(QDate(2024, 3, 20));
        paydata::App app(fill);
        QVERIFY(app.Started());
        auto typeNew = [](TPlan *plan, const QString &schet) {
            QTest::keyClick(plan->DBGrid1, Qt::Key_F6);
            const QModelIndex cell = plan->DBGrid1->Model()->index(Provodka->PlSch->RecNo(), 0);
            plan->DBGrid1->setCurrentIndex(cell);
            plan->DBGrid1->edit(cell);
            auto *editor = qobject_cast<QLineEdit *>(plan->DBGrid1->indexWidget(cell));
            QVERIFY(editor);
            editor->setText(schet);
        };
        UiScript::OnShow<TPlan>([&](TPlan *plan) {
            QCOMPARE(plan->Caption(), QStringLiteral("План счетов"));
            typeNew(plan, QStringLiteral("41"));
            plan->BitBtn1->click();
        });
        LogoAppForm->MenuItem(QStringLiteral("N43"))->trigger();
        QVERIFY(Plan->OkPressed);
        QCOMPARE(Provodka->PlSchSchet->AsString(), QStringLiteral("41"));
        QCOMPARE(count(QStringLiteral("select count(*) from PlanSch where Schet = '41'")), 1);

        for (int way = 0; way < 3; ++way) {
            UiScript::OnShow<TPlan>([&](TPlan *plan) {
                typeNew(plan, QStringLiteral("43"));
                if (way == 0) plan->BitBtn2->click();
                if (way == 1) QTest::keyClick(plan, Qt::Key_Escape);
                if (way == 2) plan->close();
            });
            LogoAppForm->N43Click();
            QVERIFY(!Plan->OkPressed);
            QVERIFY(Provodka->PlSch->State() == TDataSetState::dsBrowse);
        }
        QCOMPARE(count(QStringLiteral("select count(*) from PlanSch where Schet = '43'")), 0);

        std::vector<TPreparedReport> previews;
        TReport::PreviewHook = [&](TReport &, const TPreparedReport &pages) { previews.push_back(pages); };
        UiScript::OnShow<TPlan>([](TPlan *plan) {
            UiScript::Answer(mrNo, QStringLiteral("Удалить счет?"));
            Provodka->PlSch->Locate(QStringLiteral("Schet"), QStringLiteral("41"));
            QTest::keyClick(plan->DBGrid1, Qt::Key_F8);
            QTest::keyClick(plan->DBGrid1, Qt::Key_F5);
            QTest::keyClick(plan->DBGrid1, Qt::Key_F6);
            plan->BitBtn1->click();
        });
        LogoAppForm->N43Click();
        TReport::PreviewHook = nullptr;
        QVERIFY(Plan->OkPressed);
        QCOMPARE(Provodka->PlSchSchet->AsString(), QString());
        QCOMPARE(count(QStringLiteral("select count(*) from PlanSch where Schet = '41'")), 1);
        QCOMPARE(int(previews.size()), 1);
        const TPage &page = previews[0].Pages.at(0);
        QVERIFY(findText(page, "Балансовый счет"));
        QVERIFY(findText(page, "41")->Box.top() < findText(page, "50")->Box.top());
        QVERIFY(findText(page, "50.2")->Box.top() < findText(page, "51")->Box.top());
        QVERIFY(findText(page, "Операционная касса"));
    }
};

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"
