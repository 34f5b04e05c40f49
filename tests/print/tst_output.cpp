// Laid-out pages on paper: a PDF file read back with poppler's tools, a printer
// writing to a PDF file, and the preview window.
#include "LongReport.h"
#include "MemoryRows.h"

#include "db/Errors.h"
#include "print/Fonts.h"
#include "print/PagePainter.h"
#include "print/PreviewWindow.h"
#include "print/Report.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr double MmPerPoint = 25.4 / 72;

struct PdfWord {
    int page;
    QString text;
    QRectF box; // mm
};

// The words pdftotext finds, with their boxes in millimetres: of every page, or of
// page `only` (1-based; its words then count as page 0).
std::vector<PdfWord> readWords(const QString &pdf, int only = 0) {
    QStringList args{QStringLiteral("-bbox"), pdf, QStringLiteral("-")};
    if (only > 0)
        args << QStringLiteral("-f") << QString::number(only) << QStringLiteral("-l")
             << QString::number(only);
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), args);
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) return {};
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    static const QRegularExpression page(QStringLiteral("<page "));
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    std::vector<PdfWord> words;
    const QStringList pages = html.split(page);
    for (int p = 1; p < pages.size(); ++p) {
        auto it = word.globalMatch(pages[p]);
        while (it.hasNext()) {
            const auto m = it.next();
            words.push_back(
                {p - 1, m.captured(5),
                 QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * MmPerPoint,
                        QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()) * MmPerPoint)});
        }
    }
    return words;
}

QString runTool(const QString &tool, const QString &file) {
    QProcess process;
    process.start(tool, {file});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString &file) {
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(runTool(QStringLiteral("pdfinfo"), file)).captured(1).toInt();
}

// A two-page list and a few placed texts in both families and all alignments.
TPreparedReport sampleReport(MemoryRows &rows) {
    for (int i = 1; i <= 80; ++i)
        rows.Add({QStringLiteral("Получатель%1").arg(i), i * 100.5});
    TReport rep;
    rep.DataSet = &rows;
    rep.Frame = TRepFrame::All();
    rep.AddLabel(QStringLiteral("ПЛАТЕЖНОЕ"), 19.6, 21.4, 0, 4.2)->AutoSize = true;
    auto *code = rep.AddLabel(QStringLiteral("0401060"), 184.2, 22.5, 15.6, 4.2);
    code->Alignment = taCenter;
    code->Frame = TRepFrame::All();
    auto *words = rep.AddLabel(QStringLiteral("Сумма"), 120.1, 40, 60, 5);
    words->Font = TRepFont{QStringLiteral("Times New Roman"), 12, true};
    words->Alignment = taRightJustify;
    auto *title = rep.AddBand(rbTitle, 40);
    title->AddLabel(QStringLiteral("Список"), 0, 32, 190, 7)->Font.Size = 14;
    auto *detail = rep.AddBand(rbDetail, 5);
    detail->AddDBText(&rows, QStringLiteral("Name"), 2, 0, 80, 5);
    auto *sum = detail->AddDBText(&rows, QStringLiteral("Summa"), 150, 0, 38, 5);
    sum->Alignment = taRightJustify;
    sum->Mask = QStringLiteral("0.00");
    return rep.Layout();
}

} // namespace

class TestOutput : public QObject {
    Q_OBJECT

  private slots:
    void pdfTextStandsWhereLaidOut();
    void pdfErrorsNameTheFile();
    void printerGetsCopiesAndOrientation();
    void previewHookReceivesPages();
    void previewWindowNavigatesAndReturnsOnClose();
    void longReportStreamsToPdf();
    void previewLaysOutAsItGoes();
};

