#include "contracts/UKartDog.h"

#include "app/LogoMain.h"
#include "app/UQuery_f.h"
#include "app/Words.h"
#include "contracts/ContractFiles.h"
#include "contracts/USpDogov.h"
#include "contracts/USpEtap.h"
#include "contracts/UTypDog.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "payorders/UPlatPor.h"
#include "payorders/USpPlat.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"
#include "sales/USchFak.h"
#include "sales/USpRasx.h"

#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

TKartDog *KartDog = nullptr;

namespace {

const QStringList KliSQL = {QStringLiteral("select * from Klient"), QStringLiteral("where Klient_id = :kli")};
const QStringList BankSQL = {QStringLiteral("select * from Bank"), QStringLiteral("where Bank_id = :bank")};

// The card lists every payment order of its contract, whatever amount bounds the
// payment-order register was last run with.
constexpr double AnyAmount = 1e15;

TWrapEdit *shownOnlyBank(QWidget *parent) {
    auto *box = new TWrapEdit(parent, TextSizeOf(QStringLiteral("Bank"), QStringLiteral("NameBank")));
    box->setReadOnly(true);
    return box;
}

// The stored names in the first column of the query's rows.
QStringList namesFrom(TQuery &names) {
    names.Open();
    QStringList list;
    for (; !names.Eof(); names.Next())
        list << names.Fields(0)->AsString();
    return list;
}

// The stored names that another row than `key` of a table holds in a field.
QStringList namesOfOthers(const QString &sql, double key) {
    TQuery names;
    names.SetSQLText(sql);
    names.ParamByName(QStringLiteral("id"))->SetAsFloat(key);
    return namesFrom(names);
}

bool anySame(const QStringList &names, const QString &name) {
    for (const QString &other : names)
        if (SameDocument(other, name)) return true;
    return false;
}

} // namespace

