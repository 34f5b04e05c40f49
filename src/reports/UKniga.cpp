#include "reports/UKniga.h"

#include "app/StrUtils.h"
#include "controls/DBCtrls.h"
#include "db/Currency.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "print/Columns.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

TKniga *Kniga = nullptr;

namespace {

// Both books list their rows by date, then by document number.
const QStringList OplatSQL = {
    QStringLiteral("select * from Oplata o, Faktur_zag f"),
    QStringLiteral("where o.faktur_zag_id = f.faktur_zag_id"),
    QStringLiteral("and o.DateOpl >= :datv"),
    QStringLiteral("and o.DateOpl <= :dati"),
    QStringLiteral("and f.id_post = :kli"),
    QStringLiteral("and f.fl_svoy = :fl"),
    QStringLiteral("order by o.DateOpl, f.NUMB_FAKT"),
};

const QStringList FaktSQL = {
    QStringLiteral("select * from Faktur_zag f"), QStringLiteral("where f.Date_fakt >= :datv"),
    QStringLiteral("and f.Date_fakt <= :dati"),   QStringLiteral("and f.id_post = :kli"),
    QStringLiteral("and f.fl_svoy = :fl"),        QStringLiteral("order by f.Date_fakt, f.NUMB_FAKT"),
};

const QString OrgSQL = QStringLiteral("select FullName, Inn from Klient where Klient_id = :kli");

// The detail's fields, left to right under the column headings.
const char *const DetailFields[11] = {"DATE_FAKT", "NUMB_FAKT", "DateOpl",  "NAME_POKUPAT",
                                      "INN_POK",   "OKONX_POK", "OKPO_POK", "SummaOpl",
                                      "Proc_Nds",  "Sum_bez",   "Sum_Nds"};

} // namespace

TKniga::TKniga(QWidget *parent)
    : TTradeReportForm(parent, QStringLiteral("Kniga"), QStringLiteral("Книга продаж"), QStringLiteral("с")) {
    // ---- Datasets ---------------------------------------------------------------
    Oplat = reports::NewQuery(this, "Oplat", OplatSQL);
    Oplat->AddCalcField(QStringLiteral("Proc_Nds"), TFieldType::ftFloat);
    Oplat->AddCalcField(QStringLiteral("Sum_Nds"), TFieldType::ftCurrency);
    Oplat->AddCalcField(QStringLiteral("Sum_Bez"), TFieldType::ftCurrency);
    Oplat->OnCalcFields = [this](TDataSet *ds) { OplatCalcFields(ds); };
    // Its fields are made afresh from the columns at every opening.
    Oplat->BeforeOpen = [this](TDataSet *) { m_oplatFields = CalcFields(); };

    // The header's fields but its SummaOpl, whose place the calculated total takes.
    Fakt = reports::NewQuery(this, "Fakt", FaktSQL);
    for (const db::FieldDef &f : db::FindTable(QStringLiteral("FAKTUR_ZAG"))->fields)
        if (QString::fromLatin1(f.name) != QLatin1String("SummaOpl"))
            Fakt->AddField(QString::fromLatin1(f.name), TFieldType::ftUnknown);
    Fakt->AddCalcField(QStringLiteral("Proc_Nds"), TFieldType::ftFloat);
    Fakt->AddCalcField(QStringLiteral("Sum_Nds"), TFieldType::ftCurrency);
    Fakt->AddCalcField(QStringLiteral("Sum_Bez"), TFieldType::ftCurrency);
    Fakt->AddCalcField(QStringLiteral("SummaOpl"), TFieldType::ftCurrency);
    Fakt->OnCalcFields = [this](TDataSet *ds) { FaktCalcFields(ds); };
    Fakt->BeforeOpen = [this](TDataSet *) { m_faktFields = CalcFields(); };

    Org = reports::NewQuery(this, "Org", {OrgSQL});

    // ---- Layout -----------------------------------------------------------------
    RadioGroup1 = new QGroupBox(this);
    RadioButton1 = new QRadioButton(QStringLiteral("по оплате"), RadioGroup1);
    RadioButton2 = new QRadioButton(QStringLiteral("по отгрузке"), RadioGroup1);
    RadioButton1->setChecked(true);
    auto *radios = new QVBoxLayout(RadioGroup1);
    radios->addWidget(RadioButton1);
    radios->addWidget(RadioButton2);
    Controls->addWidget(RadioGroup1, NextControlRow++, 0, 1, 3);
    resize(560, 240);

    buildReport();
}

