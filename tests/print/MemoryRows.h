#pragma once
// Rows in memory for layout tests, and small readers of laid-out pages.
#include "db/Formats.h"
#include "payorders/PageText.h"
#include "print/Pages.h"
#include "print/RowSource.h"

#include <QStringList>
#include <QVariantList>

#include <vector>

class MemoryRows : public TRowSource {
  public:
    MemoryRows(const QString &name, const QStringList &fields) : m_name(name), m_fields(fields) {}
    void Add(const QVariantList &values) { m_rows.push_back(values); }

    QString Name() const override { return m_name; }
    void BeginPass() override { ++fetches; }
    int RowCount() const { return int(m_rows.size()); }
    bool SelectRow(int row) override {
        m_selected = row < RowCount() ? row : -1;
        return m_selected >= 0;
    }
    int FieldIndex(const QString &name) const override {
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_fields[i].compare(name, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }
    QVariant Value(int field) const override {
        const int row = m_selected >= 0 ? m_selected : current;
        return row >= 0 && row < RowCount() ? m_rows[size_t(row)].value(field) : QVariant();
    }
    double Number(int field) const override { return Value(field).toDouble(); }
    QString Text(int field, const QString &mask) const override {
        const QVariant v = Value(field);
        if (v.isNull()) return QString();
        if (v.typeId() == QMetaType::Double)
            return mask.isEmpty() ? fmt::FloatToStr(v.toDouble()) : fmt::FormatFloat(mask, v.toDouble());
        return v.toString();
    }

    int current = 0; // the row a text bound to these rows reads outside a report pass
    int fetches = 0; // passes begun
    int selected() const { return m_selected; }

  private:
    QString m_name;
    QStringList m_fields;
    std::vector<QVariantList> m_rows;
    int m_selected = -1;
};

// Every text item equal to `text`, over all pages: {page index, item}.
inline std::vector<std::pair<int, TPageText>> findTexts(const TPreparedReport &report, const QString &text) {
    std::vector<std::pair<int, TPageText>> found;
    for (int p = 0; p < int(report.Pages.size()); ++p)
        for (const TPageText &t : report.Pages[size_t(p)].Texts)
            if (t.Text == text) found.emplace_back(p, t);
    return found;
}

// The first text item equal to `text`; an empty item when there is none.
inline TPageText firstText(const TPreparedReport &report, const QString &text) {
    const auto found = findTexts(report, text);
    return found.empty() ? TPageText() : found.front().second;
}

// The first text item of one page equal to `text`; an empty item when there is none.
inline TPageText textOn(const TPage &page, const QString &text) {
    for (const TPageText &t : page.Texts)
        if (t.Text == text) return t;
    return TPageText();
}
