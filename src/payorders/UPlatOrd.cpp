#include "payorders/UPlatOrd.h"

#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TPlatOrd *PlatOrd = nullptr;

TPlatOrd::TPlatOrd(TDataSource *source, QWidget *parent) : TForm(parent), m_source(source) {
    setObjectName(QStringLiteral("PlatOrd"));
    SetCaption(QStringLiteral(" "));

    auto *fields = new QFormLayout;
    DBEdit1 = new TDBEdit(this, m_source, QStringLiteral("NumbChP"));
    DBEdit2 = new TDBEdit(this, m_source, QStringLiteral("ShyfrPl"));
    DBEdit3 = new TDBEdit(this, m_source, QStringLiteral("NumbPlD"));
    DBEdit4 = new TDBEdit(this, m_source, QStringLiteral("DatPlD"));
    DBEdit4->SetEditMask(QStringLiteral("!90/90/0000;1;_"));
    fields->addRow(QStringLiteral("№ ч. плат."), DBEdit1);
    fields->addRow(QStringLiteral("Шифр плат. док."), DBEdit2);
    fields->addRow(QStringLiteral("№ плат. док."), DBEdit3);
    fields->addRow(QStringLiteral("Дата плат. док."), DBEdit4);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    auto *buttons = ButtonRow({BitBtn1, BitBtn2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    SetDefaultButton(BitBtn1);
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(BitBtn2, [this] { BitBtn2Click(); });
    SetDropsBadInput(BitBtn2);
}

TPlatOrd::~TPlatOrd() {
    if (PlatOrd == this) PlatOrd = nullptr;
}

void TPlatOrd::FormShow() {
    OkPressed = false;
    DBEdit1->setFocus();
}

// What is still being typed goes into the row before the form prints it.
void TPlatOrd::BitBtn1Click() {
    if (TDataSet *ds = m_source->DataSet(); ds && ds->Active()) ds->UpdateRecord();
    OkPressed = true;
    SetModalResult(mrOk);
}

void TPlatOrd::BitBtn2Click() {
    OkPressed = false;
    SetModalResult(mrCancel);
}
