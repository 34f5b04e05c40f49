#include "payorders/USpPlat.h"

#include "app/LogoMain.h"
#include "app/StrUtils.h"
#include "controls/CurrEdit.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "db/Clock.h"
#include "db/Formats.h"
#include "payorders/UPlatPor.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

TSpPlat *SpPlat = nullptr;

namespace {

// ---- The orders' table, its query and update statements --------------------------

struct FieldSpec {
    const char *name;
    TFieldType type;
    int size;
};

// PlatPor.DB in physical field order; the key first, never written.
const FieldSpec PlatFields[] = {
    {"PlatPor_id", TFieldType::ftAutoInc, 0}, {"NUMBER", TFieldType::ftFloat, 0},
    {"DATE_PLAT", TFieldType::ftDate, 0},     {"TYPE_PAY", TFieldType::ftString, 20},
    {"Id_Pol", TFieldType::ftFloat, 0},       {"P_NAME", TFieldType::ftString, 150},
    {"P_Inn", TFieldType::ftString, 15},      {"P_ACCOUNT", TFieldType::ftString, 25},
    {"P_BANK", TFieldType::ftString, 100},    {"P_BANK_BIK", TFieldType::ftString, 20},
    {"P_BANK_ACC", TFieldType::ftString, 20}, {"Id_Post", TFieldType::ftFloat, 0},
    {"R_NAME", TFieldType::ftString, 150},    {"R_Inn", TFieldType::ftString, 15},
    {"R_ACCOUNT", TFieldType::ftString, 25},  {"R_BANK", TFieldType::ftString, 100},
    {"R_BANK_BIK", TFieldType::ftString, 20}, {"R_BANK_ACC", TFieldType::ftString, 20},
    {"SUMMA", TFieldType::ftCurrency, 0},     {"VID_PAY", TFieldType::ftString, 20},
    {"NAZ_PAY", TFieldType::ftString, 20},    {"CODE", TFieldType::ftString, 7},
    {"OcherPlat", TFieldType::ftString, 10},  {"ResPole", TFieldType::ftString, 10},
    {"REMARK", TFieldType::ftString, 250},    {"Dogovor_id", TFieldType::ftFloat, 0},
    {"SrokPlat", TFieldType::ftDate, 0},      {"FlYes", TFieldType::ftBoolean, 0},
    {"NumbChP", TFieldType::ftString, 10},    {"ShyfrPl", TFieldType::ftString, 10},
    {"NumbPlD", TFieldType::ftString, 10},    {"DatPlD", TFieldType::ftDate, 0},
    {"DopNumb", TFieldType::ftString, 5},
};

// The line numbers matter: the filter sets the parameters, a title click replaces the
// last line.
const QStringList PlatSQL = {
    QStringLiteral("select * from PLATPOR"),  QStringLiteral("where DATE_PLAT >= :Datv"),
    QStringLiteral("and DATE_PLAT <= :DatI"), QStringLiteral("and Id_Post = :Kli"),
    QStringLiteral("and R_NAME like :rnam"),  QStringLiteral("and (Dogovor_id = :dog or :dog = 0)"),
    QStringLiteral("and Summa >= :SumMn"),    QStringLiteral("and Summa <= :SumMx"),
    QStringLiteral("order by NUMBER"),
};
constexpr int OrderLine = 8;

// The order clause of each sortable column, in grid order.
const QStringList OrderClauses = {
    QStringLiteral("order by NUMBER"), QStringLiteral("order by Date_plat"),
    QStringLiteral("order by R_Name"), QStringLiteral("order by R_Bank"),
    QStringLiteral("order by Summa"),
};

const QString MaxNumbSQL = QStringLiteral("select max(number) number from PlatPor where Date_plat >= :datv "
                                          "and Date_plat <= :Dati and Id_Post = :Kli");

// The written fields: every field but the key, in physical order.
QStringList writtenFields() {
    QStringList names;
    for (const FieldSpec &f : PlatFields)
        if (f.type != TFieldType::ftAutoInc) names << QString::fromLatin1(f.name);
    return names;
}

QStringList modifySQL() {
    QStringList sql{QStringLiteral("update PLATPOR"), QStringLiteral("set")};
    const QStringList fields = writtenFields();
    for (int i = 0; i < fields.size(); ++i)
        sql << QStringLiteral("  %1 = :%1%2")
                   .arg(fields[i], i + 1 < fields.size() ? QStringLiteral(",") : QString());
    sql << QStringLiteral("where") << QStringLiteral("  PlatPor_id = :OLD_PlatPor_id");
    return sql;
}

QStringList insertSQL() {
    const QStringList fields = writtenFields();
    return {QStringLiteral("insert into PLATPOR"),
            QStringLiteral("  (") + fields.join(QStringLiteral(", ")) + ')', QStringLiteral("values"),
            QStringLiteral("  (:") + fields.join(QStringLiteral(", :")) + ')'};
}

const QStringList DeleteSQL = {QStringLiteral("delete from PLATPOR"), QStringLiteral("where"),
                               QStringLiteral("  PlatPor_id = :OLD_PlatPor_id")};

// What Klient and Bank rows hand over to an order's payer or recipient block.
QString klient(const char *field) {
    return SlPoluch->Klient->FieldByName(QString::fromLatin1(field))->AsString();
}
QString account(const char *field) {
    return SlBankP->RekvPol->FieldByName(QString::fromLatin1(field))->AsString();
}

} // namespace

