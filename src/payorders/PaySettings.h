#pragma once
// The settings the payment-order forms read at the moment they act (the settings
// dialog may have changed them since the form was shown).
#include <QString>

struct PaySettings {
    int KolCopy = 1;    // copies of a printed order, as stored (may be 0 or below)
    int SizeFont = 0;   // points of the values on form 0401060, as stored
    double ProcNDS = 0; // VAT percent of the "в т.ч. НДС" remark
    QString FormatDat;  // date pattern of the order's date on form 0401060
};

// Reads the current settings; throws EDatabaseError when they cannot be read. The
// whole numbers are rounded to the nearest one; a value that is not a number reads 0.
PaySettings ReadPaySettings();
