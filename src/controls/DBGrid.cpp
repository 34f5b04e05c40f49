#include "controls/DBGrid.h"

#include "controls/CurrEdit.h"
#include "controls/DBCtrls.h"
#include "controls/Dialogs.h"
#include "controls/StdCtrls.h"
#include "db/Formats.h"
#include "db/Query.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>

namespace {

constexpr int FetchChunk = 256;

bool isEditableField(const TField *field) {
    return field && !field->ReadOnly && field->FieldKind() != TFieldKind::fkCalculated;
}

// Keys typed in a cell editor that belong to the grid. Ctrl+Delete deletes the row, not
// the word after the caret. The line of a cell with a "..." button sits inside the
// editor the view knows; Tab and Shift+Tab typed in it go to that editor, so the grid
// moves to the next or previous cell as it does from any other cell, instead of the
// focus leaving the grid.
class CellKeysToGrid : public QObject {
  public:
    CellKeysToGrid(QObject *parent, TDBGrid *grid, QWidget *holder)
        : QObject(parent), m_grid(grid), m_holder(holder) {}

  protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
            QCoreApplication::sendEvent(m_grid, event);
            return true;
        }
        if (!m_holder || (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)) return false;
        QCoreApplication::sendEvent(m_holder, event);
        return true;
    }

  private:
    TDBGrid *m_grid;
    QWidget *m_holder;
};

// Cell editors by column: a list for lookup fields, a pick list, or a line edit (with
// the field's edit mask, and a "..." button for an ellipsis column).
class GridDelegate : public QStyledItemDelegate {
  public:
    explicit GridDelegate(TDBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override {
        TColumn *column = m_grid->Columns(index.column());
        TField *field = m_grid->Model()->ColumnField(index.column());
        if (field && field->FieldKind() == TFieldKind::fkLookup && field->LookupDataSet) {
            auto *combo = new QComboBox(parent);
            TDataSet *list = field->LookupDataSet;
            TField *key = list->FindField(field->LookupKeyFields);
            TField *shown = list->FindField(field->LookupResultField);
            if (list->Active() && key && shown) {
                list->FetchAll();
                for (int row = 0; row < list->FetchedRowCount(); ++row) {
                    ActiveRowScope scope(list, row);
                    combo->addItem(shown->DisplayText(), key->Value());
                }
            }
            combo->installEventFilter(new CellKeysToGrid(combo, m_grid, nullptr));
            return combo;
        }
        if (!column->PickList().isEmpty()) {
            auto *combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setLineEdit(new TLineEdit(combo));
            combo->addItems(column->PickList());
            combo->lineEdit()->installEventFilter(new CellKeysToGrid(combo, m_grid, nullptr));
            return combo;
        }
        auto *line = new TLineEdit(parent);
        line->setFrame(false);
        // A date is typed into the mask every date box has, unless its field has its own.
        if (field)
            line->setInputMask(QtInputMask(
                field->EditMask.isEmpty() && field->DataType() == TFieldType::ftDate ? DateMask
                                                                                     : field->EditMask));
        if (TextLimitOf(field) > 0 && line->inputMask().isEmpty()) line->setMaxLength(TextLimitOf(field));
        if (field && field->DataType() == TFieldType::ftCurrency) RefuseThirdDecimal(line);
        if (!column->Ellipsis()) {
            line->installEventFilter(new CellKeysToGrid(line, m_grid, nullptr));
            return line;
        }
        auto *holder = new QWidget(parent);
        line->setParent(holder);
        auto *button = new QToolButton(holder);
        button->setText(QStringLiteral("..."));
        button->setFocusPolicy(Qt::NoFocus);
        auto *layout = new QHBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(line);
        layout->addWidget(button);
        holder->setFocusProxy(line);
        line->installEventFilter(new CellKeysToGrid(holder, m_grid, holder));
        TDBGrid *grid = m_grid;
        QObject::connect(button, &QToolButton::clicked, grid, [grid] { emit grid->editButtonClick(); });
        return holder;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override {
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            const QString text = index.data(Qt::DisplayRole).toString();
            if (combo->isEditable())
                combo->setEditText(index.data(Qt::EditRole).toString());
            else
                combo->setCurrentIndex(combo->findText(text));
            return;
        }
        if (QLineEdit *line = lineOf(editor)) line->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override {
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            if (combo->isEditable())
                model->setData(index, combo->currentText(), Qt::EditRole);
            else if (combo->currentIndex() >= 0)
                model->setData(index, combo->currentData(), TDataSetModel::LookupKeyRole);
            return;
        }
        if (QLineEdit *line = lineOf(editor)) model->setData(index, line->text(), Qt::EditRole);
    }

  private:
    static QLineEdit *lineOf(QWidget *editor) {
        if (auto *line = qobject_cast<QLineEdit *>(editor)) return line;
        return editor->findChild<QLineEdit *>();
    }
    TDBGrid *m_grid;
};

// The widest text a cell of `field` shows when the field holds money, else empty: the
// largest printable amount, twelve rouble digits and kopecks, with its thousands grouped
// (a list's mask that groups fewer of them shows it no wider). Money is a currency field
// or a number shown with two decimals (a price).
QString widestAmount(const TField *field) {
    if (!field || !db::IsNumericType(field->DataType())) return QString();
    const QString &format = field->DisplayFormat;
    const bool money = format.isEmpty()
                           ? field->DataType() == TFieldType::ftCurrency
                           : format.section(QLatin1Char(';'), 0, 0).endsWith(QLatin1String("0.00"));
    return money ? fmt::MoneyToStr(Currency::MaxPrintable) : QString();
}

} // namespace