TKniga::~TKniga() {
    if (Kniga == this) Kniga = nullptr;
}

// A4 landscape: the caption, the organisation with its INN, the period; framed column
// headings; one line per payment or document; the three totals.
void TKniga::buildReport() {
    QBookSel.Page.Orientation = poLandscape;
    QBookSel.Options.PrintIfEmpty = false;
    QBookSel.Font = TRepFont{QStringLiteral("Arial"), 10};
    const double width = QBookSel.PageWidth() - QBookSel.Page.LeftMargin - QBookSel.Page.RightMargin;

    auto *title = QBookSel.AddBand(rbTitle, 26);
    RepLabel1 = title->AddLabel(QStringLiteral("Книга продаж"), 0, 0, width, 8);
    RepLabel1->Font.Size = 14;
    RepLabel1->Alignment = taCenter;
    auto *name = title->AddDBText(Org, QStringLiteral("FullName"), 0, 10, 180, 5);
    name->Alignment = taRightJustify;
    title->AddLabel(QStringLiteral("ИНН"), 182, 10, 10, 5);
    title->AddDBText(Org, QStringLiteral("Inn"), 193, 10, 40, 5);
    RepLabel2 = title->AddLabel(QString(), 0, 16, width, 5);
    RepLabel2->Alignment = taCenter;

    const TRepColumns cols({22, 22, 22, 60, 26, 20, 22, 26, 13, 26, 18});
    auto *header = QBookSel.AddBand(rbColumnHeader, 12);
    header->Font.Size = 10;
    cols.AddHeadings(header,
                     {{QStringLiteral("Дата фактуры")},
                      {QStringLiteral("Номер фактуры")},
                      {QStringLiteral("Дата оплаты")},
                      {QStringLiteral("Наименование покупателя")},
                      {QStringLiteral("ИНН")},
                      {QStringLiteral("ОКОНХ")},
                      {QStringLiteral("ОКПО")},
                      {QStringLiteral("Всего")},
                      {QStringLiteral("% НДС")},
                      {QStringLiteral("Сумма без НДС")},
                      {QStringLiteral("Сумма НДС")}},
                     0, 12);

    auto *detail = QBookSel.AddBand(rbDetail, 4.5);
    detail->Font.Size = 8;
    const TAlignment alignments[11] = {taLeftJustify,  taLeftJustify,  taCenter,       taLeftJustify,
                                       taRightJustify, taRightJustify, taRightJustify, taRightJustify,
                                       taRightJustify, taRightJustify, taRightJustify};
    for (int i = 0; i < 11; ++i)
        RepDBText[i] =
            cols.AddField(detail, Oplat, QString::fromLatin1(DetailFields[i]), i, 0.3, 4, alignments[i]);
    RepDBText[1]->OnPrint = [this](TRepText *sender, QString &text) { RepDBText2Print(sender, text); };
    RepDBText[7]->Mask = reports::Money;
    RepDBText[8]->Mask = QStringLiteral("0.00");
    RepDBText[9]->Mask = reports::Money;

    auto *summary = QBookSel.AddBand(rbSummary, 7);
    summary->Font.Size = 8;
    cols.AddLabel(summary, QStringLiteral("Итого :"), 3, 3, 1.5, 4, taRightJustify);
    const int sumColumns[3] = {7, 9, 10};
    for (int i = 0; i < 3; ++i) {
        RepExpr[i] = cols.AddExpr(summary, QString(), sumColumns[i], 1.5, 4);
        RepExpr[i]->Mask = reports::Money;
    }
}

// ---- Print --------------------------------------------------------------------------

