// The report engine on a 5 000-page payment-order list written as PDF, beside
// QPdfWriter drawing the same texts at the same places straight from bare SQLite (the
// streamed floor). Each side runs in a process of its own, so its peak memory (VmHWM)
// is its own; the parent fills the orders once, runs the sides one after another and
// prints their time and peak memory with the ratios to the floor:
//  - the floor: the register's SELECT stepped on bare SQLite, each row's texts drawn
//    as it is read;
//  - the report over the register's SELECT stepped on bare SQLite, each page written
//    as it is laid out: the report engine's own cost;
//  - the report over the register's query, each page written as it is laid out;
//  - the same report laid out whole first, then written (how it went before pages
//    were handed out as they are laid out).
//
//   bench_report                              the table
//   bench_report --side <name> <folder> <pdf> one side, as the table runs it
#include "db/Database.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "print/Fonts.h"
#include "print/PagePainter.h"
#include "print/Report.h"

#include "../tests/print/PlatList.h"
#include "PayOrderBench.h"
#include "PdfFloor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int Pages = 5000;
// A4 portrait, 10 mm margins, title 12 mm, column header 6 mm on every page, rows 5 mm:
// 51 rows on the first page and 54 on each further one, one row fewer on the last so
// that the 6 mm total still fits there.
constexpr int Rows = 51 + (Pages - 1) * 54 - 1;
constexpr int Year = 2026;
const char *const RegisterSql = "select * from PLATPOR where Id_Post = 1 order by NUMBER";
const QString Money = QStringLiteral("### ### ##0.00");

// Peak resident memory of this process so far, KiB.
long long peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    static const QRegularExpression hwm(QStringLiteral(R"(VmHWM:\s+(\d+) kB)"));
    return hwm.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// ---- The floor ---------------------------------------------------------------------

// The list's texts in the boxes the report declares, drawn as the rows are stepped.
int writeFloor(const QString &fileName) {
    bench::PdfFloor pdf(fileName, QPageLayout::Portrait);
    auto draw = [&](double left, double top, double width, int align, const QString &text) {
        pdf.Text(left, top, width, 5, align, text);
    };
    const struct {
        const char *caption;
        double left, width;
    } columns[] = {{"№", 10, 18},
                   {"Дата", 28, 22},
                   {"Получатель", 50, 60},
                   {"Банк получателя", 110, 55},
                   {"Сумма", 165, 35}};
    int pages = 1;
    double y = 10;
    auto startPage = [&] {
        pdf.SetFont(10);
        for (const auto &c : columns)
            draw(c.left, y + 1, c.width, Qt::AlignHCenter, QString::fromUtf8(c.caption));
        y += 6;
    };
    pdf.SetFont(14);
    draw(10, 12, 190, Qt::AlignHCenter, QStringLiteral("Платежные поручения"));
    y += 12;
    startPage();

    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db::Database::handle(), RegisterSql, -1, &st, nullptr);
    auto text = [st](int column) {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)),
                                 sqlite3_column_bytes(st, column));
    };
    int number = -1, date = -1, name = -1, bank = -1, sum = -1, dop = -1;
    for (int c = 0; c < sqlite3_column_count(st); ++c) {
        const QString column = QString::fromUtf8(sqlite3_column_name(st, c)).toUpper();
        int *slot = column == "NUMBER"      ? &number
                    : column == "DATE_PLAT" ? &date
                    : column == "R_NAME"    ? &name
                    : column == "R_BANK"    ? &bank
                    : column == "SUMMA"     ? &sum
                    : column == "DOPNUMB"   ? &dop
                                            : nullptr;
        if (slot) *slot = c;
    }
    double total = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (y + 5 > 287.001) {
            pdf.NewPage();
            ++pages;
            y = 10;
            startPage();
        }
        QString shown = fmt::FloatToStr(sqlite3_column_double(st, number));
        if (sqlite3_column_bytes(st, dop) > 0) shown += QLatin1Char('/') + text(dop);
        draw(10, y, 17, Qt::AlignRight, shown);
        draw(28, y, 22, Qt::AlignHCenter,
             QDate::fromString(text(date), Qt::ISODate).toString(QStringLiteral("dd.MM.yyyy")));
        draw(51, y, 59, Qt::AlignLeft, text(name));
        draw(111, y, 54, Qt::AlignLeft, text(bank).section(QLatin1Char('\r'), 0, 0));
        const double amount = sqlite3_column_double(st, sum);
        total += amount;
        draw(165, y, 34, Qt::AlignRight, fmt::FormatFloat(Money, amount));
        y += 5;
    }
    sqlite3_finalize(st);
    draw(165, y + 1, 34, Qt::AlignRight, fmt::FormatFloat(Money, total));
    return pages;
}

