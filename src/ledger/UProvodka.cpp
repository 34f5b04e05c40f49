#include "ledger/UProvodka.h"

#include "app/LogoMain.h"
#include "app/StrUtils.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "db/Clock.h"
#include "db/Errors.h"
#include "db/Formats.h"
#include "ledger/UPlan.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TProvodka *Provodka = nullptr;

namespace {

const QStringList ProvSQL = {
    QStringLiteral("Select * From Provodka"), QStringLiteral("Where DateProv >= :Datv"),
    QStringLiteral("and DateProv <= :Dati"),  QStringLiteral("and Organis = :org"),
    QStringLiteral("and Debet like :deb"),    QStringLiteral("and Kredit like :kre"),
    QStringLiteral("order by DateProv"),
};

const QStringList ModifySQL = {
    QStringLiteral("update Provodka"),
    QStringLiteral("set"),
    QStringLiteral("DateProv = :DateProv,"),
    QStringLiteral("Debet = :Debet,"),
    QStringLiteral("Kredit = :Kredit,"),
    QStringLiteral("Summa = :Summa,"),
    QStringLiteral("Primech = :Primech,"),
    QStringLiteral("Organis = :Organis"),
    QStringLiteral("where"),
    QStringLiteral("ProvodkaId = :OLD_ProvodkaId"),
};
const QStringList InsertSQL = {
    QStringLiteral("insert into Provodka"),
    QStringLiteral("(DateProv, Debet, Kredit, Summa, Primech, Organis)"),
    QStringLiteral("values"),
    QStringLiteral("(:DateProv, :Debet, :Kredit, :Summa, :Primech, :Organis)"),
};
const QStringList DeleteSQL = {
    QStringLiteral("delete from Provodka"),
    QStringLiteral("where"),
    QStringLiteral("ProvodkaId = :OLD_ProvodkaId"),
};

// The entry being posted belongs to an own organisation and has both accounts (blanks
// count as none): no list of entries could show it again otherwise.
void checkEntry(TDataSet *entries) {
    const auto empty = [entries](const char *field) {
        return entries->FieldByName(QString::fromLatin1(field))->AsString().trimmed().isEmpty();
    };
    if (!OwnOrganisationChosen(entries->FieldByName(QStringLiteral("Organis"))->AsFloat())) throw EAbort();
    const QString missing = empty("Debet")    ? QStringLiteral("Не заполнен счет дебета")
                            : empty("Kredit") ? QStringLiteral("Не заполнен счет кредита")
                                              : QString();
    if (missing.isEmpty()) return;
    MessageDlg(missing, mtError, mbOK);
    throw EAbort();
}

} // namespace

void SetEntryUpdates(TUpdateSQL *update) {
    update->ModifySQL = ModifySQL;
    update->InsertSQL = InsertSQL;
    update->DeleteSQL = DeleteSQL;
}

void SetUpEntryQuery(TQuery *query, const QStringList &sql, const QStringList &accountParams,
                     TUpdateSQL *update) {
    query->SetSQL(sql);
    query->ParamByName(QStringLiteral("Datv"))->SetDataType(TFieldType::ftDate);
    query->ParamByName(QStringLiteral("Dati"))->SetDataType(TFieldType::ftDate);
    query->ParamByName(QStringLiteral("org"))->SetDataType(TFieldType::ftFloat);
    for (const QString &account : accountParams)
        query->ParamByName(account)->SetDataType(TFieldType::ftString);
    AddTableFields(query, "Provodka");
    query->FieldByName(QStringLiteral("DateProv"))->EditMask = QStringLiteral("!99/99/0000;1;_");
    SetEntryUpdates(update);
    query->CachedUpdates = true;
    query->UpdateObject = update;
    query->BeforePost = checkEntry;
}

void StoreEntries(TDBGrid *grid, TDataSet *entries) {
    grid->EndCellEdit(true);
    entries->CheckBrowseMode();
    entries->ApplyUpdates();
    entries->CommitUpdates();
}

bool MayCloseEntries(TDBGrid *grid, TDataSet *entries) {
    if (!entries->Active()) return true;
    grid->EndCellEdit(true);
    entries->UpdateRecord();
    if (!entries->Modified() && !entries->UpdatesPending()) return true;
    bool mayClose = false;
    AskToSave(
        QStringLiteral("Записать изменения?"),
        [&] {
            StoreEntries(grid, entries);
            mayClose = true;
        },
        [&] { mayClose = true; });
    return mayClose;
}

