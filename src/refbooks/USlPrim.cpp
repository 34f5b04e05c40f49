#include "refbooks/USlPrim.h"

#include "controls/DBGrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TSlPrim *SlPrim = nullptr;

namespace {

// Ordered, so the same remarks always come in the same places.
const QStringList PrimSQL = {
    QStringLiteral("select Distinct Primech from PrimSch"),
    QStringLiteral("order by Primech"),
};

} // namespace

TSlPrim::TSlPrim(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("SlPrim"));
    SetCaption(QStringLiteral(" "));
    resize(560, 360);

    Prim = new TQuery(this);
    Prim->setObjectName(QStringLiteral("Prim"));
    Prim->SetSQL(PrimSQL);
    PrimPrimech = Prim->AddField(QStringLiteral("Primech"), TFieldType::ftString, 250);
    DataSource1 = new TDataSource(this, Prim);

    DBGrid1 = new TDBGrid(this, DataSource1);
    DBGrid1->SetReadOnly(true);
    DBGrid1->AddColumn(QStringLiteral("Primech"), QStringLiteral("Примечание"), 500);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);

    SetModalResult(BitBtn1, mrOk);
    SetModalResult(BitBtn2, mrCancel);
    SetCancelButton(BitBtn2);
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    Connect(DBGrid1, &TDBGrid::dblClick, [this] {
        BitBtn1Click();
        SetModalResult(mrOk);
    });
}

void TSlPrim::FormShow() {
    OkPressed = false;
    Prim->Close();
    Prim->Open();
    DBGrid1->setFocus();
}

void TSlPrim::BitBtn1Click() {
    OkPressed = true;
    ChosenPrimech = PrimPrimech->AsString();
}

void TSlPrim::FormClose() {
    Prim->Close();
}
