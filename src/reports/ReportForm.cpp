#include "reports/ReportForm.h"

#include "app/LogoMain.h"
#include "app/StrUtils.h"
#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "db/Clock.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "print/Report.h"
#include "refbooks/USlPoluch.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace reports {

const QString &Money = fmt::MoneyMask;

bool PickKlient(const QString &caption, const QString &group, TWrapEdit *box, double &id) {
    SlPoluch->SetCaption(caption);
    SlPoluch->KlientGroup = group;
    ShowModal(SlPoluch);
    if (!SlPoluch->OkPressed) return false;
    box->setText(SlPoluch->KlientFullName->AsString());
    id = double(SlPoluch->KlientKlient_id->AsInteger());
    return true;
}

TQuery *NewQuery(QObject *owner, const char *name, const QStringList &sql) {
    auto *q = new TQuery(owner);
    q->setObjectName(QString::fromLatin1(name));
    q->SetSQL(sql);
    return q;
}

void OpenForPeriod(TQuery *query, const QDate &from, const QDate &to, double organisation, double partner) {
    query->Close();
    for (int i = 0; i < query->Params().Count(); ++i) {
        TParam *p = query->Params()[i];
        const QString name = p->Name().toLower();
        if (name == QLatin1String("datv") || name == QLatin1String("dat"))
            SetDate(query, p->Name(), from);
        else if (name == QLatin1String("dati"))
            SetDate(query, p->Name(), to);
        else if (name == QLatin1String("org") || name == QLatin1String("post"))
            SetNumber(query, p->Name(), organisation);
        else if (name == QLatin1String("kli"))
            SetNumber(query, p->Name(), partner);
    }
    query->Open();
}

void SetParam(TQuery *query, const QString &param, TFieldType type, const QVariant &value) {
    TParam *p = query->ParamByName(param);
    p->SetDataType(type);
    p->SetValue(value);
}

void SetDate(TQuery *query, const QString &param, const QDate &date) {
    SetParam(query, param, TFieldType::ftDate, date);
}

void SetNumber(TQuery *query, const QString &param, double value) {
    SetParam(query, param, TFieldType::ftFloat, value);
}

void SetText(TQuery *query, const QString &param, const QString &value) {
    SetParam(query, param, TFieldType::ftString, value);
}

qint64 Kopecks(double amount) {
    return qint64(std::llround(Okrugl(amount) * 100));
}

std::vector<TRepLabel *> AddTitles(TReport &report, int lines, double width) {
    auto *title = report.AddBand(rbTitle, 10 + 6 * (lines - 1) + 2);
    std::vector<TRepLabel *> labels;
    auto *caption = title->AddLabel(QString(), 0, 0, width, 8);
    caption->Font.Size = 14;
    caption->Font.Bold = true;
    caption->Alignment = taCenter;
    labels.push_back(caption);
    for (int i = 1; i < lines; ++i) {
        auto *line = title->AddLabel(QString(), 0, 10 + 6 * (i - 1), width, 5);
        line->Alignment = taCenter;
        labels.push_back(line);
    }
    return labels;
}

} // namespace reports

TTradeReportForm::TTradeReportForm(QWidget *parent, const QString &name, const QString &caption,
                                   const QString &startLabel)
    : TForm(parent) {
    setObjectName(name);
    SetCaption(caption);

    DatV = new TDateTimePicker(this);
    DatI = new TDateTimePicker(this);
    Label1 = new QLabel(startLabel, this);
    Label2 = new QLabel(QStringLiteral("по"), this);
    Edit1 = new TWrapEdit(this, TextSizeOf(QStringLiteral("Klient"), QStringLiteral("FullName")));
    Edit1->setReadOnly(true);
    SpeedButton1 = DictionaryButton(this);
    BitBtn1 = CommandButton(QStringLiteral("Печать"), this);
    BitBtn2 = CommandButton(QStringLiteral("Отмена"), this);
    SetCancelButton(BitBtn2);

    Controls = new QGridLayout;
    auto *dates = new QHBoxLayout;
    dates->addWidget(Label1);
    dates->addWidget(DatV);
    dates->addWidget(Label2);
    dates->addWidget(DatI);
    dates->addStretch();
    Controls->addLayout(dates, 0, 0, 1, 3);
    Controls->addWidget(new QLabel(QStringLiteral("Организация"), this), 1, 0);
    Controls->addWidget(Edit1, 1, 1);
    Controls->addWidget(SpeedButton1, 1, 2);
    Controls->setColumnStretch(1, 1);

    auto *buttons = ButtonRow({BitBtn1, BitBtn2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(Controls);
    layout->addStretch();
    layout->addLayout(buttons);

    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(BitBtn2, [this] { Close(); });
}

void TTradeReportForm::FormShow() {
    Edit1->setText(LogoAppForm->OrganisationName());
    KliId = LogoAppForm->SvoyKlientId;
    DatI->SetDate(Clock::today());
    DatV->SetDate(BegPeriod(DatI->Date()));
}

void TTradeReportForm::SpeedButton1Click() {
    reports::PickKlient(QStringLiteral("Организация"), QStringLiteral("T"), Edit1, KliId);
}
