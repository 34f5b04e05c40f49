#pragma once
// The filters above a register's list, laid out alike in every register: the period in
// a row of its own ("Период с" <from> "по" <to>, not as wide as the names under it)
// with the command that lists at its right, then one row per name filter: its label,
// its name box over three columns and its dictionary button.
#include <QString>

#include <initializer_list>

class QGridLayout;
class QWidget;

struct TNameFilterRow {
    QWidget *Label;
    QWidget *Box;
    QWidget *Button;
};

QGridLayout *LayOutRegisterFilters(QWidget *form, QWidget *from, QWidget *to, QWidget *list,
                                   std::initializer_list<TNameFilterRow> rows);
