#include "sales/DocForms.h"

#include "db/DataSet.h"
#include "db/Formats.h"
#include "print/Columns.h"
#include "print/Fonts.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

const QString Arial = QStringLiteral("Arial");
const QString LineMoney = QStringLiteral(",0.00");           // a line's money: grouped, two decimals
const QString &TotalMoney = fmt::MoneyMask; // the totals under the table
constexpr double LabelSize = 10;                             // captions of the party lines
constexpr double Gap = 1.5;                                  // mm between a caption and its value
constexpr double CaptionFloor = 6;                           // a column caption shrinks no further
// mm kept free at the right end of a wrapped line: the printed type may come out a
// hair wider than measured.
constexpr double Slack = 0.5;

TRepFont font(double size, bool bold = false) {
    return TRepFont{Arial, size, bold};
}

const rep::FontMetrics &metrics(double size, bool bold = false) {
    return rep::Metrics(font(size, bold));
}

// A word too long for its column breaks after a "/" (a customs declaration number)
// rather than between any two letters.
QString breakAtSlashes(const QString &text, const rep::FontMetrics &m, double room) {
    if (!text.contains(QLatin1Char('/')) || m.TextWidth(text) <= room) return text;
    QStringList words = text.split(QLatin1Char(' '));
    for (QString &word : words) {
        if (m.TextWidth(word) <= room) continue;
        const QStringList parts = word.split(QLatin1Char('/'));
        QString out, line = parts.front();
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QString longer = line + QLatin1Char('/') + parts[i];
            if (m.TextWidth(longer) <= room) {
                line = longer;
            } else {
                out += line + QStringLiteral("/\n");
                line = parts[i];
            }
        }
        word = out + line;
    }
    return words.join(QLatin1Char(' '));
}

// One caption and its value on a party line.
struct Pair {
    QString label;
    QString value;
};

// A party line: its pairs side by side while they fit, the next pair on a line of its
// own when not; `alignWith` names a line of the other block this one starts level with.
struct Line {
    std::vector<Pair> pairs;
    int alignWith = -1;
};

// A column of the lines table.
struct Column {
    enum Kind { Text, Number, Money };
    const char *caption;
    const char *field;
    double width; // mm; the first column takes what the others leave of the page
    Kind kind;
    double size = 0; // points; 0: the rows' size
};

// One form under construction: the report, its four bands and the header it reads.
class Form {
  public:
    Form(const TDocFormSource &source, TPageOrientation orientation, double top, double bottom, double left,
         double right)
        : report(std::make_unique<TReport>()), src(source) {
        TReport &r = *report;
        r.Page = {orientation, top, bottom, left, right};
        r.Font = font(LabelSize);
        r.DataSet = source.Lines;
        r.Options.PrintIfEmpty = false;
        width = r.PageWidth() - left - right;
        title = r.AddBand(rbTitle, 0);
        header = r.AddBand(rbColumnHeader, 0);
        detail = r.AddBand(rbDetail, 0);
        detail->Stretch = true;
        summary = r.AddBand(rbSummary, 0);
        summary->Stretch = true;
    }

    // The header's field as printed: a date as dd.mm.yyyy, a number in its shortest
    // form, text as it stands; empty when the field is empty.
    QString text(const char *name) const {
        const TField *f = src.Header->FieldByName(QString::fromLatin1(name));
        if (f->IsNull()) return QString();
        switch (f->DataType()) {
        case TFieldType::ftDate:
        case TFieldType::ftDateTime:
            return fmt::DateToStr(f->AsDate());
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftInteger:
        case TFieldType::ftSmallint:
            return fmt::FloatToStr(f->AsFloat());
        default:
            return f->AsString();
        }
    }

