// The printed payment order 0401060 and the payment-order variant 0401066, read from
// the laid-out page at the millimetres of the bank forms, filled from an order that
// is still being edited.
#include "PageText.h"

#include "app/Words.h"
#include "controls/DBCtrls.h"
#include "controls/UiScript.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "db/Table.h"
#include "payorders/UPlatOrd.h"
#include "payorders/rep11.h"
#include "print/Fonts.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QtTest>

namespace {

void setSettings(const QString &assignments) {
    db::Database::Exec(QStringLiteral("update Config set ") + assignments);
}

// A data folder with the print forms and one order being typed (appended, not posted).
struct PrintFixture {
    TempDataFolder folder;
    TTable Plat{nullptr, QStringLiteral("PlatPor")};
    TDataSource DataSource1{nullptr, &Plat};
    TPRINT_PAY print;
    TPlatOrd ord{&DataSource1};
    std::vector<TPreparedReport> previews;

    PrintFixture() {
        PRINT_PAY = &print;
        PlatOrd = &ord;
        TReport::PreviewHook = [this](TReport &, const TPreparedReport &pages) { previews.push_back(pages); };
        setSettings(QStringLiteral("KolCopy = 1, SizeFont = 12, FormatDat = 'dd.mm.yyyy'"));
        Plat.Open();
        Plat.Append();
        set("NUMBER", 15.0);
        set("DopNumb", QStringLiteral("а"));
        set("DATE_PLAT", QDate(2024, 3, 5));
        set("TYPE_PAY", QStringLiteral("электронно"));
        set("P_Inn", QStringLiteral("7701234567"));
        set("P_NAME", QStringLiteral("ООО \"Вереск\""));
        set("P_ACCOUNT", QStringLiteral("40702810900000001234"));
        set("P_BANK", QStringLiteral("ПАО Сбербанк\r\nг. Москва"));
        set("P_BANK_BIK", QStringLiteral("044525225"));
        set("P_BANK_ACC", QStringLiteral("30101810400000000225"));
        set("R_Inn", QStringLiteral("5009876543"));
        set("R_NAME", QStringLiteral("АО \"Ромашка\"\r\nфилиал Северный"));
        set("R_ACCOUNT", QStringLiteral("40702810500000005678"));
        set("R_BANK", QStringLiteral("АО Альфа-Банк"));
        set("R_BANK_BIK", QStringLiteral("044525593"));
        set("R_BANK_ACC", QStringLiteral("30101810200000000593"));
        set("SUMMA", 1234.5);
        set("VID_PAY", QStringLiteral("01"));
        set("NAZ_PAY", QStringLiteral("5"));
        set("CODE", QStringLiteral("К1"));
        set("OcherPlat", QStringLiteral("6"));
        set("ResPole", QStringLiteral("Р"));
    }
    ~PrintFixture() {
        TReport::PreviewHook = nullptr;
        PRINT_PAY = nullptr;
        PlatOrd = nullptr;
    }
    void set(const char *field, const QVariant &value) {
        Plat.FieldByName(QString::fromLatin1(field))->SetValue(value);
    }

    const TPage &missionPage() {
        previews.clear();
        print.PrintMission(&Plat);
        if (previews.size() != 1 || previews[0].Pages.size() != 1) qFatal("0401060 is not one page");
        return previews[0].Pages[0];
    }
    // 0401066 with the dialog answered by OK after typing the four fields.
    const TPage &platOrderPage(const QString &numbChP = QString(), const QString &datPlD = QString()) {
        previews.clear();
        UiScript::OnShow<TPlatOrd>([=](TPlatOrd *f) {
            f->DBEdit1->setText(numbChP);
            f->DBEdit1->DataLink->SetModified();
            if (!datPlD.isEmpty()) {
                f->DBEdit4->setText(datPlD);
                f->DBEdit4->DataLink->SetModified();
            }
            f->BitBtn1->click();
        });
        print.PrintPlatOrder(&Plat);
        if (previews.size() != 1 || previews[0].Pages.size() != 1) qFatal("0401066 is not one page");
        return previews[0].Pages[0];
    }
};

} // namespace

class TestPrintForms : public ScriptedTestCase {
    Q_OBJECT
  private slots:

