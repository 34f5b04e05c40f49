#include "app/UQuery_f.h"

#include <QHBoxLayout>
#include <QPushButton>

TQuery_f *Query_f = nullptr;

TQuery_f::TQuery_f(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("Query_f"));
    SetCaption(QStringLiteral(" "));

    BitBtn1 = new QPushButton(QStringLiteral("Покупка"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Продажа"), this);
    BitBtn3 = new QPushButton(QStringLiteral("Cancel"), this);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(BitBtn1);
    layout->addWidget(BitBtn2);
    layout->addWidget(BitBtn3);

    OnClick(BitBtn1, [this] { DealKind = 1; });
    OnClick(BitBtn2, [this] { DealKind = 2; });
    SetModalResult(BitBtn1, mrOk);
    SetModalResult(BitBtn2, mrOk);
    SetModalResult(BitBtn3, mrCancel);
    SetCancelButton(BitBtn3);
}

TQuery_f::~TQuery_f() {
    if (Query_f == this) Query_f = nullptr;
}

void TQuery_f::FormShow() {
    DealKind = 0;
}

// The meta-object code of this module compiles with it, so using the module links
// nothing of modules still being written.
#include "moc_UQuery_f.cpp"
