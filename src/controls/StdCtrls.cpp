#include "controls/StdCtrls.h"

#include "controls/DBCtrls.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>

int LineBoxMargins(const QLineEdit *box) {
    const QFontMetrics fm = box->fontMetrics();
    // QLineEdit's own hint holds 17 "x"; the frame and margins around them stay.
    return box->QLineEdit::sizeHint().width() - 17 * fm.horizontalAdvance(QLatin1Char('x')) +
           fm.horizontalAdvance(QLatin1Char(' '));
}

int LineBoxWidth(const QLineEdit *box, int chars) {
    return LineBoxMargins(box) + chars * box->fontMetrics().horizontalAdvance(QLatin1Char('0'));
}

QSize WrappedBoxSize(const QPlainTextEdit *box, int chars, int columns) {
    const QFontMetrics fm = box->fontMetrics();
    columns = qMin(chars, columns);
    const int lines = qBound(2, (chars + columns - 1) / columns + 1, 8);
    const int frame = 2 * box->frameWidth() + 2 * int(box->document()->documentMargin());
    return QSize((columns + 1) * fm.horizontalAdvance(QLatin1Char('0')) + frame,
                 lines * fm.lineSpacing() + frame);
}

namespace {

// How many characters a text takes when stored, each line break counting `breakChars`.
int storedLength(const QString &text, int breakChars) {
    return int(text.size()) + (breakChars - 1) * int(text.count(QLatin1Char('\n')));
}

} // namespace

bool KeepWithinLimit(QPlainTextEdit *box, int limit, int breakChars) {
    const QString text = box->toPlainText();
    int stored = storedLength(text, breakChars);
    if (limit <= 0 || stored <= limit) return false;
    QTextCursor cursor = box->textCursor();
    const int end = cursor.position();
    int from = end;
    while (from > 0 && stored > limit) {
        --from;
        stored -= text[from] == QLatin1Char('\n') ? breakChars : 1;
    }
    if (from > 0 && text[from].isLowSurrogate()) --from;
    cursor.setPosition(from);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    if (stored > limit) { // the excess does not stand before the caret: cut the end
        cursor.setPosition(0);
        cursor.setPosition(int(text.size()), QTextCursor::KeepAnchor);
        QString kept = text;
        while (!kept.isEmpty() && storedLength(kept, breakChars) > limit)
            kept.chop(1);
        DropLoneSurrogates(kept);
        cursor.insertText(kept);
    } else {
        cursor.removeSelectedText();
    }
    QApplication::beep();
    return true;
}

bool BlankLineBreaks(QPlainTextEdit *box) {
    QTextDocument *document = box->document();
    if (document->blockCount() < 2) return false;
    // The document keeps a line break as the end of a block, never as a "\n" to find.
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    while (document->blockCount() > 1) {
        cursor.setPosition(document->firstBlock().next().position() - 1);
        cursor.deleteChar();
        cursor.insertText(QStringLiteral(" "));
    }
    cursor.endEditBlock();
    return true;
}

QString PastedLines(QString text, bool oneLine) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (oneLine) text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString PastedText(const QPlainTextEdit *box, QString text, int limit, int breakChars, bool oneLine) {
    text = PastedLines(std::move(text), oneLine);
    if (limit <= 0) return text;
    const QTextCursor cursor = box->textCursor();
    const QString shown = box->toPlainText();
    const int room =
        limit -
        storedLength(shown.left(cursor.selectionStart()) + shown.mid(cursor.selectionEnd()), breakChars);
    int used = 0, taken = 0;
    for (; taken < text.size(); ++taken) {
        used += text[taken] == QLatin1Char('\n') ? breakChars : 1;
        if (used > room) break;
    }
    if (taken == text.size()) return text;
    text.truncate(taken);
    DropLoneSurrogates(text);
    QApplication::beep();
    return text;
}

// ---- TLineEdit ----------------------------------------------------------------------------------