    // Every value of form 0401060 stands at the form's place, in its font, and the
    // row being edited is printed without being posted.
    void missionPrintsTheRowAtTheFormsPlaces() {
        PrintFixture f;
        const TPage &page = f.missionPage();
        QCOMPARE(page.Size, QSizeF(210, 297));

        const struct {
            const char *text;
            double x, y;
            double size;
            const char *family;
        } expected[] = {
            {"ПЛАТЕЖНОЕ ПОРУЧЕНИЕ № 15/а", 19.6, 21.4, 12, "Times New Roman"},
            {"05.03.2024", 85.7, 21.2, 12, "Times New Roman"},
            {"электронно", 124.9, 21.2, 12, "Times New Roman"},
            {"ИНН 7701234567 ООО \"Вереск\"", 19.8, 49.5, 12, "Times New Roman"},
            {"1234-50", 136.5, 50.3, 12, "Times New Roman"},
            {"40702810900000001234", 136.5, 64.8, 12, "Times New Roman"},
            {"044525225", 136.5, 79.1, 12, "Times New Roman"},
            {"ПАО Сбербанк", 19.8, 79.4, 12, "Times New Roman"},
            {"30101810400000000225", 136.5, 84.1, 12, "Times New Roman"},
            {"АО Альфа-Банк", 19.8, 94.5, 12, "Times New Roman"},
            {"044525593", 136.5, 95.0, 12, "Times New Roman"},
            {"30101810200000000593", 137.1, 100.0, 12, "Times New Roman"},
            {"ИНН 5009876543 АО \"Ромашка\"", 19.8, 109.5, 12, "Times New Roman"},
            {"филиал Северный", 19.8, -1, 12, "Times New Roman"},
            {"40702810500000005678", 136.5, 110.6, 12, "Times New Roman"},
            {"01", -1, 124.1, 12, "Times New Roman"},
            {"5", -1, 129.4, 12, "Times New Roman"},
            {"К1", -1, 134.1, 12, "Times New Roman"},
            {"6", -1, 129.1, 12, "Times New Roman"},
            {"Р", -1, 134.1, 12, "Times New Roman"},
            {"0401060", -1, 22.5, 10, "Times New Roman"},
            {"Поступ. в банк плат.", 25.4, 15.1, 8, "Times New Roman"},
            {"Назначение платежа", 19.8, 139.2, 10, "Times New Roman"},
        };
        for (const auto &e : expected) {
            const QString text = QString::fromUtf8(e.text);
            const TPageText *t = findText(page, text);
            QVERIFY2(t, qPrintable(text));
            if (e.x >= 0) QVERIFY2(qAbs(t->Box.left() - e.x) < 0.05, qPrintable(text));
            if (e.y >= 0) QVERIFY2(qAbs(t->Box.top() - e.y) < 0.05, qPrintable(text));
            QCOMPARE(t->Font.Size, e.size);
            QCOMPARE(t->Font.Name, QString::fromLatin1(e.family));
        }
        // The amount in words, from the same four-decimal value as the figure.
        const TPageText *words = findText(page, SumToWords(1234.5));
        QVERIFY(words);
        QCOMPARE(words->Text, QStringLiteral("Одна тысяча двести тридцать четыре рубля 50 копеек"));
        QCOMPARE(words->Box.topLeft(), QPointF(42.9, 36.2));
        // Centred codes stand in the middle of their boxes.
        QVERIFY(qAbs(findText(page, "01")->Box.center().x() - (135.2 + 18.8 / 2)) < 0.05);
        // No payment term: the receipt box and the term box print nothing.
        QVERIFY(textsIn(page, QRectF(21.2, 10.6, 34.1, 4.2)).isEmpty());
        QVERIFY(textsIn(page, QRectF(175.7, 124.1, 23.5, 4.5)).isEmpty());
        // An empty remark prints as one blank: nothing visible in the purpose box.
        QCOMPARE(f.print.REMARK->Lines, QStringLiteral(" "));
        QVERIFY(textsIn(page, QRectF(19.8, 150.5, 178.9, 18.5)).isEmpty());
        // Printing never posts.
        QCOMPARE(f.Plat.State(), TDataSetState::dsInsert);
        QCOMPARE(db::Database::ScalarValue(QStringLiteral("select count(*) from PlatPor")).toInt(), 0);
    }