// ---- TColumn -----------------------------------------------------------------------------------

void TColumn::changed() {
    m_grid->columnChanged(this);
}
void TColumn::SetFieldName(const QString &name) {
    m_fieldName = name;
    changed();
}
void TColumn::SetTitle(const QString &title) {
    m_title = title;
    changed();
}
void TColumn::SetWidth(int pixels) {
    m_width = pixels;
    changed();
}
void TColumn::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    changed();
}
void TColumn::SetVisible(bool visible) {
    m_visible = visible;
    changed();
}
void TColumn::SetTitleColors(const QColor &background, const QColor &text) {
    m_titleColor = background;
    m_titleFontColor = text;
    changed();
}
void TColumn::SetEllipsis(bool ellipsis) {
    m_ellipsis = ellipsis;
    changed();
}
void TColumn::SetPickList(const QStringList &items) {
    m_pickList = items;
    changed();
}
void TColumn::SetAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    changed();
}

// ---- TDataSetModel ---------------------------------------------------------------------------------

TDataSetModel::TDataSetModel(TDBGrid *grid) : QAbstractTableModel(grid), m_grid(grid) {}

void TDataSetModel::SetDataSource(TDataSource *source) {
    m_source = source;
    resetRows();
}

TDataSet *TDataSetModel::DataSet() const {
    return m_source ? m_source->DataSet() : nullptr;
}

TField *TDataSetModel::ColumnField(int column) const {
    TDataSet *ds = DataSet();
    if (!ds || !ds->Active() || column < 0 || column >= m_grid->ColumnCount()) return nullptr;
    return ds->FindField(m_grid->Columns(column)->FieldName());
}

int TDataSetModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TDataSetModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_grid->ColumnCount();
}

int TDataSetModel::RowOf(int number) const {
    return number < 0 ? -1 : number - m_first;
}

int TDataSetModel::NumberOf(int row) const {
    return m_first + row;
}

