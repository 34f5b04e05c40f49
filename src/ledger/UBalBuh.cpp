#include "ledger/UBalBuh.h"

#include "app/LogoMain.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "db/Clock.h"
#include "db/Formats.h"
#include "db/Database.h"
#include "ledger/ReportCells.h"
#include "ledger/Turnovers.h"
#include "ledger/UProvodka.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <map>
#include <vector>

TBalBuh *BalBuh = nullptr;

namespace {

const QStringList BalSQL = {QStringLiteral("select * from ConfBal"), QStringLiteral("where NameStr<>''"),
                            QStringLiteral("and StrokaId<>0"), QStringLiteral("order by GroupId,StrokaId")};
const QString ConfBSQL = QStringLiteral("select * from ConfBal");
const QStringList GroupSQL = {QStringLiteral("select * from ConfBal"), QStringLiteral("where StrokaId=0"),
                              QStringLiteral("and NameStr<>''")};
const QString SheetMoney = fmt::MoneyMask + QLatin1Char(';') + fmt::MoneyMask;

// An amount as the sheet prints it.
Currency printed(Currency amount) {
    return fmt::AmountAsPrinted(SheetMoney, amount.toDouble()).value_or(amount);
}

// The printed figure of an amount of section `section` in brackets when the amount runs
// against the section's side, as negative figures stand in a financial statement: a
// positive amount (credit) among the assets, sections 1 to 3, or a negative one (debit)
// among the liabilities, sections 4 to 6. A figure that prints as nothing but zeros
// has no side.
void bracketAgainstSide(qint64 section, double amount, QString &text) {
    const std::optional<Currency> figure = fmt::AmountAsPrinted(SheetMoney, amount);
    if (!figure || text.isEmpty()) return;
    const bool assets = section >= 1 && section <= 3, liabilities = section >= 4 && section <= 6;
    if ((assets && figure->raw() > 0) || (liabilities && figure->raw() < 0))
        text = QLatin1Char('(') + text + QLatin1Char(')');
}

// A line of the sheet while its amounts are computed.
struct Line {
    qint64 key;
    qint64 group;
    double code;
    Currency amount;
};

// The keys of the lines that are totals: a line coded as a total with at least one
// other line under it before the next total-coded line or the end of its section.
// `lines` are in the order of sections and codes.
QSet<qint64> totalsOf(const std::vector<Line> &lines) {
    QSet<qint64> totals;
    bool linesUnder = false;
    for (size_t i = lines.size(); i-- > 0;) {
        if (i + 1 < lines.size() && lines[i + 1].group != lines[i].group) linesUnder = false;
        if (!IsTotalCode(lines[i].code)) {
            linesUnder = true;
        } else {
            if (linesUnder) totals.insert(lines[i].key);
            linesUnder = false;
        }
    }
    return totals;
}

} // namespace

bool IsTotalCode(double strokaId) {
    const QString code = QString::number(strokaId, 'g', 15);
    return code.size() >= 3 && code[2] == QLatin1Char('0');
}