    // "caption number от date" centred at the top of the first page, the caption in
    // 14 pt, the number and date in the base font on the same baseline. `withSuffix`:
    // the number goes through the invoice number's hook.
    void titleLine(const QString &caption, const char *numberField, const char *dateField, bool bold,
                   bool withSuffix) {
        QString number = text(numberField);
        if (withSuffix && src.NumberPrint) src.NumberPrint(nullptr, number);
        const QString date = text(dateField);
        const QString from = QStringLiteral("от");
        const rep::FontMetrics &big = metrics(14);
        const rep::FontMetrics &base = metrics(LabelSize, bold);
        const double space = base.TextWidth(QStringLiteral(" ")) * 2;
        const double total = big.TextWidth(caption) + space + base.TextWidth(number) + space +
                             base.TextWidth(from) + space + base.TextWidth(date);
        double x = qMax(0.0, (width - total) / 2);
        const double drop = big.Ascent() - base.Ascent();
        const auto put = [&](const QString &s, double size, bool b, double top) {
            if (s.isEmpty()) return;
            TRepLabel *label = title->AddLabel(s, x, top, 0, metrics(size, b).LineSpacing());
            label->AutoSize = true;
            label->Font = font(size, b);
            x += metrics(size, b).TextWidth(s) + space;
        };
        put(caption, 14, false, y);
        if (number.isEmpty()) x += space;
        put(number, LabelSize, bold, y + drop);
        put(from, LabelSize, false, y + drop);
        put(date, LabelSize, bold, y + drop);
        y += big.LineSpacing() + 3;
    }

    // A block of party lines from `top` at `left`, `blockWidth` wide: captions in the
    // base font, values in `valueFont` on the caption's baseline, a long value wrapped
    // under itself. Returns the top of every line and, last, the block's bottom.
    std::vector<double> block(double left, double top, double blockWidth, const std::vector<Line> &lines,
                              const TRepFont &valueFont, const std::vector<double> &otherTops = {}) {
        const rep::FontMetrics &cap = metrics(LabelSize);
        const rep::FontMetrics &val = rep::Metrics(valueFont);
        const double drop = qMax(0.0, cap.Ascent() - val.Ascent());
        std::vector<double> tops;
        double lineTop = top;
        for (const Line &line : lines) {
            if (line.alignWith >= 0 && size_t(line.alignWith) < otherTops.size())
                lineTop = qMax(lineTop, otherTops[size_t(line.alignWith)]);
            tops.push_back(lineTop);
            double x = left;
            double bottom = lineTop + cap.LineSpacing();
            for (const Pair &pair : line.pairs) {
                const double labelWidth = pair.label.isEmpty() ? 0 : cap.TextWidth(pair.label) + Gap;
                const double valueWidth = val.TextWidth(pair.value);
                if (x > left && x + labelWidth + valueWidth > left + blockWidth) {
                    lineTop = bottom;
                    bottom = lineTop + cap.LineSpacing();
                    x = left;
                }
                if (!pair.label.isEmpty()) {
                    TRepLabel *label = title->AddLabel(pair.label, x, lineTop, 0, cap.LineSpacing());
                    label->AutoSize = true;
                }
                const double valueLeft = x + labelWidth;
                const double room = left + blockWidth - Slack - valueLeft;
                const qsizetype count = qMax<qsizetype>(1, val.WrapLines(pair.value, room).size());
                const double height = double(count) * val.LineSpacing();
                TRepLabel *value = title->AddLabel(pair.value, valueLeft, lineTop + drop, room, height);
                value->Font = valueFont;
                value->WordWrap = true;
                bottom = qMax(bottom, lineTop + drop + height);
                x = valueLeft + qMin(valueWidth, room) + 3 * Gap;
            }
            lineTop = bottom;
        }
        tops.push_back(lineTop);
        return tops;
    }

