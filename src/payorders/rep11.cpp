#include "payorders/rep11.h"

#include "app/Words.h"
#include "db/DataSet.h"
#include "db/Formats.h"
#include "payorders/PaySettings.h"
#include "payorders/UPlatOrd.h"

TPRINT_PAY *PRINT_PAY = nullptr;

namespace {

constexpr double Auto = 0; // width: the box grows to the right with its text
const QString TNR = QStringLiteral("Times New Roman");
const QString Arial = QStringLiteral("Arial");

// An element as the layouts list it: position and size in mm from the sheet's corner,
// the drawn sides, the font (an empty family: the page's) and the alignment.
template <class T> T *style(T *e, const char *frame, const QString &family, double size, TAlignment align) {
    e->Frame = TRepFrame::Sides(QString::fromLatin1(frame));
    e->Font = TRepFont{family, size};
    e->Alignment = align;
    e->AutoSize = e->Width == Auto;
    return e;
}

TRepLabel *caption(TReport &rep, const char *text, double x, double y, double w, double h, const char *frame,
                   const QString &family, double size, TAlignment align) {
    return style(rep.AddLabel(QString::fromUtf8(text), x, y, w, h), frame, family, size, align);
}

// A text the print fills in.
TRepLabel *text(TReport &rep, double x, double y, double w, double h, const char *frame,
                const QString &family, double size, TAlignment align) {
    return style(rep.AddLabel(QString(), x, y, w, h), frame, family, size, align);
}

TRepMemo *memo(TReport &rep, double x, double y, double w, double h, const char *frame, const QString &family,
               double size) {
    return style(rep.AddMemo(QString(), x, y, w, h), frame, family, size, taLeftJustify);
}

void frame(TReport &rep, double x, double y, double w, double h, const char *sides) {
    rep.AddShape(stFrame, x, y, w, h)->Frame = TRepFrame::Sides(QString::fromLatin1(sides));
}

// A party's name or bank in its cell, whose caption ("Плательщик", "Банк получателя")
// stands at the cell's foot: the cell's sides are drawn whole, the text keeps above the
// caption, so a text of more lines than that room holds prints smaller to fit it
// instead of over the caption.
TRepMemo *memoAbove(TReport &rep, const TRepLabel *caption, double x, double y, double w, double h,
                    const char *sides, const QString &family, double size) {
    if (*sides) frame(rep, x, y, w, h, sides);
    return memo(rep, x, y, w, qMin(h, caption->Top - y), "", family, size);
}

void hline(TReport &rep, double x, double y, double w, double h) {
    rep.AddShape(stHorLine, x, y, w, h);
}

// ---- What both forms print the same way ----------------------------------------

QString str(TDataSet *Plat, const char *field) {
    return Plat->FieldByName(QString::fromLatin1(field))->AsString();
}

// The texts of the payer's or the recipient's block on a form.
struct PartyTexts {
    TRepMemo *name; // "ИНН " + INN + " " + name, the name with its line breaks
    TRepLabel *account;
    TRepMemo *bank;
    TRepLabel *korSchet;
    TRepLabel *bik;
};

// `block`: "P_" the payer, "R_" the recipient.
void fillParty(TDataSet *Plat, const char *block, const PartyTexts &texts) {
    const auto field = [&](const char *name) {
        return Plat->FieldByName(QLatin1String(block) + QLatin1String(name))->AsString();
    };
    texts.name->Lines = QStringLiteral("ИНН ") + field("Inn") + QLatin1Char(' ') + field("NAME");
    texts.account->Caption = field("ACCOUNT");
    texts.bank->Lines = field("BANK");
    texts.korSchet->Caption = field("BANK_ACC");
    texts.bik->Caption = field("BANK_BIK");
}

// The amount as the bank reads it: rounded once to kopecks, the figure and the words
// from that one value. An amount the form cannot hold is refused before anything of
// the layout is filled.
PrintedAmount amount(TDataSet *Plat) {
    return AmountForPrint(Plat->FieldByName(QStringLiteral("SUMMA"))->AsFloat());
}

// The number in its shortest form: 15, not 15.0.
QString number(TDataSet *Plat) {
    return fmt::FloatToStr(Plat->FieldByName(QStringLiteral("NUMBER"))->AsFloat());
}

// A date later than `after`, in the short date format; otherwise (an empty date too)
// nothing.
QString dateAfter(TDataSet *Plat, const char *field, const QDate &after) {
    const QDate d = Plat->FieldByName(QString::fromLatin1(field))->AsDate();
    return d.isValid() && d > after ? fmt::DateToStr(d) : QString();
}

QString remarkOrBlank(TDataSet *Plat) {
    const QString remark = str(Plat, "REMARK");
    return remark.isEmpty() ? QStringLiteral(" ") : remark;
}

// Copies below one print one copy.
int copies(const PaySettings &settings) {
    return settings.KolCopy >= 1 ? settings.KolCopy : 1;
}

} // namespace

