#include "app/UQ1.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

TQ_pri *Q_pri = nullptr;

TQ_pri::TQ_pri(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("Q_pri"));
    SetCaption(QStringLiteral(" "));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto *layout = new QVBoxLayout(this);
    // Each button names its printed form and closes the chooser with it.
    auto choice = [&](const QString &caption, const QString &code) {
        auto *button = new QPushButton(caption, this);
        layout->addWidget(button);
        OnClick(button, [this, code] { PrintChoice = code; });
        SetModalResult(button, mrOk);
        return button;
    };
    SpeedButton1 = choice(QStringLiteral("СЧЕТ"), QStringLiteral("3"));
    SpeedButton2 = choice(QStringLiteral("СЧЕТ (с реквизитами покупателя)"), QStringLiteral("4"));
    SpeedButton3 = choice(QStringLiteral("СЧЕТ-ФАКТУРА"), QStringLiteral("1"));
    SpeedButton7 = choice(QStringLiteral("СЧЕТ-ФАКТУРА (вертикальная)"), QStringLiteral("7"));
    SpeedButton4 = choice(QStringLiteral("НАКЛАДНАЯ (с реквизитами)"), QStringLiteral("2"));
    SpeedButton5 = choice(QStringLiteral("НАКЛАДНАЯ"), QStringLiteral("5"));
    SpeedButton6 =
        choice(QStringLiteral("НАКЛАДНАЯ (с реквизитами и налогом с продаж)"), QStringLiteral("6"));
    CheckBox1 = new QCheckBox(QStringLiteral("печатать налог с продаж"), this);
    layout->addWidget(CheckBox1);
    BitBtn3 = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(BitBtn3, 0, Qt::AlignHCenter);
    SetModalResult(BitBtn3, mrCancel);
    SetCancelButton(BitBtn3);
}

TQ_pri::~TQ_pri() {
    if (Q_pri == this) Q_pri = nullptr;
}

void TQ_pri::FormShow() {
    PrintChoice = QStringLiteral("0");
}

// The meta-object code of this module compiles with it, so using the module links
// nothing of modules still being written.
#include "moc_UQ1.cpp"