TKartDog::TKartDog(TSpDogov *contracts, QWidget *parent)
    : TForm(parent), Contracts(contracts), Dog(contracts->Dog) {
    setObjectName(QStringLiteral("KartDog"));
    SetCaption(QStringLiteral("Договор"));
    SetHelpContext(7);
    TDataSource *DSDog = Contracts->DSDog;

    // ---- Datasets ---------------------------------------------------------------
    Prim = new TTable(this, QStringLiteral("Primech.db"));
    Prim->setObjectName(QStringLiteral("Prim"));
    Prim->AddField(QStringLiteral("Primech_id"), TFieldType::ftAutoInc)->ReadOnly = true;
    Prim->AddField(QStringLiteral("DatPrim"), TFieldType::ftDate);
    Prim->AddField(QStringLiteral("SumPrim"), TFieldType::ftCurrency);
    Prim->AddField(QStringLiteral("Primech"), TFieldType::ftString, 200);
    Prim->AddField(QStringLiteral("Dogovor_id"), TFieldType::ftFloat);
    Prim->AddField(QStringLiteral("FileName"), TFieldType::ftString, 150);
    Prim->AddField(QStringLiteral("SosotEt"), TFieldType::ftFloat);
    Prim->AddLookupField(QStringLiteral("NameEtap"), TFieldType::ftString, 50, SpEtap->Sost,
                         QStringLiteral("SosotEt"), QStringLiteral("Sost_id"), QStringLiteral("NameSost"));
    Prim->SetIndexFieldNames(QStringLiteral("Dogovor_id"));
    Prim->SetMasterSource(DSDog, QStringLiteral("Dogovor_id"));
    // A stage with no state chosen is open: it is stored as 0, which the overdue
    // report looks for.
    Prim->OnNewRecord = [](TDataSet *ds) { ds->FieldByName(QStringLiteral("SosotEt"))->SetAsFloat(0); };
    DSPrim = new TDataSource(this, Prim);

    Kli = new TQuery(this);
    Kli->setObjectName(QStringLiteral("Kli"));
    Kli->SetSQL(KliSQL);
    Kli->ParamByName(QStringLiteral("kli"))->SetDataType(TFieldType::ftFloat);
    Bank = new TQuery(this);
    Bank->setObjectName(QStringLiteral("Bank"));
    Bank->SetSQL(BankSQL);
    Bank->ParamByName(QStringLiteral("bank"))->SetDataType(TFieldType::ftFloat);

    // ---- The contract -----------------------------------------------------------
    DBEdit1 = new TDBEdit(this, DSDog, QStringLiteral("NumbDog"));
    DBEdit2 = new TDBDateEdit(this, DSDog, QStringLiteral("DateDog"));
    DBEdit3 = new TDBDateEdit(this, DSDog, QStringLiteral("DateFin"));
    DBEdit4 = new TDBMemo(this, DSDog, QStringLiteral("NameDog"));
    DBEdit5 = new TDBEdit(this, DSDog, QStringLiteral("Summa"));
    DBEdit6 = new TDBMemo(this, DSDog, QStringLiteral("Primech"));
    DBEdit7 = new TDBMemo(this, DSDog, QStringLiteral("FullName"));
    DBEdit7->SetReadOnly(true); // the partner is chosen, never typed: a typed name is not stored
    SpeedButton1 = DictionaryButton(this, Qt::NoFocus);
    Edit1 = shownOnlyBank(this);
    SpeedButton2 = DictionaryButton(this, Qt::NoFocus);
    Edit2 = shownOnlyBank(this);
    SpeedButton5 = DictionaryButton(this, Qt::NoFocus);
    DBLookupComboBox1 = new TDBLookupComboBox(this, DSDog, QStringLiteral("NameEtap"));
    DBEdit8 = new TDBMemo(this, DSDog, QStringLiteral("NameFile"));
    SpeedButton3 = DictionaryButton(this, Qt::NoFocus, QStringLiteral("Проводник"));
    // The long one-line texts wrap instead of running out of sight.
    for (TDBMemo *memo : {DBEdit4, DBEdit6, DBEdit7, DBEdit8})
        memo->SetWantReturns(false);
    DBCheckBox1 = new TDBCheckBox(QStringLiteral("Договор закрыт"), this, DSDog, QStringLiteral("FlClose"));
    BitBtn3 = CommandButton(QStringLiteral("Текст договора"), this);

    auto *fields = new QGridLayout;
    int row = 0;
    const auto line = [&](const QString &caption, QWidget *box, QWidget *button = nullptr) {
        fields->addWidget(new QLabel(caption, this), row, 0);
        fields->addWidget(box, row, 1, 1, button ? 1 : 2);
        if (button) fields->addWidget(button, row, 2);
        ++row;
    };
    line(QStringLiteral("№ договора"), DBEdit1);
    line(QStringLiteral("Дата начала договора"), DBEdit2);
    line(QStringLiteral("Дата окончания договора"), DBEdit3);
    line(QStringLiteral("Название договора"), DBEdit4);
    line(QStringLiteral("Сумма договора"), DBEdit5);
    line(QStringLiteral("Примечание"), DBEdit6);
    line(QStringLiteral("Партнер"), DBEdit7, SpeedButton1);
    line(QStringLiteral("Банк"), Edit1, SpeedButton2);
    line(QStringLiteral("Наш банк"), Edit2, SpeedButton5);
    line(QStringLiteral("Состояние"), DBLookupComboBox1);
    line(QStringLiteral("Файл"), DBEdit8, SpeedButton3);
    auto *closedRow = new QHBoxLayout;
    closedRow->addWidget(DBCheckBox1);
    closedRow->addStretch();
    closedRow->addWidget(BitBtn3);
    fields->addLayout(closedRow, row, 0, 1, 3);
    fields->setColumnStretch(1, 1);

    // ---- Stages -----------------------------------------------------------------
    auto *stages = new QGroupBox(QStringLiteral("Этапы"), this);
    DBGrid1 = new TDBGrid(stages, DSPrim);
    DBGrid1->AddColumn(QStringLiteral("DatPrim"), QStringLiteral("Дата"), 80);
    DBGrid1->AddColumn(QStringLiteral("SumPrim"), QStringLiteral("Сумма"));
    DBGrid1->AddColumn(QStringLiteral("NameEtap"), QStringLiteral("Состояние"), 120);
    DBGrid1->AddColumn(QStringLiteral("Primech"), QStringLiteral("Примечание"), 200);
    BitBtn6 = CommandButton(QStringLiteral("Текст акта"), stages);
    auto *stagesLayout = new QVBoxLayout(stages);
    stagesLayout->addWidget(DBGrid1);
    auto *actRow = ButtonRow({BitBtn6});
    stagesLayout->addLayout(actRow);

    // ---- Payment orders and documents of the contract ----------------------------
    auto *orders = new QGroupBox(QStringLiteral("Платежки"), this);
    DBGrid3 = new TDBGrid(orders, SpPlat->DataSource1);
    DBGrid3->SetReadOnly(true);
    DBGrid3->AddColumn(QStringLiteral("NUMBER"), QStringLiteral("№"), 40);
    DBGrid3->AddColumn(QStringLiteral("DATE_PLAT"), QStringLiteral("Дата"), 75);
    DBGrid3->AddColumn(QStringLiteral("P_BANK"), QStringLiteral("Банк"), 125);
    DBGrid3->AddColumn(QStringLiteral("SUMMA"), QStringLiteral("Сумма"));
    (new QVBoxLayout(orders))->addWidget(DBGrid3);

    auto *documents = new QGroupBox(QStringLiteral("Счета фактуры"), this);
    DBGrid2 = new TDBGrid(documents, SpRasx->DSpRasx);
    DBGrid2->SetReadOnly(true);
    DBGrid2->AddColumn(QStringLiteral("NUMB_FAKT"), QStringLiteral("№ фактуры"), 75);
    DBGrid2->AddColumn(QStringLiteral("DATE_FAKT"), QStringLiteral("Дата"), 75);
    DBGrid2->AddColumn(QStringLiteral("Itogo"), QStringLiteral("Сумма"));
    DBGrid2->AddColumn(QStringLiteral("SummaOpl"), QStringLiteral("Сумма оплаты"));
    (new QVBoxLayout(documents))->addWidget(DBGrid2);

    // ---- Tool bar -----------------------------------------------------------------
    BitBtn4 = CommandButton(QStringLiteral("Создать платежку"), this);
    BitBtn5 = CommandButton(QStringLiteral("Создать счет-фактуры"), this);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = CommandButton(QStringLiteral("Cancel"), this);
    SetDefaultButton(BitBtn1);
    SetCancelButton(BitBtn2);
    auto *tools = new QHBoxLayout;
    tools->addWidget(BitBtn4);
    tools->addWidget(BitBtn5);
    tools->addStretch();
    tools->addWidget(BitBtn1);
    tools->addWidget(BitBtn2);

    auto *left = new QVBoxLayout;
    left->addLayout(fields);
    left->addWidget(stages, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(orders, 1);
    right->addWidget(documents, 1);
    // The lists of orders and documents as wide as their columns, the card the rest.
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addLayout(columns, 1);
    // The stages list keeps a few rows under the wrapped names; every column in view.
    resize(qMax(1040, sizeHint().width()), 800);

    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton5, [this] { SpeedButton5Click(); });
    OnClick(SpeedButton3, [this] { SpeedButton3Click(); });
    OnClick(BitBtn3, [this] { BitBtn3Click(); });
    OnClick(BitBtn6, [this] { BitBtn6Click(); });
    OnClick(BitBtn4, [this] { BitBtn4Click(); });
    OnClick(BitBtn5, [this] { BitBtn5Click(); });
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(BitBtn2, [this] { BitBtn2Click(); });
    Connect(DBGrid3, &TDBGrid::dblClick, [this] { DBGrid3DblClick(); });
    Connect(DBGrid2, &TDBGrid::dblClick, [this] { DBGrid2DblClick(); });
}

