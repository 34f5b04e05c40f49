#include "refbooks/USlBankP.h"

#include "controls/DBGrid.h"
#include "refbooks/PickerLayout.h"
#include "refbooks/UAllBank.h"

TSlBankP *SlBankP = nullptr;

void SelectClientBanks(double id) {
    TTable *RekvPol = SlBankP->RekvPol;
    RekvPol->Close();
    RekvPol->Open();
    if (id == 0)
        RekvPol->SetRange({1.0}, {0.0}); // starts above its end: holds no row
    else
        RekvPol->SetRange({id}, {id + 0.5});
}

TSlBankP::TSlBankP(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("SlBankP"));
    SetCaption(QStringLiteral("Банки"));
    SetHelpContext(9);

    RekvPol = new TTable(this, QStringLiteral("Bank.db"));
    RekvPol->setObjectName(QStringLiteral("RekvPol"));
    RekvPol->SetIndexName(QStringLiteral("Klient"));
    RekvPolBank_id = RekvPol->AddField(QStringLiteral("Bank_id"), TFieldType::ftAutoInc);
    RekvPolKlient_id = RekvPol->AddField(QStringLiteral("Klient_id"), TFieldType::ftFloat);
    RekvPolNameBank = RekvPol->AddField(QStringLiteral("NameBank"), TFieldType::ftString, 100);
    RekvPolSchet = RekvPol->AddField(QStringLiteral("Schet"), TFieldType::ftString, 30);
    RekvPolKorSchet = RekvPol->AddField(QStringLiteral("KorSchet"), TFieldType::ftString, 30);
    RekvPolBik = RekvPol->AddField(QStringLiteral("Bik"), TFieldType::ftString, 30);
    // The owner is stamped as the row is begun, not as a change: a new row the user
    // leaves untouched is dropped instead of being stored as an empty account (which
    // would become the owner's default account).
    RekvPol->OnNewRecord = [this](TDataSet *) { RekvPolNewRecord(); };
    RekvPolBik->OnValidate = [this](TField *Sender) { RekvPolBikValidate(Sender); };
    // An account belongs to someone: one without an owner would be nobody's default
    // account and could never be listed again.
    RekvPol->BeforePost = [this](TDataSet *) {
        if (RekvPolKlient_id->AsFloat() == 0)
            throw EDatabaseError(
                QStringLiteral("Счет не записан: не выбрана организация, которой он принадлежит"));
    };
    DataSource1 = new TDataSource(this, RekvPol);

    DBGrid1 = new TDBGrid(this, DataSource1);
    AddAccountColumns(DBGrid1);

    const TPickerButtons buttons = LayOutPicker(this, DBGrid1);
    BitBtn1 = buttons.Ok;
    BitBtn2 = buttons.Cancel;
    resize(sizeHint().width(), 300); // every column in view
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    Connect(DBGrid1, &TDBGrid::editButtonClick, [this] { DBGrid1EditButtonClick(); });
}

void TSlBankP::AddAccountColumns(TDBGrid *grid) {
    grid->AddColumn(QStringLiteral("Bik"), QStringLiteral("БИК"), 90);
    grid->AddColumn(QStringLiteral("NameBank"), QStringLiteral("Наименование"), 250)->SetEllipsis(true);
    grid->AddColumn(QStringLiteral("Schet"), QStringLiteral("Счет"), 160);
    grid->AddColumn(QStringLiteral("KorSchet"), QStringLiteral("Кор. счет"), 160);
}

void TSlBankP::FormShow() {
    SelectClientBanks(KlientId);
    RekvPol->First();
    OkPressed = false;
    // No owner (a recipient typed by hand): nothing to list and nothing to add to.
    DBGrid1->SetReadOnly(KlientId == 0);
    DBGrid1->setFocus();
}

void TSlBankP::RekvPolNewRecord() {
    RekvPolKlient_id->SetAsFloat(KlientId);
}

// Runs for every BIK written, typed or set by code. A BIK of the directory brings the
// bank's name and correspondent account; any other is kept as typed after a warning.
void TSlBankP::RekvPolBikValidate(TField *Sender) {
    if (!AllBank->LocateBik(Sender->AsString())) {
        MessageDlg(QStringLiteral("Проверте БИК Вашего банка!"), mtError, mbOK);
        return;
    }
    RekvPolNameBank->SetAsString(AllBank->BankText());
    RekvPolKorSchet->SetAsString(AllBank->Table1KSNP->AsString());
}

void TSlBankP::DBGrid1EditButtonClick() {
    ShowModal(AllBank);
    if (!AllBank->OkPressed) return;
    TakeBankFromDirectory();
}

void TSlBankP::TakeBankFromDirectory() {
    RekvPol->Edit();
    RekvPolNameBank->SetAsString(AllBank->Table1NamePr->AsString() + QLatin1Char(' ') +
                                 AllBank->Table1NAMEP->AsString());
    RekvPolBik->SetAsString(AllBank->Table1NEWNUM->AsString()); // the name again, by the bank-text rule
    RekvPolKorSchet->SetAsString(AllBank->Table1KSNP->AsString());
    RekvPol->Post();
}

// OK on an empty list is no choice: the caller keeps the account it has.
void TSlBankP::BitBtn1Click() {
    RekvPol->CheckBrowseMode();
    OkPressed = !RekvPol->IsEmpty();
}
