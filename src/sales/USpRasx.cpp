#include "sales/USpRasx.h"

#include "app/LogoMain.h"
#include "app/StrUtils.h"
#include "app/UConfig.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/RegisterFilters.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "db/Clock.h"
#include "db/Currency.h"
#include "db/Formats.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"
#include "sales/SalesTables.h"
#include "sales/UOplataF.h"
#include "sales/USchFak.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QVBoxLayout>

TSpRasx *SpRasx = nullptr;

namespace {

// The line numbers matter: a refresh sets the parameters, the order clause is line 6,
// and the main menu replaces DATE_FAKT for the bill and waybill registers.
const QStringList SpRasxSQL = {
    QStringLiteral("select * from  FAKTUR_ZAG"),
    QStringLiteral("where DATE_FAKT>= :datv and DATE_FAKT<= :dati "),
    QStringLiteral("AND FL_SVOY Like :SV"),
    QStringLiteral("AND NAME_POKUPAT LIKE :NAME"),
    QStringLiteral("AND ID_POST = :kli"),
    QStringLiteral("and (Dogovor_id = :dog or :dog = 0)"),
    QStringLiteral("Order by Numb_fakt"),
};
constexpr int OrderLine = 6;

const QStringList PosRasxSQL = {QStringLiteral("SELECT* FROM FAKTURA "), QStringLiteral("WHERE ZAG_ID= :ID")};

const QStringList MaxFaktSQL = {
    QStringLiteral("select max(numb_fakt) maxnumb from faktur_zag"),
    QStringLiteral("where date_fakt >= :dvx and date_fakt <= :dis"),
    QStringLiteral("and fl_svoy= :sv "),
    QStringLiteral("and Id_post = :kli"),
};

// R of the line arithmetic: the 64-bit value of an extended-precision result, rounded
// to kopecks.
double R(long double x) {
    return Okrugl(double(x));
}

// An amount or price the arithmetic stores in a line, refused as a typed amount is when
// it has more than twelve rouble digits (EConvertError): no line may hold what its
// document cannot print.
double stored(double amount) {
    Currency::fromDoubleKopecks(amount);
    return amount;
}

// The VAT percent a new line takes: the setting ProcNDS (0 when it is not a number).
double defaultVatPercent() {
    double percent = 0;
    fmt::TryStrToFloat(SettingText(QStringLiteral("ProcNDS")), percent);
    return percent;
}

} // namespace

