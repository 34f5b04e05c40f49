#pragma once
// A bookkeeper's month of trade for the report tests, written straight into the
// tables: two own organisations, buyers (one with a name longer than the work tables
// hold), a supplier, invoices with their lines, payments against them, a purchase,
// and a document of the year before; and the program started on it.
#include "payorders/PageText.h"
#include "payorders/PayData.h"

#include "db/Database.h"

#include <QDate>
#include <QtTest>

namespace repdata {

using paydata::count;
using paydata::lastKey;
using paydata::value;

struct Line {
    QString name;
    double kolVo, cena, summa, nds, itogo;
};

struct Doc {
    double numb = 0;
    QDate date;
    double buyer = 0; // Klient_id; 0 for none
    QString buyerName;
    QString inn;
    std::vector<Line> lines;
    QString fl = QStringLiteral("s");
    double post = 1;
    QString dopNumb;
    QDate dateOpl; // "Дата оплаты" of the header
};

inline Doc doc(double numb, const QDate &date, double buyer, const QString &buyerName, const QString &inn,
               const std::vector<Line> &lines, const QString &fl = QStringLiteral("s"), double post = 1,
               const QString &dopNumb = QString(), const QDate &dateOpl = QDate()) {
    Doc d;
    d.numb = numb;
    d.date = date;
    d.buyer = buyer;
    d.buyerName = buyerName;
    d.inn = inn;
    d.lines = lines;
    d.fl = fl;
    d.post = post;
    d.dopNumb = dopNumb;
    d.dateOpl = dateOpl;
    return d;
}

// The header with the totals of its lines; returns its key.
inline double addDoc(const Doc &d) {
    double summa = 0, nds = 0, itogo = 0;
    for (const Line &l : d.lines) {
        summa += l.summa;
        nds += l.nds;
        itogo += l.itogo;
    }
    auto orNull = [](const QString &s) { return s.isEmpty() ? QVariant() : QVariant(s); };
    db::Database::Exec(
        QStringLiteral(
            "insert into FAKTUR_ZAG (NUMB_FAKT, DATE_FAKT, ID_POKUPAT, NAME_POKUPAT, INN_POK, OKPO_POK, "
            "OKONX_POK, ID_POST, FL_SVOY, Summa, SummaNDS, Itogo, DateOpl, DopNumb) "
            "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {d.numb, d.date.toString(Qt::ISODate), d.buyer, d.buyerName, orNull(d.inn),
         d.inn.isEmpty() ? QVariant() : QVariant(QStringLiteral("12345678")),
         d.inn.isEmpty() ? QVariant() : QVariant(QStringLiteral("71100")), d.post, d.fl, summa, nds, itogo,
         d.dateOpl.isValid() ? QVariant(d.dateOpl.toString(Qt::ISODate)) : QVariant(), orNull(d.dopNumb)});
    const double key = lastKey();
    for (const Line &l : d.lines)
        db::Database::Exec(
            QStringLiteral("insert into Faktura (ZAG_ID, NAME_TOV, KOL_VO, CENA_TOV, PROC_NDS, Summa, "
                           "SummaNds, Itogo) values (?, ?, ?, ?, 20, ?, ?, ?)"),
            {key, l.name, l.kolVo, l.cena, l.summa, l.nds, l.itogo});
    return key;
}

inline void addPayment(double doc, const QDate &date, const QString &numb, double summa, double nds,
                       const QString &primech = QString()) {
    db::Database::Exec(
        QStringLiteral("insert into Oplata (Faktur_zag_id, DateOpl, NumbDok, SummaOpl, SummaNds, "
                       "Primech) values (?, ?, ?, ?, ?, ?)"),
        {doc, date.toString(Qt::ISODate), numb, summa, nds,
         primech.isEmpty() ? QVariant() : QVariant(primech)});
}

inline const QString LongBuyer =
    QStringLiteral("Общество с ограниченной ответственностью «Торговый дом Северная звезда»");
inline const QString LongGoods =
    QStringLiteral("Кабель медный силовой ВВГнг-LS 3х2,5 мм² в бухтах по 100 метров");

inline QDate d(int day, int month = 3, int year = 2024) {
    return QDate(year, month, day);
}

// Keys: Вереск 1 and Ясень 2 (own), Альфа 3, Бета 4, the long-named buyer 5,
// Поставщик 6. March 2024 for Вереск:
//   № 1  04.03 Альфа  3 000.00, paid 1 800.00 (15.03) and 1 200.00 (25.03)
//   № 2а 11.03 Бета   3 060.00 in two lines, paid 2 000.00 (20.03): owes 1 060.00
//   № 3  18.03 long   2 750.80, paid 2 500.35 (28.03) and 250.45 (29.03): paid in full
//   № 4  22.03 Альфа  1 200.00, paid 1 200.004 (29.03): a residue under half a kopeck
//   № 5  26.03 Бета     480.00, paid 500.00 (27.03): 20.00 overpaid, "Дата оплаты" 27.03
//   № 6  28.03 Бета      60.00, paid 70.00 (28.03): 10.00 overpaid, "Дата оплаты" 30.03
//   № 5  20.12.2023 Бета 960.00, paid 960.00 (14.03): last year's number 5
//   № 101 05.03 from Поставщик 12 000.00 (received), paid 12 000.00 (06.03)
//   № 100 10.02 from Поставщик: paper 20, the long-named cable 3, folders 40 and
//         erasers 7 (received); № 8 15.02 the 7 erasers to Альфа for 42.00, paid 20.02
//   № 1 of Ясень 05.03 to Альфа 999.00
inline void fillMonth() {
    paydata::addKlient(QStringLiteral("Вереск"), QStringLiteral("ООО \"Вереск\""),
                       QStringLiteral("7701234567"), QStringLiteral("T"));
    paydata::addKlient(QStringLiteral("Ясень"), QStringLiteral("ООО \"Ясень\""), QStringLiteral("7709999999"),
                       QStringLiteral("T"));
    paydata::addKlient(QStringLiteral("Альфа"), QStringLiteral("ООО «Альфа»"), QStringLiteral("7701000001"),
                       QStringLiteral("F"));
    paydata::addKlient(QStringLiteral("Бета"), QStringLiteral("ИП Бета"), QStringLiteral("7701000002"),
                       QStringLiteral("F"));
    paydata::addKlient(QStringLiteral("Северная звезда"), LongBuyer, QStringLiteral("7701000003"),
                       QStringLiteral("F"));
    paydata::addKlient(QStringLiteral("Поставщик"), QStringLiteral("ЗАО Поставщик"),
                       QStringLiteral("7702000000"), QStringLiteral("F"));
    const QString alfa = QStringLiteral("ООО «Альфа»"), beta = QStringLiteral("ИП Бета");
    const QString paper = QStringLiteral("Бумага А4"), pen = QStringLiteral("Ручка шариковая");

    const double d1 =
        addDoc(doc(1, d(4), 3, alfa, QStringLiteral("7701000001"), {{paper, 10, 250, 2500, 500, 3000}}));
    addPayment(d1, d(15), QStringLiteral("11"), 1800, 300, QStringLiteral("аванс"));
    addPayment(d1, d(25), QStringLiteral("12"), 1200, 200);
    const double d2 = addDoc(doc(2, d(11), 4, beta, QStringLiteral("7701000002"),
                                 {{pen, 100, 15.5, 1550, 310, 1860}, {paper, 4, 250, 1000, 200, 1200}},
                                 QStringLiteral("s"), 1, QStringLiteral("а")));
    addPayment(d2, d(20), QStringLiteral("21"), 2000, 333.33);
    const double d3 = addDoc(doc(3, d(18), 5, LongBuyer, QStringLiteral("7701000003"),
                                 {{QStringLiteral("Степлер"), 4, 573.0825, 2292.33, 458.47, 2750.80}}));
    addPayment(d3, d(28), QStringLiteral("31"), 2500.35, 416.73);
    addPayment(d3, d(29), QStringLiteral("32"), 250.45, 41.74);
    const double d4 = addDoc(doc(4, d(22), 3, alfa, QStringLiteral("7701000001"),
                                 {{QStringLiteral("Картридж"), 1, 1000, 1000, 200, 1200}}));
    addPayment(d4, d(29), QStringLiteral("13"), 1200.004, 200);
    const double d5 = addDoc(doc(5, d(26), 4, beta, QStringLiteral("7701000002"),
                                 {{QStringLiteral("Папка"), 10, 40, 400, 80, 480}}, QStringLiteral("s"), 1,
                                 QString(), d(27)));
    addPayment(d5, d(27), QStringLiteral("22"), 500, 83.33);
    const double d6 = addDoc(doc(6, d(28), 4, beta, QStringLiteral("7701000002"),
                                 {{QStringLiteral("Скрепки"), 5, 10, 50, 10, 60}}, QStringLiteral("s"), 1,
                                 QString(), d(30)));
    addPayment(d6, d(28), QStringLiteral("23"), 70, 11.67);
    const double old5 = addDoc(doc(5, d(20, 12, 2023), 4, beta, QStringLiteral("7701000002"),
                                   {{QStringLiteral("Папка"), 20, 40, 800, 160, 960}}));
    addPayment(old5, d(14), QStringLiteral("20"), 960, 160);

    const QString supplier = QStringLiteral("ЗАО Поставщик");
    const double p1 = addDoc(doc(101, d(5), 6, supplier, QStringLiteral("7702000000"),
                                 {{paper, 50, 200, 10000, 2000, 12000}}, QStringLiteral("b")));
    addPayment(p1, d(6), QStringLiteral("п1"), 12000, 2000);
    addDoc(doc(100, d(10, 2), 6, supplier, QStringLiteral("7702000000"),
               {{paper, 20, 200, 4000, 800, 4800},
                {LongGoods, 3, 100, 300, 60, 360},
                {QStringLiteral("Папка"), 40, 30, 1200, 240, 1440},
                {QStringLiteral("Ластик"), 7, 5, 35, 7, 42}},
               QStringLiteral("b")));

    const double feb = addDoc(doc(8, d(15, 2), 3, alfa, QStringLiteral("7701000001"),
                                  {{QStringLiteral("Ластик"), 7, 5, 35, 7, 42}}));
    addPayment(feb, d(20, 2), QStringLiteral("10"), 42, 7);

    addDoc(doc(1, d(5), 3, alfa, QStringLiteral("7701000001"), {{paper, 3, 277.5, 832.5, 166.5, 999}},
               QStringLiteral("s"), 2));
}

// The texts on the line of the page's first text reading `first`, left to right.
inline QStringList rowOf(const TPage &page, const QString &first) {
    const TPageText *t = findText(page, first);
    return t ? lineAt(page, t->Origin.y()) : QStringList();
}

// The detail rows of a page: the lines of text between the headings and the totals,
// each left to right, in page order.
inline QList<QStringList> lines(const TPage &page) {
    std::map<int, std::vector<TPageText>> byLine;
    for (const TPageText &t : page.Texts)
        byLine[qRound(t.Origin.y() * 10)].push_back(t);
    QList<QStringList> out;
    for (auto &[y, row] : byLine) {
        std::sort(row.begin(), row.end(),
                  [](const TPageText &a, const TPageText &b) { return a.Box.left() < b.Box.left(); });
        QStringList texts;
        for (const TPageText &t : row)
            texts << t.Text;
        out << texts;
    }
    return out;
}

} // namespace repdata