    void missionFrames() {
        PrintFixture f;
        const TPage &page = f.missionPage();
        // "Сумма прописью" draws its bottom and right sides; the BIK row of the recipient
        // is a frame with top and bottom only.
        QVERIFY(hasFrame(page, QRectF(19.8, 34.1, 20.6, 14.8), TRepFrame::Sides("BR")));
        QVERIFY(hasFrame(page, QRectF(134.9, 94.5, 64.8, 29.6), TRepFrame::Sides("TB")));
        QVERIFY(hasFrame(page, QRectF(184.2, 22.5, 15.6, 4.2), TRepFrame::All()));
        QCOMPARE(int(page.Lines.size()), 1);
        QVERIFY(qAbs(page.Lines[0].From.x() - 18.8) < 0.05);
    }

    // A bank name and a recipient of more lines than their cells hold shrink into their
    // cells on both forms: whole, none past its box or over another text, and none on
    // the line of the captions at the cells' feet.
    void partyTextsShrinkAboveTheirCaptions() {
        PrintFixture f;
        const QStringList bank{"ПАО Сбербанк", "Северо-Западный банк", "Дополнительный офис № 9055/01234",
                               "г. Санкт-Петербург"};
        const QStringList name{"Общество с ограниченной ответственностью", "\"Ромашка и партнеры\"",
                               "филиал Северный", "отделение № 2", "г. Мурманск"};
        for (const char *field : {"P_BANK", "R_BANK"})
            f.set(field, bank.join(QStringLiteral("\r\n")));
        for (const char *field : {"P_NAME", "R_NAME"})
            f.set(field, name.join(QStringLiteral("\r\n")));
        const auto check = [&](const TPage &page) {
            QVERIFY2(textsPastTheirBoxes(page).isEmpty(), qPrintable(textsPastTheirBoxes(page).join("; ")));
            QVERIFY2(textsOverEachOther(page).isEmpty(), qPrintable(textsOverEachOther(page).join("; ")));
            for (const QString &line : bank + name.mid(1))
                QVERIFY2(findText(page, line), qPrintable(line));
            for (const char *caption : {"Плательщик", "Банк плательщика", "Банк получателя", "Получатель"}) {
                const double foot = findText(page, caption)->Box.top();
                for (const TPageText &t : page.Texts) {
                    const rep::FontMetrics &m = rep::Metrics(t.Font);
                    // Within the tenth of a millimetre the layout allows a last line.
                    const bool across =
                        t.Origin.y() - m.Ascent() < foot - 0.1 && t.Origin.y() + m.Descent() > foot + 0.1;
                    QVERIFY2(t.Box.left() > 120 || !across, qPrintable(t.Text + " / " + caption));
                }
            }
        };
        check(f.missionPage());
        check(f.platOrderPage());
    }

    void paymentTermPrintsInTheReceiptBox() {
        PrintFixture f;
        f.set("SrokPlat", QDate(2024, 3, 15));
        f.set("REMARK", QStringLiteral("Оплата по счету 12"));
        const TPage &page = f.missionPage();
        const TPageText *term = findText(page, "15.03.2024");
        QVERIFY(term);
        QCOMPARE(term->Box.topLeft(), QPointF(21.2, 10.6));
        QCOMPARE(term->Font.Size, 10.0); // the receipt box keeps its size
        QVERIFY(textsIn(page, QRectF(175.7, 124.1, 23.5, 4.5)).isEmpty());
        const TPageText *remark = findText(page, "Оплата по счету 12");
        QVERIFY(remark);
        QCOMPARE(remark->Box.topLeft(), QPointF(19.8, 150.5));
    }

