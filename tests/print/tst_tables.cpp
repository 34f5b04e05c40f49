// Tabular reports: two-level framed headings over columns, footer-only groups whose
// footer reads its group's last row, state a form keeps from row to row set back at
// every pass, a report re-pointed at another dataset between runs, and rows that grow
// with a long wrapped name.
#include "MemoryRows.h"

#include "print/Columns.h"
#include "print/Fonts.h"
#include "print/Report.h"

#include <QtTest>

namespace {

const QString Money = QStringLiteral("### ### ##0.00");

bool hasFrame(const TPage &page, const QRectF &rect) {
    for (const TPageFrame &f : page.Frames)
        if ((f.Rect.topLeft() - rect.topLeft()).manhattanLength() < 1e-6 &&
            qAbs(f.Rect.width() - rect.width()) < 1e-6 && qAbs(f.Rect.height() - rect.height()) < 1e-6 &&
            f.Sides.Top && f.Sides.Bottom && f.Sides.Left && f.Sides.Right)
            return true;
    return false;
}

} // namespace

class TestTables : public QObject {
    Q_OBJECT

  private slots:
    void twoLevelFramedHeadings() {
        MemoryRows rows(QStringLiteral("OtchS"), {QStringLiteral("NamePok"), QStringLiteral("SumVxD")});
        rows.Add({QStringLiteral("ООО Ромашка"), 1234.5});
        TReport rep;
        rep.DataSet = &rows;
        TRepColumns cols({60, 25, 25, 30});
        auto *header = rep.AddBand(rbColumnHeader, 12);
        cols.AddHeadings(
            header,
            {{QStringLiteral("Покупатель")},
             {QStringLiteral("Сальдо входящее"), {QStringLiteral("Дебет"), QStringLiteral("Кредит")}},
             {QStringLiteral("Наименование очень длинной графы")}},
            0, 6);
        auto *detail = rep.AddBand(rbDetail, 5);
        cols.Framed = true;
        cols.AddField(detail, &rows, QStringLiteral("NamePok"), 0, 0, 5);
        cols.AddField(detail, &rows, QStringLiteral("SumVxD"), 1, 0, 5, taRightJustify)->Mask = Money;

        const TPreparedReport out = rep.Layout();
        const TPage &page = out.Pages.front();
        // A heading over two columns one level high, its columns under it, the single
        // columns the height of both levels; the row's cells under the columns.
        QVERIFY(hasFrame(page, QRectF(10, 10, 60, 12)));
        QVERIFY(hasFrame(page, QRectF(70, 10, 50, 6)));
        QVERIFY(hasFrame(page, QRectF(70, 16, 25, 6)));
        QVERIFY(hasFrame(page, QRectF(95, 16, 25, 6)));
        QVERIFY(hasFrame(page, QRectF(120, 10, 30, 12)));
        QVERIFY(hasFrame(page, QRectF(95 - 25, 22, 25, 5)));
        // A caption centred both ways in its cell; one too long wraps inside it.
        const TPageText buyer = firstText(out, QStringLiteral("Покупатель"));
        const rep::FontMetrics &arial = rep::Metrics(TRepFont{QStringLiteral("Arial"), 10});
        QVERIFY(qAbs(buyer.Origin.x() + buyer.Width / 2 - 40) < 1e-6);
        QVERIFY(qAbs(buyer.Origin.y() - (16 - (arial.Ascent() + arial.Descent()) / 2 + arial.Ascent())) <
                1e-6);
        const TPageText debet = firstText(out, QStringLiteral("Дебет"));
        QVERIFY(debet.Origin.y() > 16 && debet.Origin.y() < 22);
        QStringList wrapped;
        for (const TPageText &t : page.Texts)
            if (t.Box.left() >= 120 && t.Box.top() < 22) {
                QVERIFY(t.Origin.x() >= 120.8 - 1e-6 && t.Origin.x() + t.Width <= 149.2 + 1e-6);
                wrapped << t.Text;
            }
        QVERIFY(wrapped.size() >= 2);
        QCOMPARE(wrapped.join(QLatin1Char(' ')), QStringLiteral("Наименование очень длинной графы"));
        // A right-aligned amount keeps off its column's right rule.
        const TPageText amount = firstText(out, QStringLiteral("1 234-50"));
        QVERIFY(qAbs(amount.Origin.x() + amount.Width - (95 - 0.8)) < 1e-6);
        const TPageText name = firstText(out, QStringLiteral("ООО Ромашка"));
        QVERIFY(qAbs(name.Origin.x() - 10.8) < 1e-6);
    }

