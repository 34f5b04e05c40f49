#include "db/FilterExpr.h"

#include "db/DataSet.h"
#include "db/Database.h"

#include <vector>

namespace db {

struct FilterExpr::Node {
    enum Kind { And, Or, Not, Compare } kind = Compare;
    std::unique_ptr<Node> left, right;
    QString field, op;
    QVariant constant; // QString or double
};

namespace {

struct Token {
    enum Kind { Ident, Number, String, Op, LParen, RParen, End } kind;
    QString text;
};

std::vector<Token> tokenize(const QString &text) {
    std::vector<Token> out;
    int i = 0;
    const int n = int(text.size());
    auto fail = [&] {
        throw EDatabaseError(QStringLiteral("Ошибка в условии фильтра «%1»").arg(text));
    };
    while (i < n) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('(')) {
            out.push_back({Token::LParen, QStringLiteral("(")});
            ++i;
        } else if (c == QLatin1Char(')')) {
            out.push_back({Token::RParen, QStringLiteral(")")});
            ++i;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const int end = text.indexOf(c, i + 1);
            if (end < 0) fail();
            out.push_back({Token::String, text.mid(i + 1, end - i - 1)});
            i = end + 1;
        } else if (c == QLatin1Char('[')) {
            const int end = text.indexOf(QLatin1Char(']'), i + 1);
            if (end < 0) fail();
            out.push_back({Token::Ident, text.mid(i + 1, end - i - 1)});
            i = end + 1;
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('=')) {
            QString op(c);
            if (i + 1 < n && (text[i + 1] == QLatin1Char('=') || (c == QLatin1Char('<') && text[i + 1] == QLatin1Char('>'))))
                op += text[++i];
            ++i;
            out.push_back({Token::Op, op});
        } else if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.')) {
            int j = i + 1;
            while (j < n && (text[j].isDigit() || text[j] == QLatin1Char('.'))) ++j;
            out.push_back({Token::Number, text.mid(i, j - i)});
            i = j;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i + 1;
            while (j < n && (text[j].isLetterOrNumber() || text[j] == QLatin1Char('_') || text[j] == QLatin1Char('.')))
                ++j;
            out.push_back({Token::Ident, text.mid(i, j - i)});
            i = j;
        } else {
            fail();
        }
    }
    out.push_back({Token::End, QString()});
    return out;
}

class Parser {
public:
    Parser(const QString &text) : m_text(text), m_tokens(tokenize(text)) {}

    std::unique_ptr<FilterExpr::Node> parse() {
        auto node = parseOr();
        if (peek().kind != Token::End) fail();
        return node;
    }

private:
    using Node = FilterExpr::Node;

    const Token &peek() const { return m_tokens[m_pos]; }
    Token take() { return m_tokens[m_pos++]; }
    bool isWord(const char *word) const {
        return peek().kind == Token::Ident && peek().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    [[noreturn]] void fail() const {
        throw EDatabaseError(QStringLiteral("Ошибка в условии фильтра «%1»").arg(m_text));
    }

    std::unique_ptr<Node> parseOr() {
        auto left = parseAnd();
        while (isWord("or")) {
            take();
            auto node = std::make_unique<Node>();
            node->kind = Node::Or;
            node->left = std::move(left);
            node->right = parseAnd();
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<Node> parseAnd() {
        auto left = parseUnary();
        while (isWord("and")) {
            take();
            auto node = std::make_unique<Node>();
            node->kind = Node::And;
            node->left = std::move(left);
            node->right = parseUnary();
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<Node> parseUnary() {
        if (isWord("not")) {
            take();
            auto node = std::make_unique<Node>();
            node->kind = Node::Not;
            node->left = parseUnary();
            return node;
        }
        if (peek().kind == Token::LParen) {
            take();
            auto inner = parseOr();
            if (take().kind != Token::RParen) fail();
            return inner;
        }
        const Token field = take();
        if (field.kind != Token::Ident) fail();
        const Token op = take();
        if (op.kind != Token::Op) fail();
        const Token value = take();
        auto node = std::make_unique<Node>();
        node->field = field.text;
        node->op = op.text;
        if (value.kind == Token::Number)
            node->constant = value.text.toDouble();
        else if (value.kind == Token::String)
            node->constant = value.text;
        else if (value.kind == Token::Ident && (value.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
                                                value.text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0))
            node->constant = value.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ? 1.0 : 0.0;
        else
            fail();
        return node;
    }

    QString m_text;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
};

bool evaluate(const FilterExpr::Node &node, const TDataSet &ds) {
    using Node = FilterExpr::Node;
    switch (node.kind) {
    case Node::And:
        return evaluate(*node.left, ds) && evaluate(*node.right, ds);
    case Node::Or:
        return evaluate(*node.left, ds) || evaluate(*node.right, ds);
    case Node::Not:
        return !evaluate(*node.left, ds);
    case Node::Compare:
        break;
    }
    const TField *field = ds.FieldByName(node.field);
    int cmp = 0;
    if (node.constant.typeId() == QMetaType::QString && !IsNumericType(field->DataType())) {
        QString pattern = node.constant.toString();
        QString value = field->AsString();
        if (pattern.endsWith(QLatin1Char('*')) && (node.op == QLatin1String("=") || node.op == QLatin1String("<>"))) {
            pattern.chop(1);
            const bool prefix = value.startsWith(pattern);
            return node.op == QLatin1String("=") ? prefix : !prefix;
        }
        cmp = Database::CompareText(value, pattern);
    } else {
        const double v = field->IsNull() ? 0.0 : field->AsFloat();
        const double c = node.constant.toDouble();
        cmp = v < c ? -1 : (v > c ? 1 : 0);
    }
    if (node.op == QLatin1String("=")) return cmp == 0;
    if (node.op == QLatin1String("<>")) return cmp != 0;
    if (node.op == QLatin1String("<")) return cmp < 0;
    if (node.op == QLatin1String(">")) return cmp > 0;
    if (node.op == QLatin1String("<=")) return cmp <= 0;
    if (node.op == QLatin1String(">=")) return cmp >= 0;
    return false;
}

} // namespace

FilterExpr::FilterExpr(const QString &text) : m_root(Parser(text).parse()) {}
FilterExpr::~FilterExpr() = default;

bool FilterExpr::matches(const TDataSet &dataSet) const { return evaluate(*m_root, dataSet); }

} // namespace db
