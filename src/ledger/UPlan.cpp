#include "ledger/UPlan.h"

#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "ledger/UProvodka.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TPlan *Plan = nullptr;

TPlan::TPlan(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("Plan"));
    SetCaption(QStringLiteral("План счетов"));

    // The grid is bound to the chart when the form is first shown: the journal that
    // owns the chart is created after this form.
    DBGrid1 = new TDBGrid(this);
    DBGrid1->AddColumn(QStringLiteral("Schet"), QStringLiteral("Счет"), 90);
    DBGrid1->AddColumn(QStringLiteral("NameSchet"), QStringLiteral("Название"), 330);
    DBGrid1->AddColumn(QStringLiteral("TypeSchet"), QStringLiteral("А/П"), 40);

    auto *bar = new QToolBar(this);
    SpeedButton1 = AddToolBarButton(bar, QStringLiteral("F5 - Печать"));
    SpeedButton2 = AddToolBarButton(bar, QStringLiteral("F6 - Добавить"));
    SpeedButton3 = AddToolBarButton(bar, QStringLiteral("F8 - Удалить"));
    BitBtn1 = new QPushButton(QStringLiteral("Ok"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton *b : {BitBtn1, BitBtn2})
        b->setAutoDefault(false);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(bar);
    bottom->addStretch();
    bottom->addWidget(BitBtn1);
    bottom->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(bottom);
    resize(520, 460);

    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton3, [this] { SpeedButton3Click(); });
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    SetModalResult(BitBtn2, mrCancel);
    SetCancelButton(BitBtn2);
    Connect(DBGrid1, &TDBGrid::dblClick, [this] { DBGrid1DblClick(); });
    OnKeyDown(DBGrid1, [this](int &Key, Qt::KeyboardModifiers) {
        switch (Key) {
        case Qt::Key_F5:
            SpeedButton1Click();
            break;
        case Qt::Key_F6:
            SpeedButton2Click();
            break;
        case Qt::Key_F8:
            SpeedButton3Click();
            break;
        default:
            return;
        }
        Key = 0;
    });
}

TPlan::~TPlan() {
    if (Plan == this) Plan = nullptr;
}

void TPlan::bindChart() {
    if (DBGrid1->DataSource() == Provodka->DSPlan) return;
    DBGrid1->SetDataSource(Provodka->DSPlan);
    buildReport();
}

// The chart in the order of account codes, portrait A4.
void TPlan::buildReport() {
    TTable *PlSch = Provodka->PlSch;
    Report1.DataSet = PlSch;
    Report1.Options.PrintIfEmpty = false;
    Report1.Font = TRepFont{QStringLiteral("Arial"), 10};

    auto *title = Report1.AddBand(rbTitle, 12);
    auto *caption = title->AddLabel(QStringLiteral("План счетов"), 0, 1, 190, 8);
    caption->Font = TRepFont{QStringLiteral("Arial"), 14, true};
    caption->Alignment = taCenter;

    const struct {
        const char *caption, *field;
        double left, width;
    } columns[] = {{"Балансовый счет", "Schet", 0, 35},
                   {"Название счета", "NameSchet", 35, 130},
                   {"Тип счета", "TypeSchet", 165, 25}};
    auto *header = Report1.AddBand(rbColumnHeader, 6);
    auto *detail = Report1.AddBand(rbDetail, 5);
    for (const auto &c : columns) {
        auto *label = header->AddLabel(QString::fromUtf8(c.caption), c.left, 0, c.width, 6);
        label->Frame = TRepFrame::All();
        label->Alignment = taCenter;
        detail->AddDBText(PlSch, QString::fromLatin1(c.field), c.left + 1, 0, c.width - 2, 5);
    }
    Report1.AddBand(rbSummary, 4)->Frame = TRepFrame::Sides(QStringLiteral("T"));
}

void TPlan::FormShow() {
    OkPressed = false;
    bindChart();
    // Normally open since the main window's first show; a maintenance command may
    // have left it closed.
    if (!Provodka->PlSch->Active()) Provodka->PlSch->Open();
    DBGrid1->setFocus();
}

void TPlan::FormClose() {
    DBGrid1->EndCellEdit(false);
    Provodka->PlSch->Cancel();
}

void TPlan::SpeedButton1Click() {
    DBGrid1->EndCellEdit(true);
    Report1.Preview();
    DBGrid1->setFocus();
}

void TPlan::SpeedButton2Click() {
    DBGrid1->EndCellEdit(true);
    Provodka->PlSch->Append();
    DBGrid1->setFocus();
}

// An account still used by entries may go: the entries keep its code.
void TPlan::SpeedButton3Click() {
    DBGrid1->EndCellEdit(false);
    if (!Provodka->PlSch->IsEmpty() &&
        MessageDlg(QStringLiteral("Удалить счет?"), mtWarning, mbYesNo) == mrYes)
        Provodka->PlSch->Delete();
    DBGrid1->setFocus();
}

// The row being typed is stored (a new row even when nothing was typed into it, so
// the caller reads its code), then the form closes with the choice made. A row the
// table refuses keeps the form open.
void TPlan::choose(bool keepTypedText) {
    DBGrid1->EndCellEdit(keepTypedText);
    TTable *PlSch = Provodka->PlSch;
    if (PlSch->State() == TDataSetState::dsInsert)
        PlSch->Post();
    else
        PlSch->CheckBrowseMode();
    OkPressed = true;
    SetModalResult(mrOk);
}

void TPlan::BitBtn1Click() {
    choose(true);
}

// The double click opened the clicked cell for editing; nothing was typed there yet.
void TPlan::DBGrid1DblClick() {
    choose(false);
}
