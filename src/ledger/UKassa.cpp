#include "ledger/UKassa.h"

#include "app/LogoMain.h"
#include "app/StrUtils.h"
#include "app/Words.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "db/Clock.h"
#include "db/Errors.h"
#include "db/Formats.h"
#include "ledger/UKasOrd.h"
#include "ledger/UOpKassa.h"
#include "ledger/UProvodka.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TKassa *Kassa = nullptr;

namespace {

// `sch` takes one value in both of its places: the account on either side.
const QStringList ProvSQL = {
    QStringLiteral("Select * From Provodka"), QStringLiteral("Where DateProv >= :Datv"),
    QStringLiteral("and DateProv <= :Dati"),  QStringLiteral("and Organis = :org"),
    QStringLiteral("and (Debet like :sch"),   QStringLiteral("or Kredit like :sch)"),
    QStringLiteral("order by DateProv"),
};

const QString KasSchSQL = QStringLiteral("Select * from PlanSch Where Schet like :sch");

// Every cash sub-account shares one incoming and one outgoing sequence of numbers.
QStringList numberSQL(const char *side) {
    return {QStringLiteral("select max(k.numbdok) numb from Kassa k, Provodka p"),
            QStringLiteral("where p.%1 like '50%'").arg(QLatin1String(side)),
            QStringLiteral("and p.Organis= :org"),
            QStringLiteral("and p.ProvodkaId=k.ProvodkaId"),
            QStringLiteral("and p.DateProv>= :Datv"),
            QStringLiteral("and p.DateProv<= :Dati")};
}

// The amount an order prints, rounded once to kopecks as all money is:
// its figure, its words and the taxes it contains all come from this one value, so an
// amount stored with a third decimal cannot print "0-13" beside "12 копеек".
Currency orderAmount(const TField *summa) {
    return Currency::fromDoubleKopecks(summa->AsFloat());
}

} // namespace

bool IsOutgoing(const QString &debet, const QString &kredit, const QString &cashAccount) {
    return kredit == cashAccount || (kredit.startsWith(cashAccount) && !debet.startsWith(cashAccount));
}

ContainedTaxes TaxesContained(Currency amount) {
    const auto whole = [](qint64 n) { return Currency::fromRaw(n * Currency::Scale); };
    // The rest after the sales tax is S × 100 / 105; its VAT is a sixth of it.
    return {Currency::MulDiv(amount, whole(100 * 20), whole(105 * 120)),
            Currency::MulDiv(amount, whole(5), whole(105))};
}

QString CashOrderMemo(Currency amount, bool incoming) {
    const QString words = SumToWords(amount);
    if (!incoming) return words;
    const ContainedTaxes taxes = TaxesContained(amount);
    return words + QStringLiteral(" Сумма - ") + SumToRubKop(amount) + QStringLiteral(" в т.ч. НДС - ") +
           SumToRubKop(taxes.Vat) + QStringLiteral(" налог с продаж - ") + SumToRubKop(taxes.SalesTax);
}

