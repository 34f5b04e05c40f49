#include "maintenance/UExpOld.h"

#include "app/LogoMain.h"
#include "controls/Animate.h"
#include "controls/OpenDialog.h"
#include "controls/StdCtrls.h"
#include "db/Database.h"
#include "db/FieldTypes.h"
#include "maintenance/DataFolder.h"
#include "maintenance/LegacyImport.h"
#include "maintenance/ParadoxReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TExpOld *ExpOld = nullptr;

namespace {

// The three passes, in their order: the table and its key.
struct Pass {
    const char *table;
    const char *file;
    const char *key;
};
constexpr Pass Passes[] = {
    {"Bank", "Bank.db", "Bank_id"},
    {"Klient", "Klient.DB", "Klient_id"},
    {"PlatPor", "PlatPor.DB", "PlatPor_id"},
};

QString native(const QString &path) {
    return QDir::toNativeSeparators(path);
}

QString sourcePath(const QString &folder, const Pass &pass) {
    const QString path = FindFileNoCase(folder, QLatin1String(pass.file));
    if (path.isEmpty())
        throw EOrbekError(
            QStringLiteral("В папке «%1» нет таблицы %2").arg(native(folder), QLatin1String(pass.file)));
    return path;
}

// The source table opened and held against the program's table of the pass.
std::unique_ptr<TParadoxTable> openChecked(const QString &folder, const Pass &pass) {
    auto source = std::make_unique<TParadoxTable>(sourcePath(folder, pass));
    const db::TableDef *target = db::FindTable(QLatin1String(pass.table));
    const int targetFields = int(target->fields.size());
    if (source->FieldCount() > targetFields)
        throw ELegacyFileError(source->Path(), QStringLiteral("в таблице %1 полей, а в таблице программы %2")
                                                   .arg(source->FieldCount())
                                                   .arg(targetFields));
    for (int i = 0; i < source->FieldCount(); ++i) {
        const QString expected = QString::fromUtf8(target->fields[size_t(i)].name);
        if (source->FieldName(i).compare(expected, Qt::CaseInsensitive) != 0)
            throw ELegacyFileError(source->Path(), QStringLiteral("поле %1 называется «%2», а должно «%3»")
                                                       .arg(i + 1)
                                                       .arg(source->FieldName(i), expected));
    }
    return source;
}

// Copies every row of the source into the target by field position, the key given by
// the target. `row` sees each row's values (by target field) before it is inserted
// and may change them; `inserted` hears the new key.
int copyRows(TParadoxTable &source, const Pass &pass, const std::function<void(QVariantList &)> &row,
             const std::function<void(const QVariantList &, qint64)> &inserted,
             const std::function<void(const QString &)> &say) {
    const db::TableDef *target = db::FindTable(QLatin1String(pass.table));
    QStringList names;
    std::vector<TFieldType> types;
    int keyAt = -1;
    for (const db::FieldDef &f : target->fields) {
        if (qstrcmp(f.name, pass.key) == 0) {
            keyAt = int(names.size());
            types.push_back(TFieldType::ftAutoInc);
        } else {
            TFieldType type;
            int size;
            db::FieldTypeFromCode(QString::fromLatin1(f.type), type, size);
            types.push_back(type);
        }
        names << QString::fromUtf8(f.name);
    }
    QStringList written = names;
    written.removeAt(keyAt);
    db::Database::Exec(QStringLiteral("DELETE FROM \"%1\"").arg(QLatin1String(pass.table)));
    TTableWriter writer(pass.table, written);
    int count = 0;
    while (source.Next()) {
        QVariantList values;
        for (int i = 0; i < names.size(); ++i) {
            QVariant v;
            if (i < source.FieldCount() && !ConvertForField(source.Value(i), types[size_t(i)], v))
                throw ELegacyFileError(source.Path(),
                                       QStringLiteral("в записи %1 значение поля «%2» не подходит "
                                                      "к полю таблицы программы")
                                           .arg(source.RecordNumber())
                                           .arg(names[i]));
            values << v;
        }
        if (row) row(values);
        for (int i = 0, at = 0; i < names.size(); ++i)
            if (i != keyAt) writer.Set(at++, values[i]);
        inserted(values, writer.Insert());
        if (++count % 5000 == 0 && say)
            say(QStringLiteral("%1: %2").arg(QLatin1String(pass.file)).arg(count));
    }
    return count;
}

int fieldAt(const char *table, const char *field) {
    const db::TableDef *t = db::FindTable(QLatin1String(table));
    for (size_t i = 0; i < t->fields.size(); ++i)
        if (qstrcmp(t->fields[i].name, field) == 0) return int(i);
    throw EDatabaseError(
        QStringLiteral("В таблице %1 нет поля %2").arg(QLatin1String(table), QLatin1String(field)));
}

qint64 key(const QVariant &v) {
    return v.isNull() ? 0 : qint64(std::llround(v.toDouble()));
}

} // namespace

