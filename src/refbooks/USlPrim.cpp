#include "refbooks/USlPrim.h"

#include "controls/DBGrid.h"
#include "refbooks/PickerLayout.h"

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

    const TPickerButtons buttons = LayOutPicker(this, DBGrid1);
    BitBtn1 = buttons.Ok;
    BitBtn2 = buttons.Cancel;
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    ChooseOnDoubleClick(this, DBGrid1, [this] { BitBtn1Click(); });
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
