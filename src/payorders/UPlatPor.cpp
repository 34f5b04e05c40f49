#include "payorders/UPlatPor.h"

#include "app/StrUtils.h"
#include "contracts/USlDog.h"
#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "db/Currency.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "db/Table.h"
#include "payorders/PaySettings.h"
#include "payorders/rep11.h"
#include "refbooks/Counterparty.h"
#include "refbooks/UAllBank.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

TPlatPor *PlatPor = nullptr;

TPlatPor::TPlatPor(TDataSource *source, QWidget *parent)
    : TForm(parent), DataSource1(source), Plat(source->DataSet()) {
    setObjectName(QStringLiteral("PlatPor"));
    SetCaption(QStringLiteral("Платежное поручение"));
    SetHelpContext(3);
    FirstArgument = QCoreApplication::arguments().value(1);

    // ---- Layout: the order's head, payer, recipient, purpose, commands -----------
    const auto edit = [this](const char *field) {
        return new TDBEdit(this, DataSource1, QString::fromLatin1(field));
    };
    const auto memo = [this](const char *field) {
        return new TDBMemo(this, DataSource1, QString::fromLatin1(field));
    };
    const auto label = [this](const char *text) { return new QLabel(QString::fromUtf8(text), this); };

    EditNUMBER = edit("NUMBER");
    DBEdit3 = edit("DopNumb");
    EditDATE = new TDBDateEdit(this, DataSource1, QStringLiteral("DATE_PLAT"));
    DBComboBox1 = new TDBComboBox(this, DataSource1, QStringLiteral("TYPE_PAY"));
    DBComboBox1->SetItems({QStringLiteral("почтой"), QStringLiteral("телеграфом"),
                           QStringLiteral("электронно"), QStringLiteral(" ")});
    auto *head = new QHBoxLayout;
    head->addWidget(label("Номер"));
    head->addWidget(EditNUMBER);
    head->addWidget(DBEdit3);
    head->addWidget(label("Дата"));
    head->addWidget(EditDATE);
    head->addWidget(label("Тип платежа"));
    head->addWidget(DBComboBox1);
    head->addStretch();

    auto *payer = new QGroupBox(QStringLiteral("Плательщик"), this);
    auto *pg = new QGridLayout(payer);
    DBEdit6 = edit("P_Inn");
    DBEdit6->SetReadOnly(true);
    DBMemo4 = memo("P_NAME");
    DBEdit1 = edit("SUMMA");
    EditP_ACCOUNT = edit("P_ACCOUNT");
    EditP_BANK_BIK = edit("P_BANK_BIK");
    EditP_BANK_ACC = edit("P_BANK_ACC");
    DBMemo1 = memo("P_BANK");
    SpeedButton1 = CommandButton(QStringLiteral("F2-Банки"), this);
    pg->addWidget(label("ИНН"), 0, 0);
    pg->addWidget(DBEdit6, 0, 1);
    pg->addWidget(label("Сумма"), 0, 2);
    pg->addWidget(DBEdit1, 0, 3);
    pg->addWidget(label("Название"), 1, 0);
    pg->addWidget(DBMemo4, 1, 1, 1, 3);
    pg->addWidget(label("р/с"), 2, 0);
    pg->addWidget(EditP_ACCOUNT, 2, 1);
    pg->addWidget(label("БИК"), 2, 2);
    pg->addWidget(EditP_BANK_BIK, 2, 3);
    pg->addWidget(label("К.счет"), 3, 0);
    pg->addWidget(EditP_BANK_ACC, 3, 1);
    pg->addWidget(SpeedButton1, 3, 3);
    pg->addWidget(label("Банк"), 4, 0);
    pg->addWidget(DBMemo1, 4, 1, 1, 3);

    auto *recipient = new QGroupBox(QStringLiteral("Получатель"), this);
    auto *rg = new QGridLayout(recipient);
    DBEdit7 = edit("R_Inn");
    DBMemo5 = memo("R_NAME");
    EditR_BANK_BIK = edit("R_BANK_BIK");
    EditR_BANK_ACC = edit("R_BANK_ACC");
    EditR_ACCOUNT = edit("R_ACCOUNT");
    DBMemo2 = memo("R_BANK");
    EditVID_PAY = edit("VID_PAY");
    DBEdit2 = new TDBDateEdit(this, DataSource1, QStringLiteral("SrokPlat"));
    ClearSrok = new QToolButton(this);
    ClearSrok->setText(QStringLiteral("X"));
    EditNAZ_PAY = edit("NAZ_PAY");
    DBEdit4 = edit("OcherPlat");
    EditCODE = edit("CODE");
    DBEdit5 = edit("ResPole");
    SpeedButton3 = CommandButton(QStringLiteral("F3-Получ."), this);
    SpeedButton2 = CommandButton(QStringLiteral("F4-Банки"), this);
    rg->addWidget(label("ИНН"), 0, 0);
    rg->addWidget(DBEdit7, 0, 1);
    rg->addWidget(SpeedButton3, 0, 3);
    rg->addWidget(label("Название"), 1, 0);
    rg->addWidget(DBMemo5, 1, 1, 1, 3);
    rg->addWidget(label("БИК"), 2, 0);
    rg->addWidget(EditR_BANK_BIK, 2, 1);
    rg->addWidget(label("К.счет"), 2, 2);
    rg->addWidget(EditR_BANK_ACC, 2, 3);
    rg->addWidget(label("р/с"), 3, 0);
    rg->addWidget(EditR_ACCOUNT, 3, 1);
    rg->addWidget(SpeedButton2, 3, 3);
    rg->addWidget(label("Банк"), 4, 0);
    rg->addWidget(DBMemo2, 4, 1, 1, 3);
    auto *codes = new QGridLayout;
    codes->addWidget(label("Вид оп."), 0, 0);
    codes->addWidget(EditVID_PAY, 0, 1);
    codes->addWidget(label("Срок плат."), 0, 2);
    codes->addWidget(DBEdit2, 0, 3);
    codes->addWidget(ClearSrok, 0, 4);
    codes->addWidget(label("Наз.пл."), 1, 0);
    codes->addWidget(EditNAZ_PAY, 1, 1);
    codes->addWidget(label("Очер.плат."), 1, 2);
    codes->addWidget(DBEdit4, 1, 3);
    codes->addWidget(label("Код"), 2, 0);
    codes->addWidget(EditCODE, 2, 1);
    codes->addWidget(label("Рез. поле"), 2, 2);
    codes->addWidget(DBEdit5, 2, 3);
    rg->addLayout(codes, 5, 0, 1, 4);

    DBMemo3 = memo("REMARK");
    SpeedButton8 = CommandButton(QStringLiteral("в т.ч. НДС"), this);
    Edit1 = new TEdit(this, TextSizeOf(QStringLiteral("Dogovor"), QStringLiteral("NumbDog")));
    SpeedButton4 = DictionaryButton(this);
    auto *purpose = new QGridLayout;
    purpose->addWidget(label("Примечание"), 0, 0);
    purpose->addWidget(DBMemo3, 0, 1, 1, 3);
    purpose->addWidget(SpeedButton8, 0, 4);
    purpose->addWidget(label("Договор"), 1, 0);
    purpose->addWidget(Edit1, 1, 1);
    purpose->addWidget(SpeedButton4, 1, 2);

    BitBtn4 = CommandButton(QStringLiteral("Печать ордера"), this);
    BitBtn3 = CommandButton(QStringLiteral("F5-Печать"), this);
    BitBtn1 = CommandButton(QStringLiteral("F10-Выход"), this);
    BitBtn2 = CommandButton(QStringLiteral("Cancel"), this);
    CheckBox1 = new QCheckBox(QStringLiteral("Прошло через банк"), this);
    auto *commands = new QHBoxLayout;
    commands->addWidget(CheckBox1);
    commands->addStretch();
    commands->addWidget(BitBtn4);
    commands->addWidget(BitBtn3);
    commands->addWidget(BitBtn1);
    commands->addWidget(BitBtn2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(head);
    auto *blocks = new QHBoxLayout;
    blocks->addWidget(payer);
    blocks->addWidget(recipient);
    layout->addLayout(blocks);
    layout->addLayout(purpose);
    layout->addLayout(commands);

    // Tab order as the boxes are listed.
    const QList<QWidget *> order{
        EditNUMBER,     DBEdit3,        EditDATE,       DBComboBox1, DBEdit6,      DBMemo4,      DBEdit1,
        EditP_ACCOUNT,  EditP_BANK_BIK, EditP_BANK_ACC, DBMemo1,     SpeedButton1, DBEdit7,      DBMemo5,
        EditR_BANK_BIK, EditR_BANK_ACC, EditR_ACCOUNT,  DBMemo2,     EditVID_PAY,  DBEdit2,      ClearSrok,
        EditNAZ_PAY,    DBEdit4,        EditCODE,       DBEdit5,     SpeedButton3, SpeedButton2, DBMemo3,
        SpeedButton8,   Edit1,          SpeedButton4,   BitBtn4,     CheckBox1};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // ---- Handlers -----------------------------------------------------------------
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(BitBtn2, [this] { BitBtn2Click(); });
    SetDropsBadInput(BitBtn2); // a date that does not convert does not hold "Cancel" up
    OnClick(BitBtn3, [this] { BitBtn3Click(); });
    OnClick(BitBtn4, [this] { BitBtn4Click(); });
    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton3, [this] { SpeedButton3Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton4, [this] { SpeedButton4Click(); });
    OnClick(SpeedButton8, [this] { SpeedButton8Click(); });
    OnClick(ClearSrok, [this] { ClearSrokClick(); });
    OnClick(CheckBox1, [this] { CheckBox1Click(); });
    // The exits of the INN, BIK and contract boxes: the focus moved on within the form
    // (not to a message box or another window), after the box wrote what was typed.
    QObject::connect(qApp, &QApplication::focusChanged, this,
                     guarded([this](QWidget *from, QWidget *to) { focusMoved(from, to); }));
}

TPlatPor::~TPlatPor() {
    if (PlatPor == this) PlatPor = nullptr;
}

// ---- Showing and leaving ------------------------------------------------------------

void TPlatPor::FormShow() {
    EditNUMBER->setFocus();
    BitBtn4->setVisible(FirstArgument == QStringLiteral("1"));
    // Set, not typed: the box counts as edited only once the user changes it.
    Edit1->setText(ContractNumber(Plat->FieldByName(QStringLiteral("Dogovor_id"))->AsFloat()));
    CheckBox1->setChecked(Plat->FieldByName(QStringLiteral("FlYes"))->AsBoolean());
}

// Whatever was not saved is dropped: an appended order never saved disappears, and a
// save that failed half-way leaves nothing waiting in the register's cache.
void TPlatPor::FormClose() {
    if (!Plat->Active()) return;
    if (Plat->State() == TDataSetState::dsEdit || Plat->State() == TDataSetState::dsInsert) Plat->Cancel();
    if (m_postedNotWritten) Plat->CancelUpdates();
    m_postedNotWritten = false;
}

void TPlatPor::FormKeyDown(int &Key, Qt::KeyboardModifiers) {
    switch (Key) {
    case Qt::Key_F10:
        BitBtn1Click();
        break;
    case Qt::Key_Escape:
        EditNUMBERKeyDown();
        break;
    case Qt::Key_F5:
        BitBtn3Click();
        break;
    case Qt::Key_F2:
        SpeedButton1Click();
        break;
    case Qt::Key_F3:
        SpeedButton3Click();
        break;
    case Qt::Key_F4:
        SpeedButton2Click();
        break;
    default:
        return;
    }
    Key = 0;
}

// Changes since the last post, or a posted order a failed save left unwritten.
bool TPlatPor::hasChanges() const {
    return Plat->Modified() || m_postedNotWritten;
}

// ---- Save ------------------------------------------------------------------------------

// The order, a new recipient and a new account are written together or not at all.
// The amount is stored rounded to kopecks, so the figure and the words printed from
// it agree.
void TPlatPor::BitBtn1Click() {
    Plat->UpdateRecord();
    TField *summa = Plat->FieldByName(QStringLiteral("SUMMA"));
    const QString payer = Plat->FieldByName(QStringLiteral("P_NAME"))->AsString().trimmed();
    const QString recipient = Plat->FieldByName(QStringLiteral("R_NAME"))->AsString();
    const double amount = Okrugl(summa->AsFloat());
    if (!payer.isEmpty() && !recipient.isEmpty() && amount > 0) {
        if (hasChanges()) {
            TTransaction transaction;
            upsertRecipient();
            if (amount != summa->AsFloat()) {
                Plat->Edit();
                summa->SetAsFloat(amount);
            }
            // Posted, the order waits in the register's cache until it is written.
            if (Plat->State() != TDataSetState::dsBrowse) Plat->Post();
            m_postedNotWritten = true;
            Plat->ApplyUpdates();
            Plat->CommitUpdates();
            transaction.Commit();
            m_postedNotWritten = false;
        }
        Close();
        return;
    }
    // Without an own organisation a new order has no payer: no bank takes it.
    if (payer.isEmpty()) MessageDlg(QStringLiteral("Не заполнено название плательщика"), mtError, mbOK);
    if (recipient.isEmpty()) MessageDlg(QStringLiteral("Не заполнено название получателя"), mtError, mbOK);
    // A negative amount (or one that rounds to nothing) is refused the same way as an
    // empty one, so the user learns why the order was not saved.
    if (amount <= 0) MessageDlg(QStringLiteral("Не заполнена сумма"), mtError, mbOK);
}

// A recipient not yet in the reference books is added as a partner with its account;
// a known one gets the order's account when it has not got it yet. The account is
// written exactly as the order names it: the directory is not consulted.
void TPlatPor::upsertRecipient() {
    const auto text = [this](const char *field) {
        return Plat->FieldByName(QString::fromLatin1(field))->AsString();
    };
    TCounterparty recipient;
    recipient.Name = text("R_NAME");
    recipient.Inn = text("R_Inn");
    recipient.Schet = text("R_ACCOUNT");
    recipient.NameBank = text("R_BANK");
    recipient.KorSchet = text("R_BANK_ACC");
    recipient.Bik = text("R_BANK_BIK");
    RememberCounterparty(recipient);
}

void TPlatPor::EditNUMBERKeyDown() {
    Plat->UpdateRecord();
    if (!hasChanges()) {
        Plat->Cancel();
        Close();
        return;
    }
    AskToSave(
        QStringLiteral("Записать платежное поручение?"), [this] { BitBtn1Click(); },
        [this] { BitBtn2Click(); });
}

void TPlatPor::BitBtn2Click() {
    Plat->Cancel();
    Close();
}

// ---- Printing --------------------------------------------------------------------------

void TPlatPor::BitBtn3Click() {
    Plat->UpdateRecord();
    PRINT_PAY->PrintMission(Plat);
}

void TPlatPor::BitBtn4Click() {
    Plat->UpdateRecord();
    PRINT_PAY->PrintPlatOrder(Plat);
}

// ---- Pickers ---------------------------------------------------------------------------

namespace {

// The current account of the accounts picker into the payer's ("P_") or recipient's
// ("R_") block.
void takeAccount(TDataSet *Plat, const QString &block) {
    TTable *RekvPol = SlBankP->RekvPol;
    const auto set = [&](const char *field, const char *from) {
        Plat->FieldByName(block + QString::fromLatin1(field))
            ->SetAsString(RekvPol->FieldByName(QString::fromLatin1(from))->AsString());
    };
    Plat->Edit();
    set("ACCOUNT", "Schet");
    set("BANK", "NameBank");
    set("BANK_ACC", "KorSchet");
    set("BANK_BIK", "Bik");
}

// The recipient block from the partners list's current row and its last account.
void takeRecipient(TDataSet *Plat) {
    TTable *Klient = SlPoluch->Klient;
    Plat->Edit();
    Plat->FieldByName(QStringLiteral("R_NAME"))
        ->SetAsString(Klient->FieldByName(QStringLiteral("FullName"))->AsString());
    const double id = Klient->FieldByName(QStringLiteral("Klient_id"))->AsFloat();
    Plat->FieldByName(QStringLiteral("Id_Pol"))->SetAsFloat(id);
    SelectClientBanks(id);
    SlBankP->RekvPol->Last();
    takeAccount(Plat, QStringLiteral("R_"));
}

} // namespace

void TPlatPor::SpeedButton1Click() {
    SlBankP->SetCaption(QStringLiteral("Банки плательщика"));
    SlBankP->KlientId = Plat->FieldByName(QStringLiteral("Id_Post"))->AsFloat();
    ShowModal(SlBankP);
    if (SlBankP->OkPressed) takeAccount(Plat, QStringLiteral("P_"));
}

void TPlatPor::SpeedButton3Click() {
    SlPoluch->KlientGroup = QStringLiteral("F");
    ShowModal(SlPoluch);
    if (!SlPoluch->OkPressed) return;
    takeRecipient(Plat);
    Plat->FieldByName(QStringLiteral("R_Inn"))->SetAsString(SlPoluch->KlientInn->AsString());
}

void TPlatPor::SpeedButton2Click() {
    SlBankP->KlientId = Plat->FieldByName(QStringLiteral("Id_Pol"))->AsFloat();
    ShowModal(SlBankP);
    if (SlBankP->OkPressed) takeAccount(Plat, QStringLiteral("R_"));
}

void TPlatPor::SpeedButton4Click() {
    PickContractFor(Plat, QStringLiteral("Id_Pol"), Edit1);
}

// ---- Remark, term, bank mark -----------------------------------------------------------

// The VAT within the amount, worked out exactly from the kopecks and the percent and
// rounded once: 1 234 567.89 at 20 % is 205 761.315, which gives 205 761.32.
void TPlatPor::SpeedButton8Click() {
    Plat->UpdateRecord();
    const double percent = ReadPaySettings().ProcNDS;
    if (percent == -100) {
        MessageDlg(QStringLiteral("Процент НДС в установках равен -100: НДС в сумме не выделяется"), mtError,
                   mbOK);
        return;
    }
    const Currency summa = Currency::fromDoubleKopecks(Plat->FieldByName(QStringLiteral("SUMMA"))->AsFloat());
    const Currency vat =
        Currency::MulDiv(summa, Currency::fromDouble(percent), Currency::fromDouble(percent + 100));
    TField *remark = Plat->FieldByName(QStringLiteral("REMARK"));
    Plat->Edit();
    remark->SetAsString(remark->AsString() + QStringLiteral(" в т.ч. НДС ") +
                        fmt::MoneyWithMaskBlanks(vat.toDouble()) + QStringLiteral(" руб."));
}

void TPlatPor::ClearSrokClick() {
    Plat->Edit();
    Plat->FieldByName(QStringLiteral("SrokPlat"))->Clear();
}

void TPlatPor::CheckBox1Click() {
    Plat->Edit();
    Plat->FieldByName(QStringLiteral("FlYes"))->SetAsBoolean(CheckBox1->isChecked());
}

// ---- Exits -----------------------------------------------------------------------------

void TPlatPor::focusMoved(QWidget *from, QWidget *to) {
    if (!isVisible() || !from || !to || from->window() != this || to->window() != this) return;
    if (from == DBEdit7)
        DBEdit7Exit();
    else if (from == EditR_BANK_BIK)
        EditR_BANK_BIKExit();
    else if (from == Edit1)
        Edit1Exit();
}

// A typed INN of a known organisation fills an order that names no recipient yet; an
// empty box completes nothing.
void TPlatPor::DBEdit7Exit() {
    if (LocateKlientForInn(Plat->FieldByName(QStringLiteral("R_NAME"))->AsString(),
                           Plat->FieldByName(QStringLiteral("R_Inn"))->AsString()))
        takeRecipient(Plat);
}

void TPlatPor::EditR_BANK_BIKExit() {
    CompleteBankByBik(Plat, QStringLiteral("R_BANK_BIK"), QStringLiteral("R_BANK"),
                      QStringLiteral("R_BANK_ACC"));
}

void TPlatPor::Edit1Exit() {
    UnlinkContractIfCleared(Plat, Edit1);
}
