#pragma once
// The chart of accounts, edited in place from the administrator menu and picked from by
// the journal's "Дебет" and "Кредит" cells and the cash operation dialog. The chart is
// the journal's dataset `PlSch` (TProvodka), shared and open for the whole run, so the
// picker opens on the account chosen last time. A caller shows the form modally and,
// when OkPressed is set, reads `Schet` of the chart's current row.
#include "controls/Forms.h"
#include "print/Report.h"

class QPushButton;
class QToolButton;
class TDBGrid;

class TPlan : public TForm {
    Q_OBJECT
  public:
    explicit TPlan(QWidget *parent = nullptr);
    ~TPlan() override;

    // Cleared when shown; set by "Ok" and by a double click on a row.
    bool OkPressed = false;

    TDBGrid *DBGrid1 = nullptr;
    QToolButton *SpeedButton1 = nullptr; // "F5 - Печать"
    QToolButton *SpeedButton2 = nullptr; // "F6 - Добавить"
    QToolButton *SpeedButton3 = nullptr; // "F8 - Удалить"
    QPushButton *BitBtn1 = nullptr;      // "Ok"
    QPushButton *BitBtn2 = nullptr;      // "Cancel"

    TReport Report1;

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    // "Ok": the row being typed is stored first, so the code read is the one typed.
    void BitBtn1Click();
    void DBGrid1DblClick();

  protected:
    void FormShow() override;
    // Cancel, Esc and the close box drop the row being typed; Ok has stored it.
    void FormClose() override;

  private:
    void buildReport();
    void bindChart();
    void choose(bool keepTypedText);
};

extern TPlan *Plan;
