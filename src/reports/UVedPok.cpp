#include "reports/UVedPok.h"

#include "app/StrUtils.h"
#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "db/Currency.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "db/Table.h"
#include "print/Columns.h"

#include <QGridLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

TVedPok *VedPok = nullptr;

namespace {

// Lines and payments come document by document, in the order of the documents' dates.
const QStringList OtgrSQL = {
    QStringLiteral("Select * From Faktur_zag z, Faktura f"),
    QStringLiteral("where z.Faktur_zag_id=f.zag_id"),
    QStringLiteral("and z.Date_Fakt >= :DatV"),
    QStringLiteral("and z.Date_Fakt <= :DatI"),
    QStringLiteral("and z.Fl_Svoy='s'"),
    QStringLiteral("and z.Id_post= :org"),
    QStringLiteral("and z.id_pokupat= :kli"),
    QStringLiteral("order by z.Date_fakt, z.Faktur_zag_id, f.Faktura_id"),
};

const QStringList OplatSQL = {
    QStringLiteral("Select * From Faktur_zag z, Oplata o"),
    QStringLiteral("where z.Faktur_zag_id=o.faktur_zag_id"),
    QStringLiteral("and o.DateOpl >= :DatV"),
    QStringLiteral("and o.DateOpl <= :DatI"),
    QStringLiteral("and z.Fl_Svoy='s'"),
    QStringLiteral("and z.Id_post= :org"),
    QStringLiteral("and z.id_pokupat= :kli"),
    QStringLiteral("order by z.Date_fakt, z.Faktur_zag_id, o.DateOpl, o.Oplata_id"),
};

// The opening balance adds the documents' totals and the payments as they print.
const QStringList RasxSQL = {
    QStringLiteral("Select sum(okrugl(z.Itogo)) summa From Faktur_zag z"),
    QStringLiteral("where z.Date_Fakt <= :Dat"),
    QStringLiteral("and z.Fl_Svoy='s'"),
    QStringLiteral("and z.Id_post= :org"),
    QStringLiteral("and z.id_pokupat= :kli"),
};

const QStringList PrixSQL = {
    QStringLiteral("Select sum(okrugl(o.SummaOpl)) summa From Faktur_zag z, Oplata o"),
    QStringLiteral("where z.Faktur_zag_id=o.faktur_zag_id"),
    QStringLiteral("and o.DateOpl <= :Dat"),
    QStringLiteral("and z.Fl_Svoy='s'"),
    QStringLiteral("and z.Id_post= :org"),
    QStringLiteral("and z.id_pokupat= :kli"),
};

const QString OtchInsertSQL = QStringLiteral(
    "insert into OtchKli (NumbDok, DateDok, NameTov, Cena, KolVo, Summa, SummaDok, NumbOpl, DateOpl, "
    "SummaOpl) "
    "values (:NumbDok, :DateDok, :NameTov, :Cena, :KolVo, :Summa, :SummaDok, :NumbOpl, :DateOpl, :SummaOpl)");

// A document is no row number can equal before the first row prints.
const QString NoNumber = QString(12, QChar(0x044F));

// A document of the statement: its lines and its payments, k-th beside k-th.
struct Line {
    QString name;
    double cena = 0, kolVo = 0, summa = 0;
};
struct Payment {
    QString numb;
    QDate date;
    double summa = 0;
};
struct Document {
    QString numb;
    QDate date;
    double total = 0;
    std::vector<Line> lines;
    std::vector<Payment> payments;
};

void bind(TQuery *q, const char *param, TFieldType type, const QVariant &value) {
    reports::SetParam(q, QString::fromLatin1(param), type, value);
}

// An amount as the statement prints it, in ten-thousandths: the balances count the
// printed figures, so the closing balance is the opening one plus the printed sums.
qint64 printed(double amount) {
    return fmt::AmountAsPrinted(reports::Money, amount).value_or(Currency::fromDouble(amount)).raw();
}

} // namespace

TVedPok::TVedPok(QWidget *parent)
    : TTradeReportForm(parent, QStringLiteral("VedPok"), QStringLiteral("Ведомость по покупателю"),
                       QStringLiteral("c")) {
    Otch = new TTable(this, QStringLiteral("OtchKli.db"));
    Otch->setObjectName(QStringLiteral("Otch"));
    Otch->SetIndexName(QStringLiteral("Num"));
    Otgr = reports::NewQuery(this, "Otgr", OtgrSQL);
    Oplat = reports::NewQuery(this, "Oplat", OplatSQL);
    Rasx = reports::NewQuery(this, "Rasx", RasxSQL);
    Prix = reports::NewQuery(this, "Prix", PrixSQL);
    for (TQuery *q : {Rasx, Prix})
        q->AddField(QStringLiteral("summa"), TFieldType::ftFloat);
    OtchWrite = new TQuery(this);
    OtchWrite->setObjectName(QStringLiteral("OtchWrite"));

    Edit2 = new TWrapEdit(this, TextSizeOf(QStringLiteral("Klient"), QStringLiteral("FullName")));
    Edit2->setReadOnly(true);
    SpeedButton2 = DictionaryButton(this);
    Controls->addWidget(new QLabel(QStringLiteral("Покупатель"), this), NextControlRow, 0);
    Controls->addWidget(Edit2, NextControlRow, 1);
    Controls->addWidget(SpeedButton2, NextControlRow++, 2);
    resize(560, 200);

    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    buildReport();
}

