#include "controls/DBCtrls.h"

#include "controls/CurrEdit.h"
#include "controls/Dialogs.h"
#include "controls/Forms.h"
#include "controls/StdCtrls.h"
#include "db/Clock.h"
#include "db/Formats.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

const QString DateMask = QStringLiteral("!99/99/0000;1;_");

namespace {

// A focus change inside the form, not the window losing the focus to another (a
// message box, a picker, the error box itself).
bool leavesWithinForm(const QFocusEvent *event) {
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

// A masked box's text with nothing typed: only the mask's literals ("..").
bool nothingTyped(const QString &text) {
    static const QRegularExpression typed(QStringLiteral("[\\p{L}\\p{N}]"));
    return !text.contains(typed);
}

// A date box whose text does not fill its mask ("01.11.1": the year takes four digits)
// holds no date, whatever the date routines would make of it.
void requireWholeDate(const QLineEdit *box, const QString &text) {
    if (!box->hasAcceptableInput()) throw EConvertError(fmt::InvalidDateMessage(text));
}

// Line breaks as the tables keep them: carriage return and line feed.
QString toStoredLines(QString text) {
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}
QString fromStoredLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

bool sameKey(const QVariant &a, const QVariant &b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    bool okA = false, okB = false;
    const double x = a.toDouble(&okA), y = b.toDouble(&okB);
    if (okA && okB) return x == y;
    return a.toString() == b.toString();
}

} // namespace

// ---- TFieldDataLink -----------------------------------------------------------------------

TFieldDataLink::TFieldDataLink(QWidget *control) : QObject(control), m_control(control) {}

void TFieldDataLink::SetDataSource(TDataSource *source) {
    for (auto &c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_source = source;
    m_modified = false;
    if (source) {
        m_connections = {
            connect(source, &TDataSource::dataSetChanged, this,
                    [this] {
                        if (!m_busy) Reset();
                    }),
            connect(source, &TDataSource::scrolled, this,
                    [this] {
                        if (!m_busy) Reset();
                    }),
            connect(source, &TDataSource::stateChanged, this,
                    [this] {
                        if (!m_busy && !m_modified) Load();
                    }),
            connect(source, &TDataSource::recordChanged, this, &TFieldDataLink::sourceRecordChanged),
            connect(source, &TDataSource::updateData, this, &TFieldDataLink::updateData),
        };
    }
    Load();
}

void TFieldDataLink::SetDataField(const QString &name) {
    m_fieldName = name;
    m_modified = false;
    Load();
}

TDataSet *TFieldDataLink::DataSet() const {
    return m_source ? m_source->DataSet() : nullptr;
}

TField *TFieldDataLink::Field() const {
    TDataSet *ds = DataSet();
    if (!ds || !ds->Active() || m_fieldName.isEmpty()) return nullptr;
    return ds->FindField(m_fieldName);
}

void TFieldDataLink::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    Load();
}

TField *TFieldDataLink::DeclaredField() const {
    TDataSet *ds = DataSet();
    return ds && !m_fieldName.isEmpty() ? ds->FindField(m_fieldName) : nullptr;
}

bool TFieldDataLink::CanModify() const {
    return CanModify(Field());
}

bool TFieldDataLink::CanModify(TField *field) const {
    return field && !m_readOnly && !field->ReadOnly && field->FieldKind() != TFieldKind::fkCalculated &&
           DataSet()->CanModify();
}

bool TFieldDataLink::BeginEdit() {
    if (!CanModify()) {
        Reset();
        return false;
    }
    TDataSet *ds = DataSet();
    if (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert) return true;
    ++m_busy;
    const bool ok = Guarded([ds] { ds->Edit(); });
    --m_busy;
    if (!ok) Reset();
    return ok;
}

void TFieldDataLink::Write() {
    if (!m_modified || !OnWrite) return;
    ++m_busy;
    try {
        OnWrite();
    } catch (...) {
        --m_busy;
        throw;
    }
    --m_busy;
    m_modified = false;
    Load();
}

bool TFieldDataLink::Exit() {
    if (!m_modified) {
        Load();
        return true;
    }
    // Onto a cancel button: a text that does not convert is dropped, so the button's
    // click goes through instead of the error box taking it.
    if (DroppingBadInput() || DropsBadInput(QApplication::focusWidget())) {
        try {
            Write();
        } catch (const EOrbekError &) {
            Reset();
        }
        return true;
    }
    if (Guarded([this] { Write(); })) return true;
    m_control->setFocus();
    if (auto *edit = qobject_cast<QLineEdit *>(m_control)) edit->selectAll();
    return false;
}

void TFieldDataLink::Reset() {
    m_modified = false;
    Load();
}

void TFieldDataLink::Load() {
    if (OnLoad) OnLoad();
}

void TFieldDataLink::sourceRecordChanged(TField *field) {
    if (m_busy) return;
    TField *mine = Field();
    // A calculated or lookup field depends on the others: any change may change it.
    if (!field || field == mine || (mine && mine->IsCalculated())) Reset();
}

void TFieldDataLink::updateData() {
    try {
        Write();
    } catch (const EOrbekError &) {
        if (DroppingBadInput()) { // Esc or Cancel: leave without the bad text
            Reset();
            return;
        }
        m_control->setFocus();
        throw;
    }
}

// ---- Text limits -----------------------------------------------------------------------------

int TextLimitOf(const TField *field) {
    return field && field->DataType() == TFieldType::ftString && field->Size() > 0 ? field->Size() : 0;
}

int DisplayCharsOf(const TField *field) {
    if (!field) return 0;
    if (field->DisplayWidth > 0) return field->DisplayWidth;
    switch (field->DataType()) {
    case TFieldType::ftString:
        return field->Size();
    case TFieldType::ftDate:
        return 10;
    case TFieldType::ftDateTime:
        return 19;
    case TFieldType::ftCurrency:
        return 15;
    case TFieldType::ftFloat:
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
        return 12;
    default:
        return 0;
    }
}

bool DropLoneSurrogates(QString &text) {
    bool changed = false;
    for (int i = int(text.size()) - 1; i >= 0; --i) {
        const bool lone = text[i].isHighSurrogate()  ? i + 1 >= text.size() || !text[i + 1].isLowSurrogate()
                          : text[i].isLowSurrogate() ? i == 0 || !text[i - 1].isHighSurrogate()
                                                     : false;
        if (lone) {
            text.remove(i, 1);
            changed = true;
        }
    }
    return changed;
}

// ---- Edit masks ----------------------------------------------------------------------------

QString QtInputMask(const QString &editMask) {
    if (editMask.isEmpty()) return QString();
    const QStringList sections = editMask.split(QLatin1Char(';'));
    const QString mask = sections.value(0);
    const QString blank =
        sections.size() >= 3 && !sections[2].isEmpty() ? sections[2].left(1) : QStringLiteral("_");
    static const QString qtMeta = QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\");
    QString out;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        switch (c.unicode()) {
        case '!': // leading blanks are trimmed: the line edit's text is taken whole anyway
            break;
        case '0':
            out += QLatin1Char('9');
            break;
        case '9':
            out += QLatin1Char('0');
            break;
        case '#':
            out += QLatin1Char('#');
            break;
        case 'L':
            out += QLatin1Char('A');
            break;
        case 'l':
            out += QLatin1Char('a');
            break;
        case 'A':
            out += QLatin1Char('N');
            break;
        case 'a':
            out += QLatin1Char('n');
            break;
        case 'C':
            out += QLatin1Char('X');
            break;
        case 'c':
            out += QLatin1Char('x');
            break;
        case '>':
        case '<':
            out += c;
            break;
        case '/':
            out += QLatin1Char('.');
            break;
        case '\\':
            if (i + 1 < mask.size()) {
                const QChar literal = mask[++i];
                if (qtMeta.contains(literal)) out += QLatin1Char('\\');
                out += literal;
            }
            break;
        default:
            if (qtMeta.contains(c)) out += QLatin1Char('\\');
            out += c;
        }
    }
    return out + QLatin1Char(';') + blank;
}

