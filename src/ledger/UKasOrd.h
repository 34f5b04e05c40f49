#pragma once
// The dialog of a cash order before it prints: its number, from whom the money is
// received or to whom it is paid, the basis, the attachment, the payee's document
// (outgoing orders only) and the amount in words, edited in place on the order row of
// the cash view. "Печать" hands the order back to the view to store and print.
#include "controls/Forms.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TDataSource;
class TDBEdit;
class TDBMemo;

class TKasOrd : public TForm {
    Q_OBJECT
  public:
    // `source`: the cash view's order details (`Kassa->DSKas`).
    explicit TKasOrd(TDataSource *source, QWidget *parent = nullptr);
    ~TKasOrd() override;

    // Cleared when shown; set by "Печать".
    bool OkPressed = false;

    // Caption, payer or payee label and the document box for the direction, and the
    // amount in words.
    void SetUp(bool incoming, const QString &memo);

    TDBEdit *DBEdit1 = nullptr;      // "Номер документа"
    QLabel *Label2 = nullptr;        // "Принять от" / "Выдать"
    TDBEdit *DBEdit2 = nullptr;      // Komu
    TDBMemo *DBEdit3 = nullptr;      // "Основание"
    TDBMemo *DBEdit4 = nullptr;      // "Приложение"
    QLabel *Label5 = nullptr;        // "Документ"
    TDBMemo *DBEdit5 = nullptr;      // Dokument
    QPlainTextEdit *Memo1 = nullptr; // "Сумма прописью"
    QPushButton *BitBtn1 = nullptr;  // "Печать"
    QPushButton *BitBtn2 = nullptr;  // "Cancel"

    void BitBtn1Click();

  protected:
    void FormShow() override;

  private:
    TDataSource *m_source;
};

extern TKasOrd *KasOrd;