void TestOutput::pdfTextStandsWhereLaidOut() {
    QTemporaryDir dir;
    MemoryRows rows(QStringLiteral("Plat"), {QStringLiteral("Name"), QStringLiteral("Summa")});
    const TPreparedReport report = sampleReport(rows);
    QCOMPARE(report.Pages.size(), size_t(2));
    const QString file = dir.filePath(QStringLiteral("список.pdf"));
    rep::WritePdf(report, file);
    QCOMPARE(pdfPages(file), 2);

    const std::vector<PdfWord> words = readWords(file);
    QVERIFY(!words.empty());
    int checked = 0;
    for (int p = 0; p < 2; ++p)
        for (const TPageText &text : report.Pages[size_t(p)].Texts) {
            auto it = std::find_if(words.begin(), words.end(),
                                   [&](const PdfWord &w) { return w.page == p && w.text == text.Text; });
            QVERIFY2(it != words.end(), qPrintable(text.Text));
            const rep::FontMetrics &m = rep::Metrics(text.Font);
            const QRectF expected(QPointF(text.Origin.x(), text.Origin.y() - m.Ascent()),
                                  QPointF(text.Origin.x() + text.Width, text.Origin.y() + m.Descent()));
            const QRectF &found = it->box;
            QVERIFY2(qAbs(found.left() - expected.left()) < 0.5 &&
                         qAbs(found.right() - expected.right()) < 0.5 &&
                         qAbs(found.top() - expected.top()) < 0.5 &&
                         qAbs(found.bottom() - expected.bottom()) < 0.5,
                     qPrintable(QStringLiteral("%1: %2,%3-%4,%5 mm, laid out %6,%7-%8,%9")
                                    .arg(text.Text)
                                    .arg(found.left())
                                    .arg(found.top())
                                    .arg(found.right())
                                    .arg(found.bottom())
                                    .arg(expected.left())
                                    .arg(expected.top())
                                    .arg(expected.right())
                                    .arg(expected.bottom())));
            ++checked;
        }
    QVERIFY(checked > 80);
    // Spot checks against the declared positions themselves.
    auto word = [&](const QString &text) {
        return *std::find_if(words.begin(), words.end(), [&](const PdfWord &w) { return w.text == text; });
    };
    QVERIFY(qAbs(word(QStringLiteral("ПЛАТЕЖНОЕ")).box.left() - 19.6) < 0.5);
    QVERIFY(qAbs(word(QStringLiteral("Сумма")).box.right() - 180.1) < 0.5);
    QVERIFY(qAbs(word(QStringLiteral("0401060")).box.center().x() - 192.0) < 0.5);
    QVERIFY(qAbs(word(QStringLiteral("Получатель1")).box.left() - 12.0) < 0.5);

    const QString fonts = runTool(QStringLiteral("pdffonts"), file);
    QVERIFY2(fonts.contains(QLatin1String("LiberationSans")), qPrintable(fonts));
    QVERIFY2(fonts.contains(QLatin1String("LiberationSerif-Bold")), qPrintable(fonts));
}

void TestOutput::pdfErrorsNameTheFile() {
    MemoryRows rows(QStringLiteral("Plat"), {QStringLiteral("Name"), QStringLiteral("Summa")});
    const TPreparedReport report = sampleReport(rows);
    const QString bad = QStringLiteral("/nonexistent-folder/отчет.pdf");
    try {
        rep::WritePdf(report, bad);
        QFAIL("no error");
    } catch (const EOrbekError &e) {
        QVERIFY2(e.message().contains(bad), qPrintable(e.message()));
    }
    QVERIFY_THROWS_EXCEPTION(EOrbekError, rep::WritePdf(TPreparedReport(), QStringLiteral("x.pdf")));
}