// ---- TDBEdit ---------------------------------------------------------------------------------

TDBEdit::TDBEdit(QWidget *parent, TDataSource *source, const QString &field)
    : TLineEdit(parent), DataLink(new TFieldDataLink(this)) {
    // As wide as its content, no wider: the room left goes to names and remarks.
    setSizePolicy(QSizePolicy::Preferred, sizePolicy().verticalPolicy());
    DataLink->OnLoad = [this] { load(); };
    DataLink->OnWrite = [this] {
        QString value = text();
        TField *field = DataLink->Field();
        // A mask leaves its literals in an empty text ("..").
        if (!inputMask().isEmpty()) {
            if (nothingTyped(value)) {
                value.clear();
            } else {
                value.remove(QLatin1Char(' '));
                if (field->DataType() == TFieldType::ftDate) requireWholeDate(this, value);
            }
        }
        field->SetText(value);
    };
    connect(this, &QLineEdit::textEdited, this, [this] {
        // The length limit may have cut a pasted text between the halves of a character.
        QString typed = text();
        if (maxLength() < 32767 && DropLoneSurrogates(typed)) {
            const int caret = cursorPosition();
            setText(typed);
            setCursorPosition(qMin(caret, int(typed.size())));
        }
        if (DataLink->BeginEdit()) DataLink->SetModified();
    });
    RefuseThirdDecimal(this, [this] {
        const TField *field = DataLink->Field();
        return field && field->DataType() == TFieldType::ftCurrency;
    });
    DataLink->SetDataField(field);
    DataLink->SetDataSource(source);
}