TSpRasx::TSpRasx(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("SpRasx"));
    SetCaption(QStringLiteral("Счета фактуры"));
    SetHelpContext(4);

    // ---- Datasets -----------------------------------------------------------------
    SpRasx = new TQuery(this);
    SpRasx->setObjectName(QStringLiteral("SpRasx"));
    SpRasx->SetSQL(SpRasxSQL);
    SpRasx->ParamByName(QStringLiteral("datv"))->SetDataType(TFieldType::ftDate);
    SpRasx->ParamByName(QStringLiteral("dati"))->SetDataType(TFieldType::ftDate);
    SpRasx->ParamByName(QStringLiteral("SV"))->SetDataType(TFieldType::ftString);
    SpRasx->ParamByName(QStringLiteral("NAME"))->SetDataType(TFieldType::ftString);
    SpRasx->ParamByName(QStringLiteral("kli"))->SetDataType(TFieldType::ftFloat);
    SpRasx->ParamByName(QStringLiteral("dog"))->SetDataType(TFieldType::ftFloat);
    AddTableFields(SpRasx, QStringLiteral("FAKTUR_ZAG"));
    SpRasx->AddCalcField(QStringLiteral("NumbF"), TFieldType::ftString, 15);
    SpRasx->OnCalcFields = [this](TDataSet *ds) { SpRasxCalcFields(ds); };
    UpdateSQL1 = new TUpdateSQL(this);
    SetUpdateStatements(UpdateSQL1, QStringLiteral("FAKTUR_ZAG"));
    SpRasx->CachedUpdates = true;
    SpRasx->UpdateObject = UpdateSQL1;
    DSpRasx = new TDataSource(this, SpRasx);

    PosRasx = new TQuery(this);
    PosRasx->setObjectName(QStringLiteral("PosRasx"));
    PosRasx->SetSQL(PosRasxSQL);
    PosRasx->ParamByName(QStringLiteral("ID"))->SetDataType(TFieldType::ftFloat);
    AddTableFields(PosRasx, QStringLiteral("Faktura"));
    PosRasx->FieldByName(QStringLiteral("CENA_TOV"))->DisplayFormat = QStringLiteral(",0.00");
    PosRasx->AddCalcField(QStringLiteral("CenaSNDS"), TFieldType::ftCurrency);
    PosRasx->AddCalcField(QStringLiteral("ItogSumma"), TFieldType::ftCurrency);
    UpdateSQL2 = new TUpdateSQL(this);
    SetUpdateStatements(UpdateSQL2, QStringLiteral("Faktura"));
    PosRasx->CachedUpdates = true;
    PosRasx->UpdateObject = UpdateSQL2;
    // The defaults are given as the line is begun, not as a change: a new line the
    // user leaves untouched is dropped rather than stored as an empty line.
    PosRasx->OnNewRecord = [this](TDataSet *ds) { PosRasxAfterInsert(ds); };
    const std::pair<const char *, void (TSpRasx::*)(TField *)> arithmetic[] = {
        {"KOL_VO", &TSpRasx::PosRasxKOL_VOValidate},
        {"CENA_TOV", &TSpRasx::PosRasxKOL_VOValidate},
        {"PROC_NDS", &TSpRasx::PosRasxPROC_NDSValidate},
        {"Summa", &TSpRasx::PosRasxSummaValidate},
        {"Itogo", &TSpRasx::PosRasxItogoValidate}};
    for (const auto &[name, handler] : arithmetic)
        PosRasx->FieldByName(QString::fromLatin1(name))->OnValidate = [this, handler = handler](TField *f) {
            lineArithmetic(f, handler);
        };
    PosRasx->OnCalcFields = [this](TDataSet *ds) { PosRasxCalcFields(ds); };
    DPosRasx = new TDataSource(this, PosRasx);

    MaxFakt = new TQuery(this);
    MaxFakt->setObjectName(QStringLiteral("MaxFakt"));
    MaxFakt->SetSQL(MaxFaktSQL);
    MaxFakt->ParamByName(QStringLiteral("dvx"))->SetDataType(TFieldType::ftDate);
    MaxFakt->ParamByName(QStringLiteral("dis"))->SetDataType(TFieldType::ftDate);
    MaxFakt->ParamByName(QStringLiteral("sv"))->SetDataType(TFieldType::ftString);
    MaxFakt->ParamByName(QStringLiteral("kli"))->SetDataType(TFieldType::ftFloat);

    // ---- Layout -------------------------------------------------------------------
    datvx = new TDateTimePicker(this);
    datis = new TDateTimePicker(this);
    // Full names over three lines: the filters stay low above the list.
    const int fullName = TextSizeOf(QStringLiteral("Klient"), QStringLiteral("FullName"));
    Edit2 = new TWrapEdit(this, fullName, 75);
    Edit2->setReadOnly(true);
    Edit1 = new TWrapEdit(this, fullName, 75);
    SpeedButton1 = DictionaryButton(this, Qt::NoFocus);
    SpeedButton2 = DictionaryButton(this, Qt::NoFocus);
    Label4 = new QLabel(QStringLiteral("Поставщик"), this);
    Label3 = new QLabel(QStringLiteral("Покупатель"), this);
    BitBtn1 = new QPushButton(QStringLiteral("F7 - Выбрать"), this);
    BitBtn1->setAutoDefault(false);
    QGridLayout *filters = LayOutRegisterFilters(
        this, datvx, datis, BitBtn1, {{Label4, Edit2, SpeedButton1}, {Label3, Edit1, SpeedButton2}});

    DBGrid1 = new TDBGrid(this, DSpRasx);
    DBGrid1->SetReadOnly(true);
    DBGrid1->AddColumn(QStringLiteral("NumbF"), QStringLiteral("№"), 70);
    DBGrid1->AddColumn(QStringLiteral("DATE_FAKT"), QStringLiteral("Дата "), 85);
    DBGrid1->AddColumn(QStringLiteral("NAME_POKUPAT"), QStringLiteral("Покупатель"), 260);
    DBGrid1->AddColumn(QStringLiteral("Summa"), QStringLiteral("Сумма "));
    DBGrid1->AddColumn(QStringLiteral("SummaNDS"), QStringLiteral("Сумма НДС"));
    DBGrid1->AddColumn(QStringLiteral("Itogo"), QStringLiteral("Сумма с НДС"));
    DBGrid1->AddColumn(QStringLiteral("SummaOpl"), QStringLiteral("Оплата"));

    SpeedButton3 = CommandButton(QStringLiteral("F4 - Редактирование"), this, Qt::NoFocus);
    SpeedButton4 = CommandButton(QStringLiteral("F6 - Новый"), this, Qt::NoFocus);
    SpeedButton5 = CommandButton(QStringLiteral("F8 - Удаление"), this, Qt::NoFocus);
    SpeedButton6 = CommandButton(QStringLiteral("F3 - Оплата"), this, Qt::NoFocus);
    SpeedButton7 = CommandButton(QStringLiteral("F10 - Выход"), this, Qt::NoFocus);
    auto *tools = new QHBoxLayout;
    for (QPushButton *b : {SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7})
        tools->addWidget(b);
    tools->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addLayout(filters);
    layout->addWidget(DBGrid1, 1);
    resize(qMax(960, sizeHint().width()), 580); // every column in view

    // ---- Handlers -----------------------------------------------------------------
    Connect(datvx, &TDateTimePicker::closeUp, [this] { BitBtn1Click(); });
    Connect(datis, &TDateTimePicker::closeUp, [this] { BitBtn1Click(); });
    OnKeyDown({datvx, datis, Edit1, Edit2}, [this](int &Key, Qt::KeyboardModifiers) {
        if (Key != Qt::Key_F7) return;
        Key = 0;
        BitBtn1Click();
    });
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton3, [this] { SpeedButton3Click(); });
    OnClick(SpeedButton4, [this] { SpeedButton4Click(); });
    OnClick(SpeedButton5, [this] { SpeedButton5Click(); });
    OnClick(SpeedButton6, [this] { SpeedButton6Click(); });
    OnClick(SpeedButton7, [this] { SpeedButton7Click(); });
    Connect(DBGrid1, &TDBGrid::titleClick, [this](int column) { DBGrid1TitleClick(column); });
    Connect(DBGrid1, &TDBGrid::dblClick, [this] { SpeedButton3Click(); });
    OnKeyDown(DBGrid1, [this](int &Key, Qt::KeyboardModifiers) { DBGrid1KeyDown(Key); });
}

