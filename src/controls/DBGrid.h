#pragma once
// A grid over a dataset. The form sets its columns (field, title, width, read-only,
// title colours, an ellipsis button); the grid's current row is the dataset's cursor
// and the other way round. Rows are read from the dataset as the view scrolls to them,
// so a list of 100 000 rows opens at once; only the visible cells are ever read.
//
//     SortGrid1 = new TDBGrid(this, DataSource1);
//     SortGrid1->SetReadOnly(true);
//     SortGrid1->AddColumn("NumbPl", "№", 50);
//     SortGrid1->AddColumn("SUMMA", "Сумма", 90);
//     Connect(SortGrid1, &TDBGrid::titleClick, [this](int column) { SortGrid1TitleClick(column); });
//     OnKeyDown(SortGrid1, [this](int &Key, Qt::KeyboardModifiers) { SortGrid1KeyDown(Key); });
#include "db/DataSet.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QPointer>
#include <QTableView>

#include <memory>
#include <vector>

class TDBGrid;
class TQuery;

class TColumn {
  public:
    const QString &FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &name);
    // The title; the field's label when empty.
    const QString &Title() const { return m_title; }
    void SetTitle(const QString &title);
    int Width() const { return m_width; }
    void SetWidth(int pixels);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    // Colours of the title cell (background and text); invalid: the style's.
    QColor TitleColor() const { return m_titleColor; }
    QColor TitleFontColor() const { return m_titleFontColor; }
    void SetTitleColors(const QColor &background, const QColor &text = QColor());
    // The cell editor of this column shows a "..." button that emits editButtonClick.
    bool Ellipsis() const { return m_ellipsis; }
    void SetEllipsis(bool ellipsis);
    // Texts the cell editor offers to choose from (free text stays allowed).
    const QStringList &PickList() const { return m_pickList; }
    void SetPickList(const QStringList &items);
    // 0: by the field (numbers right, others left).
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);

  private:
    friend class TDBGrid;
    explicit TColumn(TDBGrid *grid) : m_grid(grid) {}
    void changed();

    TDBGrid *m_grid;
    QString m_fieldName, m_title;
    int m_width = 0;
    bool m_readOnly = false, m_visible = true, m_ellipsis = false;
    QColor m_titleColor, m_titleFontColor;
    QStringList m_pickList;
    Qt::Alignment m_alignment;
};

// The rows of a dataset as a table model, fetched as the view needs them. Cells are
// read with the field's display text of their row, without moving the cursor.
class TDataSetModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    TDataSetModel(TDBGrid *grid);
    void SetDataSource(TDataSource *source);
    TDataSet *DataSet() const;
    TField *ColumnField(int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // Rows the dataset has read beyond the model's, or a whole new set of rows.
    void syncRows();
    void resetRows();
    void renumbered(int by);
    // The model row of a dataset row number and back (-1: none).
    int RowOf(int number) const;
    int NumberOf(int row) const;
    // The columns changed: titles, fields, count.
    void resetColumns();

    // The role a lookup cell editor stores its chosen key with.
    static constexpr int LookupKeyRole = Qt::UserRole + 1;

  private:
    friend class TDBGrid;
    TDBGrid *m_grid;
    QPointer<TDataSource> m_source;
    int m_first = 0; // the dataset's number of the model's first row
    int m_rows = 0;
    bool m_changing = false; // inside a reset or an insertion
    bool m_refused = false;  // the last cell written: its field refused the text
};

class TDBGrid : public QTableView {
    Q_OBJECT
  public:
    explicit TDBGrid(QWidget *parent = nullptr, TDataSource *source = nullptr);