void TDBEdit::SetEditMask(const QString &editMask) {
    m_ownMask = !editMask.isEmpty();
    m_editMask = editMask;
    load();
}

// Run on every change of the dataset's state, row or values: the field is looked up
// once, and the mask converted once per mask.
void TDBEdit::load() {
    TField *declared = DataLink->DeclaredField();
    if (const int chars = shownChars(declared); chars != m_hintChars) {
        m_hintChars = chars;
        updateGeometry();
    }
    TField *field = declared && DataLink->DataSet()->Active() ? declared : nullptr;
    const QString mask = m_ownMask ? m_editMask : (field ? field->EditMask : QString());
    if (!m_maskConverted || mask != m_maskShown) {
        m_maskShown = mask;
        m_qtMask = QtInputMask(mask);
        m_maskConverted = true;
    }
    const QString &qtMask = m_qtMask;
    if (inputMask() != qtMask) setInputMask(qtMask);
    if (!field) {
        setText(QString());
        QLineEdit::setReadOnly(true);
        return;
    }
    const bool editable = DataLink->CanModify(field);
    QLineEdit::setReadOnly(!editable);
    // Setting the limit sets the text again: only a new limit is set.
    const int limit = TextLimitOf(field) > 0 ? TextLimitOf(field) : 32767;
    if (qtMask.isEmpty() && maxLength() != limit) setMaxLength(limit);
    const int alignment = field->Alignment                       ? field->Alignment
                          : db::IsNumericType(field->DataType()) ? int(Qt::AlignRight)
                                                                 : int(Qt::AlignLeft);
    setAlignment(Qt::Alignment(alignment) | Qt::AlignVCenter);
    const QString text = hasFocus() && editable ? field->Text() : field->DisplayText();
    // A box away from the focus that shows the text as setting it would leave it
    // (caret at the end, nothing selected, nothing to undo) is left as it is.
    const bool asSet = !hasFocus() && qtMask.isEmpty() && !isModified() && !hasSelectedText() &&
                       !isUndoAvailable() && !isRedoAvailable() && cursorPosition() == text.size();
    if (!asSet || this->text() != text) setText(text);
}

// The mask's own length ("!99/99/0000" shows ten characters), else the field's.
int TDBEdit::shownChars(const TField *declared) const {
    const QString mask = m_ownMask ? m_editMask : QString();
    if (!mask.isEmpty() || !inputMask().isEmpty()) {
        int chars = 0;
        const QString section = mask.isEmpty() ? inputMask().section(QLatin1Char(';'), 0, 0)
                                               : mask.section(QLatin1Char(';'), 0, 0);
        for (int i = 0; i < section.size(); ++i) {
            const QChar c = section[i];
            if (c == QLatin1Char('!') || c == QLatin1Char('<') || c == QLatin1Char('>')) continue;
            if (c == QLatin1Char('\\')) ++i;
            ++chars;
        }
        return chars;
    }
    return DisplayCharsOf(declared);
}