TSpRasx::~TSpRasx() {
    if (::SpRasx == this) ::SpRasx = nullptr;
}

// ---- Calculated fields ------------------------------------------------------------------

void TSpRasx::SpRasxCalcFields(TDataSet *DataSet) {
    QString number = fmt::FloatToStr(DataSet->FieldByName(QStringLiteral("NUMB_FAKT"))->AsFloat());
    const QString dop = DataSet->FieldByName(QStringLiteral("DopNumb"))->AsString();
    if (!dop.isEmpty()) number += QLatin1Char('/') + dop;
    DataSet->FieldByName(QStringLiteral("NumbF"))->SetAsString(number);
}

// ---- Showing and closing ----------------------------------------------------------------

void TSpRasx::FormShow() {
    LogoAppForm->Table2->SetIndexFieldNames(QStringLiteral("Dogovor_id"));
    LogoAppForm->Table2->Open();
    datis->SetDate(Clock::today().addDays(10));
    datvx->SetDate(BegPeriod(datis->Date()));
    Edit2->setText(LogoAppForm->OrganisationName());
    KliId = LogoAppForm->SvoyKlientId;
    PokId = 0;
    Edit1->clear();
    BitBtn1Click();
    SpRasx->Last();
}

void TSpRasx::FormClose() {
    LogoAppForm->Table2->SetIndexFieldNames(QString());
    LogoAppForm->Table2->Close();
    SpRasx->Close();
    PosRasx->Close();
}

