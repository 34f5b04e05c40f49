#pragma once
// The settings: the one row of Config.db, kept open for the whole run so every form
// reads the current values from Conf's fields when it needs them, and the dialog that
// edits them.
#include "controls/Forms.h"
#include "db/Table.h"

class QToolButton;
class TDBCheckBox;
class TDBComboBox;
class TDBEdit;

// An up/down button pair beside an edit field.
struct TSpinButton {
    QToolButton *UpButton = nullptr;
    QToolButton *DownButton = nullptr;
};

class TConfig : public TForm {
    Q_OBJECT
  public:
    // Opens Conf: throws EDatabaseError when the settings table cannot be opened.
    explicit TConfig(QWidget *parent = nullptr);
    ~TConfig() override;

    TTable *Conf = nullptr;
    TDataSource *DataSource1 = nullptr;
    TField *ConfRasdel = nullptr;
    TField *ConfPeriod = nullptr;
    TField *ConfKolCopy = nullptr;
    TField *ConfSizeFont = nullptr;
    TField *ConfProcNDS = nullptr;
    TField *ConfAppBank = nullptr;
    TField *ConfFormatDat = nullptr;

    TDBComboBox *DBComboBox2 = nullptr; // Rasdel
    TDBComboBox *DBComboBox1 = nullptr; // Period
    TDBEdit *DBEdit1 = nullptr;         // KolCopy
    TSpinButton SpinButton1;
    TDBEdit *DBEdit2 = nullptr; // SizeFont
    TSpinButton SpinButton2;
    TDBEdit *DBEdit3 = nullptr;         // ProcNDS
    TDBCheckBox *DBCheckBox1 = nullptr; // AppBank
    TDBComboBox *DBComboBox3 = nullptr; // FormatDat
    QPushButton *BitBtn1 = nullptr;     // OK
    QPushButton *BitBtn2 = nullptr;     // Cancel

    void BitBtn1Click();
    void SpinButton1UpClick() { Step(ConfKolCopy, 1.0); }
    void SpinButton1DownClick() { Step(ConfKolCopy, -1.0); }
    void SpinButton2UpClick() { Step(ConfSizeFont, 1.0); }
    void SpinButton2DownClick() { Step(ConfSizeFont, -1.0); }

  protected:
    void FormClose() override;

  private:
    void Step(TField *field, double delta);
};

extern TConfig *Config;

// A setting as text, as stored in the settings row ("Rasdel", "Period"...): from Conf
// while it is open, else read from the table. Throws EDatabaseError.
QString SettingText(const QString &name);

// Sets the process decimal separator from the setting Rasdel ("Тире", "Точка",
// "Запятая"); any other value leaves it as it is. Throws when the settings row
// cannot be read.
void ApplyRasdel();