QSize TDBEdit::sizeHint() const {
    const int chars = shownChars(DataLink->DeclaredField());
    QSize hint = QLineEdit::sizeHint();
    if (chars > 0) hint.setWidth(LineBoxWidth(this, chars));
    return hint;
}

QSize TDBEdit::minimumSizeHint() const {
    const int chars = qMin(shownChars(DataLink->DeclaredField()), 40);
    QSize hint = QLineEdit::minimumSizeHint();
    if (chars > 0) hint.setWidth(qMax(hint.width(), LineBoxWidth(this, chars)));
    return hint;
}

void TDBEdit::focusInEvent(QFocusEvent *event) {
    QLineEdit::focusInEvent(event);
    if (!DataLink->Modified()) load(); // the edit text instead of the display text
    if (event->reason() != Qt::PopupFocusReason) SelectWholeMaskedText(this);
}

void TDBEdit::mouseReleaseEvent(QMouseEvent *event) {
    TLineEdit::mouseReleaseEvent(event);
    if (!hasSelectedText()) SelectWholeMaskedText(this);
}

void TDBEdit::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    if (leavesWithinForm(event)) DataLink->Exit();
}

void TDBEdit::keyPressEvent(QKeyEvent *event) {
    // Esc takes back what was typed; an unchanged edit leaves Esc to the form.
    if (event->key() == Qt::Key_Escape && DataLink->Modified()) {
        DataLink->Reset();
        selectAll();
        event->accept();
        return;
    }
    TLineEdit::keyPressEvent(event);
}

TDBDateEdit::TDBDateEdit(QWidget *parent, TDataSource *source, const QString &field)
    : TDBEdit(parent, source, field) {
    SetEditMask(DateMask);
}

void SelectWholeMaskedText(QLineEdit *box) {
    if (!box->inputMask().isEmpty()) box->selectAll();
}

// ---- TDBMemo -----------------------------------------------------------------------------------

TDBMemo::TDBMemo(QWidget *parent, TDataSource *source, const QString &field)
    : QPlainTextEdit(parent), DataLink(new TFieldDataLink(this)) {
    setTabChangesFocus(true);
    DataLink->OnLoad = [this] {
        TField *f = DataLink->Field();
        const QString text = f ? fromStoredLines(f->Text()) : QString();
        m_loading = true;
        if (m_shownValid && text == m_shown) {
            // The text shown is the field's already (the dataset tells its controls
            // several times over while a row is posted and written): only the caret
            // and the view go back to the start, as loading the text anew would put
            // them, without laying the text out again.
            const QTextCursor caret = textCursor();
            if (hasFocus() || caret.position() != 0 || caret.hasSelection() ||
                verticalScrollBar()->value() != 0 || horizontalScrollBar()->value() != 0)
                setTextCursor(QTextCursor(document()));
            document()->clearUndoRedoStacks();
            document()->setModified(false);
        } else {
            setPlainText(text);
        }
        m_shown = text;
        m_shownValid = true;
        m_loading = false;
        setReadOnly(!DataLink->CanModify());
    };
    DataLink->OnWrite = [this] { DataLink->Field()->SetText(toStoredLines(toPlainText())); };
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (m_loading) return;
        m_shownValid = false; // no longer the text loaded
        if (!m_wantReturns && BlankLineBreaks(this)) return;
        keepWithinField();
        if (DataLink->BeginEdit()) DataLink->SetModified();
    });
    DataLink->SetDataField(field);
    DataLink->SetDataSource(source);
}

// The stored text (each line break two characters) may not outgrow the field: what
// was typed or pasted beyond it is taken back, so the user sees the limit instead of
// losing the end on saving.
void TDBMemo::keepWithinField() {
    KeepWithinLimit(this, TextLimitOf(DataLink->Field()), 2);
}

QSize TDBMemo::sizeHint() const {
    const int chars = DisplayCharsOf(DataLink->DeclaredField());
    return chars > 0 ? WrappedBoxSize(this, chars, m_columns) : QPlainTextEdit::sizeHint();
}

