#pragma once
// A shown, active window holding one edit field with the focus and a plain line edit
// beside it to take the focus away, as the user would by Tab.
#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QWidget>

template <class Edit> struct EditForm {
    QWidget window;
    Edit *edit;
    QLineEdit *other;

    EditForm() {
        auto *layout = new QHBoxLayout(&window);
        edit = new Edit(&window);
        other = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus(Qt::TabFocusReason);
    }
    void leave() { other->setFocus(Qt::TabFocusReason); }
};
