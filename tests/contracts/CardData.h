#pragma once
// What the contract-card tests share: the program started on a data folder with the
// folder "dog" beside it as the current directory, the documents the card opens
// recorded instead of opened, and files written and read in CP1251.
#include "sales/SalesData.h"

#include "contracts/ContractFiles.h"
#include "controls/DBCtrls.h"
#include "db/CodePage.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

namespace carddata {

using namespace salesdata;

// The program with the contracts group created, the current directory set to the
// folder that holds "dat" and "dog" while it runs.
class CardApp : public SalesApp {
  public:
    template <class Fill> explicit CardApp(Fill fill) : SalesApp(fill), m_previous(QDir::currentPath()) {
        QDir(Path()).mkdir(QStringLiteral("dog"));
        QDir::setCurrent(Path());
        m_opener = DocumentOpener;
        DocumentOpener = [this](const QUrl &url) {
            m_opened << QDir(Path()).relativeFilePath(url.toLocalFile());
            return true;
        };
        if (Started()) LogoAppForm->CreateContracts();
    }
    ~CardApp() {
        DocumentOpener = m_opener;
        QDir::setCurrent(m_previous);
    }
    // The documents opened, relative to the current directory ("dog/Dog15.RTF").
    const QStringList &Opened() const { return m_opened; }

  private:
    QString m_previous;
    QStringList m_opened;
    std::function<bool(const QUrl &)> m_opener;
};

inline void writeCp1251(const QString &path, const QString &text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(db::TCodePage::Find(1251)->Encode(text));
}

inline QString readCp1251(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("<missing>");
    return db::TCodePage::Find(1251)->Decode(file.readAll());
}

// The texts of one column of a grid, top to bottom.
inline QStringList column(TDBGrid *grid, int col) {
    QStringList texts;
    for (int row = 0; row < grid->Model()->rowCount(); ++row)
        texts << grid->Model()->index(row, col).data().toString();
    return texts;
}

} // namespace carddata
