#pragma once
// The seven printed forms of a trade document, each an A4 banded report over the
// document's lines: the invoices `PriFakt` (landscape) and `RepFak` (portrait), the
// bills `RepSchet` and `NewSchet`, and the waybills `RepTTN`, `Naklad` and `NaklNal`.
// Any document prints in any of them; each prints the number and date of its own kind.
//
// A form is built afresh for each print from the header as it stands then (saved or
// not): the title with the number and date, the parties' requisites in their blocks
// (long names and addresses wrap in their half of the page), the column header on every
// page, a row per line (a long goods name wraps in its column and the row grows), and
// after the last line the totals, the amounts in words and the signatures. A document
// without lines prints no page.
#include "print/Report.h"

#include <functional>
#include <memory>

class TDataSet;

using TTextHook = std::function<void(TRepText *sender, QString &text)>;

// What a form reads and the editor's hooks that finish its texts.
struct TDocFormSource {
    TDataSet *Header = nullptr; // the header at its current row
    TDataSet *Lines = nullptr;  // the lines, one detail row each; named "PosRasx"
    QString Note;               // the bill's note (the two bills print it)
    // The invoice number's text (the two invoices): the number with its suffix.
    TTextHook NumberPrint;
    // A sum's text (the sender is its TRepExpr): the sum in words.
    TTextHook WordsPrint;
    // The VAT line on the sum of the lines' VAT (NewSchet).
    TTextHook VatPrint;
    // The sales-tax line on the sum of the lines' totals (PriFakt, Naklad).
    TTextHook SalesTaxPrint;
    // Every money total under the table: its figure.
    TTextHook MoneyPrint;
};

// The form of print choice "1" to "7" ("1" PriFakt, "2" RepTTN, "3" RepSchet,
// "4" NewSchet, "5" Naklad, "6" NaklNal, "7" RepFak); nullptr for any other choice.
std::unique_ptr<TReport> MakeDocForm(const QString &choice, const TDocFormSource &source);