    // One line per buyer from the group's footer alone: the buyer and the date of the
    // group's last row, the group's sum restarting after each footer; the summary
    // totals every row.
    void footerOnlyGroupReadsItsLastRow() {
        MemoryRows rows(QStringLiteral("Kredit"),
                        {QStringLiteral("name"), QStringLiteral("DatOpl"), QStringLiteral("SumIt")});
        rows.Add({QStringLiteral("Альфа"), QStringLiteral("10.01.2024"), 100.0});
        rows.Add({QStringLiteral("Альфа"), QStringLiteral("20.02.2024"), 0.5});
        rows.Add({QStringLiteral("Бета"), QStringLiteral("03.01.2024"), 7.0});
        TReport rep;
        rep.DataSet = &rows;
        auto *group = rep.AddGroup(QStringLiteral("Kredit.name"), 0);
        auto *footer = group->AddFooter(5);
        footer->AddDBText(&rows, QStringLiteral("name"), 0, 0, 40, 5);
        footer->AddDBText(&rows, QStringLiteral("DatOpl"), 40, 0, 30, 5);
        auto *sum = footer->AddExpr(QStringLiteral("SUM(Kredit.SumIt)"), 70, 0, 40, 5);
        sum->Mask = Money;
        sum->ResetAfterPrint = true;
        rep.AddBand(rbSummary, 5)->AddExpr(QStringLiteral("SUM(Kredit.SumIt)"), 70, 0, 40, 5)->Mask = Money;

        QCOMPARE(allTexts(rep.Layout()),
                 (QStringList{"Альфа", "20.02.2024", "100-50", "Бета", "03.01.2024", "7-00", "107-50"}));
    }

    // The statement's hooks: a number prints on its group's first row only, the
    // previous number kept in the form and set back by BeforePass, so a second pass
    // (the print after the preview) prints the first row's number again.
    void formStateSetBackAtEveryPass() {
        MemoryRows rows(QStringLiteral("Otch"), {QStringLiteral("NumbDok"), QStringLiteral("NameTov")});
        rows.Add({QStringLiteral("5"), QStringLiteral("гвозди")});
        rows.Add({QStringLiteral("5"), QStringLiteral("шурупы")});
        rows.Add({QStringLiteral("6"), QStringLiteral("доски")});
        TReport rep;
        rep.DataSet = &rows;
        QString prevNumb;
        bool newDocRow = false;
        rep.BeforePass = [&](TReport *) { prevNumb = QStringLiteral("яяяяяяяяяяяя"); };
        auto *detail = rep.AddBand(rbDetail, 5);
        const int numb = rows.FieldIndex(QStringLiteral("NumbDok"));
        detail->BeforePrint = [&](TRepBand *, bool &) {
            newDocRow = rows.Text(numb, QString()) != prevNumb;
            prevNumb = rows.Text(numb, QString());
        };
        detail->AddDBText(&rows, QStringLiteral("NumbDok"), 0, 0, 20, 5)->OnPrint = [&](TRepText *,
                                                                                        QString &text) {
            if (!newDocRow) text.clear();
        };
        detail->AddDBText(&rows, QStringLiteral("NameTov"), 20, 0, 40, 5);

        const QStringList once{"5", "гвозди", "шурупы", "6", "доски"};
        QCOMPARE(allTexts(rep.Layout()), once);
        QCOMPARE(allTexts(rep.Layout()), once);
    }

    // One report for two queries: the report, its data texts and its sums follow
    // whichever the form points them at before the run.
    void reportRepointedBetweenRuns() {
        MemoryRows oplat(QStringLiteral("Oplat"), {QStringLiteral("NUMB_FAKT"), QStringLiteral("SummaOpl")});
        oplat.Add({1.0, 100.0});
        oplat.Add({1.0, 50.0});
        MemoryRows fakt(QStringLiteral("Fakt"), {QStringLiteral("NUMB_FAKT"), QStringLiteral("SummaOpl")});
        fakt.Add({1.0, 300.0});
        TReport rep;
        auto *number = rep.AddBand(rbDetail, 5)->AddDBText(nullptr, QStringLiteral("NUMB_FAKT"), 0, 0, 20, 5);
        auto *amount = number->Band()->AddDBText(nullptr, QStringLiteral("SummaOpl"), 20, 0, 30, 5);
        auto *total = rep.AddBand(rbSummary, 5)->AddExpr(QString(), 20, 0, 30, 5);
        auto pointAt = [&](MemoryRows *rows) {
            rep.DataSet = rows;
            number->DataSet = rows;
            amount->DataSet = rows;
            total->Expression = QStringLiteral("SUM(%1.SummaOpl)").arg(rows->Name());
        };
        pointAt(&oplat);
        QCOMPARE(allTexts(rep.Layout()), (QStringList{"1", "100", "1", "50", "150"}));
        pointAt(&fakt);
        QCOMPARE(allTexts(rep.Layout()), (QStringList{"1", "300", "300"}));
    }

