// A new user's first invoice, through the program's own windows: started on a fresh
// data folder (with the bank directory), an own organisation added and chosen, an
// invoice to a new buyer written in "Счета-Фактуры" with four lines typed by quantity,
// price and VAT, saved, the buyer found among the partners, a part payment recorded,
// and the register's sums, VAT and payment right without a refresh; the invoice printed
// in all seven forms without a change stored; Esc loses nothing.
#include "SalesData.h"

#include "app/UQ1.h"
#include "controls/DBCtrls.h"
#include "payorders/PageText.h"
#include "refbooks/UKartKli.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace salesdata;

namespace {

// The register's row as its columns show it: number, buyer, sum, VAT, total, paid.
QStringList shownRow(TSpRasx *reg) {
    QStringList row;
    for (const char *field : {"NumbF", "NAME_POKUPAT", "Summa", "SummaNDS", "Itogo", "SummaOpl"})
        row << reg->SpRasx->FieldByName(QString::fromLatin1(field))->DisplayText();
    return row;
}

} // namespace

class TestEndToEnd : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void firstInvoiceOfANewUser() {
        Clock::setToday(QDate(2024, 3, 20));
        SalesApp app([] { addDirectory(); });
        QVERIFY(app.Started());
        for (const char *item : {"N3", "N5", "N30", "N31"})
            QVERIFY(LogoAppForm->MenuItem(QString::fromLatin1(item))->isEnabled());

        // "Свои реквизиты": the firm with its account; then chosen as the organisation.
        UiScript::OnShow<TSlPoluch>([](TSlPoluch *list) {
            UiScript::OnShow<TKartKli>([](TKartKli *card) {
                type(card->EditName, QStringLiteral("Вереск"));
                type(card->EditFullName, QStringLiteral("ООО \"Вереск\""));
                type(card->EditInn, QStringLiteral("7705000007"));
                card->DBGrid1->setFocus();
                SlBankP->RekvPol->Append();
                SlBankP->RekvPol->FieldByName("Schet")->SetAsString(QStringLiteral("40702810900000000707"));
                SlBankP->RekvPol->FieldByName("Bik")->SetAsString(QStringLiteral("044525225"));
                card->BitBtn1->click();
            });
            list->BitBtn4->click();
            list->BitBtn1Click();
        });
        LogoAppForm->MenuItem(QStringLiteral("N13"))->trigger();
        UiScript::OnShow<TSlPoluch>([](TSlPoluch *list) { list->BitBtn1Click(); });
        LogoAppForm->SpeedButton1Click();