TPRINT_PAY::TPRINT_PAY(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("PRINT_PAY"));
    SetCaption(QStringLiteral("Dialog"));
    buildMission();
    buildPlatOrder();
}

TPRINT_PAY::~TPRINT_PAY() {
    if (PRINT_PAY == this) PRINT_PAY = nullptr;
}

// Form 0401060. A4 portrait, every element at its place on the sheet.
void TPRINT_PAY::buildMission() {
    TReport &r = Mission;
    r.Page = {poPortrait, 5, 5, 10, 10};
    r.Font = TRepFont{TNR, 10};
    r.AddBand(rbTitle, 1.6);
    const QString page; // the page font at the given size
    const auto L = taLeftJustify, C = taCenter;

    ReceiptBox = text(r, 21.2, 10.6, 34.1, 4.2, "", page, 10, C);
    hline(r, 18.8, 14.8, 38.9, 0.3);
    caption(r, "Поступ. в банк плат.", 25.4, 15.1, Auto, 4.2, "", TNR, 8, L);
    Data = text(r, 85.7, 21.2, 34.1, 5.3, "B", TNR, 12, C);
    Type_Pay = text(r, 124.9, 21.2, 35.2, 5.3, "B", TNR, 12, C);
    Title = text(r, 19.6, 21.4, Auto, 4.2, "", page, 10, L);
    caption(r, "0401060", 184.2, 22.5, 15.6, 4.2, "TBLR", page, 10, C);
    caption(r, "Дата", 100.3, 25.9, Auto, 4.0, "", TNR, 8, L);
    caption(r, "Вид платежа", 133.6, 25.9, Auto, 4.0, "", TNR, 8, L);
    caption(r, "Сумма прописью", 19.8, 34.1, 20.6, 14.8, "BR", page, 10, C)->WordWrap = true;
    frame(r, 40.0, 34.1, 160.1, 14.8, "BL");
    Summa_Words = text(r, 42.9, 36.2, 151.1, 12.2, "", TNR, 12, L);
    Summa_Words->WordWrap = true; // a long amount goes on to a second line, not off the box
    caption(r, "Сумма", 120.1, 49.2, 14.8, 15.3, "BLR", page, 10, C);
    frame(r, 134.9, 49.5, 64.8, 15.1, "B");
    SUMMA = text(r, 136.5, 50.3, Auto, 5.3, "", TNR, 12, L);
    caption(r, "Сч.№", 120.1, 64.3, 14.8, 15.6, "BLR", page, 10, C);
    P_ACCOUNT = text(r, 136.5, 64.8, Auto, 5.3, "", TNR, 12, L);
    P_Name = memoAbove(r, caption(r, "Плательщик", 20.9, 75.7, Auto, 3.4, "", TNR, 7, L), 19.8, 49.5, 100.3,
                       29.9, "", TNR, 12);
    P_BANK_BIC = text(r, 136.5, 79.1, Auto, 5.3, "", TNR, 12, L);
    caption(r, "БИК", 120.1, 79.9, 14.8, 4.2, "BLR", page, 10, C);
    caption(r, "Сч.№", 120.1, 84.1, 14.8, 10.6, "LR", page, 10, C);
    P_BANK_ACCOUNT = text(r, 136.5, 84.1, Auto, 5.3, "", TNR, 12, L);
    P_BANK = memoAbove(r, caption(r, "Банк плательщика", 20.1, 91.8, Auto, 3.4, "", TNR, 7, L), 19.8, 79.4,
                       100.3, 15.6, "TB", TNR, 10);
    caption(r, "БИК", 120.1, 94.5, 14.8, 5.0, "TBLR", page, 10, C);
    frame(r, 134.9, 94.5, 64.8, 29.6, "TB");
    R_BANK_BIC = text(r, 136.5, 95.0, Auto, 5.3, "", TNR, 12, L);
    caption(r, "Сч.№", 120.1, 99.2, 14.8, 10.6, "LR", page, 10, C);
    R_BANK_ACCOUNT = text(r, 137.1, 100.0, Auto, 5.3, "", TNR, 12, L);
    R_BANK = memoAbove(r, caption(r, "Банк получателя", 20.1, 106.9, Auto, 3.4, "", TNR, 7, L), 19.8, 94.5,
                       100.3, 15.1, "T", TNR, 10);
    caption(r, "Сч.№", 120.1, 109.5, 14.8, 14.6, "TBLR", page, 10, C);
    R_ACCOUNT = text(r, 136.5, 110.6, Auto, 5.3, "", TNR, 12, L);
    Vid_Pay = text(r, 135.2, 124.1, 18.8, 5.6, "", TNR, 12, C);
    caption(r, "Срок.плат.", 154.8, 124.1, 20.1, 5.3, "L", page, 10, C);
    frame(r, 174.9, 124.1, 24.9, 15.9, "BL");
    DURING = text(r, 175.7, 124.1, 23.5, 5.6, "", TNR, 12, C);
    frame(r, 154.8, 124.4, 20.1, 15.6, "BL");
    caption(r, "Вид.оп.", 120.1, 124.6, 14.8, 5.3, "LR", page, 10, C);
    QUEUE = text(r, 176.2, 129.1, 23.5, 5.3, "", TNR, 12, C);
    caption(r, "Наз.пл.", 120.1, 129.4, 14.8, 4.8, "TLR", page, 10, C);
    Naz_Pay = text(r, 135.2, 129.4, 19.1, 5.3, "", TNR, 12, C);
    caption(r, "Очер.плат.", 154.8, 129.9, 20.1, 4.2, "TL", page, 10, C);
    caption(r, "Код", 120.1, 134.1, 14.8, 5.3, "TBLR", page, 10, C);
    Code = text(r, 135.2, 134.1, 19.8, 5.8, "B", TNR, 12, C);
    caption(r, "Рез.поле", 154.8, 134.1, 20.6, 5.3, "TL", page, 10, C);
    REZ_FIELD = text(r, 175.7, 134.1, 23.5, 5.3, "", TNR, 12, C);
    R_Name = memoAbove(r, caption(r, "Получатель", 20.4, 135.2, Auto, 3.4, "", TNR, 7, L), 19.8, 109.5, 100.3,
                       29.6, "TB", TNR, 12);
    caption(r, "Назначение платежа ", 19.8, 139.2, 161.1, 11.1, "", page, 10, L);
    frame(r, 19.8, 139.2, 179.7, 30.4, "B");
    REMARK = memo(r, 19.8, 150.5, 178.9, 18.5, "", TNR, 12);
    caption(r, "Отметки банка", 160.1, 169.9, Auto, 4.2, "", page, 10, L);
    caption(r, "Подписи", 99.0, 170.1, Auto, 4.2, "", page, 10, L);
    frame(r, 74.6, 179.4, 60.9, 4.5, "B");
    caption(r, "М.П.", 48.7, 184.2, Auto, 4.2, "", page, 10, L);
    frame(r, 74.6, 193.4, 60.9, 4.5, "B");

    DURING->OnPrint = [this](TRepText *sender, QString &t) { DURINGPrint(sender, t); };

    for (TRepText *e : std::initializer_list<TRepText *>{
             Title,      Data,   Type_Pay,  P_Name,      P_ACCOUNT,      P_BANK,     P_BANK_ACCOUNT,
             P_BANK_BIC, R_Name, R_ACCOUNT, R_BANK,      R_BANK_ACCOUNT, R_BANK_BIC, Vid_Pay,
             Naz_Pay,    Code,   SUMMA,     Summa_Words, DURING,         QUEUE,      REZ_FIELD})
        m_sizedBySetting.emplace_back(e, e->Font.Size);
}