QVariant TDataSetModel::data(const QModelIndex &index, int role) const {
    TDataSet *ds = DataSet();
    if (!index.isValid() || !ds || !ds->Active() || index.row() >= m_rows) return QVariant();
    TField *field = ColumnField(index.column());
    if (!field) return QVariant();
    switch (role) {
    case Qt::DisplayRole: {
        ActiveRowScope scope(ds, NumberOf(index.row()));
        return field->DisplayText();
    }
    case Qt::EditRole: {
        ActiveRowScope scope(ds, NumberOf(index.row()));
        return field->FieldKind() == TFieldKind::fkLookup ? field->DisplayText() : field->Text();
    }
    case Qt::TextAlignmentRole: {
        Qt::Alignment alignment = m_grid->Columns(index.column())->Alignment();
        if (!alignment)
            alignment = field->Alignment                       ? Qt::Alignment(field->Alignment)
                        : db::IsNumericType(field->DataType()) ? Qt::AlignRight
                                                               : Qt::AlignLeft;
        return int(alignment | Qt::AlignVCenter);
    }
    default:
        return QVariant();
    }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_grid->ColumnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const TColumn *column = m_grid->Columns(section);
    switch (role) {
    case Qt::DisplayRole: {
        if (!column->Title().isEmpty()) return column->Title();
        TField *field = ColumnField(section);
        return field && !field->DisplayLabel.isEmpty() ? field->DisplayLabel : column->FieldName();
    }
    case Qt::BackgroundRole:
        return column->TitleColor().isValid() ? QVariant(column->TitleColor()) : QVariant();
    case Qt::ForegroundRole:
        return column->TitleFontColor().isValid() ? QVariant(column->TitleFontColor()) : QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex &index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    TDataSet *ds = DataSet();
    if (!m_grid->ReadOnly() && !m_grid->Columns(index.column())->ReadOnly() && ds && ds->CanModify() &&
        isEditableField(ColumnField(index.column())))
        result |= Qt::ItemIsEditable;
    return result;
}

bool TDataSetModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    TDataSet *ds = DataSet();
    TField *field = ColumnField(index.column());
    if (!index.isValid() || !ds || !field || (role != Qt::EditRole && role != LookupKeyRole)) return false;
    // A cell the user only passed through (Tab, a click) gives back the text it showed:
    // nothing is written, so the field's checks and recalculations do not run again.
    if (role == Qt::EditRole && value.toString() == data(index, Qt::EditRole).toString()) return true;
    const bool stored = Guarded([&] {
        if (ds->CursorRow() != NumberOf(index.row())) ds->SetCursorRow(NumberOf(index.row()));
        ds->Edit();
        if (role == LookupKeyRole && field->FieldKind() == TFieldKind::fkLookup)
            ds->FieldByName(field->KeyFields)->SetValue(value);
        else
            field->SetText(value.toString());
    });
    m_refused = !stored;
    if (stored) emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(columnCount() - 1));
    return stored;
}

bool TDataSetModel::canFetchMore(const QModelIndex &parent) const {
    TDataSet *ds = DataSet();
    return !m_changing && !parent.isValid() && ds && ds->Active() &&
           (!ds->RowsEndKnown() || m_first + m_rows < ds->RowsEnd());
}

void TDataSetModel::fetchMore(const QModelIndex &parent) {
    TDataSet *ds = DataSet();
    if (parent.isValid() || !ds || !ds->Active()) return;
    Guarded([&] { ds->FetchMore(m_first + m_rows - ds->RowsBegin() + FetchChunk); });
    syncRows();
}

// The dataset knows more rows at either end than the model shows: they are added.
// Rows added before the first keep the view on the rows it showed.
void TDataSetModel::syncRows() {
    if (m_changing) return;
    TDataSet *ds = DataSet();
    if (!ds || !ds->Active()) {
        if (m_rows > 0) resetRows();
        return;
    }
    const int first = ds->RowsBegin(), end = ds->RowsEnd();
    if (first > m_first || end < m_first + m_rows) {
        resetRows();
        return;
    }
    if (first < m_first) {
        const int added = m_first - first;
        m_changing = true;
        beginInsertRows(QModelIndex(), 0, added - 1);
        m_first = first;
        m_rows += added;
        endInsertRows();
        m_changing = false;
        m_grid->rowsAddedAbove(added);
    }
    if (end > m_first + m_rows) {
        m_changing = true;
        beginInsertRows(QModelIndex(), m_rows, end - m_first - 1);
        m_rows = end - m_first;
        endInsertRows();
        m_changing = false;
    }
}

int TDBGrid::ExactCountLimit = 100000;

