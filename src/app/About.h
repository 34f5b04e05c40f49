#pragma once
// The about box, which is also the splash while the program starts.
#include "controls/Forms.h"

class QLabel;
class QPushButton;
class TAnimate;

class TAboutBox : public TForm {
    Q_OBJECT
  public:
    // Created as the splash: animation running, OK hidden.
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    QLabel *ProgramIcon = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Version = nullptr;
    QLabel *Comments = nullptr;
    TAnimate *Animate1 = nullptr;
    QPushButton *OKButton = nullptr;

    // From the splash to the ordinary about dialog: OK shown, animation stopped and hidden.
    void EndSplash();
};

extern TAboutBox *AboutBox;