TKassa::TKassa(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("Kassa"));
    SetCaption(QStringLiteral("Касса"));
    SetHelpContext(21);
    SetEscCloses(true);

    // ---- Datasets ---------------------------------------------------------------
    Prov = new TQuery(this);
    Prov->setObjectName(QStringLiteral("Prov"));
    UpdateSQL1 = new TUpdateSQL(this);
    SetUpEntryQuery(Prov, ProvSQL, {QStringLiteral("sch")}, UpdateSQL1);
    ProvKorSchet = Prov->AddCalcField(QStringLiteral("KorSchet"), TFieldType::ftString, 20);
    ProvPrixod = Prov->AddCalcField(QStringLiteral("Prixod"), TFieldType::ftCurrency);
    ProvRasxod = Prov->AddCalcField(QStringLiteral("Rasxod"), TFieldType::ftCurrency);
    // The name of the correspondent account, from the chart.
    Prov->AddCalcField(QStringLiteral("NameKor"), TFieldType::ftString, 100);
    Prov->OnCalcFields = [this](TDataSet *ds) { ProvCalcFields(ds); };
    ProvProvodkaId = Prov->FieldByName(QStringLiteral("ProvodkaId"));
    ProvDateProv = Prov->FieldByName(QStringLiteral("DateProv"));
    ProvDebet = Prov->FieldByName(QStringLiteral("Debet"));
    ProvKredit = Prov->FieldByName(QStringLiteral("Kredit"));
    ProvSumma = Prov->FieldByName(QStringLiteral("Summa"));
    ProvOrganis = Prov->FieldByName(QStringLiteral("Organis"));
    Prov->OnNewRecord = [this](TDataSet *) { ProvOrganis->SetAsFloat(LogoAppForm->SvoyKlientId); };
    ProvDateProv->OnValidate = [this](TField *Sender) { ProvDateProvValidate(Sender); };
    DataSource1 = new TDataSource(this, Prov);

    KasSch = new TQuery(this);
    KasSch->setObjectName(QStringLiteral("KasSch"));
    KasSch->SetSQLText(KasSchSQL);
    KasSch->ParamByName(QStringLiteral("sch"))->SetDataType(TFieldType::ftString);
    AddTableFields(KasSch, "PlanSch");

    Kas = new TTable(this, QStringLiteral("Kassa.db"));
    Kas->setObjectName(QStringLiteral("Kas"));
    Kas->SetIndexName(QStringLiteral("Prov"));
    AddTableFields(Kas, "Kassa");
    KasNumbDok = Kas->FieldByName(QStringLiteral("NumbDok"));
    Kas->SetMasterSource(DataSource1, QStringLiteral("ProvodkaId"));
    DSKas = new TDataSource(this, Kas);

    auto numbers = [this](const char *side) {
        auto *q = new TQuery(this);
        q->SetSQL(numberSQL(side));
        q->ParamByName(QStringLiteral("org"))->SetDataType(TFieldType::ftFloat);
        q->ParamByName(QStringLiteral("Datv"))->SetDataType(TFieldType::ftDate);
        q->ParamByName(QStringLiteral("Dati"))->SetDataType(TFieldType::ftDate);
        return q;
    };
    MaxNumb = numbers("debet");
    KasR = numbers("kredit");

    // ---- Layout -----------------------------------------------------------------
    auto *top = new QHBoxLayout;
    Datv = new TDateTimePicker(this);
    DatI = new TDateTimePicker(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setMinimumContentsLength(TextSizeOf(QStringLiteral("PlanSch"), QStringLiteral("Schet")));
    BitBtn8 = CommandButton(QStringLiteral("Выбрать"), this);
    top->addWidget(new QLabel(QStringLiteral("с"), this));
    top->addWidget(Datv);
    top->addWidget(new QLabel(QStringLiteral("по"), this));
    top->addWidget(DatI);
    top->addWidget(ComboBox1);
    top->addWidget(BitBtn8);
    top->addStretch();

    DBGrid1 = new TDBGrid(this, DataSource1);
    DBGrid1->AddColumn(QStringLiteral("DateProv"), QStringLiteral("Дата"), 85);
    DBGrid1->AddColumn(QStringLiteral("KorSchet"), QStringLiteral("Кор.счет"), 80);
    DBGrid1->AddColumn(QStringLiteral("Prixod"), QStringLiteral("Приход"));
    DBGrid1->AddColumn(QStringLiteral("Rasxod"), QStringLiteral("Расход"));
    DBGrid1->AddColumn(QStringLiteral("Primech"), QStringLiteral("Примечание"), 300);

    BitBtn1 = CommandButton(QStringLiteral("Печать операций"), this);
    BitBtn2 = CommandButton(QStringLiteral("Приход"), this);
    BitBtn3 = CommandButton(QStringLiteral("Удаление"), this);
    BitBtn4 = CommandButton(QStringLiteral("Печать ордера"), this);
    BitBtn5 = CommandButton(QStringLiteral("Расход"), this);
    BitBtn6 = CommandButton(QStringLiteral("Выход"), this);
    BitBtn7 = CommandButton(QStringLiteral("Cancel"), this);
    auto *buttons = new QGridLayout;
    buttons->addWidget(BitBtn1, 0, 0);
    buttons->addWidget(BitBtn2, 0, 1);
    buttons->addWidget(BitBtn3, 0, 2);
    buttons->addWidget(BitBtn6, 0, 4);
    buttons->addWidget(BitBtn4, 1, 0);
    buttons->addWidget(BitBtn5, 1, 1);
    buttons->addWidget(BitBtn7, 1, 4);
    buttons->setColumnStretch(3, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
    resize(qMax(760, sizeHint().width()), 520); // every column in view

    buildReport();

    // ---- Handlers ---------------------------------------------------------------
    OnClick(BitBtn8, [this] { BitBtn8Click(); });
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(BitBtn2, [this] { BitBtn2Click(); });
    OnClick(BitBtn3, [this] { BitBtn3Click(); });
    OnClick(BitBtn4, [this] { BitBtn4Click(); });
    OnClick(BitBtn5, [this] { BitBtn5Click(); });
    OnClick(BitBtn6, [this] { BitBtn6Click(); });
    OnClick(BitBtn7, [this] { BitBtn7Click(); });
}

TKassa::~TKassa() {
    if (Kassa == this) Kassa = nullptr;
}

// The operations in the grid, portrait A4, with the totals of both columns. The
// title is the cash one in the bank view too.
void TKassa::buildReport() {
    const QString &money = fmt::MoneyMask;
    Report1.DataSet = Prov;
    Report1.Options.PrintIfEmpty = false;
    Report1.Font = TRepFont{QStringLiteral("Arial"), 10};
    const TEntryListHead head = AddEntryListHead(Report1, QStringLiteral("Операции по кассе"),
                                                 {{"Дата", 0, 22},
                                                  {"Кор.счет", 22, 25},
                                                  {"Приход", 47, 35},
                                                  {"Расход", 82, 35},
                                                  {"Примечание", 117, 73}});
    RepLabel9 = head.Organisation;
    RepLabel2 = head.Period;

    auto *detail = Report1.AddBand(rbDetail, 5);
    detail->AddDBText(Prov, QStringLiteral("DateProv"), 0, 0, 22, 5)->Alignment = taCenter;
    detail->AddDBText(Prov, QStringLiteral("KorSchet"), 23, 0, 24, 5);
    for (const auto &[field, left] : {std::pair{"Prixod", 47.0}, std::pair{"Rasxod", 82.0}}) {
        auto *amount = detail->AddDBText(Prov, QString::fromLatin1(field), left, 0, 34, 5);
        amount->Mask = money;
        amount->Alignment = taRightJustify;
    }
    detail->AddDBText(Prov, QStringLiteral("Primech"), 118, 0, 72, 5);

    auto *summary = Report1.AddBand(rbSummary, 7);
    summary->Frame = TRepFrame::Sides(QStringLiteral("T"));
    summary->AddLabel(QStringLiteral("Итого:"), 23, 1, 24, 5);
    for (const auto &[field, left] : {std::pair{"Prixod", 47.0}, std::pair{"Rasxod", 82.0}}) {
        auto *total =
            summary->AddExpr(QStringLiteral("SUM(Prov.%1)").arg(QLatin1String(field)), left, 1, 34, 5);
        total->Mask = money;
        total->Alignment = taRightJustify;
    }
}

void TKassa::ProvCalcFields(TDataSet *) {
    const QString debet = ProvDebet->AsString();
    const QString kredit = ProvKredit->AsString();
    const bool outgoing = IsOutgoing(debet, kredit, CashAccount);
    const QString korSchet = outgoing ? debet : kredit;
    ProvKorSchet->SetAsString(korSchet);
    (outgoing ? ProvRasxod : ProvPrixod)->SetAsFloat(ProvSumma->AsFloat());
    Prov->FieldByName(QStringLiteral("NameKor"))->SetValue(Provodka->AccountName(korSchet));
}

// ---- Showing and closing ------------------------------------------------------------

void TKassa::FormShow() {
    DatI->SetDate(Clock::today());
    Datv->SetDate(BegPeriod(DatI->Date()));
    KasSch->Close();
    KasSch->ParamByName(QStringLiteral("sch"))->SetAsString(CashAccount + QLatin1Char('%'));
    KasSch->Open();
    Kas->Open();
    ComboBox1->clear();
    ComboBox1->show();
    if (KasSch->RecordCount() >= 2) {
        KasSch->First();
        CashAccount = KasSch->FieldByName(QStringLiteral("Schet"))->AsString();
        for (; !KasSch->Eof(); KasSch->Next())
            ComboBox1->addItem(KasSch->FieldByName(QStringLiteral("Schet"))->AsString());
        ComboBox1->setCurrentIndex(0);
    } else {
        ComboBox1->hide();
    }
    BitBtn8Click();
    Prov->Last();
}

bool TKassa::FormCloseQuery() {
    return MayCloseEntries(DBGrid1, Prov);
}

// However the view closes, what was not stored is dropped with the query.
void TKassa::FormClose() {
    DBGrid1->EndCellEdit(false);
    Kas->Cancel();
    Kas->Close();
    Prov->Cancel();
    Prov->Close();
    KasSch->Close();
}

// ---- Commands ----------------------------------------------------------------------------

void TKassa::BitBtn8Click() {
    if (Prov->Active()) StoreEntries(DBGrid1, Prov);
    Prov->Close();
    Prov->ParamByName(QStringLiteral("Datv"))->SetAsDate(Datv->Date());
    Prov->ParamByName(QStringLiteral("Dati"))->SetAsDate(DatI->Date());
    Prov->ParamByName(QStringLiteral("org"))->SetAsFloat(LogoAppForm->SvoyKlientId);
    if (!ComboBox1->isHidden()) CashAccount = ComboBox1->currentText();
    Prov->ParamByName(QStringLiteral("sch"))->SetAsString(CashAccount + QLatin1Char('%'));
    Prov->Open();
    DBGrid1->setFocus();
}

void TKassa::BitBtn1Click() {
    DBGrid1->EndCellEdit(true);
    RepLabel9->Caption = LogoAppForm->OrganisationName();
    RepLabel2->Caption = PeriodCaption(Datv->Date(), DatI->Date());
    Report1.Preview();
    DBGrid1->setFocus();
}

void TKassa::newOperation(bool incoming) {
    DBGrid1->EndCellEdit(true);
    // Refused before the dialog: nothing typed there could be stored.
    if (!OwnOrganisationChosen(LogoAppForm->SvoyKlientId)) {
        DBGrid1->setFocus();
        return;
    }
    OpKassa->DBEdit2->SetDataField(incoming ? QStringLiteral("Kredit") : QStringLiteral("Debet"));
    Prov->Append();
    ProvDateProv->SetAsDate(Clock::today());
    (incoming ? ProvDebet : ProvKredit)->SetAsString(CashAccount);
    OpKassa->SetCaption(incoming ? QStringLiteral("Приход") : QStringLiteral("Расход"));
    ShowModal(OpKassa);
    if (OpKassa->OkPressed) {
        Prov->Post();
    } else {
        // The operation the dialog began goes, also when "Словарь" has posted it.
        Prov->Cancel();
        if (OpKassa->RowPosted) Prov->Delete();
    }
    DBGrid1->setFocus();
}

void TKassa::BitBtn2Click() {
    newOperation(true);
}

void TKassa::BitBtn5Click() {
    newOperation(false);
}

void TKassa::BitBtn3Click() {
    DBGrid1->EndCellEdit(false);
    if (!Prov->IsEmpty() && MessageDlg(QStringLiteral("Удалить операцию?"), mtWarning, mbYesNo) == mrYes)
        Prov->Delete();
    DBGrid1->setFocus();
}

void TKassa::BitBtn6Click() {
    StoreEntries(DBGrid1, Prov);
    Close();
}

void TKassa::BitBtn7Click() {
    Close();
}

double TKassa::NextOrderNumber(bool incoming, const QDate &date) {
    TQuery *query = incoming ? MaxNumb : KasR;
    query->Close();
    query->ParamByName(QStringLiteral("org"))->SetAsFloat(LogoAppForm->SvoyKlientId);
    query->ParamByName(QStringLiteral("Datv"))->SetAsDate(QDate(date.year(), 1, 1));
    query->ParamByName(QStringLiteral("Dati"))->SetAsDate(QDate(date.year(), 12, 31));
    query->Open();
    const double highest = query->FieldByName(QStringLiteral("numb"))->AsFloat();
    query->Close();
    return highest + 1;
}

// Moving the operation to another year would leave its order with a number of the
// year it came from, next to that year's own numbers; within the year the number stays
// good. An operation moved across years is entered anew, to be numbered in its year.
void TKassa::ProvDateProvValidate(TField *Sender) {
    if (ProvProvodkaId->IsNull() || Kas->IsEmpty()) return;
    const QDate stored = Sender->OldValue().toDate();
    const QDate date = Sender->AsDate();
    if (!stored.isValid() || !date.isValid() || date.year() == stored.year()) return;
    MessageDlg(QStringLiteral("К операции выписан кассовый ордер № %1 за %2 год: дату операции можно "
                              "изменить только в пределах этого года")
                   .arg(KasNumbDok->AsString())
                   .arg(stored.year()),
               mtError, mbOK);
    throw EAbort();
}

CashOrderData TKassa::orderData(const QString &memo) const {
    const auto kas = [this](const char *field) {
        return Kas->FieldByName(QString::fromLatin1(field))->AsString();
    };
    CashOrderData d;
    d.Organisation = LogoAppForm->OrganisationName();
    d.Inn = LogoAppForm->SvoyInn;
    d.Number = KasNumbDok->AsFloat();
    d.Date = ProvDateProv->AsDate();
    d.Debet = ProvDebet->AsString();
    d.Kredit = ProvKredit->AsString();
    d.KorSchet = ProvKorSchet->AsString();
    d.Summa = orderAmount(ProvSumma).toDouble();
    d.Komu = kas("Komu");
    d.Primech = kas("Primech");
    d.Prilog = kas("Prilog");
    d.Dokument = kas("Dokument");
    d.Memo = memo;
    return d;
}

void TKassa::BitBtn4Click() {
    DBGrid1->EndCellEdit(true);
    Prov->CheckBrowseMode();
    if (Prov->IsEmpty()) {
        DBGrid1->setFocus();
        return;
    }
    // An order belongs to a stored operation: one added or changed since the last
    // store is stored first, with the rest of the view's changes, as "Выбрать" does.
    if (Prov->UpdateStatus() != TUpdateStatus::usUnmodified) {
        StoreEntries(DBGrid1, Prov);
        Kas->Refresh();
    }
    const bool incoming = !IsOutgoing(ProvDebet->AsString(), ProvKredit->AsString(), CashAccount);
    const Currency amount = orderAmount(ProvSumma);
    // The first print numbers the order; a printed order keeps its number.
    if (Kas->IsEmpty()) {
        const double number = NextOrderNumber(incoming, ProvDateProv->AsDate());
        Kas->Append();
        KasNumbDok->SetAsFloat(number);
    }
    KasOrd->SetUp(incoming, CashOrderMemo(amount, incoming));
    ShowModal(KasOrd);
    if (!KasOrd->OkPressed) {
        // A new order leaves no row and takes no number; a reprint drops the edits.
        Kas->Cancel();
        DBGrid1->setFocus();
        return;
    }
    Kas->CheckBrowseMode();
    const CashOrderData data = orderData(KasOrd->Memo1->toPlainText());
    if (incoming) {
        Orders.FillPrixOrd(data);
        Orders.PrixOrd.Preview();
    } else {
        Orders.FillRasxOrd(data);
        Orders.RasxOrd.Preview();
    }
    DBGrid1->setFocus();
}