    // The table: framed captions on every page (a caption too wide for its cell in
    // smaller type), a framed cell per column in every row, the rows growing with a
    // long text.
    void table(std::vector<Column> columns, double captionSize, double rowSize) {
        double others = 0;
        for (size_t i = 1; i < columns.size(); ++i)
            others += columns[i].width;
        columns[0].width = width - others;
        std::vector<double> widths;
        for (const Column &c : columns)
            widths.push_back(c.width);
        cols.emplace(widths);
        cols->Framed = true;
        cols->Padding = 0.8;

        double headerHeight = 0;
        std::vector<double> sizes;
        for (size_t i = 0; i < columns.size(); ++i) {
            const QString caption = QString::fromUtf8(columns[i].caption);
            const double room = columns[i].width - 2 * cols->Padding;
            double size = captionSize;
            const QStringList words = caption.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            while (size > CaptionFloor && std::any_of(words.begin(), words.end(), [&](const QString &w) {
                       return metrics(size).TextWidth(w) > room;
                   }))
                size -= 0.5;
            sizes.push_back(size);
            const qsizetype lines = metrics(size).WrapLines(caption, room).size();
            headerHeight = qMax(headerHeight, double(lines) * metrics(size).LineSpacing() + 1.6);
        }
        header->Height = headerHeight;
        for (size_t i = 0; i < columns.size(); ++i) {
            TRepLabel *caption = cols->AddCaption(header, QString::fromUtf8(columns[i].caption), int(i),
                                                  int(i), 0, headerHeight);
            caption->Font = font(sizes[i]);
        }

        const double rowHeight = metrics(rowSize).LineSpacing() + 0.6;
        detail->Height = rowHeight;
        for (size_t i = 0; i < columns.size(); ++i) {
            const Column &c = columns[i];
            const double size = c.size > 0 ? c.size : rowSize;
            TRepDBText *cell =
                cols->AddField(detail, src.Lines, QString::fromLatin1(c.field), int(i), 0, rowHeight,
                               c.kind == Column::Text ? taLeftJustify : taRightJustify);
            cell->Font = font(size);
            cell->Layout = tlCenter;
            cell->WordWrap = c.kind == Column::Text;
            if (c.kind == Column::Text) {
                const rep::FontMetrics *m = &metrics(size);
                const double room = c.width - 2 * cols->Padding;
                cell->OnPrint = [m, room](TRepText *, QString &t) { t = breakAtSlashes(t, *m, room); };
            }
            if (c.kind == Column::Money) cell->Mask = LineMoney;
        }
    }

    // The totals closing the table: `caption` in a framed cell over columns
    // captionFirst..captionLast (none when empty), then a framed cell under every
    // further column (without a caption: from the first sum on), holding the sum of its
    // field where one is named.
    void totals(const QString &caption, int captionFirst, int captionLast,
                const std::vector<std::pair<int, const char *>> &sums, double size) {
        const double height = metrics(size).LineSpacing() + 0.6;
        summary->AddShape(stHorLine, 0, 0, width, 0);
        if (!caption.isEmpty()) {
            TRepLabel *label =
                cols->AddLabel(summary, caption, captionFirst, captionLast, sy, height, taRightJustify);
            label->Font = font(size);
            label->Layout = tlCenter;
        }
        const int first = caption.isEmpty() ? sums.front().first : captionLast + 1;
        for (int c = first; c < cols->Count(); ++c) {
            const char *field = nullptr;
            for (const auto &[column, name] : sums)
                if (column == c) field = name;
            if (!field) {
                cols->AddLabel(summary, QString(), c, c, sy, height);
                continue;
            }
            TRepExpr *sum = cols->AddExpr(summary, sumOf(field), c, sy, height);
            sum->Mask = TotalMoney;
            sum->Font = font(size);
            sum->Layout = tlCenter;
            sum->OnPrint = src.MoneyPrint;
        }
        sy += height + 2;
    }

    // A line across the page under the totals from a sum, finished by a hook. The sum
    // adds the lines' amounts as the totals do, so its words tell the printed total.
    void sumLine(const char *field, const TTextHook &hook, double size) {
        TRepExpr *line = summary->AddExpr(sumOf(field), 0, sy, width, metrics(size).LineSpacing());
        line->Mask = TotalMoney;
        line->Font = font(size);
        line->WordWrap = true;
        line->Padding = Slack;
        line->OnPrint = hook;
        sy += metrics(size).LineSpacing() + 1;
    }