        UiScript::OnShow<TSpRasx>([](TSpRasx *reg) {
            QCOMPARE(reg->Caption(), QStringLiteral("Счета-Фактуры"));
            QVERIFY(reg->SpRasx->IsEmpty());
            // F6: invoice 1 of the year, the firm as the supplier.
            UiScript::OnShow<TSchFak>([](TSchFak *e) {
                QCOMPARE(e->EditNUMB_FAKT->text(), QStringLiteral("1"));
                QCOMPARE(e->EditDATE_FAKT->text(), QStringLiteral("20.03.2024"));
                QCOMPARE(e->EditNAME_POST->toPlainText(), QStringLiteral("ООО \"Вереск\""));
                QCOMPARE(e->EditBANK_POST->text(), QStringLiteral("ПАО Сбербанк"));
                QCOMPARE(e->PageControl1->tabText(0), QStringLiteral("Покупатель"));
                type(e->EditINN_POK, QStringLiteral("5012000012"));
                type(e->EditNAME_POKUPAT, QStringLiteral("ООО \"Ландыш\""));
                type(e->EditADRESS_POK, QStringLiteral("Москва, ул. Лесная, 5"));
                type(e->EditMFO_POK, QStringLiteral("044525593"));
                e->EditSCHET_POK->setFocus(); // leaving the BIK completes the bank
                QCOMPARE(e->EditBANK_POK->text(), QStringLiteral("АО Альфа-Банк"));
                QCOMPARE(e->EditKSCHET_POK->text(), QStringLiteral("30101810200000000593"));
                type(e->EditSCHET_POK, QStringLiteral("40702810100000000808"));

                // Four lines: quantity and price fill the amounts at the default 22 %,
                // the VAT typed then computes them again; each amount to the kopeck, a
                // half kopeck up as by hand (12.5 x 87.30 = 1 091.25, at 22 % 240.075).
                TDBGrid *grid = e->DBGrid1;
                grid->setFocus();
                const struct {
                    const char *name, *kolVo, *cena, *vat, *summa, *nds, *itogo;
                } lines[] = {{"Бумага А4", "10", "250-5", "20", "2 505-00", "501-00", "3 006-00"},
                             {"Папка", "3", "19-99", "20", "59-97", "11-99", "71-96"},
                             {"Клей", "0-5", "123-45", "10", "61-73", "6-17", "67-90"},
                             {"Краска", "12-5", "87-30", nullptr, "1 091-25", "240-08", "1 331-33"}};
                for (int row = 0; row < 4; ++row) {
                    QTest::keyClick(grid, Qt::Key_Down); // a new line
                    QVERIFY(typeCell(grid, row, "NAME_TOV", QString::fromUtf8(lines[row].name)));
                    QCOMPARE(SpRasx->PosRasx->FieldByName("PROC_NDS")->AsString(), QStringLiteral("22"));
                    QVERIFY(typeCell(grid, row, "KOL_VO", QString::fromLatin1(lines[row].kolVo)));
                    QVERIFY(typeCell(grid, row, "CENA_TOV", QString::fromLatin1(lines[row].cena)));
                    if (lines[row].vat)
                        QVERIFY(typeCell(grid, row, "PROC_NDS", QString::fromLatin1(lines[row].vat)));
                    const auto cell = [&](int column) {
                        return grid->Model()->index(row, column).data().toString();
                    };
                    QCOMPARE(
                        QStringList({cell(6), cell(8), cell(9)}),
                        QStringList({QString::fromUtf8(lines[row].summa), QString::fromUtf8(lines[row].nds),
                                     QString::fromUtf8(lines[row].itogo)}));
                }
                // Esc with the lines not saved asks; Cancel keeps everything.
                UiScript::Answer(mrCancel, QStringLiteral("Записать документ?"));
                QTest::keyClick(grid, Qt::Key_Escape);
                QVERIFY(e->isVisible());
                QCOMPARE(grid->Model()->index(3, 0).data().toString(), QStringLiteral("Краска"));
                QTest::keyClick(grid, Qt::Key_F10);
                QVERIFY(!e->isVisible());
            });
            QTest::keyClick(reg->DBGrid1, Qt::Key_F6);
            QCOMPARE(reg->SpRasx->RecordCount(), 1);
            QCOMPARE(shownRow(reg),
                     QStringList({"1", "ООО \"Ландыш\"", "3 717-95", "759-24", "4 477-19", ""}));
            QCOMPARE(count("select count(*) from Faktura where ZAG_ID = ?",
                           {reg->SpRasx->FieldByName("FAKTUR_ZAG_ID")->AsFloat()}),
                     4);
            QCOMPARE(count("select count(*) from Faktura where SummaNds = 240.08"), 1);

            // The buyer is among the partners now, with its account.
            UiScript::OnShow<TSlPoluch>([](TSlPoluch *list) {
                QVERIFY(list->Klient->Locate(QStringLiteral("Inn"), QStringLiteral("5012000012")));
                QCOMPARE(list->KlientFullName->AsString(), QStringLiteral("ООО \"Ландыш\""));
                QCOMPARE(list->KlientAdress->AsString(), QStringLiteral("Москва, ул. Лесная, 5"));
                list->BitBtn1Click();
            });
            reg->SpeedButton2Click();
            QCOMPARE(reg->Edit1->text(), QStringLiteral("ООО \"Ландыш\""));
            QCOMPARE(count("select count(*) from Bank where Schet = '40702810100000000808' and "
                           "NameBank = 'АО Альфа-Банк'"),
                     1);

            // F3: a part payment; its VAT in the document's own share.
            UiScript::OnShow<TOplataF>([](TOplataF *f) {
                QVERIFY(f->Oplata->IsEmpty());
                QTest::keyClick(f->DBGrid1, Qt::Key_Down);
                QVERIFY(typeCell(f->DBGrid1, 0, "DateOpl", QStringLiteral("25.03.2024")));
                QVERIFY(typeCell(f->DBGrid1, 0, "NumbDok", QStringLiteral("41")));
                QVERIFY(typeCell(f->DBGrid1, 0, "SummaOpl", QStringLiteral("1000")));
                // 1000 - 1000 / (1 + 759.24 / 3717.95), stored unrounded.
                QCOMPARE(f->Oplata->FieldByName("SummaNds")->AsFloat(), 169.57958004909324);
                f->BitBtn1->click();
                QVERIFY(!f->isVisible());
            });
            QTest::keyClick(reg->DBGrid1, Qt::Key_F3);
            QCOMPARE(shownRow(reg).last(), QStringLiteral("1 000-00"));

            // F4, F5: the invoice prints in each of the seven forms on one page with its
            // total; nothing is stored by printing, yet Esc then asks, and No keeps the
            // document as saved.
            UiScript::OnShow<TSchFak>([](TSchFak *e) {
                Previewed printed;
                for (QPushButton *TQ_pri::*button :
                     {&TQ_pri::SpeedButton1, &TQ_pri::SpeedButton2, &TQ_pri::SpeedButton3,
                      &TQ_pri::SpeedButton7, &TQ_pri::SpeedButton4, &TQ_pri::SpeedButton5,
                      &TQ_pri::SpeedButton6}) {
                    UiScript::OnShow<TQ_pri>([button](TQ_pri *q) { (q->*button)->click(); });
                    QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F5);
                }
                QStringList totals, words;
                for (const TPreparedReport &pages : printed.reports) {
                    QCOMPARE(pages.Pages.size(), size_t(1));
                    for (const TPageText &t : pages.Pages[0].Texts) {
                        if (t.Text == QStringLiteral("4 477-19") || t.Text == QStringLiteral("4 701-06"))
                            totals << t.Text;
                        if (t.Text.contains(QStringLiteral("семьдесят семь рублей"))) words << t.Text;
                    }
                }
                // Every form's total with VAT; the waybill with sales tax also its total with
                // 5 % added line by line (3 156-30 + 75-56 + 71-30 + 1 397-90); the words
                // tell the same kopecks.
                QCOMPARE(totals.count(QStringLiteral("4 477-19")), 7);
                QCOMPARE(totals.count(QStringLiteral("4 701-06")), 1);
                QVERIFY(!words.isEmpty());
                for (const QString &text : words)
                    QVERIFY2(text.contains(
                                 QStringLiteral("Четыре тысячи четыреста семьдесят семь рублей 19 копеек")),
                             qPrintable(text));
                UiScript::Answer(mrNo, QStringLiteral("Записать документ?"));
                QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_Escape);
                QVERIFY(!e->isVisible());
            });
            QTest::keyClick(reg->DBGrid1, Qt::Key_F4);
            QCOMPARE(count("select count(*) from FAKTUR_ZAG where GRUZOOTPR is null and abs(Itogo - 4477.19) "
                           "< 0.001"),
                     1);

            // F4 and Esc on the unchanged document: no question, nothing changes.
            UiScript::OnShow<TSchFak>([](TSchFak *e) {
                QVERIFY(!e->MaxN->isVisible());
                QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_Escape);
                QVERIFY(!e->isVisible());
            });
            QTest::keyClick(reg->DBGrid1, Qt::Key_F4);
            QTest::keyClick(reg->DBGrid1, Qt::Key_F10);
        });
        showActive(LogoAppForm);
        QTest::keyClick(LogoAppForm, Qt::Key_F5, Qt::ControlModifier);
        QCOMPARE(UiScript::FormsShown().count(QStringLiteral("TSpRasx")), 1);

        // Found again in "Счета-Фактуры" with its payment.
        UiScript::OnShow<TSpRasx>([](TSpRasx *reg) {
            QCOMPARE(shownRow(reg),
                     QStringList({"1", "ООО \"Ландыш\"", "3 717-95", "759-24", "4 477-19", "1 000-00"}));
            reg->SpeedButton7Click();
        });
        LogoAppForm->MenuItem(QStringLiteral("N30"))->trigger();
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
