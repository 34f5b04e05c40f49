#include "reports/UOtchet.h"

#include "app/StrUtils.h"
#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"
#include "db/Clock.h"
#include "db/Currency.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "db/Table.h"
#include "print/Columns.h"

#include <QLabel>

#include <array>
#include <map>

TOtchet *Otchet = nullptr;

namespace {

// ---- The queries --------------------------------------------------------------------
// Amounts are summed and compared as the kopecks they print as (okrugl), so a report's
// figures agree with the documents and payments listed elsewhere.

const QStringList OtgrSQL = {
    QStringLiteral("select max(F.Name_tov) Name_tov,"),
    QStringLiteral("sum(F.Kol_vo) Kol_vo,"),
    QStringLiteral("sum(F.Kol_vo*F.Cena_tov) Sum_cen,"),
    QStringLiteral("sum(okrugl(F.Itogo)) Itogo"),
    QStringLiteral("from Faktur_zag Z, Faktura F"),
    QStringLiteral("Where F.Zag_id = Z.Faktur_zag_id"),
    QStringLiteral("and z.Date_Fakt >= :DatV"),
    QStringLiteral("and z.Date_Fakt <= :DatI"),
    QStringLiteral("and z.Fl_svoy = 's'"),
    QStringLiteral("and z.id_post = :org"),
    QStringLiteral("Group by F.Name_tov"),
};

// By date and number, the order the documents were written in.
const QStringList PerechSQL = {
    QStringLiteral("select * from Faktur_zag Z"), QStringLiteral("Where z.Date_Fakt >= :DatV"),
    QStringLiteral("and z.Date_Fakt <= :DatI"),   QStringLiteral("and z.Fl_svoy = 's'"),
    QStringLiteral("and z.id_post = :org"),       QStringLiteral("order by z.Date_Fakt, z.NUMB_FAKT"),
};

// DateOpl is a column of both tables: the payment's is meant.
const QStringList OplPerSQL = {
    QStringLiteral("select o.SummaOpl,"),
    QStringLiteral("o.DateOpl,"),
    QStringLiteral("o.NumbDok,"),
    QStringLiteral("o.Primech,"),
    QStringLiteral("z.Name_Pokupat"),
    QStringLiteral("from Oplata o, Faktur_zag z"),
    QStringLiteral("Where o.Faktur_zag_id=z.Faktur_zag_id"),
    QStringLiteral("and o.DateOpl >= :datv"),
    QStringLiteral("and o.DateOpl <= :dati"),
    QStringLiteral("and z.Fl_Svoy='s'"),
    QStringLiteral("and z.id_post = :org"),
    QStringLiteral("Order by Name_Pokupat, o.DateOpl"),
};

const QStringList DebetSQL = {
    QStringLiteral("select max(z.Name_pokupat) name,"),
    QStringLiteral("sum(okrugl(o.SummaOpl)) SummaOpl,"),
    QStringLiteral("max(okrugl(z.Itogo)) Itogo,"),
    QStringLiteral("max(z.Date_Fakt) DatFakt,"),
    QStringLiteral("max(o.DateOpl) DatOpl"),
    QStringLiteral("from Faktur_zag z"),
    QStringLiteral("left outer join Oplata o on o.DateOpl <= :dat and o.Faktur_zag_id=z.Faktur_zag_id"),
    QStringLiteral("Where z.Date_Fakt <= :dat"),
    QStringLiteral("and z.Fl_Svoy='s'"),
    QStringLiteral("and z.id_post = :org"),
    QStringLiteral("Group by z.Faktur_zag_id"),
    QStringLiteral("Order by name,DatFakt"),
};

const QStringList KreditSQL = {
    QStringLiteral("select max(z.Name_pokupat) name,"),
    QStringLiteral("(sum(okrugl(o.SummaOpl)) - max(okrugl(z.Itogo))) SumIt,"),
    QStringLiteral("max(z.Date_Fakt) DatFakt,"),
    QStringLiteral("max(z.DateOpl) DatOpl"),
    QStringLiteral("from Oplata o, Faktur_zag z"),
    QStringLiteral("Where o.Faktur_zag_id=z.Faktur_zag_id"),
    QStringLiteral("and o.DateOpl <= :dat"),
    QStringLiteral("and z.Fl_Svoy='s'"),
    QStringLiteral("and z.id_post = :org"),
    QStringLiteral("Group by z.Faktur_zag_id"),
    QStringLiteral("Order by Name,DatFakt"),
};

// SummaOpl is a column of both tables: the payment's is meant.
const QStringList OplataSQL = {
    QStringLiteral("select max(Name_pokupat) Name,"),
    QStringLiteral("sum(okrugl(o.SummaOpl)) Summa"),
    QStringLiteral("from Oplata o, Faktur_zag z"),
    QStringLiteral("Where o.Faktur_zag_id=z.Faktur_zag_id"),
    QStringLiteral("and o.DateOpl >= :datv"),
    QStringLiteral("and o.DateOpl <= :dati"),
    QStringLiteral("and z.Fl_Svoy='s'"),
    QStringLiteral("and z.id_post = :org"),
    QStringLiteral("Group by Name_pokupat"),
    QStringLiteral("Order by Name"),
};

const QStringList RasxSQL = {
    QStringLiteral("select max(Name_pokupat) Name,"),
    QStringLiteral("sum(okrugl(Itogo)) Summa"),
    QStringLiteral("from Faktur_zag z"),
    QStringLiteral("Where z.Date_Fakt >= :datv"),
    QStringLiteral("and z.Date_Fakt <= :dati"),
    QStringLiteral("and z.Fl_Svoy='s'"),
    QStringLiteral("and z.id_post = :org"),
    QStringLiteral("Group by Name_pokupat"),
    QStringLiteral("Order by Name"),
};

const QStringList AssortSQL = {
    QStringLiteral("Select max(f.Name_Tov) NameTov From Faktura f, Faktur_zag z"),
    QStringLiteral("where z.id_post= :post"),
    QStringLiteral("and z.Faktur_zag_id=f.zag_id"),
    QStringLiteral("Group by f.Name_Tov"),
    QStringLiteral("Order by NameTov"),
};

// Summa is a column of both tables: the line's amount before VAT is meant.
const QStringList MovementSQL = {
    QStringLiteral(
        "Select max(f.Name_Tov) NameTov, sum(Kol_vo) KolVo, sum(okrugl(f.Summa)) Summa From Faktura f, "
        "Faktur_zag z"),
    QStringLiteral("where z.id_post= :post"),
    QStringLiteral("and z.Faktur_zag_id=f.zag_id"),
    QStringLiteral("and z.Date_Fakt >= :Datv"),
    QStringLiteral("and z.Date_Fakt <= :Dati"),
    QStringLiteral("and z.Fl_svoy = :Fl"),
    QStringLiteral("Group by f.Name_Tov"),
    QStringLiteral("Order by NameTov"),
};

const QString SaldInsertSQL =
    QStringLiteral("insert into OtchSald (NamePok, SummaVx, ObDeb, ObKre, SummaIs, OstKolVo, OstSumma) "
                   "values (:NamePok, :SummaVx, :ObDeb, :ObKre, :SummaIs, :OstKolVo, :OstSumma)");

// Balances by buyer count from this date, goods movement from the next.
const QDate BuyersFrom(1999, 1, 1);
const QDate GoodsFrom(1998, 1, 1);

// ---- The work table's figures -------------------------------------------------------

// One work row's figures in ten-thousandths, added exactly: SummaVx, ObDeb, ObKre,
// SummaIs, OstKolVo, OstSumma.
enum Figure { fSummaVx, fObDeb, fObKre, fSummaIs, fOstKolVo, fOstSumma, FigureCount };
using Figures = std::array<qint64, FigureCount>;
// By NamePok: a name cut to the work table's width, so names that agree in their first
// 50 characters share one row whatever order their rows come in.
using WorkRows = std::map<QString, Figures>;

qint64 exact(double value) {
    return Currency::fromDouble(value).raw();
}

// Walks a query's rows: the name (cut) and the amount of each.
template <class F> void eachRow(TQuery *q, const char *nameField, F f) {
    TField *name = q->FieldByName(QString::fromLatin1(nameField));
    for (q->First(); !q->Eof(); q->Next())
        f(reports::WorkName(name->AsString()), q);
}

bool roundsToZero(qint64 raw, qint64 unit) {
    return std::llround(double(raw) / double(unit)) == 0;
}

} // namespace