TBalBuh::TBalBuh(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("BalBuh"));
    SetCaption(QStringLiteral("Бухгалтерский баланс"));

    // ---- Datasets ---------------------------------------------------------------
    Bal = new TQuery(this);
    Bal->setObjectName(QStringLiteral("Bal"));
    Bal->SetSQL(BalSQL);
    AddTableFields(Bal, "ConfBal");
    BalConfBal = Bal->FieldByName(QStringLiteral("ConfBal"));
    BalGroupId = Bal->FieldByName(QStringLiteral("GroupId"));
    BalStrokaId = Bal->FieldByName(QStringLiteral("StrokaId"));
    BalFirstSum = Bal->FieldByName(QStringLiteral("FirstSum"));
    BalLastSum = Bal->FieldByName(QStringLiteral("LastSum"));
    BalFirstSum->DisplayFormat = SheetMoney;
    BalLastSum->DisplayFormat = SheetMoney;
    BalFSum = Bal->AddCalcField(QStringLiteral("FSum"), TFieldType::ftCurrency);
    BalLSum = Bal->AddCalcField(QStringLiteral("LSum"), TFieldType::ftCurrency);
    Bal->OnCalcFields = [this](TDataSet *) {
        const bool total = IsTotal(BalConfBal->AsInteger());
        BalFSum->SetAsFloat(total ? 0 : BalFirstSum->AsFloat());
        BalLSum->SetAsFloat(total ? 0 : BalLastSum->AsFloat());
    };
    // Which lines are totals depends on the layout alone: it is read as the lines open.
    Bal->BeforeOpen = [this](TDataSet *) {
        TQuery lines;
        lines.SetSQL(BalSQL);
        lines.Open();
        std::vector<Line> read;
        for (lines.First(); !lines.Eof(); lines.Next())
            read.push_back({lines.FieldByName(QStringLiteral("ConfBal"))->AsInteger(),
                            lines.FieldByName(QStringLiteral("GroupId"))->AsInteger(),
                            lines.FieldByName(QStringLiteral("StrokaId"))->AsFloat(), Currency()});
        m_totals = totalsOf(read);
    };
    DataSource1 = new TDataSource(this, Bal);

    ConfB = new TQuery(this);
    ConfB->setObjectName(QStringLiteral("ConfB"));
    ConfB->SetSQLText(ConfBSQL);
    Group = new TQuery(this);
    Group->setObjectName(QStringLiteral("Group"));
    Group->SetSQL(GroupSQL);
    Debet = new TQuery(this);
    Debet->setObjectName(QStringLiteral("Debet"));
    SetTurnoverSQL(Debet, QStringLiteral("debet"));
    Kredit = new TQuery(this);
    Kredit->setObjectName(QStringLiteral("Kredit"));
    SetTurnoverSQL(Kredit, QStringLiteral("Kredit"));

    // ---- Layout -----------------------------------------------------------------
    DatV = new TDateTimePicker(this);
    DBGrid1 = new TDBGrid(this, DataSource1);
    DBGrid1->SetReadOnly(true);
    DBGrid1->AddColumn(QStringLiteral("NameStr"), QStringLiteral("Наименование"), 360);
    DBGrid1->AddColumn(QStringLiteral("StrokaId"), QStringLiteral("код стр."), 60);
    DBGrid1->AddColumn(QStringLiteral("FirstSum"), QStringLiteral("На начало года"));
    DBGrid1->AddColumn(QStringLiteral("LastSum"), QStringLiteral("На конец периода"));
    SpeedButton1 = CommandButton(QStringLiteral("Пересчитать на начало"), this);
    SpeedButton2 = CommandButton(QStringLiteral("Пересчитать на конец"), this);
    SpeedButton3 = CommandButton(QStringLiteral("Печать"), this);
    SpeedButton4 = CommandButton(QStringLiteral("Выход"), this);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Дата отчета"), this));
    top->addWidget(DatV);
    top->addStretch();
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {SpeedButton1, SpeedButton2, SpeedButton3})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(SpeedButton4);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
    resize(720, 560);

    buildReport();

    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton3, [this] { SpeedButton3Click(); });
    OnClick(SpeedButton4, [this] { SpeedButton4Click(); });
}

TBalBuh::~TBalBuh() {
    if (BalBuh == this) BalBuh = nullptr;
}