void TestOutput::printerGetsCopiesAndOrientation() {
    QTemporaryDir dir;
    TReport rep;
    rep.Page.Orientation = poLandscape;
    rep.PrinterSettings.Copies = 2;
    rep.PrinterSettings.FirstTray = true;
    rep.AddLabel(QStringLiteral("Книга"), 10, 10, 0, 5)->AutoSize = true;
    const TPreparedReport report = rep.Layout();
    QCOMPARE(report.Copies, 2);

    QPrinter printer(QPrinter::HighResolution);
    rep::SetUpPrinter(printer, report);
    QCOMPARE(printer.copyCount(), 2);
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
    QCOMPARE(printer.paperSource(), QPrinter::Upper);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = dir.filePath(QStringLiteral("печать.pdf"));
    printer.setOutputFileName(file);
    rep::PrintPages(report, printer);
    QCOMPARE(pdfPages(file), 2);      // one page, two copies
    QCOMPARE(printer.copyCount(), 2); // still what the user chose
    const QString info = runTool(QStringLiteral("pdfinfo"), file);
    static const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"));
    const auto sheet = size.match(info);
    QVERIFY2(qAbs(sheet.captured(1).toDouble() - 841.89) < 0.5 &&
                 qAbs(sheet.captured(2).toDouble() - 595.28) < 0.5,
             qPrintable(info)); // A4 landscape
    const auto words = readWords(file);
    QCOMPARE(words.size(), size_t(2));
    QVERIFY(qAbs(words[0].box.left() - 10) < 0.5); // the sheet's corner, not the printable area's
}

