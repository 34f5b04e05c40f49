#include "sales/USchFak.h"

#include "app/UQ1.h"
#include "app/Words.h"
#include "contracts/USlDog.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "refbooks/Counterparty.h"
#include "refbooks/UAllBank.h"
#include "refbooks/USlAssort.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"
#include "refbooks/USlPrim.h"
#include "sales/DocForms.h"
#include "sales/SalesTables.h"
#include "sales/USpRasx.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

TSchFak *SchFak = nullptr;

namespace {

// The bill's note: one row per bill, keyed by its header.
const QStringList PrimModifySQL = {QStringLiteral("update PrimSch"), QStringLiteral("set"),
                                   QStringLiteral("  Primech = :Primech"), QStringLiteral("where"),
                                   QStringLiteral("  Zag_id = :OLD_Zag_id")};
const QStringList PrimInsertSQL = {QStringLiteral("insert into PrimSch"),
                                   QStringLiteral("  (zag_id,Primech)"), QStringLiteral("values"),
                                   QStringLiteral("  (:zag_id,:Primech)")};
const QStringList PrimDeleteSQL = {QStringLiteral("delete from PrimSch"), QStringLiteral("where"),
                                   QStringLiteral("  Zag_id = :OLD_Zag_id")};

const char *const Units[] = {"шт", "пач.", "бал.", "бут", "кг", "тонн", "кор."};

// The boxes of one party tab, in its tab order.
struct PartyBoxes {
    TDBEdit *inn;
    TDBMemo *name, *adress;
    TDBEdit *bik, *schet, *kschet, *bank, *cyti, *tel, *okpo, *okonx;
    QToolButton *nameButton, *bankButton;
};

PartyBoxes partyTab(QWidget *tab, TDataSource *source, TPartyBlock block) {
    const auto edit = [&](const char *part) {
        return new TDBEdit(tab, source, PartyField(block, QString::fromLatin1(part)));
    };
    // A name and an address wrap over lines as wide as the tab gives them.
    const auto wrapped = [&](const char *part) {
        auto *memo = new TDBMemo(tab, source, PartyField(block, QString::fromLatin1(part)));
        memo->SetWantReturns(false);
        memo->SetColumns(75);
        return memo;
    };
    PartyBoxes b;
    b.inn = edit("INN");
    b.name = wrapped("NAME");
    b.adress = wrapped("ADRESS");
    b.bik = edit("MFO");
    b.schet = edit("SCHET");
    b.kschet = edit("KSCHET");
    b.bank = edit("BANK");
    b.cyti = edit("CYTI");
    b.tel = edit("TEL");
    b.okpo = edit("OKPO");
    b.okonx = edit("OKONX");
    b.nameButton = DictionaryButton(tab, Qt::NoFocus);
    b.bankButton = DictionaryButton(tab, Qt::NoFocus);
    auto *grid = new QGridLayout(tab);
    const auto row = [&](int r, int c, const char *caption, QWidget *box, int span = 1) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption), tab), r, c);
        grid->addWidget(box, r, c + 1, 1, span);
    };
    row(0, 0, "ИНН", b.inn);
    row(0, 3, "Наименование", b.name, 4);
    grid->addWidget(b.nameButton, 0, 8);
    row(1, 0, "Адрес", b.adress, 7);
    row(2, 0, "БИК", b.bik);
    row(2, 3, "Счет", b.schet);
    row(2, 5, "Кор. счет", b.kschet, 2);
    row(3, 0, "Банк", b.bank, 6);
    grid->addWidget(b.bankButton, 3, 7);
    row(4, 0, "Город", b.cyti);
    row(4, 3, "Телефон", b.tel);
    row(4, 5, "ОКПО", b.okpo);
    row(5, 5, "ОКОНХ", b.okonx);
    grid->setColumnStretch(4, 1);
    grid->setColumnStretch(6, 1);
    const QList<QWidget *> order{b.inn,  b.name, b.adress, b.bik,  b.schet, b.kschet,
                                 b.bank, b.cyti, b.tel,    b.okpo, b.okonx};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    return b;
}

} // namespace

