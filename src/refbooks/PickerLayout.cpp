#include "refbooks/PickerLayout.h"

#include "controls/DBGrid.h"
#include "controls/Forms.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TPickerButtons LayOutPicker(TForm *form, QWidget *list, QLayout *above) {
    TPickerButtons buttons;
    buttons.Ok = new QPushButton(QStringLiteral("OK"), form);
    buttons.Cancel = new QPushButton(QStringLiteral("Отмена"), form);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(buttons.Ok);
    row->addWidget(buttons.Cancel);
    auto *layout = new QVBoxLayout(form);
    if (above) layout->addLayout(above);
    layout->addWidget(list);
    layout->addLayout(row);
    TForm::SetModalResult(buttons.Ok, mrOk);
    TForm::SetModalResult(buttons.Cancel, mrCancel);
    form->SetCancelButton(buttons.Cancel);
    return buttons;
}

void ChooseOnDoubleClick(TForm *form, TDBGrid *list, std::function<void()> choose) {
    Connect(list, &TDBGrid::dblClick, [form, choose = std::move(choose)] {
        choose();
        form->SetModalResult(mrOk);
    });
}