// Form No. 1 on portrait A4: the heading with the code box on the right, then the
// lines by section under "Наименование показателя", "Код стр.", "На начало года" and
// "На конец года", each section closed by its totals and the third and sixth by the
// totals of the assets and of the liabilities.
void TBalBuh::buildReport() {
    Report1.DataSet = Bal;
    Report1.Options.PrintIfEmpty = false;
    Report1.Font = TRepFont{QStringLiteral("Arial"), 9};

    // ---- Heading: the left column of texts, the code box at 160..190 mm ------------
    auto *title = Report1.AddBand(rbTitle, 72);
    auto *caption = title->AddLabel(QStringLiteral("БУХГАЛТЕРСКИЙ БАЛАНС"), 0, 4, 110, 7);
    caption->Font = TRepFont{QStringLiteral("Arial"), 13, true};
    caption->Alignment = taCenter;
    title->AddLabel(QStringLiteral("за ____________________________"), 0, 11, 110, 5)->Alignment = taCenter;

    constexpr double Row = 5, Box = 160, BoxWidth = 30, Labels = 114;
    cells::Caption(title, QStringLiteral("КОДЫ"), Box, 0, BoxWidth, Row);
    const char *codes[] = {
        "по ОКУД", "Дата (год, месяц, число)", "по ОКПО", "по ОКОНХ", "по КОПФ", "по ОКПО", "",
        "по СОЕИ", "Контрольная сумма"};
    for (int i = 0; i < 9; ++i) {
        const double top = Row * (i + 1);
        title->AddShape(stFrame, Box, top, BoxWidth, Row);
        auto *label = title->AddLabel(QString::fromUtf8(codes[i]), Labels, top + 0.5, Box - Labels - 1.5, 5);
        label->Alignment = taRightJustify;
    }
    auto *okud = title->AddLabel(QStringLiteral("0710001"), Box, Row + 0.5, BoxWidth, 5);
    okud->Alignment = taCenter;
    title->AddLabel(QStringLiteral("Форма № 1"), Labels, Row + 0.5, 20, 5);

    RepLabel3 = title->AddLabel(QString(), 0, 3 * Row + 0.5, Labels - 2, 5);
    const char *left[] = {
        "Отрасаль (вид деятельности) _______________________________________________",
        "Организационно-правовая форма ___________________________________________",
        "Орган управления государственным имуществом",
        "_____________________________________________",
        "Единица измерения _______________________________________________________",
    };
    for (int i = 0; i < 5; ++i)
        title->AddLabel(QString::fromUtf8(left[i]), 0, (4 + i) * Row + 0.5, Labels - 2, 5);
    RepLabel9 = title->AddLabel(QString(), 0, 9 * Row + 0.5, Labels - 2, 5);
    title->AddLabel(QStringLiteral("ИНН_______________________"), 0, 11 * Row, 55, 5);
    title->AddLabel(QStringLiteral("КПП_____________________________"), 57, 11 * Row, 57, 5);

    // The dates of the report's way to the tax office, in cells under the code box.
    const char *dates[] = {"Дата высылки", "Дата получения", "Срок представления"};
    for (int i = 0; i < 3; ++i) {
        const double top = 10.5 * Row + i * Row;
        title->AddShape(stFrame, Box, top, BoxWidth, Row);
        title->AddLabel(QString::fromUtf8(dates[i]), Labels, top + 0.5, Box - Labels - 1.5, 5)->Alignment =
            taRightJustify;
    }

    // ---- The table ------------------------------------------------------------------
    constexpr double Name = 110, Code = 20, Amount = 30, RowHeight = 5;
    auto *header = Report1.AddBand(rbColumnHeader, 10);
    cells::Caption(header, QStringLiteral("Наименование показателя"), 0, 0, Name, 10);
    cells::Caption(header, QStringLiteral("Код стр."), Name, 0, Code, 10);
    cells::Caption(header, QStringLiteral("На начало года"), Name + Code, 0, Amount, 10);
    cells::Caption(header, QStringLiteral("На конец года"), Name + Code + Amount, 0, Amount, 10);

    // A section's heading: the title row of its number, empty when it has none.
    auto *group = Report1.AddGroup(QStringLiteral("Bal.GroupId"), 6);
    group->Font = TRepFont{QString(), 0, true};
    auto *heading = cells::Caption(group, QString(), 0, 0, Name + Code + 2 * Amount, 6);
    heading->OnPrint = [this](TRepText *, QString &text) { text = m_titles.value(BalGroupId->AsInteger()); };

    // A total prints its text from the cell's edge, any other line indented.
    auto *detail = Report1.AddBand(rbDetail, RowHeight);
    detail->AddShape(stFrame, 0, 0, Name, RowHeight);
    auto *totalName =
        detail->AddDBText(Bal, QStringLiteral("NameStr"), cells::Pad, 0.5, Name - 2 * cells::Pad, 5);
    auto *lineName = detail->AddDBText(Bal, QStringLiteral("NameStr"), 6, 0.5, Name - 6 - cells::Pad, 5);
    totalName->OnPrint = [this](TRepText *, QString &text) {
        if (!IsTotal(BalConfBal->AsInteger())) text.clear();
    };
    lineName->OnPrint = [this](TRepText *, QString &text) {
        if (IsTotal(BalConfBal->AsInteger())) text.clear();
    };
    cells::Field(detail, Bal, QStringLiteral("StrokaId"), Name, Code)->Alignment = taCenter;
    for (TField *field : {BalFirstSum, BalLastSum}) {
        auto *amount = cells::Amount(detail, Bal, field->FieldName(),
                                     field == BalFirstSum ? Name + Code : Name + Code + Amount, Amount);
        amount->Mask = SheetMoney;
        amount->OnPrint = [this, field](TRepText *, QString &text) {
            bracketAgainstSide(BalGroupId->AsInteger(), field->AsFloat(), text);
        };
    }

    // "Итого по разделу :"; after sections 3 and 6 a second line with the sums of the
    // sections since the last such line, which then start again.
    auto *footer = group->AddFooter(RowHeight);
    footer->Font = TRepFont{QString(), 0, true};
    cells::Framed(footer, footer->AddLabel(QStringLiteral("Итого по разделу :"), 0, 0, 0, 0), 0, Name + Code,
                  RowHeight);
    TRepExpr *sectionSums[] = {
        cells::Sum(footer, QStringLiteral("Bal.FSum"), Name + Code, Amount, true),
        cells::Sum(footer, QStringLiteral("Bal.LSum"), Name + Code + Amount, Amount, true),
    };
    const size_t firstLine = footer->Elements().size();
    auto *side = footer->AddLabel(QString(), 0, 0, 0, 0);
    cells::Framed(footer, side, 0, Name + Code, RowHeight);
    TRepExpr *sideSums[] = {
        cells::Sum(footer, QStringLiteral("Bal.FSum"), Name + Code, Amount, false),
        cells::Sum(footer, QStringLiteral("Bal.LSum"), Name + Code + Amount, Amount, false),
    };
    for (TRepExpr *sum : {sectionSums[0], sectionSums[1], sideSums[0], sideSums[1]}) {
        sum->Mask = SheetMoney;
        sum->OnPrint = [this, sum](TRepText *, QString &text) {
            bracketAgainstSide(BalGroupId->AsInteger(), sum->Value(), text);
        };
    }
    for (size_t i = firstLine; i < footer->Elements().size(); ++i)
        footer->Elements()[i]->Top += RowHeight;
    footer->BeforePrint = [this, side, sideSums](TRepBand *band, bool &) {
        const qint64 section = BalGroupId->AsInteger();
        const bool closesSide = section == 3 || section == 6;
        band->Height = closesSide ? 2 * RowHeight : RowHeight;
        side->Caption = section == 3 ? QStringLiteral("Итого по активу") : QStringLiteral("Итого по пассиву");
        for (TRepExpr *sum : sideSums)
            sum->ResetAfterPrint = closesSide;
    };
}