// The dataset numbered its rows anew (it moved to its end or to a found row): the
// model starts over from the rows it knows. Up to ExactCountLimit rows it learns where
// they start (count(*)), so every row stands at its place under the scroll bar; over
// more the grid shows the rows read so far and reads on at either end as it scrolls.
void TDataSetModel::resetRows() {
    m_changing = true;
    beginResetModel();
    TDataSet *ds = DataSet();
    if (ds && ds->Active() && ds->CursorRow() >= 0 && !ds->RowsBeginKnown() &&
        ds->State() == TDataSetState::dsBrowse)
        Guarded([&] { ds->CountRowsUpTo(TDBGrid::ExactCountLimit); });
    m_first = ds && ds->Active() ? ds->RowsBegin() : 0;
    m_rows = ds && ds->Active() ? ds->RowsEnd() - m_first : 0;
    endResetModel();
    m_changing = false;
}

void TDataSetModel::renumbered(int by) {
    m_first += by;
}

void TDataSetModel::resetColumns() {
    m_changing = true;
    beginResetModel();
    endResetModel();
    m_changing = false;
}

// ---- TDBGrid -------------------------------------------------------------------------------------

// The current cell of the view goes to another row only once the dataset's cursor has
// gone there: a key or a click that the row left refuses moves nothing, not even while
// its error is shown.
class TDBGrid::CellSelection : public QItemSelectionModel {
  public:
    explicit CellSelection(TDBGrid *grid) : QItemSelectionModel(grid->m_model, grid), m_grid(grid) {}

    void setCurrentIndex(const QModelIndex &index, QItemSelectionModel::SelectionFlags command) override {
        const QModelIndex cell = m_grid->cellToMoveTo(index);
        if (cell.isValid() || !index.isValid()) QItemSelectionModel::setCurrentIndex(cell, command);
    }

  private:
    TDBGrid *m_grid;
};

TDBGrid::TDBGrid(QWidget *parent, TDataSource *source)
    : QTableView(parent), m_model(new TDataSetModel(this)) {
    setModel(m_model);
    QItemSelectionModel *viewsOwn = selectionModel();
    setSelectionModel(new CellSelection(this));
    delete viewsOwn;
    setItemDelegate(new GridDelegate(this));
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Rows keep one height and columns the widths the form gives them: measuring the
    // contents would read every row.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { emit titleClick(column); });
    // The view moves its current cell to another row by itself too (the current row
    // deleted): the dataset's cursor follows.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { cellToMoveTo(current); });
    SetReadOnly(false);
    SetDataSource(source);
}

void TDBGrid::SetDataSource(TDataSource *source) {
    if (m_source) disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source) {
        connect(source, &TDataSource::dataSetChanged, this, [this] {
            if (m_defaultColumns) defaultColumns();
            m_model->resetRows();
            applyColumnLayout();
            followCursor();
        });
        connect(source, &TDataSource::scrolled, this, [this] {
            m_model->syncRows();
            followCursor();
        });
        connect(source, &TDataSource::rowsRenumbered, this, [this](int by) { m_model->renumbered(by); });
        // A new row is filled from its first column.
        connect(source, &TDataSource::stateChanged, this, [this] {
            const bool inserting = DataSet() && DataSet()->State() == TDataSetState::dsInsert;
            if (inserting && !m_inserting) {
                m_column = 0;
                followCursor();
            }
            m_inserting = inserting;
        });
        connect(source, &TDataSource::recordChanged, this, [this](TField *) {
            if (m_model->rowCount() > 0)
                emit m_model->dataChanged(m_model->index(0, 0), m_model->index(m_model->rowCount() - 1,
                                                                               m_model->columnCount() - 1));
        });
    }
    if (m_defaultColumns) defaultColumns();
    m_model->SetDataSource(source);
    applyColumnLayout();
    followCursor();
}