TSpPlat::TSpPlat(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("SpPlat"));
    SetCaption(QStringLiteral("Платежные поручения"));
    SetHelpContext(2);

    // ---- Datasets ---------------------------------------------------------------
    Plat = new TQuery(this);
    Plat->setObjectName(QStringLiteral("Plat"));
    Plat->SetSQL(PlatSQL);
    Plat->ParamByName(QStringLiteral("Datv"))->SetDataType(TFieldType::ftDate);
    Plat->ParamByName(QStringLiteral("DatI"))->SetDataType(TFieldType::ftDate);
    Plat->ParamByName(QStringLiteral("Kli"))->SetDataType(TFieldType::ftFloat);
    Plat->ParamByName(QStringLiteral("rnam"))->SetDataType(TFieldType::ftString);
    Plat->ParamByName(QStringLiteral("dog"))->SetDataType(TFieldType::ftFloat);
    Plat->ParamByName(QStringLiteral("SumMn"))->SetDataType(TFieldType::ftFloat);
    Plat->ParamByName(QStringLiteral("SumMx"))->SetDataType(TFieldType::ftFloat);
    for (const FieldSpec &f : PlatFields)
        Plat->AddField(QString::fromLatin1(f.name), f.type, f.size);
    Plat->AddCalcField(QStringLiteral("PBank"), TFieldType::ftString, 50);
    Plat->AddCalcField(QStringLiteral("RBank"), TFieldType::ftString, 50);
    Plat->AddCalcField(QStringLiteral("Poluch"), TFieldType::ftString, 20);
    Plat->AddCalcField(QStringLiteral("NumbPl"), TFieldType::ftString, 20);
    Plat->AddCalcField(QStringLiteral("FlSost"), TFieldType::ftString, 20);
    Plat->OnCalcFields = [this](TDataSet *ds) { PlatCalcFields(ds); };
    PlatNUMBER = Plat->FieldByName(QStringLiteral("NUMBER"));
    PlatDATE_PLAT = Plat->FieldByName(QStringLiteral("DATE_PLAT"));
    PlatDATE_PLAT->EditMask = QStringLiteral("!99/99/0000;1;_");
    PlatSUMMA = Plat->FieldByName(QStringLiteral("SUMMA"));
    PlatSUMMA->DisplayFormat = QStringLiteral(",0.00");
    PlatR_NAME = Plat->FieldByName(QStringLiteral("R_NAME"));
    PlatDopNumb = Plat->FieldByName(QStringLiteral("DopNumb"));
    Plat->FieldByName(QStringLiteral("DatPlD"))->EditMask = QStringLiteral("!90/90/0000;1;_");
    Plat->FieldByName(QStringLiteral("SrokPlat"))->EditMask = QStringLiteral("!99/99/0000;1;_");

    UpdateSQL1 = new TUpdateSQL(this);
    UpdateSQL1->ModifySQL = modifySQL();
    UpdateSQL1->InsertSQL = insertSQL();
    UpdateSQL1->DeleteSQL = DeleteSQL;
    Plat->CachedUpdates = true;
    Plat->UpdateObject = UpdateSQL1;
    DataSource1 = new TDataSource(this, Plat);

    MaxNumb = new TQuery(this);
    MaxNumb->SetSQLText(MaxNumbSQL);
    MaxNumb->ParamByName(QStringLiteral("datv"))->SetDataType(TFieldType::ftDate);
    MaxNumb->ParamByName(QStringLiteral("Dati"))->SetDataType(TFieldType::ftDate);
    MaxNumb->ParamByName(QStringLiteral("Kli"))->SetDataType(TFieldType::ftFloat);

    // ---- Layout -----------------------------------------------------------------
    auto *top = new QGridLayout;
    DatV = new TDateTimePicker(this);
    DatI = new TDateTimePicker(this);
    const int fullName = TextSizeOf(QStringLiteral("Klient"), QStringLiteral("FullName"));
    Edit1 = new TWrapEdit(this, fullName);
    Edit1->setReadOnly(true);
    SpeedButton1 = DictionaryButton(this);
    Edit2 = new TWrapEdit(this, fullName);
    SpeedButton9 = DictionaryButton(this);
    SumMn = new TCurrencyEdit(this);
    SumMx = new TCurrencyEdit(this);
    SpeedButton2 = new QPushButton(QStringLiteral("Выбрать"), this);
    top->addWidget(new QLabel(QStringLiteral("с"), this), 0, 0);
    top->addWidget(DatV, 0, 1);
    top->addWidget(new QLabel(QStringLiteral("по"), this), 0, 2);
    top->addWidget(DatI, 0, 3);
    top->addWidget(new QLabel(QStringLiteral("Плательщик"), this), 0, 4);
    top->addWidget(Edit1, 0, 5);
    top->addWidget(SpeedButton1, 0, 6);
    top->addWidget(SumMn, 1, 1);
    top->addWidget(new QLabel(QStringLiteral(">= Сумма >="), this), 1, 2);
    top->addWidget(SumMx, 1, 3);
    top->addWidget(new QLabel(QStringLiteral("Получатель"), this), 1, 4);
    top->addWidget(Edit2, 1, 5);
    top->addWidget(SpeedButton9, 1, 6);
    top->addWidget(SpeedButton2, 0, 7, 2, 1);
    top->setColumnStretch(5, 1);

    SortGrid1 = new TDBGrid(this, DataSource1);
    SortGrid1->SetReadOnly(true);
    SortGrid1->AddColumn(QStringLiteral("NumbPl"), QStringLiteral("№"), 50);
    SortGrid1->AddColumn(QStringLiteral("DATE_PLAT"), QStringLiteral("Дата платежа"), 85);
    SortGrid1->AddColumn(QStringLiteral("R_NAME"), QStringLiteral("Получатель"), 200);
    SortGrid1->AddColumn(QStringLiteral("RBank"), QStringLiteral("Банк"), 160);
    SortGrid1->AddColumn(QStringLiteral("SUMMA"), QStringLiteral("Сумма"));
    SortGrid1->AddColumn(QStringLiteral("PBank"), QStringLiteral("Банк плательщика"), 160);
    SortGrid1->AddColumn(QStringLiteral("REMARK"), QStringLiteral("Примечание"), 200);
    SortGrid1->AddColumn(QStringLiteral("FlSost"), QStringLiteral("Через банк"), 70);

    auto *bar = new QToolBar(this);
    SpeedButton3 = AddToolBarButton(bar, QStringLiteral("F4 - Редактировать"));
    SpeedButton7 = AddToolBarButton(bar, QStringLiteral("F5 - Печать"));
    SpeedButton4 = AddToolBarButton(bar, QStringLiteral("F6 - Добавить"));
    SpeedButton8 = AddToolBarButton(bar, QStringLiteral("F7 - Копировать"));
    SpeedButton5 = AddToolBarButton(bar, QStringLiteral("F8 - Удалить"));
    SpeedButton6 = AddToolBarButton(bar, QStringLiteral("F10 - Выход"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(SortGrid1, 1);
    layout->addWidget(bar);
    // Every column in view, and the list as high as before the names wrapped.
    resize(qMax(1100, sizeHint().width()), 620);

    buildReport();

    // ---- Handlers ---------------------------------------------------------------
    Connect(DatV, &TDateTimePicker::closeUp, [this] { SpeedButton2Click(); });
    Connect(DatI, &TDateTimePicker::closeUp, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton9, [this] { SpeedButton9Click(); });
    OnClick(SpeedButton3, [this] { SpeedButton3Click(); });
    OnClick(SpeedButton7, [this] { SpeedButton7Click(); });
    OnClick(SpeedButton4, [this] { SpeedButton4Click(); });
    OnClick(SpeedButton8, [this] { SpeedButton8Click(); });
    OnClick(SpeedButton5, [this] { SpeedButton5Click(); });
    OnClick(SpeedButton6, [this] { SpeedButton6Click(); });
    Connect(SortGrid1, &TDBGrid::titleClick, [this](int column) { SortGrid1TitleClick(column); });
    Connect(SortGrid1, &TDBGrid::dblClick, [this] { SpeedButton3Click(); });
    OnKeyDown(SortGrid1, [this](int &Key, Qt::KeyboardModifiers) { SortGrid1KeyDown(Key); });
}

TSpPlat::~TSpPlat() {
    if (SpPlat == this) SpPlat = nullptr;
}

// The list of the rows in the grid: A4 portrait, 10 mm margins, a frame round the page.
void TSpPlat::buildReport() {
    const QString &money = fmt::MoneyMask;
    Report1.DataSet = Plat;
    Report1.Options.PrintIfEmpty = false;
    Report1.Font = TRepFont{QStringLiteral("Arial"), 10};
    Report1.Frame = TRepFrame::All();

    auto *title = Report1.AddBand(rbTitle, 12);
    auto *caption = title->AddLabel(QStringLiteral("Платежные поручения"), 0, 2, 190, 8);
    caption->Font.Size = 14;
    caption->Alignment = taCenter;

    auto *header = Report1.AddBand(rbColumnHeader, 6);
    header->Frame = TRepFrame::All();
    const struct {
        const char *caption;
        double left, width;
    } columns[] = {{"№", 0, 18},
                   {"Дата", 18, 22},
                   {"Получатель", 40, 60},
                   {"Банк получателя", 100, 55},
                   {"Сумма", 155, 35}};
    for (const auto &c : columns)
        header->AddLabel(QString::fromUtf8(c.caption), c.left, 0.5, c.width, 5)->Alignment = taCenter;

    auto *detail = Report1.AddBand(rbDetail, 5);
    auto *RepDBText1 = detail->AddDBText(Plat, QStringLiteral("NUMBER"), 0, 0, 17, 5);
    RepDBText1->Alignment = taRightJustify;
    RepDBText1->OnPrint = [this](TRepText *sender, QString &text) { RepDBText1Print(sender, text); };
    detail->AddDBText(Plat, QStringLiteral("date_plat"), 18, 0, 22, 5)->Alignment = taCenter;
    detail->AddDBText(Plat, QStringLiteral("R_NAME"), 41, 0, 59, 5);
    detail->AddDBText(Plat, QStringLiteral("RBank"), 101, 0, 54, 5);
    auto *summa = detail->AddDBText(Plat, QStringLiteral("SUMMA"), 155, 0, 34, 5);
    summa->Mask = money;
    summa->Alignment = taRightJustify;

    auto *total = Report1.AddBand(rbSummary, 6)->AddExpr(QStringLiteral("SUM(Plat.SUMMA)"), 155, 1, 34, 5);
    total->Mask = money;
    total->Alignment = taRightJustify;
}

// ---- Calculated fields and the report's hook --------------------------------------

void TSpPlat::PlatCalcFields(TDataSet *DataSet) {
    const auto firstLine = [DataSet](const char *field) {
        return DataSet->FieldByName(QString::fromLatin1(field))->AsString().section(QLatin1Char('\r'), 0, 0);
    };
    DataSet->FieldByName(QStringLiteral("PBank"))->SetAsString(firstLine("P_BANK"));
    DataSet->FieldByName(QStringLiteral("RBank"))->SetAsString(firstLine("R_BANK"));
    DataSet->FieldByName(QStringLiteral("Poluch"))->SetAsString(firstLine("R_NAME"));
    QString number = fmt::FloatToStr(DataSet->FieldByName(QStringLiteral("NUMBER"))->AsFloat());
    const QString dop = DataSet->FieldByName(QStringLiteral("DopNumb"))->AsString();
    if (!dop.isEmpty()) number += QLatin1Char('/') + dop;
    DataSet->FieldByName(QStringLiteral("NumbPl"))->SetAsString(number);
    DataSet->FieldByName(QStringLiteral("FlSost"))
        ->SetAsString(DataSet->FieldByName(QStringLiteral("FlYes"))->AsBoolean()
                          ? QStringLiteral("Прошло")
                          : QStringLiteral("Непрошло"));
}

void TSpPlat::RepDBText1Print(TRepText *, QString &Value) {
    if (!PlatDopNumb->AsString().isEmpty()) Value += QLatin1Char('/') + PlatDopNumb->AsString();
}

// ---- Showing and closing ------------------------------------------------------------

void TSpPlat::FormShow() {
    LogoAppForm->Table2->SetIndexFieldNames(QStringLiteral("Dogovor_id"));
    LogoAppForm->Table2->Open();
    DatI->SetDate(Clock::today().addDays(10));
    DatV->SetDate(BegPeriod(DatI->Date()));
    Edit1->setText(LogoAppForm->OrganisationName());
    KliId = LogoAppForm->SvoyKlientId;
    Edit2->clear();
    RecipId = 0;
    SpeedButton2Click();
    Plat->Last();
}

void TSpPlat::FormClose() {
    LogoAppForm->Table2->SetIndexFieldNames(QString());
    LogoAppForm->Table2->Close();
    Plat->Close();
}

// ---- The filter -----------------------------------------------------------------------

void TSpPlat::SpeedButton2Click() {
    Plat->Close();
    Plat->ParamByName(QStringLiteral("Datv"))->SetAsDate(DatV->Date());
    Plat->ParamByName(QStringLiteral("DatI"))->SetAsDate(DatI->Date());
    Plat->ParamByName(QStringLiteral("Kli"))->SetAsFloat(KliId);
    Plat->ParamByName(QStringLiteral("rnam"))->SetAsString(NameFilterPattern(Edit2->text()));
    Plat->ParamByName(QStringLiteral("dog"))->SetAsFloat(0);
    Plat->ParamByName(QStringLiteral("SumMn"))->SetAsFloat(SumMn->Value());
    // An empty maximum is no bound: every amount the program can hold is listed.
    const double upTo = SumMx->Value();
    Plat->ParamByName(QStringLiteral("SumMx"))
        ->SetAsFloat(upTo == 0 ? std::numeric_limits<double>::max() : upTo);
    Plat->Open();
    SortGrid1->setFocus();
}

void TSpPlat::SpeedButton1Click() {
    SlPoluch->SetCaption(QStringLiteral("Плательщики"));
    SlPoluch->KlientGroup = QStringLiteral("T");
    ShowModal(SlPoluch);
    if (!SlPoluch->OkPressed) return;
    Edit1->setText(SlPoluch->KlientFullName->AsString());
    KliId = SlPoluch->KlientKlient_id->AsFloat();
    SpeedButton2Click();
}

void TSpPlat::SpeedButton9Click() {
    SlPoluch->SetCaption(QStringLiteral("Получатели"));
    SlPoluch->KlientGroup = QStringLiteral("F");
    ShowModal(SlPoluch);
    if (!SlPoluch->OkPressed) return;
    Edit2->setText(SlPoluch->KlientFullName->AsString());
    RecipId = SlPoluch->KlientKlient_id->AsFloat();
    SpeedButton2Click();
}

void TSpPlat::SortGrid1TitleClick(int column) {
    if (column < 0 || column >= OrderClauses.size()) return;
    SortByColumn(SortGrid1, column, int(OrderClauses.size()), Plat, OrderLine, OrderClauses[column]);
}

// ---- Commands of the list -------------------------------------------------------------

void TSpPlat::SortGrid1KeyDown(int &Key) {
    switch (Key) {
    case Qt::Key_F4:
        SpeedButton3Click();
        break;
    case Qt::Key_F5:
        SpeedButton7Click();
        break;
    case Qt::Key_F6:
        SpeedButton4Click();
        break;
    case Qt::Key_F7:
        SpeedButton8Click();
        break;
    case Qt::Key_F8:
        SpeedButton5Click();
        break;
    case Qt::Key_F10:
        SpeedButton6Click();
        return;
    default:
        return;
    }
    Key = 0;
}

double TSpPlat::NextNumber(const QDate &date, double payer) {
    MaxNumb->Close();
    MaxNumb->ParamByName(QStringLiteral("datv"))->SetAsDate(QDate(date.year(), 1, 1));
    MaxNumb->ParamByName(QStringLiteral("Dati"))->SetAsDate(QDate(date.year(), 12, 31));
    MaxNumb->ParamByName(QStringLiteral("Kli"))->SetAsFloat(payer);
    MaxNumb->Open();
    return MaxNumb->FieldByName(QStringLiteral("number"))->AsFloat() + 1;
}

void TSpPlat::showEditor() {
    ShowModal(PlatPor);
}

// F4, F7: an empty register has no order to open or copy; an editor shown on no row
// would store an order that no register lists.
void TSpPlat::SpeedButton3Click() {
    if (Plat->IsEmpty()) return;
    showEditor();
    SortGrid1->setFocus();
}

void TSpPlat::SpeedButton7Click() {
    Report1.Preview();
    SortGrid1->setFocus();
}

// A new order: the next number, the payer's requisites and last account, the chosen
// recipient's, today's date. A payer or recipient no longer in the reference books
// leaves its block empty rather than taking another organisation's requisites. Without
// a payer among the own organisations nothing is added.
void TSpPlat::SpeedButton4Click() {
    if (!OwnOrganisationChosen(KliId)) {
        SortGrid1->setFocus();
        return;
    }
    const QDate today = Clock::today();
    const double number = NextNumber(today);
    SetKlientGroup(QStringLiteral("T"));
    const bool payerFound = SlPoluch->Klient->Locate(QStringLiteral("Klient_id"), KliId);
    Plat->Append();
    // The payer key stays the register's, so the saved order is listed here.
    Plat->FieldByName(QStringLiteral("Id_Post"))->SetAsFloat(KliId);
    if (payerFound) {
        Plat->FieldByName(QStringLiteral("P_NAME"))->SetAsString(klient("FullName"));
        Plat->FieldByName(QStringLiteral("P_Inn"))->SetAsString(klient("Inn"));
    }
    PlatNUMBER->SetAsFloat(number);
    Plat->FieldByName(QStringLiteral("VID_PAY"))->SetAsString(QStringLiteral("01"));
    Plat->FieldByName(QStringLiteral("Dogovor_id"))->SetAsFloat(0); // no contract
    if (payerFound) {
        SelectClientBanks(SlPoluch->KlientKlient_id->AsFloat());
        SlBankP->RekvPol->Last();
        Plat->FieldByName(QStringLiteral("P_ACCOUNT"))->SetAsString(account("Schet"));
        Plat->FieldByName(QStringLiteral("P_BANK"))->SetAsString(account("NameBank"));
        Plat->FieldByName(QStringLiteral("P_BANK_ACC"))->SetAsString(account("KorSchet"));
        Plat->FieldByName(QStringLiteral("P_BANK_BIK"))->SetAsString(account("Bik"));
    }
    if (RecipId != 0) {
        SetKlientGroup(QStringLiteral("F"));
        if (SlPoluch->Klient->Locate(QStringLiteral("Klient_id"), RecipId)) {
            Plat->FieldByName(QStringLiteral("Id_Pol"))->SetAsFloat(RecipId);
            PlatR_NAME->SetAsString(klient("FullName"));
            Plat->FieldByName(QStringLiteral("R_Inn"))->SetAsString(klient("Inn"));
            SelectClientBanks(SlPoluch->KlientKlient_id->AsFloat());
            SlBankP->RekvPol->Last();
            Plat->FieldByName(QStringLiteral("R_ACCOUNT"))->SetAsString(account("Schet"));
            Plat->FieldByName(QStringLiteral("R_BANK"))->SetAsString(account("NameBank"));
            Plat->FieldByName(QStringLiteral("R_BANK_ACC"))->SetAsString(account("KorSchet"));
            Plat->FieldByName(QStringLiteral("R_BANK_BIK"))->SetAsString(account("Bik"));
        }
    }
    PlatDATE_PLAT->SetAsDate(today);
    showEditor();
    Plat->Close();
    Plat->Open();
    Plat->Last();
    SortGrid1->setFocus();
}

// A copy of the current order, amount included, dated at the end of the register's
// period; the contract, priority, bank mark and the fields of form 0401066 start empty.
// An order of no own organisation is not copied.
void TSpPlat::SpeedButton8Click() {
    static const char *const copied[] = {"TYPE_PAY",   "P_NAME",     "P_Inn",      "P_ACCOUNT", "P_BANK",
                                         "P_BANK_ACC", "P_BANK_BIK", "R_NAME",     "R_Inn",     "R_ACCOUNT",
                                         "R_BANK",     "R_BANK_ACC", "R_BANK_BIK", "Id_Post",   "Id_Pol",
                                         "VID_PAY",    "NAZ_PAY",    "CODE",       "REMARK",    "SUMMA"};
    if (Plat->IsEmpty()) return;
    if (!OwnOrganisationChosen(Plat->FieldByName(QStringLiteral("Id_Post"))->AsFloat())) {
        SortGrid1->setFocus();
        return;
    }
    QVariantList values;
    for (const char *name : copied)
        values << Plat->FieldByName(QString::fromLatin1(name))->Value();
    Plat->Append();
    PlatDATE_PLAT->SetAsDate(DatI->Date());
    for (int i = 0; i < values.size(); ++i)
        Plat->FieldByName(QString::fromLatin1(copied[i]))->SetValue(values[i]);
    Plat->FieldByName(QStringLiteral("SrokPlat"))->SetAsDate(DatI->Date());
    Plat->FieldByName(QStringLiteral("Dogovor_id"))->SetAsFloat(0); // the copy belongs to no contract
    PlatNUMBER->SetAsFloat(NextNumber(DatI->Date()));
    showEditor();
    SortGrid1->setFocus();
}

void TSpPlat::SpeedButton5Click() {
    if (Plat->IsEmpty()) return; // nothing to delete
    const QString question = QStringLiteral("Удалить платежный документ № ") +
                             fmt::FloatToStr(PlatNUMBER->AsFloat()) + QStringLiteral(" ?");
    if (MessageDlg(question, mtWarning, mbYesNo) == mrYes) {
        Plat->Delete();
        Plat->ApplyUpdates();
        Plat->CommitUpdates();
    }
    SortGrid1->setFocus();
}

void TSpPlat::SpeedButton6Click() {
    Plat->Close();
    Close();
}