    // A long name wraps in its column and the row grows to show it all: the framed
    // cells and the column rule grow with it, the next row starts below, a hook runs
    // once per text, and a grown row that no longer fits goes whole to the next page.
    void rowsGrowWithWrappedNames() {
        MemoryRows rows(QStringLiteral("PosRasx"), {QStringLiteral("NAME_TOV"), QStringLiteral("Summa")});
        const QString longName =
            QStringLiteral("Бумага офисная для лазерных и струйных принтеров, формат А4, "
                           "плотность 80 г/м2, пачка 500 листов");
        rows.Add({longName, 10.0});
        for (int i = 0; i < 48; ++i)
            rows.Add({QStringLiteral("Папка %1").arg(i), 1.0});
        rows.Add({longName, 20.0});
        TReport rep;
        rep.Page.TopMargin = rep.Page.BottomMargin = 10;
        rep.DataSet = &rows;
        TRepColumns cols({40, 25});
        cols.Framed = true;
        auto *detail = rep.AddBand(rbDetail, 5);
        detail->Stretch = true;
        auto *name = cols.AddField(detail, &rows, QStringLiteral("NAME_TOV"), 0, 0, 5);
        name->WordWrap = true;
        int hooks = 0;
        name->OnPrint = [&](TRepText *, QString &) { ++hooks; };
        cols.AddField(detail, &rows, QStringLiteral("Summa"), 1, 0, 5, taRightJustify);
        detail->AddShape(stVertLine, 39.9, 0, 0.2, 5);
        // Below the table: a long text wrapped across the page, a signature under it.
        auto *summary = rep.AddBand(rbSummary, 12);
        summary->Stretch = true;
        summary->AddLabel(longName + longName, 0, 1, 60, 5)->WordWrap = true;
        summary->AddLabel(QStringLiteral("Выдал :"), 0, 7, 30, 5);

        const TPreparedReport out = rep.Layout();
        QCOMPARE(hooks, rows.RowCount());
        const TPage &first = out.Pages.front();
        const rep::FontMetrics &m = rep::Metrics(TRepFont{QStringLiteral("Arial"), 10});
        const qsizetype lines = m.WrapLines(longName, 40 - 2 * cols.Padding).size();
        QVERIFY(lines >= 3);
        const double height = double(lines - 1) * m.LineSpacing() + m.Ascent() + m.Descent();
        QVERIFY(hasFrame(first, QRectF(10, 10, 40, height)));
        QVERIFY(hasFrame(first, QRectF(50, 10, 25, height)));
        QCOMPARE(first.Lines.front().To.y(), 10 + height);
        QCOMPARE(textOn(first, QStringLiteral("Папка 0")).Box.top(), 10 + height);
        int nameLines = 0;
        for (const TPageText &t : first.Texts)
            nameLines += longName.contains(t.Text) && t.Origin.y() < 10 + height ? 1 : 0;
        QCOMPARE(nameLines, int(lines));

        // The last row would reach below the bottom margin: it starts the next page.
        QCOMPARE(out.Pages.size(), size_t(2));
        const TPage &last = out.Pages.back();
        QVERIFY(hasFrame(last, QRectF(10, 10, 40, height)));
        QCOMPARE(textOn(last, QStringLiteral("20")).Box.top(), 10.0);
        for (const TPageText &t : first.Texts)
            QVERIFY(t.Box.bottom() <= 287 + 1e-6);
        const qsizetype textLines = m.WrapLines(longName + longName, 60).size();
        const double textHeight = double(textLines - 1) * m.LineSpacing() + m.Ascent() + m.Descent();
        QCOMPARE(textOn(last, QStringLiteral("Выдал :")).Box.top(), 10 + height + 7 + textHeight - 5);
    }
};

QTEST_MAIN(TestTables)
#include "tst_tables.moc"