TColumn *TDBGrid::AddColumn(const QString &fieldName, const QString &title, int width, bool readOnly) {
    if (m_defaultColumns) {
        m_columns.clear();
        m_defaultColumns = false;
    }
    auto column = std::unique_ptr<TColumn>(new TColumn(this));
    column->m_fieldName = fieldName;
    column->m_title = title;
    column->m_width = width;
    column->m_readOnly = readOnly;
    m_columns.push_back(std::move(column));
    m_model->resetColumns();
    applyColumnLayout();
    followCursor();
    return m_columns.back().get();
}

void TDBGrid::ClearColumns() {
    m_columns.clear();
    m_defaultColumns = true;
    defaultColumns();
    m_model->resetColumns();
    applyColumnLayout();
}

void TDBGrid::defaultColumns() {
    m_columns.clear();
    TDataSet *ds = DataSet();
    if (!ds || !ds->Active()) return;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        TField *field = ds->Fields(i);
        if (!field->Visible) continue;
        auto column = std::unique_ptr<TColumn>(new TColumn(this));
        column->m_fieldName = field->FieldName();
        m_columns.push_back(std::move(column));
    }
    m_model->resetColumns();
}

void TDBGrid::columnChanged(TColumn *) {
    m_model->resetColumns();
    applyColumnLayout();
    followCursor();
}

void TDBGrid::applyColumnLayout() {
    const int charWidth = fontMetrics().averageCharWidth();
    TDataSet *ds = DataSet();
    for (int i = 0; i < ColumnCount(); ++i) {
        const TColumn *column = Columns(i);
        // Declared fields count before the dataset opens, so a form laid out then makes
        // room for its sums and dates.
        TField *field = ds ? ds->FindField(column->FieldName()) : nullptr;
        int width = column->Width();
        if (width <= 0) {
            // From the field's declared width, never from the rows; an amount as wide as
            // the largest one the program prints.
            if (const QString amount = widestAmount(field); !amount.isEmpty()) {
                width = cellWidth(amount);
            } else {
                int chars = 10;
                if (field)
                    chars = field->DisplayWidth > 0                                  ? field->DisplayWidth
                            : db::IsTextType(field->DataType()) && field->Size() > 0 ? qMin(field->Size(), 40)
                                                                                     : 12;
                width = chars * charWidth + 8;
            }
        }
        // Never narrower than its title, nor a date's column than a date, whatever the font.
        width = qMax(width, titleWidth(m_model->headerData(i, Qt::Horizontal).toString()));
        if (field && field->DataType() == TFieldType::ftDate)
            width = qMax(width, cellWidth(QStringLiteral("00.00.0000")));
        setColumnWidth(i, width);
        setColumnHidden(i, !column->Visible());
    }
    updateGeometry();
}

template <class Measure>
int TDBGrid::MeasuredTexts::width(const QWidget *on, const QString &text, Measure measure) {
    if (on->font() != font || on->logicalDpiX() != dpi) {
        widths.clear();
        font = on->font();
        dpi = on->logicalDpiX();
    }
    auto known = widths.constFind(text);
    if (known != widths.constEnd()) return *known;
    return *widths.insert(text, measure());
}

int TDBGrid::titleWidth(const QString &title) {
    const QHeaderView *header = horizontalHeader();
    return m_titles.width(header, title, [&] {
        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        return header->fontMetrics().horizontalAdvance(title) + 2 * margin + 6;
    });
}

// A cell holding `text` in full: the text with the margins the style draws it within,
// and the grid line.
int TDBGrid::cellWidth(const QString &text) {
    return m_cells.width(this, text, [&] {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.text = text;
        option.features |= QStyleOptionViewItem::HasDisplay;
        return style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width() +
               (showGrid() ? 1 : 0);
    });
}

void TDBGrid::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    setSelectionBehavior(readOnly ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setTabKeyNavigation(!readOnly);
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    followCursor();
}

QSize TDBGrid::sizeHint() const {
    QSize hint = QTableView::sizeHint();
    int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    for (int i = 0; i < ColumnCount(); ++i)
        if (!isColumnHidden(i)) width += columnWidth(i);
    hint.setWidth(qMax(hint.width(), width));
    return hint;
}

int TDBGrid::SelectedIndex() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : -1;
}

TField *TDBGrid::SelectedField() const {
    return m_model->ColumnField(SelectedIndex());
}

