#include "db/Schema.h"

namespace db {

const std::vector<TableDef> &Schema() {
    // clang-format off
    static const std::vector<TableDef> tables = {
        // The settings: exactly one row, never appended or deleted.
        {"Config", "Config.db",
         {
             {"Rasdel", "A15"},
             {"Period", "A15"},
             {"KolCopy", "N"},
             {"SizeFont", "N"},
             {"ProcNDS", "N"},
             {"AppBank", "L"},
             {"FormatDat", "A15"},
         },
         "",
         {}},

        // Own organisations ("T") and partners ("F").
        {"Klient", "Klient.DB",
         {
             {"Klient_id", "+"},
             {"Name", "A30"},
             {"FullName", "A150"},
             {"Adress", "A150"},
             {"Telephon", "A20"},
             {"Cyti", "A50"},
             {"Inn", "A15"},
             {"Okonx", "A15"},
             {"Okpo", "A15"},
             {"FlSvoy", "A1"},
         },
         "Klient_id",
         {
             {"Nam", "FlSvoy;Name"},
             {"InnKli", "Inn"},
         }},

        // Bank accounts of organisations and partners.
        {"Bank", "Bank.db",
         {
             {"Bank_id", "+"},
             {"Klient_id", "N"},
             {"NameBank", "A100"},
             {"Schet", "A30"},
             {"KorSchet", "A30"},
             {"Bik", "A30"},
         },
         "Bank_id",
         {
             {"Klient", "Klient_id"},
         }},

        // The national bank directory, supplied with the program and only read.
        {"Bnkseek", "Bnkseek.db",
         {
             {"Bnkseek_id", "+"},
             {"NNP", "A25"},
             {"NAMEP", "A40"},
             {"NameN", "A40"},
             {"NEWNUM", "A9"},
             {"KSNP", "A20"},
             {"NamePr", "A10"},
         },
         "Bnkseek_id",
         {
             // Finds a bank by its BIK each time an account's BIK is typed or left.
             {"NEWNUM", "NEWNUM"},
         }},

        // Payment orders.
        {"PlatPor", "PlatPor.DB",
         {
             {"PlatPor_id", "+"},
             {"NUMBER", "N"},
             {"DATE_PLAT", "D"},
             {"TYPE_PAY", "A20"},
             {"Id_Pol", "N"},
             {"P_NAME", "A150"},
             {"P_Inn", "A15"},
             {"P_ACCOUNT", "A25"},
             {"P_BANK", "A100"},
             {"P_BANK_BIK", "A20"},
             {"P_BANK_ACC", "A20"},
             {"Id_Post", "N"},
             {"R_NAME", "A150"},
             {"R_Inn", "A15"},
             {"R_ACCOUNT", "A25"},
             {"R_BANK", "A100"},
             {"R_BANK_BIK", "A20"},
             {"R_BANK_ACC", "A20"},
             {"SUMMA", "N"},
             {"VID_PAY", "A20"},
             {"NAZ_PAY", "A20"},
             {"CODE", "A7"},
             {"OcherPlat", "A10"},
             {"ResPole", "A10"},
             {"REMARK", "A250"},
             {"Dogovor_id", "N"},
             {"SrokPlat", "D"},
             {"FlYes", "L"},
             {"NumbChP", "A10"},
             {"ShyfrPl", "A10"},
             {"NumbPlD", "A10"},
             {"DatPlD", "D"},
             {"DopNumb", "A5"},
         },
         "PlatPor_id",
         {
             // The register lists one payer's orders by number, and new numbers are
             // looked up per payer: both read this index instead of sorting.
             {"PayerNumber", "Id_Post;NUMBER"},
         }},

        // Headers of bills, invoices and waybills: one row serves all three kinds.
        {"FAKTUR_ZAG", "FAKTUR_ZAG.DB",
         {
             {"FAKTUR_ZAG_ID", "+"},
             {"NUMB_FAKT", "N"},
             {"DATE_FAKT", "D"},
             {"NUMB_TTN", "A15"},
             {"DATE_TTN", "D"},
             {"NUMB_SCHET", "A15"},
             {"DATE_SCHET", "D"},
             {"ID_POKUPAT", "N"},
             {"NAME_POKUPAT", "A150"},
             {"ADRESS_POK", "A150"},
             {"TEL_POK", "A15"},
             {"SCHET_POK", "A25"},
             {"KSCHET_POK", "A25"},
             {"MFO_POK", "A25"},
             {"BANK_POK", "A100"},
             {"CYTI_POK", "A25"},
             {"INN_POK", "A15"},
             {"OKPO_POK", "A15"},
             {"OKONX_POK", "A15"},
             {"ID_POST", "N"},
             {"NAME_POST", "A150"},
             {"ADRESS_POST", "A150"},
             {"TEL_POST", "A15"},
             {"SCHET_POST", "A25"},
             {"KSCHET_POST", "A25"},
             {"MFO_POST", "A25"},
             {"BANK_POST", "A100"},
             {"CYTI_POST", "A25"},
             {"INN_POST", "A15"},
             {"OKPO_POST", "A15"},
             {"OKONX_POST", "A15"},
             {"DOPOLN", "A75"},
             {"GRUZOPOL", "A50"},
             {"GRUZOOTPR", "A50"},
             {"PLATDOK", "A35"},
             {"FL_SVOY", "A1"},
             {"FIO_KLAD", "A50"},
             {"Dogovor_id", "N"},
             {"Summa", "$"},
             {"SummaNDS", "$"},
             {"Itogo", "$"},
             {"SummaOpl", "$"},
             {"DateOpl", "D"},
             {"NalogProd", "N"},
             {"DopNumb", "A5"},
         },
         "FAKTUR_ZAG_ID",
         {
             // An own organisation's invoices in number order: the invoice register's
             // list and the highest number of a year, read without sorting every header.
             {"PostNumb", "ID_POST;NUMB_FAKT"},
             // One direction of an own organisation's documents by date and number:
             // the books and the list by numbers read a period in this order.
             {"PostDate", "ID_POST;FL_SVOY;DATE_FAKT;NUMB_FAKT"},
         }},

        // Lines of trade documents.
        {"Faktura", "Faktura.DB",
         {
             {"FAKTURA_ID", "+"},
             {"ZAG_ID", "N"},
             {"TOVAR_ID", "N"},
             {"NAME_TOV", "A100"},
             {"OKDP_TOV", "A6"},
             {"ED_IZM", "A10"},
             {"KOL_VO", "N"},
             {"CENA_TOV", "N"},
             {"PROC_NDS", "N"},
             {"Summa", "$"},
             {"SummaNds", "$"},
             {"Itogo", "$"},
             {"Strana", "A30"},
             {"NTamog", "A21"},
         },
         "FAKTURA_ID",
         {
             // The lines of one document, read each time a document is opened or printed.
             {"ZAG_ID", "ZAG_ID"},
         }},

        // Payments received or made against a trade document.
        {"Oplata", "Oplata.db",
         {
             {"Oplata_id", "+"},
             {"Faktur_zag_id", "N"},
             {"DateOpl", "D"},
             {"NumbDok", "A10"},
             {"SummaOpl", "$"},
             {"SummaNds", "$"},
             {"Primech", "A50"},
         },
         "Oplata_id",
         {
             // The payments of one document, read by the payments form and the reports.
             {"Faktur_zag_id", "Faktur_zag_id"},
         }},

        // The note printed on a bill; keyed by its header, so a bill has at most one.
        {"PrimSch", "PrimSch.DB",
         {
             {"Zag_id", "N"},
             {"Primech", "A250"},
         },
         "Zag_id",
         {}},

        // Contracts.
        {"Dogovor", "Dogovor.DB",
         {
             {"Dogovor_id", "+"},
             {"NumbDog", "A20"},
             {"DateDog", "D"},
             {"DateFin", "D"},
             {"NameDog", "A150"},
             {"Summa", "$"},
             {"Klient_id", "N"},
             {"Bank_id", "N"},
             {"Primech", "A150"},
             {"NameFile", "A100"},
             {"Organ_id", "N"},
             {"BankOrg_id", "N"},
             {"SostDog", "N"},
             {"FlClose", "L"},
         },
         "Dogovor_id",
         {}},

        // Stages of contracts.
        {"Primech", "Primech.db",
         {
             {"Primech_id", "+"},
             {"DatPrim", "D"},
             {"SumPrim", "$"},
             {"Primech", "A200"},
             {"Dogovor_id", "N"},
             {"FileName", "A150"},
             {"SosotEt", "N"},
         },
         "Primech_id",
         {
             // The stages of one contract, shown on the contract card.
             {"Dogovor_id", "Dogovor_id"},
         }},

        // Standard-contract templates.
        {"TypeDog", "TypeDog.db",
         {
             {"TypeDog_id", "+"},
             {"TypeDog", "A50"},
             {"NameFile", "A150"},
         },
         "TypeDog_id",
         {}},

        // Named states of contracts and their stages.
        {"Sostoyn", "Sostoyn.db",
         {
             {"Sost_id", "+"},
             {"NameSost", "A50"},
         },
         "Sost_id",
         {}},

        // Work table of the balances by buyer and of the goods movement.
        {"OtchSald", "OtchSald.db",
         {
             {"NamePok", "A50"},
             {"SummaVx", "$"},
             {"ObDeb", "$"},
             {"ObKre", "$"},
             {"SummaIs", "$"},
             {"OstKolVo", "$"},
             {"OstSumma", "$"},
         },
         "",
         {
             // The order the reports read and merge the rows in; equal names are allowed.
             {"NamePok", "NamePok"},
         }},

        // Work table of the statement of one buyer.
        {"OtchKli", "OtchKli.db",
         {
             {"Otchet_id", "+"},
             {"NumbDok", "A10"},
             {"DateDok", "D"},
             {"NameTov", "A50"},
             {"Cena", "$"},
             {"KolVo", "N"},
             {"Summa", "$"},
             {"SummaDok", "$"},
             {"NumbOpl", "A10"},
             {"DateOpl", "D"},
             {"SummaOpl", "$"},
         },
         "Otchet_id",
         {
             // Keeps the rows of one document together, in the order they were added.
             {"Num", "NumbDok;Otchet_id"},
         }},

        // The chart of accounts.
        {"PlanSch", "PlanSch.DB",
         {
             {"PlanId", "+"},
             {"Schet", "A20"},
             {"NameSchet", "A100"},
             {"TypeSchet", "A2"},
         },
         "PlanId",
         {
             // The chart in the order of account codes; equal codes are allowed.
             {"Sch", "Schet"},
         }},

        // The journal of accounting entries.
        {"Provodka", "Provodka.DB",
         {
             {"ProvodkaId", "+"},
             {"DateProv", "D"},
             {"Debet", "A20"},
             {"Kredit", "A20"},
             {"Summa", "$"},
             {"Primech", "A50"},
             {"Organis", "N"},
         },
         "ProvodkaId",
         {
             // Every list of entries is one organisation's over a period, in date order.
             {"OrgDate", "Organis;DateProv"},
             // The balances sum one organisation's entries by account on either side:
             // these hold every value they read, in the order they group by.
             {"DebetSums", "Organis;Debet;DateProv;Summa"},
             {"KreditSums", "Organis;Kredit;DateProv;Summa"},
         }},

        // Cash-order details of journal entries.
        {"Kassa", "Kassa.db",
         {
             {"KassaId", "+"},
             {"ProvodkaId", "N"},
             {"Primech", "A100"},
             {"Prilog", "A100"},
             {"Dokument", "A150"},
             {"Komu", "A70"},
             {"NumbDok", "N"},
         },
         "KassaId",
         {
             {"Prov", "ProvodkaId"},
         }},

        // Work table of the balance and the turnover-balance sheet.
        {"BalOtch", "BalOtch.db",
         {
             // As wide as the account codes it holds. Folders made when it was ten
             // wide declare VARCHAR(10), which the database does not enforce: the width
             // a field holds is the one declared here.
             {"SchetBal", "A20"},
             {"SaldVx", "$"},
             {"DebOb", "$"},
             {"KreOb", "$"},
             {"SaldIs", "$"},
         },
         "",
         {
             // The order the reports print the accounts in.
             {"SchetBal", "SchetBal"},
         }},

        // Line layout of the accounting balance sheet with its last computed amounts.
        {"ConfBal", "ConfBal.db",
         {
             {"ConfBal", "+"},
             {"GroupId", "N"},
             {"BalSchet", "A20"}, // an account code, as wide as the codes of the journal
             {"StrokaId", "N"},
             {"NameStr", "A100"},
             {"FirstSum", "$"},
             {"LastSum", "$"},
         },
         "ConfBal",
         {
             // The layout editor lists the rows by section, then by line code.
             {"StrId", "GroupId;StrokaId"},
         }},
    };
    // clang-format on
    return tables;
}

namespace {

// The table name without the ".db" extension the data folder's files carry.
QString withoutExtension(const QString &name) {
    return name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive) ? name.left(name.size() - 3) : name;
}

} // namespace

const TableDef *FindTable(const QString &name) {
    const QString wanted = withoutExtension(name.trimmed());
    if (wanted.isEmpty()) return nullptr;
    for (const TableDef &table : Schema()) {
        // The file's name without ".db", compared where it stands.
        QLatin1StringView file(table.fileName);
        if (file.endsWith(QLatin1StringView(".db"), Qt::CaseInsensitive)) file.chop(3);
        if (wanted.compare(QLatin1String(table.sqlName), Qt::CaseInsensitive) == 0 ||
            wanted.compare(file, Qt::CaseInsensitive) == 0)
            return &table;
    }
    return nullptr;
}

} // namespace db