// ---- The report --------------------------------------------------------------------

// The register's SELECT stepped on bare SQLite, holding the row read last and the one
// before it (all a layout pass looks at), with RBank as the register computes it.
class SqliteRows : public TRowSource {
  public:
    SqliteRows() {
        sqlite3_prepare_v2(db::Database::handle(), RegisterSql, -1, &m_stmt, nullptr);
        for (int c = 0; c < sqlite3_column_count(m_stmt); ++c)
            m_fields << QString::fromUtf8(sqlite3_column_name(m_stmt, c));
        m_fields << QStringLiteral("RBank");
        m_bank = FieldIndex(QStringLiteral("R_BANK"));
        m_date = FieldIndex(QStringLiteral("DATE_PLAT"));
    }
    ~SqliteRows() override { sqlite3_finalize(m_stmt); }

    QString Name() const override { return QStringLiteral("Plat"); }
    void BeginPass() override {
        sqlite3_reset(m_stmt);
        m_read = -1;
        m_selected = nullptr;
    }
    bool SelectRow(int row) override {
        m_selected = nullptr;
        if (row < 0) return false;
        if (row == m_read + 1) {
            if (sqlite3_step(m_stmt) != SQLITE_ROW) return false;
            std::swap(m_current, m_previous);
            readRow(m_current);
            ++m_read;
        }
        m_selected = row == m_read ? &m_current : row == m_read - 1 ? &m_previous : nullptr;
        return m_selected;
    }
    int FieldIndex(const QString &name) const override {
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_fields[i].compare(name, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }
    QVariant Value(int field) const override { return m_selected ? m_selected->value(field) : QVariant(); }
    double Number(int field) const override { return Value(field).toDouble(); }
    QString Text(int field, const QString &mask) const override {
        const QVariant v = Value(field);
        if (v.typeId() == QMetaType::Double)
            return mask.isEmpty() ? fmt::FloatToStr(v.toDouble()) : fmt::FormatFloat(mask, v.toDouble());
        if (field == m_date)
            return QDate::fromString(v.toString(), Qt::ISODate).toString(QStringLiteral("dd.MM.yyyy"));
        return v.toString();
    }

  private:
    void readRow(QVariantList &row) {
        row.clear();
        const int columns = sqlite3_column_count(m_stmt);
        for (int c = 0; c < columns; ++c)
            switch (sqlite3_column_type(m_stmt, c)) {
            case SQLITE_INTEGER:
            case SQLITE_FLOAT:
                row << sqlite3_column_double(m_stmt, c);
                break;
            case SQLITE_TEXT:
                row << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, c)),
                                         sqlite3_column_bytes(m_stmt, c));
                break;
            default:
                row << QVariant();
            }
        row << row.value(m_bank).toString().section(QLatin1Char('\r'), 0, 0);
    }

    sqlite3_stmt *m_stmt = nullptr;
    QStringList m_fields;
    int m_bank = -1, m_date = -1;
    QVariantList m_current, m_previous;
    int m_read = -1;
    const QVariantList *m_selected = nullptr;
};

// Counts the pages passing from the layout to the writer.
class CountedPages : public TPageSource {
  public:
    explicit CountedPages(std::unique_ptr<TPageSource> pages)
        : TPageSource(pages->Settings()), m_pages(std::move(pages)) {}
    bool NextPage(TPage &page) override {
        const bool more = m_pages->NextPage(page);
        count += more ? 1 : 0;
        return more;
    }
    void Rewind() override {
        m_pages->Rewind();
        count = 0;
    }
    int count = 0;

  private:
    std::unique_ptr<TPageSource> m_pages;
};

int writeOverBareRows(const QString &fileName) {
    SqliteRows rows;
    const int dop = rows.FieldIndex(QStringLiteral("DopNumb"));
    PlatList list(&rows, [&rows, dop] { return rows.Text(dop, QString()); });
    CountedPages pages(list.Report1.StartLayout());
    rep::WritePdf(pages, fileName);
    return pages.count;
}