TKartDog::~TKartDog() {
    if (KartDog == this) KartDog = nullptr;
}

TField *TKartDog::dog(const char *field) const {
    return Dog->FieldByName(QString::fromLatin1(field));
}

void TKartDog::openBank(double bankId) {
    Bank->Close();
    Bank->ParamByName(QStringLiteral("bank"))->SetAsFloat(bankId);
    Bank->Open();
}

void TKartDog::openKli(double klientId) {
    Kli->Close();
    Kli->ParamByName(QStringLiteral("kli"))->SetAsFloat(klientId);
    Kli->Open();
}

// A field of the row read; empty when there is none (no account, no partner chosen).
QString TKartDog::bankValue(const char *field) const {
    return Bank->IsEmpty() ? QString() : Bank->FieldByName(QString::fromLatin1(field))->AsString();
}

QString TKartDog::kliValue(const char *field) const {
    return Kli->IsEmpty() ? QString() : Kli->FieldByName(QString::fromLatin1(field))->AsString();
}

// The editors raised from the card show this number: the contract may not be saved yet.
QString TKartDog::ContractNumber() const {
    return dog("NumbDog")->AsString();
}

// ---- Showing and closing -------------------------------------------------------------

void TKartDog::FormShow() {
    m_key = dog("Dogovor_id")->AsFloat();
    m_saved = false;
    m_written.clear();
    DBEdit1->setFocus();
    requeryPaymentOrders();
    requeryDocuments();
    openBank(dog("Bank_id")->AsFloat());
    Edit1->setText(bankValue("NameBank"));
    openBank(dog("BankOrg_id")->AsFloat());
    Edit2->setText(bankValue("NameBank"));
    Prim->Open();
    Prim->First();
}

