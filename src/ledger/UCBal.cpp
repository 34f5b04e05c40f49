#include "ledger/UCBal.h"

#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "ledger/UProvodka.h"

#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TCBal *CBal = nullptr;

TCBal::TCBal(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("CBal"));
    SetCaption(QStringLiteral("Настройка отчета \"Бухгалтерский баланс\""));

    ConfBal = new TTable(this, QStringLiteral("ConfBal.db"));
    ConfBal->setObjectName(QStringLiteral("ConfBal"));
    ConfBal->SetIndexName(QStringLiteral("StrId"));
    AddTableFields(ConfBal, "ConfBal");
    DataSource1 = new TDataSource(this, ConfBal);

    DBGrid1 = new TDBGrid(this, DataSource1);
    DBGrid1->AddColumn(QStringLiteral("GroupId"), QStringLiteral("Раздел"), 60);
    DBGrid1->AddColumn(QStringLiteral("BalSchet"), QStringLiteral("Бал. счет"), 90);
    DBGrid1->AddColumn(QStringLiteral("NameStr"), QStringLiteral("Наименование"), 380);
    DBGrid1->AddColumn(QStringLiteral("StrokaId"), QStringLiteral("Код стр."), 70);

    auto *bar = new QToolBar(this);
    SpeedButton1 = AddToolBarButton(bar, QStringLiteral("Добавить"));
    SpeedButton2 = AddToolBarButton(bar, QStringLiteral("Удалить"));
    SpeedButton3 = AddToolBarButton(bar, QStringLiteral("Выход"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(bar);
    layout->addWidget(DBGrid1, 1);
    resize(680, 520);

    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    OnClick(SpeedButton2, [this] { SpeedButton2Click(); });
    OnClick(SpeedButton3, [this] { SpeedButton3Click(); });
}

TCBal::~TCBal() {
    if (CBal == this) CBal = nullptr;
}

void TCBal::FormShow() {
    ConfBal->Open();
    DBGrid1->setFocus();
}

void TCBal::FormClose() {
    DBGrid1->EndCellEdit(false);
    ConfBal->Cancel();
    ConfBal->Close();
}

void TCBal::SpeedButton1Click() {
    DBGrid1->EndCellEdit(true);
    ConfBal->Append();
    DBGrid1->setFocus();
}

void TCBal::SpeedButton2Click() {
    DBGrid1->EndCellEdit(false);
    if (!ConfBal->IsEmpty() && MessageDlg(QStringLiteral("Удалить строку?"), mtWarning, mbYesNo) == mrYes)
        ConfBal->Delete();
    DBGrid1->setFocus();
}

// The row being typed is stored before the form closes.
void TCBal::SpeedButton3Click() {
    DBGrid1->EndCellEdit(true);
    ConfBal->CheckBrowseMode();
    Close();
}