    // The bill's note across the page.
    void note(double size, bool bold) {
        if (src.Note.trimmed().isEmpty()) return;
        TRepMemo *memo = summary->AddMemo(src.Note, 0, sy, width, metrics(size, bold).LineSpacing());
        memo->Font = font(size, bold);
        memo->Padding = Slack;
        sy += metrics(size, bold).LineSpacing() + 1;
    }

    // Signatures: a caption at the left and one in the right half, each with a line to
    // sign on; either may be empty.
    void signatures(const QString &left, const QString &right, double size) {
        sy += 3;
        const rep::FontMetrics &m = metrics(size);
        const auto sign = [&](const QString &caption, double x) {
            if (caption.isEmpty()) return;
            TRepLabel *label = summary->AddLabel(caption, x, sy, 0, m.LineSpacing());
            label->AutoSize = true;
            label->Font = font(size);
            summary->AddShape(stHorLine, x + m.TextWidth(caption) + 2, sy + m.Ascent() + 0.6,
                              qMin(50.0, width / 2 - m.TextWidth(caption) - 8), 0);
        };
        sign(left, 0);
        sign(right, width / 2 + 4);
        sy += m.LineSpacing() + 2;
    }

    std::unique_ptr<TReport> finish() {
        title->Height = y + 2;
        summary->Height = sy + 1;
        return std::move(report);
    }

    std::unique_ptr<TReport> report;
    const TDocFormSource &src;
    double width = 0; // of the printable area, mm
    TRepBand *title, *header, *detail, *summary;
    std::optional<TRepColumns> cols;
    double y = 0;  // next line of the title band
    double sy = 0; // next line of the summary band

  private:
    static QString sumOf(const char *field) {
        return QStringLiteral("SUM(PosRasx.%1)").arg(QString::fromLatin1(field));
    }
};

QString utf(const char *s) {
    return QString::fromUtf8(s);
}

// ---- The party lines -------------------------------------------------------------------

// The lines of one party's requisites, by the suffix of its header fields ("POST" the
// own organisation, "POK" the counterparty); `requisites` adds the account, bank, city
// and, with `codes`, the OKONX and OKPO codes.
std::vector<Line> partyLines(const Form &f, const char *caption, bool own, bool bank, bool korSchet,
                             bool city, bool codes, bool phoneOnAddressLine) {
    const auto v = [&](const char *part) {
        const QString name =
            QString::fromLatin1(part) + (own ? QStringLiteral("_POST") : QStringLiteral("_POK"));
        return f.text(name.toLatin1().constData());
    };
    std::vector<Line> lines;
    lines.push_back({{{utf(caption), f.text(own ? "NAME_POST" : "NAME_POKUPAT")}}});
    if (phoneOnAddressLine) {
        lines.push_back({{{utf("Адрес"), v("ADRESS")}, {utf("телефон"), v("TEL")}}});
    } else {
        lines.push_back({{{utf("Адрес"), v("ADRESS")}}});
        lines.push_back({{{utf("телефон"), v("TEL")}}});
    }
    if (bank) {
        lines.push_back({{{utf("Р/С"), v("SCHET")}}});
        lines.push_back({{{utf("в"), v("BANK")}}});
    }
    if (korSchet) lines.push_back({{{utf("К/с"), v("KSCHET")}, {utf("БИК"), v("MFO")}}});
    if (city) lines.push_back({{{utf("Город"), v("CYTI")}}});
    lines.push_back({{{utf("ИНН "), v("INN")}}});
    if (codes) lines.push_back({{{utf("Код по ОКОНХ"), v("OKONX")}, {utf("Код по ОКПО"), v("OKPO")}}});
    return lines;
}

void shipping(const Form &f, std::vector<Line> &lines) {
    lines.push_back({{{utf("Грузоотправитель и его адрес"), f.text("GRUZOOTPR")}}});
    lines.push_back({{{utf("Грузополучатель и его адрес"), f.text("GRUZOPOL")}}});
    lines.push_back({{{utf("К платежному документу N "), f.text("PLATDOK")}}});
}

