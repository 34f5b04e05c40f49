#include "contracts/UOtchEtap.h"

#include "db/Clock.h"
#include "db/Formats.h"
#include "print/Columns.h"

TOtchEtap *OtchEtap = nullptr;

namespace {

// A stage added without a state may hold a blank instead of 0: it counts as 0.
const QStringList Query1SQL = {
    QStringLiteral("select p.DatPrim,"),
    QStringLiteral("p.SumPrim,"),
    QStringLiteral("d.NumbDog,"),
    QStringLiteral("d.DateDog,"),
    QStringLiteral("d.Summa,"),
    QStringLiteral("k.name NameKli,"),
    QStringLiteral("o.name NameOrg"),
    QStringLiteral("from Primech p, Dogovor d, Klient k, Klient o"),
    QStringLiteral("where p.DatPrim <= :dat"),
    QStringLiteral("and p.Dogovor_id=d.Dogovor_id"),
    QStringLiteral("and d.Klient_id=k.Klient_id"),
    QStringLiteral("and d.Organ_id=o.Klient_id"),
    QStringLiteral("and coalesce(p.sosotet, 0)=0"),
};

const QString &Money = fmt::MoneyMask;

} // namespace

TOtchEtap::TOtchEtap(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("OtchEtap"));
    SetCaption(QStringLiteral("Просроченные этапы"));
    Query1 = new TQuery(this);
    Query1->setObjectName(QStringLiteral("Query1"));
    Query1->SetSQL(Query1SQL);
    Query1->ParamByName(QStringLiteral("dat"))->SetDataType(TFieldType::ftDate);
    Query1->ReadOnly = true;
    buildReport();
}

TOtchEtap::~TOtchEtap() {
    if (OtchEtap == this) OtchEtap = nullptr;
}

// A4 portrait, 10 mm margins, a frame round the page; the columns framed in the
// header and ruled apart in the rows.
void TOtchEtap::buildReport() {
    Report1.DataSet = Query1;
    Report1.Options.PrintIfEmpty = false;
    Report1.Frame = TRepFrame::All();

    auto *title = Report1.AddBand(rbTitle, 17);
    auto *caption = title->AddLabel(QStringLiteral("Просроченные этапы"), 0, 2, 190, 7);
    caption->Font.Size = 14;
    caption->Alignment = taCenter;
    RepLabel2 = title->AddLabel(QString(), 0, 10, 190, 5);
    RepLabel2->Alignment = taCenter;

    const TRepColumns columns({22, 26, 24, 22, 26, 35, 35});
    auto *header = Report1.AddBand(rbColumnHeader, 10);
    columns.AddHeadings(header,
                        {{QStringLiteral("Дата этапа")},
                         {QStringLiteral("Сумма этапа")},
                         {QStringLiteral("№ договора")},
                         {QStringLiteral("Дата договора")},
                         {QStringLiteral("Сумма договора")},
                         {QStringLiteral("Партнер")},
                         {QStringLiteral("Организация")}},
                        0, 10);

    auto *detail = Report1.AddBand(rbDetail, 5);
    columns.AddField(detail, Query1, QStringLiteral("DatPrim"), 0, 0, 5, taCenter);
    columns.AddField(detail, Query1, QStringLiteral("SumPrim"), 1, 0, 5, taRightJustify)->Mask = Money;
    columns.AddField(detail, Query1, QStringLiteral("NumbDog"), 2, 0, 5);
    columns.AddField(detail, Query1, QStringLiteral("DateDog"), 3, 0, 5, taCenter);
    columns.AddField(detail, Query1, QStringLiteral("Summa"), 4, 0, 5, taRightJustify)->Mask = Money;
    columns.AddField(detail, Query1, QStringLiteral("NameKli"), 5, 0, 5);
    columns.AddField(detail, Query1, QStringLiteral("NameOrg"), 6, 0, 5);
    for (int c = 1; c < columns.Count(); ++c)
        detail->AddShape(stVertLine, columns.Left(c) - 0.5, 0, 1, 5);

    Report1.AddBand(rbSummary, 2)->Frame = TRepFrame::Sides(QStringLiteral("T"));
}

void TOtchEtap::RunReport() {
    Query1->Close();
    Query1->ParamByName(QStringLiteral("dat"))->SetAsDate(Clock::today());
    Query1->Open();
    RepLabel2->Caption = QStringLiteral("на ") + fmt::DateToStr(Clock::today());
    Report1.Preview();
}
