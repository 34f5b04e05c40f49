#pragma once
// Text boxes of a form that are not bound to a field but hold a field's kind of text (a
// filter by an account, a partner's name shown), sized like the bound ones: a box is as
// wide as the longest text it may hold, and a long one-line text wraps over lines.
//
//     Edit1 = new TEdit(this, TextSizeOf(QStringLiteral("PlanSch"), QStringLiteral("Schet")));
//     Edit2 = new TWrapEdit(this, TextSizeOf(QStringLiteral("Klient"), QStringLiteral("FullName")));
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>

// The width of a one-line box that shows `chars` characters beside its frame and
// margins, in the box's font.
int LineBoxWidth(const QLineEdit *box, int chars);
// What a one-line box takes beside the text it shows: its frame and margins and a blank.
int LineBoxMargins(const QLineEdit *box);
// The size of a wrapped box that shows `chars` characters at up to `columns` a line,
// with a line more for the words that wrap early.
QSize WrappedBoxSize(const QPlainTextEdit *box, int chars, int columns = 50);
// Takes back what a wrapped box holds beyond `limit` characters (a line break counts
// `breakChars`): the excess typed or pasted before the caret, else the end; whole
// characters only, with a beep. False when the text was within the limit.
bool KeepWithinLimit(QPlainTextEdit *box, int limit, int breakChars = 1);
// Turns the line breaks of a box that holds one line into blanks, as one change: false
// when there were none. The change is a change of the text again, whose handler goes on.
bool BlankLineBreaks(QPlainTextEdit *box);
// A pasted or dropped text's line breaks ("\r\n", a lone "\r" or "\n") as "\n"; as blanks
// with `oneLine`, for a box that holds one line.
QString PastedLines(QString text, bool oneLine);
// What a paste or a drop puts into `box` in place of its selection, made to fit before
// it goes in, so the box has nothing to change while the toolkit is still inserting it:
// its line breaks as PastedLines makes them; the text is cut where it would take the box
// beyond `limit` stored characters (a line break counting `breakChars`; 0: no limit),
// between whole characters, with a beep.
QString PastedText(const QPlainTextEdit *box, QString text, int limit, int breakChars, bool oneLine);

// The one-line box every line box of the kit is built on (plain, bound, masked, number,
// date, a combo box's edit line): a text pasted by the keyboard, the context menu or the
// middle button, or dropped, goes in with its line breaks as blanks, so an INN copied
// with the end of its line is never stored with the line break in it. A mask then drops
// what does not fit it, and a length limit counts the text as it goes in.
class TLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit TLineEdit(QWidget *parent = nullptr);
    // Puts the clipboard's text in place of the selection as one line; nothing when the
    // box is read-only.
    void PasteOneLine(QClipboard::Mode mode = QClipboard::Clipboard);

  protected:
    // Paste by the keyboard or the context menu; a box may check what it takes.
    virtual void DoPaste();
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// A one-line box of up to maxLength() characters, wide enough to show them all.
class TEdit : public TLineEdit {
    Q_OBJECT
  public:
    explicit TEdit(QWidget *parent = nullptr, int maxLength = 32767);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};

// A one-line text of up to maxLength() characters shown wrapped over lines of up to
// `columns` characters: Enter and Tab go to the form, a pasted line break becomes a
// blank. It reads and is set as a one-line box is (text, setText, isModified).
class TWrapEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    TWrapEdit(QWidget *parent, int maxLength, int columns = 50);
    QString text() const { return toPlainText(); }
    void setText(const QString &text);
    int maxLength() const { return m_maxLength; }
    // Whether the user changed the text since it was last set.
    bool isModified() const { return document()->isModified(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

  private:
    void keepOneLine();
    int m_maxLength;
    int m_columns;
    bool m_setting = false;
};

// ---- Buttons ----------------------------------------------------------------------
class QHBoxLayout;
class QPushButton;
class QToolBar;
class QToolButton;

// The "..." button beside a box that opens a dictionary (a picker) for it, with `hint`
// as its tool tip. The registers and editors keep it out of the Tab order with
// Qt::NoFocus, so Tab goes from box to box.
QToolButton *DictionaryButton(QWidget *parent, Qt::FocusPolicy focus = Qt::TabFocus,
                              const QString &hint = QStringLiteral("Словарь"));
// A push button of a form's command row: Enter in a box of the form never presses it.
// Qt::NoFocus leaves the focus in the list or box the command works on.
QPushButton *CommandButton(const QString &caption, QWidget *parent, Qt::FocusPolicy focus = Qt::StrongFocus);
// A row of buttons standing at its right end (OK and Cancel under a form), in order.
QHBoxLayout *ButtonRow(std::initializer_list<QWidget *> buttons);
// A button showing only its caption, added at the end of the tool bar.
QToolButton *AddToolBarButton(QToolBar *bar, const QString &caption);
