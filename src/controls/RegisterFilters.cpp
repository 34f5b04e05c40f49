#include "controls/RegisterFilters.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

QGridLayout *LayOutRegisterFilters(QWidget *form, QWidget *from, QWidget *to, QWidget *list,
                                   std::initializer_list<TNameFilterRow> rows) {
    auto *filters = new QGridLayout;
    auto *dates = new QHBoxLayout;
    dates->addWidget(from);
    dates->addWidget(new QLabel(QStringLiteral("по"), form));
    dates->addWidget(to);
    dates->addStretch();
    filters->addWidget(new QLabel(QStringLiteral("Период с"), form), 0, 0);
    filters->addLayout(dates, 0, 1, 1, 3);
    filters->addWidget(list, 0, 5);
    int row = 1;
    for (const TNameFilterRow &r : rows) {
        filters->addWidget(r.Label, row, 0);
        filters->addWidget(r.Box, row, 1, 1, 3);
        filters->addWidget(r.Button, row, 4);
        ++row;
    }
    filters->setColumnStretch(6, 1);
    return filters;
}
