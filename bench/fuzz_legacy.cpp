// Fuzz target of the readers of earlier versions' files: each input is written out as a
// file and read by the dBase reader and by the Paradox reader, every field of every
// record, under AddressSanitizer. A refused file (ELegacyFileError) is the expected
// outcome of most inputs; a crash, a leak or a sanitizer report is a fault.
//
// Built with clang's libFuzzer (cmake --build build --target fuzz_legacy) and run by
// bench/fuzz_legacy.sh, which seeds the corpus with well-formed files the test
// writers make (set FUZZ_SEEDS to the corpus folder).
#include "maintenance/DbfReader.h"
#include "maintenance/ParadoxReader.h"
#include "support/LegacyWriters.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <unistd.h>

namespace {

QString scratch;

void readAll(TLegacyTable &table) {
    for (int i = 0; i < table.FieldCount(); ++i) {
        table.FieldName(i);
        table.FieldType(i);
    }
    for (int rows = 0; table.Next() && rows < 100000; ++rows)
        for (int i = 0; i < table.FieldCount(); ++i) {
            try {
                table.Value(i);
            } catch (const ELegacyFileError &) {
            }
        }
}

void writeSeeds(const QString &folder) {
    QDir().mkpath(folder);
    legacy::DbfWriter dbf({{"NAME", 'C', 20}, {"SUMMA", 'N', 12, 2}, {"DATE", 'D', 8}, {"PAID", 'L', 1}});
    dbf.Add({QStringLiteral("ООО \"Ёлка\""), 1234.5, QDate(2001, 2, 3), true});
    dbf.Add({QStringLiteral("удалена"), 1, QDate(2001, 1, 1), false}, true);
    dbf.Add({QVariant(), QVariant(), QVariant(), QVariant()});
    dbf.Save(folder + "/seed-mission.dbf");
    std::vector<legacy::PxField> fields = {{"Klient_id", pxfAutoInc, 4}, {"Name", pxfAlpha, 30},
                                           {"Summa", pxfNumber, 8},      {"DateK", pxfDate, 4},
                                           {"Flag", pxfLogical, 1},      {"Kol", pxfShort, 2}};
    QList<QVariantList> rows;
    for (int i = 0; i < 60; ++i)
        rows << QVariantList{i, QStringLiteral("Партнер %1").arg(i), i * 1.5, QDate(2000, 1, 1), i % 2, i};
    legacy::WriteParadox(folder + "/seed-klient.db", fields, rows);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    scratch = QDir::tempPath() + QStringLiteral("/fuzz-legacy-%1").arg(getpid());
    const QByteArray seeds = qgetenv("FUZZ_SEEDS");
    if (!seeds.isEmpty()) writeSeeds(QString::fromLocal8Bit(seeds));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    {
        QFile file(scratch);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    try {
        TDbfTable dbf(scratch);
        readAll(dbf);
    } catch (const ELegacyFileError &) {
    }
    try {
        TParadoxTable paradox(scratch);
        readAll(paradox);
    } catch (const ELegacyFileError &) {
    }
    return 0;
}