void TestOutput::previewHookReceivesPages() {
    MemoryRows rows(QStringLiteral("Plat"), {QStringLiteral("N")});
    rows.Add({1.0});
    TReport rep;
    rep.DataSet = &rows;
    rep.AddBand(rbDetail, 5)->AddDBText(&rows, QStringLiteral("N"), 0, 0, 10, 5);
    int calls = 0;
    TReport::PreviewHook = [&](TReport &report, const TPreparedReport &pages) {
        ++calls;
        QCOMPARE(&report, &rep);
        QCOMPARE(allTexts(pages), QStringList{QStringLiteral("1")});
    };
    rep.Preview();
    TReport::PreviewHook = nullptr;
    QCOMPARE(calls, 1);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestOutput::previewWindowNavigatesAndReturnsOnClose() {
    MemoryRows rows(QStringLiteral("Plat"), {QStringLiteral("Name"), QStringLiteral("Summa")});
    const TPreparedReport report = sampleReport(rows);
    {
        rep::TPreviewWindow window(report);
        QStringList captions;
        for (const QAction *action : window.findChildren<QAction *>())
            captions << action->text();
        for (const char *caption : {"Печать", "Настройка принтера", "Сохранить в PDF", "Следующая страница"})
            QVERIFY2(captions.contains(QString::fromUtf8(caption)), caption);
        auto pageLabel = [&window] {
            for (const QLabel *label : window.findChildren<QLabel *>())
                if (label->text().startsWith(QStringLiteral("Страница"))) return label->text();
            return QString();
        };
        QCOMPARE(pageLabel(), QStringLiteral("Страница 1 из 2"));
        QTest::keyClick(&window, Qt::Key_PageDown);
        QCOMPARE(window.PageIndex(), 1);
        QCOMPARE(pageLabel(), QStringLiteral("Страница 2 из 2"));
        QTest::keyClick(&window, Qt::Key_PageDown);
        QCOMPARE(window.PageIndex(), 1);
        QTest::keyClick(&window, Qt::Key_Home);
        QCOMPARE(window.PageIndex(), 0);
        QVERIFY(!window.grab().isNull()); // paints a page
    }
    {
        rep::TPreviewWindow empty{TPreparedReport()};
        for (QAction *action : empty.findChildren<QAction *>())
            if (action->text() == QStringLiteral("Печать")) QVERIFY(!action->isEnabled());
    }
    // The call returns only once the window is closed: the close is queued to run
    // inside the window's own event loop.
    bool closedFromInside = false;
    QMetaObject::invokeMethod(
        qApp,
        [&closedFromInside] {
            if (QWidget *window = QApplication::activeModalWidget()) {
                closedFromInside = window->windowTitle() == QStringLiteral("Предварительный просмотр");
                window->close();
            }
        },
        Qt::QueuedConnection);
    rep::ShowPreview(report);
    QVERIFY(closedFromInside);
}

// The PDF writer paints each page as the layout hands it over: a few pages alive at
// any time however long the report; a layout failing half-way leaves no file.
void TestOutput::longReportStreamsToPdf() {
    QTemporaryDir dir;
    LongReport report(300);
    const QString file = dir.filePath(QStringLiteral("ведомость.pdf"));
    TLivePages::ResetPeak();
    const int before = TLivePages::Live();
    rep::WritePdf(*report.rep.StartLayout(), file);
    QVERIFY2(TLivePages::Peak() - before <= 3, qPrintable(QString::number(TLivePages::Peak() - before)));
    QCOMPARE(pdfPages(file), 300);
    const std::vector<PdfWord> words = readWords(file, 290);
    auto word = [&](const QString &text) {
        auto it = std::find_if(words.begin(), words.end(), [&](const PdfWord &w) { return w.text == text; });
        return it == words.end() ? QRectF() : it->box;
    };
    const int first = 289 * GeneratedRows::PerGroup + 1;
    QVERIFY(qAbs(word(QString::number(first)).right() - 30) < 0.5); // right-aligned in 10..30
    QVERIFY(qAbs(word(QString::number(first)).top() - 17) < 1.5);
    QVERIFY(qAbs(word(QString::number(first + 50)).top() - 267) < 1.5);

    auto *detail = report.detail;
    GeneratedRows &rows = report.rows;
    detail->BeforePrint = [&rows](TRepBand *, bool &) {
        if (rows.furthest == 5000) throw EOrbekError(QStringLiteral("Сбой на строке 5001"));
    };
    const QString broken = dir.filePath(QStringLiteral("сбой.pdf"));
    try {
        rep::WritePdf(*report.rep.StartLayout(), broken);
        QFAIL("no error");
    } catch (const EOrbekError &e) {
        QCOMPARE(e.message(), QStringLiteral("Сбой на строке 5001"));
    }
    QVERIFY(!QFile::exists(broken));
}

namespace {

QString pageLabel(const QWidget &window) {
    for (const QLabel *label : window.findChildren<QLabel *>())
        if (label->text().startsWith(QStringLiteral("Страница"))) return label->text();
    return QString();
}

} // namespace

// The preview shows the first pages at once and lays out the rest while it waits;
// the last page and printing lay out what is missing; printing sends every page.
void TestOutput::previewLaysOutAsItGoes() {
    LongReport report(40);
    {
        rep::TPreviewWindow window(report.rep.StartLayout());
        QCOMPARE(pageLabel(window), QStringLiteral("Страница 1 из 3…"));
        QTRY_VERIFY(window.AllPagesLaidOut());
        QCOMPARE(pageLabel(window), QStringLiteral("Страница 1 из 40"));
    }
    {
        rep::TPreviewWindow window(report.rep.StartLayout());
        QTest::keyClick(&window, Qt::Key_End);
        QCOMPARE(window.PageIndex(), 39);
        QCOMPARE(pageLabel(window), QStringLiteral("Страница 40 из 40"));
        QTest::keyClick(&window, Qt::Key_PageUp);
        QCOMPARE(window.PageIndex(), 38);
        QVERIFY(!window.grab().isNull());
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("печать.pdf"));
    rep::TPreviewWindow window(report.rep.StartLayout());
    QVERIFY(!window.AllPagesLaidOut());
    window.Printer().setOutputFormat(QPrinter::PdfFormat);
    window.Printer().setOutputFileName(file);
    for (QAction *action : window.findChildren<QAction *>())
        if (action->text() == QStringLiteral("Печать")) action->trigger();
    QCOMPARE(pdfPages(file), 40);
    QVERIFY(window.AllPagesLaidOut());
    const std::vector<PdfWord> last = readWords(file, 40);
    QVERIFY(std::any_of(last.begin(), last.end(),
                        [](const PdfWord &w) { return w.text == QStringLiteral("Всего"); }));
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
