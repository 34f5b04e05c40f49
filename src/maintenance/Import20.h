#pragma once
// The import of payment orders and partners from version 2.0: MISSION.DBF and
// PARTNERS.DBF of one folder are added to the partners, bank accounts and payment
// orders of the data folder, without looking for rows that are there already.
#include <QString>

#include <functional>

// What one import added.
struct TImport20Counts {
    int ownOrganisations = 0;
    int recipients = 0;
    int accounts = 0;
    int orders = 0;
    int partners = 0;
};

// Adds the folder's files in one transaction: a damaged file or any error leaves the
// data folder as it was. `step` (may be empty) hears what is being read every so many
// rows. Throws EOrbekError (ELegacyFileError naming the file).
TImport20Counts ImportVersion20(const QString &folder, const std::function<void(const QString &)> &step = {});

// "Подкачка платежек из версии 2.0": the file dialog, the question, the import.
void ImportVersion20Command();
