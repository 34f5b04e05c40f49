#include "ledger/UItogOb.h"

#include "app/LogoMain.h"
#include "app/StrUtils.h"
#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "db/Clock.h"
#include "db/Formats.h"
#include "ledger/ReportCells.h"
#include "ledger/Turnovers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TItogOb *ItogOb = nullptr;

namespace {

// One side of the account by correspondent account: `side` is the account's side,
// `other` the correspondent's. Here and in the saldo each entry counts as the kopecks
// it prints as in the journal.
QStringList sideSQL(const QString &side, const QString &other) {
    return {QStringLiteral("select max(%1) %1, Sum(okrugl(Summa)) Summa from provodka").arg(other),
            QStringLiteral("Where DateProv >= :DatV"),
            QStringLiteral("and DateProv <= :DatI"),
            QStringLiteral("and %1 like :sch").arg(side),
            QStringLiteral("and Organis = :org"),
            QStringLiteral("Group by %1").arg(other),
            QStringLiteral("Order by %1").arg(other)};
}

QStringList saldoSQL(const QString &side) {
    return {QStringLiteral("Select sum(okrugl(Summa)) summa from Provodka"),
            QStringLiteral("Where DateProv <= :datIs and DateProv >= :datVx"),
            QStringLiteral("and Organis = :org"), QStringLiteral("and %1 like :sch").arg(side)};
}

TQuery *query(QObject *owner, const QString &name, const QStringList &sql) {
    auto *q = new TQuery(owner);
    q->setObjectName(name);
    q->SetSQL(sql);
    for (TParam *p :
         {q->Params().FindParam(QStringLiteral("DatV")), q->Params().FindParam(QStringLiteral("DatI")),
          q->Params().FindParam(QStringLiteral("datVx")), q->Params().FindParam(QStringLiteral("datIs"))})
        if (p) p->SetDataType(TFieldType::ftDate);
    q->ParamByName(QStringLiteral("org"))->SetDataType(TFieldType::ftFloat);
    q->ParamByName(QStringLiteral("sch"))->SetDataType(TFieldType::ftString);
    return q;
}

const QStringList BufferFields = {QStringLiteral("Debet"), QStringLiteral("Kredit"), QStringLiteral("SumDeb"),
                                  QStringLiteral("SumKre")};

} // namespace

// ---- The buffer ------------------------------------------------------------------------

bool TTurnoverBuffer::SelectRow(int row) {
    m_row = row >= 0 && row < int(Rows.size()) ? row : -1;
    return m_row >= 0;
}