// ---- Showing and closing ------------------------------------------------------------

void TBalBuh::openLayout() {
    Bal->Open();
    Group->Open();
    ConfB->Open();
}

void TBalBuh::FormShow() {
    DatV->SetDate(Clock::today());
    for (TQuery *q : {Bal, Group, ConfB})
        q->Close();
    openLayout();
}

void TBalBuh::SpeedButton4Click() {
    for (TQuery *q : {Debet, Kredit, Bal, ConfB, Group})
        q->Close();
    Close();
}

// ---- Recomputing ---------------------------------------------------------------------

void TBalBuh::recompute(const QDate &to, const QString &column) {
    for (TQuery *q : {Debet, Kredit, Bal, ConfB, Group})
        q->Close();
    // The saldo of each account code as the journal stores it; an empty code has none.
    QHash<QString, Currency> saldo;
    for (const AccountSaldo &s : ReadSaldos(Debet, Kredit, to, LogoAppForm->SvoyKlientId))
        saldo.insert(s.code, s.saldo);
    auto sumBal = [&saldo](const QString &code) { return code.isEmpty() ? Currency() : saldo.value(code); };

    openLayout();
    std::vector<Line> lines;
    std::map<double, size_t> lineOfCode; // the first line of each code
    for (Bal->First(); !Bal->Eof(); Bal->Next()) {
        lineOfCode.emplace(BalStrokaId->AsFloat(), lines.size());
        lines.push_back(
            {BalConfBal->AsInteger(), BalGroupId->AsInteger(), BalStrokaId->AsFloat(), Currency()});
    }
    TField *confStroka = ConfB->FieldByName(QStringLiteral("StrokaId"));
    TField *confSchet = ConfB->FieldByName(QStringLiteral("BalSchet"));
    for (ConfB->First(); !ConfB->Eof(); ConfB->Next()) {
        const auto found = lineOfCode.find(confStroka->AsFloat());
        if (found != lineOfCode.end())
            lines[found->second].amount = lines[found->second].amount + sumBal(confSchet->AsString());
    }

    // Totals take the sum of the lines under them as those print, within their
    // section; which lines are totals was read as the layout opened above.
    Currency running;
    for (size_t i = lines.size(); i-- > 0;) {
        if (i + 1 < lines.size() && lines[i + 1].group != lines[i].group) running = Currency();
        if (!IsTotalCode(lines[i].code)) {
            running = running + printed(lines[i].amount);
        } else {
            if (IsTotal(lines[i].key)) lines[i].amount = running;
            running = Currency();
        }
    }

    TTransaction transaction;
    const QString update = QStringLiteral("update ConfBal set %1 = ? where ConfBal = ?").arg(column);
    for (const Line &line : lines)
        db::Database::Exec(update, {line.amount.toDouble(), line.key});
    transaction.Commit();
    Bal->Close();
    Bal->Open();
}

void TBalBuh::SpeedButton1Click() {
    recompute(QDate(DatV->Date().year(), 1, 1), QStringLiteral("FirstSum"));
}

void TBalBuh::SpeedButton2Click() {
    recompute(DatV->Date(), QStringLiteral("LastSum"));
}

// ---- Printing ----------------------------------------------------------------------------

void TBalBuh::SpeedButton3Click() {
    m_titles.clear();
    if (!Group->Active()) Group->Open();
    TField *groupId = Group->FieldByName(QStringLiteral("GroupId"));
    TField *name = Group->FieldByName(QStringLiteral("NameStr"));
    for (Group->First(); !Group->Eof(); Group->Next())
        if (!m_titles.contains(groupId->AsInteger())) m_titles.insert(groupId->AsInteger(), name->AsString());
    RepLabel3->Caption = QStringLiteral("Организация ") + LogoAppForm->OrganisationName();
    RepLabel9->Caption = QStringLiteral("Адрес ") + LogoAppForm->SvoyAdress;
    if (!Bal->Active()) Bal->Open();
    Report1.Preview();
}