TEntryListHead AddEntryListHead(TReport &report, const QString &caption,
                                std::initializer_list<TEntryColumn> columns) {
    auto *title = report.AddBand(rbTitle, 22);
    TEntryListHead head;
    head.Organisation = title->AddLabel(QString(), 0, 0, 190, 5);
    head.Organisation->Alignment = taCenter;
    auto *label = title->AddLabel(caption, 0, 6, 190, 8);
    label->Font = TRepFont{QStringLiteral("Arial"), 14, true};
    label->Alignment = taCenter;
    head.Period = title->AddLabel(QString(), 0, 15, 190, 5);
    head.Period->Alignment = taCenter;

    auto *header = report.AddBand(rbColumnHeader, 6);
    for (const TEntryColumn &c : columns) {
        auto *heading = header->AddLabel(QString::fromUtf8(c.caption), c.left, 0, c.width, 6);
        heading->Frame = TRepFrame::All();
        heading->Alignment = taCenter;
    }
    return head;
}

TProvodka::TProvodka(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("Provodka"));
    SetCaption(QStringLiteral("Проводки"));
    SetHelpContext(20);
    SetEscCloses(true);

    // ---- Datasets ---------------------------------------------------------------
    PlSch = new TTable(this, QStringLiteral("PlanSch.DB"));
    PlSch->setObjectName(QStringLiteral("PlSch"));
    PlSch->SetIndexName(QStringLiteral("Sch"));
    AddTableFields(PlSch, "PlanSch");
    PlSchSchet = PlSch->FieldByName(QStringLiteral("Schet"));
    PlSchNameSchet = PlSch->FieldByName(QStringLiteral("NameSchet"));
    DSPlan = new TDataSource(this, PlSch);
    // Any change of the chart (a row stored or deleted, the table reopened) is read again.
    const auto chartChanged = [this] { m_namesRead = false; };
    connect(DSPlan, &TDataSource::dataSetChanged, this, chartChanged);
    connect(DSPlan, &TDataSource::recordChanged, this, chartChanged);

    Prov = new TQuery(this);
    Prov->setObjectName(QStringLiteral("Prov"));
    UpdateSQL1 = new TUpdateSQL(this);
    SetUpEntryQuery(Prov, ProvSQL, {QStringLiteral("deb"), QStringLiteral("kre")}, UpdateSQL1);
    // Twenty characters of each name, as the names panel shows them.
    ProvNameDeb = Prov->AddCalcField(QStringLiteral("NameDeb"), TFieldType::ftString, 20);
    ProvNameKre = Prov->AddCalcField(QStringLiteral("NameKre"), TFieldType::ftString, 20);
    Prov->OnCalcFields = [this](TDataSet *ds) { ProvCalcFields(ds); };
    ProvDateProv = Prov->FieldByName(QStringLiteral("DateProv"));
    ProvDebet = Prov->FieldByName(QStringLiteral("Debet"));
    ProvKredit = Prov->FieldByName(QStringLiteral("Kredit"));
    ProvSumma = Prov->FieldByName(QStringLiteral("Summa"));
    ProvOrganis = Prov->FieldByName(QStringLiteral("Organis"));
    // A new entry belongs to the current own organisation and is dated today. These
    // defaults alone do not make the row worth storing: a row nobody typed into is
    // dropped, not written, when the journal is stored.
    Prov->OnNewRecord = [this](TDataSet *) {
        ProvOrganis->SetAsFloat(LogoAppForm->SvoyKlientId);
        ProvDateProv->SetAsDate(Clock::today());
    };
    DataSource1 = new TDataSource(this, Prov);

    // ---- Layout -----------------------------------------------------------------
    auto *top = new QHBoxLayout;
    DatV = new TDateTimePicker(this);
    DatI = new TDateTimePicker(this);
    Edit1 = new TEdit(this, TextSizeOf(QStringLiteral("PlanSch"), QStringLiteral("Schet")));
    Edit2 = new TEdit(this, TextSizeOf(QStringLiteral("PlanSch"), QStringLiteral("Schet")));
    BitBtn1 = new QPushButton(QStringLiteral("Выбрать"), this);
    BitBtn1->setAutoDefault(false);
    // The date labels are the Latin "c" of the form's layout.
    top->addWidget(new QLabel(QStringLiteral("c"), this));
    top->addWidget(DatV);
    top->addWidget(new QLabel(QStringLiteral("по"), this));
    top->addWidget(DatI);
    top->addSpacing(16);
    top->addWidget(new QLabel(QStringLiteral("Дебет"), this));
    top->addWidget(Edit1);
    top->addWidget(new QLabel(QStringLiteral("Кредит"), this));
    top->addWidget(Edit2);
    top->addWidget(BitBtn1);
    top->addStretch();

    DBGrid1 = new TDBGrid(this, DataSource1);
    DBGrid1->AddColumn(QStringLiteral("DateProv"), QStringLiteral("Дата"), 85);
    DBGrid1->AddColumn(QStringLiteral("Debet"), QStringLiteral("Дебет"), 90)->SetEllipsis(true);
    DBGrid1->AddColumn(QStringLiteral("Kredit"), QStringLiteral("Кредит"), 90)->SetEllipsis(true);
    DBGrid1->AddColumn(QStringLiteral("Summa"), QStringLiteral("Сумма"));
    DBGrid1->AddColumn(QStringLiteral("Primech"), QStringLiteral("Примечание"), 330);

    auto *names = new QGridLayout;
    DBText1 = new TDBText(this, DataSource1, QStringLiteral("NameDeb"));
    DBText2 = new TDBText(this, DataSource1, QStringLiteral("NameKre"));
    names->addWidget(new QLabel(QStringLiteral("Дебет"), this), 0, 0);
    names->addWidget(DBText1, 0, 1);
    names->addWidget(new QLabel(QStringLiteral("Кредит"), this), 1, 0);
    names->addWidget(DBText2, 1, 1);
    names->setColumnStretch(1, 1);

    auto *bar = new QToolBar(this);
    SpeedButton1 = AddToolBarButton(bar, QStringLiteral("F5-Печать"));
    SpeedButton2 = AddToolBarButton(bar, QStringLiteral("F6-Добавить"));
    SpeedButton3 = AddToolBarButton(bar, QStringLiteral("F8-Удалить"));
    SpeedButton4 = AddToolBarButton(bar, QStringLiteral("F10-Выход"));
    SpeedButton5 = AddToolBarButton(bar, QStringLiteral("Cancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(names);
    layout->addWidget(bar);
    resize(800, 560);

    buildReport();

    // ---- Handlers ---------------------------------------------------------------
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton3, [this] { SpeedButton3Click(); });
    OnClick(SpeedButton4, [this] { SpeedButton4Click(); });
    OnClick(SpeedButton5, [this] { SpeedButton5Click(); });
    Connect(DBGrid1, &TDBGrid::editButtonClick, [this] { DBGrid1EditButtonClick(); });
    OnKeyDown(DBGrid1, [this](int &Key, Qt::KeyboardModifiers) { DBGrid1KeyDown(Key); });
}