// Form 0401066. A4 portrait from the first paper tray.
void TPRINT_PAY::buildPlatOrder() {
    TReport &r = PlatOrder;
    r.Page = {poPortrait, 5, 5, 20, 5};
    r.PrinterSettings.FirstTray = true;
    r.Font = TRepFont{Arial, 10};
    const QString page;
    const auto L = taLeftJustify, C = taCenter;

    caption(r, "0401066", 184.9, 7.7, 15.3, 4.5, "TBLR", page, 10, C);
    caption(r, "ПЛАТЕЖНЫЙ ОРДЕР №", 23.3, 14.3, Auto, 5.0, "", Arial, 12, L);
    DateDoc = text(r, 110.1, 14.6, 34.9, 4.5, "B", page, 10, C);
    VidPlatega = text(r, 150.3, 14.6, 34.7, 4.5, "B", page, 10, C);
    NumbDoc = text(r, 76.2, 14.8, Auto, 4.5, "", page, 10, L);
    caption(r, "Дата", 123.3, 19.3, Auto, 4.0, "", Arial, 8, L);
    caption(r, "Вид платежа", 159.3, 19.3, Auto, 4.0, "", Arial, 8, L);
    caption(r, "Сумма прописью", 20.1, 22.2, 20.1, 10.1, "R", Arial, 9, L)->WordWrap = true;
    SumWord = text(r, 41.3, 24.1, 156.6, 7.7, "", page, 10, L);
    SumWord->WordWrap = true;
    caption(r, "Сумма", 120.1, 32.0, 15.1, 9.5, "TLR", Arial, 9, C);
    frame(r, 135.2, 32.0, 65.1, 9.8, "TB");
    SummaPlat = text(r, 136.8, 33.6, Auto, 4.5, "", page, 10, L);
    caption(r, "Сч. №", 120.1, 41.5, 15.1, 6.3, "TLR", Arial, 9, C);
    SchPlat = text(r, 137.1, 42.1, Auto, 4.5, "", page, 10, L);
    Platel = memoAbove(r, caption(r, "Плательщик", 20.4, 43.9, Auto, 4.0, "", Arial, 8, L), 20.1, 32.0, 100.0,
                       11.9, "T", page, 10);
    caption(r, "БИК", 120.1, 47.9, 15.1, 6.1, "TLR", Arial, 9, C);
    BikPlat = text(r, 137.1, 48.7, Auto, 4.5, "", page, 10, L);
    caption(r, "Сч. №", 120.1, 54.0, 15.1, 6.1, "TLR", Arial, 9, C);
    KorSchPlat = text(r, 137.1, 55.0, Auto, 4.5, "", page, 10, L);
    BankPlat = memoAbove(r, caption(r, "Банк плательщика", 20.4, 56.1, Auto, 4.0, "", Arial, 8, L), 20.1,
                         47.9, 100.0, 11.9, "T", page, 10);
    caption(r, "БИК", 120.1, 60.1, 15.1, 5.8, "TLR", Arial, 9, C);
    frame(r, 135.2, 60.1, 64.8, 4.5, "T");
    BikPol = text(r, 137.1, 60.9, Auto, 4.5, "", page, 10, L);
    caption(r, "Сч. №", 120.1, 65.9, 15.1, 6.1, "TLR", Arial, 9, C);
    KorSchPol = text(r, 137.1, 66.4, Auto, 4.5, "", page, 10, L); // the recipient bank's account
    BankPol = memoAbove(r, caption(r, "Банк получателя", 20.4, 68.0, Auto, 4.0, "", Arial, 8, L), 20.1, 60.1,
                        100.0, 11.6, "T", page, 10);
    caption(r, "Сч. №", 120.1, 72.0, 15.1, 5.8, "TLR", Arial, 9, C);
    SchPol = text(r, 137.1, 72.8, Auto, 4.5, "", page, 10, L); // the recipient's account
    caption(r, "Вид. оп.", 120.1, 77.8, 15.1, 4.8, "TLR", Arial, 9, C);
    VidOpl = text(r, 135.2, 77.8, 19.8, 14.6, "TB", page, 10, C);
    caption(r, "Срок плат.", 155.0, 77.8, 20.1, 4.8, "TLR", Arial, 9, C);
    SrokPlat = text(r, 175.2, 77.8, 25.1, 14.6, "TB", page, 10, C);
    Ochered = text(r, 181.0, 82.5, Auto, 4.5, "", page, 10, L);
    caption(r, "Наз. пл.", 120.1, 82.6, 15.1, 4.8, "TLR", Arial, 9, C);
    caption(r, "Очер. плат.", 155.0, 82.6, 20.1, 4.8, "TLR", Arial, 9, C);
    NaznPlat = text(r, 136.3, 82.8, Auto, 4.5, "", page, 10, L);
    Poluch = memoAbove(r, caption(r, "Получатель", 20.4, 83.3, Auto, 4.0, "", Arial, 8, L), 20.1, 72.0, 100.0,
                       11.1, "T", page, 10);
    caption(r, "№ ч. плат.", 20.1, 87.3, 20.1, 10.3, "TBL", Arial, 9, C);
    caption(r, "Шифр плат. док.", 40.2, 87.3, 24.9, 10.3, "TBL", Arial, 9, C);
    caption(r, "№ плат. док.", 65.1, 87.3, 24.9, 10.3, "TBL", Arial, 9, C);
    caption(r, "Дата плат. док.", 90.0, 87.3, 30.2, 10.3, "TBL", Arial, 9, C);
    caption(r, "Код", 120.1, 87.3, 15.1, 4.8, "TLR", Arial, 9, C);
    caption(r, "Рез. поле", 155.0, 87.3, 20.1, 5.0, "TBLR", Arial, 9, C);
    Kod = text(r, 136.3, 87.3, Auto, 4.5, "", page, 10, L);
    RezPol = text(r, 182.0, 87.3, Auto, 4.5, "", page, 10, L);
    caption(r, "Сумма ост. пл.", 120.1, 92.1, 15.1, 10.1, "TBLR", Arial, 9, C)->WordWrap = true;
    NumbChPl = text(r, 21.4, 92.6, Auto, 4.5, "", page, 10, L);
    ShyfrPl = text(r, 42.3, 92.6, Auto, 4.5, "", page, 10, L);
    NumbPlD = text(r, 67.5, 92.6, Auto, 4.5, "", page, 10, L);
    DatPlD = text(r, 92.3, 92.6, Auto, 4.5, "", page, 10, L);
    caption(r, "Содержание операции", 20.6, 99.0, Auto, 4.2, "", Arial, 9, L);
    caption(r, "Отметки банка", 134.9, 101.9, 65.4, 34.4, "TL", Arial, 8, C);
    hline(r, 134.9, 102.1, 65.1, 0.3);
    caption(r, "Назначение платежа", 20.6, 104.8, Auto, 4.2, "", Arial, 9, L);
    Primech = memo(r, 21.2, 111.1, 112.4, 23.5, "", page, 10);
}