// Two blocks side by side, the seller's at the left; the title goes on below both.
void twoBlocks(Form &f, const std::vector<Line> &left, const std::vector<Line> &right,
               const TRepFont &values) {
    const double half = f.width / 2;
    const std::vector<double> leftTops = f.block(0, f.y, half - 4, left, values);
    const std::vector<double> rightTops = f.block(half + 2, f.y, half - 2, right, values, leftTops);
    f.y = qMax(leftTops.back(), rightTops.back()) + 3;
}

// ---- The seven forms -------------------------------------------------------------------

std::unique_ptr<TReport> priFakt(const TDocFormSource &src) {
    Form f(src, poLandscape, 5, 5, 10, 20);
    f.titleLine(utf("СЧЕТ - ФАКТУРА  №"), "NUMB_FAKT", "DATE_FAKT", false, true);
    std::vector<Line> left = partyLines(f, "Поставщик", true, false, false, false, false, false);
    shipping(f, left);
    std::vector<Line> right = partyLines(f, "Покупатель", false, false, false, false, false, false);
    right.push_back({{{utf("Дополнение"), f.text("DOPOLN")}}});
    twoBlocks(f, left, right, font(8));
    f.table({{"Наименование товара", "NAME_TOV", 72, Column::Text},
             {"Страна", "Strana", 18, Column::Text, 7},
             {"№ тамож. декларации", "NTamog", 30, Column::Text, 7},
             {"Ед. изм.", "ED_IZM", 9, Column::Text},
             {"Кол-во", "KOL_VO", 17, Column::Number},
             {"Цена", "CENA_TOV", 23, Column::Money},
             {"Сумма", "Summa", 29, Column::Money},
             {"Ставка НДС", "PROC_NDS", 11, Column::Number},
             {"Сумма НДС", "SummaNds", 28, Column::Money},
             {"Всего с НДС", "Itogo", 29, Column::Money}},
            LabelSize, 8);
    f.totals(utf("Всего к оплате:"), 0, 5, {{6, "Summa"}, {8, "SummaNds"}, {9, "Itogo"}}, LabelSize);
    f.sumLine("Itogo", src.WordsPrint, LabelSize);
    f.sumLine("Itogo", src.SalesTaxPrint, LabelSize);
    f.signatures(utf("Руководитель предприятия :"), utf("Гл.бухгалтер :"), LabelSize);
    f.signatures(utf("Получил :"), utf("Выдал :"), LabelSize);
    return f.finish();
}

std::unique_ptr<TReport> repTTN(const TDocFormSource &src) {
    Form f(src, poLandscape, 5, 5, 10, 20);
    f.titleLine(utf("НАКЛАДНАЯ  №"), "NUMB_TTN", "DATE_TTN", false, false);
    std::vector<Line> left = partyLines(f, "Поставщик", true, true, false, true, true, true);
    shipping(f, left);
    std::vector<Line> right = partyLines(f, "Покупатель", false, true, false, true, true, true);
    // On the consignee's line of the seller's block.
    right.push_back({{{utf("Дополнение"), f.text("DOPOLN")}}, int(left.size()) - 2});
    twoBlocks(f, left, right, font(8));
    f.table({{"Наименование товара", "NAME_TOV", 80, Column::Text},
             {"Код по ОКДП", "OKDP_TOV", 20, Column::Text},
             {"Ед. изм.", "ED_IZM", 21, Column::Text},
             {"Кол-во", "KOL_VO", 22, Column::Number},
             {"Цена", "CENA_TOV", 23, Column::Money},
             {"Сумма", "Summa", 29, Column::Money},
             {"Ставка НДС", "PROC_NDS", 11, Column::Number},
             {"Сумма НДС", "SummaNds", 29, Column::Money},
             {"Сумма с НДС", "Itogo", 34, Column::Money}},
            LabelSize, 8);
    f.totals(QString(), 0, 4, {{5, "Summa"}, {7, "SummaNds"}, {8, "Itogo"}}, LabelSize);
    f.signatures(utf("Сдал :"), utf("Принял :"), LabelSize);
    return f.finish();
}