void CheckEarlierTables(const QString &folder) {
    CheckFolderExists(folder);
    for (const Pass &pass : Passes)
        openChecked(folder, pass);
}

QString ReplaceQuestion(const QString &folder, const QString &safetyCopy) {
    const QString question =
        QStringLiteral("Копия данных до замены будет сохранена в папке «%1».\n").arg(native(safetyCopy)) +
        QStringLiteral("Заменить банки, партнеров и платежные поручения данными из папки %1?")
            .arg(native(folder));
    const bool linked =
        db::Database::ScalarValue(
            QStringLiteral("SELECT EXISTS (SELECT 1 FROM Provodka WHERE Organis <> 0) "
                           "OR EXISTS (SELECT 1 FROM FAKTUR_ZAG WHERE ID_POKUPAT <> 0 OR ID_POST <> 0) "
                           "OR EXISTS (SELECT 1 FROM Dogovor WHERE Klient_id <> 0 OR Organ_id <> 0)"))
            .toBool();
    if (!linked) return question;
    return QStringLiteral("Ссылки на партнеров в проводках, документах и договорах будут потеряны.\n") +
           question;
}

TExpOldCounts ReplaceFromEarlierVersion(const QString &folder,
                                        const std::function<void(const QString &)> &step) {
    CheckFolderExists(folder);
    auto banks = openChecked(folder, Passes[0]);
    auto partners = openChecked(folder, Passes[1]);
    auto orders = openChecked(folder, Passes[2]);
    TExpOldCounts counts;
    TTransaction transaction;

    // Bank accounts, each with the old key of its owner.
    const int bankOwner = fieldAt("Bank", "Klient_id");
    std::vector<std::pair<qint64, qint64>> accounts; // new Bank_id, old owner
    counts.banks = copyRows(
        *banks, Passes[0], {},
        [&](const QVariantList &values, qint64 id) { accounts.emplace_back(id, key(values[bankOwner])); },
        step);

    // Partners: the old key of each (the first partner of a key keeps it) to its new one.
    const int partnerKey = fieldAt("Klient", "Klient_id");
    QHash<qint64, qint64> newPartner;
    counts.partners = copyRows(
        *partners, Passes[1], {},
        [&](const QVariantList &values, qint64 id) {
            const qint64 old = key(values[partnerKey]);
            if (!newPartner.contains(old)) newPartner.insert(old, id);
        },
        step);
    db::PreparedStatement relink(QStringLiteral("UPDATE Bank SET Klient_id = ? WHERE Bank_id = ?"));
    for (const auto &[id, owner] : accounts) {
        relink.Bind(1, double(newPartner.value(owner, 0)));
        relink.Bind(2, id);
        relink.Run();
    }

    // The own organisations by INN, the first in the order of the index "Nam".
    QHash<QString, qint64> ownByInn;
    db::PreparedStatement own(
        QStringLiteral("SELECT Inn, Klient_id FROM Klient WHERE FlSvoy = 'T' AND Inn IS NOT NULL "
                       "ORDER BY Name COLLATE RU DESC, Klient_id DESC"));
    while (own.Next())
        ownByInn.insert(own.Value(0).toString(), own.Value(1).toLongLong());
    const int innSize = QString::fromLatin1(SchemaField("Klient", QStringLiteral("Inn")).type).mid(1).toInt();
    const int payerInn = fieldAt("PlatPor", "P_Inn"), payer = fieldAt("PlatPor", "Id_Post"),
              recipient = fieldAt("PlatPor", "Id_Pol"), contract = fieldAt("PlatPor", "Dogovor_id");
    counts.orders = copyRows(
        *orders, Passes[2],
        [&](QVariantList &values) {
            const QString inn = values[payerInn].toString().left(innSize);
            qint64 payerKey = 0;
            if (!inn.isEmpty()) payerKey = ownByInn.value(inn, newPartner.value(key(values[payer]), 0));
            values[payer] = double(payerKey);
            values[recipient] = double(newPartner.value(key(values[recipient]), 0));
            values[contract] = QVariant();
        },
        [](const QVariantList &, qint64) {}, step);
    transaction.Commit();
    return counts;
}