// The payment term never prints as the zero date.
void TPRINT_PAY::DURINGPrint(TRepText *, QString &text) {
    if (text == QStringLiteral("30.12.1899")) text.clear();
}

void TPRINT_PAY::FillMission(TDataSet *Plat) {
    const PrintedAmount value = amount(Plat);
    const PaySettings settings = ReadPaySettings();
    QString title = QStringLiteral("ПЛАТЕЖНОЕ ПОРУЧЕНИЕ № ") + number(Plat);
    if (!str(Plat, "DopNumb").isEmpty()) title += QLatin1Char('/') + str(Plat, "DopNumb");
    Title->Caption = title;

    // An empty date prints blank; a blank format setting prints the short date.
    const QDate date = Plat->FieldByName(QStringLiteral("DATE_PLAT"))->AsDate();
    const QString pattern =
        settings.FormatDat.isEmpty() ? fmt::Settings().shortDateFormat : settings.FormatDat;
    Data->Caption = fmt::IsZeroDate(date) ? QString() : fmt::FormatDateTime(pattern, date);
    Type_Pay->Caption = str(Plat, "TYPE_PAY");

    fillParty(Plat, "P_", {P_Name, P_ACCOUNT, P_BANK, P_BANK_ACCOUNT, P_BANK_BIC});
    fillParty(Plat, "R_", {R_Name, R_ACCOUNT, R_BANK, R_BANK_ACCOUNT, R_BANK_BIC});

    ReceiptBox->Caption = dateAfter(Plat, "SrokPlat", fmt::ZeroDate());
    Vid_Pay->Caption = str(Plat, "VID_PAY");
    Naz_Pay->Caption = str(Plat, "NAZ_PAY");
    Code->Caption = str(Plat, "CODE");

    SUMMA->Caption = value.figure;
    Summa_Words->Caption = value.words;

    // On this form the payment term prints only in the receipt box.
    DURING->Caption.clear();
    QUEUE->Caption = str(Plat, "OcherPlat");
    REZ_FIELD->Caption = str(Plat, "ResPole");

    // A size below one point would print nothing readable: the layout's own sizes stay.
    for (auto &[element, designSize] : m_sizedBySetting)
        element->Font.Size = settings.SizeFont >= 1 ? settings.SizeFont : designSize;

    REMARK->Lines = remarkOrBlank(Plat);
    Mission.PrinterSettings.Copies = copies(settings);
}