TProvodka::~TProvodka() {
    if (Provodka == this) Provodka = nullptr;
}

// The entries in the grid, portrait A4: the organisation above the title, the period
// below it, one line per entry and the total of the amounts.
void TProvodka::buildReport() {
    const QString &money = fmt::MoneyMask;
    Report1.DataSet = Prov;
    Report1.Options.PrintIfEmpty = false;
    Report1.Font = TRepFont{QStringLiteral("Arial"), 10};
    const TEntryListHead head = AddEntryListHead(
        Report1, QStringLiteral("Проводки"),
        {{"Дата", 0, 22}, {"Дебет", 22, 25}, {"Кредит", 47, 25}, {"Сумма", 72, 35}, {"Примечание", 107, 83}});
    RepLabel8 = head.Organisation;
    RepLabel2 = head.Period;

    auto *detail = Report1.AddBand(rbDetail, 5);
    detail->AddDBText(Prov, QStringLiteral("DateProv"), 0, 0, 22, 5)->Alignment = taCenter;
    detail->AddDBText(Prov, QStringLiteral("Debet"), 23, 0, 24, 5);
    detail->AddDBText(Prov, QStringLiteral("Kredit"), 48, 0, 24, 5);
    auto *summa = detail->AddDBText(Prov, QStringLiteral("Summa"), 72, 0, 34, 5);
    summa->Mask = money;
    summa->Alignment = taRightJustify;
    detail->AddShape(stFrame, 107, 0, 83, 5);
    detail->AddDBText(Prov, QStringLiteral("Primech"), 108, 0, 81, 5);

    auto *total = Report1.AddBand(rbSummary, 7)->AddExpr(QStringLiteral("SUM(Prov.Summa)"), 72, 1, 34, 5);
    total->Mask = money;
    total->Alignment = taRightJustify;
}

// ---- Account names ----------------------------------------------------------------------

