#pragma once
// The shape the reference-book pickers share: the list (with whatever stands above it)
// over a row of OK and Cancel at the right. OK closes the picker with mrOk after its
// handler; Cancel and Esc close it with mrCancel.
#include <QPushButton>

#include <functional>

class QLayout;
class QWidget;
class TDBGrid;
class TForm;

struct TPickerButtons {
    QPushButton *Ok = nullptr;
    QPushButton *Cancel = nullptr;
};

TPickerButtons LayOutPicker(TForm *form, QWidget *list, QLayout *above = nullptr);

// A double click on a row of the list chooses it as OK does: `choose` (the OK
// handler) runs, then the picker closes with mrOk.
void ChooseOnDoubleClick(TForm *form, TDBGrid *list, std::function<void()> choose);
