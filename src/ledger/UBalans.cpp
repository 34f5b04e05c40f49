#include "ledger/UBalans.h"

#include "app/LogoMain.h"
#include "app/StrUtils.h"
#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "db/Formats.h"
#include "ledger/ReportCells.h"
#include "ledger/Turnovers.h"
#include "ledger/UProvodka.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

TBalans *Balans = nullptr;

namespace {

constexpr double FooterHeight = 5; // mm, of "Итого по счету"

// Closes the datasets of a run however it ends: the work table is open exclusively.
struct CloseWhenDone {
    std::vector<TDataSet *> dataSets;
    ~CloseWhenDone() {
        for (TDataSet *ds : dataSets)
            ds->Close();
    }
};

// The title of both reports: its caption, the date or period line, the organisation.
void addTitle(TReport &report, const QString &caption, TRepLabel *&dates, TRepLabel *&organisation) {
    auto *title = report.AddBand(rbTitle, 24);
    auto *label = title->AddLabel(caption, 0, 0, 190, 8);
    label->Font = TRepFont{QStringLiteral("Arial"), 14, true};
    label->Alignment = taCenter;
    dates = title->AddLabel(QString(), 0, 9, 190, 5);
    dates->Alignment = taCenter;
    organisation = title->AddLabel(QString(), 0, 15, 190, 5);
    organisation->Alignment = taCenter;
}

// A framed cell holding a label, or a label and the synthetic account after it.
void labelCell(TRepBand *band, const QString &caption, double left, double width, TDataSet *account = nullptr,
               double accountLeft = 0) {
    cells::Framed(band, band->AddLabel(caption, 0, 0, 0, 0), left, width, cells::TextHeight);
    if (account)
        band->AddDBText(account, QStringLiteral("Balsch"), accountLeft, 0.5, left + width - accountLeft, 5);
}

} // namespace

