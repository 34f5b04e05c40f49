// The printed trade documents, printed from the document editor with F5 and the
// chooser as the user prints them, saved as PDF and read back with pdftotext: the
// number with its suffix, the VAT and sales-tax lines in figures and words, totals
// rounded once, the column header on every page with the totals once after the last
// line, the document as it stands in the editor (the line being typed included), no
// page without lines, nothing stored by printing while leaving still asks; and every
// form with long names and goods inside its margins with no text over another.
#include "SalesData.h"

#include "app/UQ1.h"
#include "controls/DBCtrls.h"
#include "controls/TableUtils.h"
#include "payorders/PageText.h"
#include "print/PagePainter.h"
#include "support/PdfWords.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

using namespace salesdata;

namespace {

const QString LongOwn =
    sized(QStringLiteral("Общество с ограниченной ответственностью «Торгово-производственная компания "
                         "Вереск-Северо-Запад» филиал"),
          150);
const QString LongBuyer = sized(
    QStringLiteral("Закрытое акционерное общество «Ландыш и партнеры» объединение оптовой торговли"), 150);
const QString LongGoods = sized(
    QStringLiteral("Бумага офисная для лазерных и струйных принтеров формат А4 плотность 80 г/м2"), 100);

// The header's and the lines' other texts at the full size of their fields (names in
// words, numbers and codes in figures), and the first line's price and amounts of
// twelve rouble digits: 999 999 999 999-99 and 900 000 000 000-00 with VAT, so that
// every total has twelve rouble digits too, the most an amount may have.
void fillToFieldSizes() {
    const auto fill = [](const QString &table, const QStringList &fields, const QString &text) {
        for (const QString &field : fields)
            db::Database::Exec(QStringLiteral("update %1 set %2 = ?").arg(table, field),
                               {sized(text, TextSizeOf(table, field))});
    };
    const QString figures = QStringLiteral("7777777777777777777777777");
    const QString words = QStringLiteral("Широкая улица Щорса, Южный жилмассив");
    for (const QString &side : {QStringLiteral("POK"), QStringLiteral("POST")}) {
        fill(QStringLiteral("FAKTUR_ZAG"),
             {"TEL_" + side, "SCHET_" + side, "KSCHET_" + side, "MFO_" + side, "INN_" + side, "OKPO_" + side,
              "OKONX_" + side},
             figures);
        fill(QStringLiteral("FAKTUR_ZAG"), {"BANK_" + side, "CYTI_" + side}, words);
    }
    fill(QStringLiteral("FAKTUR_ZAG"), {"NUMB_TTN", "NUMB_SCHET", "DopNumb"}, figures);
    fill(QStringLiteral("FAKTUR_ZAG"), {"DOPOLN", "GRUZOPOL", "GRUZOOTPR", "PLATDOK"}, words);
    fill(QStringLiteral("Faktura"), {"OKDP_TOV", "NTamog"}, figures);
    fill(QStringLiteral("Faktura"), {"ED_IZM", "Strana"}, words);
    db::Database::Exec(QStringLiteral("update Faktura set CENA_TOV = 999999999999.99, KOL_VO = 1, "
                                      "Summa = 750000000000, SummaNds = 150000000000, Itogo = 900000000000 "
                                      "where FAKTURA_ID = (select min(FAKTURA_ID) from Faktura)"));
}

struct Doc {
    double key = 0;
    double own = 0;
};

// Own organisation "Вереск" and a document to "Ландыш" with every requisite filled:
// invoice 15/а, bill С-7, waybill Т-3, sales tax `salesTax` %, and `lines` lines,
// each 820 + 180 VAT = 1 000 unless `amounts` gives them.
Doc fillDocument(int lines, double salesTax = 5, bool longTexts = false, const QString &dopNumb = "а") {
    Doc d;
    db::Database::Exec(QStringLiteral("update Config set Period = 'Год', ProcNDS = 20"));
    d.own = addKlient(QStringLiteral("Вереск"), QStringLiteral("ООО \"Вереск\""),
                      QStringLiteral("7705000007"), QStringLiteral("T"));
    d.key = addHeader({"s", d.own, 15, QDate(2024, 3, 5), QDate(2024, 3, 4), QDate(2024, 3, 6),
                       longTexts ? LongBuyer : QStringLiteral("ООО \"Ландыш\""), 820.0 * lines, 180.0 * lines,
                       1000.0 * lines});
    const QString address = longTexts
                                ? sized(QStringLiteral("г. Москва, ул. Большая Лесная, дом 5, строение 2, "
                                                       "офис 17, вход со двора"),
                                        150)
                                : QStringLiteral("Москва, ул. Лесная, 5");
    db::Database::Exec(
        QStringLiteral(
            "update FAKTUR_ZAG set NUMB_TTN = 'Т-3', NUMB_SCHET = 'С-7', DopNumb = ?, NalogProd = ?, "
            "NAME_POST = ?, ADRESS_POST = ?, TEL_POST = '495-111-22-33', SCHET_POST = "
            "'40702810900000000707', "
            "KSCHET_POST = '30101810400000000225', MFO_POST = '044525225', BANK_POST = ?, "
            "CYTI_POST = 'Москва', INN_POST = '7705000007', OKPO_POST = '12345678', OKONX_POST = '71100', "
            "ADRESS_POK = ?, TEL_POK = '495-444-55-66', SCHET_POK = '40702810100000000808', "
            "KSCHET_POK = '30101810200000000593', MFO_POK = '044525593', BANK_POK = 'АО Альфа-Банк', "
            "CYTI_POK = 'Москва', INN_POK = '5012000012', OKPO_POK = '87654321', OKONX_POK = '71200', "
            "DOPOLN = 'по договору Д-1', GRUZOPOL = 'он же', GRUZOOTPR = 'он же', PLATDOK = '41 от "
            "01.03.2024' "
            "where FAKTUR_ZAG_ID = ?"),
        {dopNumb.isEmpty() ? QVariant() : QVariant(dopNumb), salesTax,
         longTexts ? LongOwn : QStringLiteral("ООО \"Вереск\""), address,
         longTexts ? sized(QStringLiteral("Северо-Западный банк ПАО Сбербанк"), 100)
                   : QStringLiteral("ПАО Сбербанк"),
         address, d.key});
    for (int i = 0; i < lines; ++i)
        db::Database::Exec(
            QStringLiteral("insert into Faktura (ZAG_ID, NAME_TOV, OKDP_TOV, ED_IZM, KOL_VO, CENA_TOV, "
                           "PROC_NDS, Summa, SummaNds, Itogo, Strana, NTamog) "
                           "values (?, ?, '171222', 'пач.', 4, 205, 21.95, 820, 180, 1000, ?, ?)"),
            {d.key, longTexts ? LongGoods : QStringLiteral("Бумага А4 %1").arg(i + 1),
             longTexts ? QStringLiteral("Российская Федерация") : QStringLiteral("Россия"),
             QStringLiteral("10130010/010324/0001234")});
    return d;
}

// What one print gave: the pages laid out, the PDF saved from them and its words.
struct Print {
    TPreparedReport report;
    QList<QList<PdfWord>> pdf;
    int previews = 0;
};

// The pages of every preview the editor opens, kept and saved as PDF.
class Printer {
  public:
    Printer() {
        TReport::PreviewHook = [this](TReport &, const TPreparedReport &pages) {
            ++m_print.previews;
            m_print.report = pages;
        };
    }
    ~Printer() { TReport::PreviewHook = nullptr; }

