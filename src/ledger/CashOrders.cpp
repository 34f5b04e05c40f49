#include "ledger/CashOrders.h"

#include "db/Formats.h"

namespace {

const QString Arial = QStringLiteral("Arial");
const QString &Money = fmt::MoneyMask;

// Elements as the layouts list them: position and size in mm from the sheet's corner,
// the drawn sides, the font size, bold or not, and the alignment.
TRepLabel *label(TReport &r, const QString &text, double x, double y, double w, double h, double size,
                 TAlignment align = taLeftJustify, const char *frame = "", bool bold = false) {
    TRepLabel *e = r.AddLabel(text, x, y, w, h);
    e->Font = TRepFont{Arial, size, bold};
    e->Alignment = align;
    e->Frame = TRepFrame::Sides(QString::fromLatin1(frame));
    return e;
}

// A text that wraps inside its box.
TRepLabel *wrapped(TReport &r, const QString &text, double x, double y, double w, double h, double size,
                   TAlignment align = taLeftJustify, const char *frame = "") {
    TRepLabel *e = label(r, text, x, y, w, h, size, align, frame);
    e->WordWrap = true;
    return e;
}

// A heading of the orders' table: its lines as the form breaks them, in a framed cell.
void heading(TReport &r, const char *text, double x, double y, double w, double h) {
    r.AddShape(stFrame, x, y, w, h);
    TRepMemo *m = r.AddMemo(QString::fromUtf8(text), x + 0.5, y + 0.7, w - 1, h - 1);
    m->Font = TRepFont{Arial, 6.5};
    m->Alignment = taCenter;
}

void cell(TReport &r, double x, double y, double w, double h) {
    r.AddShape(stFrame, x, y, w, h);
}

// A framed cell with the text the print fills in, kept clear of the frame's sides.
TRepLabel *valueCell(TReport &r, double x, double y, double w, double h, TAlignment align) {
    cell(r, x, y, w, h);
    return label(r, QString(), x + 1, y + 0.8, w - 2, h - 0.8, 9, align);
}

// The form's code block at the top right: "Код", the OKUD code and the OKPO box.
void codeBlock(TReport &r, const char *form, const char *okud, double right, double top) {
    label(r, QString::fromUtf8(form), right - 70, top, 70, 3, 6, taRightJustify);
    const double x = right - 20;
    label(r, QStringLiteral("Код"), x, top + 4, 20, 4, 7, taCenter, "TBLR");
    label(r, QStringLiteral("Форма по ОКУД"), x - 26, top + 8.5, 25, 4, 7, taRightJustify);
    label(r, QString::fromLatin1(okud), x, top + 8, 20, 4.5, 8, taCenter, "TBLR");
    label(r, QStringLiteral("по ОКПО"), x - 26, top + 13, 25, 4, 7, taRightJustify);
    cell(r, x, top + 12.5, 20, 4.5);
}

QString numberText(double number) {
    return fmt::FloatToStr(number);
}

} // namespace

TCashOrderForms::TCashOrderForms() {
    buildPrixOrd();
    buildRasxOrd();
}

