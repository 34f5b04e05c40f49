#pragma once
// The shape the reference-book pickers share: the list (with whatever stands above it)
// over a row of OK and Cancel at the right. OK closes the picker with mrOk after its
// handler; Cancel and Esc close it with mrCancel.
#include <QPushButton>

class QLayout;
class QWidget;
class TForm;

struct TPickerButtons {
    QPushButton *Ok = nullptr;
    QPushButton *Cancel = nullptr;
};

TPickerButtons LayOutPicker(TForm *form, QWidget *list, QLayout *above = nullptr);