// The contract's payment orders paid by its organisation, from 1 January of the
// contract's year on.
void TKartDog::requeryPaymentOrders() {
    TQuery *Plat = SpPlat->Plat;
    Plat->Close();
    Plat->ParamByName(QStringLiteral("Datv"))->SetAsDate(QDate(dog("DateDog")->AsDate().year(), 1, 1));
    Plat->ParamByName(QStringLiteral("DatI"))->SetAsDate(QDate(2050, 12, 31));
    Plat->ParamByName(QStringLiteral("Kli"))->SetAsFloat(dog("Organ_id")->AsFloat());
    Plat->ParamByName(QStringLiteral("rnam"))->SetAsString(QStringLiteral("%"));
    Plat->ParamByName(QStringLiteral("dog"))->SetAsFloat(m_key);
    Plat->ParamByName(QStringLiteral("SumMn"))->SetAsFloat(-AnyAmount);
    Plat->ParamByName(QStringLiteral("SumMx"))->SetAsFloat(AnyAmount);
    Plat->Open();
}

// The contract's documents of both directions and every counterparty, from 1 January
// of the contract's year on.
void TKartDog::requeryDocuments() {
    TQuery *docs = SpRasx->SpRasx;
    docs->Close();
    docs->ParamByName(QStringLiteral("datv"))->SetAsDate(QDate(dog("DateDog")->AsDate().year(), 1, 1));
    docs->ParamByName(QStringLiteral("dati"))->SetAsDate(QDate(2050, 12, 31));
    docs->ParamByName(QStringLiteral("SV"))->SetAsString(QStringLiteral("%"));
    docs->ParamByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("%"));
    docs->ParamByName(QStringLiteral("kli"))->SetAsFloat(dog("Organ_id")->AsFloat());
    docs->ParamByName(QStringLiteral("dog"))->SetAsFloat(m_key);
    docs->Open();
}

// Closing by any way but OK drops what was not stored: the stage being typed, the
// contract's edit; a contract stored for this card goes again, found by its key,
// with the stages typed on it.
void TKartDog::FormClose() {
    DBGrid1->EndCellEdit(false);
    if (!m_saved) discard();
    removeUnclaimedDocuments();
    Prim->Close();
    Bank->Close();
    Kli->Close();
    IsNewDog = false;
    BitBtn1->setEnabled(true);
}

