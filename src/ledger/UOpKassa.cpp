#include "ledger/UOpKassa.h"

#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"
#include "ledger/UPlan.h"
#include "ledger/UProvodka.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TOpKassa *OpKassa = nullptr;

TOpKassa::TOpKassa(TDataSource *source, QWidget *parent) : TForm(parent), m_source(source) {
    setObjectName(QStringLiteral("OpKassa"));
    SetCaption(QStringLiteral("Приход"));

    DBEdit1 = new TDBEdit(this, m_source, QStringLiteral("DateProv"));
    DBEdit2 = new TDBEdit(this, m_source, QStringLiteral("Kredit"));
    DBEdit3 = new TDBEdit(this, m_source, QStringLiteral("Summa"));
    DBEdit4 = new TDBEdit(this, m_source, QStringLiteral("Primech"));
    SpeedButton1 = DictionaryButton(this);
    auto *account = new QHBoxLayout;
    account->addWidget(DBEdit2);
    account->addWidget(SpeedButton1);
    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Дата"), DBEdit1);
    fields->addRow(QStringLiteral("Кор. счет"), account);
    fields->addRow(QStringLiteral("Сумма"), DBEdit3);
    fields->addRow(QStringLiteral("Примечание"), DBEdit4);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    auto *buttons = ButtonRow({BitBtn1, BitBtn2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(sizeHint().width(), 200);

    SetDefaultButton(BitBtn1);
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(SpeedButton1, [this] { SpeedButton1Click(); });
    SetModalResult(BitBtn2, mrCancel);
    SetCancelButton(BitBtn2);
}

TOpKassa::~TOpKassa() {
    if (OpKassa == this) OpKassa = nullptr;
}

void TOpKassa::FormShow() {
    OkPressed = false;
    RowPosted = false;
    DBEdit1->setFocus();
}

// The chosen account goes to the side the dialog edits, and the operation is posted
// into the view's cache at once.
void TOpKassa::SpeedButton1Click() {
    ShowModal(Plan);
    if (!Plan->OkPressed) return;
    TDataSet *Prov = m_source->DataSet();
    Prov->Edit();
    Prov->FieldByName(Caption() == QStringLiteral("Приход") ? QStringLiteral("Kredit")
                                                            : QStringLiteral("Debet"))
        ->SetAsString(Provodka->PlSchSchet->AsString());
    Prov->Post();
    RowPosted = true;
}

// What is still being typed goes into the operation, which is posted into the view's
// cache here, so an operation refused (no correspondent account) keeps the dialog open.
void TOpKassa::BitBtn1Click() {
    if (TDataSet *ds = m_source->DataSet(); ds && ds->Active()) ds->CheckBrowseMode();
    OkPressed = true;
    SetModalResult(mrOk);
}
