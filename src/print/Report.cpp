#include "print/Report.h"

#include "print/PreviewWindow.h"

std::function<void(TReport &, const TPreparedReport &)> TReport::PreviewHook;

TRepFrame TRepFrame::Sides(const QString &letters) {
    TRepFrame frame;
    frame.Top = letters.contains(QLatin1Char('T'), Qt::CaseInsensitive);
    frame.Bottom = letters.contains(QLatin1Char('B'), Qt::CaseInsensitive);
    frame.Left = letters.contains(QLatin1Char('L'), Qt::CaseInsensitive);
    frame.Right = letters.contains(QLatin1Char('R'), Qt::CaseInsensitive);
    return frame;
}

// ---- Containers ------------------------------------------------------------------

TRepContainer::~TRepContainer() = default;

template <class T>
T *TRepContainer::place(std::unique_ptr<T> element, double left, double top, double width, double height) {
    element->Left = left;
    element->Top = top;
    element->Width = width;
    element->Height = height;
    T *raw = element.get();
    m_elements.push_back(std::move(element));
    return raw;
}

TRepLabel *TRepContainer::AddLabel(const QString &caption, double left, double top, double width,
                                   double height) {
    auto *label = place(std::make_unique<TRepLabel>(asBand()), left, top, width, height);
    label->Caption = caption;
    return label;
}

TRepDBText *TRepContainer::AddDBText(TDataRef dataSet, const QString &field, double left, double top,
                                     double width, double height) {
    auto *text = place(std::make_unique<TRepDBText>(asBand()), left, top, width, height);
    text->DataSet = dataSet;
    text->DataField = field;
    return text;
}

TRepExpr *TRepContainer::AddExpr(const QString &expression, double left, double top, double width,
                                 double height) {
    auto *expr = place(std::make_unique<TRepExpr>(asBand()), left, top, width, height);
    expr->Expression = expression;
    return expr;
}

TRepMemo *TRepContainer::AddMemo(const QString &lines, double left, double top, double width, double height) {
    auto *memo = place(std::make_unique<TRepMemo>(asBand()), left, top, width, height);
    memo->Lines = lines;
    return memo;
}

TRepShape *TRepContainer::AddShape(TShapeType shape, double left, double top, double width, double height) {
    auto *element = place(std::make_unique<TRepShape>(asBand()), left, top, width, height);
    element->Shape = shape;
    if (shape == stFrame) element->Frame = TRepFrame::All();
    return element;
}

// ---- Bands -----------------------------------------------------------------------

TRepBand::TRepBand(TReport *report, TBandType type, double height)
    : BandType(type), Height(height), m_report(report) {}

TRepBand *TRepGroup::AddFooter(double height) {
    FooterBand = Report()->AddBand(rbGroupFooter, height);
    return FooterBand;
}

// ---- The report ------------------------------------------------------------------

TReport::TReport() = default;
TReport::~TReport() = default;

TRepBand *TReport::AddBand(TBandType type, double height) {
    m_bands.push_back(type == rbGroupHeader ? std::make_unique<TRepGroup>(this, QString(), height)
                                            : std::make_unique<TRepBand>(this, type, height));
    return m_bands.back().get();
}

TRepGroup *TReport::AddGroup(const QString &expression, double headerHeight) {
    auto group = std::make_unique<TRepGroup>(this, expression, headerHeight);
    TRepGroup *raw = group.get();
    m_bands.push_back(std::move(group));
    return raw;
}

void TReport::Preview() {
    if (PreviewHook) {
        PreviewHook(*this, Layout());
        return;
    }
    rep::ShowPreview(StartLayout());
}