int TTurnoverBuffer::FieldIndex(const QString &name) const {
    for (int i = 0; i < BufferFields.size(); ++i)
        if (BufferFields[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant TTurnoverBuffer::Value(int field) const {
    if (m_row < 0) return QVariant();
    const Row &r = Rows[size_t(m_row)];
    switch (field) {
    case 0:
        return r.Debet.isEmpty() ? QVariant() : QVariant(r.Debet);
    case 1:
        return r.Kredit.isEmpty() ? QVariant() : QVariant(r.Kredit);
    case 2:
        return r.SumDeb ? QVariant(*r.SumDeb) : QVariant();
    case 3:
        return r.SumKre ? QVariant(*r.SumKre) : QVariant();
    default:
        return QVariant();
    }
}

QString TTurnoverBuffer::Text(int field, const QString &mask) const {
    const QVariant v = Value(field);
    if (v.isNull()) return QString();
    if (field >= 2)
        return mask.isEmpty() ? fmt::FloatToStr(v.toDouble()) : fmt::FormatFloat(mask, v.toDouble());
    return v.toString();
}

QString SaldoText(Currency saldo) {
    const QString amount = fmt::FormatFloat(cells::Money, saldo.abs().toDouble());
    return QStringLiteral("Сальдо ") + (saldo.isNegative() ? QStringLiteral("Д ") : QStringLiteral("К ")) +
           amount;
}

// ---- The form --------------------------------------------------------------------------

TItogOb::TItogOb(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("ItogOb"));
    SetCaption(QStringLiteral("Обороты по счету"));

    DebOb = query(this, QStringLiteral("DebOb"), sideSQL(QStringLiteral("Debet"), QStringLiteral("Kredit")));
    KreOb = query(this, QStringLiteral("KreOb"), sideSQL(QStringLiteral("Kredit"), QStringLiteral("Debet")));
    Debet = query(this, QStringLiteral("Debet"), saldoSQL(QStringLiteral("debet")));
    Kredit = query(this, QStringLiteral("Kredit"), saldoSQL(QStringLiteral("Kredit")));
    // Declared, so that a first group without a correspondent account (null) does not
    // make the codes numbers.
    DebOb->AddField(QStringLiteral("Kredit"), TFieldType::ftString, 20);
    DebOb->AddField(QStringLiteral("Summa"), TFieldType::ftFloat);
    KreOb->AddField(QStringLiteral("Debet"), TFieldType::ftString, 20);
    KreOb->AddField(QStringLiteral("Summa"), TFieldType::ftFloat);

    DatV = new TDateTimePicker(this);
    DatI = new TDateTimePicker(this);
    Edit1 = new TEdit(this, TextSizeOf(QStringLiteral("PlanSch"), QStringLiteral("Schet")));
    BitBtn1 = CommandButton(QStringLiteral("Печать"), this);
    BitBtn2 = CommandButton(QStringLiteral("Cancel"), this);

    auto *dates = new QHBoxLayout;
    dates->addWidget(new QLabel(QStringLiteral("c"), this));
    dates->addWidget(DatV);
    dates->addWidget(new QLabel(QStringLiteral("по"), this));
    dates->addWidget(DatI);
    dates->addStretch();
    auto *account = new QHBoxLayout;
    account->addWidget(new QLabel(QStringLiteral("Балансовый счет"), this));
    account->addWidget(Edit1);
    auto *buttons = ButtonRow({BitBtn1, BitBtn2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addLayout(account);
    layout->addLayout(buttons);

    buildReport();

    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    SetModalResult(BitBtn2, mrCancel);
    SetCancelButton(BitBtn2);
}

TItogOb::~TItogOb() {
    if (ItogOb == this) ItogOb = nullptr;
}

// Portrait A4: the two sides in framed blocks under "Дебет" and "Кредит", their totals,
// a rule and the saldo.
void TItogOb::buildReport() {
    Report1.DataSet = &Otchet;
    Report1.Options.PrintIfEmpty = false;
    Report1.Font = TRepFont{QStringLiteral("Arial"), 10};

    auto *title = Report1.AddBand(rbTitle, 18);
    RepLabel1 = title->AddLabel(QString(), 0, 0, 190, 8);
    RepLabel1->Font = TRepFont{QStringLiteral("Arial"), 14, true};
    RepLabel1->Alignment = taCenter;
    RepLabel2 = title->AddLabel(QString(), 0, 9, 190, 5);
    RepLabel2->Alignment = taCenter;

    // Two blocks of 80 mm with 10 mm between them, centred on the page.
    constexpr double Left = 10, Right = 100, Code = 30, Sum = 50;
    auto *header = Report1.AddBand(rbColumnHeader, 10);
    for (const auto &[caption, left] : {std::pair{"Дебет", Left}, std::pair{"Кредит", Right}}) {
        cells::Caption(header, QString::fromUtf8(caption), left, 0, Code + Sum, 5);
        cells::Caption(header, QStringLiteral("Кор. счет"), left, 5, Code, 5);
        cells::Caption(header, QStringLiteral("Сумма"), left + Code, 5, Sum, 5);
    }

    auto *detail = Report1.AddBand(rbDetail, 5);
    cells::Field(detail, &Otchet, QStringLiteral("Kredit"), Left, Code);
    cells::Amount(detail, &Otchet, QStringLiteral("SumKre"), Left + Code, Sum);
    cells::Field(detail, &Otchet, QStringLiteral("Debet"), Right, Code);
    cells::Amount(detail, &Otchet, QStringLiteral("SumDeb"), Right + Code, Sum);

    auto *summary = Report1.AddBand(rbSummary, 14);
    summary->Font = TRepFont{QString(), 0, true};
    cells::Sum(summary, QStringLiteral("Otchet.SumKre"), Left + Code, Sum, false);
    cells::Sum(summary, QStringLiteral("Otchet.SumDeb"), Right + Code, Sum, false);
    summary->AddShape(stHorLine, Left, 6, Right + Code + Sum - Left, 1);
    RepLabel9 = summary->AddLabel(QString(), Left, 8, Right + Code + Sum - Left, 5);
}

void TItogOb::FormShow() {
    DatI->SetDate(Clock::today());
    DatV->SetDate(BegPeriod(DatI->Date()));
}

void TItogOb::BitBtn1Click() {
    Otchet.Rows.clear();
    const QString sch = Edit1->text() + QLatin1Char('%');
    const double org = LogoAppForm->SvoyKlientId;
    for (TQuery *side : {DebOb, KreOb}) {
        side->Close();
        side->ParamByName(QStringLiteral("DatV"))->SetAsDate(DatV->Date());
        side->ParamByName(QStringLiteral("DatI"))->SetAsDate(DatI->Date());
        side->ParamByName(QStringLiteral("sch"))->SetAsString(sch);
        side->ParamByName(QStringLiteral("org"))->SetAsFloat(org);
        side->Open();
    }
    // The saldo counts from the day every other saldo counts from, so the account shows
    // the same saldo here as in the balance and the balance sheet.
    Currency saldo;
    for (TQuery *side : {Debet, Kredit}) {
        side->ParamByName(QStringLiteral("sch"))->SetAsString(sch);
        OpenTurnovers(side, SaldoStart(), DatI->Date(), org);
        const Currency sum = Currency::fromDouble(side->Fields(0)->AsFloat());
        saldo = side == Kredit ? saldo + sum : saldo - sum;
    }

    for (const AccountSum &s : ReadTurnovers(DebOb))
        Otchet.Rows.push_back({QString(), s.code, std::nullopt, s.sum.toDouble()});
    size_t row = 0;
    for (const AccountSum &s : ReadTurnovers(KreOb)) {
        if (row == Otchet.Rows.size()) Otchet.Rows.emplace_back();
        Otchet.Rows[row].Debet = s.code;
        Otchet.Rows[row].SumDeb = s.sum.toDouble();
        ++row;
    }

    RepLabel1->Caption = QStringLiteral("Обороты по ") + Edit1->text();
    RepLabel9->Caption = SaldoText(saldo);
    RepLabel2->Caption = PeriodCaption(DatV->Date(), DatI->Date());
    Report1.Preview();
    for (TQuery *q : {DebOb, KreOb, Debet, Kredit})
        q->Close();
    Otchet.Rows.clear();
}
