#pragma once
// Whether a document raised from a contract is a purchase or a sale.
#include "controls/Forms.h"

class QPushButton;

class TQuery_f : public TForm {
    Q_OBJECT
  public:
    explicit TQuery_f(QWidget *parent = nullptr);
    ~TQuery_f() override;

    // 0 nothing chosen (set on every show), 1 purchase, 2 sale.
    double DealKind = 0;

    QPushButton *BitBtn1 = nullptr; // "Покупка"
    QPushButton *BitBtn2 = nullptr; // "Продажа"
    QPushButton *BitBtn3 = nullptr; // Cancel

  protected:
    void FormShow() override;
};

extern TQuery_f *Query_f;
