#include "app/UConfig.h"

#include "controls/DBCtrls.h"
#include "controls/StdCtrls.h"
#include "db/Formats.h"
#include "db/Query.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TConfig *Config = nullptr;

namespace {

TSpinButton makeSpinButton(QWidget *parent) {
    TSpinButton spin;
    spin.UpButton = new QToolButton(parent);
    spin.UpButton->setArrowType(Qt::UpArrow);
    spin.DownButton = new QToolButton(parent);
    spin.DownButton->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {spin.UpButton, spin.DownButton}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(18, 11);
        b->setAutoRepeat(true);
    }
    return spin;
}

QWidget *withSpin(QWidget *parent, QWidget *edit, const TSpinButton &spin) {
    auto *box = new QWidget(parent);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(edit);
    auto *arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(spin.UpButton);
    arrows->addWidget(spin.DownButton);
    row->addLayout(arrows);
    row->addStretch();
    return box;
}

} // namespace

TConfig::TConfig(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("Config"));
    SetCaption(QStringLiteral("Установки"));

    Conf = new TTable(this, QStringLiteral("Config.db"));
    Conf->setObjectName(QStringLiteral("Conf"));
    ConfRasdel = Conf->AddField(QStringLiteral("Rasdel"), TFieldType::ftString, 15);
    ConfPeriod = Conf->AddField(QStringLiteral("Period"), TFieldType::ftString, 15);
    ConfKolCopy = Conf->AddField(QStringLiteral("KolCopy"), TFieldType::ftFloat);
    ConfSizeFont = Conf->AddField(QStringLiteral("SizeFont"), TFieldType::ftFloat);
    ConfProcNDS = Conf->AddField(QStringLiteral("ProcNDS"), TFieldType::ftFloat);
    ConfAppBank = Conf->AddField(QStringLiteral("AppBank"), TFieldType::ftBoolean);
    ConfFormatDat = Conf->AddField(QStringLiteral("FormatDat"), TFieldType::ftString, 15);
    DataSource1 = new TDataSource(this, Conf);

    DBComboBox2 =
        new TDBComboBox(this, DataSource1, QStringLiteral("Rasdel"), TComboBoxStyle::csDropDownList);
    DBComboBox2->SetItems({QStringLiteral("Тире"), QStringLiteral("Точка"), QStringLiteral("Запятая")});
    DBComboBox1 =
        new TDBComboBox(this, DataSource1, QStringLiteral("Period"), TComboBoxStyle::csDropDownList);
    DBComboBox1->SetItems({QStringLiteral("Год"), QStringLiteral("Месяц"), QStringLiteral("День")});
    DBEdit1 = new TDBEdit(this, DataSource1, QStringLiteral("KolCopy"));
    SpinButton1 = makeSpinButton(this);
    DBEdit2 = new TDBEdit(this, DataSource1, QStringLiteral("SizeFont"));
    SpinButton2 = makeSpinButton(this);
    DBEdit3 = new TDBEdit(this, DataSource1, QStringLiteral("ProcNDS"));
    // Copies, a font size and a percent: six characters show any sensible value.
    for (TField *f : {ConfKolCopy, ConfSizeFont, ConfProcNDS})
        f->DisplayWidth = 6;
    DBCheckBox1 = new TDBCheckBox(QStringLiteral("Добавлять в название банка город"), this, DataSource1,
                                  QStringLiteral("AppBank"));
    DBComboBox3 = new TDBComboBox(this, DataSource1, QStringLiteral("FormatDat"), TComboBoxStyle::csDropDown);
    DBComboBox3->SetItems({QStringLiteral("dd.mm.yyyy"), QStringLiteral("dd mmmm yyyy г."),
                           QStringLiteral("dd mmmm yyyy г"), QStringLiteral("dd.mm.yy"),
                           QStringLiteral("dd mmmm yy")});
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);

    auto *grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString &label, QWidget *control) {
        grid->addWidget(new QLabel(label, this), row, 0);
        grid->addWidget(control, row, 1);
        ++row;
    };
    addRow(QStringLiteral("Разделитель между целой частью и дробной"), DBComboBox2);
    addRow(QStringLiteral("Длинна периода по умолчанию"), DBComboBox1);
    addRow(QStringLiteral("Кол-во копий печати платежек по умолчанию"), withSpin(this, DBEdit1, SpinButton1));
    addRow(QStringLiteral("Размер шрифта в платежном поручении"), withSpin(this, DBEdit2, SpinButton2));
    addRow(QStringLiteral("Процент НДС по умолчанию"), DBEdit3);
    grid->addWidget(DBCheckBox1, row++, 0, 1, 2);
    addRow(QStringLiteral("Формат даты в платежке"), DBComboBox3);
    auto *buttons = ButtonRow({BitBtn1, BitBtn2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    SetModalResult(BitBtn1, mrOk);
    SetModalResult(BitBtn2, mrCancel);
    SetDefaultButton(BitBtn1);
    SetCancelButton(BitBtn2);
    OnClick(SpinButton1.UpButton, [this] { SpinButton1UpClick(); });
    OnClick(SpinButton1.DownButton, [this] { SpinButton1DownClick(); });
    OnClick(SpinButton2.UpButton, [this] { SpinButton2UpClick(); });
    OnClick(SpinButton2.DownButton, [this] { SpinButton2DownClick(); });

    // Open for the whole run: the other forms read the settings from these fields.
    Conf->Open();
}

TConfig::~TConfig() {
    if (Config == this) Config = nullptr;
}

// ---- Handlers -------------------------------------------------------------------

void TConfig::BitBtn1Click() {
    // The field being typed into has not reached the row yet.
    Conf->UpdateRecord();
    if (Conf->State() == TDataSetState::dsEdit) Conf->Post();
}

void TConfig::Step(TField *field, double delta) {
    // No bounds: a copy count of 0 or below is the user's choice.
    Conf->UpdateRecord();
    Conf->Edit();
    field->SetAsFloat(field->AsFloat() + delta);
}

void TConfig::FormClose() {
    // Cancel and the close box drop the edits; after OK nothing is left to drop.
    if (Conf->State() == TDataSetState::dsEdit) Conf->Cancel();
}

QString SettingText(const QString &name) {
    if (Config && Config->Conf->Active()) return Config->Conf->FieldByName(name)->AsString();
    // Before the settings form exists (routines used on their own) the row is read.
    TQuery conf;
    conf.SetSQLText(QStringLiteral("select %1 from Config").arg(name));
    conf.Open();
    return conf.IsEmpty() ? QString() : conf.FieldByName(name)->AsString();
}

void ApplyRasdel() {
    fmt::ApplySeparatorName(SettingText(QStringLiteral("Rasdel")));
}

// The meta-object code of this module compiles with it, so using the module links
// nothing of modules still being written.
#include "moc_UConfig.cpp"