void TKartDog::discard() {
    if (Prim->Active()) Prim->Cancel();
    if (Dog->Active()) {
        Dog->Cancel();
        if (Dog->UpdatesPending()) Dog->CancelUpdates();
    }
    if (!IsNewDog || m_key == 0) return;
    TTransaction transaction;
    if (Dog->Active() && Dog->Locate(QStringLiteral("Dogovor_id"), m_key)) {
        Dog->Delete();
        try {
            Dog->ApplyUpdates();
        } catch (...) {
            Dog->CancelUpdates();
            throw;
        }
    } else {
        TQuery remove;
        remove.SetSQLText(QStringLiteral("delete from Dogovor where Dogovor_id = :id"));
        remove.ParamByName(QStringLiteral("id"))->SetAsFloat(m_key);
        remove.ExecSQL();
    }
    TQuery stages;
    stages.SetSQLText(QStringLiteral("delete from Primech where Dogovor_id = :id"));
    stages.ParamByName(QStringLiteral("id"))->SetAsFloat(m_key);
    stages.ExecSQL();
    transaction.Commit();
    if (Dog->Active()) Dog->CommitUpdates();
    m_key = 0;
}

// A text written for a contract that was not stored, or under a name its Cancel
// dropped, would be found by the next contract of that number as if it were its own;
// an act goes with its stage. What a stored row names stays, and so does every file
// this card did not write.
void TKartDog::removeUnclaimedDocuments() {
    const QStringList written = std::exchange(m_written, {});
    if (written.isEmpty()) return;
    TQuery names;
    names.SetSQLText(QStringLiteral("select NameFile from Dogovor where NameFile is not null "
                                    "union all select FileName from Primech where FileName is not null"));
    const QStringList stored = namesFrom(names);
    for (const QString &name : written)
        if (!anySame(stored, name)) QFile::remove(LocalPath(name));
}

// A stage being typed is stored with the contract.
void TKartDog::BitBtn1Click() {
    DBGrid1->EndCellEdit(true);
    Prim->CheckBrowseMode();
    Dog->UpdateRecord();
    Dog->CheckBrowseMode();
    Dog->ApplyUpdates();
    Dog->CommitUpdates();
    m_saved = true;
    Close();
}

void TKartDog::BitBtn2Click() {
    Close();
}

// ---- Partner, accounts, file -----------------------------------------------------------

// The partner's account stays as it was until another is chosen.
void TKartDog::SpeedButton1Click() {
    SlPoluch->SetCaption(QStringLiteral("Партнер"));
    SlPoluch->KlientGroup = QStringLiteral("F");
    ShowModal(SlPoluch);
    if (!SlPoluch->OkPressed) return;
    Dog->Edit();
    dog("Klient_id")->SetAsFloat(SlPoluch->KlientKlient_id->AsFloat());
    dog("FullName")->SetAsString(SlPoluch->KlientFullName->AsString());
    BitBtn1->setEnabled(true);
}

void TKartDog::pickAccount(const char *ownerField, const char *bankField, TWrapEdit *box) {
    const double owner = dog(ownerField)->AsFloat();
    if (owner == 0) return;
    SlBankP->KlientId = owner;
    ShowModal(SlBankP);
    if (!SlBankP->OkPressed) return;
    Dog->Edit();
    dog(bankField)->SetAsFloat(SlBankP->RekvPolBank_id->AsFloat());
    box->setText(SlBankP->RekvPolNameBank->AsString());
}

void TKartDog::SpeedButton2Click() {
    pickAccount("Klient_id", "Bank_id", Edit1);
}

void TKartDog::SpeedButton5Click() {
    pickAccount("Organ_id", "BankOrg_id", Edit2);
}

void TKartDog::SpeedButton3Click() {
    const QString chosen = ChooseDocumentFile(this, QStringLiteral("Текст договора"));
    if (chosen.isEmpty()) return;
    TField *name = dog("NameFile");
    const QString stored = FittingName(chosen, name->Size());
    Dog->Edit();
    name->SetAsString(stored);
}

// ---- Contract text and acts -------------------------------------------------------------

