#include "refbooks/UAllBank.h"

#include "app/UConfig.h"
#include "controls/DBGrid.h"
#include "controls/Dialogs.h"
#include "refbooks/PickerLayout.h"

TAllBank *AllBank = nullptr;

namespace {

// The setting AppBank, read at the moment a bank name is made, so a change in the
// settings dialog counts at once. A logical setting reads as "True" or "False".
bool AppBankSetting() {
    return SettingText(QStringLiteral("AppBank")) == QStringLiteral("True");
}

} // namespace

TAllBank::TAllBank(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("AllBank"));
    SetCaption(QStringLiteral("AllBank"));

    Table1 = new TTable(this, QStringLiteral("Bnkseek.db"));
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->ReadOnly = true;
    Table1Bnkseek_id = Table1->AddField(QStringLiteral("Bnkseek_id"), TFieldType::ftAutoInc);
    Table1NNP = Table1->AddField(QStringLiteral("NNP"), TFieldType::ftString, 25);
    Table1NAMEP = Table1->AddField(QStringLiteral("NAMEP"), TFieldType::ftString, 40);
    Table1NameN = Table1->AddField(QStringLiteral("NameN"), TFieldType::ftString, 40);
    Table1NEWNUM = Table1->AddField(QStringLiteral("NEWNUM"), TFieldType::ftString, 9);
    Table1KSNP = Table1->AddField(QStringLiteral("KSNP"), TFieldType::ftString, 20);
    Table1NamePr = Table1->AddField(QStringLiteral("NamePr"), TFieldType::ftString, 10);
    DataSource1 = new TDataSource(this, Table1);

    DBGrid1 = new TDBGrid(this, DataSource1);
    DBGrid1->SetReadOnly(true);
    DBGrid1->AddColumn(QStringLiteral("NNP"), QStringLiteral("Город"), 140);
    DBGrid1->AddColumn(QStringLiteral("NAMEP"), QStringLiteral("Название"), 240);
    DBGrid1->AddColumn(QStringLiteral("NEWNUM"), QStringLiteral("БИК"), 80);
    DBGrid1->AddColumn(QStringLiteral("KSNP"), QStringLiteral("Счет"), 150);

    const TPickerButtons buttons = LayOutPicker(this, DBGrid1);
    BitBtn1 = buttons.Ok;
    BitBtn2 = buttons.Cancel;
    resize(sizeHint().width(), 420); // every column in view
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    ChooseOnDoubleClick(this, DBGrid1, [this] { BitBtn1Click(); });
}

bool TAllBank::LocateBik(const QString &bik) {
    return Table1->Locate(QStringLiteral("NEWNUM"), bik);
}

QString TAllBank::BankText() const {
    QString text = Table1NamePr->AsString() + QLatin1Char(' ') + Table1NAMEP->AsString();
    if (AppBankSetting()) text += QStringLiteral(" г.") + Table1NNP->AsString();
    return text;
}

void TAllBank::FormShow() {
    OkPressed = false;
    DBGrid1->setFocus();
}

// OK on an empty directory (the program ships none) chooses nothing.
void TAllBank::BitBtn1Click() {
    OkPressed = !Table1->IsEmpty();
}

void CompleteBankByBik(TDataSet *row, const QString &bikField, const QString &bankField,
                       const QString &korAccountField) {
    if (!AllBank->LocateBik(row->FieldByName(bikField)->AsString())) {
        MessageDlg(QStringLiteral("Проверте БИК банка!"), mtError, mbOK);
        return;
    }
    row->Edit();
    TField *bank = row->FieldByName(bankField);
    if (bank->AsString().isEmpty()) bank->SetAsString(AllBank->BankText());
    row->FieldByName(korAccountField)->SetAsString(AllBank->Table1KSNP->AsString());
}
