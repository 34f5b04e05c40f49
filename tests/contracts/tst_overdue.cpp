// "Просроченные этапы": which stages are overdue (due today or earlier, no state chosen,
// a blank state counting as none), of every own organisation, and the printed page:
// each value under its column heading.
#include "ContractsData.h"

#include "app/LogoMain.h"
#include "contracts/UOtchEtap.h"
#include "db/Clock.h"
#include "db/Formats.h"
#include "payorders/PageText.h"
#include "print/PagePainter.h"
#include "support/PdfWords.h"
#include "support/TestSupport.h"

#include <QtTest>

namespace {

double addStage(double dog, const QDate &date, double summa, const QVariant &state) {
    db::Database::Exec("insert into Primech (DatPrim, SumPrim, Dogovor_id, SosotEt) values (?, ?, ?, ?)",
                       {date.toString(Qt::ISODate), summa, dog, state});
    return double(db::Database::LastInsertRowId());
}

// Runs the report through the main menu and returns its pages.
TPreparedReport runReport() {
    TPreparedReport pages;
    int previews = 0;
    TReport::PreviewHook = [&](TReport &, const TPreparedReport &p) {
        pages = p;
        ++previews;
    };
    LogoAppForm->N17Click();
    TReport::PreviewHook = nullptr;
    if (previews != 1) qWarning("the report was previewed %d times", previews);
    return pages;
}

QList<QStringList> rows(const TPage &page) {
    QList<QStringList> list;
    for (const TPageText &t : page.Texts) {
        QDate d;
        if (t.Box.left() > 15 || !fmt::TryStrToDate(t.Text, d)) continue; // the first column
        list << textsIn(page, QRectF(0, t.Box.top() - 0.1, 210, 0.2));
    }
    return list;
}

} // namespace

class TestOverdue : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    void initTestCase() { LogoAppForm = new TLogoAppForm; }
    void cleanupTestCase() { delete LogoAppForm; }

    // Stages of two organisations; due today, yesterday and tomorrow; with a state, with
    // 0 and with none at all (a stage stored without the card).
    void listsStagesDueWithoutAState() {
        TempDataFolder folder;
        Clock::setToday(QDate(2024, 6, 15));
        const double own = addKlient("ООО Вереск", "T");
        const double second = addKlient("ЗАО Второе", "T");
        const double alfa = addKlient("ООО Альфа", "F");
        const double signedState = addState("подписан");
        const double d15 = addContract("15", QDate(2024, 3, 1), alfa, own);
        db::Database::Exec("update Dogovor set Summa = 1500.5 where Dogovor_id = ?", {d15});
        const double d7 = addContract("7/24", QDate(2024, 1, 10), alfa, second, true); // closed: still listed
        addStage(d15, QDate(2024, 6, 15), 500, 0);                                     // due today
        addStage(d15, QDate(2024, 6, 16), 600, 0);                                     // due tomorrow
        addStage(d15, QDate(2024, 5, 1), 700, signedState);                            // done
        addStage(d7, QDate(2024, 6, 1), 1234.5, QVariant()); // no state stored at all
        addStage(999, QDate(2024, 6, 1), 800, 0);            // its contract is gone

        const TPreparedReport report = runReport();
        QCOMPARE(int(report.Pages.size()), 1);
        const TPage &page = report.Pages[0];
        QVERIFY(findText(page, "на 15.06.2024"));
        QList<QStringList> listed = rows(page);
        std::sort(listed.begin(), listed.end());
        QCOMPARE(listed,
                 (QList<QStringList>{
                     {"01.06.2024", "1 234-50", "7/24", "10.01.2024", "ООО Альфа",
                      "ЗАО Второе"}, // no contract sum
                     {"15.06.2024", "500-00", "15", "01.03.2024", "1 500-50", "ООО Альфа", "ООО Вереск"},
                 }));

        // The page as printed: every value under its heading, inside the page's frame.
        QTemporaryDir out;
        const QString pdf = out.filePath("overdue.pdf");
        rep::WritePdf(report, pdf);
        if (qEnvironmentVariableIsSet("ORBEK_KEEP_PDF"))
            QFile::copy(pdf, qEnvironmentVariable("ORBEK_KEEP_PDF"));
        const auto words = pdfPages(pdf);
        QCOMPARE(words.size(), 1);
        const auto centre = [&](const QString &w) { return wordBox(words[0], w).center().x(); };
        const auto inColumn = [&](const QString &value, const QString &heading) {
            const QRectF v = wordBox(words[0], value), h = wordBox(words[0], heading);
            return !v.isNull() && !h.isNull() && qAbs(v.center().x() - h.center().x()) < 15;
        };
        QVERIFY(inColumn("01.06.2024", "этапа"));
        QVERIFY(inColumn("7/24", "договора"));
        QVERIFY(inColumn("Второе", "Организация"));
        QVERIFY(centre("Партнер") < centre("Организация"));
        QVERIFY(wordBox(words[0], "Просроченные").top() < wordBox(words[0], "Партнер").top());
    }

    void nothingDueGivesNoPage() {
        TempDataFolder folder;
        Clock::setToday(QDate(2024, 6, 15));
        const double dog =
            addContract("1", QDate(2024, 3, 1), addKlient("ООО Альфа", "F"), addKlient("Свои", "T"));
        addStage(dog, QDate(2024, 6, 16), 600, 0);
        QCOMPARE(int(runReport().Pages.size()), 0);
        // The next day it is due.
        Clock::setToday(QDate(2024, 6, 16));
        QCOMPARE(rows(runReport().Pages.at(0)).size(), 1);
    }
};

QTEST_MAIN(TestOverdue)
#include "tst_overdue.moc"