TVedPok::~TVedPok() {
    if (VedPok == this) VedPok = nullptr;
}

// A4 landscape: five title lines; shipments on the left and payments on the right
// under two-level framed headings; the two sums and the closing balance.
void TVedPok::buildReport() {
    Report1.DataSet = Otch;
    Report1.Page.Orientation = poLandscape;
    Report1.Options.PrintIfEmpty = false;
    Report1.Font = TRepFont{QStringLiteral("Arial"), 10};
    const double width = Report1.PageWidth() - Report1.Page.LeftMargin - Report1.Page.RightMargin;
    m_titles = reports::AddTitles(Report1, 5, width);
    for (size_t i = 2; i < m_titles.size(); ++i)
        m_titles[i]->Alignment = taLeftJustify;
    Report1.BeforePass = [this](TReport *) {
        PrevNumb = NoNumber;
        PrevDate = QDate();
    };

    const TRepColumns cols({22, 24, 70, 24, 18, 26, 28, 20, 22, 23});
    auto *header = Report1.AddBand(rbColumnHeader, 16);
    cols.AddHeadings(header,
                     {{QStringLiteral("Отгрузка"),
                       {QStringLiteral("№ документа"), QStringLiteral("Дата документа"),
                        QStringLiteral("Товар"), QStringLiteral("Цена"), QStringLiteral("Кол-во"),
                        QStringLiteral("Сумма"), QStringLiteral("Сумма по документу")}},
                      {QStringLiteral("Оплата"),
                       {QStringLiteral("№ документа"), QStringLiteral("Дата"), QStringLiteral("Сумма")}}},
                     0, 6, 10);

    auto *DetailBand1 = Report1.AddBand(rbDetail, 5);
    DetailBand1->BeforePrint = [this](TRepBand *sender, bool &print) {
        DetailBand1BeforePrint(sender, print);
    };
    const char *fields[10] = {"NumbDok", "DateDok",  "NameTov", "Cena",    "KolVo",
                              "Summa",   "SummaDok", "NumbOpl", "DateOpl", "SummaOpl"};
    const TAlignment alignments[10] = {taLeftJustify,  taCenter,       taLeftJustify,  taRightJustify,
                                       taRightJustify, taRightJustify, taRightJustify, taLeftJustify,
                                       taCenter,       taRightJustify};
    for (int i = 0; i < 10; ++i) {
        auto *text =
            cols.AddField(DetailBand1, Otch, QString::fromLatin1(fields[i]), i, 0.5, 4.5, alignments[i]);
        if (i == 0 || i == 1 || i == 6)
            text->OnPrint = [this](TRepText *sender, QString &value) { RepDBText4Print(sender, value); };
    }

    auto *summary = Report1.AddBand(rbSummary, 14);
    cols.AddExpr(summary, QStringLiteral("SUM(Otch.Summa)"), 5, 1.5, 5)->Mask = reports::Money;
    cols.AddExpr(summary, QStringLiteral("SUM(Otch.SummaOpl)"), 9, 1.5, 5)->Mask = reports::Money;
    m_closing = summary->AddLabel(QString(), 0, 8, width, 5);
}

void TVedPok::FormShow() {
    TTradeReportForm::FormShow();
    Edit2->clear();
    PokId = 0;
}

void TVedPok::FormClose() {
    Otch->Close();
    Oplat->Close();
    Otgr->Close();
    Rasx->Close();
    Prix->Close();
}

void TVedPok::SpeedButton2Click() {
    reports::PickKlient(QStringLiteral("Покупатель"), QStringLiteral("F"), Edit2, PokId);
}

// ---- The statement ---------------------------------------------------------------------

