#pragma once
// "Обороты по счету": the turnover of the accounts beginning with the typed code over a
// period, by correspondent account, side by side: the debit side with its correspondent
// credit accounts on the left, the credit side with its correspondent debit accounts on
// the right, row i of each list on row i of the page; then the account's saldo on the
// period's last day, counted from 01.01.1998 as in the balance. The report is built in
// memory and previewed; no table is written.
#include "controls/Forms.h"
#include "db/Query.h"
#include "print/Report.h"
#include "print/RowSource.h"

#include <optional>
#include <vector>

class QLineEdit;
class QPushButton;
class TDateTimePicker;

// The report's rows: `Kredit` and `SumKre` of the debit side beside `Debet` and `SumDeb`
// of the credit side; a side without a row at that place prints empty.
class TTurnoverBuffer : public TRowSource {
  public:
    struct Row {
        QString Debet, Kredit; // correspondent account codes, up to 20 characters
        std::optional<double> SumDeb, SumKre;
    };
    std::vector<Row> Rows;

    QString Name() const override { return QStringLiteral("Otchet"); }
    void BeginPass() override {}
    bool SelectRow(int row) override;
    int FieldIndex(const QString &name) const override;
    QVariant Value(int field) const override;
    double Number(int field) const override { return Value(field).toDouble(); }
    QString Text(int field, const QString &mask) const override;

  private:
    int m_row = -1;
};

class TItogOb : public TForm {
    Q_OBJECT
  public:
    explicit TItogOb(QWidget *parent = nullptr);
    ~TItogOb() override;

    // The debit side by correspondent credit account, the credit side by correspondent
    // debit account, over the period (parameters DatV, DatI, sch, org).
    TQuery *DebOb = nullptr;
    TQuery *KreOb = nullptr;
    // The sums of each side from 01.01.1998 to the period's end (datVx, datIs, org, sch).
    TQuery *Debet = nullptr;
    TQuery *Kredit = nullptr;
    TTurnoverBuffer Otchet;

    TDateTimePicker *DatV = nullptr;
    TDateTimePicker *DatI = nullptr;
    QLineEdit *Edit1 = nullptr;     // "Балансовый счет": a prefix of account codes
    QPushButton *BitBtn1 = nullptr; // "Печать"
    QPushButton *BitBtn2 = nullptr; // "Cancel"

    TReport Report1;
    TRepLabel *RepLabel1 = nullptr; // "Обороты по " + the account
    TRepLabel *RepLabel2 = nullptr; // the period
    TRepLabel *RepLabel9 = nullptr; // the saldo

    void BitBtn1Click();

  protected:
    void FormShow() override;

  private:
    void buildReport();
};

// "Сальдо К 1 200.00" for a credit saldo (credit - debit above 0) or 0, "Сальдо Д 7.00"
// for a debit one, without sign.
QString SaldoText(Currency saldo);

extern TItogOb *ItogOb;