    void dateFollowsTheFormatSetting_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("printed");
        QTest::newRow("dd.mm.yyyy") << "dd.mm.yyyy"
                                    << "05.03.2024";
        QTest::newRow("dd mmmm yyyy г.")
            << QStringLiteral("dd mmmm yyyy г.") << QStringLiteral("05 марта 2024 г.");
        QTest::newRow("dd.mm.yy") << "dd.mm.yy"
                                  << "05.03.24";
        QTest::newRow("empty setting") << ""
                                       << "05.03.2024";
    }
    void dateFollowsTheFormatSetting() {
        QFETCH(QString, format);
        QFETCH(QString, printed);
        PrintFixture f;
        db::Database::Exec(QStringLiteral("update Config set FormatDat = ?"), {format});
        const TPageText *date = findText(f.missionPage(), printed);
        QVERIFY(date);
        QCOMPARE(date->Box.topLeft(), QPointF(85.7, 21.2));
    }

    // The font size setting reaches the 21 values of 0401060; a size below one point
    // leaves the layout's own sizes, and copies below one print one copy.
    void fontSizeAndCopies_data() {
        QTest::addColumn<int>("sizeFont");
        QTest::addColumn<int>("kolCopy");
        QTest::addColumn<double>("valueSize"); // of the recipient's account (designed 12)
        QTest::addColumn<double>("bankSize");  // of the recipient's bank (designed 10)
        QTest::addColumn<int>("copies");
        QTest::newRow("14 pt, 2 copies") << 14 << 2 << 14.0 << 14.0 << 2;
        QTest::newRow("0 pt, 0 copies") << 0 << 0 << 12.0 << 10.0 << 1;
        QTest::newRow("-3 pt, -1 copies") << -3 << -1 << 12.0 << 10.0 << 1;
    }
    void fontSizeAndCopies() {
        QFETCH(int, sizeFont);
        QFETCH(int, kolCopy);
        QFETCH(double, valueSize);
        QFETCH(double, bankSize);
        QFETCH(int, copies);
        PrintFixture f;
        f.set("REMARK", QStringLiteral("Назначение"));
        setSettings(QStringLiteral("SizeFont = %1, KolCopy = %2").arg(sizeFont).arg(kolCopy));
        const TPage &page = f.missionPage();
        QCOMPARE(f.previews[0].Copies, copies);
        QCOMPARE(findText(page, "40702810500000005678")->Font.Size, valueSize);
        QCOMPARE(findText(page, "АО Альфа-Банк")->Font.Size, bankSize);
        QCOMPARE(findText(page, "Назначение")->Font.Size, 12.0); // the remark keeps its size
        QCOMPARE(findText(page, "Поступ. в банк плат.")->Font.Size, 8.0);

        // 0401066 takes the copies but no font size.
        const TPage &order = f.platOrderPage();
        QCOMPARE(f.previews[0].Copies, copies);
        QCOMPARE(findText(order, "40702810500000005678")->Font.Size, 10.0);
    }

    void amountFollowsTheDecimalSeparator() {
        PrintFixture f;
        QVERIFY(findText(f.missionPage(), "1234-50"));
        fmt::SetDecimalSeparator(QLatin1Char('.'));
        QVERIFY(findText(f.missionPage(), "1234.50"));
    }

    // An amount typed but not saved (or imported) with more decimals, and one of twelve
    // rouble digits: both forms print the figure and the words of the one value rounded
    // to kopecks.
    void printedAmount_data() {
        QTest::addColumn<double>("summa");
        QTest::addColumn<QString>("figure");
        QTest::addColumn<QString>("words");
        QTest::newRow("0.125") << 0.125 << "0-13"
                               << "Ноль рублей 13 копеек";
        QTest::newRow("828 298 390 926.19")
            << 828298390926.19 << "828298390926-19"
            << "Восемьсот двадцать восемь миллиардов двести девяносто восемь миллионов триста "
               "девяносто тысяч девятьсот двадцать шесть рублей 19 копеек";
    }
    void printedAmount() {
        QFETCH(double, summa);
        QFETCH(QString, figure);
        QFETCH(QString, words);
        PrintFixture f;
        f.set("SUMMA", summa);
        QVERIFY(findText(f.missionPage(), figure));
        QCOMPARE(f.print.Summa_Words->Caption, words); // wrapped over two lines when long
        QVERIFY(findText(f.platOrderPage(), figure));
        QCOMPARE(f.print.SumWord->Caption, words);
    }

    // 0401066: the dialog's four fields go into the row being edited and onto the form.
    void platOrderPrintsTheRowAtTheFormsPlaces() {
        PrintFixture f;
        f.set("SrokPlat", QDate(2024, 3, 20));
        const TPage &page = f.platOrderPage(QStringLiteral("2"), QStringLiteral("01.02.2024"));
        QCOMPARE(f.Plat.FieldByName("NumbChP")->AsString(), QStringLiteral("2"));
        QCOMPARE(f.Plat.FieldByName("DatPlD")->AsDate(), QDate(2024, 2, 1));
        QCOMPARE(f.Plat.State(), TDataSetState::dsInsert); // typed, not posted
        QCOMPARE(f.previews[0].FirstTray, true);

        const struct {
            const char *text;
            double x, y;
        } expected[] = {
            {"ПЛАТЕЖНЫЙ ОРДЕР №", 23.3, 14.3},
            {"15", 76.2, 14.8}, // the number without its suffix
            {"05.03.2024", 110.1, 14.6},
            {"электронно", 150.3, 14.6},
            {"ИНН 7701234567 ООО \"Вереск\"", 20.1, 32.0},
            {"1234-50", 136.8, 33.6},
            {"40702810900000001234", 137.1, 42.1},
            {"044525225", 137.1, 48.7},
            {"30101810400000000225", 137.1, 55.0},
            {"044525593", 137.1, 60.9},
            // The recipient bank's correspondent account in the bank's box, the
            // recipient's account on the recipient's line.
            {"30101810200000000593", 137.1, 66.4},
            {"40702810500000005678", 137.1, 72.8},
            {"ИНН 5009876543 АО \"Ромашка\"", 20.1, 72.0},
            {"20.03.2024", 175.2, 77.8},
            {"2", 21.4, 92.6},
            {"01.02.2024", 92.3, 92.6},
        };
        for (const auto &e : expected) {
            const TPageText *t = findText(page, QString::fromUtf8(e.text));
            QVERIFY2(t, e.text);
            QVERIFY2(qAbs(t->Box.left() - e.x) < 0.05 && qAbs(t->Box.top() - e.y) < 0.05, e.text);
        }
        const TPageText *words = findText(page, SumToWords(1234.5));
        QVERIFY(words);
        QCOMPARE(words->Box.topLeft(), QPointF(41.3, 24.1));
        QCOMPARE(words->Font, (TRepFont{"Arial", 10}));
        // The recipient's BIK row: a frame with its top side, the BIK inside it.
        QVERIFY(hasFrame(page, QRectF(135.2, 60.1, 64.8, 4.5), TRepFrame::Sides("T")));
        QCOMPARE(f.print.Primech->Lines, QStringLiteral(" "));
    }

    void paymentDocumentDate_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("printed");
        QTest::newRow("01.01.1999") << "01.01.1999"
                                    << "";
        QTest::newRow("31.12.1998") << "31.12.1998"
                                    << "";
        QTest::newRow("02.01.1999") << "02.01.1999"
                                    << "02.01.1999";
        QTest::newRow("empty") << ""
                               << "";
    }
    void paymentDocumentDate() {
        QFETCH(QString, typed);
        QFETCH(QString, printed);
        PrintFixture f;
        const TPage &page = f.platOrderPage(QString(), typed);
        QCOMPARE(f.print.DatPlD->Caption, printed);
        QCOMPARE(textsIn(page, QRectF(92.3, 92.6, 25, 4.5)).join(QString()), printed);
        // No payment term: its box prints nothing.
        QVERIFY(f.print.SrokPlat->Caption.isEmpty());
    }

    // Cancel in the dialog prints nothing; what was typed stays in the row.
    void cancelInTheDialogPrintsNothing() {
        PrintFixture f;
        f.previews.clear();
        UiScript::OnShow<TPlatOrd>([](TPlatOrd *d) {
            d->DBEdit3->setText(QStringLiteral("77"));
            d->DBEdit3->DataLink->SetModified();
            d->DBEdit3->DataLink->Write();
            d->BitBtn2->click();
        });
        f.print.PrintPlatOrder(&f.Plat);
        QVERIFY(f.previews.empty());
        QVERIFY(!f.ord.OkPressed);
        QCOMPARE(f.Plat.FieldByName("NumbPlD")->AsString(), QStringLiteral("77"));
    }
};

QTEST_MAIN(TestPrintForms)
#include "tst_printforms.moc"