// ---- The form ---------------------------------------------------------------------------

TOtchet::TOtchet(QWidget *parent)
    : TTradeReportForm(parent, QStringLiteral("Otchet"), QStringLiteral("Отчет"), QStringLiteral("c")) {
    Otgr = reports::NewQuery(this, "Otgr", OtgrSQL);
    Otgr->AddField(QStringLiteral("Name_tov"), TFieldType::ftString, 100);
    Otgr->AddField(QStringLiteral("Kol_vo"), TFieldType::ftFloat);
    Otgr->AddField(QStringLiteral("Sum_cen"), TFieldType::ftFloat);
    Otgr->AddField(QStringLiteral("Itogo"), TFieldType::ftCurrency);
    Otgr->AddCalcField(QStringLiteral("Cena"), TFieldType::ftCurrency);
    Otgr->OnCalcFields = [this](TDataSet *ds) { OtgrCalcFields(ds); };

    Perech = reports::NewQuery(this, "Perech", PerechSQL);
    OplPer = reports::NewQuery(this, "OplPer", OplPerSQL);

    // Documents paid in full or overpaid on the date, compared in kopecks, are not
    // read into the result.
    Debet = reports::NewQuery(this, "Debet", DebetSQL);
    Debet->AddField(QStringLiteral("name"), TFieldType::ftString, 150);
    Debet->AddField(QStringLiteral("SummaOpl"), TFieldType::ftFloat);
    Debet->AddField(QStringLiteral("Itogo"), TFieldType::ftCurrency);
    Debet->AddField(QStringLiteral("DatFakt"), TFieldType::ftDate);
    Debet->AddField(QStringLiteral("DatOpl"), TFieldType::ftDate);
    Debet->AddCalcField(QStringLiteral("Summa"), TFieldType::ftCurrency);
    Debet->OnCalcFields = [this](TDataSet *ds) { DebetCalcFields(ds); };
    Debet->OnFilterRecord = [](TDataSet *ds) {
        return reports::Kopecks(ds->Fields(1)->AsFloat() - ds->Fields(2)->AsFloat()) < 0;
    };
    Debet->Filtered = true;

    // Only overpaid documents, the overpayment compared in kopecks.
    Kredit = reports::NewQuery(this, "Kredit", KreditSQL);
    Kredit->AddField(QStringLiteral("name"), TFieldType::ftString, 150);
    Kredit->AddField(QStringLiteral("SumIt"), TFieldType::ftFloat);
    Kredit->AddField(QStringLiteral("DatFakt"), TFieldType::ftDate);
    Kredit->AddField(QStringLiteral("DatOpl"), TFieldType::ftDate);
    Kredit->OnFilterRecord = [](TDataSet *ds) { return reports::Kopecks(ds->Fields(1)->AsFloat()) > 0; };
    Kredit->Filtered = true;

    const auto byBuyer = [this](const char *name, const QStringList &sql) {
        TQuery *q = reports::NewQuery(this, name, sql);
        q->AddField(QStringLiteral("Name"), TFieldType::ftString, 150);
        q->AddField(QStringLiteral("Summa"), TFieldType::ftFloat);
        return q;
    };
    Oplata = byBuyer("Oplata", OplataSQL);
    Rasx = byBuyer("Rasx", RasxSQL);
    Assort = reports::NewQuery(this, "Assort", AssortSQL);
    Assort->AddField(QStringLiteral("NameTov"), TFieldType::ftString, 100);
    const auto movement = [this](const char *name) {
        TQuery *q = reports::NewQuery(this, name, MovementSQL);
        q->AddField(QStringLiteral("NameTov"), TFieldType::ftString, 100);
        q->AddField(QStringLiteral("KolVo"), TFieldType::ftFloat);
        q->AddField(QStringLiteral("Summa"), TFieldType::ftFloat);
        return q;
    };
    ObKre = movement("ObKre");
    ObDeb = movement("ObDeb");

    OtchS = new TTable(this, QStringLiteral("OtchSald.db"));
    OtchS->setObjectName(QStringLiteral("OtchS"));
    OtchS->SetIndexName(QStringLiteral("NamePok"));
    for (const char *name : {"SumVxD", "SumVxK", "SumIsD", "SumIsK", "OstKol"})
        OtchS->AddCalcField(QString::fromLatin1(name), TFieldType::ftCurrency);
    OtchS->OnCalcFields = [this](TDataSet *ds) { OtchSCalcFields(ds); };
    SaldWrite = new TQuery(this);
    SaldWrite->setObjectName(QStringLiteral("SaldWrite"));

    resize(560, 180);
    buildReports();
}