// "dog\Dog" + number + ".RTF", with a suffix when another contract's text has that
// name already or a file of that name lies in the folder: two contracts never share
// one text, and a contract never takes a file it did not write (one left by a run that
// ended before its contract was stored, say).
QString TKartDog::contractDocumentName() {
    const QString name =
        QStringLiteral("dog\\Dog") + FileNamePart(dog("NumbDog")->AsString()) + QStringLiteral(".RTF");
    const QStringList others = namesOfOthers(
        QStringLiteral("select NameFile from Dogovor where Dogovor_id <> :id and NameFile is not null"),
        m_key);
    return FreeName(name, [&](const QString &n) { return DocumentExists(n) || anySame(others, n); });
}

void TKartDog::BitBtn3Click() {
    Dog->UpdateRecord();
    if (dog("NumbDog")->AsString().trimmed().isEmpty()) {
        MessageDlg(QStringLiteral("Не заполнен номер договора"), mtError, mbOK);
        return;
    }
    QString name = dog("NameFile")->AsString();
    if (name.isEmpty()) {
        name = contractDocumentName();
        Dog->Edit();
        dog("NameFile")->SetAsString(name);
    }
    // An existing text is the contract's own: it is opened as it stands.
    if (!DocumentExists(name)) {
        ShowModal(TypDog);
        if (!TypDog->OkPressed) {
            WriteBlankDocument(name);
            m_written << name;
        } else {
            openKli(dog("Klient_id")->AsFloat());
            openBank(dog("Bank_id")->AsFloat());
            // The figure and the words of one kopeck amount.
            const PrintedAmount summa = ContractSumForPrint(dog("Summa")->AsFloat());
            TPlaceholders values = {
                {QStringLiteral("NumbDog"), dog("NumbDog")->AsString()},
                {QStringLiteral("DateDog"), fmt::DateToStr(dog("DateDog")->AsDate())},
                {QStringLiteral("NameDog"), dog("NameDog")->AsString()},
                {QStringLiteral("NameKli"), dog("FullName")->AsString()},
                {QStringLiteral("NameOrg"), Contracts->Edit1->text()},
                {QStringLiteral("SummaDog"), summa.figure},
                {QStringLiteral("SummaWord"), summa.words},
                {QStringLiteral("InnKli"), kliValue("Inn")},
                {QStringLiteral("NameBankKli"), bankValue("NameBank")},
                {QStringLiteral("BikKli"), bankValue("Bik")},
                {QStringLiteral("SchetKli"), bankValue("Schet")},
                {QStringLiteral("KorSchKli"), bankValue("KorSchet")},
                {QStringLiteral("AddressKli"), kliValue("Adress")},
                {QStringLiteral("InnOrg"), Contracts->OrgInn},
            };
            openBank(dog("BankOrg_id")->AsFloat());
            values << TPlaceholders{
                {QStringLiteral("NameBankOrg"), bankValue("NameBank")},
                {QStringLiteral("BikOrg"), bankValue("Bik")},
                {QStringLiteral("SchetOrg"), bankValue("Schet")},
                {QStringLiteral("KorSchOrg"), bankValue("KorSchet")},
                {QStringLiteral("AddressOrg"), Contracts->OrgAdress},
            };
            WriteFromTemplate(TypDog->TemplateFile, name, values);
            m_written << name;
        }
    }
    OpenDocument(name);
}

// The stage being typed is stored first, so the act's name carries its key. An act
// is created once, never over an existing file: a name in use gets a suffix.
void TKartDog::BitBtn6Click() {
    DBGrid1->EndCellEdit(true);
    if (!Prim->Active()) return;
    Prim->CheckBrowseMode();
    if (Prim->IsEmpty()) return;
    TField *fileName = Prim->FieldByName(QStringLiteral("FileName"));
    QString name = fileName->AsString();
    if (name.isEmpty()) {
        Dog->UpdateRecord();
        const double key = Prim->FieldByName(QStringLiteral("Primech_id"))->AsFloat();
        const QString base = QStringLiteral("dog\\Act") + FileNamePart(dog("NumbDog")->AsString()) +
                             QString::number(qint64(key)) + QStringLiteral(".DOC");
        const QStringList others = namesOfOthers(
            QStringLiteral("select FileName from Primech where Primech_id <> :id and FileName is not null"),
            key);
        name = FittingName(
            FreeName(base, [&](const QString &n) { return DocumentExists(n) || anySame(others, n); }),
            fileName->Size());
        WriteBlankDocument(name);
        m_written << name;
        Prim->Edit();
        fileName->SetAsString(name);
        Prim->Post();
    }
    OpenDocument(name);
}