void TPRINT_PAY::FillPlatOrder(TDataSet *Plat) {
    const PrintedAmount value = amount(Plat);
    const PaySettings settings = ReadPaySettings();
    NumbDoc->Caption = number(Plat);
    DateDoc->Caption = fmt::DateToStr(Plat->FieldByName(QStringLiteral("DATE_PLAT"))->AsDate());
    VidPlatega->Caption = str(Plat, "TYPE_PAY");

    fillParty(Plat, "P_", {Platel, SchPlat, BankPlat, KorSchPlat, BikPlat});
    fillParty(Plat, "R_", {Poluch, SchPol, BankPol, KorSchPol, BikPol});

    VidOpl->Caption = str(Plat, "VID_PAY");
    NaznPlat->Caption = str(Plat, "NAZ_PAY");
    Kod->Caption = str(Plat, "CODE");

    SummaPlat->Caption = value.figure;
    SumWord->Caption = value.words;

    SrokPlat->Caption = dateAfter(Plat, "SrokPlat", fmt::ZeroDate());
    Ochered->Caption = str(Plat, "OcherPlat");
    RezPol->Caption = str(Plat, "ResPole");

    NumbChPl->Caption = str(Plat, "NumbChP");
    ShyfrPl->Caption = str(Plat, "ShyfrPl");
    NumbPlD->Caption = str(Plat, "NumbPlD");
    DatPlD->Caption = dateAfter(Plat, "DatPlD", QDate(1999, 1, 1));

    Primech->Lines = remarkOrBlank(Plat);
    PlatOrder.PrinterSettings.Copies = copies(settings);
}

void TPRINT_PAY::PrintMission(TDataSet *Plat) {
    FillMission(Plat);
    Mission.Preview();
}

void TPRINT_PAY::PrintPlatOrder(TDataSet *Plat) {
    ShowModal(PlatOrd);
    if (!PlatOrd->OkPressed) return;
    FillPlatOrder(Plat);
    PlatOrder.Preview();
}