// The incoming order on the left, 8 to 126 mm, the receipt framed on the right beyond
// the line it is cut off along.
void TCashOrderForms::buildPrixOrd() {
    TReport &r = PrixOrd;
    r.Page = {poPortrait, 8, 8, 8, 6};
    r.Font = TRepFont{Arial, 9};
    Texts &t = m_prix;

    // The organisation's line ends before the captions of the code block.
    codeBlock(r, "Унифицированная форма № КО-1", "0310001", 126, 8);
    t.Organisation = wrapped(r, QString(), 8, 16, 71, 8.5, 9, taLeftJustify, "B");
    label(r, QStringLiteral("(организация)"), 8, 24.8, 71, 3, 6, taCenter);
    t.Inn = label(r, QString(), 8, 29, 88, 4.5, 9);

    label(r, QStringLiteral("Номер документа"), 82, 34, 22, 7, 6.5, taCenter, "TBLR")->WordWrap = true;
    label(r, QStringLiteral("Дата составления"), 104, 34, 22, 7, 6.5, taCenter, "TBLR")->WordWrap = true;
    label(r, QStringLiteral("Приходный кассовый ордер"), 8, 41, 72, 5, 11, taLeftJustify, "", true);
    t.Number = valueCell(r, 82, 41, 22, 5, taCenter);
    t.Date = valueCell(r, 104, 41, 22, 5, taCenter);

    // Дебет | Кредит (three columns) | Сумма | Код целевого назначения | (blank). The two
    // accounts' columns hold a code of 20 characters in 6 pt; the two code columns
    // left empty break their headings into short lines to leave them the room.
    const double y = 49, top = 5, sub = 12, row = 6;
    heading(r, "Дебет", 8, y, 24, top + sub);
    heading(r, "Кредит", 32, y, 48, top);
    heading(r, "код струк-\nтурного\nподразде-\nления", 32, y + top, 12, sub);
    heading(r, "корреспондирую-\nщий счет, субсчет", 44, y + top, 24, sub);
    heading(r, "код\nаналити-\nческого\nучета", 68, y + top, 12, sub);
    heading(r, "Сумма, руб. коп.", 80, y, 22, top + sub);
    heading(r, "Код целевого назна-\nчения", 102, y, 16, top + sub);
    cell(r, 118, y, 8, top + sub);
    const double v = y + top + sub;
    t.Debet = valueCell(r, 8, v, 24, row, taCenter);
    cell(r, 32, v, 12, row);
    t.KorSchet = valueCell(r, 44, v, 24, row, taCenter);
    cell(r, 68, v, 12, row);
    t.Summa = valueCell(r, 80, v, 22, row, taRightJustify);
    cell(r, 102, v, 16, row);
    cell(r, 118, v, 8, row);

    label(r, QStringLiteral("Принято от"), 8, 76, 19, 5, 9);
    t.Komu = label(r, QString(), 27, 76, 99, 5, 9, taLeftJustify, "B");
    t.Primech = wrapped(r, QString(), 8, 83, 118, 8.5, 9);
    t.Memo = r.AddMemo(QString(), 8, 92, 118, 13);
    t.Memo->Font = TRepFont{Arial, 9};
    t.Prilog = wrapped(r, QString(), 8, 106, 118, 8.5, 9);
    label(r, QStringLiteral("Главный бухгалтер _______________________________"), 8, 118, 118, 5, 9);
    label(r, QStringLiteral("Получил кассир__________________________________"), 8, 127, 118, 5, 9);

    // The line the receipt is cut off along, and the receipt in its frame.
    r.AddShape(stVertLine, 129, 8, 2, 134)->PenWidth = 0.1;
    r.AddShape(stFrame, 133, 8, 71, 134);
    Texts &q = m_receipt;
    const double x = 135, w = 67;
    q.Organisation = wrapped(r, QString(), x, 10, w, 10, 8);
    q.Inn = label(r, QString(), x, 20.5, w, 4, 8);
    label(r, QStringLiteral("Квитанция"), x, 26, w, 5, 11, taCenter, "", true);
    label(r, QStringLiteral("к приходному кассовому ордеру №"), x, 32.5, 49, 4, 8);
    q.Number = label(r, QString(), x + 50, 32.5, w - 50, 4, 8, taCenter, "B");
    q.Komu = wrapped(r, QString(), x, 38, w, 8, 8);
    q.Primech = wrapped(r, QString(), x, 46.5, w, 11.5, 8);
    q.Memo = r.AddMemo(QString(), x, 58.5, w, 24);
    q.Memo->Font = TRepFont{Arial, 8};
    q.Prilog = wrapped(r, QString(), x, 83, w, 8, 8);
    label(r, QStringLiteral("Дата"), x, 92, 10, 4, 8);
    q.Date = label(r, QString(), x + 10, 92, 24, 4, 8, taCenter, "B");
    label(r, QStringLiteral("М.П."), x, 100, 12, 4, 8);
    label(r, QStringLiteral("Главный бухгалтер ___________________________"), x, 118, w, 4, 7);
    label(r, QStringLiteral("кассир______________________________________"), x, 127, w, 4, 7);
}

