// The report engine on a 500-page payment-order list: read the register's query, lay
// the report out and write it as PDF, beside QPdfWriter drawing the same texts at
// the same places directly. Prints each figure and the ratio.
#include "db/Database.h"
#include "db/Query.h"
#include "print/Fonts.h"
#include "print/PagePainter.h"
#include "print/Report.h"

#include "../tests/print/PlatList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Pages = 500;
// A4 portrait, 10 mm margins, title 12 mm, column header 6 mm on every page, rows 5 mm:
// 51 rows on the first page and 54 on each further one, one row fewer on the last so
// that the 6 mm total still fits there.
constexpr int Rows = 51 + (Pages - 1) * 54 - 1;

double ms(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

void fill() {
    TTransaction tx;
    const QDate start(2026, 1, 1);
    for (int i = 0; i < Rows; ++i)
        db::Database::Exec(
            QStringLiteral("insert into PLATPOR (NUMBER, DATE_PLAT, R_NAME, R_BANK, SUMMA, DopNumb, "
                           "Id_Post) values (?, ?, ?, ?, ?, ?, 1)"),
            {double(i + 1), start.addDays(i % 360).toString(Qt::ISODate),
             QStringLiteral("ООО \"Получатель № %1\"").arg(i % 5000),
             QStringLiteral("АО Альфа-Банк г. Москва"), 1000.0 + i % 977 + (i % 100) / 100.0,
             i % 7 == 0 ? QStringLiteral("а") : QString()});
    tx.Commit();
}

// The same texts at the same places, drawn straight onto a QPdfWriter.
void writeDirect(const TPreparedReport &report, const QString &fileName) {
    QPdfWriter writer(fileName);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    const double dotsPerMm = 1200 / 25.4;
    QHash<QString, QFont> fonts;
    bool first = true;
    for (const TPage &page : report.Pages) {
        if (!first) writer.newPage();
        first = false;
        for (const TPageText &text : page.Texts) {
            const QString key = text.Font.Name + QString::number(text.Font.Size);
            auto it = fonts.find(key);
            if (it == fonts.end()) {
                QFont font(rep::ResolveFamily(text.Font.Name));
                font.setPointSizeF(text.Font.Size);
                it = fonts.insert(key, font);
            }
            painter.setFont(*it);
            painter.drawText(text.Origin * dotsPerMm, text.Text);
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    db::Database::Open(dir.filePath(QStringLiteral("dat")));
    fill();
    const QString ours = dir.filePath(QStringLiteral("report.pdf"));
    const QString direct = dir.filePath(QStringLiteral("direct.pdf"));

    // Warm the font caches once so neither side pays for loading the fonts.
    TPreparedReport warm;
    warm.Pages.emplace_back();
    writeDirect(warm, direct);

    for (int run = 1; run <= 3; ++run) {
        TQuery Plat;
        Plat.setObjectName(QStringLiteral("Plat"));
        Plat.SQL() << QStringLiteral("select * from PLATPOR") << QStringLiteral("order by NUMBER");
        AddRBank(&Plat);
        QElapsedTimer t;
        t.start();
        Plat.Open();
        PlatList list(&Plat);
        const TPreparedReport report = list.Report1.Layout();
        const double layout = ms(t);
        rep::WritePdf(report, ours);
        const double total = ms(t);

        t.restart();
        writeDirect(report, direct);
        const double bare = ms(t);

        std::printf("run %d: %zu pages, %d rows\n", run, report.Pages.size(), Rows);
        std::printf("  report: query + layout %8.1f ms, PDF %8.1f ms, total %8.1f ms (%lld KB)\n", layout,
                    total - layout, total, QFileInfo(ours).size() / 1024);
        std::printf("  QPdfWriter drawing the same texts directly %8.1f ms (%lld KB)\n", bare,
                    QFileInfo(direct).size() / 1024);
        std::printf("  ratio %.2f\n", total / bare);
    }
    db::Database::Close();
    return 0;
}