// ---- The filter ---------------------------------------------------------------------------

QString TSpRasx::numberOrder() const {
    if (VidDoc == 1) return QStringLiteral("order by Numb_Schet");
    if (VidDoc == 3) return QStringLiteral("order by Numb_TTN");
    return QStringLiteral("order by Numb_Fakt");
}

void TSpRasx::BitBtn1Click() {
    SpRasx->Close();
    SpRasx->SQL()[OrderLine] = numberOrder();
    SpRasx->ParamByName(QStringLiteral("datv"))->SetAsDate(datvx->Date());
    SpRasx->ParamByName(QStringLiteral("dati"))->SetAsDate(datis->Date());
    SpRasx->ParamByName(QStringLiteral("SV"))->SetAsString(SvFlag);
    SpRasx->ParamByName(QStringLiteral("NAME"))->SetAsString(NameFilterPattern(Edit1->text()));
    SpRasx->ParamByName(QStringLiteral("kli"))->SetAsFloat(KliId);
    SpRasx->ParamByName(QStringLiteral("dog"))->SetAsFloat(0);
    SpRasx->Open();
    DBGrid1->setFocus();
}

void TSpRasx::SpeedButton1Click() {
    SlPoluch->SetCaption(QStringLiteral("Поставщик"));
    SlPoluch->KlientGroup = QStringLiteral("T");
    ShowModal(SlPoluch);
    if (!SlPoluch->OkPressed) return;
    Edit2->setText(SlPoluch->KlientFullName->AsString());
    KliId = SlPoluch->KlientKlient_id->AsFloat();
    BitBtn1Click();
}

void TSpRasx::SpeedButton2Click() {
    SlPoluch->SetCaption(QStringLiteral("Покупатель"));
    SlPoluch->KlientGroup = QStringLiteral("F");
    ShowModal(SlPoluch);
    if (!SlPoluch->OkPressed) return;
    PokId = SlPoluch->KlientKlient_id->AsFloat();
    Edit1->setText(SlPoluch->KlientFullName->AsString());
    BitBtn1Click();
}

void TSpRasx::DBGrid1TitleClick(int column) {
    if (column < 0 || column > 3) return;
    QString order;
    switch (column) {
    case 0:
        order = numberOrder();
        break;
    case 1:
        order = VidDoc == 1   ? QStringLiteral("order by Date_Schet")
                : VidDoc == 3 ? QStringLiteral("order by Date_TTN")
                              : QStringLiteral("order by Date_Fakt");
        break;
    case 2:
        order = QStringLiteral("order by Name_Pokupat");
        break;
    default:
        order = QStringLiteral("order by Itogo"); // the total with VAT, not the column's own
        break;
    }
    SortByColumn(DBGrid1, column, 4, SpRasx, OrderLine, order);
}

// ---- Commands of the list -------------------------------------------------------------------

void TSpRasx::DBGrid1KeyDown(int &Key) {
    switch (Key) {
    case Qt::Key_F3:
        SpeedButton6Click();
        break;
    case Qt::Key_F4:
        SpeedButton3Click();
        break;
    case Qt::Key_F6:
        SpeedButton4Click();
        break;
    case Qt::Key_F8:
        SpeedButton5Click();
        break;
    case Qt::Key_F10:
        SpeedButton7Click();
        return;
    default:
        return;
    }
    Key = 0;
}

double TSpRasx::NextInvoiceNumber(const QString &sv, double kli, int year) {
    MaxFakt->Close();
    MaxFakt->ParamByName(QStringLiteral("dvx"))->SetAsDate(QDate(year, 1, 1));
    MaxFakt->ParamByName(QStringLiteral("dis"))->SetAsDate(QDate(year, 12, 31));
    MaxFakt->ParamByName(QStringLiteral("sv"))->SetAsString(sv);
    MaxFakt->ParamByName(QStringLiteral("kli"))->SetAsFloat(kli);
    MaxFakt->Open();
    const double number = MaxFakt->FieldByName(QStringLiteral("maxnumb"))->AsFloat() + 1;
    MaxFakt->Close();
    return number;
}