TSchFak::TSchFak(TSpRasx *documents, QWidget *parent)
    : TForm(parent), SpRasx(documents->SpRasx), PosRasx(documents->PosRasx), DSpRasx(documents->DSpRasx),
      DPosRasx(documents->DPosRasx), Documents(documents) {
    setObjectName(QStringLiteral("SchFak"));
    SetCaption(QStringLiteral("Реализация (Счет, Счет-фактура, ТТН)"));
    SetHelpContext(5);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Prim = new TQuery(this);
    Prim->setObjectName(QStringLiteral("Prim"));
    Prim->SetSQL({QStringLiteral("select * from PrimSch"), QStringLiteral("Where Zag_id = :zag")});
    Prim->ParamByName(QStringLiteral("zag"))->SetDataType(TFieldType::ftFloat);
    AddTableFields(Prim, QStringLiteral("PrimSch"));
    UpdateSQL1 = new TUpdateSQL(this);
    UpdateSQL1->ModifySQL = PrimModifySQL;
    UpdateSQL1->InsertSQL = PrimInsertSQL;
    UpdateSQL1->DeleteSQL = PrimDeleteSQL;
    Prim->CachedUpdates = true;
    Prim->UpdateObject = UpdateSQL1;
    DataSource1 = new TDataSource(this, Prim);

    const auto edit = [this](const char *field) {
        return new TDBEdit(this, DSpRasx, QString::fromLatin1(field));
    };
    const auto dateEdit = [this](const char *field) {
        return new TDBDateEdit(this, DSpRasx, QString::fromLatin1(field));
    };
    const auto label = [this](const char *text) { return new QLabel(QString::fromUtf8(text), this); };

    // ---- Number row ---------------------------------------------------------------------
    EditNUMB_FAKT = edit("NUMB_FAKT");
    DBEdit3 = edit("DopNumb");
    MaxN = CommandButton(QStringLiteral("Max №"), this, Qt::NoFocus);
    EditDATE_FAKT = dateEdit("DATE_FAKT");
    EditNUMB_TTN = edit("NUMB_TTN");
    EditDATE_TTN = dateEdit("DATE_TTN");
    EditNUMB_SCHET = edit("NUMB_SCHET");
    EditDATE_SCHET = dateEdit("DATE_SCHET");
    // Two rows: the invoice's number and date above, the waybill's and the bill's
    // under them, numbers and dates in columns.
    auto *invoiceNumber = new QHBoxLayout;
    invoiceNumber->addWidget(EditNUMB_FAKT);
    invoiceNumber->addWidget(DBEdit3);
    invoiceNumber->addWidget(MaxN);
    auto *numbers = new QGridLayout;
    numbers->addWidget(label("№ фактуры"), 0, 0);
    numbers->addLayout(invoiceNumber, 0, 1);
    numbers->addWidget(label("Дата фактуры"), 0, 2);
    numbers->addWidget(EditDATE_FAKT, 0, 3);
    numbers->addWidget(label("№ ТТН"), 1, 0);
    numbers->addWidget(EditNUMB_TTN, 1, 1, Qt::AlignLeft);
    numbers->addWidget(label("Дата ТТН"), 1, 2);
    numbers->addWidget(EditDATE_TTN, 1, 3);
    numbers->addWidget(label("№ Счета"), 1, 4);
    numbers->addWidget(EditNUMB_SCHET, 1, 5);
    numbers->addWidget(label("Дата Счета"), 1, 6);
    numbers->addWidget(EditDATE_SCHET, 1, 7);
    numbers->setColumnStretch(8, 1);

    // ---- Panel1: the note of a bill, or the fields of an invoice or waybill ---------------
    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto *panelLayout = new QVBoxLayout(Panel1);
    auto *note = new QHBoxLayout;
    auto *panel = new QGridLayout;
    panelLayout->addLayout(note);
    panelLayout->addLayout(panel);
    const auto panelEdit = [this](const char *field) {
        return new TDBEdit(Panel1, DSpRasx, QString::fromLatin1(field));
    };
    Label32 = new QLabel(QStringLiteral("Примечание в счете"), Panel1);
    DBMemo1 = new TDBMemo(Panel1, DataSource1, QStringLiteral("Primech"));
    DBMemo1->SetColumns(100);
    SpeedButton11 = DictionaryButton(Panel1, Qt::NoFocus);
    DBEdit9 = new TDBMemo(Panel1, DSpRasx, QStringLiteral("DOPOLN"));
    DBEdit9->SetWantReturns(false);
    DBEdit10 = panelEdit("GRUZOPOL");
    DBEdit11 = panelEdit("GRUZOOTPR");
    DBEdit8 = panelEdit("PLATDOK");
    DBEdit2 = panelEdit("NalogProd");
    // A percent: six characters show any rate.
    if (TField *rate = SpRasx->FindField(QStringLiteral("NalogProd"))) rate->DisplayWidth = 6;
    DBEdit1 = new TDBDateEdit(Panel1, DSpRasx, QStringLiteral("DateOpl"));
    DBEdit12 = panelEdit("FIO_KLAD");
    DBEdit12->SetReadOnly(true);
    const auto panelRow = [&](int r, int c, const char *caption, QWidget *box, int span = 1) {
        auto *l = new QLabel(QString::fromUtf8(caption), Panel1);
        panel->addWidget(l, r, c);
        panel->addWidget(box, r, c + 1, 1, span);
        m_shippingFields << l << box;
    };
    note->addWidget(Label32, 0, Qt::AlignTop);
    note->addWidget(DBMemo1, 1);
    note->addWidget(SpeedButton11, 0, Qt::AlignTop);
    panelRow(0, 0, "Дополнение", DBEdit9, 3);
    panelRow(1, 0, "Грузополучатель", DBEdit10, 3);
    panelRow(2, 0, "Грузоотправитель", DBEdit11, 3);
    panelRow(0, 4, "К платежному документу ", DBEdit8);
    panelRow(1, 4, "Процент налога с продаж", DBEdit2);
    panelRow(2, 4, "Дата оплаты", DBEdit1);
    panel->addWidget(DBEdit12, 3, 1, 1, 3);
    m_shippingFields << DBEdit12;
    panel->setColumnStretch(1, 1);

    // ---- The two parties ------------------------------------------------------------------
    PageControl1 = new QTabWidget(this);
    TabSheet1 = new QWidget(PageControl1);
    TabSheet2 = new QWidget(PageControl1);
    PageControl1->addTab(TabSheet1, QStringLiteral("Покупатель"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Поставщик"));
    const PartyBoxes pok = partyTab(TabSheet1, DSpRasx, TPartyBlock::Counterparty);
    EditINN_POK = pok.inn;
    EditNAME_POKUPAT = pok.name;
    EditADRESS_POK = pok.adress;
    EditMFO_POK = pok.bik;
    EditSCHET_POK = pok.schet;
    EditKSCHET_POK = pok.kschet;
    EditBANK_POK = pok.bank;
    EditCYTI_POK = pok.cyti;
    EditTEL_POK = pok.tel;
    EditOKPO_POK = pok.okpo;
    EditOKONX_POK = pok.okonx;
    SpeedButton1 = pok.nameButton;
    SpeedButton2 = pok.bankButton;
    const PartyBoxes post = partyTab(TabSheet2, DSpRasx, TPartyBlock::Own);
    EditINN_POST = post.inn;
    EditNAME_POST = post.name;
    EditADRESS_POST = post.adress;
    EditMFO_POST = post.bik;
    EditSCHET_POST = post.schet;
    EditKSCHET_POST = post.kschet;
    EditBANK_POST = post.bank;
    EditCYTI_POST = post.cyti;
    EditTEL_POST = post.tel;
    EditOKPO_POST = post.okpo;
    EditOKONX_POST = post.okonx;
    SpeedButton5 = post.nameButton;
    SpeedButton3 = post.bankButton;

    // ---- The lines ------------------------------------------------------------------------
    DBGrid1 = new TDBGrid(this, DPosRasx);
    // A line typed and not yet left is as much the user's work as the others, all of
    // them kept only by the save: deleting it asks too.
    DBGrid1->SetConfirmNewRowDelete(true);
    DBGrid1->AddColumn(QStringLiteral("NAME_TOV"), QStringLiteral("Наименование"), 220)->SetEllipsis(true);
    DBGrid1->AddColumn(QStringLiteral("Strana"), QStringLiteral("Страна"), 80);
    DBGrid1->AddColumn(QStringLiteral("NTamog"), QStringLiteral("№ тамож."), 80);
    DBGrid1->AddColumn(QStringLiteral("ED_IZM"), QStringLiteral("Ед.изм."), 55);
    DBGrid1->AddColumn(QStringLiteral("KOL_VO"), QStringLiteral("Кол-во"), 60);
    DBGrid1->AddColumn(QStringLiteral("CENA_TOV"), QStringLiteral("Цена"));
    DBGrid1->AddColumn(QStringLiteral("Summa"), QStringLiteral("Сумма"));
    DBGrid1->AddColumn(QStringLiteral("PROC_NDS"), QStringLiteral("% "), 35);
    DBGrid1->AddColumn(QStringLiteral("SummaNds"), QStringLiteral("НДС"));
    DBGrid1->AddColumn(QStringLiteral("Itogo"), QStringLiteral("Сумма с НДС"));
    Izm = new QMenu(this);
    for (int i = 0; i < 7; ++i) {
        const QString unit = QString::fromUtf8(Units[i]);
        QAction *item = Izm->addAction(unit);
        item->setObjectName(QStringLiteral("N%1").arg(i + 1));
        OnTriggered(item, [this, unit] { SetUnit(unit); });
    }
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(DBGrid1, &QWidget::customContextMenuRequested, this,
                     [this](const QPoint &at) { Izm->popup(DBGrid1->viewport()->mapToGlobal(at)); });

    // ---- Bottom row -----------------------------------------------------------------------
    SpeedButton10 = CommandButton(QStringLiteral("F2 - Товар"), this, Qt::NoFocus);
    Edit1 = new TEdit(this, TextSizeOf(QStringLiteral("Dogovor"), QStringLiteral("NumbDog")));
    SpeedButton6 = DictionaryButton(this, Qt::NoFocus, QStringLiteral("F2 - Словарь"));
    SpeedButton7 = CommandButton(QStringLiteral("F5 - Печать"), this, Qt::NoFocus);
    SpeedButton8 = CommandButton(QStringLiteral("F10 - Выход"), this, Qt::NoFocus);
    SpeedButton9 = CommandButton(QStringLiteral("Cancel"), this, Qt::NoFocus);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(SpeedButton10);
    bottom->addSpacing(16);
    bottom->addWidget(label("Связать с договором"));
    bottom->addWidget(Edit1);
    bottom->addWidget(SpeedButton6);
    bottom->addStretch();
    bottom->addWidget(SpeedButton7);
    bottom->addWidget(SpeedButton8);
    bottom->addWidget(SpeedButton9);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(numbers);
    layout->addWidget(Panel1);
    layout->addWidget(PageControl1);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(bottom);
    resize(sizeHint().width(), 780);

    const QList<QWidget *> order{EditNUMB_FAKT, DBEdit3,        EditDATE_FAKT,  EditNUMB_TTN,
                                 EditDATE_TTN,  EditNUMB_SCHET, EditDATE_SCHET, DBEdit9,
                                 DBEdit10,      DBEdit11,       DBEdit8,        DBEdit2,
                                 DBEdit1,       DBEdit12,       DBMemo1,        PageControl1};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // ---- Handlers ---------------------------------------------------------------------
    OnClick(SpeedButton8, [this] { BitBtn1Click(); });
    OnClick(SpeedButton9, [this] { BitBtn2Click(); });
    OnClick(SpeedButton7, [this] { BitBtn3Click(); });
    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton5, [this] { SpeedButton5Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton3, [this] { SpeedButton3Click(); });
    OnClick(SpeedButton10, [this] { DBGrid1EditButtonClick(); });
    OnClick(SpeedButton6, [this] { SpeedButton6Click(); });
    OnClick(SpeedButton11, [this] { SpeedButton11Click(); });
    OnClick(MaxN, [this] { MaxNClick(); });
    Connect(DBGrid1, &TDBGrid::editButtonClick, [this] { DBGrid1EditButtonClick(); });

    // Keys: F2 opens the picker of the box it is pressed in (the goods name in every box
    // without one of its own), then F5, F10 and Esc act. The sales-tax percent, the note
    // and the contract box answer none of them.
    const auto withPicker = [this](void (TSchFak::*picker)()) {
        return [this, picker](int &Key, Qt::KeyboardModifiers) {
            if (Key == Qt::Key_F2) {
                Key = 0;
                (this->*picker)();
                return;
            }
            AllPresKey(Key);
        };
    };
    OnKeyDown(EditNAME_POKUPAT, withPicker(&TSchFak::SpeedButton1Click));
    OnKeyDown(EditNAME_POST, withPicker(&TSchFak::SpeedButton5Click));
    OnKeyDown(EditBANK_POK, withPicker(&TSchFak::SpeedButton2Click));
    OnKeyDown(EditBANK_POST, withPicker(&TSchFak::SpeedButton3Click));
    OnKeyDown({DBGrid1,         EditNUMB_FAKT,  DBEdit3,        EditDATE_FAKT,   EditNUMB_TTN,  EditDATE_TTN,
               EditNUMB_SCHET,  EditDATE_SCHET, DBEdit9,        DBEdit10,        DBEdit11,      DBEdit8,
               DBEdit1,         DBEdit12,       EditINN_POK,    EditADRESS_POK,  EditMFO_POK,   EditSCHET_POK,
               EditKSCHET_POK,  EditCYTI_POK,   EditTEL_POK,    EditOKPO_POK,    EditOKONX_POK, EditINN_POST,
               EditADRESS_POST, EditMFO_POST,   EditSCHET_POST, EditKSCHET_POST, EditCYTI_POST, EditTEL_POST,
               EditOKPO_POST,   EditOKONX_POST},
              withPicker(&TSchFak::DBGrid1EditButtonClick));

    // The exits of the INN, BIK and contract boxes: the focus moved on within the form
    // (not to a message box or another window), after the box wrote what was typed.
    QObject::connect(qApp, &QApplication::focusChanged, this,
                     guarded([this](QWidget *from, QWidget *to) { focusMoved(from, to); }));
}

TSchFak::~TSchFak() {
    if (SchFak == this) SchFak = nullptr;
}

// ---- Showing and closing ------------------------------------------------------------------

void TSchFak::FormShow() {
    AskOnClose = true;
    m_printed = false;
    m_key = SpRasx->FieldByName(QStringLiteral("FAKTUR_ZAG_ID"))->AsFloat();
    PosRasx->Close();
    static_cast<TQuery *>(PosRasx)->ParamByName(QStringLiteral("ID"))->SetAsFloat(m_key);
    PosRasx->Open();

    // Set, not typed: the box counts as edited only once the user changes it.
    Edit1->setText(ContractNumber(SpRasx->FieldByName(QStringLiteral("Dogovor_id"))->AsFloat()));

    if (SvFlag == QLatin1String("s")) {
        PageControl1->setTabText(0, QStringLiteral("Покупатель"));
        PageControl1->setTabText(1, QStringLiteral("Поставщик"));
    } else if (SvFlag == QLatin1String("b")) {
        PageControl1->setTabText(0, QStringLiteral("Поставщик"));
        PageControl1->setTabText(1, QStringLiteral("Покупатель"));
    }
    SpRasx->Edit();
    MaxN->setVisible(SpRasx->FieldByName(QStringLiteral("NUMB_FAKT"))->AsFloat() <= 0);
    EditNUMB_FAKT->setFocus();

    // A bill has its note; an invoice or a waybill the shipping fields.
    const bool bill = VidDoc == 1;
    Prim->Close();
    if (bill) {
        Prim->ParamByName(QStringLiteral("zag"))->SetAsFloat(m_key);
        Prim->Open();
    }
    for (QWidget *w : std::initializer_list<QWidget *>{Label32, DBMemo1, SpeedButton11})
        w->setVisible(bill);
    for (QWidget *w : m_shippingFields)
        w->setVisible(!bill);
}

// Whatever was not saved is dropped: the header's edit, lines and a note not written.
void TSchFak::FormClose() {
    if (SpRasx->Active()) {
        SpRasx->Cancel();
        if (SpRasx->UpdatesPending()) SpRasx->CancelUpdates();
    }
    if (PosRasx->Active()) PosRasx->CancelUpdates();
    if (Prim->Active()) Prim->CancelUpdates();
    AskOnClose = false;
}

// The window's close box: as Esc while the editor asks on closing (a new document left
// unchanged is deleted).
void TSchFak::closeEvent(QCloseEvent *event) {
    if (!AskOnClose || !isVisible()) {
        TForm::closeEvent(event);
        return;
    }
    Guarded([this] {
        int key = Qt::Key_Escape;
        AllPresKey(key);
    });
    if (isVisible())
        event->ignore();
    else
        event->accept();
}

bool TSchFak::HasChanges() const {
    const auto changed = [](const TDataSet *ds) {
        return ds->Active() && (ds->Modified() || ds->UpdatesPending());
    };
    return m_printed || changed(SpRasx) || changed(PosRasx) || changed(Prim);
}

// What the user typed and has not left yet goes into the fields: the open cell of the
// lines grid, the header's boxes, the note.
void TSchFak::writePendingInput() {
    DBGrid1->EndCellEdit(true);
    SpRasx->UpdateRecord();
    PosRasx->UpdateRecord();
    if (Prim->Active()) Prim->UpdateRecord();
}

// ---- Keys ---------------------------------------------------------------------------------

void TSchFak::AllPresKey(int &Key) {
    switch (Key) {
    case Qt::Key_F5:
        Key = 0;
        BitBtn3Click();
        break;
    case Qt::Key_F10:
        Key = 0;
        BitBtn1Click();
        break;
    case Qt::Key_Escape:
        Key = 0;
        writePendingInput();
        if (HasChanges())
            leave();
        else
            BitBtn2Click();
        break;
    default:
        break;
    }
}

void TSchFak::leave() {
    AskToSave(
        QStringLiteral("Записать документ?"), [this] { BitBtn1Click(); }, [this] { BitBtn2Click(); });
}

// ---- Save and cancel -------------------------------------------------------------------------

// The note, the lines, the header with the lines' totals and the counterparty in the
// reference books are written in one transaction: all of them or none. A failure
// leaves the editor open with everything as it was typed, to be saved again.
// A document tied to no partner is tied to the one remembered for it (found by INN, or
// without INN by its full name, or added): what selects documents by their buyer, such
// as the statement of one buyer, then finds a buyer typed by hand. A tie stays.
void TSchFak::BitBtn1Click() {
    writePendingInput();
    const auto header = [this](const char *field) { return SpRasx->FieldByName(QString::fromLatin1(field)); };
    if (header("NAME_POKUPAT")->AsString().isEmpty()) {
        MessageDlg(QStringLiteral("Не заполнено название покупателя"), mtError, mbOK);
        return;
    }
    // The counterparty as saved with the document, taken before anything moves.
    TCounterparty party;
    party.Name = header("NAME_POKUPAT")->AsString();
    party.Inn = header("INN_POK")->AsString();
    party.Adress = header("ADRESS_POK")->AsString();
    party.Telephon = header("TEL_POK")->AsString();
    party.Cyti = header("CYTI_POK")->AsString();
    party.Okpo = header("OKPO_POK")->AsString();
    party.Okonx = header("OKONX_POK")->AsString();
    party.Schet = header("SCHET_POK")->AsString();
    party.NameBank = header("BANK_POK")->AsString();
    party.KorSchet = header("KSCHET_POK")->AsString();
    party.Bik = header("MFO_POK")->AsString();
    WarnOfUnknownBik(party);
    TField *partner = header("ID_POKUPAT");
    const QVariant tie = partner->Value();
    try {
        TTransaction transaction;
        if (VidDoc == 1 && Prim->Active()) {
            TField *zag = Prim->FieldByName(QStringLiteral("Zag_id"));
            if (zag->AsFloat() == 0) {
                Prim->Edit(); // on a bill without a note: its row
                zag->SetAsFloat(m_key);
            }
            Prim->CheckBrowseMode();
            Prim->ApplyUpdates();
            Prim->CommitUpdates();
        }
        // Totals: the plain sums of the lines' stored amounts.
        PosRasx->CheckBrowseMode();
        TField *zagId = PosRasx->FieldByName(QStringLiteral("ZAG_ID"));
        TField *summa = PosRasx->FieldByName(QStringLiteral("Summa"));
        TField *nds = PosRasx->FieldByName(QStringLiteral("SummaNds"));
        TField *itogo = PosRasx->FieldByName(QStringLiteral("Itogo"));
        double sumSumma = 0, sumNds = 0, sumItogo = 0;
        for (PosRasx->First(); !PosRasx->Eof(); PosRasx->Next()) {
            sumSumma += summa->AsFloat();
            sumNds += nds->AsFloat();
            sumItogo += itogo->AsFloat();
            if (zagId->AsFloat() != m_key) {
                PosRasx->Edit();
                zagId->SetAsFloat(m_key);
                PosRasx->Post();
            }
        }
        // Lines each within twelve rouble digits may add up to more: such a document is
        // refused as a typed amount is, and nothing of it is written.
        for (const double total : {sumSumma, sumNds, sumItogo})
            Currency::fromDoubleKopecks(total);
        const double remembered = RememberCounterparty(party, {true, true});
        // The sums as the four-decimal amounts they are, without the binary remainder
        // of adding (10.10 + 20.20 adds up to 30.299999999999997): lines in whole
        // kopecks give a total in whole kopecks.
        SpRasx->Edit();
        header("Summa")->SetAsFloat(Currency::fromDouble(sumSumma).toDouble());
        header("SummaNDS")->SetAsFloat(Currency::fromDouble(sumNds).toDouble());
        header("Itogo")->SetAsFloat(Currency::fromDouble(sumItogo).toDouble());
        if (partner->AsFloat() == 0) partner->SetAsFloat(remembered);
        PosRasx->ApplyUpdates();
        PosRasx->CommitUpdates();
        SpRasx->ApplyUpdates();
        SpRasx->CommitUpdates();
        transaction.Commit();
    } catch (...) {
        // Rolled back, the partner the document took is not stored: it stays untied.
        if (partner->Value() != tie) {
            SpRasx->Edit();
            partner->SetValue(tie);
        }
        throw;
    }
    // The register's row holds the document as stored: it stays, current, while the
    // register's filter lists it; a document the filter no longer lists goes from the
    // list, read again from its start. (Reading a register of many thousand documents
    // again after every save would make each save wait for it.)
    if (!Documents->Lists(m_key)) {
        SpRasx->Close();
        SpRasx->Open();
    }
    AskOnClose = false;
    Close();
}

void TSchFak::BitBtn2Click() {
    DBGrid1->EndCellEdit(false);
    SpRasx->Cancel();
    if (SpRasx->UpdatesPending()) SpRasx->CancelUpdates();
    PosRasx->Cancel();
    PosRasx->CancelUpdates();
    if (IsNewDoc) deleteNewHeader();
    AskOnClose = false;
    Close();
}

// The header stored for this editing goes again, found by its key (wherever the
// register's filter or cursor stands); its lines were never written.
void TSchFak::deleteNewHeader() {
    if (m_key == 0) return;
    if (SpRasx->Active() && SpRasx->Locate(QStringLiteral("FAKTUR_ZAG_ID"), m_key)) {
        SpRasx->Delete();
        ApplyCachedUpdates(SpRasx);
        return;
    }
    TQuery remove;
    remove.SetSQLText(QStringLiteral("delete from FAKTUR_ZAG where FAKTUR_ZAG_ID = :id"));
    remove.ParamByName(QStringLiteral("id"))->SetAsFloat(m_key);
    remove.ExecSQL();
}

// ---- Print ------------------------------------------------------------------------------------

void TSchFak::BitBtn3Click() {
    writePendingInput();
    PosRasx->CheckBrowseMode();
    const bool salesTax = SpRasx->FieldByName(QStringLiteral("NalogProd"))->AsFloat() != 0;
    Q_pri->CheckBox1->setVisible(salesTax);
    Q_pri->CheckBox1->setChecked(salesTax);
    ShowModal(Q_pri);
    PrintDocument(Q_pri->PrintChoice);
    m_printed = true;
}

void TSchFak::PrintDocument(const QString &choice) {
    if (const std::unique_ptr<TReport> form = MakeLayout(choice)) form->Preview();
}

std::unique_ptr<TReport> TSchFak::MakeLayout(const QString &choice) {
    TDocFormSource source;
    source.Header = SpRasx;
    source.Lines = PosRasx;
    if (Prim->Active() && !Prim->IsEmpty())
        source.Note = Prim->FieldByName(QStringLiteral("Primech"))->AsString();
    const auto hook = [this](void (TSchFak::*handler)(TRepText *, QString &)) {
        return [this, handler](TRepText *sender, QString &text) { (this->*handler)(sender, text); };
    };
    source.NumberPrint = hook(&TSchFak::RepDBText1Print);
    source.WordsPrint = hook(&TSchFak::RepExpr9Print);
    source.VatPrint = hook(&TSchFak::RepExpr10Print);
    source.SalesTaxPrint = hook(&TSchFak::RepExpr15Print);
    source.MoneyPrint = hook(&TSchFak::SumPrint);
    return MakeDocForm(choice, source);
}

namespace {

// The sum a print hook is called for (the running total of its expression), rounded
// once to kopecks: the one value a printed total shows in figures and in words.
Currency sumOf(TRepText *sender) {
    const auto *expr = dynamic_cast<const TRepExpr *>(sender);
    return Currency::fromDoubleKopecks(expr ? expr->Value() : 0);
}

// "caption sum(sum in words)", the sum with the blanks of its mask.
QString taxLine(const QString &caption, Currency sum) {
    return caption + fmt::MoneyWithMaskBlanks(sum.toDouble()) + QLatin1Char('(') + SumToWords(sum) +
           QLatin1Char(')');
}

} // namespace

void TSchFak::RepDBText1Print(TRepText *, QString &Text) {
    const QString dop = SpRasx->FieldByName(QStringLiteral("DopNumb"))->AsString();
    if (!dop.isEmpty()) Text += QLatin1Char('/') + dop;
}

void TSchFak::RepExpr9Print(TRepText *Sender, QString &Text) {
    Text = SumToWords(sumOf(Sender));
}

void TSchFak::RepExpr10Print(TRepText *Sender, QString &Text) {
    Text = taxLine(QStringLiteral("в том числе НДС - "), sumOf(Sender));
}

// The tax on the total with VAT at the header's percent, worked out exactly (the
// product first, then the division) and rounded once to kopecks.
void TSchFak::RepExpr15Print(TRepText *Sender, QString &Text) {
    const double percent = SpRasx->FieldByName(QStringLiteral("NalogProd"))->AsFloat();
    const Currency tax =
        Currency::MulDiv(sumOf(Sender), Currency::fromDouble(percent), Currency::fromDouble(100));
    Text.clear();
    if (Q_pri->CheckBox1->isChecked()) Text = taxLine(QStringLiteral("плюс налог с продаж - "), tax);
}

void TSchFak::SumPrint(TRepText *Sender, QString &Text) {
    Text = fmt::FormatFloat(fmt::MoneyMask, sumOf(Sender).toDouble());
}

// ---- Pickers ----------------------------------------------------------------------------------

void TSchFak::SpeedButton1Click() {
    SlPoluch->SetCaption(QStringLiteral("Покупатель"));
    SlPoluch->KlientGroup = QStringLiteral("F");
    ShowModal(SlPoluch);
    if (SlPoluch->OkPressed) TakeParty(SpRasx, TPartyBlock::Counterparty);
}

void TSchFak::SpeedButton5Click() {
    SlPoluch->SetCaption(QStringLiteral("Поставщик"));
    SlPoluch->KlientGroup = QStringLiteral("T");
    ShowModal(SlPoluch);
    if (SlPoluch->OkPressed) TakeParty(SpRasx, TPartyBlock::Own);
}

namespace {

// An account of an organisation picked from the reference books; a name typed by hand
// (id 0) has no accounts to pick from.
void pickAccount(TDataSet *header, TPartyBlock block) {
    const double id = header->FieldByName(PartyField(block, QStringLiteral("ID")))->AsFloat();
    if (id == 0) return;
    SlBankP->KlientId = id;
    ShowModal(SlBankP);
    if (SlBankP->OkPressed) TakeAccount(header, block);
}

} // namespace

void TSchFak::SpeedButton2Click() {
    pickAccount(SpRasx, TPartyBlock::Counterparty);
}

void TSchFak::SpeedButton3Click() {
    pickAccount(SpRasx, TPartyBlock::Own);
}

// A goods name for the current line; on a document without lines, for a new one.
void TSchFak::DBGrid1EditButtonClick() {
    ShowModal(SlAssort);
    if (SlAssort->ChosenTovar.isEmpty()) return;
    if (PosRasx->IsEmpty()) PosRasx->Append();
    PosRasx->Edit();
    PosRasx->FieldByName(QStringLiteral("NAME_TOV"))->SetAsString(SlAssort->ChosenTovar);
}

void TSchFak::SetUnit(const QString &unit) {
    PosRasx->Edit();
    PosRasx->FieldByName(QStringLiteral("ED_IZM"))->SetAsString(unit);
}

void TSchFak::SelectFirstLineColumn() {
    const int row = PosRasx->RecNo();
    if (row >= 0 && row < DBGrid1->Model()->rowCount())
        DBGrid1->setCurrentIndex(DBGrid1->Model()->index(row, 0));
}

void TSchFak::SpeedButton6Click() {
    PickContractFor(SpRasx, QStringLiteral("ID_POKUPAT"), Edit1);
}

void TSchFak::Edit1Exit() {
    UnlinkContractIfCleared(SpRasx, Edit1);
}

// The chosen remark replaces the whole note; its header is stamped by the save.
void TSchFak::SpeedButton11Click() {
    ShowModal(SlPrim);
    if (!SlPrim->OkPressed || !Prim->Active()) return;
    if (Prim->IsEmpty()) Prim->Append();
    Prim->Edit();
    Prim->FieldByName(QStringLiteral("Primech"))->SetAsString(SlPrim->ChosenPrimech);
}

// ---- Exits ------------------------------------------------------------------------------------

void TSchFak::focusMoved(QWidget *from, QWidget *to) {
    if (!isVisible() || !from || !to || from->window() != this || to->window() != this) return;
    if (from == EditINN_POK)
        EditINN_POKExit();
    else if (from == EditINN_POST)
        EditINN_POSTExit();
    else if (from == EditMFO_POK)
        EditMFO_POKExit();
    else if (from == Edit1)
        Edit1Exit();
}

namespace {

// A typed INN of a known organisation (own or partner) fills a block naming no one yet;
// the INN stays as typed.
void partyByInn(TDataSet *header, TPartyBlock block) {
    if (LocateKlientForInn(header->FieldByName(PartyField(block, QStringLiteral("NAME")))->AsString(),
                           header->FieldByName(PartyField(block, QStringLiteral("INN")))->AsString()))
        TakeParty(header, block, true);
}

} // namespace

void TSchFak::EditINN_POKExit() {
    partyByInn(SpRasx, TPartyBlock::Counterparty);
}

void TSchFak::EditINN_POSTExit() {
    partyByInn(SpRasx, TPartyBlock::Own);
}

void TSchFak::EditMFO_POKExit() {
    CompleteBankByBik(SpRasx, QStringLiteral("MFO_POK"), QStringLiteral("BANK_POK"),
                      QStringLiteral("KSCHET_POK"));
}

// ---- Next invoice number ---------------------------------------------------------------------

// One above the highest invoice number of the own organisation and direction the editor
// was opened for, in the year of its number date, which the invoice takes as its date.
void TSchFak::MaxNClick() {
    const double number = Documents->NextInvoiceNumber(SvFlag, KliId, NumberDate.year());
    SpRasx->Edit();
    SpRasx->FieldByName(QStringLiteral("NUMB_FAKT"))->SetAsFloat(number);
    SpRasx->FieldByName(QStringLiteral("DATE_FAKT"))->SetAsDate(NumberDate);
}