    // F5 in the editor with the chooser answered by `button` (its sales-tax box set to
    // `salesTax` when given), the preview's pages saved as PDF and read back.
    Print print(TSchFak *e, QPushButton *TQ_pri::*button, std::optional<bool> salesTax = std::nullopt) {
        m_print = Print();
        UiScript::OnShow<TQ_pri>([=](TQ_pri *q) {
            if (salesTax) q->CheckBox1->setChecked(*salesTax);
            (q->*button)->click();
        });
        QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_F5);
        if (!m_print.report.Pages.empty()) {
            const QString dir = qEnvironmentVariable("ORBEK_PRINT_DIR", m_dir.path());
            const QString file = dir + QStringLiteral("/form%1.pdf").arg(++m_saved);
            rep::WritePdf(m_print.report, file);
            m_print.pdf = pdfPages(file);
        }
        return m_print;
    }

  private:
    QTemporaryDir m_dir;
    Print m_print;
    inline static int m_saved = 0;
};

// The editor on the register's first invoice; `steps` run in it, then Cancel.
template <class Steps> void edit(Steps steps) {
    salesdata::edit("N30", Qt::Key_F4, steps);
}

// The laid-out text of a page that starts with `start`, or empty.
QString lineStarting(const TPage &page, const QString &start) {
    for (const TPageText &t : page.Texts)
        if (t.Text.startsWith(start)) return t.Text;
    return QString();
}

