#pragma once
// Controls bound to a field of a dataset through a data source. Each shows the field of
// the current row, through the field's texts and so the process formats (decimal
// separator, "dd.mm.yyyy"), follows the cursor, and edits the row in place:
//   - the first change the user makes puts the dataset into editing (Edit; on an empty
//     dataset a new row);
//   - the typed text is written into the field (SetText) when the control loses the
//     focus and when the dataset asks for it (UpdateRecord, which Post runs first);
//   - a text that does not convert shows the conversion message in the error box and
//     the control keeps the text and the focus, still editing; while the user leaves by
//     Esc or a cancel button (DropBadInputScope) such a text is dropped instead;
//   - a text field takes no more characters than the field holds.
// A handler that reads fields while the user may still be typing into a control (a key
// handler of an editor's F10, say) calls DataSet->UpdateRecord() first.
//
//     auto *DBEdit1 = new TDBEdit(this, SpPlat->DataSource1, "SUMMA");
#include "controls/ToolEdit.h"
#include "db/DataSet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

#include <functional>

// The link between one control and one field: finds the field, listens to the data
// source, and puts the dataset into editing and the control's text into the field.
class TFieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit TFieldDataLink(QWidget *control);

    void SetDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_source; }
    void SetDataField(const QString &name);
    const QString &DataField() const { return m_fieldName; }
    TDataSet *DataSet() const;
    // The bound field while the dataset is open; nullptr otherwise.
    TField *Field() const;
    // The bound field as declared, also while the dataset is closed (a form is laid
    // out before its dataset opens); nullptr when the dataset makes its fields on
    // opening and is closed.
    TField *DeclaredField() const;
    // The control itself may be made read-only.
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_readOnly; }
    // Whether the user may edit the field now (open dataset that may be changed,
    // field and control not read-only).
    bool CanModify() const;
    bool CanModify(TField *field) const; // with the bound field, as Field() gives it

    // The control's side, set by each bound control.
    std::function<void()> OnLoad;  // show the field's value
    std::function<void()> OnWrite; // put the control's value into the field; may throw

    // The user is about to change the value: puts the dataset into editing. False when
    // the field may not be edited now (the control then shows the field again).
    bool BeginEdit();
    // The control holds a value the field has not got yet.
    bool Modified() const { return m_modified; }
    void SetModified() { m_modified = true; }
    // Writes a pending value into the field; throws what the field throws.
    void Write();
    // Writes a pending value as the control loses the focus; on failure shows the error
    // and gives the control the focus back. False when the value did not convert.
    bool Exit();
    // Drops a pending value and shows the field again.
    void Reset();
    void Load();

private:
    void sourceRecordChanged(TField *field);
    void updateData();

    QWidget *m_control;
    QPointer<TDataSource> m_source;
    QString m_fieldName;
    std::vector<QMetaObject::Connection> m_connections;
    bool m_readOnly = false;
    bool m_modified = false;
    int m_busy = 0; // the link's own edits and writes: their notifications are not news
};

// How many characters a control bound to `field` takes: a text field's size, else 0
// (no limit). Every bound text input and grid cell keeps to it, so a text is never cut
// unseen when it is stored.
int TextLimitOf(const TField *field);
// How many characters a box shows for `field` at its default size: the field's
// DisplayWidth when set, a text field's size, a date's ten, an amount's fifteen
// ("999999999999-99"), other numbers' twelve. 0 without a field.
int DisplayCharsOf(const TField *field);
// Removes halves of characters (a surrogate without its partner) that a cut at a
// length limit left; true when it removed any.
bool DropLoneSurrogates(QString &text);

// Converts an edit mask of the form layouts ("!99/99/0000;1;_": 0 a required digit,
// 9 an optional one, / the date separator, then "save literals" and the blank
// character) into the input mask of a line edit.
QString QtInputMask(const QString &editMask);
// The edit mask of every date box: day, month and year, "__.__.____".
extern const QString DateMask;

// A masked box (a date's "__.__.____") is typed into whole: entered by Tab, by a
// shortcut or by a click, and clicked into anywhere, it selects its whole text, so a
// date typed in full replaces the one shown instead of being typed over it from
// wherever the caret fell. Home and the arrows place the caret, a drag selects a part.
// The boxes call it as the focus comes in (not back from a popup) and as a click ends
// with nothing selected.
void SelectWholeMaskedText(QLineEdit *box);

// A one-line edit of a field; the field's edit mask applies unless the control has one.
class TDBEdit : public TLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr, TDataSource *source = nullptr,
                     const QString &field = QString());
    void SetDataSource(TDataSource *source) { DataLink->SetDataSource(source); }
    void SetDataField(const QString &name) { DataLink->SetDataField(name); }
    TField *Field() const { return DataLink->Field(); }
    void SetReadOnly(bool readOnly) { DataLink->SetReadOnly(readOnly); }
    void SetEditMask(const QString &editMask);
    TFieldDataLink *const DataLink;

    // Wide enough for the field's longest content (DisplayCharsOf, or the mask), so a
    // 20-digit account is never cut; the layout may not squeeze a box of up to 40
    // characters below that.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void load();
    int shownChars(const TField *declared) const;
    QString m_editMask;
    bool m_ownMask = false;
    int m_hintChars = -1;
    // The last edit mask and its form for the line box.
    QString m_maskShown, m_qtMask;
    bool m_maskConverted = false;
};

