#pragma once
// Inside the engine: the text filters of datasets ("SumIt>0", "Name = 'А*'",
// "(a > 1) and not (b = 'x')"): comparisons of a field with a constant joined by
// and, or, not and parentheses. A text constant ending in "*" matches by prefix.
#include <QString>
#include <memory>

class TDataSet;

namespace db {

class FilterExpr {
public:
    explicit FilterExpr(const QString &text); // throws EDatabaseError on a syntax error
    ~FilterExpr();
    bool matches(const TDataSet &dataSet) const; // reads the dataset's active row

    struct Node;

private:
    std::unique_ptr<Node> m_root;
};

} // namespace db
