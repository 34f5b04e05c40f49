#pragma once
// Reading a saved PDF back as a reader of the paper would: the words of each page with
// their boxes in millimetres from the sheet's top-left corner, as pdftotext finds them.
#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>

struct PdfWord {
    QString text;
    QRectF box; // mm
};

inline QList<QList<PdfWord>> pdfPages(const QString &pdf) {
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    tool.waitForFinished(30000);
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    constexpr double mmPerPoint = 25.4 / 72;
    QList<QList<PdfWord>> pages;
    const QStringList parts = html.split(QStringLiteral("<page "));
    for (int p = 1; p < parts.size(); ++p) {
        QList<PdfWord> words;
        for (auto it = word.globalMatch(parts[p]); it.hasNext();) {
            const auto m = it.next();
            QString text = m.captured(5);
            text.replace(QStringLiteral("&quot;"), QStringLiteral("\""))
                .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            words.append(
                {text, QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * mmPerPoint,
                              QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()) * mmPerPoint)});
        }
        pages.append(words);
    }
    return pages;
}

// The first word that reads `text`, or an empty box.
inline QRectF wordBox(const QList<PdfWord> &words, const QString &text) {
    for (const PdfWord &w : words)
        if (w.text == text) return w.box;
    return QRectF();
}
