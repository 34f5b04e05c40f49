#include "sales/UOplataF.h"

#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "db/Currency.h"
#include "db/Database.h"
#include "sales/SalesTables.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TOplataF *OplataF = nullptr;

TOplataF::TOplataF(TDataSet *header, QWidget *parent) : TForm(parent), SpRasx(header) {
    setObjectName(QStringLiteral("OplataF"));
    SetCaption(QStringLiteral("Оплата"));

    Oplata = new TQuery(this);
    Oplata->setObjectName(QStringLiteral("Oplata"));
    Oplata->SetSQL({QStringLiteral("select * from Oplata"), QStringLiteral("Where Faktur_zag_id = :zag")});
    Oplata->ParamByName(QStringLiteral("zag"))->SetDataType(TFieldType::ftFloat);
    AddTableFields(Oplata, QStringLiteral("Oplata"));
    UpdateSQL1 = new TUpdateSQL(this);
    SetUpdateStatements(UpdateSQL1, QStringLiteral("Oplata"));
    Oplata->CachedUpdates = true;
    Oplata->UpdateObject = UpdateSQL1;
    // The header is stamped as the row is begun, so a row the user leaves untouched is
    // dropped rather than stored as an empty payment.
    Oplata->OnNewRecord = [this](TDataSet *ds) { OplataAfterInsert(ds); };
    Oplata->FieldByName(QStringLiteral("SummaOpl"))->OnValidate = [this](TField *f) {
        OplataSummaOplValidate(f);
    };
    DataSource1 = new TDataSource(this, Oplata);

    DBGrid1 = new TDBGrid(this, DataSource1);
    DBGrid1->AddColumn(QStringLiteral("DateOpl"), QStringLiteral("Дата"), 85);
    DBGrid1->AddColumn(QStringLiteral("NumbDok"), QStringLiteral("№ Док."), 80);
    DBGrid1->AddColumn(QStringLiteral("SummaOpl"), QStringLiteral("Сумма"));
    DBGrid1->AddColumn(QStringLiteral("SummaNds"), QStringLiteral("Сумма НДС"));
    DBGrid1->AddColumn(QStringLiteral("Primech"), QStringLiteral("Примечание"), 260);

    BitBtn1 = new QPushButton(QStringLiteral("Выход"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton *b : {BitBtn1, BitBtn2})
        b->setAutoDefault(false);
    auto *buttons = ButtonRow({BitBtn1, BitBtn2});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
    resize(qMax(700, sizeHint().width()), 360); // every column in view

    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    SetModalResult(BitBtn2, mrCancel);
    SetCancelButton(BitBtn2);
}

TOplataF::~TOplataF() {
    if (OplataF == this) OplataF = nullptr;
}

void TOplataF::FormShow() {
    Oplata->Close();
    Oplata->ParamByName(QStringLiteral("zag"))
        ->SetAsFloat(SpRasx->FieldByName(QStringLiteral("FAKTUR_ZAG_ID"))->AsFloat());
    Oplata->Open();
    DBGrid1->setFocus();
}

// Whatever was not stored by "Выход" is dropped.
void TOplataF::FormClose() {
    Oplata->Close();
}

void TOplataF::OplataAfterInsert(TDataSet *DataSet) {
    DataSet->FieldByName(QStringLiteral("Faktur_zag_id"))
        ->SetAsFloat(SpRasx->FieldByName(QStringLiteral("FAKTUR_ZAG_ID"))->AsFloat());
}

// The VAT in a payment, in the document's own ratio of VAT to the amount without it
// (not by the VAT percents of its lines), unrounded. A document without an amount has
// no ratio: its payments carry no VAT.
void TOplataF::OplataSummaOplValidate(TField *Sender) {
    const double summa = SpRasx->FieldByName(QStringLiteral("Summa"))->AsFloat();
    const double nds = SpRasx->FieldByName(QStringLiteral("SummaNDS"))->AsFloat();
    TField *share = Oplata->FieldByName(QStringLiteral("SummaNds"));
    if (summa == 0) {
        share->SetAsFloat(0);
        return;
    }
    const double ratio = nds / summa;
    const long double paid = Sender->AsFloat();
    share->SetAsFloat(double(paid - paid / (1 + (long double)ratio)));
}

// The payments and the header's total paid are written together or not at all; on a
// failure the form stays open with its payments, and the header is as stored.
void TOplataF::BitBtn1Click() {
    Oplata->CheckBrowseMode();
    try {
        TTransaction transaction;
        Oplata->ApplyUpdates();
        Oplata->CommitUpdates();
        double paid = 0;
        TField *summaOpl = Oplata->FieldByName(QStringLiteral("SummaOpl"));
        for (Oplata->First(); !Oplata->Eof(); Oplata->Next())
            paid += summaOpl->AsFloat();
        SpRasx->Edit();
        // Without the binary remainder of adding: payments in whole kopecks are paid
        // in whole kopecks.
        SpRasx->FieldByName(QStringLiteral("SummaOpl"))->SetAsFloat(Currency::fromDouble(paid).toDouble());
        SpRasx->Post();
        SpRasx->ApplyUpdates();
        SpRasx->CommitUpdates();
        transaction.Commit();
    } catch (...) {
        SpRasx->Cancel();
        SpRasx->CancelUpdates();
        throw;
    }
    Close();
}