TOtchet::~TOtchet() {
    if (Otchet == this) Otchet = nullptr;
}

void TOtchet::FormShow() {
    TTradeReportForm::FormShow();
    if (ReportKind == 5 || ReportKind == 6) DatV->SetDate(Clock::today());
}

// The queries of kinds 4 to 7 stay open until their kind prints again.
void TOtchet::FormClose() {
    Otgr->Close();
    Perech->Close();
    Oplata->Close();
    Rasx->Close();
    OtchS->Close();
}

// ---- Layouts --------------------------------------------------------------------------
// A4 portrait, Arial 10 pt, framed column headings, sums with the money mask.

namespace {

void portrait(TReport &report, TDataSet *rows) {
    report.DataSet = rows;
    report.Options.PrintIfEmpty = false;
    report.Font = TRepFont{QStringLiteral("Arial"), 10};
}

constexpr double Width = 190;
constexpr double Row = 5;

TRepBand *header(TReport &report, const TRepColumns &cols, const std::vector<TRepHeading> &headings,
                 double level = 7) {
    bool two = false;
    for (const TRepHeading &h : headings)
        two = two || !h.Below.isEmpty();
    auto *band = report.AddBand(rbColumnHeader, two ? 2 * level : level);
    cols.AddHeadings(band, headings, 0, level);
    return band;
}

TRepExpr *money(TRepExpr *expr) {
    expr->Mask = reports::Money;
    return expr;
}

} // namespace