// ---- The form ---------------------------------------------------------------------

TExpOld::TExpOld(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("ExpOld"));
    BitBtn1 = new QPushButton(QStringLiteral("Папка со старыми базами"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    Path1 = new TLineEdit(this);
    Path1->setObjectName(QStringLiteral("Path1"));
    BitBtn3 = new QPushButton(QStringLiteral("Подкачать данные"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn4 = new QPushButton(QStringLiteral("Закрыть"), this);
    BitBtn4->setObjectName(QStringLiteral("BitBtn4"));
    for (QPushButton *b : {BitBtn1, BitBtn3, BitBtn4})
        b->setAutoDefault(false);
    Animate1 = new TAnimate(this, TCommonAVI::aviCopyFiles);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->hide();
    OpD = new TOpenDialog(this);
    OpD->Filter = QStringLiteral("Базы|PlatPor.db");

    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(BitBtn1);
    folderRow->addWidget(Path1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn3);
    buttons->addStretch();
    buttons->addWidget(BitBtn4);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(folderRow);
    layout->addWidget(Animate1, 0, Qt::AlignHCenter);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(560, 200);

    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    OnClick(BitBtn3, [this] { BitBtn3Click(); });
    OnClick(BitBtn4, [this] { Close(); });
    SetCancelButton(BitBtn4);
}

void TExpOld::FormShow() {
    AppDir = QDir::currentPath();
}

void TExpOld::FormClose() {
    QDir::setCurrent(AppDir);
}

void TExpOld::BitBtn1Click() {
    OpD->InitialDir = Path1->text().trimmed().isEmpty() ? AppDir : Path1->text().trimmed();
    // The folder of the chosen file, however long its name.
    if (OpD->Execute()) Path1->setText(native(QFileInfo(OpD->FileName).absolutePath()));
    QDir::setCurrent(AppDir);
}

void TExpOld::BitBtn3Click() {
    if (Path1->text().trimmed().isEmpty())
        throw EOrbekError(QStringLiteral("Укажите папку со старыми базами"));
    const QString folder = QDir::cleanPath(Path1->text().trimmed());
    const QString safetyCopy = SafetyCopyFolder();
    if (MessageDlg(ReplaceQuestion(folder, safetyCopy), mtConfirmation, mbYesNo) != mrYes) return;
    CheckEarlierTables(folder);
    // What is replaced can be had back from a copy of its own; the archive stays the
    // user's.
    SafetyCopyDataFolder(safetyCopy);
    Animate1->show();
    Animate1->Play();
    struct StopAnimation {
        TAnimate *animation;
        ~StopAnimation() {
            animation->Stop();
            animation->hide();
        }
    } stop{Animate1};
    ReplaceFromEarlierVersion(
        folder, [](const QString &) { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    MessageDlg(QStringLiteral("Подкачка пошла успешно!"), mtConfirmation, mbOK);
}

void ExpOldCommand(const QString &caption) {
    CloseSharedDataSets();
    try {
        ExpOld->SetCaption(caption);
        ShowModal(ExpOld);
    } catch (...) {
        Guarded([] {
            ReopenSharedDataSets();
            LogoAppForm->FormShow();
        });
        throw;
    }
    ReopenSharedDataSets();
    LogoAppForm->FormShow();
}
