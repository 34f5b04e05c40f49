#include "contracts/USpEtap.h"

#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TSpEtap *SpEtap = nullptr;

TSpEtap::TSpEtap(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("SpEtap"));
    SetCaption(QStringLiteral("Список этапов"));
    SetHelpContext(8);

    Sost = new TTable(this, QStringLiteral("Sostoyn.db"));
    Sost->setObjectName(QStringLiteral("Sost"));
    TField *id = Sost->AddField(QStringLiteral("Sost_id"), TFieldType::ftAutoInc);
    id->DisplayLabel = QStringLiteral("п.п");
    id->ReadOnly = true;
    Sost->AddField(QStringLiteral("NameSost"), TFieldType::ftString, 50)->DisplayLabel =
        QStringLiteral("Название этапа");
    DSSost = new TDataSource(this, Sost);

    DBGrid1 = new TDBGrid(this, DSSost);
    DBGrid1->AddColumn(QStringLiteral("Sost_id"), QStringLiteral("п.п"), 50, true);
    DBGrid1->AddColumn(QStringLiteral("NameSost"), QStringLiteral("Название этапа"), 330);
    BitBtn1 = new QPushButton(QStringLiteral("Выход"), this);
    BitBtn1->setAutoDefault(false);

    auto *buttons = ButtonRow({BitBtn1});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);
    resize(440, 360);

    OnClick(BitBtn1, [this] { BitBtn1Click(); });
}

void TSpEtap::FormShow() {
    Sost->Open();
    DBGrid1->setFocus();
}

void TSpEtap::BitBtn1Click() {
    Close();
}

// A name being typed is kept, not dropped with the closing table; an error in
// writing it keeps the dictionary open.
void TSpEtap::FormClose() {
    Sost->CheckBrowseMode();
    Sost->Close();
}
