#pragma once
// The standard-contract templates (TypeDog.db): a list edited in place that is also
// the template picker of "Текст договора".
//
//     ShowModal(TypDog);
//     if (TypDog->OkPressed) ...write from TypDog->TemplateFile...
#include "controls/Forms.h"
#include "db/Table.h"

class QPushButton;
class TDBGrid;
class TDataSource;

class TTypDog : public TForm {
    Q_OBJECT
  public:
    explicit TTypDog(QWidget *parent = nullptr);

    // Result: cleared on show; set by OK or a double click, and the chosen template's
    // file name (NameFile of the row, as stored) is then in TemplateFile.
    bool OkPressed = false;
    QString TemplateFile;

    // TypeDog.db: TypeDog_id, TypeDog (name), NameFile; written at each post.
    TTable *TDog = nullptr;
    TDataSource *DSTDog = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // Cancel

    void BitBtn1Click();
    // "..." of "Имя файла": the template file from the folder "dog".
    void DBGrid1EditButtonClick();

  protected:
    void FormShow() override;
    void FormClose() override;
};

extern TTypDog *TypDog;
