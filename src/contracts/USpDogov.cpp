#include "contracts/USpDogov.h"

#include "app/LogoMain.h"
#include "app/StrUtils.h"
#include "contracts/UKartDog.h"
#include "contracts/USpEtap.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/RegisterFilters.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "db/Clock.h"
#include "refbooks/USlPoluch.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TSpDogov *SpDogov = nullptr;

namespace {

const QStringList DogSQL = {
    QStringLiteral("select * from Dogovor D, Klient K"),
    QStringLiteral("where D.DateDog >= :datv"),
    QStringLiteral("and D.DateDog <= :dati"),
    QStringLiteral("and D.Klient_id=K.Klient_id"),
    QStringLiteral("and D.Organ_id = :org"),
    QStringLiteral("and K.FullName like :nam"),
    QStringLiteral("order by NumbDog"),
};

// The contract's own fields, written by the update statements; the partner's columns
// of the join are never written.
const QStringList DogovorFields = {
    QStringLiteral("NumbDog"),  QStringLiteral("DateDog"),    QStringLiteral("DateFin"),
    QStringLiteral("NameDog"),  QStringLiteral("Summa"),      QStringLiteral("Klient_id"),
    QStringLiteral("Bank_id"),  QStringLiteral("Primech"),    QStringLiteral("NameFile"),
    QStringLiteral("Organ_id"), QStringLiteral("BankOrg_id"), QStringLiteral("SostDog"),
    QStringLiteral("FlClose"),
};

QStringList modifySql() {
    QStringList sets;
    for (const QString &f : DogovorFields)
        sets << f + QStringLiteral(" = :") + f;
    return {QStringLiteral("update Dogovor set"), sets.join(QStringLiteral(", ")),
            QStringLiteral("where Dogovor_id = :OLD_Dogovor_id")};
}

QStringList insertSql() {
    return {QStringLiteral("insert into Dogovor (") + DogovorFields.join(QStringLiteral(", ")) +
                QLatin1Char(')'),
            QStringLiteral("values (:") + DogovorFields.join(QStringLiteral(", :")) + QLatin1Char(')')};
}

const QStringList DeleteSQL = {
    QStringLiteral("delete from Dogovor"),
    QStringLiteral("where Dogovor_id = :OLD_Dogovor_id"),
};

} // namespace