// ---- Payment orders -----------------------------------------------------------------------

// A new order of the register's organisation, numbered within the current year, paid
// from the contract's own account to the partner's, linked to the contract; none
// without an own organisation.
void TKartDog::BitBtn4Click() {
    if (!OwnOrganisationChosen(Contracts->KliId)) return;
    Dog->UpdateRecord();
    const QDate today = Clock::today();
    const double number = SpPlat->NextNumber(today, Contracts->KliId);

    TQuery *Plat = SpPlat->Plat;
    const auto set = [Plat](const char *field, const QString &value) {
        Plat->FieldByName(QString::fromLatin1(field))->SetAsString(value);
    };
    Plat->Append();
    Plat->FieldByName(QStringLiteral("Id_Post"))->SetAsFloat(Contracts->KliId);
    Plat->FieldByName(QStringLiteral("NUMBER"))->SetAsFloat(number);
    set("P_NAME", Contracts->Edit1->text());
    set("VID_PAY", QStringLiteral("01"));
    set("P_Inn", Contracts->OrgInn);
    set("TYPE_PAY", QStringLiteral("почтой"));
    openBank(dog("BankOrg_id")->AsFloat());
    set("P_ACCOUNT", bankValue("Schet"));
    set("P_BANK", bankValue("NameBank"));
    set("P_BANK_ACC", bankValue("KorSchet"));
    set("P_BANK_BIK", bankValue("Bik"));
    Plat->FieldByName(QStringLiteral("DATE_PLAT"))->SetAsDate(today);
    openKli(dog("Klient_id")->AsFloat());
    set("R_NAME", dog("FullName")->AsString());
    Plat->FieldByName(QStringLiteral("Id_Pol"))
        ->SetAsFloat(Kli->IsEmpty() ? 0 : Kli->FieldByName(QStringLiteral("Klient_id"))->AsFloat());
    set("R_Inn", kliValue("Inn"));
    openBank(dog("Bank_id")->AsFloat());
    set("R_ACCOUNT", bankValue("Schet"));
    set("R_BANK", bankValue("NameBank"));
    set("R_BANK_ACC", bankValue("KorSchet"));
    set("R_BANK_BIK", bankValue("Bik"));
    Plat->FieldByName(QStringLiteral("Dogovor_id"))->SetAsFloat(m_key);
    ShowModal(PlatPor);
    requeryPaymentOrders();
    Plat->Last();
}

void TKartDog::DBGrid3DblClick() {
    TQuery *Plat = SpPlat->Plat;
    if (!Plat->Active() || Plat->IsEmpty()) return;
    const double key = Plat->FieldByName(QStringLiteral("PlatPor_id"))->AsFloat();
    Dog->UpdateRecord(); // the editor shows the number as typed
    ShowModal(PlatPor);
    requeryPaymentOrders();
    Plat->Locate(QStringLiteral("PlatPor_id"), key);
}

// ---- Documents -----------------------------------------------------------------------------