int writeOverQuery(const QString &fileName, bool whole) {
    TQuery Plat;
    Plat.setObjectName(QStringLiteral("Plat"));
    Plat.SQL() << QString::fromUtf8(RegisterSql);
    AddRBank(&Plat);
    Plat.Open();
    PlatList list(&Plat);
    if (whole) {
        const TPreparedReport report = list.Report1.Layout();
        rep::WritePdf(report, fileName);
        return int(report.Pages.size());
    }
    CountedPages pages(list.Report1.StartLayout());
    rep::WritePdf(pages, fileName);
    return pages.count;
}

int runSide(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString side = QString::fromLocal8Bit(argv[2]);
    db::Database::Open(QString::fromLocal8Bit(argv[3]));
    const QString pdf = QString::fromLocal8Bit(argv[4]);
    const long long start = peakKiB();
    QElapsedTimer t;
    t.start();
    const int pages = side == QLatin1String("floor")  ? writeFloor(pdf)
                      : side == QLatin1String("bare") ? writeOverBareRows(pdf)
                                                      : writeOverQuery(pdf, side == QLatin1String("whole"));
    const double elapsed = bench::ms(t);
    db::Database::Close();
    std::printf("%d %.1f %lld %lld %lld\n", pages, elapsed, start, peakKiB(), QFileInfo(pdf).size() / 1024);
    return 0;
}

// ---- The table ---------------------------------------------------------------------

struct Figures {
    int pages = 0;
    double ms = 0;
    long long startKiB = 0, peakKiB = 0, pdfKiB = 0;
};

Figures measure(const QString &side, const QString &folder, const QString &pdf) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--side"), side, folder, pdf});
    child.waitForFinished(-1);
    const QStringList out = QString::fromLocal8Bit(child.readAllStandardOutput()).split(QLatin1Char(' '));
    Figures f;
    if (out.size() < 5) return f;
    f.pages = out[0].toInt();
    f.ms = out[1].toDouble();
    f.startKiB = out[2].toLongLong();
    f.peakKiB = out[3].toLongLong();
    f.pdfKiB = out[4].toLongLong();
    return f;
}

void print(const char *what, const Figures &f, const Figures &floor) {
    std::printf("%-46s %6d %8.2f %8.1f %8.1f %9lld %6.2f %6.2f\n", what, f.pages, f.ms / 1000,
                f.startKiB / 1024.0, f.peakKiB / 1024.0, f.pdfKiB, f.ms / floor.ms,
                double(f.peakKiB) / double(floor.peakKiB));
}

const char *aim(const Figures &f, const Figures &floor) {
    return f.ms <= 1.5 * floor.ms && f.peakKiB <= 1.5 * floor.peakKiB ? "met" : "missed";
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 5 && QByteArray(argv[1]) == "--side") return runSide(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("dat"));
    db::Database::Open(folder);
    bench::FillPaymentOrders(Rows, Year);
    db::Database::Close();

    auto side = [&](const char *name) {
        const QString pdf = dir.filePath(QString::fromLatin1(name) + QStringLiteral(".pdf"));
        return measure(QString::fromLatin1(name), folder, pdf);
    };
    const Figures floor = side("floor");
    const Figures bare = side("bare");
    const Figures query = side("query");
    const Figures whole = side("whole");

    std::printf("List of %d payment orders to PDF, each side in a process of its own\n", Rows);
    std::printf("%-46s %6s %8s %8s %8s %9s %6s %6s\n", "", "pages", "time, s", "start,", "peak,", "PDF, KiB",
                "time", "memory");
    std::printf("%-46s %6s %8s %8s %8s %9s %6s %6s\n", "", "", "", "MiB", "MiB", "", "ratio", "ratio");
    print("QPdfWriter drawing the texts from SQLite", floor, floor);
    print("report over bare SQLite rows, page by page", bare, floor);
    print("report over the register's query, page by page", query, floor);
    print("report over the query, laid out whole first", whole, floor);
    std::printf("aim, at most 1.5x the floor in time and memory: over bare rows %s, over the query %s\n",
                aim(bare, floor), aim(query, floor));
    return 0;
}