std::unique_ptr<TReport> repSchet(const TDocFormSource &src) {
    Form f(src, poPortrait, 10, 20, 10, 10);
    f.titleLine(utf("СЧЕТ  №"), "NUMB_SCHET", "DATE_SCHET", false, false);
    const std::vector<Line> supplier = partyLines(f, "Поставщик", true, true, true, true, false, true);
    f.y = f.block(38, f.y, f.width - 38, supplier, font(8)).back() + 3;
    f.table({{"Наименование товара", "NAME_TOV", 76, Column::Text},
             {"Ед. изм.", "ED_IZM", 14, Column::Text},
             {"Кол-во", "KOL_VO", 25, Column::Number},
             {"Цена", "CENA_TOV", 23, Column::Money},
             {"Сумма", "Summa", 26, Column::Money},
             {"Сумма с НДС", "Itogo", 26, Column::Money}},
            LabelSize, 10);
    f.totals(QString(), 0, 3, {{4, "Summa"}, {5, "Itogo"}}, LabelSize);
    f.note(10, false);
    f.signatures(QString(), utf("Выдал :"), LabelSize);
    return f.finish();
}

// The short table of the bill with the buyer's requisites and of the short waybill:
// prices and sums with VAT.
void tableWithVat(Form &f) {
    f.table({{"Наименование товара", "NAME_TOV", 90, Column::Text},
             {"Ед. изм.", "ED_IZM", 21, Column::Text},
             {"Кол-во", "KOL_VO", 25, Column::Number},
             {"Цена", "CenaSNDS", 23, Column::Money},
             {"Сумма", "Itogo", 31, Column::Money}},
            LabelSize, 10);
    f.totals(QStringLiteral("Итого:"), 0, 3, {{4, "Itogo"}}, LabelSize);
    f.sumLine("Itogo", f.src.WordsPrint, LabelSize);
}

std::unique_ptr<TReport> newSchet(const TDocFormSource &src) {
    Form f(src, poPortrait, 5, 20, 15, 5);
    f.titleLine(utf("СЧЕТ  №"), "NUMB_SCHET", "DATE_SCHET", false, false);
    twoBlocks(f, partyLines(f, "Поставщик", true, true, true, true, false, false),
              partyLines(f, "Покупатель", false, true, true, true, false, false), font(8));
    tableWithVat(f);
    f.sumLine("SummaNds", src.VatPrint, LabelSize);
    f.note(10, true);
    f.signatures(utf("Руководитель предприятия :"), utf("Гл.бухгалтер :"), LabelSize);
    f.signatures(utf("Получил :"), utf("Выдал :"), LabelSize);
    return f.finish();
}

std::unique_ptr<TReport> naklad(const TDocFormSource &src) {
    Form f(src, poPortrait, 5, 20, 15, 5);
    f.titleLine(utf("Накладная  №"), "NUMB_TTN", "DATE_TTN", false, false);
    const auto party = [&](const char *caption, const char *name, const char *inn) {
        return std::vector<Line>{
            {{{utf(caption), QString()}}}, {{{QString(), f.text(name)}}}, {{{utf("ИНН"), f.text(inn)}}}};
    };
    twoBlocks(f, party("Поставщик", "NAME_POST", "INN_POST"), party("Покупатель", "NAME_POKUPAT", "INN_POK"),
              font(8));
    tableWithVat(f);
    f.sumLine("Itogo", src.SalesTaxPrint, LabelSize);
    f.signatures(utf("Сдал :"), utf("Принял :"), LabelSize);
    return f.finish();
}

