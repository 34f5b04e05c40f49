#include "refbooks/UKartKli.h"

#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "refbooks/UAllBank.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TKartKli *KartKli = nullptr;

namespace {

bool HoldsChange(const TDataSet *dataSet) {
    return dataSet->State() == TDataSetState::dsEdit || dataSet->State() == TDataSetState::dsInsert;
}

double ClientId() {
    return SlPoluch->Klient->FieldByName(QStringLiteral("Klient_id"))->AsFloat();
}

} // namespace

TKartKli::TKartKli(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("KartKli"));
    SetCaption(QStringLiteral("Клиент"));

    TDataSource *client = SlPoluch->DataSource1;
    EditName = new TDBEdit(this, client, QStringLiteral("Name"));
    EditFullName = new TDBMemo(this, client, QStringLiteral("FullName"));
    EditAdress = new TDBMemo(this, client, QStringLiteral("Adress"));
    EditFullName->SetWantReturns(false);
    EditAdress->SetWantReturns(false);
    EditTelephon = new TDBEdit(this, client, QStringLiteral("Telephon"));
    EditCyti = new TDBEdit(this, client, QStringLiteral("Cyti"));
    EditInn = new TDBEdit(this, client, QStringLiteral("Inn"));
    EditOkonx = new TDBEdit(this, client, QStringLiteral("Okonx"));
    EditOkpo = new TDBEdit(this, client, QStringLiteral("Okpo"));
    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Название для поиска"), EditName);
    fields->addRow(QStringLiteral("Полное название"), EditFullName);
    fields->addRow(QStringLiteral("Адрес"), EditAdress);
    fields->addRow(QStringLiteral("Телефон"), EditTelephon);
    fields->addRow(QStringLiteral("Город"), EditCyti);
    fields->addRow(QStringLiteral("ИНН"), EditInn);
    fields->addRow(QStringLiteral("ОКОНХ"), EditOkonx);
    fields->addRow(QStringLiteral("ОКПО"), EditOkpo);

    DBGrid1 = new TDBGrid(this, SlBankP->DataSource1);
    TSlBankP::AddAccountColumns(DBGrid1);
    DBGrid1->installEventFilter(this);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), this);
    BitBtn3 = new QPushButton(QStringLiteral("Банки"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn3);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);
    resize(sizeHint().width(), 560);

    SetModalResult(BitBtn1, mrOk);
    SetModalResult(BitBtn2, mrCancel);
    SetCancelButton(BitBtn2);
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(BitBtn3, [this] { BitBtn3Click(); });
    Connect(DBGrid1, &TDBGrid::editButtonClick, [this] { BitBtn3Click(); });
}

void TKartKli::FormShow() {
    // A client not stored yet has no key, and so no accounts until it is stored.
    SlBankP->KlientId = ClientId();
    SelectClientBanks(SlBankP->KlientId);
    SlBankP->RekvPol->First();
    EditFullName->setFocus();
}

bool TKartKli::eventFilter(QObject *watched, QEvent *event) {
    if (watched == DBGrid1 && event->type() == QEvent::FocusIn) Guarded([this] { DBGrid1Enter(); });
    return TForm::eventFilter(watched, event);
}

// Accounts are stamped with their owner's key, so the client is stored before
// the user can add one.
void TKartKli::DBGrid1Enter() {
    StoreClient();
}

// Stores a pending change of the client. A new client gets its key here, and
// its account list is reopened under that key, so the accounts added now stay
// listed.
void TKartKli::StoreClient() {
    TTable *Klient = SlPoluch->Klient;
    const bool stored = Klient->State() != TDataSetState::dsInsert;
    if (HoldsChange(Klient)) Klient->Post();
    SlBankP->KlientId = ClientId();
    if (!stored) SelectClientBanks(SlBankP->KlientId);
}

void TKartKli::BitBtn3Click() {
    ShowModal(AllBank);
    if (!AllBank->OkPressed) return;
    StoreClient();
    SlBankP->TakeBankFromDirectory();
}

void TKartKli::BitBtn1Click() {
    TTable *Klient = SlPoluch->Klient;
    if (HoldsChange(Klient)) {
        Klient->FieldByName(QStringLiteral("FlSvoy"))->SetAsString(SlPoluch->KlientGroup);
        Klient->Post();
    }
    SlBankP->RekvPol->CheckBrowseMode();
}

// Whatever is still unposted when the card closes is dropped: after OK nothing
// is, after Cancel or the close box the client's edits (and a client being
// added) go, while accounts already posted in the grid stay.
void TKartKli::FormClose() {
    SlPoluch->Klient->Cancel();
    SlBankP->RekvPol->Cancel();
}

// The meta-object code compiles with this module, so the library links without it
// wherever the card is not used.
#include "moc_UKartKli.cpp"
