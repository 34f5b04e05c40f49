#pragma once
// Replacing the banks, partners and payment orders of the data folder by the tables of
// the same names in the data folder of an earlier version: the form of the command
// "Экспорт данных из предидущих версий" and the replacement it runs.
#include "controls/Forms.h"

#include <functional>

class QLineEdit;
class QPushButton;
class TAnimate;
class TOpenDialog;

// What the replacement wrote.
struct TExpOldCounts {
    int banks = 0;
    int partners = 0;
    int orders = 0;
};

// Checks the three tables of the earlier folder (each there, with no more fields than
// the program's table and the same field names by position, without regard to case)
// and throws EOrbekError saying what does not fit; nothing is read beyond that.
void CheckEarlierTables(const QString &folder);
// The question asked before anything is replaced; it says where the copy of the data
// goes, and when journal entries, documents or contracts of the data folder refer to
// partners, whose keys change.
QString ReplaceQuestion(const QString &folder, const QString &safetyCopy);
// Empties Bank.db, Klient.DB and PlatPor.DB and fills them from the folder's tables,
// field by field in field order, in one transaction: any error leaves them as they
// were. Bank accounts follow their owners to their new keys (0 for an owner that was
// not copied); an order's payer is the own organisation with its INN (none for an empty
// INN; else the payer's new key), its recipient the new key of its old recipient (0 when
// absent), and its contract none. Throws EOrbekError.
TExpOldCounts ReplaceFromEarlierVersion(const QString &folder,
                                        const std::function<void(const QString &)> &step = {});

class TExpOld : public TForm {
    Q_OBJECT
  public:
    explicit TExpOld(QWidget *parent = nullptr);

    QPushButton *BitBtn1 = nullptr; // "Папка со старыми базами"
    QLineEdit *Path1 = nullptr;     // the earlier folder, chosen or typed
    QPushButton *BitBtn3 = nullptr; // "Подкачать данные"
    QPushButton *BitBtn4 = nullptr; // "Закрыть"
    TAnimate *Animate1 = nullptr;   // shown while the tables are copied
    TOpenDialog *OpD = nullptr;
    // The current directory when the form was shown; current again when it closes.
    QString AppDir;

    void BitBtn1Click();
    void BitBtn3Click();

  protected:
    void FormShow() override;
    void FormClose() override;
};

extern TExpOld *ExpOld;

// The command: the shared datasets closed around the form, and the main window's
// first-show steps run again afterwards, so the current own organisation is taken from
// the replaced partners.
void ExpOldCommand(const QString &caption);