TSpDogov::TSpDogov(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("SpDogov"));
    SetCaption(QStringLiteral("Договора"));
    SetHelpContext(6);

    Dog = new TQuery(this);
    Dog->setObjectName(QStringLiteral("Dog"));
    Dog->SetSQL(DogSQL);
    Dog->ParamByName(QStringLiteral("datv"))->SetDataType(TFieldType::ftDate);
    Dog->ParamByName(QStringLiteral("dati"))->SetDataType(TFieldType::ftDate);
    Dog->ParamByName(QStringLiteral("org"))->SetDataType(TFieldType::ftFloat);
    Dog->ParamByName(QStringLiteral("nam"))->SetDataType(TFieldType::ftString);
    // The contract's fields, then the partner's but its key, which the contract holds.
    AddTableFields(Dog, QStringLiteral("Dogovor"));
    AddTableFields(Dog, QStringLiteral("Klient"), {QStringLiteral("Klient_id")});
    UpdateSQL1 = new TUpdateSQL(this);
    UpdateSQL1->ModifySQL = modifySql();
    UpdateSQL1->InsertSQL = insertSql();
    UpdateSQL1->DeleteSQL = DeleteSQL;
    Dog->CachedUpdates = true;
    Dog->UpdateObject = UpdateSQL1;
    // The states dictionary is created at start-up, before any register.
    Dog->AddLookupField(QStringLiteral("NameEtap"), TFieldType::ftString, 50, SpEtap->Sost,
                        QStringLiteral("SostDog"), QStringLiteral("Sost_id"), QStringLiteral("NameSost"));
    DSDog = new TDataSource(this, Dog);

    // Filters.
    DatV = new TDateTimePicker(this);
    DatI = new TDateTimePicker(this);
    // Full names over three lines: the filters stay low above the list.
    const int fullName = TextSizeOf(QStringLiteral("Klient"), QStringLiteral("FullName"));
    Edit1 = new TWrapEdit(this, fullName, 75);
    Edit2 = new TWrapEdit(this, fullName, 75);
    SpeedButton1 = DictionaryButton(this, Qt::NoFocus);
    SpeedButton2 = DictionaryButton(this, Qt::NoFocus);
    SpeedButton7 = new QPushButton(QStringLiteral("Выбрать"), this);
    SpeedButton7->setAutoDefault(false);
    QGridLayout *filters =
        LayOutRegisterFilters(this, DatV, DatI, SpeedButton7,
                              {{new QLabel(QStringLiteral("Организация"), this), Edit1, SpeedButton1},
                               {new QLabel(QStringLiteral("Партнер"), this), Edit2, SpeedButton2}});

    // The list.
    DBGrid1 = new TDBGrid(this, DSDog);
    DBGrid1->SetReadOnly(true);
    DBGrid1->AddColumn(QStringLiteral("NumbDog"), QStringLiteral("№ договора"), 90);
    DBGrid1->AddColumn(QStringLiteral("DateDog"), QStringLiteral("Дата дог."), 80);
    DBGrid1->AddColumn(QStringLiteral("DateFin"), QStringLiteral("Оконч. дог."), 80);
    DBGrid1->AddColumn(QStringLiteral("NameDog"), QStringLiteral("Название договора"), 220);
    DBGrid1->AddColumn(QStringLiteral("Summa"), QStringLiteral("Сумма"));
    DBGrid1->AddColumn(QStringLiteral("FullName"), QStringLiteral("Партнер"), 200);
    DBGrid1->AddColumn(QStringLiteral("NameEtap"), QStringLiteral("Состояние договора"), 140);

    // Tool bar.
    BitBtn2 = CommandButton(QStringLiteral("F4 - Редактирование"), this, Qt::NoFocus);
    BitBtn3 = CommandButton(QStringLiteral("F6 - Добавить"), this, Qt::NoFocus);
    BitBtn4 = CommandButton(QStringLiteral("F8 - Удалить"), this, Qt::NoFocus);
    BitBtn5 = CommandButton(QStringLiteral("F10 - Выход"), this, Qt::NoFocus);
    auto *tools = new QHBoxLayout;
    for (QPushButton *b : {BitBtn2, BitBtn3, BitBtn4, BitBtn5})
        tools->addWidget(b);
    tools->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addLayout(filters);
    layout->addWidget(DBGrid1, 1);
    resize(qMax(960, sizeHint().width()), 560); // every column in view

    Connect(DatV, &TDateTimePicker::closeUp, [this] { BitBtn1Click(); });
    Connect(DatI, &TDateTimePicker::closeUp, [this] { BitBtn1Click(); });
    OnClick(SpeedButton7, [this] { BitBtn1Click(); });
    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(BitBtn2, [this] { BitBtn2Click(); });
    OnClick(BitBtn3, [this] { BitBtn3Click(); });
    OnClick(BitBtn4, [this] { BitBtn4Click(); });
    OnClick(BitBtn5, [this] { BitBtn5Click(); });
    OnKeyDown(DBGrid1, [this](int &Key, Qt::KeyboardModifiers) { DBGrid1KeyDown(Key); });
}

void TSpDogov::FormShow() {
    DatI->SetDate(Clock::today());
    DatV->SetDate(BegPeriod(Clock::today()));
    LogoAppForm->Table2->SetIndexFieldNames(QStringLiteral("Dogovor_id"));
    LogoAppForm->Table2->Open();
    Edit1->setText(LogoAppForm->OrganisationName());
    KliId = LogoAppForm->SvoyKlientId;
    OrgInn = LogoAppForm->SvoyInn;
    OrgAdress = LogoAppForm->SvoyAdress;
    BitBtn1Click();
    Dog->Last();
    DBGrid1->setFocus();
}

void TSpDogov::BitBtn1Click() {
    // The card's stages follow the contract listed; open, they are read again.
    if (KartDog && KartDog->Prim->Active()) {
        KartDog->Prim->Close();
        KartDog->Prim->Open();
    }
    Dog->Close();
    Dog->ParamByName(QStringLiteral("datv"))->SetAsDate(DatV->Date());
    Dog->ParamByName(QStringLiteral("dati"))->SetAsDate(DatI->Date());
    Dog->ParamByName(QStringLiteral("org"))->SetAsFloat(KliId);
    Dog->ParamByName(QStringLiteral("nam"))->SetAsString(NameFilterPattern(Edit2->text()));
    Dog->Open();
}

