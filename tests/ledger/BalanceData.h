#pragma once
// The first quarter of 2024 of "ООО Вереск" for the balance tests: a chart, the journal
// from a capital contribution in December to the sales of March, a few entries that no
// report may count (before 1998, of the other organisation), and the layout of the
// balance sheet on the lines of form No. 1. Amounts print with a point.
//
// On 29.03.2024 the accounts stand (credit - debit): 10 -50, 50 -7, 51 -633, 60.1 +100,
// 60.2 -100, 62 -300, 68 +200, 71 0, 80 +40, 90 0, 99 +750. At the start of the year
// 51 -40 and 80 +40. The cash account 50 counted from 1999 instead of 1998 would stand
// at -22.
#include "LedgerData.h"

#include "payorders/PageText.h"
#include "print/Report.h"

#include <QStringList>

namespace balancedata {

using ledgerdata::addAccount;
using ledgerdata::addEntry;

inline void addChart() {
    const char *accounts[][2] = {{"10", "Материалы"},         {"50", "Касса"},
                                 {"51", "Расчетные счета"},   {"60.1", "Поставщики"},
                                 {"60.2", "Авансы выданные"}, {"62", "Покупатели"},
                                 {"68", "Налоги и сборы"},    {"71", "Подотчетные лица"},
                                 {"80", "Уставный капитал"},  {"90", "Продажи"},
                                 {"99", "Прибыли и убытки"}};
    for (const auto &a : accounts)
        addAccount(QString::fromUtf8(a[0]), QString::fromUtf8(a[1]));
}

inline void entry(int y, int m, int d, const char *debet, const char *kredit, double summa, const char *note,
                  double org = 1) {
    addEntry(QDate(y, m, d), QString::fromUtf8(debet), QString::fromUtf8(kredit), summa,
             QString::fromUtf8(note), org);
}

inline void addJournal() {
    entry(1997, 5, 10, "51", "80", 5000, "до 1998 года");
    entry(1998, 6, 15, "51", "50", 15, "сдано в банк");
    entry(1999, 6, 15, "50", "51", 15, "получено из банка");
    entry(2023, 12, 15, "51", "80", 30, "взнос в уставный капитал");
    entry(2024, 1, 1, "51", "80", 10, "взнос в уставный капитал");
    entry(2024, 2, 10, "10", "60.1", 300, "материалы от поставщика");
    entry(2024, 2, 20, "62", "90", 1200, "отгрузка");
    entry(2024, 2, 20, "90", "68", 200, "НДС");
    entry(2024, 2, 25, "90", "10", 250, "списаны материалы");
    entry(2024, 2, 29, "90", "99", 750, "финансовый результат");
    entry(2024, 3, 5, "51", "62", 900, "оплата от покупателя");
    entry(2024, 3, 10, "60.1", "51", 200, "оплата поставщику");
    entry(2024, 3, 11, "60.2", "51", 100, "аванс поставщику");
    entry(2024, 3, 12, "71", "50", 0.10, "под отчет");
    entry(2024, 3, 13, "71", "50", 0.20, "под отчет");
    entry(2024, 3, 14, "50", "71", 0.30, "возврат подотчетной суммы");
    entry(2024, 3, 15, "50", "51", 10, "в кассу");
    entry(2024, 3, 20, "51", "50", 3, "сдано в банк");
    entry(2024, 3, 5, "51", "62", 999, "другая организация", 2);
}

// One row of ConfBal.db.
inline void addLine(int group, const QString &account, int code, const QString &name) {
    db::Database::Exec(
        QStringLiteral("insert into ConfBal (GroupId, BalSchet, StrokaId, NameStr) values (?, ?, ?, ?)"),
        {group, account.isEmpty() ? QVariant() : QVariant(account), code,
         name.isEmpty() ? QVariant() : QVariant(name)});
}

// Sections I to VI; section III has lines but no title row. 210, 240 and 620 are totals
// of the lines under them; 260 and 410 are coded as totals but have none, so they are
// lines of their own; 620's line 621 nets the two supplier accounts.
inline void addLayout() {
    addLine(1, QString(), 0, QStringLiteral("I. ВНЕОБОРОТНЫЕ АКТИВЫ"));
    addLine(1, QStringLiteral("04"), 110, QStringLiteral("Нематериальные активы"));
    addLine(1, QStringLiteral("01"), 120, QStringLiteral("Основные средства"));
    addLine(2, QString(), 0, QStringLiteral("II. ОБОРОТНЫЕ АКТИВЫ"));
    addLine(2, QString(), 210, QStringLiteral("Запасы"));
    addLine(2, QStringLiteral("10"), 211, QStringLiteral("сырье, материалы"));
    addLine(2, QString(), 240, QStringLiteral("Дебиторская задолженность"));
    addLine(2, QStringLiteral("62"), 241, QStringLiteral("покупатели и заказчики"));
    addLine(2, QStringLiteral("50"), 260, QStringLiteral("Денежные средства"));
    addLine(2, QStringLiteral("51"), 260, QString());
    addLine(3, QStringLiteral("88"), 310, QStringLiteral("Непокрытые убытки прошлых лет"));
    addLine(4, QString(), 0, QStringLiteral("IV. КАПИТАЛ И РЕЗЕРВЫ"));
    addLine(4, QStringLiteral("80"), 410, QStringLiteral("Уставный капитал"));
    addLine(4, QStringLiteral("99"), 470, QStringLiteral("Нераспределенная прибыль"));
    addLine(5, QString(), 0, QStringLiteral("V. ДОЛГОСРОЧНЫЕ ПАССИВЫ"));
    addLine(5, QStringLiteral("67"), 510, QStringLiteral("Заемные средства"));
    addLine(6, QString(), 0, QStringLiteral("VI. КРАТКОСРОЧНЫЕ ПАССИВЫ"));
    addLine(6, QString(), 620, QStringLiteral("Кредиторская задолженность"));
    addLine(6, QStringLiteral("60.1"), 621, QStringLiteral("поставщики и подрядчики"));
    addLine(6, QStringLiteral("60.2"), 621, QString());
    addLine(6, QStringLiteral("68"), 624, QStringLiteral("задолженность перед бюджетом"));
}

// The organisations, the chart, the journal and the layout; amounts with a point;
// today is 29.03.2024.
inline void fill() {
    Clock::setToday(QDate(2024, 3, 29));
    ledgerdata::addOrganisations();
    addChart();
    addJournal();
    addLayout();
    db::Database::Exec(QStringLiteral("update Config set Rasdel = 'Точка', Period = 'Месяц'"));
}

// The texts of a laid-out page standing on the line of `text` (its baseline ±0.5 mm),
// left to right; empty when the page has no such text.
inline QStringList rowOf(const TPage &page, const QString &text, int occurrence = 0) {
    const TPageText *found = nullptr;
    for (const TPageText &t : page.Texts)
        if (t.Text == text && occurrence-- == 0) {
            found = &t;
            break;
        }
    return found ? lineAt(page, found->Origin.y()) : QStringList();
}

// Every text of the page that reads `text`, in the order laid out.
inline std::vector<const TPageText *> findTexts(const TPage &page, const QString &text) {
    std::vector<const TPageText *> found;
    for (const TPageText &t : page.Texts)
        if (t.Text == text) found.push_back(&t);
    return found;
}

} // namespace balancedata