double TSpRasx::NewDocument() {
    const QDate today = Clock::today();
    const double number = VidDoc == 2 ? NextInvoiceNumber(SvFlag, KliId, today.year()) : 0;
    SetKlientGroup(QStringLiteral("T"));
    const bool ownFound = KliId != 0 && SlPoluch->Klient->Locate(QStringLiteral("Klient_id"), KliId);
    SpRasx->Append();
    const auto field = [this](const char *name) { return SpRasx->FieldByName(QString::fromLatin1(name)); };
    if (VidDoc == 2) {
        field("NUMB_FAKT")->SetAsFloat(number);
        field("DATE_FAKT")->SetAsDate(today);
    } else if (VidDoc == 1) {
        field("DATE_SCHET")->SetAsDate(today);
    } else if (VidDoc == 3) {
        field("DATE_TTN")->SetAsDate(today);
    }
    field("FL_SVOY")->SetAsString(SvFlag);
    // The own organisation's key is the register's, so the saved document is listed
    // here; an organisation gone from the reference books leaves its block empty
    // rather than taking another organisation's requisites.
    field("ID_POST")->SetAsFloat(KliId);
    if (ownFound) TakeParty(SpRasx, TPartyBlock::Own);
    if (PokId != 0) {
        SetKlientGroup(QStringLiteral("F"));
        if (SlPoluch->Klient->Locate(QStringLiteral("Klient_id"), PokId))
            TakeParty(SpRasx, TPartyBlock::Counterparty);
    }
    // The editor works on exactly this header, whatever the filter would list.
    const double key = StoreNewRow(SpRasx, QStringLiteral("FAKTUR_ZAG_ID"),
                                   QStringLiteral("Новый документ записан, но не найден в списке"));
    // A new document starts with changes, so leaving it asks whether to save it.
    SpRasx->Edit();
    field("NUMB_SCHET")->Clear();
    if (PokId == 0) field("NAME_POKUPAT")->Clear();
    return key;
}

bool TSpRasx::Lists(double key) {
    QStringList text = SpRasx->SQL().mid(0, OrderLine);
    text << QStringLiteral("and FAKTUR_ZAG_ID = :ListedKey");
    TQuery check;
    check.SetSQL(text);
    TParams &params = SpRasx->Params();
    for (int i = 0; i < params.Count(); ++i) {
        TParam *p = check.ParamByName(params[i]->Name());
        p->SetDataType(params[i]->DataType());
        p->SetValue(params[i]->Value());
    }
    check.ParamByName(QStringLiteral("ListedKey"))->SetAsFloat(key);
    check.Open();
    return !check.IsEmpty();
}

void TSpRasx::showEditor(bool isNew) {
    SchFak->IsNewDoc = isNew;
    SchFak->VidDoc = VidDoc;
    SchFak->SvFlag = SvFlag;
    SchFak->KliId = KliId;
    SchFak->NumberDate = datis->Date();
    SchFak->SetCaption(Caption());
    ShowModal(SchFak);
}

void TSpRasx::SpeedButton3Click() {
    if (SpRasx->Active() && !SpRasx->IsEmpty()) {
        const double own = SpRasx->FieldByName(QStringLiteral("ID_POST"))->AsFloat();
        SelectClientBanks(own);
        if (own != 0) showEditor(false);
    }
    DBGrid1->setFocus();
}

// A new document of the register's own organisation; without one nothing is stored.
void TSpRasx::SpeedButton4Click() {
    if (OwnOrganisationChosen(KliId)) {
        NewDocument();
        showEditor(true);
    }
    DBGrid1->setFocus();
}

// The question names the document by the kind and number the register lists it under:
// a bill by its bill number, a waybill by its waybill number, an invoice by its invoice
// number.
QString TSpRasx::deleteQuestion() const {
    const auto number = [this](const char *field) {
        return SpRasx->FieldByName(QString::fromLatin1(field))->AsString().trimmed();
    };
    if (VidDoc == 1) return QStringLiteral("Удалить счет № ") + number("NUMB_SCHET") + QStringLiteral(" ?");
    if (VidDoc == 3)
        return QStringLiteral("Удалить накладную № ") + number("NUMB_TTN") + QStringLiteral(" ?");
    return QStringLiteral("Удалить счет-фактуры № ") +
           fmt::FloatToStr(SpRasx->FieldByName(QStringLiteral("NUMB_FAKT"))->AsFloat()) +
           QStringLiteral(" ?");
}

