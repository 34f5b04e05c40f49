#include "ledger/UKasOrd.h"

#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TKasOrd *KasOrd = nullptr;

TKasOrd::TKasOrd(TDataSource *source, QWidget *parent) : TForm(parent), m_source(source) {
    setObjectName(QStringLiteral("KasOrd"));
    SetCaption(QStringLiteral("Приходный ордер"));

    DBEdit1 = new TDBEdit(this, m_source, QStringLiteral("NumbDok"));
    Label2 = new QLabel(QStringLiteral("Принять от"), this);
    DBEdit2 = new TDBEdit(this, m_source, QStringLiteral("Komu"));
    DBEdit3 = new TDBMemo(this, m_source, QStringLiteral("Primech"));
    DBEdit4 = new TDBMemo(this, m_source, QStringLiteral("Prilog"));
    Label5 = new QLabel(QStringLiteral("Документ"), this);
    DBEdit5 = new TDBMemo(this, m_source, QStringLiteral("Dokument"));
    // The long one-line texts wrap instead of running out of sight.
    for (TDBMemo *memo : {DBEdit3, DBEdit4, DBEdit5})
        memo->SetWantReturns(false);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setTabChangesFocus(true);

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Номер документа"), this), 0, 0);
    fields->addWidget(DBEdit1, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(DBEdit2, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Основание"), this), 2, 0, Qt::AlignTop);
    fields->addWidget(DBEdit3, 2, 1);
    fields->addWidget(new QLabel(QStringLiteral("Приложение"), this), 3, 0, Qt::AlignTop);
    fields->addWidget(DBEdit4, 3, 1);
    fields->addWidget(Label5, 4, 0, Qt::AlignTop);
    fields->addWidget(DBEdit5, 4, 1);
    fields->addWidget(new QLabel(QStringLiteral("Сумма прописью"), this), 5, 0, Qt::AlignTop);
    fields->addWidget(Memo1, 5, 1);
    fields->setColumnStretch(1, 1);

    BitBtn1 = new QPushButton(QStringLiteral("Печать"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    auto *buttons = ButtonRow({BitBtn1, BitBtn2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(sizeHint());

    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    SetModalResult(BitBtn2, mrCancel);
    SetCancelButton(BitBtn2);
}

TKasOrd::~TKasOrd() {
    if (KasOrd == this) KasOrd = nullptr;
}

void TKasOrd::SetUp(bool incoming, const QString &memo) {
    SetCaption(incoming ? QStringLiteral("Приходный ордер") : QStringLiteral("Расходный ордер"));
    Label2->setText(incoming ? QStringLiteral("Принять от") : QStringLiteral("Выдать"));
    Label5->setVisible(!incoming);
    DBEdit5->setVisible(!incoming);
    Memo1->setPlainText(memo);
}

void TKasOrd::FormShow() {
    OkPressed = false;
    DBEdit2->setFocus();
}

// What is still being typed goes into the order before the view prints it.
void TKasOrd::BitBtn1Click() {
    if (TDataSet *ds = m_source->DataSet(); ds && ds->Active()) ds->UpdateRecord();
    OkPressed = true;
    SetModalResult(mrOk);
}