void TOtchet::buildReports() {
    buildOtgr();
    buildPerech();
    buildOtchS();
    buildOplPer();
    buildDebetor();
    buildKreditor();
    buildAssort();
}

void TOtchet::buildOtgr() {
    portrait(RepOtgr, Otgr);
    m_titles[1] = reports::AddTitles(RepOtgr, 3, Width);
    const TRepColumns cols({100, 28, 27, 35});
    header(RepOtgr, cols,
           {{QStringLiteral("Ассортимент")},
            {QStringLiteral("Цена")},
            {QStringLiteral("Кол-во")},
            {QStringLiteral("Сумма с НДС")}});
    auto *detail = RepOtgr.AddBand(rbDetail, Row);
    cols.AddField(detail, Otgr, QStringLiteral("Name_tov"), 0, 0.5, 4.5);
    cols.AddField(detail, Otgr, QStringLiteral("Cena"), 1, 0.5, 4.5, taRightJustify);
    cols.AddField(detail, Otgr, QStringLiteral("Kol_vo"), 2, 0.5, 4.5, taRightJustify);
    cols.AddField(detail, Otgr, QStringLiteral("Itogo"), 3, 0.5, 4.5, taRightJustify);
    auto *summary = RepOtgr.AddBand(rbSummary, 7);
    cols.AddLabel(summary, QStringLiteral("Итого :"), 0, 2, 1.5, 5, taRightJustify);
    money(cols.AddExpr(summary, QStringLiteral("SUM(Otgr.Itogo)"), 3, 1.5, 5));
}

void TOtchet::buildPerech() {
    portrait(RepPerech, Perech);
    m_titles[2] = reports::AddTitles(RepPerech, 3, Width);
    const TRepColumns cols({25, 25, 35, 105});
    header(RepPerech, cols,
           {{QStringLiteral("Номер")},
            {QStringLiteral("Дата")},
            {QStringLiteral("Сумма")},
            {QStringLiteral("Покупатель")}});
    auto *detail = RepPerech.AddBand(rbDetail, Row);
    auto *RepDBText5 = cols.AddField(detail, Perech, QStringLiteral("NUMB_FAKT"), 0, 0.5, 4.5);
    RepDBText5->OnPrint = [this](TRepText *sender, QString &text) { RepDBText5Print(sender, text); };
    cols.AddField(detail, Perech, QStringLiteral("DATE_FAKT"), 1, 0.5, 4.5, taCenter);
    cols.AddField(detail, Perech, QStringLiteral("Itogo"), 2, 0.5, 4.5, taRightJustify);
    cols.AddField(detail, Perech, QStringLiteral("NAME_POKUPAT"), 3, 0.5, 4.5);
    money(cols.AddExpr(RepPerech.AddBand(rbSummary, 7), QStringLiteral("SUM(Perech.Itogo)"), 2, 1.5, 5));
}