void TDBGrid::EndCellEdit(bool keep) {
    if (state() != EditingState) return;
    QWidget *editor = indexWidget(currentIndex());
    if (!editor) return;
    if (keep) commitData(editor);
    m_refusedEditor = nullptr;
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TDBGrid::commitData(QWidget *editor) {
    m_model->m_refused = false;
    QTableView::commitData(editor);
    m_refusedEditor = m_model->m_refused ? editor : nullptr;
}

// An editor whose text its field has just refused (the error shown) stays open with the
// text while its cell is the current one and the focus stays in the grid: Tab, a click on
// another row or a key that moves the row then wait until the text is mended or dropped
// by Esc. Leaving for another box of the form closes it.
void TDBGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) {
    const QWidget *focus = QApplication::focusWidget();
    if (editor == m_refusedEditor && hint != QAbstractItemDelegate::RevertModelCache &&
        indexWidget(currentIndex()) == editor && (!focus || focus == this || isAncestorOf(focus))) {
        editor->setFocus();
        return;
    }
    m_refusedEditor = nullptr;
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        tabToCell(hint == QAbstractItemDelegate::EditNextItem, true);
        return;
    }
    QTableView::closeEditor(editor, hint);
}

// Writes the open cell's text into its field as leaving the cell writes it, and closes
// the editor, the grid taking the keys typed there; false when the field refused the
// text (its error shown): the editor then stays open with it, so nothing typed is lost.
bool TDBGrid::commitCell() {
    QWidget *editor = indexWidget(currentIndex());
    if (state() != EditingState || !editor) return true;
    commitData(editor);
    if (m_refusedEditor) return false;
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    // Not left to the editor's focus: after the refusal's message box the window may not
    // have been made active again, and the editor then counts as unfocused.
    setFocus();
    return true;
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableView::currentChanged(current, previous);
    if (!m_following && current.isValid()) m_column = current.column();
    selectCurrentCell();
}

// A key or a click makes the view move the current cell and then select the cell it
// went for. The current cell may not have gone there: the row left refused to be stored
// and kept it, or storing that row read the rows anew and moved the target's row. The
// cell current after that is the one selected, so typing goes where the highlight is.
void TDBGrid::setSelection(const QRect &, QItemSelectionModel::SelectionFlags) {
    selectCurrentCell();
}

void TDBGrid::selectCurrentCell() {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    const bool rows = selectionBehavior() == SelectRows;
    const QItemSelection cell(rows ? current.siblingAtColumn(0) : current,
                              rows ? current.siblingAtColumn(m_model->columnCount() - 1) : current);
    if (selectionModel()->selection() != cell)
        selectionModel()->select(cell, QItemSelectionModel::ClearAndSelect);
}