int wordCount(const QList<PdfWord> &words, const QString &text) {
    return int(std::count_if(words.begin(), words.end(), [&](const PdfWord &w) { return w.text == text; }));
}

// The words of a PDF page on the line of `first` (same baseline band), left to right.
QStringList pdfLineOf(const QList<PdfWord> &words, const QString &first) {
    const QRectF at = wordBox(words, first);
    QList<PdfWord> line;
    for (const PdfWord &w : words)
        if (qAbs(w.box.bottom() - at.bottom()) < 0.5 && w.box.left() >= at.left() - 0.01) line << w;
    std::sort(line.begin(), line.end(),
              [](const PdfWord &a, const PdfWord &b) { return a.box.left() < b.box.left(); });
    QStringList texts;
    for (const PdfWord &w : line)
        texts << w.text;
    return texts;
}

QString storedShipper(double key) {
    return value(QStringLiteral("select GRUZOOTPR from FAKTUR_ZAG where FAKTUR_ZAG_ID = ?"), {key})
        .toString();
}

} // namespace

class TestPrint : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void initTestCase() { Clock::setToday(QDate(2024, 3, 20)); }

    // The invoice number with its suffix, the amount in words, the sales-tax line on
    // the total with VAT (1 000-00 at 5 %: 50-00) and the VAT line, as printed and as
    // read from the PDF; the sales-tax line empty once the user clears the box, and
    // with no sales tax the box hidden and the line empty.
    void hookLinesInFiguresAndWords() {
        Doc d;
        SalesApp app([&] { d = fillDocument(1); });
        edit([&](TSchFak *e) {
            Printer printer;
            Print p = printer.print(e, &TQ_pri::SpeedButton3); // PriFakt
            QVERIFY(Q_pri->CheckBox1->isVisibleTo(Q_pri));
            QCOMPARE(p.report.Pages.size(), size_t(1));
            const TPage &page = p.report.Pages[0];
            QVERIFY(findText(page, "15/а"));
            QCOMPARE(lineStarting(page, "Одна тысяча"), QStringLiteral("Одна тысяча рублей 00 копеек"));
            QCOMPARE(lineStarting(page, "плюс"),
                     QStringLiteral("плюс налог с продаж -   50-00(Пятьдесят рублей 00 копеек)"));
            const QList<PdfWord> &words = p.pdf[0];
            QCOMPARE(pdfLineOf(words, QStringLiteral("СЧЕТ")).mid(0, 6),
                     (QStringList{"СЧЕТ", "-", "ФАКТУРА", "№", "15/а", "от"}));
            QCOMPARE(pdfLineOf(words, QStringLiteral("плюс")),
                     (QStringList{"плюс", "налог", "с", "продаж", "-", "50-00(Пятьдесят", "рублей", "00",
                                  "копеек)"}));
            QCOMPARE(pdfLineOf(words, QStringLiteral("Всего")),
                     (QStringList{"Всего", "к", "оплате:", "820-00", "180-00", "1", "000-00"}));

            p = printer.print(e, &TQ_pri::SpeedButton2); // NewSchet
            QCOMPARE(lineStarting(p.report.Pages[0], "в том числе"),
                     QStringLiteral("в том числе НДС -   180-00(Сто восемьдесят рублей 00 копеек)"));
            QCOMPARE(pdfLineOf(p.pdf[0], QStringLiteral("том")),
                     (QStringList{"том", "числе", "НДС", "-", "180-00(Сто", "восемьдесят", "рублей", "00",
                                  "копеек)"}));
            QVERIFY(lineStarting(p.report.Pages[0], "Одна тысяча").size() > 0);

            // Naklad with the box cleared by the user: no sales-tax line.
            p = printer.print(e, &TQ_pri::SpeedButton5, false);
            QCOMPARE(wordCount(p.pdf[0], QStringLiteral("плюс")), 0);
            QCOMPARE(wordCount(p.pdf[0], QStringLiteral("Одна")), 1);

            // RepFak without a suffix: the number alone.
            e->SpRasx->Edit();
            e->SpRasx->FieldByName(QStringLiteral("DopNumb"))->Clear();
            e->SpRasx->FieldByName(QStringLiteral("NalogProd"))->SetAsFloat(0);
            p = printer.print(e, &TQ_pri::SpeedButton7);
            QVERIFY(!Q_pri->CheckBox1->isVisibleTo(Q_pri));
            QVERIFY(!Q_pri->CheckBox1->isChecked());
            QCOMPARE(pdfLineOf(p.pdf[0], QStringLiteral("СЧЕТ")).mid(0, 6),
                     (QStringList{"СЧЕТ", "-", "ФАКТУРА", "№", "15", "от"}));
            // PriFakt with no sales tax: the line is empty.
            p = printer.print(e, &TQ_pri::SpeedButton3);
            QCOMPARE(wordCount(p.pdf[0], QStringLiteral("плюс")), 0);
        });
    }

    // A total typed with a third decimal prints rounded once, the figure and the
    // words of the same kopecks: 1 000-019 gives 1 000-02 in both (the words alone
    // would cut it to 01); 0-125 of VAT, which the invoices' VAT column prints as 0-13,
    // gives 0-13 in both (the words alone would round the half to the even 12).
    void figuresAndWordsAgree() {
        Doc d;
        SalesApp app([&] {
            d = fillDocument(1);
            db::Database::Exec(QStringLiteral("update Faktura set Itogo = 1000.019, SummaNds = 0.125"));
        });
        edit([&](TSchFak *e) {
            Printer printer;
            Print p = printer.print(e, &TQ_pri::SpeedButton2); // NewSchet
            const TPage &page = p.report.Pages[0];
            QCOMPARE(lineStarting(page, "Одна тысяча"), QStringLiteral("Одна тысяча рублей 02 копейки"));
            QCOMPARE(pdfLineOf(p.pdf[0], QStringLiteral("Итого:")), (QStringList{"Итого:", "1", "000-02"}));
            QCOMPARE(lineStarting(page, "в том числе"),
                     QStringLiteral("в том числе НДС -   0-13(Ноль рублей 13 копеек)"));
        });
    }

    // 60 lines: every page has the column header above its rows, each line prints
    // once in order, and the totals once, on the last page under the last line.
    void longTableBreaksWithItsHeader() {
        SalesApp app([] { fillDocument(60); });
        edit([&](TSchFak *e) {
            Printer printer;
            const Print p = printer.print(e, &TQ_pri::SpeedButton6); // NaklNal
            QVERIFY(p.pdf.size() >= 2);
            int lines = 0, totals = 0;
            for (int i = 0; i < p.pdf.size(); ++i) {
                const QList<PdfWord> &words = p.pdf[i];
                const QRectF caption = wordBox(words, QStringLiteral("Наименование"));
                QVERIFY2(!caption.isNull(), qPrintable(QStringLiteral("страница %1").arg(i + 1)));
                double lastRow = caption.bottom();
                for (const PdfWord &w : words)
                    if (w.text == QStringLiteral("А4")) {
                        ++lines;
                        QVERIFY(w.box.top() > caption.bottom());
                        lastRow = qMax(lastRow, w.box.bottom());
                    }
                const QRectF total = wordBox(words, QStringLiteral("Итого:"));
                if (!total.isNull()) {
                    ++totals;
                    QCOMPARE(i, int(p.pdf.size()) - 1);
                    QVERIFY(total.top() > lastRow);
                    QCOMPARE(pdfLineOf(words, QStringLiteral("Итого:")),
                             (QStringList{"Итого:", "49", "200-00", "10", "800-00", "60", "000-00", "63",
                                          "000-00"}));
                }
            }
            QCOMPARE(lines, 60);
            QCOMPARE(totals, 1);
        });
    }

    // The document as it stands in the editor: a changed buyer not yet left and a line
    // still being typed print; printing stores nothing (no blank added to the shipper,
    // no line written), yet the document counts as changed, so Esc asks even after a
    // cancelled chooser; a document without lines prints no page.
    void printsTheEditorsDocumentAndStoresNothing() {
        Doc d;
        SalesApp app([&] { d = fillDocument(1); });
        edit([&](TSchFak *e) {
            Printer printer;
            e->SpRasx->Edit();
            e->SpRasx->FieldByName(QStringLiteral("NAME_POKUPAT"))
                ->SetAsString(QStringLiteral("ООО \"Ромашка\""));
            TDBGrid *grid = e->DBGrid1;
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_Down);
            QVERIFY(typeCell(grid, 1, "NAME_TOV", QStringLiteral("Клей")));
            QVERIFY(typeCell(grid, 1, "KOL_VO", QStringLiteral("2")));
            QVERIFY(typeCell(grid, 1, "CENA_TOV", QStringLiteral("50")));
            const Print p = printer.print(e, &TQ_pri::SpeedButton1); // RepSchet
            const QList<PdfWord> &words = p.pdf[0];
            QCOMPARE(wordCount(words, QStringLiteral("Клей")), 1);
            const QStringList line = pdfLineOf(words, QStringLiteral("Клей"));
            QVERIFY2(line.contains(QStringLiteral("50-00")) && line.contains(QStringLiteral("100-00")),
                     qPrintable(line.join(QLatin1Char(' '))));
            QCOMPARE(wordCount(words, QStringLiteral("Ромашка\"")), 0); // RepSchet prints the supplier only
            QCOMPARE(storedShipper(d.key), QStringLiteral("он же"));
            QCOMPARE(count(QStringLiteral("select count(*) from Faktura")), 1);

            // Esc after the print asks; No leaves the stored document as it was.
            UiScript::Answer(mrNo, QStringLiteral("Записать документ?"));
            QTest::keyClick(e->EditNUMB_FAKT, Qt::Key_Escape);
            QVERIFY(!e->isVisible());
        });
        QVERIFY2(UiScript::Clean(), qPrintable(UiScript::Problems()));
        QCOMPARE(storedShipper(d.key), QStringLiteral("он же"));
        QCOMPARE(value(QStringLiteral("select NAME_POKUPAT from FAKTUR_ZAG")).toString(),
                 QStringLiteral("ООО \"Ландыш\""));

        // Cancel in the chooser prints nothing, and leaving still asks.
        edit([&](TSchFak *e) {
            Printer printer;
            const Print p = printer.print(e, &TQ_pri::BitBtn3);
            QCOMPARE(p.previews, 0);
            QVERIFY(e->HasChanges());
            UiScript::Answer(mrNo, QStringLiteral("Записать документ?"));
            e->close();
            QVERIFY(!e->isVisible());
        });
        QVERIFY2(UiScript::Clean(), qPrintable(UiScript::Problems()));

        // Without lines: the preview gets no page.
        db::Database::Exec(QStringLiteral("delete from Faktura"));
        edit([&](TSchFak *e) {
            Printer printer;
            const Print p = printer.print(e, &TQ_pri::SpeedButton4);
            QCOMPARE(p.previews, 1);
            QVERIFY(p.report.Pages.empty());
        });
    }

    // Every form with each text at the full size of its field (a 150-character
    // organisation name and address, a 100-character goods name on each of 40 lines,
    // codes of figures) and twelve rouble digits in the first line's price and amounts
    // and in the totals: every text stands whole inside its cell, every word inside the
    // margins and none over another; a wrapped goods name keeps to its column.
    void formFitsItsPage_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QRectF>("area"); // within the margins, mm
        QTest::newRow("PriFakt") << 0 << QRectF(QPointF(10, 5), QPointF(277, 205));
        QTest::newRow("RepTTN") << 1 << QRectF(QPointF(10, 5), QPointF(277, 205));
        QTest::newRow("RepSchet") << 2 << QRectF(QPointF(10, 10), QPointF(200, 277));
        QTest::newRow("NewSchet") << 3 << QRectF(QPointF(15, 5), QPointF(205, 277));
        QTest::newRow("Naklad") << 4 << QRectF(QPointF(15, 5), QPointF(205, 277));
        QTest::newRow("NaklNal") << 5 << QRectF(QPointF(10, 5), QPointF(277, 205));
        QTest::newRow("RepFak") << 6 << QRectF(QPointF(20, 8), QPointF(204, 289));
    }
    void formFitsItsPage() {
        QFETCH(int, button);
        QFETCH(QRectF, area);
        static QPushButton *TQ_pri::*const buttons[] = {
            &TQ_pri::SpeedButton3, &TQ_pri::SpeedButton4, &TQ_pri::SpeedButton1, &TQ_pri::SpeedButton2,
            &TQ_pri::SpeedButton5, &TQ_pri::SpeedButton6, &TQ_pri::SpeedButton7};
        SalesApp app([] {
            fillDocument(40, 5, true);
            db::Database::Exec(QStringLiteral("insert into PrimSch (Zag_id, Primech) select FAKTUR_ZAG_ID, ? "
                                              "from FAKTUR_ZAG"),
                               {sized(QStringLiteral("Оплата в течение пяти банковских дней"), 250)});
            fillToFieldSizes();
        });
        UiScript::OnShow<TSpRasx>([=](TSpRasx *f) {
            f->VidDoc = 1; // the bill's note is open too
            UiScript::OnShow<TSchFak>([=](TSchFak *e) {
                Printer printer;
                const Print p = printer.print(e, buttons[button]);
                QVERIFY(p.pdf.size() >= 2);
                for (const TPage &page : p.report.Pages) {
                    const QStringList past = textsPastTheirBoxes(page);
                    QVERIFY2(past.isEmpty(), qPrintable(past.join(QStringLiteral("; "))));
                }
                const QString printed = allTexts(p.report).join(QString()).remove(QLatin1Char(' '));
                // The owner's name, the first line's total and the total of the lines.
                for (const QString &whole :
                     {QString(LongOwn).remove(QLatin1Char(' ')), QStringLiteral("900000000000-00"),
                      QStringLiteral("900000039000-00")})
                    QVERIFY2(printed.contains(whole), qPrintable(whole));
                for (int i = 0; i < p.pdf.size(); ++i) {
                    const QList<PdfWord> &words = p.pdf[i];
                    for (int a = 0; a < words.size(); ++a) {
                        const QRectF box = words[a].box.adjusted(0.1, 0.1, -0.1, -0.1);
                        QVERIFY2(area.contains(box),
                                 qPrintable(QStringLiteral("за полем: %1 на странице %2 (%3, %4 - %5, %6)")
                                                .arg(words[a].text)
                                                .arg(i + 1)
                                                .arg(box.left())
                                                .arg(box.top())
                                                .arg(box.right())
                                                .arg(box.bottom())));
                        for (int b = a + 1; b < words.size(); ++b)
                            QVERIFY2(!box.intersects(words[b].box.adjusted(0.1, 0.1, -0.1, -0.1)),
                                     qPrintable(QStringLiteral("«%1» на «%2», страница %3")
                                                    .arg(words[a].text, words[b].text)
                                                    .arg(i + 1)));
                    }
                }
                e->BitBtn2Click();
            });
            f->SpRasx->First();
            QTest::keyClick(f->DBGrid1, Qt::Key_F4);
            f->SpeedButton7Click();
        });
        LogoAppForm->MenuItem(QStringLiteral("N30"))->trigger();
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
