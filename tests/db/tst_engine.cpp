// The table engine as the forms use it: blanks, order and ranges, parameters, cached
// updates, validation, search, calculated and lookup fields, master-detail, filters,
// transactions and exclusive use.
#include "db/Database.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "db/Table.h"
#include "helper_tempdb.h"

#include <QDir>
#include <QProcess>
#include <QtTest>
#include <memory>

namespace {

void addKlient(TTable &t, const QString &name, const QString &flSvoy, const QString &inn = QString()) {
    t.Append();
    t.FieldByName("Name")->SetAsString(name);
    t.FieldByName("FullName")->SetAsString(name + " полное");
    t.FieldByName("FlSvoy")->SetAsString(flSvoy);
    t.FieldByName("Inn")->SetAsString(inn);
    t.Post();
}

QStringList names(TDataSet &ds, const QString &field = "Name") {
    QStringList out;
    ds.First();
    while (!ds.Eof()) {
        out << ds.FieldByName(field)->AsString();
        ds.Next();
    }
    return out;
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
private slots:
    void init() { fmt::SetDecimalSeparator('-'); }

    void freshFolderHasSettingsRow() {
        TempDataFolder folder;
        TTable conf(nullptr, "Config.db");
        conf.Open();
        QCOMPARE(conf.RecordCount(), 1);
        QCOMPARE(conf.FieldByName("Rasdel")->AsString(), QString("Тире"));
        QCOMPARE(conf.FieldByName("Period")->AsString(), QString("Месяц"));
        QCOMPARE(conf.FieldByName("KolCopy")->AsInteger(), 2);
        QCOMPARE(conf.FieldByName("SizeFont")->AsInteger(), 10);
        QCOMPARE(conf.FieldByName("ProcNDS")->AsFloat(), 22.0);
        QCOMPARE(conf.FieldByName("AppBank")->AsBoolean(), false);
        QCOMPARE(conf.FieldByName("FormatDat")->AsString(), QString("dd.mm.yyyy"));
        // Reopening the folder keeps it as it is.
        conf.Close();
        const QString path = folder.path();
        db::Database::Close();
        db::Database::Open(path);
        conf.Open();
        QCOMPARE(conf.RecordCount(), 1);
    }

    void blanksReadAsZeroEmptyOrZeroDate() {
        TempDataFolder folder;
        TTable plat(nullptr, "PLATPOR.db");
        plat.Open();
        plat.Append();
        plat.FieldByName("R_NAME")->SetAsString("");
        plat.Post();
        QVERIFY(plat.FieldByName("R_NAME")->IsNull()); // empty text is stored as null
        QCOMPARE(plat.FieldByName("SUMMA")->AsFloat(), 0.0);
        QCOMPARE(plat.FieldByName("R_NAME")->AsString(), QString());
        QCOMPARE(plat.FieldByName("DATE_PLAT")->AsDate(), QDate(1899, 12, 30));
        QCOMPARE(plat.FieldByName("FlYes")->AsBoolean(), false);
        QVERIFY(plat.FieldByName("PlatPor_id")->AsInteger() > 0);
        // A text longer than its field is cut, counted in characters.
        plat.Edit();
        plat.FieldByName("DopNumb")->SetAsString("АБВГДЕЖ");
        plat.Post();
        QCOMPARE(plat.FieldByName("DopNumb")->AsString(), QString("АБВГД"));
        // Line breaks stay CR LF.
        plat.Edit();
        plat.FieldByName("P_NAME")->SetAsString("ООО \"Ромашка\"\r\nг. Москва");
        plat.Post();
        QTemporaryDir none;
        TQuery q;
        q.SQL() << "select P_NAME from PlatPor";
        q.Open();
        QCOMPARE(q.FieldByName("P_NAME")->AsString(), QString("ООО \"Ромашка\"\r\nг. Москва"));
        // A null matches no LIKE and no range.
        TQuery like;
        like.SQL() << "select * from PlatPor where R_NAME like :p";
        like.ParamByName("p")->SetAsString("%");
        like.Open();
        QCOMPARE(like.RecordCount(), 0);
    }

    void russianOrderInIndexRangeAndFindNearest() {
        TempDataFolder folder;
        TTable k(nullptr, "Klient.DB");
        k.Open();
        for (const char *n : {"ёлка", "Яблоко", "альфа", "Альфа", "ель", "Beta", "жук", "ООО Ромашка", "АО Альфа"})
            addKlient(k, QString::fromUtf8(n), "F");
        addKlient(k, "Своя", "T");
        k.SetIndexName("Nam");
        k.SetRange({"F"}, {"F"});
        QCOMPARE(names(k), QStringList({"Beta", "альфа", "Альфа", "АО Альфа", "ель", "ёлка", "жук", "ООО Ромашка",
                                        "Яблоко"}));
        k.FindNearest({"F", "Е"});
        QCOMPARE(k.FieldByName("Name")->AsString(), QString("ель"));
        k.FindNearest({"F", "Я"});
        QCOMPARE(k.FieldByName("Name")->AsString(), QString("Яблоко"));
        // ORDER BY on text uses the same order.
        TQuery q;
        q.SQL() << "select Name from Klient where FlSvoy = 'F'"
                << "order by Name";
        q.Open();
        QCOMPARE(names(q).first(), QString("Beta"));
        QCOMPARE(names(q).at(3), QString("АО Альфа"));
        // Reopening keeps the index, not the range.
        k.Close();
        k.Open();
        QCOMPARE(k.RecordCount(), 10);
        QCOMPARE(k.IndexName(), QString("Nam"));
        // A range given while closed holds from the opening, and goes with the closing.
        k.Close();
        k.SetRange({"T"}, {"T"});
        k.Open();
        QCOMPARE(names(k), QStringList({"Своя"}));
        k.Close();
        k.Open();
        QCOMPARE(k.RecordCount(), 10);
        // A range on a numeric key, as the bank accounts of one client.
        TTable bank(nullptr, "Bank.db");
        bank.Open();
        for (int owner : {2, 1, 2, 3}) {
            bank.Append();
            bank.FieldByName("Klient_id")->SetAsFloat(owner);
            bank.Post();
        }
        bank.SetIndexName("Klient");
        bank.SetRange({2.0}, {2.5});
        QCOMPARE(bank.RecordCount(), 2);
        bank.Last();
        QCOMPARE(bank.FieldByName("Bank_id")->AsInteger(), 3); // ties by key: the last is the newest
    }

    // LIKE matches letters without regard to case in Cyrillic as in Latin, "_" takes one
    // letter (not one byte of it), ESCAPE makes a wildcard plain, and an account prefix
    // still reads its index.
    void likeIgnoresCaseInEveryAlphabet() {
        TempDataFolder folder;
        TTable k(nullptr, "klient");
        k.Open();
        for (const char *name : {"Ромашка", "ромашка", "Rose", "Берёзка", "100% Ёлка", "1000 Ёлок"})
            addKlient(k, QString::fromUtf8(name), "F");
        TQuery q;
        q.SQL() << "select * from Klient where Name like :p order by Klient_id";
        const auto found = [&q](const char *pattern) {
            q.Close();
            q.ParamByName("p")->SetAsString(QString::fromUtf8(pattern));
            q.Open();
            return names(q);
        };
        QCOMPARE(found("%РОМАШКА"), QStringList({"Ромашка", "ромашка"}));
        QCOMPARE(found("r%"), QStringList({"Rose"}));
        QCOMPARE(found("%БЕРЁЗ%"), QStringList({"Берёзка"}));
        QCOMPARE(found("_омашка"), QStringList({"Ромашка", "ромашка"}));
        QCOMPARE(found("100%ёл%"), QStringList({"100% Ёлка", "1000 Ёлок"}));
        q.Close();
        q.SQL().clear();
        q.SQL() << "select * from Klient where Name like :p escape '!'";
        q.ParamByName("p")->SetAsString("100!%%");
        q.Open();
        QCOMPARE(names(q), QStringList({"100% Ёлка"}));

        TQuery plan;
        plan.SQL()
            << "explain query plan select sum(Summa) from Provodka where Organis = :org and Debet like :sch";
        plan.ParamByName("org")->SetAsFloat(1);
        plan.ParamByName("sch")->SetAsString("60%");
        plan.Open();
        QVERIFY2(plan.FieldByName("detail")->AsString().contains("Debet>? AND Debet<?"),
                 qPrintable(plan.FieldByName("detail")->AsString()));
    }

    void parametersKeepValuesAndOneNameOneValue() {
        TempDataFolder folder;
        TTable t(nullptr, "PlatPor.DB");
        t.Open();
        for (int i = 1; i <= 3; ++i) {
            t.Append();
            t.FieldByName("NUMBER")->SetAsFloat(i);
            t.FieldByName("Dogovor_id")->SetAsFloat(i == 2 ? 7 : 0);
            t.FieldByName("DATE_PLAT")->SetAsDate(QDate(2026, 1, i * 10));
            t.FieldByName("R_NAME")->SetAsString("Получатель");
            t.Post();
        }
        TQuery q;
        q.SQL() << "select * from PLATPOR"
                << "where DATE_PLAT >= :Datv"
                << "and DATE_PLAT <= :DatI"
                << "and (Dogovor_id = :dog or :dog = 0)"
                << "order by NUMBER";
        q.ParamByName("Datv")->SetAsDate(QDate(2026, 1, 1));
        q.ParamByName("DatI")->SetAsDate(QDate(2026, 1, 25));
        q.ParamByName("dog")->SetAsFloat(0);
        q.Open();
        QCOMPARE(q.RecordCount(), 2);
        q.Close();
        q.ParamByName("dog")->SetAsFloat(7);
        q.Open(); // the dates keep their values
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(q.FieldByName("NUMBER")->AsFloat(), 2.0);
        // Replacing a line keeps the parameters.
        q.Close();
        q.SQL()[4] = "order by Date_plat desc";
        q.ParamByName("dog")->SetAsFloat(0);
        q.Open();
        QCOMPARE(q.FieldByName("NUMBER")->AsFloat(), 2.0);
        // max over no rows reads 0.
        TQuery m;
        m.SQL() << "select max(number) number from PlatPor where Id_Post = :Kli";
        m.ParamByName("Kli")->SetAsFloat(99);
        m.Open();
        QCOMPARE(m.FieldByName("number")->AsFloat(), 0.0);
        QVERIFY(m.FieldByName("number")->IsNull());
        // A file name with its extension in the text.
        TQuery f;
        f.SQL() << "select count(*) n from \"PlatPor.db\"";
        f.Open();
        QCOMPARE(f.FieldByName("n")->AsInteger(), 3);
    }

    void selectStarOverTwoTablesRenamesClash() {
        TempDataFolder folder;
        TTable k(nullptr, "Klient.DB");
        k.Open();
        addKlient(k, "Партнер", "F");
        TTable d(nullptr, "Dogovor.DB");
        d.Open();
        d.Append();
        d.FieldByName("Klient_id")->SetAsFloat(k.FieldByName("Klient_id")->AsFloat());
        d.FieldByName("NumbDog")->SetAsString("15");
        d.Post();
        TQuery q;
        q.SQL() << "select * from Dogovor D, Klient K where D.Klient_id=K.Klient_id";
        q.Open();
        QVERIFY(q.FindField("Klient_id"));
        QVERIFY(q.FindField("Klient_id_1"));
        QCOMPARE(q.FieldByName("Klient_id_1")->AsInteger(), k.FieldByName("Klient_id")->AsInteger());
        QCOMPARE(q.FieldByName("Name")->AsString(), QString("Партнер"));
    }

    void cachedUpdatesApplyCommitAndKeys() {
        TempDataFolder folder;
        TUpdateSQL upd;
        upd.ModifySQL << "update Klient set Name = :Name where Klient_id = :OLD_Klient_id";
        upd.InsertSQL << "insert into Klient (Name, FlSvoy) values (:Name, :FlSvoy)";
        upd.DeleteSQL << "delete from Klient where Klient_id = :OLD_Klient_id";
        TQuery q;
        q.CachedUpdates = true;
        q.UpdateObject = &upd;
        q.SQL() << "select * from Klient order by Klient_id";
        q.Open();
        q.Append();
        q.FieldByName("Name")->SetAsString("Новый");
        q.FieldByName("FlSvoy")->SetAsString("F");
        q.Post();
        QVERIFY(q.UpdatesPending());
        QVERIFY(q.FieldByName("Klient_id")->IsNull());
        QCOMPARE(db::Database::ScalarValue("select count(*) from Klient").toInt(), 0); // still in the cache
        q.ApplyUpdates();
        const qint64 key = q.FieldByName("Klient_id")->AsInteger();
        QVERIFY(key > 0); // the caller finds its own row by key
        q.CommitUpdates();
        QVERIFY(!q.UpdatesPending());
        QCOMPARE(db::Database::ScalarValue("select Name from Klient where Klient_id = ?", {key}).toString(),
                 QString("Новый"));
        // Modify writes by the old key.
        q.Edit();
        q.FieldByName("Name")->SetAsString("Переименован");
        q.Post();
        q.ApplyUpdates();
        q.CommitUpdates();
        QCOMPARE(db::Database::ScalarValue("select Name from Klient").toString(), QString("Переименован"));
        // Closing drops what was not applied.
        q.Append();
        q.FieldByName("Name")->SetAsString("Потерянный");
        q.Post();
        q.Close();
        QCOMPARE(db::Database::ScalarValue("select count(*) from Klient").toInt(), 1);
        // Delete, apply, commit.
        q.Open();
        q.Delete();
        q.ApplyUpdates();
        q.CommitUpdates();
        QCOMPARE(db::Database::ScalarValue("select count(*) from Klient").toInt(), 0);
        // Keys are never given out twice.
        q.Append();
        q.FieldByName("Name")->SetAsString("Ещё");
        q.Post();
        q.ApplyUpdates();
        QVERIFY(q.FieldByName("Klient_id")->AsInteger() > key);
    }

    void cancelUpdatesReturnsToWhatWasRead() {
        TempDataFolder folder;
        TTable k(nullptr, "Klient.DB");
        k.Open();
        addKlient(k, "Первый", "F");
        addKlient(k, "Второй", "F");
        TUpdateSQL upd;
        upd.ModifySQL << "update Klient set Name = :Name where Klient_id = :OLD_Klient_id";
        TQuery q;
        q.CachedUpdates = true;
        q.UpdateObject = &upd;
        q.SQL() << "select * from Klient order by Klient_id";
        q.Open();
        q.Edit();
        q.FieldByName("Name")->SetAsString("Изменён");
        q.Post();
        q.Next();
        q.Delete();
        q.Append();
        q.FieldByName("Name")->SetAsString("Новый");
        q.Post();
        QVERIFY(q.UpdatesPending());
        q.CancelUpdates();
        QVERIFY(!q.UpdatesPending());
        QCOMPARE(names(q), QStringList({"Первый", "Второй"}));
        q.ApplyUpdates(); // nothing left to write
        QCOMPARE(db::Database::ScalarValue("select Name from Klient where Klient_id = 1").toString(), QString("Первый"));
    }

    void bufferWithoutStatementsStaysInMemory() {
        TempDataFolder folder;
        TQuery q;
        q.CachedUpdates = true;
        q.SQL() << "select '            ' Debet, 0 SumDeb from config";
        q.Open();
        q.Delete();
        q.Append();
        q.FieldByName("Debet")->SetAsString("50");
        q.FieldByName("SumDeb")->SetAsFloat(12.5);
        q.Post();
        q.ApplyUpdates();
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(db::Database::ScalarValue("select count(*) from Config").toInt(), 1);
    }

    void cursorMovementPostsAndEditOnEmptyInserts() {
        TempDataFolder folder;
        TTable k(nullptr, "Klient.DB");
        k.Open();
        QVERIFY(k.Bof() && k.Eof());
        k.Edit(); // on no rows it inserts
        QCOMPARE(k.State(), TDataSetState::dsInsert);
        k.FieldByName("Name")->SetAsString("Первый");
        QVERIFY(k.Modified());
        k.Edit(); // while inserting it does nothing
        QCOMPARE(k.State(), TDataSetState::dsInsert);
        k.First(); // moving posts
        QCOMPARE(k.State(), TDataSetState::dsBrowse);
        QCOMPARE(k.RecordCount(), 1);
        addKlient(k, "Второй", "F");
        k.Last();
        k.Next();
        QVERIFY(k.Eof());
        QCOMPARE(k.FieldByName("Name")->AsString(), QString("Второй")); // past the end the last row stays
        k.Edit();
        k.FieldByName("Name")->SetAsString("Изменён");
        k.Cancel();
        QCOMPARE(k.FieldByName("Name")->AsString(), QString("Второй"));
        QVERIFY(!k.Modified());
    }

    void validationRunsBeforeStoreAndNests() {
        TempDataFolder folder;
        TTable k(nullptr, "Klient.DB");
        TField *inn = k.AddField("Inn", TFieldType::ftString, 15);
        TField *name = k.AddField("Name", TFieldType::ftString, 30);
        k.AddField("Klient_id", TFieldType::ftAutoInc);
        QString seenPending, seenOuterDuringInner;
        inn->OnValidate = [&](TField *f) {
            seenPending = f->AsString();
            if (f->AsString() == "bad") throw EConvertError("Плохой ИНН");
            name->SetAsString("по ИНН " + f->AsString()); // nested assignment
        };
        name->OnValidate = [&](TField *) { seenOuterDuringInner = inn->AsString(); };
        k.Open();
        k.Append();
        inn->SetAsString("7701");
        QCOMPARE(seenPending, QString("7701"));
        QCOMPARE(seenOuterDuringInner, QString("7701")); // the outer field reads its pending value
        QCOMPARE(name->AsString(), QString("по ИНН 7701"));
        QVERIFY_THROWS_EXCEPTION(EConvertError, inn->SetAsString("bad"));
        QCOMPARE(inn->AsString(), QString("7701")); // the old value stays
        k.Post();
    }

    // Two levels down the fields being set still read their new values, and a value
    // stored by an inner hook is what the outer hook reads next. Other rows (a grid
    // painting them while a hook's message is up) read what they hold.
    void nestedValidationReadsPendingValuesOfTheEditedRowOnly() {
        TempDataFolder folder;
        TTable k(nullptr, "Klient.DB");
        TField *inn = k.AddField("Inn", TFieldType::ftString, 15);
        TField *okpo = k.AddField("Okpo", TFieldType::ftString, 15);
        TField *name = k.AddField("Name", TFieldType::ftString, 30);
        k.AddField("Klient_id", TFieldType::ftAutoInc);
        k.Open();
        k.Append();
        inn->SetAsString("1111");
        k.Post();
        QStringList seen;
        inn->OnValidate = [&](TField *f) {
            okpo->SetAsString("из " + f->AsString());
            seen << "после: " + okpo->AsString();
            ActiveRowScope other(&k, 0);
            seen << "строка 1: " + inn->AsString();
        };
        okpo->OnValidate = [&](TField *f) { name->SetAsString(inn->AsString() + "/" + f->AsString()); };
        k.Append();
        inn->SetAsString("2222");
        QCOMPARE(name->AsString(), QString("2222/из 2222"));
        QCOMPARE(seen, QStringList({"после: из 2222", "строка 1: 1111"}));
        k.Post();
        inn->OnValidate = [&](TField *) { QVERIFY(k.Lookup("Inn", "1111", "Klient_id").isValid()); };
        k.Edit();
        inn->SetAsString("3333");
        QCOMPARE(inn->AsString(), QString("3333"));
    }

    void locateAndLookup() {
        TempDataFolder folder;
        TTable k(nullptr, "Klient.DB");
        k.Open();
        addKlient(k, "Ромашка", "F", "7701");
        addKlient(k, "ромашка плюс", "F", "7702");
        addKlient(k, "Лютик", "T", "7703");
        k.First();
        QVERIFY(!k.Locate("Name", "РОМАШКА ПЛЮС"));
        QCOMPARE(k.RecNo(), 0); // unmoved
        QVERIFY(k.Locate("Name", "РОМАШКА ПЛЮС", int(TLocateOption::loCaseInsensitive)));
        QCOMPARE(k.FieldByName("Inn")->AsString(), QString("7702"));
        QVERIFY(k.Locate("Name", "Лют", int(TLocateOption::loPartialKey)));
        QVERIFY(k.Locate("FlSvoy;Inn", QVariantList{"F", "7701"}));
        QCOMPARE(k.FieldByName("Name")->AsString(), QString("Ромашка"));
        QVERIFY(k.Locate("Klient_id", 3.0));
        QCOMPARE(k.FieldByName("Name")->AsString(), QString("Лютик"));
        k.First();
        QCOMPARE(k.Lookup("Inn", "7703", "Name").toString(), QString("Лютик"));
        QCOMPARE(k.RecNo(), 0); // Lookup does not move
        QVERIFY(k.Lookup("Inn", "0000", "Name").isNull());
    }

    void calculatedAndLookupFields() {
        TempDataFolder folder;
        TTable plan(nullptr, "PlanSch.DB");
        plan.Open();
        plan.Append();
        plan.FieldByName("Schet")->SetAsString("51");
        plan.FieldByName("NameSchet")->SetAsString("Расчетные счета");
        plan.Post();
        TTable prov(nullptr, "Provodka.DB");
        for (const char *f : {"ProvodkaId", "DateProv", "Debet", "Kredit", "Summa", "Primech", "Organis"})
            prov.AddField(f, TFieldType::ftUnknown);
        TField *nameDeb =
            prov.AddLookupField("NameDeb", TFieldType::ftString, 20, &plan, "Debet", "Schet", "NameSchet");
        TField *twice = prov.AddCalcField("Twice", TFieldType::ftFloat);
        int calls = 0;
        prov.OnCalcFields = [&](TDataSet *ds) {
            ++calls;
            ds->FieldByName("Twice")->SetAsFloat(ds->FieldByName("Summa")->AsFloat() * 2);
        };
        plan.Close();
        prov.Open();
        QVERIFY(plan.Active()); // a lookup's dataset opens with its holder
        prov.Append();
        prov.FieldByName("Debet")->SetAsString("51");
        prov.FieldByName("Summa")->SetAsFloat(10);
        QCOMPARE(twice->AsFloat(), 20.0); // recomputed under edit
        QCOMPARE(nameDeb->AsString(), QString("Расчетные счета").left(20));
        prov.Post();
        QCOMPARE(twice->AsFloat(), 20.0);
        QVERIFY(calls > 0);
    }

    void masterDetailFollowsAndFillsNewRows() {
        TempDataFolder folder;
        TTable d(nullptr, "Dogovor.DB");
        d.Open();
        for (const char *n : {"1", "2"}) {
            d.Append();
            d.FieldByName("NumbDog")->SetAsString(n);
            d.Post();
        }
        TDataSource ds(nullptr, &d);
        TTable stages(nullptr, "Primech.db");
        stages.SetIndexFieldNames("Dogovor_id");
        stages.SetMasterSource(&ds, "Dogovor_id");
        stages.Open();
        d.First();
        stages.Append();
        stages.Post();
        QCOMPARE(stages.FieldByName("Dogovor_id")->AsInteger(), d.FieldByName("Dogovor_id")->AsInteger());
        QCOMPARE(stages.RecordCount(), 1);
        d.Next();
        QCOMPARE(stages.RecordCount(), 0);
        d.First();
        QCOMPARE(stages.RecordCount(), 1);
        // A master row not yet stored has no details.
        d.Append();
        QCOMPARE(stages.RecordCount(), 0);
        d.Cancel();
    }

    void textFilter() {
        TempDataFolder folder;
        TQuery q;
        q.CachedUpdates = true;
        q.SQL() << "select 1 SumIt union all select -2 union all select 3 order by 1";
        q.Filter = "SumIt>0";
        q.Filtered = true;
        q.Open();
        QCOMPARE(q.RecordCount(), 2);
        QCOMPARE(q.FieldByName("SumIt")->AsFloat(), 1.0);
    }

    void transactionGuardLeavesNothingHalfSaved() {
        TempDataFolder folder;
        TTable k(nullptr, "Klient.DB");
        k.Open();
        TUpdateSQL upd;
        upd.InsertSQL << "insert into PlatPor (NUMBER, R_NAME) values (:NUMBER, :R_NAME)";
        TQuery plat;
        plat.CachedUpdates = true;
        plat.UpdateObject = &upd;
        plat.SQL() << "select * from PlatPor";
        plat.Open();
        plat.Append();
        plat.FieldByName("NUMBER")->SetAsFloat(1);
        plat.FieldByName("R_NAME")->SetAsString("Получатель");
        plat.Post();
        try {
            TTransaction tx;
            addKlient(k, "Получатель", "F");
            plat.ApplyUpdates();
            plat.CommitUpdates(); // deferred until the transaction commits
            throw EDatabaseError("сбой после записи");
        } catch (const EDatabaseError &) {
        }
        QCOMPARE(db::Database::ScalarValue("select count(*) from Klient").toInt(), 0);
        QCOMPARE(db::Database::ScalarValue("select count(*) from PlatPor").toInt(), 0);
        QCOMPARE(k.RecordCount(), 0);    // the table re-read what is stored
        QVERIFY(plat.UpdatesPending());  // the order is still to be saved
        QVERIFY(plat.FieldByName("PlatPor_id")->IsNull());
        {
            TTransaction tx;
            addKlient(k, "Получатель", "F");
            plat.ApplyUpdates();
            tx.Commit();
        }
        plat.CommitUpdates();
        QVERIFY(!plat.UpdatesPending());
        QCOMPARE(db::Database::ScalarValue("select count(*) from PlatPor").toInt(), 1);
        QCOMPARE(db::Database::ScalarValue("select count(*) from Klient").toInt(), 1);
        // A table made inside writes that are rolled back is gone, also for statements
        // that read it then.
        try {
            TTransaction tx;
            db::Database::Exec("create table Extra (a)");
            TTable extra(nullptr, "Extra");
            extra.Open();
            throw EDatabaseError("сбой после записи");
        } catch (const EDatabaseError &) {
        }
        TTable extra(nullptr, "Extra");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, extra.Open());
        try {
            extra.Open();
        } catch (const EDatabaseError &e) {
            QCOMPARE(e.message(), QString("Таблица «Extra» не найдена в папке данных"));
        }
    }