// A purchase ("b") or a sale ("s") invoice of the register's organisation, numbered
// within the current year's documents of that direction, stored at once and opened
// by its key in the editor, whose cancel deletes it again; none without an own
// organisation, refused before the purchase or sale is asked.
void TKartDog::BitBtn5Click() {
    if (!OwnOrganisationChosen(Contracts->KliId)) return;
    ShowModal(Query_f);
    if (Query_f->DealKind == 0) return;
    const QString sv = Query_f->DealKind == 1 ? QStringLiteral("b") : QStringLiteral("s");
    SpRasx->SvFlag = sv;
    Dog->UpdateRecord();
    const QDate today = Clock::today();
    const double number = SpRasx->NextInvoiceNumber(sv, Contracts->KliId, today.year());

    TQuery *docs = SpRasx->SpRasx;
    const auto set = [docs](const char *field, const QString &value) {
        docs->FieldByName(QString::fromLatin1(field))->SetAsString(value);
    };
    docs->Append();
    docs->FieldByName(QStringLiteral("NUMB_FAKT"))->SetAsFloat(number);
    docs->FieldByName(QStringLiteral("DATE_FAKT"))->SetAsDate(today);
    set("FL_SVOY", sv);
    docs->FieldByName(QStringLiteral("Dogovor_id"))->SetAsFloat(m_key);
    openKli(Contracts->KliId);
    set("NAME_POST", kliValue("FullName"));
    docs->FieldByName(QStringLiteral("ID_POST"))->SetAsFloat(Contracts->KliId);
    set("ADRESS_POST", kliValue("Adress"));
    set("TEL_POST", kliValue("Telephon"));
    set("CYTI_POST", kliValue("Cyti"));
    set("INN_POST", kliValue("Inn"));
    set("OKPO_POST", kliValue("Okpo"));
    set("OKONX_POST", kliValue("Okonx"));
    openBank(dog("BankOrg_id")->AsFloat());
    set("SCHET_POST", bankValue("Schet"));
    set("KSCHET_POST", bankValue("KorSchet"));
    set("MFO_POST", bankValue("Bik"));
    set("BANK_POST", bankValue("NameBank"));
    openKli(dog("Klient_id")->AsFloat());
    set("NAME_POKUPAT", kliValue("FullName"));
    docs->FieldByName(QStringLiteral("ID_POKUPAT"))->SetAsFloat(dog("Klient_id")->AsFloat());
    set("ADRESS_POK", kliValue("Adress"));
    set("TEL_POK", kliValue("Telephon"));
    set("CYTI_POK", kliValue("Cyti"));
    set("INN_POK", kliValue("Inn"));
    set("OKPO_POK", kliValue("Okpo"));
    set("OKONX_POK", kliValue("Okonx"));
    openBank(dog("Bank_id")->AsFloat());
    set("SCHET_POK", bankValue("Schet"));
    set("KSCHET_POK", bankValue("KorSchet"));
    set("MFO_POK", bankValue("Bik"));
    set("BANK_POK", bankValue("NameBank"));
    // The editor works on exactly this header, found among the rows as they stand (it
    // may lie before the card's period).
    const double key = StoreNewRow(docs, QStringLiteral("FAKTUR_ZAG_ID"),
                                   QStringLiteral("Новый документ записан, но не найден в списке"));
    docs->Edit();
    SchFak->IsNewDoc = true;
    SchFak->VidDoc = 2;
    SchFak->SvFlag = sv;
    SchFak->KliId = Contracts->KliId;
    SchFak->NumberDate = today;
    ShowModal(SchFak);
    requeryDocuments();
    docs->Locate(QStringLiteral("FAKTUR_ZAG_ID"), key);
}

void TKartDog::DBGrid2DblClick() {
    TQuery *docs = SpRasx->SpRasx;
    if (!docs->Active() || docs->IsEmpty()) return;
    const QString sv = docs->FieldByName(QStringLiteral("FL_SVOY"))->AsString();
    const double key = docs->FieldByName(QStringLiteral("FAKTUR_ZAG_ID"))->AsFloat();
    const double own = docs->FieldByName(QStringLiteral("ID_POST"))->AsFloat();
    SpRasx->SvFlag = sv;
    SelectClientBanks(own);
    SchFak->IsNewDoc = false;
    SchFak->VidDoc = 2;
    SchFak->SvFlag = sv;
    SchFak->KliId = own;
    SchFak->NumberDate = Clock::today();
    Dog->UpdateRecord(); // the editor shows the number as typed
    ShowModal(SchFak);
    requeryDocuments();
    docs->Locate(QStringLiteral("FAKTUR_ZAG_ID"), key);
}
