// Layout of banded reports over rows in memory: bands, groups, sums, free elements,
// hooks, read from the laid-out pages.
#include "LongReport.h"
#include "MemoryRows.h"

#include "db/Errors.h"
#include "print/Fonts.h"
#include "print/Report.h"

#include <QFontInfo>
#include <QtTest>

namespace {

const QString Money = QStringLiteral("### ### ##0.00");

// Three accounts of 25, 30 and 20 rows; amounts 1.25, 2.50, ... per account.
void fillThreeGroups(MemoryRows &rows, double totals[3]) {
    const QStringList accounts{QStringLiteral("60"), QStringLiteral("62"), QStringLiteral("71")};
    const int counts[3] = {25, 30, 20};
    for (int g = 0; g < 3; ++g) {
        totals[g] = 0;
        for (int i = 1; i <= counts[g]; ++i) {
            const double amount = i * 1.25 + g * 1000;
            totals[g] += amount;
            rows.Add({accounts[g], QStringLiteral("Строка %1-%2").arg(accounts[g]).arg(i), amount});
        }
    }
}

double baselineAt(double top, double size = 10, const QString &family = QStringLiteral("Arial")) {
    return top + rep::Metrics(TRepFont{family, size}).Ascent();
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

  private slots:
    void listReportWithGroupsAcrossPages();
    void nestedGroupsCloseInsideOut();
    void freeElementsOnOnePage();
    void emptyDataset_data();
    void emptyDataset();
    void printHooksReplaceText();
    void sumsAddThePrintedFigures();
    void bandHooksHideBandsAndSwitchResets();
    void hooksStartAfreshEachPass();
    void nothingPrintsBelowABand();
    void textsShrinkToFitTheirCells();
    void layoutErrorsAreReportedAndUndone();
    void fontsResolveToMetricTwins();
    void longReportPageByPage();
};

// The list report of the registers: title, column header on every page, a group per
// account with a footer sum that restarts, a grand total, a page footer.
void TestLayout::listReportWithGroupsAcrossPages() {
    MemoryRows rows(QStringLiteral("Otch"),
                    {QStringLiteral("Grp"), QStringLiteral("Name"), QStringLiteral("Summa")});
    double totals[3];
    fillThreeGroups(rows, totals);

    TReport rep;
    rep.DataSet = &rows;
    rep.Frame = TRepFrame::All();
    auto *title = rep.AddBand(rbTitle, 12);
    auto *caption = title->AddLabel(QStringLiteral("Оборотная ведомость"), 0, 2, 190, 8);
    caption->Font.Size = 14;
    caption->Alignment = taCenter;
    auto *header = rep.AddBand(rbColumnHeader, 6);
    header->Frame = TRepFrame::All();
    header->Font.Size = 9;
    header->Font.Italic = true;
    header->AddLabel(QStringLiteral("Счет"), 1, 1, 20, 5);
    header->AddLabel(QStringLiteral("Наименование"), 22, 1, 100, 5);
    header->AddLabel(QStringLiteral("Сумма"), 150, 1, 39, 5)->Alignment = taRightJustify;
    auto *group = rep.AddGroup(QStringLiteral("Otch.Grp"), 6);
    group->AddLabel(QStringLiteral("Счет"), 1, 1, 15, 5);
    group->AddDBText(&rows, QStringLiteral("Grp"), 17, 1, 20, 5);
    auto *footer = group->AddFooter(6);
    footer->AddLabel(QStringLiteral("Итого по счету"), 1, 1, 40, 5);
    footer->AddDBText(&rows, QStringLiteral("Grp"), 42, 1, 20, 5);
    auto *groupSum = footer->AddExpr(QStringLiteral("SUM(Otch.Summa)"), 150, 1, 39, 5);
    groupSum->Mask = Money;
    groupSum->ResetAfterPrint = true;
    groupSum->Alignment = taRightJustify;
    auto *detail = rep.AddBand(rbDetail, 5);
    detail->AddDBText(&rows, QStringLiteral("Grp"), 1, 0, 20, 5);
    detail->AddDBText(&rows, QStringLiteral("Name"), 22, 0, 100, 5);
    auto *amount = detail->AddDBText(&rows, QStringLiteral("Summa"), 150, 0, 39, 5);
    amount->Mask = Money;
    amount->Alignment = taRightJustify;
    auto *summary = rep.AddBand(rbSummary, 6);
    summary->AddLabel(QStringLiteral("Итого:"), 1, 1, 40, 5);
    summary->AddExpr(QStringLiteral("SUM(Otch.Summa)"), 150, 1, 39, 5)->Mask = Money;
    rep.AddBand(rbPageFooter, 6)->AddLabel(QStringLiteral("Конец страницы"), 1, 1, 60, 5);

    const TPreparedReport out = rep.Layout();

    // Page 1: title to 22, header to 28, then account 60 (header, 25 rows, footer) to 171
    // and 22 rows of account 62 down to the page footer at 281; page 2 holds the rest.
    QCOMPARE(out.Pages.size(), size_t(2));
    QCOMPARE(findTexts(out, QStringLiteral("Оборотная ведомость")).size(), size_t(1));
    const auto headers = findTexts(out, QStringLiteral("Наименование"));
    QCOMPARE(headers.size(), size_t(2));
    QCOMPARE(headers[1].first, 1);
    QCOMPARE(headers[1].second.Box.top(), 11.0);
    QCOMPARE(headers[1].second.Font, (TRepFont{QStringLiteral("Arial"), 9, false, true})); // the band's font
    QCOMPARE(findTexts(out, QStringLiteral("Строка 62-22")).front().first, 0);
    const auto carried = findTexts(out, QStringLiteral("Строка 62-23"));
    QCOMPARE(carried.size(), size_t(1));
    QCOMPARE(carried.front().first, 1);
    QCOMPARE(carried.front().second.Box.top(), 16.0);

    // Each footer shows its own account and that account's sum alone.
    const auto footers = findTexts(out, QStringLiteral("Итого по счету"));
    QCOMPARE(footers.size(), size_t(3));
    const QStringList accounts{QStringLiteral("60"), QStringLiteral("62"), QStringLiteral("71")};
    for (int g = 0; g < 3; ++g) {
        const auto &[page, text] = footers[size_t(g)];
        QCOMPARE(
            lineAt(out.Pages[size_t(page)], text.Origin.y()),
            (QStringList{QStringLiteral("Итого по счету"), accounts[g], fmt::FormatFloat(Money, totals[g])}));
    }
    const auto total = findTexts(out, QStringLiteral("Итого:"));
    QCOMPARE(total.size(), size_t(1));
    QCOMPARE(lineAt(out.Pages[1], total.front().second.Origin.y()).last(),
             fmt::FormatFloat(Money, totals[0] + totals[1] + totals[2]));
    QVERIFY(fmt::FormatFloat(Money, totals[1]).contains(QLatin1Char('-'))); // the process separator

    // The page footer closes both pages at the bottom margin, and nothing else crosses it.
    const auto pageFooters = findTexts(out, QStringLiteral("Конец страницы"));
    QCOMPARE(pageFooters.size(), size_t(2));
    for (const auto &[page, text] : pageFooters)
        QCOMPARE(text.Box.top(), 282.0);
    for (const TPage &page : out.Pages)
        for (const TPageText &text : page.Texts)
            if (text.Text != QStringLiteral("Конец страницы"))
                QVERIFY2(text.Box.bottom() <= 281.0 + 1e-6, qPrintable(text.Text));
    // The report's frame on each page, the column header's frame under it.
    QCOMPARE(out.Pages[1].Frames.front().Rect, QRectF(10, 10, 190, 277));
    QCOMPARE(out.Pages[1].Frames[1].Rect, QRectF(10, 10, 190, 6));
    QCOMPARE(rows.selected(), -1); // the rows read their own current row again
}

void TestLayout::nestedGroupsCloseInsideOut() {
    MemoryRows rows(QStringLiteral("T"),
                    {QStringLiteral("Outer"), QStringLiteral("Inner"), QStringLiteral("N")});
    rows.Add({QStringLiteral("A"), QStringLiteral("x"), 1.0});
    rows.Add({QStringLiteral("A"), QStringLiteral("y"), 2.0});
    rows.Add({QStringLiteral("B"), QStringLiteral("y"), 4.0});
    TReport rep;
    rep.DataSet = &rows;
    auto *outer = rep.AddGroup(QStringLiteral("Outer"), 5);
    outer->AddDBText(nullptr, QStringLiteral("Outer"), 0, 0, 20, 5);
    auto *outerSum = outer->AddFooter(5)->AddExpr(QStringLiteral("SUM(T.N)"), 0, 0, 40, 5);
    outerSum->ResetAfterPrint = true;
    auto *inner = rep.AddGroup(QStringLiteral("T.Inner"), 5);
    inner->AddDBText(nullptr, QStringLiteral("Inner"), 5, 0, 20, 5);
    auto *innerSum = inner->AddFooter(5)->AddExpr(QStringLiteral("SUM(N)"), 5, 0, 40, 5);
    innerSum->ResetAfterPrint = true;
    rep.AddBand(rbDetail, 5)->AddDBText(nullptr, QStringLiteral("N"), 10, 0, 20, 5);

    const QStringList printed = allTexts(rep.Layout());
    // Inner footers close before the outer one; the outer header opens again for B.
    QCOMPARE(printed, (QStringList{"A", "x", "1", "1", "y", "2", "2", "3", "B", "y", "4", "4", "4"}));
}

// A one-page form of absolutely placed elements, as the bank forms are declared.
void TestLayout::freeElementsOnOnePage() {
    MemoryRows other(QStringLiteral("Plat"), {QStringLiteral("NUMBER")});
    other.Add({15.0});
    other.Add({16.0});
    other.current = 1;

    TReport rep;
    rep.Page.TopMargin = rep.Page.BottomMargin = 5;
    rep.Font = TRepFont{QStringLiteral("Times New Roman"), 10};
    rep.AddBand(rbTitle, 1.6);
    auto *code = rep.AddLabel(QStringLiteral("0401060"), 184.2, 22.5, 15.6, 4.2);
    code->Frame = TRepFrame::Sides(QStringLiteral("TBLR"));
    code->Alignment = taCenter;
    auto *receipt = rep.AddLabel(QStringLiteral("Поступ. в банк плат."), 25.4, 15.1, 0, 4.2);
    receipt->AutoSize = true;
    receipt->Font.Size = 8;
    rep.AddShape(stHorLine, 18.8, 14.8, 38.9, 0.3);
    rep.AddShape(stFrame, 40.0, 34.1, 160.1, 14.8)->Frame = TRepFrame::Sides(QStringLiteral("BL"));
    auto *right = rep.AddLabel(QStringLiteral("Итого"), 100, 60, 30, 5);
    right->Alignment = taRightJustify;
    auto *bold = rep.AddDBText(&other, QStringLiteral("NUMBER"), 76.2, 14.8, 0, 4.5);
    bold->AutoSize = true;
    bold->Font = TRepFont{QStringLiteral("Arial"), 12, true};
    const QString name = QStringLiteral("ИНН 7701234567 Общество с ограниченной ответственностью "
                                        "«Торговый дом Вереск» филиал в городе Новосибирске");
    auto *payer = rep.AddMemo(name, 19.8, 49.5, 100.3, 29.9);
    payer->Font.Size = 12;
    rep.AddMemo(QStringLiteral("первая\r\nвторая\r\nтретья\r\nчетвертая"), 19.8, 150.5, 178.9, 9);

    const TPreparedReport out = rep.Layout();
    QCOMPARE(out.Pages.size(), size_t(1));
    const TPage &page = out.Pages.front();
    QCOMPARE(page.Size, QSizeF(210, 297));

    // Centred inside its own frame; positions from the sheet's corner, not the margins.
    const TPageText codeText = firstText(out, QStringLiteral("0401060"));
    QCOMPARE(codeText.Box, QRectF(184.2, 22.5, 15.6, 4.2));
    QVERIFY(qAbs(codeText.Origin.x() + codeText.Width / 2 - 192.0) < 1e-9);
    QCOMPARE(codeText.Origin.y(), baselineAt(22.5, 10, QStringLiteral("Times New Roman")));
    QCOMPARE(codeText.Font, (TRepFont{QStringLiteral("Times New Roman"), 10}));
    // The auto-width caption is exactly as wide as its text, from its left edge.
    const TPageText receiptText = firstText(out, QStringLiteral("Поступ. в банк плат."));
    QCOMPARE(receiptText.Origin.x(), 25.4);
    QCOMPARE(receiptText.Box.width(), receiptText.Width);
    QVERIFY(receiptText.Width > 20 && receiptText.Width < 35);
    QCOMPARE(receiptText.Font.Size, 8.0);
    const TPageText rightText = firstText(out, QStringLiteral("Итого"));
    QVERIFY(qAbs(rightText.Origin.x() + rightText.Width - 130.0) < 1e-9);
    // A text bound to rows the report does not walk reads their current row.
    const TPageText number = firstText(out, QStringLiteral("16"));
    QVERIFY(number.Font.Bold);
    QCOMPARE(number.Font.Name, QStringLiteral("Arial"));

    // Frames: the caption's four sides, the free frame's bottom and left only.
    QCOMPARE(page.Frames.size(), size_t(2));
    QCOMPARE(page.Frames[0].Rect, QRectF(184.2, 22.5, 15.6, 4.2));
    const TPageFrame &bl = page.Frames[1];
    QCOMPARE(bl.Rect, QRectF(40.0, 34.1, 160.1, 14.8));
    QVERIFY(bl.Sides.Bottom && bl.Sides.Left && !bl.Sides.Top && !bl.Sides.Right);
    QCOMPARE(page.Lines.size(), size_t(1));
    QCOMPARE(page.Lines[0].From, QPointF(18.8, 14.95));
    QCOMPARE(page.Lines[0].To, QPointF(57.7, 14.95));

    // The memo wraps inside its width, line under line, and loses no word.
    const rep::FontMetrics &times12 = rep::Metrics(TRepFont{QStringLiteral("Times New Roman"), 12});
    QStringList wrapped;
    for (const TPageText &text : page.Texts)
        if (text.Box.left() == 19.8 && text.Box.top() >= 49.5 && text.Box.top() < 79.4) {
            QVERIFY(text.Width <= 100.3);
            QCOMPARE(text.Origin.y(), 49.5 + times12.Ascent() + wrapped.size() * times12.LineSpacing());
            wrapped << text.Text;
        }
    QVERIFY(wrapped.size() >= 2);
    QCOMPARE(wrapped.join(QLatin1Char(' ')), name);
    // Line breaks start lines; four lines that would end below the 9 mm box print
    // smaller, all inside it.
    QVERIFY(!findTexts(out, QStringLiteral("вторая")).empty());
    const TPageText last = firstText(out, QStringLiteral("четвертая"));
    QVERIFY(last.Font.Size < 10);
    QVERIFY(last.Origin.y() + rep::Metrics(last.Font).Descent() <= 150.5 + 9 + 0.1);
}

void TestLayout::emptyDataset_data() {
    QTest::addColumn<bool>("printIfEmpty");
    QTest::newRow("print-if-empty off") << false;
    QTest::newRow("print-if-empty on") << true;
}

void TestLayout::emptyDataset() {
    QFETCH(bool, printIfEmpty);
    MemoryRows rows(QStringLiteral("Plat"), {QStringLiteral("SUMMA")});
    TReport rep;
    rep.DataSet = &rows;
    rep.Options.PrintIfEmpty = printIfEmpty;
    rep.AddBand(rbTitle, 10)->AddLabel(QStringLiteral("Платежные поручения"), 0, 0, 100, 8);
    rep.AddLabel(QStringLiteral("на листе"), 10, 5, 30, 5);
    rep.AddBand(rbDetail, 5)->AddDBText(&rows, QStringLiteral("SUMMA"), 0, 0, 30, 5);
    rep.AddBand(rbSummary, 5)->AddExpr(QStringLiteral("SUM(Plat.SUMMA)"), 0, 0, 30, 5)->Mask = Money;

    const TPreparedReport out = rep.Layout();
    QCOMPARE(rows.fetches, 1);
    if (!printIfEmpty) {
        QVERIFY(out.Pages.empty());
        return;
    }
    QCOMPARE(out.Pages.size(), size_t(1));
    QCOMPARE(allTexts(out), (QStringList{QStringLiteral("на листе"), QStringLiteral("Платежные поручения"),
                                         fmt::FormatFloat(Money, 0)}));
}

// A number hook that extends the number by the row's suffix, and a sum hook that
// reads the total as a number.
void TestLayout::printHooksReplaceText() {
    MemoryRows rows(QStringLiteral("Plat"),
                    {QStringLiteral("NUMBER"), QStringLiteral("DopNumb"), QStringLiteral("SUMMA")});
    rows.Add({15.0, QStringLiteral("а"), 100.0});
    rows.Add({16.0, QVariant(), 23.5});
    TReport rep;
    rep.DataSet = &rows;
    auto *number = rep.AddBand(rbDetail, 5)->AddDBText(&rows, QStringLiteral("NUMBER"), 0, 0, 20, 5);
    const int suffix = rows.FieldIndex(QStringLiteral("DopNumb"));
    std::vector<TRepText *> senders;
    number->OnPrint = [&](TRepText *sender, QString &text) {
        senders.push_back(sender);
        const QString dop = rows.Text(suffix, QString());
        if (!dop.isEmpty()) text += QLatin1Char('/') + dop;
    };
    auto *sum = rep.AddBand(rbSummary, 5)->AddExpr(QStringLiteral("SUM(Plat.SUMMA)"), 0, 0, 80, 5);
    sum->OnPrint = [sum](TRepText *, QString &text) {
        text = QStringLiteral("%1 руб. (%2)").arg(qRound(sum->Value())).arg(text);
    };

    const TPreparedReport out = rep.Layout();
    QCOMPARE(allTexts(out),
             (QStringList{QStringLiteral("15/а"), QStringLiteral("16"), QStringLiteral("124 руб. (123-5)")}));
    QCOMPARE(senders, (std::vector<TRepText *>{number, number}));
}

// A row counts in a sum as the sum's mask prints it: rows of 841-08 (841.0845 stored)
// total 1 682-16 in their group and 2 523-24 in all, not the rounded stored sums
// 1 682-17 and 2 523-25; a sum without a mask adds the values as they are.
void TestLayout::sumsAddThePrintedFigures() {
    MemoryRows rows(QStringLiteral("Otch"), {QStringLiteral("Grp"), QStringLiteral("Summa")});
    for (const char *group : {"A", "A", "B"})
        rows.Add({QString::fromLatin1(group), 841.0845});
    TReport rep;
    rep.DataSet = &rows;
    auto *groupSum = rep.AddGroup(QStringLiteral("Otch.Grp"), 0)
                         ->AddFooter(5)
                         ->AddExpr(QStringLiteral("SUM(Otch.Summa)"), 0, 0, 40, 5);
    groupSum->Mask = Money;
    groupSum->ResetAfterPrint = true;
    rep.AddBand(rbDetail, 5)->AddDBText(&rows, QStringLiteral("Summa"), 0, 0, 40, 5)->Mask = Money;
    auto *summary = rep.AddBand(rbSummary, 10);
    summary->AddExpr(QStringLiteral("SUM(Otch.Summa)"), 0, 0, 40, 5)->Mask = Money;
    summary->AddExpr(QStringLiteral("SUM(Otch.Summa)"), 0, 5, 40, 5);

    QCOMPARE(allTexts(rep.Layout()),
             (QStringList{"841-08", "841-08", "1 682-16", "841-08", "841-08", "2 523-24", "2523-2535"}));
}

void TestLayout::bandHooksHideBandsAndSwitchResets() {
    MemoryRows rows(QStringLiteral("Otch"),
                    {QStringLiteral("Grp"), QStringLiteral("Name"), QStringLiteral("Summa")});
    rows.Add({QStringLiteral("A"), QStringLiteral("a1"), 1.0});
    rows.Add({QStringLiteral("A"), QStringLiteral("нуль"), 0.0});
    rows.Add({QStringLiteral("A"), QStringLiteral("скрыть"), 10.0});
    rows.Add({QStringLiteral("B"), QStringLiteral("b1"), 100.0});
    rows.Add({QStringLiteral("C"), QStringLiteral("c1"), 1000.0});
    TReport rep;
    rep.DataSet = &rows;
    auto *group = rep.AddGroup(QStringLiteral("Otch.Grp"), 0);
    auto *footer = group->AddFooter(6);
    auto *groupSum = footer->AddExpr(QStringLiteral("SUM(Otch.Summa)"), 0, 0, 40, 5);
    groupSum->ResetAfterPrint = true;
    auto *detail = rep.AddBand(rbDetail, 5);
    auto *name = detail->AddDBText(&rows, QStringLiteral("Name"), 0, 0, 40, 5);
    auto *summary = rep.AddBand(rbSummary, 5);
    summary->AddExpr(QStringLiteral("SUM(Otch.Summa)"), 0, 0, 40, 5);

    QStringList events;
    const int nameField = rows.FieldIndex(QStringLiteral("Name"));
    const int grpField = rows.FieldIndex(QStringLiteral("Grp"));
    detail->BeforePrint = [&](TRepBand *band, bool &print) {
        const QString value = rows.Text(nameField, QString());
        events << QStringLiteral("band ") + value;
        print = value != QStringLiteral("нуль");                  // suppressed: not summed
        band->Height = value == QStringLiteral("скрыть") ? 0 : 5; // no room, still summed
    };
    name->OnPrint = [&](TRepText *, QString &text) { events << QStringLiteral("text ") + text; };
    // Group A's total carries on into B; B's restarts before C.
    footer->BeforePrint = [&](TRepBand *, bool &) {
        groupSum->ResetAfterPrint = rows.Text(grpField, QString()) != QLatin1String("A");
    };
    summary->BeforePrint = [](TRepBand *band, bool &) { band->Height = 12; };

    const TPreparedReport out = rep.Layout();
    const TPage &page = out.Pages.front();
    QCOMPARE(allTexts(out), (QStringList{"a1", "11", "b1", "111", "c1", "1000", "1111"}));
    // The hidden row took no room: A's footer stands right under a1.
    QCOMPARE(page.Texts[1].Box.top(), 15.0);
    QCOMPARE(events.mid(0, 5), (QStringList{"band a1", "text a1", "band нуль", "band скрыть", "band b1"}));
    // What the hooks changed is the declared layout again after the pass.
    QCOMPARE(detail->Height, 5.0);
    QCOMPARE(summary->Height, 5.0);
    QVERIFY(groupSum->ResetAfterPrint);
}

// A hook keeping a count in its own capture starts from zero on every pass.
void TestLayout::hooksStartAfreshEachPass() {
    MemoryRows rows(QStringLiteral("T"), {QStringLiteral("N")});
    for (int i = 1; i <= 5; ++i)
        rows.Add({double(i)});
    TReport rep;
    rep.DataSet = &rows;
    auto *detail = rep.AddBand(rbDetail, 5);
    detail->AddDBText(&rows, QStringLiteral("N"), 0, 0, 20, 5);
    detail->BeforePrint = [count = 0](TRepBand *, bool &print) mutable { print = ++count % 2 == 1; };
    QCOMPARE(allTexts(rep.Layout()), (QStringList{"1", "3", "5"}));
    QCOMPARE(allTexts(rep.Layout()), (QStringList{"1", "3", "5"}));
}

void TestLayout::nothingPrintsBelowABand() {
    TReport rep;
    auto *title = rep.AddBand(rbTitle, 5);
    title->AddLabel(QStringLiteral("ниже полосы"), 0, 6, 50, 5);
    auto *crossing = title->AddLabel(QStringLiteral("на границе"), 0, 3, 50, 5);
    crossing->Frame = TRepFrame::All();

    const TPage page = rep.Layout().Pages.front();
    QCOMPARE(page.Texts.size(), size_t(1));
    const TPageText &cut = page.Texts[0];
    QCOMPARE(cut.Text, QStringLiteral("на границе"));
    QCOMPARE(cut.ClipRect.bottom(), 15.0); // band 10..15
    QCOMPARE(page.Frames.front().Rect, QRectF(10, 13, 50, 2));
    QVERIFY(!page.Frames.front().Sides.Bottom && page.Frames.front().Sides.Top);
}

// A figure wider than its cell prints whole inside it, smaller, right-aligned and on
// the baseline of its row. (A memo with more lines than its box: freeElementsOnOnePage.)
void TestLayout::textsShrinkToFitTheirCells() {
    TReport rep;
    auto *band = rep.AddBand(rbTitle, 20);
    const QString figure = QStringLiteral("1 999 999 999 999-98");
    auto *amount = band->AddLabel(figure, 0, 0, 20, 5);
    amount->Alignment = taRightJustify;
    amount->Padding = 0.8;
    band->AddLabel(QStringLiteral("Итого"), 30, 0, 20, 5);

    const TPage page = rep.Layout().Pages.front();
    const TPageText big = textOn(page, figure);
    QVERIFY(big.ClipRect.isNull());
    QVERIFY(big.Font.Size > 5 && big.Font.Size < 10);
    QVERIFY(big.Origin.x() >= big.Box.left());
    QVERIFY(qAbs(big.Origin.x() + big.Width - (10 + 20 - 0.8)) < 0.001);
    QCOMPARE(big.Origin.y(), textOn(page, QStringLiteral("Итого")).Origin.y());
}

void TestLayout::layoutErrorsAreReportedAndUndone() {
    MemoryRows rows(QStringLiteral("Plat"), {QStringLiteral("SUMMA")});
    rows.Add({1.0});
    MemoryRows other(QStringLiteral("Prim"), {QStringLiteral("Primech"), QStringLiteral("N")});
    auto expectError = [](TReport &rep, const QString &part) {
        try {
            rep.Layout();
            QFAIL("no error");
        } catch (const EOrbekError &e) {
            QVERIFY2(e.message().contains(part), qPrintable(e.message()));
        }
    };
    {
        TReport rep;
        rep.DataSet = &rows;
        rep.AddBand(rbSummary, 5)->AddExpr(QStringLiteral("AVG(Plat.SUMMA)"), 0, 0, 20, 5);
        expectError(rep, QStringLiteral("AVG(Plat.SUMMA)"));
    }
    {
        TReport rep;
        rep.DataSet = &rows;
        rep.AddBand(rbDetail, 5)->AddDBText(&rows, QStringLiteral("SUMA"), 0, 0, 20, 5);
        expectError(rep, QStringLiteral("SUMA"));
    }
    {
        TReport rep;
        rep.DataSet = &rows;
        rep.AddBand(rbTitle, 5)->AddDBText(&other, QStringLiteral("Primech"), 0, 0, 20, 5);
        rep.AddBand(rbSummary, 5)->AddExpr(QStringLiteral("SUM(Prim.N)"), 0, 0, 20, 5);
        expectError(rep, QStringLiteral("SUM(Prim.N)"));
    }
    {
        // A hook that fails mid-pass: the rows and the band are as before the pass.
        TReport rep;
        rep.DataSet = &rows;
        auto *detail = rep.AddBand(rbDetail, 5);
        detail->BeforePrint = [](TRepBand *band, bool &) {
            band->Height = 1;
            throw EOrbekError(QStringLiteral("сбой"));
        };
        expectError(rep, QStringLiteral("сбой"));
        QCOMPARE(detail->Height, 5.0);
        QCOMPARE(rows.selected(), -1);
    }
}

void TestLayout::fontsResolveToMetricTwins() {
    QCOMPARE(rep::ResolveFamily(QStringLiteral("Arial")), QStringLiteral("Liberation Sans"));
    QCOMPARE(rep::ResolveFamily(QStringLiteral("Times New Roman")), QStringLiteral("Liberation Serif"));
    QCOMPARE(QFontInfo(rep::DeviceFont(TRepFont{QStringLiteral("Arial"), 10}, 4, 96)).family(),
             QStringLiteral("Liberation Sans"));
    QCOMPARE(QFontInfo(rep::DeviceFont(TRepFont{QStringLiteral("Times New Roman"), 10, false, true}, 4, 96))
                 .family(),
             QStringLiteral("Liberation Serif"));
    // The substitute font measures as Arial does: "0" is 0.556 em wide.
    QVERIFY(qAbs(rep::Metrics(TRepFont{QStringLiteral("Arial"), 10}).TextWidth(QStringLiteral("0")) -
                 0.556 * 10 * 25.4 / 72) < 0.01);
}

// 3 000 pages: any page comes out right while the pass holds a few pages and reads the
// rows in order, and the group and grand totals carry across every page break.
void TestLayout::longReportPageByPage() {
    LongReport report(3000);
    const int rowCount = 3000 * GeneratedRows::PerGroup - 1;
    auto expectRow = [](const TPage &page, int row, double top) {
        const double baseline = baselineAt(top);
        QCOMPARE(lineAt(page, baseline),
                 (QStringList{QString::number(row + 1), QStringLiteral("Строка %1").arg(row + 1),
                              fmt::FormatFloat(LongMoney, GeneratedRows::Amount(row))}));
    };

    TLivePages::ResetPeak();
    const int before = TLivePages::Live();
    const std::optional<TPage> page2990 = report.rep.LayoutPage(2989);
    QVERIFY(page2990);
    QVERIFY2(TLivePages::Peak() - before <= 4, qPrintable(QString::number(TLivePages::Peak() - before)));
    const int first = 2989 * GeneratedRows::PerGroup;
    QCOMPARE(lineAt(*page2990, baselineAt(11)),
             (QStringList{QStringLiteral("Группа"), QStringLiteral("2990")}));
    expectRow(*page2990, first, 17);
    expectRow(*page2990, first + 25, 17 + 25 * 5);
    expectRow(*page2990, first + 50, 267);
    QCOMPARE(
        lineAt(*page2990, baselineAt(272)),
        (QStringList{QStringLiteral("Итого по группе"), QStringLiteral("2990"),
                     fmt::FormatFloat(LongMoney, LongReport::Sum(first, first + GeneratedRows::PerGroup))}));
    QCOMPARE(lineAt(*page2990, baselineAt(279)), QStringList{QStringLiteral("Конец листа")});
    QCOMPARE(page2990->Texts.size(), size_t(2 + 51 * 3 + 3 + 1));
    QCOMPARE(report.rows.backJumps, 0);

    // Page by page: rows are read only as far as the page handed out needs.
    const auto pages = report.rep.StartLayout();
    TPage page;
    QVERIFY(pages->NextPage(page));
    QVERIFY2(report.rows.furthest <= 2 * GeneratedRows::PerGroup,
             qPrintable(QString::number(report.rows.furthest)));
    QCOMPARE(lineAt(page, baselineAt(272)).last(),
             fmt::FormatFloat(LongMoney, LongReport::Sum(0, GeneratedRows::PerGroup)));
    int count = 1;
    while (pages->NextPage(page))
        ++count;
    QCOMPARE(count, 3000);
    const int last = 2999 * GeneratedRows::PerGroup;
    expectRow(page, rowCount - 1, 17 + 49 * 5);
    QCOMPARE(lineAt(page, baselineAt(267)).last(),
             fmt::FormatFloat(LongMoney, LongReport::Sum(last, rowCount)));
    QCOMPARE(
        lineAt(page, baselineAt(272)),
        (QStringList{QStringLiteral("Всего"), fmt::FormatFloat(LongMoney, LongReport::Sum(0, rowCount))}));
    QCOMPARE(report.rows.backJumps, 0);
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
