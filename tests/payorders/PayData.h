#pragma once
// A bookkeeper's data folder for the payment-order tests: organisations, their
// accounts, a small bank directory and orders, written straight into the tables, and
// the program started on it with the payment-order forms created.
#include "app/LogoMain.h"
#include "app/UConfig.h"
#include "controls/DBCtrls.h"
#include "controls/UiScript.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "refbooks/USlBankP.h"
#include "refbooks/USlPoluch.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>

namespace paydata {

inline double lastKey() {
    return double(db::Database::LastInsertRowId());
}

inline double addKlient(const QString &name, const QString &fullName, const QString &inn,
                        const QString &group) {
    db::Database::Exec(QStringLiteral("insert into Klient (Name, FullName, Inn, FlSvoy) values (?, ?, ?, ?)"),
                       {name, fullName, inn.isEmpty() ? QVariant() : QVariant(inn), group});
    return lastKey();
}

inline double addAccount(double owner, const QString &bank, const QString &schet, const QString &korSchet,
                         const QString &bik) {
    db::Database::Exec(
        QStringLiteral("insert into Bank (Klient_id, NameBank, Schet, KorSchet, Bik) values (?, ?, ?, ?, ?)"),
        {owner, bank, schet, korSchet, bik});
    return lastKey();
}

// One bank of the directory.
inline void addDirectoryBank(const QString &bik, const QString &prefix, const QString &name,
                             const QString &city, const QString &korSchet) {
    db::Database::Exec(
        QStringLiteral("insert into Bnkseek (NEWNUM, NamePr, NAMEP, NNP, KSNP) values (?, ?, ?, ?, ?)"),
        {bik, prefix, name, city, korSchet});
}

// A few real-looking banks.
inline void addDirectory() {
    addDirectoryBank(QStringLiteral("044525225"), QStringLiteral("ПАО"), QStringLiteral("Сбербанк"),
                     QStringLiteral("Москва"), QStringLiteral("30101810400000000225"));
    addDirectoryBank(QStringLiteral("044525593"), QStringLiteral("АО"), QStringLiteral("Альфа-Банк"),
                     QStringLiteral("Москва"), QStringLiteral("30101810200000000593"));
    addDirectoryBank(QStringLiteral("044030653"), QStringLiteral("ПАО"),
                     QStringLiteral("Северо-Западный банк"), QStringLiteral("Санкт-Петербург"),
                     QStringLiteral("30101810500000000653"));
}

struct Order {
    double number = 0;
    QDate date;
    double payer = 0;
    QString recipient;
    double summa = 0;
    QString dopNumb;
    QString bank;
};

inline double addOrder(const Order &o) {
    db::Database::Exec(
        QStringLiteral("insert into PlatPor (NUMBER, DATE_PLAT, Id_Post, R_NAME, SUMMA, DopNumb, "
                       "R_BANK, Dogovor_id) values (?, ?, ?, ?, ?, ?, ?, 0)"),
        {o.number, o.date.toString(Qt::ISODate), o.payer,
         o.recipient.isEmpty() ? QVariant() : QVariant(o.recipient), o.summa,
         o.dopNumb.isEmpty() ? QVariant() : QVariant(o.dopNumb),
         o.bank.isEmpty() ? QVariant() : QVariant(o.bank)});
    return lastKey();
}

inline int count(const QString &sql, const QVariantList &binds = {}) {
    return db::Database::ScalarValue(sql, binds).toInt();
}

inline QVariant value(const QString &sql, const QVariantList &binds = {}) {
    return db::Database::ScalarValue(sql, binds);
}

inline int partners() {
    return count(QStringLiteral("select count(*) from Klient"));
}
inline int accounts() {
    return count(QStringLiteral("select count(*) from Bank"));
}

// The shown text of `field` in every row of `ds`, from the first.
inline QStringList column(TDataSet *ds, const char *field) {
    QStringList values;
    for (ds->First(); !ds->Eof(); ds->Next())
        values << ds->FieldByName(QString::fromLatin1(field))->DisplayText();
    return values;
}

// Types a text into a one-line box as the user does (Cyrillic included).
inline void type(QLineEdit *box, const QString &text) {
    box->setFocus();
    box->setText(text);
    emit box->textEdited(text);
}

// The same into a long text shown wrapped.
inline void type(TDBMemo *box, const QString &text) {
    box->setFocus();
    box->setPlainText(text);
}

// Types into a bound box and leaves it for the next box, as the user's Tab does.
inline void typeAndLeave(TDBEdit *box, const QString &text, QWidget *next) {
    box->setFocus();
    box->setText(text);
    box->DataLink->SetModified();
    next->setFocus();
}

// The next partner picker chooses the organisation, the next account picker the account.
inline void choosePartner(double klientId) {
    UiScript::OnShow<TSlPoluch>([klientId](TSlPoluch *f) {
        QVERIFY(f->Klient->Locate("Klient_id", klientId));
        f->BitBtn1Click();
    });
}
inline void chooseAccount(double bankId) {
    UiScript::OnShow<TSlBankP>([bankId](TSlBankP *f) {
        QVERIFY(f->RekvPol->Locate("Bank_id", bankId));
        f->BitBtn1->click();
    });
}

// A data folder prepared by `fill` (run on the open database), then the program
// started on it with the payment-order group created. Closing shuts the program down.
class App {
  public:
    template <class Fill> explicit App(Fill fill) {
        const QString folder = m_dir.path() + QStringLiteral("/dat");
        db::Database::Open(folder);
        fill();
        db::Database::Close();
        m_started = StartUp(folder);
        if (m_started) LogoAppForm->CreatePayOrders();
    }
    App() : App([] {}) {}
    ~App() { ShutDown(); }
    App(const App &) = delete;
    App &operator=(const App &) = delete;
    bool Started() const { return m_started; }
    QString Path() const { return m_dir.path(); }

  private:
    QTemporaryDir m_dir;
    bool m_started = false;
};

} // namespace paydata