void TOtchet::buildOplPer() {
    portrait(RepOplPer, OplPer);
    m_titles[4] = reports::AddTitles(RepOplPer, 3, Width);
    const TRepColumns cols({22, 25, 55, 30, 58});
    header(RepOplPer, cols,
           {{QStringLiteral("Дата")},
            {QStringLiteral("№ Документа")},
            {QStringLiteral("Примечание")},
            {QStringLiteral("Сумма")},
            {QStringLiteral("Покупатель")}});
    auto *detail = RepOplPer.AddBand(rbDetail, Row);
    cols.AddField(detail, OplPer, QStringLiteral("DateOpl"), 0, 0.5, 4.5, taCenter);
    cols.AddField(detail, OplPer, QStringLiteral("NumbDok"), 1, 0.5, 4.5);
    cols.AddField(detail, OplPer, QStringLiteral("Primech"), 2, 0.5, 4.5);
    cols.AddField(detail, OplPer, QStringLiteral("SummaOpl"), 3, 0.5, 4.5, taRightJustify);
    cols.AddField(detail, OplPer, QStringLiteral("Name_Pokupat"), 4, 0.5, 4.5);
    auto *summary = RepOplPer.AddBand(rbSummary, 7);
    cols.AddLabel(summary, QStringLiteral("Итого :"), 0, 2, 1.5, 5, taRightJustify);
    money(cols.AddExpr(summary, QStringLiteral("SUM(OplPer.SummaOpl)"), 3, 1.5, 5));
}

// Documents by buyer; each buyer's group closes with the sum still owed by it.
void TOtchet::buildDebetor() {
    portrait(RepDebetor, Debet);
    m_titles[5] = reports::AddTitles(RepDebetor, 3, Width);
    const TRepColumns cols({85, 30, 30, 45});
    header(RepDebetor, cols,
           {{QStringLiteral("Покупатель")},
            {QStringLiteral("Дата накладной")},
            {QStringLiteral("Срок оплаты")},
            {QStringLiteral("Остаток")}});
    auto *group = RepDebetor.AddGroup(QStringLiteral("Debet.name"), 0);
    auto *footer = group->AddFooter(7);
    cols.AddLabel(footer, QStringLiteral("Итого"), 2, 2, 0.5, 5, taRightJustify);
    auto *groupSum = money(cols.AddExpr(footer, QStringLiteral("SUM(Debet.Summa)"), 3, 0.5, 5));
    groupSum->ResetAfterPrint = true;
    groupSum->Frame = TRepFrame::Sides(QStringLiteral("T"));
    auto *detail = RepDebetor.AddBand(rbDetail, Row);
    cols.AddField(detail, Debet, QStringLiteral("name"), 0, 0.5, 4.5);
    cols.AddField(detail, Debet, QStringLiteral("DatFakt"), 1, 0.5, 4.5, taCenter);
    cols.AddField(detail, Debet, QStringLiteral("DatOpl"), 2, 0.5, 4.5, taCenter);
    cols.AddField(detail, Debet, QStringLiteral("Summa"), 3, 0.5, 4.5, taRightJustify);
    auto *summary = RepDebetor.AddBand(rbSummary, 8);
    cols.AddLabel(summary, QStringLiteral("Всего :"), 2, 2, 2, 5, taRightJustify);
    money(cols.AddExpr(summary, QStringLiteral("SUM(Debet.Summa)"), 3, 2, 5));
}

// One line per buyer, printed by the group's footer: the buyer, the payment date of
// its last document and its summed overpayment.
void TOtchet::buildKreditor() {
    portrait(RepKreditor, Kredit);
    m_titles[6] = reports::AddTitles(RepKreditor, 3, Width);
    const TRepColumns cols({110, 35, 45});
    header(RepKreditor, cols,
           {{QStringLiteral("Покупатель")}, {QStringLiteral("Срок оплаты")}, {QStringLiteral("Остаток")}});
    auto *group = RepKreditor.AddGroup(QStringLiteral("Kredit.name"), 0);
    auto *footer = group->AddFooter(Row);
    cols.AddField(footer, Kredit, QStringLiteral("name"), 0, 0.5, 4.5);
    cols.AddField(footer, Kredit, QStringLiteral("DatOpl"), 1, 0.5, 4.5, taCenter);
    money(cols.AddExpr(footer, QStringLiteral("SUM(Kredit.SumIt)"), 2, 0.5, 4.5))->ResetAfterPrint = true;
    auto *summary = RepKreditor.AddBand(rbSummary, 8);
    cols.AddLabel(summary, QStringLiteral("Всего :"), 1, 1, 2, 5, taRightJustify);
    money(cols.AddExpr(summary, QStringLiteral("SUM(Kredit.SumIt)"), 2, 2, 5));
}