QVariant TProvodka::AccountName(const QString &schet) {
    // A row being typed in the chart is not part of it yet: searched as it stands.
    if (PlSch->State() != TDataSetState::dsBrowse)
        return PlSch->Lookup(QStringLiteral("Schet"), schet, QStringLiteral("NameSchet"));
    if (!m_namesRead) {
        m_names.clear();
        PlSch->FetchAll();
        for (int row = 0; row < PlSch->FetchedRowCount(); ++row) {
            ActiveRowScope scope(PlSch, row);
            const QString code = PlSchSchet->AsString();
            m_names.emplace(code, PlSchNameSchet->Value()); // the first of a code counts
        }
        m_namesRead = true;
    }
    const auto name = m_names.find(schet);
    return name == m_names.end() ? QVariant() : name->second;
}

void TProvodka::ProvCalcFields(TDataSet *) {
    ProvNameDeb->SetValue(AccountName(ProvDebet->Value().toString()));
    ProvNameKre->SetValue(AccountName(ProvKredit->Value().toString()));
}

// ---- Showing and closing ------------------------------------------------------------

void TProvodka::FormShow() {
    DatI->SetDate(Clock::today());
    DatV->SetDate(BegPeriod(DatI->Date()));
    BitBtn1Click();
    Prov->Last();
}

bool TProvodka::FormCloseQuery() {
    return MayCloseEntries(DBGrid1, Prov);
}

// However the journal closes, what was not stored is dropped with the query.
void TProvodka::FormClose() {
    DBGrid1->EndCellEdit(false);
    Prov->Cancel();
    Prov->Close();
}

// ---- Commands ----------------------------------------------------------------------------

void TProvodka::BitBtn1Click() {
    if (Prov->Active()) StoreEntries(DBGrid1, Prov);
    Prov->Close();
    Prov->ParamByName(QStringLiteral("Datv"))->SetAsDate(DatV->Date());
    Prov->ParamByName(QStringLiteral("Dati"))->SetAsDate(DatI->Date());
    Prov->ParamByName(QStringLiteral("org"))->SetAsFloat(LogoAppForm->SvoyKlientId);
    // The typed text is a prefix as it stands: "%" and "_" typed by the user act as
    // the pattern's wildcards, "*" and "?" are plain characters.
    Prov->ParamByName(QStringLiteral("deb"))->SetAsString(Edit1->text() + QLatin1Char('%'));
    Prov->ParamByName(QStringLiteral("kre"))->SetAsString(Edit2->text() + QLatin1Char('%'));
    Prov->Open();
    DBGrid1->setFocus();
}

void TProvodka::DBGrid1KeyDown(int &Key) {
    switch (Key) {
    case Qt::Key_F5:
        SpeedButton1Click();
        break;
    case Qt::Key_F6:
        SpeedButton2Click();
        break;
    case Qt::Key_F8:
        SpeedButton3Click();
        break;
    case Qt::Key_F10:
        SpeedButton4Click();
        break;
    default:
        return;
    }
    Key = 0;
}

// Prints what the grid holds, stored or not.
void TProvodka::SpeedButton1Click() {
    DBGrid1->EndCellEdit(true);
    RepLabel8->Caption = LogoAppForm->OrganisationName();
    RepLabel2->Caption = PeriodCaption(DatV->Date(), DatI->Date());
    Report1.Preview();
    DBGrid1->setFocus();
}

void TProvodka::SpeedButton2Click() {
    DBGrid1->EndCellEdit(true);
    Prov->Append();
    DBGrid1->setCurrentIndex(DBGrid1->Model()->index(Prov->RecNo(), 0));
    DBGrid1->setFocus();
}

void TProvodka::SpeedButton3Click() {
    DBGrid1->EndCellEdit(false);
    if (!Prov->IsEmpty() && MessageDlg(QStringLiteral("Удалить проводку ?"), mtWarning, mbYesNo) == mrYes)
        Prov->Delete();
    DBGrid1->setFocus();
}

void TProvodka::SpeedButton4Click() {
    StoreEntries(DBGrid1, Prov);
    Close();
}

void TProvodka::SpeedButton5Click() {
    Close();
}

void TProvodka::DBGrid1EditButtonClick() {
    // What the cell holds is kept when the picker is cancelled, replaced when it picks.
    DBGrid1->EndCellEdit(true);
    ShowModal(Plan);
    if (!Plan->OkPressed) return;
    const QString schet = PlSchSchet->AsString();
    Prov->Edit();
    switch (DBGrid1->SelectedIndex()) {
    case 1:
        ProvDebet->SetAsString(schet);
        break;
    case 2:
        ProvKredit->SetAsString(schet);
        break;
    default:
        break;
    }
    // The entry stays being edited: a new one gets its other account next, and is
    // posted when the user leaves it.
}