TBalans::TBalans(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("Balans"));
    SetCaption(QStringLiteral("Баланс"));

    // ---- Datasets ---------------------------------------------------------------
    Debet = new TQuery(this);
    Debet->setObjectName(QStringLiteral("Debet"));
    SetTurnoverSQL(Debet, QStringLiteral("debet"));
    Kredit = new TQuery(this);
    Kredit->setObjectName(QStringLiteral("Kredit"));
    SetTurnoverSQL(Kredit, QStringLiteral("Kredit"));

    Plan = new TTable(this, QStringLiteral("PlanSch.DB"));
    Plan->setObjectName(QStringLiteral("Plan"));
    Plan->SetIndexName(QStringLiteral("Sch"));
    AddTableFields(Plan, "PlanSch");

    Otch = new TTable(this, QStringLiteral("BalOtch.db"));
    Otch->setObjectName(QStringLiteral("Otch"));
    Otch->Exclusive = true;
    Otch->SetIndexName(QStringLiteral("SchetBal"));
    AddTableFields(Otch, "BalOtch");
    OtchSchetBal = Otch->FieldByName(QStringLiteral("SchetBal"));
    OtchSaldVx = Otch->FieldByName(QStringLiteral("SaldVx"));
    OtchDebOb = Otch->FieldByName(QStringLiteral("DebOb"));
    OtchKreOb = Otch->FieldByName(QStringLiteral("KreOb"));
    OtchActVx = Otch->AddCalcField(QStringLiteral("ActVx"), TFieldType::ftCurrency);
    OtchPasVx = Otch->AddCalcField(QStringLiteral("PasVx"), TFieldType::ftCurrency);
    OtchBalsch = Otch->AddCalcField(QStringLiteral("Balsch"), TFieldType::ftString, 20);
    Otch->AddLookupField(QStringLiteral("NameBal"), TFieldType::ftString, 20, Plan,
                         QStringLiteral("SchetBal"), QStringLiteral("Schet"), QStringLiteral("NameSchet"));
    Otch->OnCalcFields = [this](TDataSet *) { OtchCalcFields(); };

    // ---- Layout -----------------------------------------------------------------
    Label1 = new QLabel(QStringLiteral("на"), this);
    DatV = new TDateTimePicker(this);
    Label2 = new QLabel(QStringLiteral("по"), this);
    DatI = new TDateTimePicker(this);
    CheckBox1 = new QCheckBox(QStringLiteral("Без итогов по балансовым"), this);
    BitBtn1 = CommandButton(QStringLiteral("Печать"), this);
    BitBtn2 = CommandButton(QStringLiteral("Cancel"), this);

    auto *dates = new QHBoxLayout;
    dates->addWidget(Label1);
    dates->addWidget(DatV);
    dates->addWidget(Label2);
    dates->addWidget(DatI);
    dates->addStretch();
    auto *buttons = ButtonRow({BitBtn1, BitBtn2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addWidget(CheckBox1);
    layout->addLayout(buttons);

    buildBalanceReport();
    buildTurnoverReport();

    // ---- Handlers ---------------------------------------------------------------
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    SetModalResult(BitBtn2, mrCancel);
    SetCancelButton(BitBtn2);
}

TBalans::~TBalans() {
    if (Balans == this) Balans = nullptr;
}

// "Баланс", portrait A4: account, name, and the saldo under "Актив" or "Пассив".
void TBalans::buildBalanceReport() {
    RepBal.DataSet = Otch;
    RepBal.Options.PrintIfEmpty = false;
    RepBal.Font = TRepFont{QStringLiteral("Arial"), 10};
    addTitle(RepBal, QStringLiteral("Баланс"), RepLabel7, RepLabel19);

    auto *header = RepBal.AddBand(rbColumnHeader, 6);
    cells::Caption(header, QStringLiteral("Счет"), 0, 0, 25, 6);
    cells::Caption(header, QStringLiteral("Наименование"), 25, 0, 75, 6);
    cells::Caption(header, QStringLiteral("Актив"), 100, 0, 45, 6);
    cells::Caption(header, QStringLiteral("Пассив"), 145, 0, 45, 6);

    auto *detail = RepBal.AddBand(rbDetail, 5);
    cells::Field(detail, Otch, QStringLiteral("SchetBal"), 0, 25);
    cells::Field(detail, Otch, QStringLiteral("NameBal"), 25, 75);
    cells::Amount(detail, Otch, QStringLiteral("ActVx"), 100, 45);
    cells::Amount(detail, Otch, QStringLiteral("PasVx"), 145, 45);

    auto *group = RepBal.AddGroup(QStringLiteral("Otch.Balsch"), 0);
    RepBand1 = group->AddFooter(FooterHeight);
    RepBand1->Font = TRepFont{QString(), 0, true};
    labelCell(RepBand1, QStringLiteral("Итого по счету"), 0, 100, Otch, 33);
    cells::Sum(RepBand1, QStringLiteral("Otch.ActVx"), 100, 45, true);
    cells::Sum(RepBand1, QStringLiteral("Otch.PasVx"), 145, 45, true);

    auto *summary = RepBal.AddBand(rbSummary, 5);
    summary->Font = TRepFont{QString(), 0, true};
    labelCell(summary, QStringLiteral("Итого:"), 0, 100);
    cells::Sum(summary, QStringLiteral("Otch.ActVx"), 100, 45, false);
    cells::Sum(summary, QStringLiteral("Otch.PasVx"), 145, 45, false);
}

// "Оборотно-сальдовая", portrait A4: account, name, the period's debit and credit
// turnovers, and the closing saldo under "Актив" or "Пассив".
void TBalans::buildTurnoverReport() {
    RepObSald.DataSet = Otch;
    RepObSald.Options.PrintIfEmpty = false;
    RepObSald.Font = TRepFont{QStringLiteral("Arial"), 10};
    addTitle(RepObSald, QStringLiteral("Оборотно-сальдовая"), RepLabel18, RepLabel20);

    auto *header = RepObSald.AddBand(rbColumnHeader, 10);
    // The account column holds a code of 20 characters in 6.5 pt.
    cells::Caption(header, QStringLiteral("Счет"), 0, 0, 26, 10);
    cells::Caption(header, QStringLiteral("Название"), 26, 0, 44, 10);
    cells::Caption(header, QStringLiteral("Обороты"), 70, 0, 60, 5);
    cells::Caption(header, QStringLiteral("Сальдо"), 130, 0, 60, 5);
    cells::Caption(header, QStringLiteral("Дебет"), 70, 5, 30, 5);
    cells::Caption(header, QStringLiteral("Кредит"), 100, 5, 30, 5);
    cells::Caption(header, QStringLiteral("Актив"), 130, 5, 30, 5);
    cells::Caption(header, QStringLiteral("Пассив"), 160, 5, 30, 5);

    const struct {
        const char *field;
        double left;
    } amounts[] = {{"DebOb", 70}, {"KreOb", 100}, {"ActVx", 130}, {"PasVx", 160}};
    auto *detail = RepObSald.AddBand(rbDetail, 5);
    cells::Field(detail, Otch, QStringLiteral("SchetBal"), 0, 26);
    cells::Field(detail, Otch, QStringLiteral("NameBal"), 26, 44);
    for (const auto &a : amounts)
        cells::Amount(detail, Otch, QString::fromLatin1(a.field), a.left, 30);

    auto *group = RepObSald.AddGroup(QStringLiteral("Otch.Balsch"), 0);
    RepBand2 = group->AddFooter(FooterHeight);
    RepBand2->Font = TRepFont{QString(), 0, true};
    cells::Framed(RepBand2, RepBand2->AddDBText(Otch, QStringLiteral("Balsch"), 0, 0, 0, 0), 0, 26, 5);
    labelCell(RepBand2, QStringLiteral("Итого по счету"), 26, 44);
    for (const auto &a : amounts)
        cells::Sum(RepBand2, QStringLiteral("Otch.") + QLatin1String(a.field), a.left, 30, true);

    auto *summary = RepObSald.AddBand(rbSummary, 5);
    summary->Font = TRepFont{QString(), 0, true};
    labelCell(summary, QStringLiteral("Итого :"), 0, 70);
    for (const auto &a : amounts)
        cells::Sum(summary, QStringLiteral("Otch.") + QLatin1String(a.field), a.left, 30, false);
}

// ---- Showing and closing ------------------------------------------------------------

void TBalans::FormShow() {
    Plan->Open();
    const bool period = ReportMode == QLatin1String("2");
    if (period) {
        DatI->SetDate(Clock::today());
        DatV->SetDate(BegPeriod(DatI->Date()));
        Label1->setText(QStringLiteral("с"));
    } else {
        DatV->SetDate(Clock::today());
        Label1->setText(QStringLiteral("на"));
    }
    Label2->setVisible(period);
    DatI->setVisible(period);
}

void TBalans::FormClose() {
    Plan->Close();
}

// ---- The work table ------------------------------------------------------------------

void TBalans::OtchCalcFields() {
    const Currency saldo = Currency::fromDouble(OtchSaldVx->AsFloat());
    if (saldo.raw() > 0)
        OtchPasVx->SetAsFloat(saldo.toDouble());
    else
        OtchActVx->SetAsFloat(saldo.abs().toDouble());
    const QString code = OtchSchetBal->AsString();
    OtchBalsch->SetAsString(code.section(QLatin1Char('.'), 0, 0));
}

void TBalans::fillWorkTable(const QDate &saldoTo, bool withTurnovers, const QDate &from, const QDate &to) {
    struct Account {
        QString code;
        Currency saldo;
        std::optional<Currency> debit, credit;
    };
    // An account is found by its code as the work table stores it, so two codes stay
    // two accounts exactly when they are two rows of the table.
    std::vector<Account> accounts;
    QHash<QString, size_t> byCode;
    auto account = [&](const QString &code) -> Account & {
        const QString stored = code.left(OtchSchetBal->Size());
        auto it = byCode.constFind(stored);
        if (it == byCode.constEnd()) {
            it = byCode.insert(stored, accounts.size());
            accounts.push_back({stored, Currency(), {}, {}});
        }
        return accounts[*it];
    };

    const double org = LogoAppForm->SvoyKlientId;
    for (const AccountSaldo &s : ReadSaldos(Debet, Kredit, saldoTo, org)) {
        Account &a = account(s.code);
        a.saldo = a.saldo + s.saldo;
    }
    if (withTurnovers) {
        OpenTurnovers(Debet, from, to, org);
        OpenTurnovers(Kredit, from, to, org);
        for (const AccountSum &s : ReadTurnovers(Kredit))
            account(s.code).credit = s.sum;
        for (const AccountSum &s : ReadTurnovers(Debet))
            account(s.code).debit = s.sum;
    }

    // The table is refilled whole or left as it was.
    TTransaction transaction;
    Otch->EmptyTable();
    Otch->DisableControls();
    for (const Account &a : accounts) {
        Otch->Append();
        OtchSchetBal->SetAsString(a.code);
        OtchSaldVx->SetAsFloat(a.saldo.toDouble());
        if (a.debit) OtchDebOb->SetAsFloat(a.debit->toDouble());
        if (a.credit) OtchKreOb->SetAsFloat(a.credit->toDouble());
        Otch->Post();
    }
    Otch->EnableControls();
    transaction.Commit();
}

// ---- Printing --------------------------------------------------------------------------

void TBalans::BitBtn1Click() {
    CloseWhenDone closing{{Debet, Kredit, Otch}};
    Otch->Open();
    const double footer = CheckBox1->isChecked() ? 0 : FooterHeight;
    if (ReportMode == QLatin1String("2")) {
        fillWorkTable(DatI->Date(), true, DatV->Date(), DatI->Date());
        RepLabel18->Caption = QStringLiteral("c ") + fmt::DateToStr(DatV->Date()) + QStringLiteral(" по ") +
                              fmt::DateToStr(DatI->Date());
        RepLabel20->Caption = LogoAppForm->OrganisationName();
        RepBand2->Height = footer;
        RepObSald.Preview();
    } else {
        fillWorkTable(DatV->Date(), false, QDate(), QDate());
        RepLabel7->Caption = QStringLiteral("на ") + fmt::DateToStr(DatV->Date());
        RepLabel19->Caption = LogoAppForm->OrganisationName();
        RepBand1->Height = footer;
        RepBal.Preview();
    }
}