// The chosen organisation's INN and address stay with the register (for the texts
// of its contracts): the main window's own organisation is left as it is.
void TSpDogov::SpeedButton1Click() {
    SlPoluch->SetCaption(QStringLiteral("Организация"));
    SlPoluch->KlientGroup = QStringLiteral("T");
    ShowModal(SlPoluch);
    if (!SlPoluch->OkPressed) return;
    TTable *klient = SlPoluch->Klient;
    Edit1->setText(klient->FieldByName(QStringLiteral("FullName"))->AsString());
    KliId = klient->FieldByName(QStringLiteral("Klient_id"))->AsFloat();
    OrgInn = klient->FieldByName(QStringLiteral("Inn"))->AsString();
    OrgAdress = klient->FieldByName(QStringLiteral("Adress"))->AsString();
    BitBtn1Click();
}

void TSpDogov::SpeedButton2Click() {
    SlPoluch->SetCaption(QStringLiteral("Партнер"));
    SlPoluch->KlientGroup = QStringLiteral("F");
    ShowModal(SlPoluch);
    if (!SlPoluch->OkPressed) return;
    Edit2->setText(SlPoluch->Klient->FieldByName(QStringLiteral("FullName"))->AsString());
    BitBtn1Click();
}

double TSpDogov::NewContract() {
    Dog->Append();
    Dog->FieldByName(QStringLiteral("Organ_id"))->SetAsFloat(KliId);
    // Joined to the own organisation's row until a partner is chosen, so a contract
    // left without one is still listed.
    Dog->FieldByName(QStringLiteral("Klient_id"))->SetAsFloat(KliId);
    Dog->FieldByName(QStringLiteral("DateDog"))->SetAsDate(Clock::today());
    Dog->FieldByName(QStringLiteral("FlClose"))->SetAsBoolean(false);
    // The card works on exactly this contract, whatever the filter would list.
    const double key = StoreNewRow(Dog, QStringLiteral("Dogovor_id"),
                                   QStringLiteral("Новый договор записан, но не найден в списке"));
    Dog->Edit();
    Dog->FieldByName(QStringLiteral("Klient_id"))->SetAsFloat(0);
    Dog->FieldByName(QStringLiteral("FullName"))->Clear();
    return key;
}

void TSpDogov::BitBtn2Click() {
    if (Dog->Active() && !Dog->IsEmpty()) ShowModal(KartDog);
    DBGrid1->setFocus();
}

// The card opens on the contract just stored, with OK disabled until a partner is
// chosen; leaving it without OK deletes the contract again. Without an own
// organisation no contract is stored.
void TSpDogov::BitBtn3Click() {
    if (OwnOrganisationChosen(KliId)) {
        NewContract();
        KartDog->IsNewDog = true;
        KartDog->BitBtn1->setEnabled(false);
        ShowModal(KartDog);
    }
    DBGrid1->setFocus();
}

void TSpDogov::BitBtn4Click() {
    if (Dog->Active() && !Dog->IsEmpty()) {
        const QString question = QStringLiteral("Удалить договор № ") +
                                 Dog->FieldByName(QStringLiteral("NumbDog"))->AsString() +
                                 QStringLiteral(" ?");
        if (MessageDlg(question, mtConfirmation, mbYesNo) == mrYes) {
            Dog->Delete();
            ApplyCachedUpdates(Dog);
        }
    }
    DBGrid1->setFocus();
}

void TSpDogov::BitBtn5Click() {
    Close();
}

void TSpDogov::DBGrid1KeyDown(int &Key) {
    switch (Key) {
    case Qt::Key_F4:
        BitBtn2Click();
        break;
    case Qt::Key_F6:
        BitBtn3Click();
        break;
    case Qt::Key_F8:
        BitBtn4Click();
        break;
    case Qt::Key_F10:
        BitBtn5Click();
        break;
    default:
        return;
    }
    Key = 0;
}

void TSpDogov::FormClose() {
    LogoAppForm->Table2->Close();
    LogoAppForm->Table2->SetIndexFieldNames(QString());
    Dog->Close();
}