std::unique_ptr<TReport> naklNal(const TDocFormSource &src) {
    Form f(src, poLandscape, 5, 5, 10, 20);
    f.titleLine(utf("НАКЛАДНАЯ №"), "NUMB_TTN", "DATE_TTN", false, false);
    std::vector<Line> left = partyLines(f, "Поставщик", true, true, true, true, true, true);
    shipping(f, left);
    std::vector<Line> right = partyLines(f, "Покупатель", false, true, true, true, true, true);
    right.push_back({{{utf("Дополнение"), f.text("DOPOLN")}}});
    twoBlocks(f, left, right, font(8));
    f.table({{"Наименование товара", "NAME_TOV", 80, Column::Text},
             {"Ед. изм.", "ED_IZM", 21, Column::Text},
             {"Кол-во", "KOL_VO", 21, Column::Number},
             {"Цена", "CENA_TOV", 21, Column::Money},
             {"Сумма", "Summa", 30, Column::Money},
             {"Сумма НДС", "SummaNds", 27, Column::Money},
             {"Сумма с НДС", "Itogo", 33, Column::Money},
             {"Сумма с НДС и налогом с продаж", "ItogSumma", 34, Column::Money}},
            LabelSize, 8);
    f.totals(QStringLiteral("Итого:"), 0, 3, {{4, "Summa"}, {5, "SummaNds"}, {6, "Itogo"}, {7, "ItogSumma"}},
             LabelSize);
    f.sumLine("ItogSumma", src.WordsPrint, LabelSize);
    f.signatures(utf("Сдал :"), utf("Принял :"), LabelSize);
    return f.finish();
}

std::unique_ptr<TReport> repFak(const TDocFormSource &src) {
    Form f(src, poPortrait, 8, 8, 20, 6);
    f.titleLine(utf("СЧЕТ - ФАКТУРА  №"), "NUMB_FAKT", "DATE_FAKT", true, true);
    std::vector<Line> lines = partyLines(f, "Поставщик", true, false, false, false, false, false);
    shipping(f, lines);
    const TRepFont values = font(LabelSize, true);
    f.y = f.block(0, f.y, f.width, lines, values).back() + 3;
    std::vector<Line> buyer = partyLines(f, "Покупатель", false, false, false, false, false, false);
    buyer.push_back({{{utf("Дополнение"), f.text("DOPOLN")}}});
    f.y = f.block(0, f.y, f.width, buyer, values).back() + 3;
    // The price and the VAT are as wide as a figure of twelve rouble digits in 6 pt
    // needs; the goods name wraps in what is left.
    f.table({{"Наименование товара", "NAME_TOV", 54, Column::Text},
             {"Ед. изм.", "ED_IZM", 8, Column::Text},
             {"Кол-во", "KOL_VO", 15, Column::Number},
             {"Цена", "CENA_TOV", 22, Column::Money},
             {"Сумма", "Summa", 25, Column::Money},
             {"Ставка НДС", "PROC_NDS", 10, Column::Number},
             {"Сумма НДС", "SummaNds", 22, Column::Money},
             {"Сумма с НДС", "Itogo", 28, Column::Money}},
            8, 7);
    f.totals(utf("Всего к оплате:"), 0, 0, {{4, "Summa"}, {6, "SummaNds"}, {7, "Itogo"}}, 7);
    f.signatures(utf("Руководитель организации :"), utf("Гл.бухгалтер :"), 7);
    f.signatures(utf("М.П."), QString(), 7);
    f.signatures(utf("Выдал :"), QString(), 7);
    return f.finish();
}

} // namespace

std::unique_ptr<TReport> MakeDocForm(const QString &choice, const TDocFormSource &source) {
    const int n = choice.trimmed().toInt();
    switch (n) {
    case 1:
        return priFakt(source);
    case 2:
        return repTTN(source);
    case 3:
        return repSchet(source);
    case 4:
        return newSchet(source);
    case 5:
        return naklad(source);
    case 6:
        return naklNal(source);
    case 7:
        return repFak(source);
    default:
        return nullptr;
    }
}
