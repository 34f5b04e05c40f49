#include "refbooks/USlPoluch.h"

#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "refbooks/UKartKli.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TSlPoluch *SlPoluch = nullptr;

TSlPoluch::TSlPoluch(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("SlPoluch"));

    Klient = new TTable(this, QStringLiteral("Klient.DB"));
    Klient->setObjectName(QStringLiteral("Klient"));
    KlientKlient_id = Klient->AddField(QStringLiteral("Klient_id"), TFieldType::ftAutoInc);
    KlientName = Klient->AddField(QStringLiteral("Name"), TFieldType::ftString, 30);
    KlientFullName = Klient->AddField(QStringLiteral("FullName"), TFieldType::ftString, 150);
    KlientAdress = Klient->AddField(QStringLiteral("Adress"), TFieldType::ftString, 150);
    KlientTelephon = Klient->AddField(QStringLiteral("Telephon"), TFieldType::ftString, 20);
    KlientCyti = Klient->AddField(QStringLiteral("Cyti"), TFieldType::ftString, 50);
    KlientInn = Klient->AddField(QStringLiteral("Inn"), TFieldType::ftString, 15);
    KlientOkonx = Klient->AddField(QStringLiteral("Okonx"), TFieldType::ftString, 15);
    KlientOkpo = Klient->AddField(QStringLiteral("Okpo"), TFieldType::ftString, 15);
    KlientFlSvoy = Klient->AddField(QStringLiteral("FlSvoy"), TFieldType::ftString, 1);
    DataSource1 = new TDataSource(this, Klient);

    DBGrid1 = new TDBGrid(this, DataSource1);
    DBGrid1->AddColumn(QStringLiteral("Name"), QStringLiteral("Наименование"), 260);
    DBGrid1->SetReadOnly(true);
    Edit1 = new TEdit(this, KlientName->Size());
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn3 = new QPushButton(QStringLiteral("Редактировать"), this);
    BitBtn4 = new QPushButton(QStringLiteral("Добавить"), this);
    BitBtn5 = new QPushButton(QStringLiteral("Удалить"), this);
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5})
        b->setAutoDefault(false);

    auto *search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("Поиск"), this));
    search->addWidget(Edit1);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *layout = new QGridLayout(this);
    layout->addLayout(search, 0, 0);
    layout->addWidget(DBGrid1, 1, 0);
    layout->addLayout(buttons, 1, 1);
    resize(420, 400);

    OnKeyPress(DBGrid1, [this](QChar &Key) { DBGrid1KeyPress(Key); });
    OnKeyDown(DBGrid1, [this](int &Key, Qt::KeyboardModifiers) { DBGrid1KeyDown(Key); });
    Connect(DBGrid1, &TDBGrid::dblClick, [this] { BitBtn1Click(); });
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    SetModalResult(BitBtn2, mrCancel);
    SetCancelButton(BitBtn2);
    OnClick(BitBtn3, [this] { BitBtn3Click(); });
    OnClick(BitBtn4, [this] { BitBtn4Click(); });
    OnClick(BitBtn5, [this] { BitBtn5Click(); });
}

TSlPoluch::~TSlPoluch() {
    if (SlPoluch == this) SlPoluch = nullptr;
}

void SetKlientGroup(const QString &g) {
    TTable *klient = SlPoluch->Klient;
    klient->Close();
    klient->SetIndexName(QStringLiteral("Nam"));
    klient->Open();
    // Exactly the one group letter: a row of any other letter belongs to neither list.
    klient->SetRange({g}, {g});
    klient->First();
}

// ---- Handlers -------------------------------------------------------------------

void TSlPoluch::FormShow() {
    OkPressed = false;
    SetKlientGroup(KlientGroup);
    DBGrid1->setFocus();
    Klient->First();
}

// Typing in the list searches by the name: letters and the digits 1 to 9 extend the
// search text, Backspace shortens it, and every key repeats the search.
void TSlPoluch::DBGrid1KeyPress(QChar &Key) {
    const ushort code = Key.unicode();
    if (code >= '1') {
        Edit1->setText(Edit1->text() + Key);
    } else if (code == 8) {
        QString text = Edit1->text();
        text.chop(1);
        Edit1->setText(text);
    } else if (code < ' ') {
        return; // Tab, Esc and the like keep their usual meaning
    }
    Klient->FindNearest({KlientGroup, Edit1->text()});
    Key = QChar(); // the list does not search by itself
}

void TSlPoluch::DBGrid1KeyDown(int &Key) {
    if (Key == Qt::Key_Return) {
        Key = 0;
        BitBtn1Click();
    }
}

void TSlPoluch::BitBtn1Click() {
    OkPressed = true;
    SetModalResult(mrOk);
}

void TSlPoluch::BitBtn3Click() {
    if (Klient->IsEmpty()) return;
    EditInClientCard();
}

void TSlPoluch::BitBtn4Click() {
    Klient->Append();
    KlientFlSvoy->SetAsString(KlientGroup);
    EditInClientCard();
}

void TSlPoluch::BitBtn5Click() {
    // Nothing to delete in an empty list: no question.
    if (Klient->IsEmpty()) return;
    if (MessageDlg(QStringLiteral("Удалить организацию ?"), mtConfirmation, mbYesNo) == mrYes)
        Klient->Delete();
}

// The client card edits the current row (a new one after "Добавить"): its OK saves the
// row, its Cancel drops it.
void TSlPoluch::EditInClientCard() {
    ShowModal(KartKli);
}

void TSlPoluch::FormClose() {
    if (Klient->State() == TDataSetState::dsEdit || Klient->State() == TDataSetState::dsInsert)
        Klient->Cancel();
}

bool LocateKlientForInn(const QString &name, const QString &inn) {
    TTable *klient = SlPoluch->Klient;
    klient->CancelRange();
    if (!name.isEmpty() || inn.trimmed().isEmpty()) return false;
    return klient->Locate(QStringLiteral("Inn"), inn);
}

// The meta-object code of this module compiles with it, so using the module links
// nothing of modules still being written.
#include "moc_USlPoluch.cpp"