// Writes the statement and previews it. A payment belongs to the document it was made
// against (by the document's key): the k-th payment of a document stands beside the
// document's k-th line, payments beyond its lines get rows of their own, and a
// document of an earlier period paid in this one gets rows of its own, its lines not
// listed.
void TVedPok::BitBtn1Click() {
    auto run = [this](TQuery *q, const QDate &from, const QDate &to) {
        reports::OpenForPeriod(q, from, to, KliId, PokId);
    };
    const QDate before = DatV->Date().addDays(-1);
    run(Rasx, before, before);
    run(Prix, before, before);
    run(Oplat, DatV->Date(), DatI->Date());
    run(Otgr, DatV->Date(), DatI->Date());
    const qint64 balance = Currency::fromDouble(Prix->Fields(0)->AsFloat()).raw() -
                           Currency::fromDouble(Rasx->Fields(0)->AsFloat()).raw();
    const qint64 opening = printed(Currency::fromRaw(balance).toDouble());

    std::vector<Document> documents;
    QHash<qint64, size_t> byKey;
    auto document = [&](TQuery *q) -> Document & {
        const qint64 key = q->FieldByName(QStringLiteral("FAKTUR_ZAG_ID"))->AsInteger();
        auto it = byKey.find(key);
        if (it != byKey.end()) return documents[*it];
        byKey.insert(key, documents.size());
        Document &d = documents.emplace_back();
        d.numb = fmt::FloatToStr(q->FieldByName(QStringLiteral("NUMB_FAKT"))->AsFloat());
        d.date = q->FieldByName(QStringLiteral("DATE_FAKT"))->AsDate();
        d.total = q->FieldByName(QStringLiteral("Itogo"))->AsFloat();
        return d;
    };
    qint64 running = 0;
    {
        TField *name = Otgr->FieldByName(QStringLiteral("NAME_TOV"));
        TField *cena = Otgr->FieldByName(QStringLiteral("CENA_TOV"));
        TField *kolVo = Otgr->FieldByName(QStringLiteral("KOL_VO"));
        TField *summa = Otgr->FieldByName(QStringLiteral("Itogo_1"));
        for (Otgr->First(); !Otgr->Eof(); Otgr->Next()) {
            document(Otgr).lines.push_back(
                {reports::WorkName(name->AsString()), cena->AsFloat(), kolVo->AsFloat(), summa->AsFloat()});
            running -= printed(summa->AsFloat());
        }
    }
    {
        TField *numb = Oplat->FieldByName(QStringLiteral("NumbDok"));
        TField *date = Oplat->FieldByName(QStringLiteral("DateOpl_1"));
        TField *summa = Oplat->FieldByName(QStringLiteral("SummaOpl_1"));
        for (Oplat->First(); !Oplat->Eof(); Oplat->Next()) {
            document(Oplat).payments.push_back({numb->AsString(), date->AsDate(), summa->AsFloat()});
            running += printed(summa->AsFloat());
        }
    }

    Otch->Close();
    {
        TTransaction tx;
        OtchWrite->SetSQLText(QStringLiteral("delete from OtchKli"));
        OtchWrite->ExecSQL();
        OtchWrite->SetSQLText(OtchInsertSQL);
        const QVariant none;
        for (const Document &d : documents) {
            const size_t rows = std::max(d.lines.size(), d.payments.size());
            for (size_t k = 0; k < rows; ++k) {
                bind(OtchWrite, "NumbDok", TFieldType::ftString, d.numb);
                bind(OtchWrite, "DateDok", TFieldType::ftDate, d.date);
                bind(OtchWrite, "SummaDok", TFieldType::ftFloat, d.total);
                const Line *line = k < d.lines.size() ? &d.lines[k] : nullptr;
                bind(OtchWrite, "NameTov", TFieldType::ftString, line ? QVariant(line->name) : none);
                bind(OtchWrite, "Cena", TFieldType::ftFloat, line ? QVariant(line->cena) : none);
                bind(OtchWrite, "KolVo", TFieldType::ftFloat, line ? QVariant(line->kolVo) : none);
                bind(OtchWrite, "Summa", TFieldType::ftFloat, line ? QVariant(line->summa) : none);
                const Payment *pay = k < d.payments.size() ? &d.payments[k] : nullptr;
                bind(OtchWrite, "NumbOpl", TFieldType::ftString, pay ? QVariant(pay->numb) : none);
                bind(OtchWrite, "DateOpl", TFieldType::ftDate, pay ? QVariant(pay->date) : none);
                bind(OtchWrite, "SummaOpl", TFieldType::ftFloat, pay ? QVariant(pay->summa) : none);
                OtchWrite->ExecSQL();
            }
        }
        tx.Commit();
    }
    Otch->Open();

    const double openingBalance = Currency::fromRaw(opening).toDouble();
    const double closingBalance = Currency::fromRaw(opening + running).toDouble();
    m_titles[0]->Caption = Caption();
    m_titles[1]->Caption = PeriodCaption(DatV->Date(), DatI->Date());
    m_titles[2]->Caption = QStringLiteral("Организация ") + Edit1->text();
    m_titles[3]->Caption = QStringLiteral("Покупатель ") + Edit2->text();
    m_titles[4]->Caption =
        QStringLiteral("Входящее сальдо ") + fmt::FormatFloat(reports::Money, openingBalance);
    m_closing->Caption =
        QStringLiteral("Исходящее сальдо ") + fmt::FormatFloat(reports::Money, closingBalance);
    Report1.Preview();
}

// ---- The first-row hooks -------------------------------------------------------------

void TVedPok::DetailBand1BeforePrint(TRepBand *, bool &) {
    const QString numb = Otch->FieldByName(QStringLiteral("NumbDok"))->AsString();
    const QDate date = Otch->FieldByName(QStringLiteral("DateDok"))->AsDate();
    NewDocRow = numb != PrevNumb || date != PrevDate;
    PrevNumb = numb;
    PrevDate = date;
}

void TVedPok::RepDBText4Print(TRepText *, QString &Value) {
    if (!NewDocRow) Value.clear();
}