    void exclusiveUseWithinTheProcess() {
        TempDataFolder folder;
        TTable a(nullptr, "Bank.db");
        TTable b(nullptr, "Bank.db");
        a.Exclusive = true;
        a.Open();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, b.Open());
        a.Close();
        b.Open();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, a.Open());
        b.Close();
        a.Open();
        a.Close();
    }

    void errorsAreRussianExceptions() {
        TempDataFolder folder;
        TTable missing(nullptr, "Nothing.db");
        try {
            missing.Open();
            QFAIL("no error");
        } catch (const EDatabaseError &e) {
            QVERIFY(e.message().contains("Nothing.db"));
        }
        TTable k(nullptr, "Klient.DB");
        k.SetIndexName("Нет");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, k.Open());
        TTable empty(nullptr, "Bank.db");
        empty.Open();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, empty.Delete());
        TQuery ro;
        ro.SQL() << "select * from Bank";
        ro.Open();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ro.Edit());
    }

    void newRowDefaultsAndFieldsByPosition() {
        TempDataFolder folder;
        TTable plat(nullptr, "PlatPor.DB");
        plat.OnNewRecord = [](TDataSet *ds) { ds->FieldByName("VID_PAY")->SetAsString("01"); };
        plat.Open();
        plat.Append();
        QCOMPARE(plat.FieldByName("VID_PAY")->AsString(), QString("01"));
        QVERIFY(!plat.Modified()); // defaults alone do not make the row changed
        plat.Post();
        QCOMPARE(plat.Fields(0)->FieldName(), QString("PlatPor_id"));
        QCOMPARE(plat.Fields(0)->DataType(), TFieldType::ftAutoInc);
        QCOMPARE(plat.Fields(3)->FieldName(), QString("TYPE_PAY"));
        QCOMPARE(plat.Fields(3)->Size(), 20);
        QCOMPARE(plat.Fields(2)->DataType(), TFieldType::ftDate);
        QCOMPARE(plat.Fields(27)->DataType(), TFieldType::ftBoolean);
    }

    void closedDatabaseIsOneFileTheStockShellOpens() {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/dat";
        db::Database::Open(folder);
        {
            TTable k(nullptr, "Klient.DB");
            k.SetIndexName("Nam");
            k.Open();
            addKlient(k, "Ромашка", "F");
            // A statement run in a loop stays prepared; it goes with the connection.
            TQuery write;
            write.SetSQLText("update Klient set Adress = :a where Name = 'Ромашка'");
            write.ParamByName("a")->SetAsString("Тверь");
            write.ExecSQL();
            write.ExecSQL();
            QCOMPARE(write.RowsAffected(), 1);
            // The maintenance commands close the database under open datasets and
            // open it again; the datasets can then be reopened.
            db::Database::Close();
            QVERIFY(!k.Active());
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"orbek.db"}));
            db::Database::Open(folder);
            write.ParamByName("a")->SetAsString("Москва");
            write.ExecSQL();
            k.Open();
            QCOMPARE(k.RecordCount(), 1);
            QCOMPARE(k.FieldByName("Adress")->AsString(), QString("Москва"));
            QCOMPARE(k.IndexName(), QString("Nam"));
            k.ReindexTable();
        }
        db::Database::Close();
        QProcess shell;
        shell.start("sqlite3", {QDir(folder).filePath("orbek.db"),
                                "PRAGMA integrity_check; select Name from Klient; select count(*) from sqlite_master "
                                "where type = 'index' and name = 'Klient_Nam';"});
        if (!shell.waitForStarted()) QSKIP("the sqlite3 shell is not installed");
        shell.waitForFinished();
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
                 QStringList({"ok", "Ромашка", "1"}));
    }

    void emptyTableKeepsCounting() {
        TempDataFolder folder;
        TTable k(nullptr, "Klient.DB");
        k.Open();
        addKlient(k, "A", "F");
        addKlient(k, "B", "F");
        k.EmptyTable();
        QCOMPARE(k.RecordCount(), 0);
        addKlient(k, "C", "F");
        QCOMPARE(k.FieldByName("Klient_id")->AsInteger(), 3);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