void TOtchet::buildOtchS() {
    portrait(RepOtchS, OtchS);
    m_titles[3] = reports::AddTitles(RepOtchS, 3, Width);
    const TRepColumns cols({64, 21, 21, 21, 21, 21, 21});
    header(RepOtchS, cols,
           {{QStringLiteral("Покупатель")},
            {QStringLiteral("Сальдо входящее"), {QStringLiteral("Дебет"), QStringLiteral("Кредит")}},
            {QStringLiteral("Обороты"), {QStringLiteral("Отгрузка"), QStringLiteral("Оплата")}},
            {QStringLiteral("Сальдо исходящее"), {QStringLiteral("Дебет"), QStringLiteral("Кредит")}}},
           6);
    auto *detail = RepOtchS.AddBand(rbDetail, 4.5);
    detail->Font.Size = 8;
    const char *fields[7] = {"NamePok", "SumVxD", "SumVxK", "ObDeb", "ObKre", "SumIsD", "SumIsK"};
    for (int i = 0; i < 7; ++i)
        cols.AddField(detail, OtchS, QString::fromLatin1(fields[i]), i, 0.5, 4,
                      i ? taRightJustify : taLeftJustify);
    auto *summary = RepOtchS.AddBand(rbSummary, 7);
    summary->Font.Size = 8;
    cols.AddLabel(summary, QStringLiteral("Итого :"), 0, 0, 1.5, 4, taRightJustify);
    for (int i = 1; i < 7; ++i)
        money(cols.AddExpr(summary, QStringLiteral("SUM(OtchS.%1)").arg(QString::fromLatin1(fields[i])), i,
                           1.5, 4));
}

void TOtchet::buildAssort() {
    portrait(RepAssort, OtchS);
    m_titles[7] = reports::AddTitles(RepAssort, 3, Width);
    const TRepColumns cols({75, 23, 25, 23, 25, 19});
    header(RepAssort, cols,
           {{QStringLiteral("Наименование")},
            {QStringLiteral("Приход"), {QStringLiteral("Кол-во"), QStringLiteral("Сумма")}},
            {QStringLiteral("Расход"), {QStringLiteral("Кол-во"), QStringLiteral("Сумма")}},
            {QStringLiteral("Остаток"), {QStringLiteral("Кол-во")}}},
           6);
    auto *detail = RepAssort.AddBand(rbDetail, Row);
    const char *fields[6] = {"NamePok", "ObKre", "SummaVx", "ObDeb", "SummaIs", "OstKol"};
    for (int i = 0; i < 6; ++i)
        cols.AddField(detail, OtchS, QString::fromLatin1(fields[i]), i, 0.5, 4.5,
                      i ? taRightJustify : taLeftJustify);
    auto *summary = RepAssort.AddBand(rbSummary, 7);
    money(cols.AddExpr(summary, QStringLiteral("SUM(OtchS.SummaVx)"), 2, 1.5, 5));
    money(cols.AddExpr(summary, QStringLiteral("SUM(OtchS.SummaIs)"), 4, 1.5, 5));
}

// ---- Print ----------------------------------------------------------------------------

void TOtchet::BitBtn1Click() {
    if (ReportKind == 1) printOtgr();
    if (ReportKind == 2) printPerech();
    if (ReportKind == 3) printOtchS();
    if (ReportKind == 4) printOplPer();
    if (ReportKind == 5) printDebetor();
    if (ReportKind == 6) printKreditor();
    if (ReportKind == 7) printAssort();
}

void TOtchet::setTitles(int kind, bool oneDate) {
    std::vector<TRepLabel *> &titles = m_titles[kind];
    titles[0]->Caption = Caption();
    titles[1]->Caption = oneDate ? QStringLiteral("на ") + fmt::DateToStr(DatV->Date())
                                 : PeriodCaption(DatV->Date(), DatI->Date());
    titles[2]->Caption = Edit1->text();
}