// A click on another row while a cell is open first writes the cell, as leaving it does
// (the editor losing the focus to the grid): a text its field refused keeps the editor
// and the click goes nowhere.
void TDBGrid::mousePressEvent(QMouseEvent *event) {
    if (state() == EditingState && (m_refusedEditor || !commitCell())) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TDBGrid::mouseMoveEvent(QMouseEvent *event) {
    // A drag whose press went nowhere, past a refused cell, selects nothing either.
    if (state() == EditingState && event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event) {
    QTableView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid()) Guarded([this] { emit dblClick(); });
}

void TDBGrid::keyPressEvent(QKeyEvent *event) {
    TDataSet *ds = DataSet();
    // Ctrl+End and Ctrl+Home go to the dataset's real last and first rows, also when
    // the grid has read only some of them.
    if ((event->key() == Qt::Key_End || event->key() == Qt::Key_Home) &&
        event->modifiers() == Qt::ControlModifier && ds && ds->Active() && state() != EditingState) {
        Guarded([&] { event->key() == Qt::Key_End ? ds->Last() : ds->First(); });
        event->accept();
        return;
    }
    // Ctrl+Delete reaches the grid from an open cell editor too: a new row nothing has been
    // typed into is simply dropped, any other only after the question; No keeps the
    // editor as it is.
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier && !m_readOnly && ds &&
        ds->Active() && ds->CanModify() && !ds->IsEmpty()) {
        const bool untouched = ds->State() == TDataSetState::dsInsert && !ds->Modified() &&
                               state() != EditingState && !m_confirmNewRowDelete;
        Guarded([this, ds, untouched] {
            if (untouched ||
                MessageDlg(QStringLiteral("Удалить запись?"), mtConfirmation, mbYesNo) == mrYes) {
                EndCellEdit(false);
                ds->Delete();
            }
        });
        event->accept();
        return;
    }
    // Tab and Shift+Tab from the grid, or from a cell editor that leaves them to it (the
    // line of a list): the cell is written first, and a text its field refuses keeps the
    // editor.
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && tabKeyNavigation()) {
        const bool editing = state() == EditingState;
        if (commitCell())
            tabToCell(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier), editing);
        event->accept();
        return;
    }
    // Insert reaches the grid from an open cell editor too (the editor has no use for it),
    // and so do the keys that move to another row: the cell is written first, as leaving
    // it writes it, and a text its field refuses keeps the editor and the row.
    const bool movesRow = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                          event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
    if ((event->key() == Qt::Key_Insert || movesRow) && !m_readOnly && ds && ds->Active() &&
        ds->CanModify() && !commitCell()) {
        event->accept();
        return;
    }
    if (m_readOnly || !ds || !ds->Active() || !ds->CanModify() || state() == EditingState ||
        event->modifiers() != Qt::NoModifier) {
        QTableView::keyPressEvent(event);
        return;
    }
    const bool editing = ds->State() == TDataSetState::dsInsert || ds->State() == TDataSetState::dsEdit;
    if (event->key() == Qt::Key_Insert) {
        Guarded([ds] { ds->Insert(); });
    } else if (event->key() == Qt::Key_Escape && editing) {
        Guarded([ds] { ds->Cancel(); });
    } else if (event->key() != Qt::Key_Down || !downFromLastRow()) {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
}

// Down on the last row of an editable grid: a new row follows it, unless it is itself a
// new row nobody has typed into, which stays. False on any other row.
bool TDBGrid::downFromLastRow() {
    TDataSet *ds = DataSet();
    if (m_readOnly || !ds || !ds->Active() || !ds->CanModify()) return false;
    if (!ds->IsEmpty() && !(ds->RowsEndKnown() && ds->CursorRow() == ds->RowsEnd() - 1)) return false;
    if (ds->State() != TDataSetState::dsInsert || ds->Modified()) Guarded([ds] { ds->Append(); });
    return true;
}

// Tab (`next`) or Shift+Tab: to the next or the previous cell, past the last cell of the
// last row as Down there, before the first cell of the first row nowhere. With
// `openEditor` (they were typed in a cell editor) the cell moved to opens for editing.
// Moving to another row stores the row left, and storing may read the rows anew and move
// them (a new row goes to its place in the order): the cell edited is the one current
// after that, the highlighted one, not the one reckoned before the move. A row that
// refuses to be stored (its error shown) keeps the cell left, with no editor opened.
void TDBGrid::tabToCell(bool next, bool openEditor) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    const QModelIndex target = moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier);
    if (!target.isValid() || target == current) {
        if (next) downFromLastRow();
        return;
    }
    m_rowRefused = false;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    if (m_rowRefused) return;
    const QModelIndex now = currentIndex();
    if (openEditor && now.isValid() && state() != EditingState && (now.flags() & Qt::ItemIsEditable))
        edit(now, AllEditTriggers, nullptr);
}