void TKniga::BitBtn1Click() {
    TQuery *book = RadioButton1->isChecked() ? Oplat : Fakt;
    book->Close();
    reports::SetDate(book, QStringLiteral("datv"), DatV->Date());
    reports::SetDate(book, QStringLiteral("dati"), DatI->Date());
    reports::SetNumber(book, QStringLiteral("kli"), KliId);
    reports::SetText(book, QStringLiteral("fl"), BookFlag);
    book->Open();
    m_book = book;

    // The title names the organisation the book is printed for.
    Org->Close();
    reports::SetNumber(Org, QStringLiteral("kli"), KliId);
    Org->Open();

    QBookSel.DataSet = book;
    for (TRepDBText *text : RepDBText)
        text->DataSet = book;
    const QString name = book->Name();
    RepExpr[0]->Expression = QStringLiteral("SUM(%1.SummaOpl)").arg(name);
    RepExpr[1]->Expression = QStringLiteral("SUM(%1.Sum_Bez)").arg(name);
    RepExpr[2]->Expression = QStringLiteral("SUM(%1.SummaNDS)").arg(name);
    RepLabel2->Caption = PeriodCaption(DatV->Date(), DatI->Date());
    RepLabel1->Caption = Caption();
    QBookSel.Preview();
}

void TKniga::FormClose() {
    Oplat->Close();
    Fakt->Close();
    Org->Close();
}

// ---- Calculated fields and the number hook ------------------------------------------

void TKniga::findCalcFields(TDataSet *DataSet, CalcFields &fields, const char *base) {
    if (fields.base) return;
    fields.base = DataSet->FieldByName(QString::fromLatin1(base));
    fields.nds = DataSet->FieldByName(QStringLiteral("SummaNDS"));
    fields.itogo = DataSet->FieldByName(QStringLiteral("Itogo"));
    fields.procNds = DataSet->FieldByName(QStringLiteral("Proc_Nds"));
    fields.sumBez = DataSet->FieldByName(QStringLiteral("Sum_Bez"));
    fields.sumNds = DataSet->FieldByName(QStringLiteral("Sum_Nds"));
    fields.summaOpl = DataSet->FieldByName(QStringLiteral("SummaOpl"));
}

// Per payment: its VAT share in percent of the payment (none for a payment of 0), the
// payment less its VAT, the VAT. The VAT is the stored share rounded to kopecks and
// the amount without it is the payment, as printed, less that VAT: the two add up to
// "Всего" on every row, and so do the totals, which add the rows as printed. A share
// of exactly half a kopeck thus goes to the VAT alone, not to both columns.
void TKniga::OplatCalcFields(TDataSet *DataSet) {
    CalcFields &f = m_oplatFields;
    findCalcFields(DataSet, f, "SummaOpl");
    const double summaOpl = f.base->AsFloat();
    const double summaNds = f.nds->AsFloat();
    if (summaOpl != 0) f.procNds->SetAsFloat(summaNds / summaOpl * 100);
    const double vat = RoundToKopecks(summaNds);
    f.sumBez->SetAsFloat(RoundToKopecks(RoundToKopecks(summaOpl) - vat));
    f.sumNds->SetAsFloat(vat);
}

// Per document: the VAT in percent of the amount before VAT, that amount, the VAT, and
// the total with VAT under "Всего".
void TKniga::FaktCalcFields(TDataSet *DataSet) {
    CalcFields &f = m_faktFields;
    findCalcFields(DataSet, f, "Summa");
    const double summa = f.base->AsFloat();
    const double summaNds = f.nds->AsFloat();
    if (summa != 0) f.procNds->SetAsFloat(summaNds / summa * 100);
    f.sumBez->SetAsFloat(summa);
    f.sumNds->SetAsFloat(summaNds);
    f.summaOpl->SetAsFloat(f.itogo->AsFloat());
}

// The book by shipment prints a document's number with its suffix.
void TKniga::RepDBText2Print(TRepText *, QString &Value) {
    if (m_book != Fakt) return;
    const QString dop = Fakt->FieldByName(QStringLiteral("DopNumb"))->AsString();
    if (!dop.isEmpty()) Value += QLatin1Char('/') + dop;
}