void TDBMemo::SetColumns(int columns) {
    m_columns = columns;
    updateGeometry();
}

QSize TDBMemo::minimumSizeHint() const {
    return DisplayCharsOf(DataLink->DeclaredField()) > 0 ? sizeHint() : QPlainTextEdit::minimumSizeHint();
}

void TDBMemo::keyPressEvent(QKeyEvent *event) {
    if (!m_wantReturns && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// Cutting the pasted text, blanking its line breaks or putting the row into editing
// (which may show the field again) from the change handler would change the document
// while the toolkit is still inserting into it: the paste is made to need none of it.
void TDBMemo::insertFromMimeData(const QMimeData *source) {
    const QString pasted = source->text();
    if (pasted.isEmpty() || !DataLink->BeginEdit()) return;
    insertPlainText(PastedText(this, pasted, TextLimitOf(DataLink->Field()), 2, !m_wantReturns));
}

void TDBMemo::focusOutEvent(QFocusEvent *event) {
    QPlainTextEdit::focusOutEvent(event);
    if (leavesWithinForm(event)) DataLink->Exit();
}

// ---- TDBComboBox -------------------------------------------------------------------------------

TDBComboBox::TDBComboBox(QWidget *parent, TDataSource *source, const QString &field, TComboBoxStyle style)
    : QComboBox(parent), DataLink(new TFieldDataLink(this)) {
    setInsertPolicy(QComboBox::NoInsert);
    DataLink->OnLoad = [this] {
        TField *f = DataLink->Field();
        const QString value = f ? f->Text() : QString();
        m_loading = true;
        if (isEditable())
            setEditText(value);
        else
            setCurrentIndex(findText(value));
        m_loading = false;
        if (lineEdit()) lineEdit()->setMaxLength(TextLimitOf(f) > 0 ? TextLimitOf(f) : 32767);
        // Wide enough for what the field holds, not only for the listed items.
        setMinimumContentsLength(qMin(DisplayCharsOf(DataLink->DeclaredField()), 40));
        setEnabled(f != nullptr);
    };
    DataLink->OnWrite = [this] {
        DataLink->Field()->SetText(currentIndex() < 0 && !isEditable() ? QString() : currentText());
    };
    connect(this, &QComboBox::activated, this, [this] { userChanged(); });
    SetStyle(style);
    DataLink->SetDataField(field);
    DataLink->SetDataSource(source);
}

void TDBComboBox::SetItems(const QStringList &items) {
    m_loading = true;
    clear();
    addItems(items);
    m_loading = false;
    DataLink->Load();
}

void TDBComboBox::SetStyle(TComboBoxStyle style) {
    if (style == TComboBoxStyle::csDropDown) {
        if (!qobject_cast<TLineEdit *>(lineEdit())) setLineEdit(new TLineEdit(this));
    } else {
        setEditable(false);
    }
    connectEditLine();
    DataLink->Load();
}

void TDBComboBox::connectEditLine() {
    QLineEdit *line = lineEdit();
    if (line && line != m_editLine) connect(line, &QLineEdit::textEdited, this, [this] { userChanged(); });
    m_editLine = line;
}

void TDBComboBox::userChanged() {
    if (m_loading) return;
    if (DataLink->BeginEdit()) DataLink->SetModified();
}

void TDBComboBox::focusOutEvent(QFocusEvent *event) {
    QComboBox::focusOutEvent(event);
    if (leavesWithinForm(event)) DataLink->Exit();
}

// ---- TDBCheckBox ---------------------------------------------------------------------------------

TDBCheckBox::TDBCheckBox(const QString &caption, QWidget *parent, TDataSource *source, const QString &field)
    : QCheckBox(caption, parent), DataLink(new TFieldDataLink(this)) {
    DataLink->OnLoad = [this] {
        TField *f = DataLink->Field();
        bool checked = false;
        if (f && f->DataType() == TFieldType::ftBoolean)
            checked = f->AsBoolean();
        else if (f)
            checked = f->AsString().compare(ValueChecked, Qt::CaseInsensitive) == 0;
        setChecked(checked);
        setEnabled(f != nullptr);
    };
    DataLink->OnWrite = [this] {
        TField *f = DataLink->Field();
        if (f->DataType() == TFieldType::ftBoolean)
            f->SetAsBoolean(isChecked());
        else
            f->SetAsString(isChecked() ? ValueChecked : ValueUnchecked);
    };
    connect(this, &QCheckBox::clicked, this, [this] {
        if (!DataLink->BeginEdit()) return;
        DataLink->SetModified();
        if (!Guarded([this] { DataLink->Write(); })) DataLink->Reset();
    });
    DataLink->SetDataField(field);
    DataLink->SetDataSource(source);
}

// ---- TDBLookupComboBox ---------------------------------------------------------------------------

TDBLookupComboBox::TDBLookupComboBox(QWidget *parent, TDataSource *source, const QString &field)
    : QComboBox(parent), DataLink(new TFieldDataLink(this)) {
    DataLink->OnLoad = [this] { load(); };
    DataLink->OnWrite = [this] {
        const int i = currentIndex();
        keyTarget()->SetValue(i >= 0 && i < m_keys.size() ? m_keys[i] : QVariant());
    };
    connect(this, &QComboBox::activated, this, [this] {
        if (m_loading || !DataLink->BeginEdit()) return;
        DataLink->SetModified();
        if (!Guarded([this] { DataLink->Write(); })) DataLink->Reset();
    });
    DataLink->SetDataField(field);
    DataLink->SetDataSource(source);
}

void TDBLookupComboBox::SetDataField(const QString &name) {
    m_itemsValid = false;
    DataLink->SetDataField(name);
}

void TDBLookupComboBox::SetListSource(TDataSource *list, const QString &keyField, const QString &listField) {
    m_listSource = list;
    m_keyField = keyField;
    m_listField = listField;
    m_itemsValid = false;
    load();
}

TDataSet *TDBLookupComboBox::listDataSet() const {
    if (m_listSource) return m_listSource->DataSet();
    TField *f = DataLink->Field();
    return f && f->FieldKind() == TFieldKind::fkLookup ? f->LookupDataSet : nullptr;
}

TField *TDBLookupComboBox::keyTarget() const {
    TField *f = DataLink->Field();
    if (f && f->FieldKind() == TFieldKind::fkLookup && !m_listSource)
        return f->DataSet()->FindField(f->KeyFields);
    return f;
}

QVariant TDBLookupComboBox::KeyValue() const {
    const int i = currentIndex();
    return i >= 0 && i < m_keys.size() ? m_keys[i] : QVariant();
}

void TDBLookupComboBox::rebuildItems() {
    TDataSet *list = listDataSet();
    if (list != m_connectedList) {
        disconnect(m_listConnection);
        m_connectedList = list;
        if (list)
            m_listConnection = connect(list, &TDataSet::dataChanged, this, [this] {
                m_itemsValid = false;
                load();
            });
    }
    m_loading = true;
    clear();
    m_keys.clear();
    m_loading = false;
    if (!list || !list->Active()) return;
    QString keyName = m_keyField, listName = m_listField;
    if (!m_listSource) {
        TField *f = DataLink->Field();
        keyName = f->LookupKeyFields;
        listName = f->LookupResultField;
    }
    TField *key = list->FindField(keyName);
    TField *shown = list->FindField(listName);
    if (!key || !shown) return;
    list->FetchAll();
    QStringList texts;
    for (int row = 0; row < list->FetchedRowCount(); ++row) {
        ActiveRowScope scope(list, row);
        m_keys << key->Value();
        texts << shown->DisplayText();
    }
    m_loading = true;
    addItems(texts);
    m_loading = false;
    m_itemsValid = true;
}

void TDBLookupComboBox::load() {
    if (!m_itemsValid) rebuildItems();
    TField *target = keyTarget();
    int index = -1;
    if (target) {
        const QVariant key = target->Value();
        for (int i = 0; i < m_keys.size() && index < 0; ++i)
            if (sameKey(m_keys[i], key)) index = i;
    }
    m_loading = true;
    setCurrentIndex(index);
    m_loading = false;
    setEnabled(target != nullptr && DataLink->CanModify());
}

// ---- TDBText ---------------------------------------------------------------------------------------

TDBText::TDBText(QWidget *parent, TDataSource *source, const QString &field)
    : QLabel(parent), DataLink(new TFieldDataLink(this)) {
    DataLink->OnLoad = [this] {
        TField *f = DataLink->Field();
        setText(f ? f->DisplayText() : QString());
    };
    DataLink->SetDataField(field);
    DataLink->SetDataSource(source);
}

// ---- TDateTimePicker ---------------------------------------------------------------------------------

namespace {

// The calendar a date box drops down: it opens on the box's date (today for a box
// without one); a click on a day takes it.
class TPopupCalendar : public TPopupWindow {
  public:
    explicit TPopupCalendar(TCustomComboEdit *editor)
        : TPopupWindow(editor), m_calendar(new QCalendarWidget(this)) {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(1, 1, 1, 1);
        layout->addWidget(m_calendar);
        resize(sizeHint());
        connect(m_calendar, &QCalendarWidget::clicked, this, [this] { CloseUp(true); });
    }
    QVariant GetValue() override { return m_calendar->selectedDate(); }
    void SetValue(const QVariant &value) override {
        QDate date;
        if (!fmt::TryStrToDate(value.toString(), date)) date = Clock::today();
        m_calendar->setSelectedDate(date);
    }
    // The days' table, which moves its day by the arrow and page keys.
    QWidget *Days() const { return m_calendar->findChild<QTableView *>(); }

  private:
    QCalendarWidget *m_calendar;
};

} // namespace

TDateTimePicker::TDateTimePicker(QWidget *parent) : TCustomComboEdit(parent) {
    setInputMask(QtInputMask(DateMask));
    SetButtonGlyphKind(gkDropDown);
    SetPopup(new TPopupCalendar(this));
    SetDate(Clock::today());
}

QDate TDateTimePicker::Date() const {
    const QString shown = text();
    if (nothingTyped(shown)) return fmt::ZeroDate();
    requireWholeDate(this, shown);
    return fmt::StrToDate(shown);
}

void TDateTimePicker::SetDate(const QDate &value) {
    setText(fmt::IsZeroDate(value) ? QString() : fmt::DateToStr(value));
}

void TDateTimePicker::AcceptValue(const QVariant &value) {
    SetDate(value.toDate());
    setModified(true);
}

void TDateTimePicker::PopupCloseUp(TPopupWindow *sender, bool accept) {
    const bool open = PopupVisible();
    TCustomComboEdit::PopupCloseUp(sender, accept);
    if (open) emit closeUp();
}

QSize TDateTimePicker::sizeHint() const {
    return QSize(LineBoxWidth(this, 10), TCustomComboEdit::sizeHint().height());
}

QSize TDateTimePicker::minimumSizeHint() const {
    return QSize(LineBoxWidth(this, 10), TCustomComboEdit::minimumSizeHint().height());
}

void TDateTimePicker::focusInEvent(QFocusEvent *event) {
    TCustomComboEdit::focusInEvent(event);
    if (event->reason() != Qt::PopupFocusReason) SelectWholeMaskedText(this);
}

void TDateTimePicker::mouseReleaseEvent(QMouseEvent *event) {
    TCustomComboEdit::mouseReleaseEvent(event);
    if (!hasSelectedText()) SelectWholeMaskedText(this);
}

// A period that is no date is told as the user leaves the box, not only when a command
// reads it; leaving by Esc or a cancel button goes without the message.
void TDateTimePicker::focusOutEvent(QFocusEvent *event) {
    TCustomComboEdit::focusOutEvent(event);
    if (!leavesWithinForm(event) || DroppingBadInput() || DropsBadInput(QApplication::focusWidget())) return;
    // A good date is shown the way it is set ("5.3.2025" as "05.03.2025").
    if (!Guarded([this] { SetDate(Date()); })) {
        setFocus();
        selectAll();
    }
}

void TDateTimePicker::keyPressEvent(QKeyEvent *event) {
    static const QList<int> calendarKeys = {Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,
                                            Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown};
    if (PopupVisible() && event->modifiers() == Qt::NoModifier && calendarKeys.contains(event->key()))
        QCoreApplication::sendEvent(static_cast<TPopupCalendar *>(Popup())->Days(), event);
    else
        TCustomComboEdit::keyPressEvent(event);
}
