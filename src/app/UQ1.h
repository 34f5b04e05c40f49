#pragma once
// Which printed form of a sales document to print.
#include "controls/Forms.h"

class QCheckBox;
class QPushButton;

class TQ_pri : public TForm {
    Q_OBJECT
  public:
    explicit TQ_pri(QWidget *parent = nullptr);
    ~TQ_pri() override;

    // "0" nothing chosen (set on every show), "1" to "7" the printed form chosen.
    QString PrintChoice = QStringLiteral("0");

    QPushButton *SpeedButton1 = nullptr; // "СЧЕТ"
    QPushButton *SpeedButton2 = nullptr; // "СЧЕТ (с реквизитами покупателя)"
    QPushButton *SpeedButton3 = nullptr; // "СЧЕТ-ФАКТУРА"
    QPushButton *SpeedButton7 = nullptr; // "СЧЕТ-ФАКТУРА (вертикальная)"
    QPushButton *SpeedButton4 = nullptr; // "НАКЛАДНАЯ (с реквизитами)"
    QPushButton *SpeedButton5 = nullptr; // "НАКЛАДНАЯ"
    QPushButton *SpeedButton6 = nullptr; // "НАКЛАДНАЯ (с реквизитами и налогом с продаж)"
    // "печатать налог с продаж": keeps its state from one print to the next.
    QCheckBox *CheckBox1 = nullptr;
    QPushButton *BitBtn3 = nullptr; // Cancel

  protected:
    void FormShow() override;
};

extern TQ_pri *Q_pri;