void TSpRasx::SpeedButton5Click() {
    if (SpRasx->Active() && !SpRasx->IsEmpty()) {
        if (MessageDlg(deleteQuestion(), mtWarning, mbYesNo) == mrYes) {
            SpRasx->Delete();
            ApplyCachedUpdates(SpRasx);
        }
    }
    DBGrid1->setFocus();
}

void TSpRasx::SpeedButton6Click() {
    if (SpRasx->Active() && !SpRasx->IsEmpty()) ShowModal(OplataF);
    DBGrid1->setFocus();
}

void TSpRasx::SpeedButton7Click() {
    Close();
}

// ---- The line arithmetic ----------------------------------------------------------------------
// A handler runs before the value is stored: the field being set reads its new value,
// every other field its current one, and a value a handler assigns runs that field's
// handler at once and is stored before this one goes on (the dataset's checks nest so).

// A value refused on the way (an amount beyond twelve rouble digits) leaves the line as
// it was: what the handler, and the handlers its assignments ran, had already set goes
// back before the error reaches the user, and the value being set is not stored.
void TSpRasx::lineArithmetic(TField *Sender, void (TSpRasx::*handler)(TField *)) {
    if (m_restoringLine) return;
    if (m_inArithmetic) {
        (this->*handler)(Sender);
        return;
    }
    std::vector<std::pair<TField *, QVariant>> before;
    for (const char *name : {"KOL_VO", "CENA_TOV", "Summa", "SummaNds", "Itogo"})
        if (TField *f = PosRasx->FieldByName(QString::fromLatin1(name)); f != Sender)
            before.emplace_back(f, f->Value());
    const QScopedValueRollback<bool> running(m_inArithmetic, true);
    try {
        (this->*handler)(Sender);
    } catch (...) {
        const QScopedValueRollback<bool> restoring(m_restoringLine, true);
        for (const auto &[field, value] : before)
            if (field->Value() != value) field->SetValue(value);
        throw;
    }
}

void TSpRasx::PosRasxAfterInsert(TDataSet *DataSet) {
    DataSet->FieldByName(QStringLiteral("PROC_NDS"))->SetAsFloat(defaultVatPercent());
    DataSet->FieldByName(QStringLiteral("ZAG_ID"))
        ->SetAsFloat(SpRasx->Active() ? SpRasx->FieldByName(QStringLiteral("FAKTUR_ZAG_ID"))->AsFloat() : 0);
    DataSet->FieldByName(QStringLiteral("Strana"))->SetAsString(QStringLiteral("Россия"));
    if (SchFak) SchFak->SelectFirstLineColumn();
}

// A quantity or price set: only the amounts still 0 are filled.
void TSpRasx::PosRasxKOL_VOValidate(TField *) {
    PosRasx->Edit();
    TField *kolVo = PosRasx->FieldByName(QStringLiteral("KOL_VO"));
    TField *cena = PosRasx->FieldByName(QStringLiteral("CENA_TOV"));
    TField *summa = PosRasx->FieldByName(QStringLiteral("Summa"));
    TField *nds = PosRasx->FieldByName(QStringLiteral("SummaNds"));
    TField *itogo = PosRasx->FieldByName(QStringLiteral("Itogo"));
    const double percent = PosRasx->FieldByName(QStringLiteral("PROC_NDS"))->AsFloat();
    if (summa->AsFloat() == 0 && kolVo->AsFloat() != 0 && cena->AsFloat() != 0)
        summa->SetAsFloat(stored(R((long double)kolVo->AsFloat() * cena->AsFloat())));
    if (nds->AsFloat() == 0 && summa->AsFloat() != 0)
        nds->SetAsFloat(stored(R((long double)summa->AsFloat() * percent / 100)));
    if (itogo->AsFloat() == 0 && summa->AsFloat() != 0)
        itogo->SetAsFloat(stored(R((long double)summa->AsFloat() + nds->AsFloat())));
}