// Tab and Shift+Tab go along the rows without wrapping round: past the last cell and
// before the first there is no cell, and the current one is given back. The rows below
// the last one read are read first.
QModelIndex TDBGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    if (cursorAction != MoveNext && cursorAction != MovePrevious)
        return QTableView::moveCursor(cursorAction, modifiers);
    const QModelIndex current = currentIndex();
    const auto wrapped = [&](const QModelIndex &target) {
        if (!current.isValid() || !target.isValid()) return false;
        const QHeaderView *header = horizontalHeader();
        const int rows = target.row() - current.row();
        const int columns = header->visualIndex(target.column()) - header->visualIndex(current.column());
        return cursorAction == MoveNext ? rows < 0 || (rows == 0 && columns <= 0)
                                        : rows > 0 || (rows == 0 && columns >= 0);
    };
    QModelIndex target = QTableView::moveCursor(cursorAction, modifiers);
    if (cursorAction == MoveNext && wrapped(target) && m_model->canFetchMore(QModelIndex())) {
        m_model->fetchMore(QModelIndex());
        target = QTableView::moveCursor(cursorAction, modifiers);
    }
    return wrapped(target) ? current : target;
}

// The dataset's cursor moved (or the rows changed): the current cell follows it.
void TDBGrid::followCursor() {
    TDataSet *ds = DataSet();
    if (!ds || !ds->Active() || ColumnCount() == 0) return;
    int row = m_model->RowOf(ds->CursorRow());
    if (row < 0 || row >= m_model->rowCount()) {
        m_model->syncRows();
        row = m_model->RowOf(ds->CursorRow());
    }
    if (row < 0 || row >= m_model->rowCount()) return;
    // The column the user chose, also when re-reading the rows has reset the current cell.
    int column = m_column >= 0 && m_column < ColumnCount() ? m_column
                 : currentIndex().isValid()                ? currentIndex().column()
                                                           : 0;
    while (column < ColumnCount() - 1 && isColumnHidden(column))
        ++column;
    const QModelIndex index = m_model->index(row, column);
    m_following = true;
    selectionModel()->setCurrentIndex(index, m_readOnly ? QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows
                                                        : QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
    m_following = false;
}

// The current cell is to go to `target`. On another row the dataset's cursor goes there
// first, storing the row left. The row may refuse (its error shown): the cursor and the
// current cell stay, and the cell given back is none. Storing may read the rows anew
// and move them: the cell given back is then the target's column on the row the cursor
// went to.
QModelIndex TDBGrid::cellToMoveTo(const QModelIndex &target) {
    TDataSet *ds = DataSet();
    const int number = m_model->NumberOf(target.row());
    if (m_following || !target.isValid() || !ds || !ds->Active() || number == ds->CursorRow()) return target;
    const int column = m_column;
    m_column = target.column();
    if (!Guarded([&] { ds->SetCursorRow(number); })) {
        m_column = column;
        m_rowRefused = true;
        followCursor();
        return QModelIndex();
    }
    // The view scrolled to the row while following the dataset, which reads no rows:
    // the rows above are read now that the dataset is done moving.
    followCursor();
    readRowsAbove();
    return currentIndex();
}

// Rows were added above the first shown: the view keeps showing the same rows.
void TDBGrid::rowsAddedAbove(int rows) {
    QScrollBar *bar = verticalScrollBar();
    const int step = verticalScrollMode() == QAbstractItemView::ScrollPerItem ? 1 : rowHeight(0);
    m_following = true;
    bar->setValue(bar->value() + rows * qMax(1, step));
    m_following = false;
}

void TDBGrid::verticalScrollbarValueChanged(int value) {
    QTableView::verticalScrollbarValueChanged(value);
    if (!m_following) readRowsAbove();
}

// Near the top of the rows the dataset knows, and its first row not among them: the
// rows before are read.
void TDBGrid::readRowsAbove() {
    TDataSet *ds = DataSet();
    if (m_extending || !ds || !ds->Active() || ds->RowsBeginKnown()) return;
    const int top = rowAt(0);
    if (top < 0 || top > FetchChunk / 4) return;
    m_extending = true;
    Guarded([&] { ds->FetchBefore(FetchChunk); });
    m_model->syncRows();
    m_extending = false;
}

void SortByColumn(TDBGrid *grid, int column, int sortable, TQuery *query, int orderLine,
                  const QString &order) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor active = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    for (int c = 0; c < sortable; ++c)
        grid->Columns(c)->SetTitleColors(c == column ? active : face);
    query->Close();
    query->SQL()[orderLine] = order;
    query->Open();
}