// A masked date edit: a TDBEdit with the date mask "!99/99/0000;1;_".
class TDBDateEdit : public TDBEdit {
    Q_OBJECT
public:
    explicit TDBDateEdit(QWidget *parent = nullptr, TDataSource *source = nullptr,
                         const QString &field = QString());
};

// A multi-line edit; its lines are stored with carriage return and line feed.
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget *parent = nullptr, TDataSource *source = nullptr,
                     const QString &field = QString());
    void SetDataSource(TDataSource *source) { DataLink->SetDataSource(source); }
    void SetDataField(const QString &name) { DataLink->SetDataField(name); }
    TField *Field() const { return DataLink->Field(); }
    void SetReadOnly(bool readOnly) { DataLink->SetReadOnly(readOnly); }
    TFieldDataLink *const DataLink;

    // Lines enough for the field's longest content at up to Columns() characters a line
    // (50 unless set).
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int Columns() const { return m_columns; }
    void SetColumns(int columns);

    // Without returns the memo is a long one-line text shown wrapped: Enter goes to the
    // form and a pasted line break becomes a blank.
    void SetWantReturns(bool want) { m_wantReturns = want; }

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // A paste or a drop: the row goes into editing first, then the text goes in fitted
    // to the field and to the memo's lines.
    void insertFromMimeData(const QMimeData *source) override;

private:
    void keepWithinField();
    bool m_loading = false;
    // The text last loaded from the field, while the memo still shows it untouched.
    QString m_shown;
    bool m_shownValid = false;
    bool m_wantReturns = true;
    int m_columns = 50;
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

// A combo box over a field: a list to choose from, and with csDropDown free text too,
// typed into a line box of the kit.
class TDBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDBComboBox(QWidget *parent = nullptr, TDataSource *source = nullptr,
                         const QString &field = QString(), TComboBoxStyle style = TComboBoxStyle::csDropDown);
    void SetDataSource(TDataSource *source) { DataLink->SetDataSource(source); }
    void SetDataField(const QString &name) { DataLink->SetDataField(name); }
    TField *Field() const { return DataLink->Field(); }
    void SetItems(const QStringList &items);
    void SetStyle(TComboBoxStyle style);
    TFieldDataLink *const DataLink;

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void userChanged();
    void connectEditLine();
    QPointer<QLineEdit> m_editLine;
    bool m_loading = false;
};

// A check box over a field: a logical field takes True or False, any other field the
// texts ValueChecked and ValueUnchecked. A click writes the field at once.
class TDBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TDBCheckBox(const QString &caption, QWidget *parent = nullptr, TDataSource *source = nullptr,
                         const QString &field = QString());
    void SetDataSource(TDataSource *source) { DataLink->SetDataSource(source); }
    void SetDataField(const QString &name) { DataLink->SetDataField(name); }
    TField *Field() const { return DataLink->Field(); }
    QString ValueChecked = QStringLiteral("True");
    QString ValueUnchecked = QStringLiteral("False");
    TFieldDataLink *const DataLink;
};

// A list of the rows of another dataset by one of its fields (ListField); choosing one
// stores its key (KeyField) in the bound field. Bound to a lookup field, it takes the
// list, key and shown fields from that field and stores into the field it looks up by.
class TDBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDBLookupComboBox(QWidget *parent = nullptr, TDataSource *source = nullptr,
                               const QString &field = QString());
    void SetDataSource(TDataSource *source) { DataLink->SetDataSource(source); }
    void SetDataField(const QString &name);
    void SetListSource(TDataSource *list, const QString &keyField, const QString &listField);
    // The key of the chosen row; an invalid value when none is chosen.
    QVariant KeyValue() const;
    TFieldDataLink *const DataLink;

private:
    TDataSet *listDataSet() const;
    TField *keyTarget() const; // the field of the bound dataset that holds the key
    void rebuildItems();
    void load();

    QPointer<TDataSource> m_listSource;
    QString m_keyField, m_listField;
    QMetaObject::Connection m_listConnection;
    QPointer<TDataSet> m_connectedList;
    QVariantList m_keys;
    bool m_itemsValid = false;
    bool m_loading = false;
};

// A read-only text of a field.
class TDBText : public QLabel {
    Q_OBJECT
public:
    explicit TDBText(QWidget *parent = nullptr, TDataSource *source = nullptr,
                     const QString &field = QString());
    void SetDataSource(TDataSource *source) { DataLink->SetDataSource(source); }
    void SetDataField(const QString &name) { DataLink->SetDataField(name); }
    TFieldDataLink *const DataLink;
};

// A date box of the registers and reports: typed as every masked date box is, with a
// calendar that drops down from its button or Alt+Down (the arrows then move its day,
// Enter or a click takes it). closeUp tells the form the calendar has closed, its day
// taken (the registers run their filter then). A text that is no date is told in the
// error box when the box is left, and Date() refuses it.
class TDateTimePicker : public TCustomComboEdit {
    Q_OBJECT
public:
    explicit TDateTimePicker(QWidget *parent = nullptr);
    // The date shown; the zero date when the box is blank. Throws EConvertError with the
    // Russian message when the text is no whole date ("01.11.1", "31.02.2026"), so no
    // register or report runs for a period the user did not type.
    QDate Date() const;
    void SetDate(const QDate &date);
    void PopupCloseUp(TPopupWindow *sender, bool accept) override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void closeUp();

protected:
    void AcceptValue(const QVariant &value) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