// A VAT percent set: the line is computed again from its quantity and price.
void TSpRasx::PosRasxPROC_NDSValidate(TField *Sender) {
    PosRasx->Edit();
    TField *kolVo = PosRasx->FieldByName(QStringLiteral("KOL_VO"));
    TField *cena = PosRasx->FieldByName(QStringLiteral("CENA_TOV"));
    TField *summa = PosRasx->FieldByName(QStringLiteral("Summa"));
    TField *nds = PosRasx->FieldByName(QStringLiteral("SummaNds"));
    const double percent = Sender->AsFloat();
    if (kolVo->AsFloat() != 0 && cena->AsFloat() != 0)
        summa->SetAsFloat(stored(R((long double)kolVo->AsFloat() * cena->AsFloat())));
    if (summa->AsFloat() != 0) nds->SetAsFloat(stored(R((long double)summa->AsFloat() * percent / 100)));
    if (summa->AsFloat() != 0)
        PosRasx->FieldByName(QStringLiteral("Itogo"))
            ->SetAsFloat(stored(R((long double)summa->AsFloat() + nds->AsFloat())));
}

// An amount set on a line with a quantity and no price: the price from it.
void TSpRasx::PosRasxSummaValidate(TField *Sender) {
    PosRasx->Edit();
    TField *kolVo = PosRasx->FieldByName(QStringLiteral("KOL_VO"));
    TField *cena = PosRasx->FieldByName(QStringLiteral("CENA_TOV"));
    if (cena->AsFloat() == 0 && kolVo->AsFloat() != 0 && Sender->AsFloat() != 0)
        cena->SetAsFloat(stored(R((long double)Sender->AsFloat() / kolVo->AsFloat())));
}

// A total with VAT set: quantity 1 and the price worked back from it when the line has
// no price (stored unrounded), then a warning when that price, rounded to kopecks,
// does not give the total again; the warning names that price as money, to the kopeck.
// A VAT percent of -100 leaves no price to work back.
void TSpRasx::PosRasxItogoValidate(TField *Sender) {
    PosRasx->Edit();
    TField *kolVo = PosRasx->FieldByName(QStringLiteral("KOL_VO"));
    TField *cena = PosRasx->FieldByName(QStringLiteral("CENA_TOV"));
    const double percent = PosRasx->FieldByName(QStringLiteral("PROC_NDS"))->AsFloat();
    const double itogo = Sender->AsFloat();
    if (cena->AsFloat() == 0 && kolVo->AsFloat() == 0 && itogo != 0) kolVo->SetAsFloat(1);
    const long double divisor = 1 + (long double)percent / 100;
    if (cena->AsFloat() == 0 && kolVo->AsFloat() != 0 && itogo != 0 && divisor != 0)
        cena->SetAsFloat(stored(double((long double)itogo / divisor / kolVo->AsFloat())));
    const double price = R(cena->AsFloat());
    const double amount = R((long double)kolVo->AsFloat() * price);
    const long double total = (long double)amount + R((long double)percent * amount / 100);
    const QString mask = QStringLiteral("0.00");
    if (fmt::FormatFloat(mask, itogo) != fmt::FormatFloat(mask, double(total)))
        MessageDlg(QStringLiteral("Цена товара получилась ") + fmt::MoneyToStr(cena->AsFloat()) +
                       QStringLiteral(". Проверьте получившиеся результаты."),
                   mtWarning, mbOK);
}

void TSpRasx::PosRasxCalcFields(TDataSet *DataSet) {
    const double kolVo = DataSet->FieldByName(QStringLiteral("KOL_VO"))->AsFloat();
    if (kolVo == 0) return;
    const double itogo = DataSet->FieldByName(QStringLiteral("Itogo"))->AsFloat();
    DataSet->FieldByName(QStringLiteral("CenaSNDS"))->SetAsFloat(R((long double)itogo / kolVo));
    DataSet->FieldByName(QStringLiteral("ItogSumma"))->SetAsFloat(R((long double)itogo * 0.05L + itogo));
}