    void SetDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_source; }
    TDataSet *DataSet() const { return m_source ? m_source->DataSet() : nullptr; }

    // Columns. A grid without columns of its own shows every visible field.
    TColumn *AddColumn(const QString &fieldName, const QString &title = QString(), int width = 0,
                       bool readOnly = false);
    int ColumnCount() const { return int(m_columns.size()); }
    TColumn *Columns(int index) const { return m_columns.at(size_t(index)).get(); }
    void ClearColumns();

    // A read-only grid selects whole rows and never edits; Tab leaves it. In an editable
    // grid Tab and Shift+Tab go to the next and the previous cell, edited or not, along
    // the row and on to the next or back to the previous row; they never wrap round. Tab
    // from the last cell of the last row acts as Down there, Shift+Tab from the first
    // cell of the first row stays.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

    // Ctrl+Delete asks before dropping a row not posted yet too (by default such a row
    // goes at once while nothing has been typed into it): for a form that keeps every
    // row only until the user saves it all.
    void SetConfirmNewRowDelete(bool confirm) { m_confirmNewRowDelete = confirm; }

    // The column of the current cell, and its field.
    int SelectedIndex() const;
    TField *SelectedField() const;

    TDataSetModel *Model() const { return m_model; }

    // Datasets of up to this many rows are counted when the grid jumps into them (to
    // their end, to a found row), so the scroll bar spans every row.
    static int ExactCountLimit;

    // Wide enough for every visible column side by side, so a form laid out from its
    // hints shows each column with its title.
    QSize sizeHint() const override;

    // Ends the editing of a cell: with `keep` the editor's text goes into its field as
    // leaving the cell would write it, otherwise it is dropped. A form calls it before
    // a command stores the row (OK, a save) or drops it (Cancel).
    void EndCellEdit(bool keep);

  signals:
    void titleClick(int column);
    void dblClick();
    void editButtonClick();

  protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // An editable grid adds and drops rows from the keyboard: Insert puts a new row
    // before the current one (from an open cell editor too, after writing its text),
    // Down on the last row appends one (not while that row is a new row nobody has typed
    // into), Esc drops the change of the current row, and Ctrl+Delete deletes the
    // current row after the question "Удалить запись?" (from an open cell editor too).
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void verticalScrollbarValueChanged(int value) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    // The highlight is the current cell (a read-only grid's: its row), the one the next
    // key goes to, whatever cell a key or a click meant to select.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;

  protected slots:
    void commitData(QWidget *editor) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    friend class TColumn;
    friend class TDataSetModel;
    class CellSelection;
    void columnChanged(TColumn *column);
    void applyColumnLayout();
    int titleWidth(const QString &title);
    int cellWidth(const QString &text);
    void defaultColumns();
    void followCursor();
    QModelIndex cellToMoveTo(const QModelIndex &target);
    void rowsAddedAbove(int rows);
    void readRowsAbove();
    bool commitCell();
    bool downFromLastRow();
    void tabToCell(bool next, bool openEditor);
    void selectCurrentCell();

    QPointer<TDataSource> m_source;
    std::vector<std::unique_ptr<TColumn>> m_columns;
    bool m_defaultColumns = true;
    bool m_readOnly = false;
    bool m_confirmNewRowDelete = false;
    bool m_following = false;
    bool m_extending = false;
    int m_column = -1;                 // the column of the cell the user chose last
    bool m_inserting = false;          // the dataset's state was insert
    bool m_rowRefused = false;         // moving to another row: the row left refused to be stored
    QPointer<QWidget> m_refusedEditor; // its text was refused: it stays open
    TDataSetModel *m_model;
    // Texts measured in one widget's font on its screen, by their text, measured again
    // when either changes: the layout is applied on every re-read and posted insert.
    struct MeasuredTexts {
        QHash<QString, int> widths; // with margins
        QFont font;
        int dpi = 0;
        template <class Measure> int width(const QWidget *on, const QString &text, Measure measure);
    };
    MeasuredTexts m_titles;  // in the header
    MeasuredTexts m_cells;   // in the cells
};

// Lists a register's rows in the order of the grid's column `column`, one of its first
// `sortable` columns: line `orderLine` of the query's text becomes `order` and the
// query is read again; that column's title is shown in the highlight colour and the
// other sortable titles in the button face.
void SortByColumn(TDBGrid *grid, int column, int sortable, TQuery *query, int orderLine,
                  const QString &order);
