#include "contracts/UTypDog.h"

#include "contracts/ContractFiles.h"
#include "controls/DBGrid.h"
#include "controls/TableUtils.h"
#include "refbooks/PickerLayout.h"

TTypDog *TypDog = nullptr;

TTypDog::TTypDog(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("TypDog"));
    SetCaption(QStringLiteral("Стандартные договора"));
    resize(620, 360);

    TDog = new TTable(this, QStringLiteral("TypeDog.db"));
    TDog->setObjectName(QStringLiteral("TDog"));
    AddTableFields(TDog, QStringLiteral("TypeDog"));
    TDog->FieldByName(QStringLiteral("TypeDog_id"))->ReadOnly = true;
    DSTDog = new TDataSource(this, TDog);

    DBGrid1 = new TDBGrid(this, DSTDog);
    DBGrid1->AddColumn(QStringLiteral("TypeDog"), QStringLiteral("Название"), 250);
    DBGrid1->AddColumn(QStringLiteral("NameFile"), QStringLiteral("Имя файла"), 320)->SetEllipsis(true);

    const TPickerButtons buttons = LayOutPicker(this, DBGrid1);
    BitBtn1 = buttons.Ok;
    BitBtn2 = buttons.Cancel;
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    ChooseOnDoubleClick(this, DBGrid1, [this] { BitBtn1Click(); });
    Connect(DBGrid1, &TDBGrid::editButtonClick, [this] { DBGrid1EditButtonClick(); });
}

void TTypDog::FormShow() {
    TDog->Open();
    OkPressed = false;
    TemplateFile.clear();
    DBGrid1->setFocus();
}

// The row being typed is stored first, so a template just entered can be chosen at
// once; a row that cannot be stored keeps the picker open with the error shown.
void TTypDog::BitBtn1Click() {
    DBGrid1->EndCellEdit(true);
    TDog->CheckBrowseMode();
    OkPressed = true;
    TemplateFile = TDog->FieldByName(QStringLiteral("NameFile"))->AsString();
}

void TTypDog::DBGrid1EditButtonClick() {
    DBGrid1->EndCellEdit(true);
    TField *name = TDog->FieldByName(QStringLiteral("NameFile"));
    const QString chosen = ChooseDocumentFile(this, QStringLiteral("Образец договора"));
    if (chosen.isEmpty()) return;
    const QString stored = FittingName(chosen, name->Size());
    TDog->Edit();
    name->SetAsString(stored);
}

// A row typed and not confirmed with OK goes with the closing picker.
void TTypDog::FormClose() {
    DBGrid1->EndCellEdit(false);
    if (TDog->Active()) {
        TDog->Cancel();
        TDog->Close();
    }
}