// The outgoing order across the width of the sheet, 10 to 200 mm.
void TCashOrderForms::buildRasxOrd() {
    TReport &r = RasxOrd;
    r.Page = {poPortrait, 8, 8, 10, 10};
    r.Font = TRepFont{Arial, 9};
    Texts &t = m_rasx;

    codeBlock(r, "Унифицированная форма № КО-2", "0310002", 200, 8);
    t.Organisation = wrapped(r, QString(), 10, 16, 140, 8.5, 9, taLeftJustify, "B");
    label(r, QStringLiteral("(организация)"), 10, 24.8, 140, 3, 6, taCenter);
    t.Inn = label(r, QString(), 10, 29, 140, 4.5, 9);

    label(r, QStringLiteral("Номер документа"), 140, 34, 30, 7, 7, taCenter, "TBLR")->WordWrap = true;
    label(r, QStringLiteral("Дата составления"), 170, 34, 30, 7, 7, taCenter, "TBLR")->WordWrap = true;
    label(r, QStringLiteral("Расходный кассовый ордер"), 10, 41, 128, 5, 11, taLeftJustify, "", true);
    t.Number = valueCell(r, 140, 41, 30, 5, taCenter);
    t.Date = valueCell(r, 170, 41, 30, 5, taCenter);

    // Дебет (three columns) | Кредит | Сумма | Код целевого назначения | (blank)
    const double y = 50, top = 5, sub = 10, row = 6;
    heading(r, "Дебет", 10, y, 90, top);
    heading(r, "код структурного подразделения", 10, y + top, 28, sub);
    heading(r, "корреспондирующий счет, субсчет", 38, y + top, 34, sub);
    heading(r, "код аналити-\nческого учета", 72, y + top, 28, sub);
    heading(r, "Кредит", 100, y, 24, top + sub);
    heading(r, "Сумма, руб. коп.", 124, y, 32, top + sub);
    heading(r, "Код целевого назначения", 156, y, 28, top + sub);
    cell(r, 184, y, 16, top + sub);
    const double v = y + top + sub;
    cell(r, 10, v, 28, row);
    // The debit account stands under the correspondent account.
    t.Debet = valueCell(r, 38, v, 34, row, taCenter);
    cell(r, 72, v, 28, row);
    t.Kredit = valueCell(r, 100, v, 24, row, taCenter);
    t.Summa = valueCell(r, 124, v, 32, row, taRightJustify);
    cell(r, 156, v, 28, row);
    cell(r, 184, v, 16, row);

    label(r, QStringLiteral("Выдать"), 10, 75, 14, 5, 9);
    t.Komu = label(r, QString(), 24, 75, 176, 5, 9, taLeftJustify, "B");
    t.Primech = wrapped(r, QString(), 10, 82, 190, 8.5, 9);
    t.Memo = r.AddMemo(QString(), 10, 91, 190, 9);
    t.Memo->Font = TRepFont{Arial, 9};
    t.Prilog = wrapped(r, QString(), 10, 101, 190, 8.5, 9);
    label(r, QStringLiteral("Руководитель____________________"), 10, 112, 85, 5, 9);
    label(r, QStringLiteral("Главный бухгалтер _________________"), 105, 112, 95, 5, 9);
    label(r, QStringLiteral("Получил"), 10, 120, 30, 5, 9);
    label(r, QStringLiteral("Подпись_____________________"), 10, 128, 85, 5, 9);
    label(r, QStringLiteral("Дата ___________________"), 105, 128, 95, 5, 9);
    t.Dokument = wrapped(r, QString(), 10, 136, 190, 8.5, 9);
    label(r, QStringLiteral("Выдал кассир _____________________"), 10, 146, 120, 5, 9);
}

void TCashOrderForms::FillPrixOrd(const CashOrderData &d) {
    for (Texts *t : {&m_prix, &m_receipt}) {
        t->Organisation->Caption = d.Organisation;
        t->Inn->Caption = QStringLiteral("ИНН ") + d.Inn;
        t->Number->Caption = numberText(d.Number);
        t->Date->Caption = fmt::DateToStr(d.Date);
        t->Primech->Caption = QStringLiteral("Основание ") + d.Primech;
        t->Prilog->Caption = QStringLiteral("Приложение ") + d.Prilog;
        t->Memo->Lines = d.Memo;
    }
    m_prix.Debet->Caption = d.Debet;
    m_prix.KorSchet->Caption = d.KorSchet;
    m_prix.Summa->Caption = fmt::FormatFloat(Money, d.Summa);
    m_prix.Komu->Caption = d.Komu;
    m_receipt.Komu->Caption = QStringLiteral("Принято от ") + d.Komu;
}

void TCashOrderForms::FillRasxOrd(const CashOrderData &d) {
    Texts &t = m_rasx;
    t.Organisation->Caption = d.Organisation;
    t.Inn->Caption = QStringLiteral("ИНН ") + d.Inn;
    t.Number->Caption = numberText(d.Number);
    t.Date->Caption = fmt::DateToStr(d.Date);
    t.Debet->Caption = d.Debet;
    t.Kredit->Caption = d.Kredit;
    t.Summa->Caption = fmt::FormatFloat(Money, d.Summa);
    t.Komu->Caption = d.Komu;
    t.Primech->Caption = QStringLiteral("Основание ") + d.Primech;
    t.Memo->Lines = d.Memo;
    t.Prilog->Caption = QStringLiteral("Приложение ") + d.Prilog;
    // "Пo": a Cyrillic П and a Latin o, as the form has always printed it.
    t.Dokument->Caption = QStringLiteral("П") + QLatin1Char('o') + QLatin1Char(' ') + d.Dokument;
}