namespace {

bool hasLineBreak(const QString &text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

TLineEdit::TLineEdit(QWidget *parent) : QLineEdit(parent) {}

void TLineEdit::PasteOneLine(QClipboard::Mode mode) {
    if (isReadOnly()) return;
    const QString pasted = QGuiApplication::clipboard()->text(mode);
    if (pasted.isEmpty() && !hasSelectedText()) return;
    insert(PastedLines(pasted, true));
}

void TLineEdit::DoPaste() {
    PasteOneLine();
}

void TLineEdit::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::Paste)) {
        if (!isReadOnly()) DoPaste();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TLineEdit::contextMenuEvent(QContextMenuEvent *event) {
    QMenu *menu = createStandardContextMenu();
    // The menu's paste goes through the box's own paste, like Ctrl+V.
    const QString pasteText = QLineEdit::tr("&Paste");
    for (QAction *action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste") || action->text().startsWith(pasteText)) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, &TLineEdit::DoPaste);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// The middle button pastes the window system's selection.
void TLineEdit::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        if (!isReadOnly()) {
            deselect();
            PasteOneLine(QClipboard::Selection);
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TLineEdit::dropEvent(QDropEvent *event) {
    const QString dropped = event->mimeData()->text();
    if (!hasLineBreak(dropped)) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData oneLine;
    oneLine.setText(PastedLines(dropped, true));
    QDropEvent copy(event->position(), event->possibleActions(), &oneLine, event->buttons(),
                    event->modifiers(), event->type());
    QLineEdit::dropEvent(&copy);
    event->setDropAction(copy.dropAction());
    event->setAccepted(copy.isAccepted());
}

// ---- TEdit --------------------------------------------------------------------------------------

TEdit::TEdit(QWidget *parent, int maxLength) : TLineEdit(parent) {
    setMaxLength(maxLength);
    setSizePolicy(QSizePolicy::Preferred, sizePolicy().verticalPolicy());
}

QSize TEdit::sizeHint() const {
    QSize hint = QLineEdit::sizeHint();
    if (maxLength() < 32767) hint.setWidth(LineBoxWidth(this, maxLength()));
    return hint;
}

QSize TEdit::minimumSizeHint() const {
    QSize hint = QLineEdit::minimumSizeHint();
    if (maxLength() < 32767) hint.setWidth(qMax(hint.width(), LineBoxWidth(this, maxLength())));
    return hint;
}

// ---- TWrapEdit ----------------------------------------------------------------------------------

TWrapEdit::TWrapEdit(QWidget *parent, int maxLength, int columns)
    : QPlainTextEdit(parent), m_maxLength(maxLength), m_columns(columns) {
    setTabChangesFocus(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_setting) keepOneLine();
    });
}

void TWrapEdit::setText(const QString &text) {
    m_setting = true;
    setPlainText(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')).left(m_maxLength));
    document()->setModified(false);
    m_setting = false;
}

void TWrapEdit::keepOneLine() {
    if (!BlankLineBreaks(this)) KeepWithinLimit(this, m_maxLength);
}

void TWrapEdit::insertFromMimeData(const QMimeData *source) {
    insertPlainText(PastedText(this, source->text(), m_maxLength, 1, true));
}

QSize TWrapEdit::sizeHint() const {
    return WrappedBoxSize(this, m_maxLength, m_columns);
}

QSize TWrapEdit::minimumSizeHint() const {
    return sizeHint();
}

void TWrapEdit::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// ---- Buttons ----------------------------------------------------------------------

QToolButton *DictionaryButton(QWidget *parent, Qt::FocusPolicy focus, const QString &hint) {
    auto *button = new QToolButton(parent);
    button->setText(QStringLiteral("..."));
    button->setToolTip(hint);
    button->setFocusPolicy(focus);
    return button;
}

QPushButton *CommandButton(const QString &caption, QWidget *parent, Qt::FocusPolicy focus) {
    auto *button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setFocusPolicy(focus);
    return button;
}

QHBoxLayout *ButtonRow(std::initializer_list<QWidget *> buttons) {
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QWidget *button : buttons) row->addWidget(button);
    return row;
}

QToolButton *AddToolBarButton(QToolBar *bar, const QString &caption) {
    auto *button = new QToolButton(bar);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return button;
}
