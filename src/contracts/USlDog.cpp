#include "contracts/USlDog.h"

#include "app/LogoMain.h"
#include "contracts/UKartDog.h"
#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "db/Table.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TSlDog *SlDog = nullptr;

namespace {

// A contract whose closed flag was never set is open: the flag reads False, so the
// query must not lose such rows by comparing a blank with False. Listed by date, then
// number, so the partner's latest contract is found at the end.
const QStringList DogSQL = {
    QStringLiteral("select * from Dogovor"),
    QStringLiteral("Where (Klient_id = :kli or :kli = 0)"),
    QStringLiteral("and coalesce(FlClose, 0) = :Fl"),
    QStringLiteral("order by DateDog, NumbDog"),
};

} // namespace

TSlDog::TSlDog(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("SlDog"));
    SetCaption(QStringLiteral("Договора"));

    Dog = new TQuery(this);
    Dog->setObjectName(QStringLiteral("Dog"));
    Dog->SetSQL(DogSQL);
    Dog->ParamByName(QStringLiteral("kli"))->SetDataType(TFieldType::ftFloat);
    Dog->ParamByName(QStringLiteral("Fl"))->SetDataType(TFieldType::ftBoolean);
    Dog->ReadOnly = true;
    DSDog = new TDataSource(this, Dog);

    DBGrid1 = new TDBGrid(this, DSDog);
    DBGrid1->SetReadOnly(true);
    DBGrid1->AddColumn(QStringLiteral("DateDog"), QStringLiteral("Дата"), 80);
    DBGrid1->AddColumn(QStringLiteral("NumbDog"), QStringLiteral("Номер"), 110);
    DBGrid1->AddColumn(QStringLiteral("NameDog"), QStringLiteral("Название"), 300);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), this);
    SetDefaultButton(BitBtn1);
    SetCancelButton(BitBtn2);
    SetModalResult(BitBtn2, mrCancel);

    auto *buttons = ButtonRow({BitBtn1, BitBtn2});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);
    resize(sizeHint().width(), 360); // every column in view

    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    Connect(DBGrid1, &TDBGrid::dblClick, [this] { BitBtn1Click(); });
}

void TSlDog::FormShow() {
    DogId = 0;
    Dog->Close();
    Dog->ParamByName(QStringLiteral("kli"))->SetAsFloat(PartnerId);
    Dog->ParamByName(QStringLiteral("Fl"))->SetAsBoolean(false);
    Dog->Open();
    DBGrid1->setFocus();
}

void TSlDog::BitBtn1Click() {
    // An empty list answers like the cancel button.
    DogId = Dog->IsEmpty() ? 0 : Dog->FieldByName(QStringLiteral("Dogovor_id"))->AsFloat();
    DogNumb = Dog->FieldByName(QStringLiteral("NumbDog"))->AsString();
    SetModalResult(mrOk);
}

QString ContractNumber(double dogovorId) {
    if (dogovorId == 0) return QString();
    if (KartDog && KartDog->isVisible() && KartDog->ContractKey() == dogovorId)
        return KartDog->ContractNumber();
    TTable *contracts = LogoAppForm ? LogoAppForm->Table2 : nullptr;
    if (contracts && contracts->Active() && contracts->Locate(QStringLiteral("Dogovor_id"), dogovorId))
        return contracts->FieldByName(QStringLiteral("NumbDog"))->AsString();
    return QString();
}

void PickContractFor(TDataSet *row, const QString &partnerField, QLineEdit *numberBox) {
    SlDog->PartnerId = row->FieldByName(partnerField)->AsFloat();
    ShowModal(SlDog);
    if (SlDog->DogId == 0) return;
    row->Edit();
    row->FieldByName(QStringLiteral("Dogovor_id"))->SetAsFloat(SlDog->DogId);
    numberBox->setText(SlDog->DogNumb);
}

void UnlinkContractIfCleared(TDataSet *row, const QLineEdit *numberBox) {
    if (!numberBox->isModified() || !numberBox->text().isEmpty()) return;
    TField *dogovor = row->FieldByName(QStringLiteral("Dogovor_id"));
    if (dogovor->AsFloat() == 0) return;
    row->Edit();
    dogovor->SetAsFloat(0);
}
