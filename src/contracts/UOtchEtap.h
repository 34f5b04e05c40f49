#pragma once
// The overdue-stages report: every contract stage whose date has come and whose state
// was never chosen, of every own organisation, previewed at once.
#include "controls/Forms.h"
#include "db/Query.h"
#include "print/Report.h"

class TOtchEtap : public TForm {
    Q_OBJECT
  public:
    explicit TOtchEtap(QWidget *parent = nullptr);
    ~TOtchEtap() override;

    // The stages due on or before :dat with no state, with their contract's number,
    // date and sum and the short names of its partner and organisation. Stays open
    // after a run until the next.
    TQuery *Query1 = nullptr;
    TReport Report1;
    TRepLabel *RepLabel2 = nullptr; // "на " + the date of the run

    // Runs the report for today and shows its preview; returns when the preview closes.
    void RunReport();

  private:
    void buildReport();
};

extern TOtchEtap *OtchEtap;