void TOtchet::preview(int kind, TReport &report) {
    setTitles(kind, kind == 5 || kind == 6);
    report.Preview();
}

void TOtchet::printOtgr() {
    reports::OpenForPeriod(Otgr, DatV->Date(), DatI->Date(), KliId);
    preview(1, RepOtgr);
}

void TOtchet::printPerech() {
    reports::OpenForPeriod(Perech, DatV->Date(), DatI->Date(), KliId);
    preview(2, RepPerech);
}

void TOtchet::printOplPer() {
    reports::OpenForPeriod(OplPer, DatV->Date(), DatI->Date(), KliId);
    preview(4, RepOplPer);
}

void TOtchet::printDebetor() {
    reports::OpenForPeriod(Debet, DatV->Date(), DatV->Date(), KliId);
    Debet->First();
    preview(5, RepDebetor);
}

void TOtchet::printKreditor() {
    reports::OpenForPeriod(Kredit, DatV->Date(), DatV->Date(), KliId);
    preview(6, RepKreditor);
}

namespace {

// Empties OtchSald.db and writes the rows, all or none.
void writeWorkRows(TQuery *write, const WorkRows &rows) {
    TTransaction tx;
    write->SetSQLText(QStringLiteral("delete from OtchSald"));
    write->ExecSQL();
    write->SetSQLText(SaldInsertSQL);
    const char *names[FigureCount] = {"SummaVx", "ObDeb", "ObKre", "SummaIs", "OstKolVo", "OstSumma"};
    for (const auto &[name, figures] : rows) {
        reports::SetText(write, QStringLiteral("NamePok"), name);
        for (int i = 0; i < FigureCount; ++i)
            reports::SetNumber(write, QString::fromLatin1(names[i]),
                               Currency::fromRaw(figures[size_t(i)]).toDouble());
        write->ExecSQL();
    }
    tx.Commit();
}

} // namespace

// Kind 3: every buyer's opening balance (payments less shipments from 1 January 1999
// to the day before the period), its shipments and payments in the period, and its
// closing balance. Documents without a buyer's name are left out.
void TOtchet::printOtchS() {
    WorkRows rows;
    auto add = [&](TQuery *q, const QDate &from, const QDate &to, auto apply) {
        reports::OpenForPeriod(q, from, to, KliId);
        TField *summa = q->FieldByName(QStringLiteral("Summa"));
        eachRow(q, "Name", [&](const QString &name, TQuery *) {
            if (!name.isEmpty()) apply(rows[name], exact(summa->AsFloat()));
        });
    };
    const QDate before = DatV->Date().addDays(-1);
    add(Oplata, BuyersFrom, before, [](Figures &f, qint64 s) { f[fSummaVx] += s; });
    add(Rasx, BuyersFrom, before, [](Figures &f, qint64 s) { f[fSummaVx] -= s; });
    add(Oplata, DatV->Date(), DatI->Date(), [](Figures &f, qint64 s) { f[fObKre] += s; });
    add(Rasx, DatV->Date(), DatI->Date(), [](Figures &f, qint64 s) { f[fObDeb] += s; });
    for (auto &[name, f] : rows)
        f[fSummaIs] = f[fSummaVx] - f[fObDeb] + f[fObKre];

    OtchS->Close();
    writeWorkRows(SaldWrite, rows);
    OtchS->Open();
    RepOtchS.DataSet = OtchS;
    preview(3, RepOtchS);
}

// Kind 7: for every goods name of the organisation, the quantity and amount received
// ("b" documents) and issued ("s") in the period, and the quantity and amount on hand
// before it (from 1 January 1998); names whose figures all round to nothing are left
// out.
void TOtchet::printAssort() {
    WorkRows rows;
    reports::OpenForPeriod(Assort, DatV->Date(), DatI->Date(), KliId);
    eachRow(Assort, "NameTov", [&](const QString &name, TQuery *) { rows[name]; });

    auto add = [&](TQuery *q, const QString &fl, const QDate &from, const QDate &to, auto apply) {
        reports::SetText(q, QStringLiteral("Fl"), fl);
        reports::OpenForPeriod(q, from, to, KliId);
        TField *kolVo = q->FieldByName(QStringLiteral("KolVo"));
        TField *summa = q->FieldByName(QStringLiteral("Summa"));
        eachRow(q, "NameTov", [&](const QString &name, TQuery *) {
            const auto it = rows.find(name);
            if (it != rows.end()) apply(it->second, exact(kolVo->AsFloat()), exact(summa->AsFloat()));
        });
    };
    const QDate from = DatV->Date(), to = DatI->Date(), before = from.addDays(-1);
    add(ObKre, QStringLiteral("b"), from, to, [](Figures &f, qint64 k, qint64 s) {
        f[fObKre] += k;
        f[fSummaVx] += s;
    });
    add(ObDeb, QStringLiteral("s"), from, to, [](Figures &f, qint64 k, qint64 s) {
        f[fObDeb] += k;
        f[fSummaIs] += s;
    });
    add(ObKre, QStringLiteral("b"), GoodsFrom, before, [](Figures &f, qint64 k, qint64 s) {
        f[fOstKolVo] += k;
        f[fOstSumma] += s;
    });
    add(ObDeb, QStringLiteral("s"), GoodsFrom, before, [](Figures &f, qint64 k, qint64 s) {
        f[fOstKolVo] -= k;
        f[fOstSumma] -= s;
    });
    // Quantities count to 0.001, amounts to the kopeck.
    std::erase_if(rows, [](const auto &row) {
        const Figures &f = row.second;
        return roundsToZero(f[fOstKolVo], 10) && roundsToZero(f[fObDeb], 10) && roundsToZero(f[fObKre], 10) &&
               roundsToZero(f[fOstSumma], 100) && roundsToZero(f[fSummaVx], 100) &&
               roundsToZero(f[fSummaIs], 100);
    });

    OtchS->Close();
    writeWorkRows(SaldWrite, rows);
    OtchS->Open();
    preview(7, RepAssort);
    ObDeb->Close();
    ObKre->Close();
    OtchS->Close();
}

// ---- Calculated fields and the number hook ----------------------------------------------

// The average price before VAT, weighted by quantity; none for a quantity of 0.
void TOtchet::OtgrCalcFields(TDataSet *DataSet) {
    const double kolVo = DataSet->FieldByName(QStringLiteral("Kol_vo"))->AsFloat();
    if (kolVo != 0)
        DataSet->FieldByName(QStringLiteral("Cena"))
            ->SetAsFloat(DataSet->FieldByName(QStringLiteral("Sum_cen"))->AsFloat() / kolVo);
}

// What the document still owes, in kopecks.
void TOtchet::DebetCalcFields(TDataSet *DataSet) {
    const double owed = Okrugl(DataSet->FieldByName(QStringLiteral("SummaOpl"))->AsFloat() -
                               DataSet->FieldByName(QStringLiteral("Itogo"))->AsFloat());
    DataSet->FieldByName(QStringLiteral("Summa"))->SetAsFloat(std::abs(owed));
}

// Balances split into debit (owed by the buyer) and credit (paid in advance); a
// balance that rounds to no kopeck is in neither. The quantity on hand at the end.
void TOtchet::OtchSCalcFields(TDataSet *DataSet) {
    auto split = [DataSet](const char *balance, const char *debit, const char *credit) {
        const double value = DataSet->FieldByName(QString::fromLatin1(balance))->AsFloat();
        const qint64 kopecks = reports::Kopecks(value);
        if (kopecks > 0) DataSet->FieldByName(QString::fromLatin1(credit))->SetAsFloat(value);
        if (kopecks < 0) DataSet->FieldByName(QString::fromLatin1(debit))->SetAsFloat(std::abs(value));
    };
    split("SummaVx", "SumVxD", "SumVxK");
    split("SummaIs", "SumIsD", "SumIsK");
    DataSet->FieldByName(QStringLiteral("OstKol"))
        ->SetAsFloat(DataSet->FieldByName(QStringLiteral("OstKolVo"))->AsFloat() +
                     DataSet->FieldByName(QStringLiteral("ObKre"))->AsFloat() -
                     DataSet->FieldByName(QStringLiteral("ObDeb"))->AsFloat());
}

// A document's number with its suffix.
void TOtchet::RepDBText5Print(TRepText *, QString &Value) {
    const QString dop = Perech->FieldByName(QStringLiteral("DopNumb"))->AsString();
    if (!dop.isEmpty()) Value += QLatin1Char('/') + dop;
}
