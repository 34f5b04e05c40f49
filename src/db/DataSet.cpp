#include "db/DataSet.h"

#include "db/Database.h"
#include "db/FilterExpr.h"
#include "db/Formats.h"
#include "db/RowCursor.h"
#include "db/RowStore.h"

#include <QHash>
#include <QPointer>
#include <QRegularExpression>
#include <cmath>

using db::Row;
using db::RowCodec;

// ---- Stored values ----------------------------------------------------------------------

namespace db {

bool IsTextType(TFieldType type) { return type == TFieldType::ftString || type == TFieldType::ftMemo; }

bool IsNumericType(TFieldType type) {
    switch (type) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
        return true;
    default:
        return false;
    }
}

namespace {

double toDouble(const QVariant &v) {
    if (v.typeId() == QMetaType::QString) {
        double d = 0;
        if (fmt::TryStrToFloat(v.toString(), d)) return d;
        bool ok = false;
        d = v.toString().trimmed().toDouble(&ok);
        if (ok) return d;
        throw EConvertError(fmt::InvalidFloatMessage(v.toString()));
    }
    if (v.typeId() == QMetaType::QDate) return double(fmt::ZeroDate().daysTo(v.toDate()));
    if (v.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = v.toDateTime();
        return double(fmt::ZeroDate().daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
    }
    return v.toDouble();
}

bool toBool(const QVariant &v) {
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toUpper();
        return s == QLatin1String("TRUE") || s == QLatin1String("T") || s == QLatin1String("Y") ||
               s == QLatin1String("YES") || s == QStringLiteral("ДА") || s == QLatin1String("1");
    }
    return v.toBool();
}

QDate toDate(const QVariant &v) {
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate();
    case QMetaType::QDateTime:
        return v.toDateTime().date();
    case QMetaType::QString: {
        const QString s = v.toString();
        const QDate iso = QDate::fromString(s.left(10), Qt::ISODate);
        if (iso.isValid() && s.size() >= 10 && s[4] == QLatin1Char('-')) return iso;
        return fmt::StrToDate(s);
    }
    default:
        return fmt::ZeroDate().addDays(qint64(std::floor(v.toDouble())));
    }
}

} // namespace

QVariant ToStorage(TFieldType type, int size, const QVariant &value) {
    if (value.isNull()) return QVariant();
    switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftMemo: {
        QString s = value.typeId() == QMetaType::Double ? fmt::FloatToStr(value.toDouble()) : value.toString();
        if (type == TFieldType::ftString && size > 0 && s.size() > size) {
            s.truncate(size);
            if (s.back().isHighSurrogate()) s.chop(1); // never half a character
        }
        if (s.isEmpty()) return QVariant();
        return s;
    }
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty()) return QVariant();
        return toDouble(value);
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty()) return QVariant();
        return qint64(std::llround(toDouble(value)));
    case TFieldType::ftBoolean:
        return qint64(toBool(value) ? 1 : 0);
    case TFieldType::ftDate: {
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty()) return QVariant();
        const QDate d = toDate(value);
        if (!d.isValid()) return QVariant();
        // The stored form has four year digits: a date beyond them is refused, not
        // stored empty.
        if (!fmt::IsDateInRange(d)) throw EConvertError(fmt::DateRangeMessage(d));
        return d.toString(Qt::ISODate);
    }
    case TFieldType::ftDateTime: {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDateTime)
            dt = value.toDateTime();
        else if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return QVariant();
        else
            dt = QDateTime(toDate(value), QTime(0, 0));
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case TFieldType::ftTime: {
        const QTime t = value.typeId() == QMetaType::QTime ? value.toTime() : value.toDateTime().time();
        return t.toString(QStringLiteral("HH:mm:ss"));
    }
    case TFieldType::ftBlob:
        return value.toByteArray();
    case TFieldType::ftUnknown:
        if (value.typeId() == QMetaType::QDate) return value.toDate().toString(Qt::ISODate);
        if (value.typeId() == QMetaType::Bool) return qint64(value.toBool() ? 1 : 0);
        if (value.typeId() == QMetaType::QString && value.toString().isEmpty()) return QVariant();
        return value;
    }
    return value;
}

QVariant FromStorage(TFieldType type, const QVariant &stored) {
    if (stored.isNull()) return QVariant();
    switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftMemo:
        if (stored.typeId() == QMetaType::Double) return fmt::FloatToStr(stored.toDouble());
        return stored.toString();
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
        if (stored.typeId() == QMetaType::QString) return stored.toString().toDouble();
        return stored.toDouble();
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
        if (stored.typeId() == QMetaType::Double) return qint64(std::llround(stored.toDouble()));
        return stored.toLongLong();
    case TFieldType::ftBoolean:
        return toBool(stored);
    case TFieldType::ftDate:
        if (stored.typeId() == QMetaType::QString) {
            const QString text = stored.toString();
            const QDate d = IsoDate(text.utf16(), text.size());
            return d.isValid() ? QVariant(d) : QVariant();
        }
        return fmt::ZeroDate().addDays(qint64(std::floor(stored.toDouble())));
    case TFieldType::ftDateTime: {
        QDateTime dt = QDateTime::fromString(stored.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid()) dt = QDateTime(QDate::fromString(stored.toString().left(10), Qt::ISODate), QTime(0, 0));
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    case TFieldType::ftTime:
        return QTime::fromString(stored.toString(), QStringLiteral("HH:mm:ss"));
    case TFieldType::ftBlob:
        return stored.toByteArray();
    case TFieldType::ftUnknown:
        return stored;
    }
    return stored;
}

} // namespace db

// ---- TField ----------------------------------------------------------------------------

TField::TField(TDataSet *dataSet, const QString &name, TFieldType type, int size, TFieldKind kind)
    : m_dataSet(dataSet), m_name(name), m_type(type), m_size(size), m_kind(kind) {}

int TField::Index() const {
    for (int i = 0; i < m_dataSet->FieldCount(); ++i)
        if (m_dataSet->Fields(i) == this) return i;
    return -1;
}

QVariant TField::Value() const {
    // The pending value belongs to the row under edit: a grid painting another row or a
    // search reading stored rows while the hook runs sees those rows' own values.
    if (m_validating && m_dataSet->readsEditBuffer()) return m_pending;
    return m_dataSet->fieldValue(this);
}

void TField::SetValue(const QVariant &value) { m_dataSet->setFieldValue(this, value); }

QString TField::AsString() const {
    const QVariant v = Value();
    if (v.isNull()) return QString();
    switch (m_type) {
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
        return fmt::FloatToStr(v.toDouble());
    case TFieldType::ftBoolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case TFieldType::ftDate:
        return fmt::DateToStr(v.toDate());
    case TFieldType::ftDateTime:
        return fmt::FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), v.toDateTime());
    case TFieldType::ftTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    default:
        return v.toString();
    }
}

void TField::SetAsString(const QString &value) {
    if (db::IsTextType(m_type) || m_type == TFieldType::ftUnknown) {
        SetValue(value);
        return;
    }
    SetText(value);
}

double TField::AsFloat() const {
    const QVariant v = Value();
    if (v.isNull()) return 0.0;
    if (m_type == TFieldType::ftString || m_type == TFieldType::ftMemo) return fmt::StrToFloat(v.toString());
    if (m_type == TFieldType::ftDate || m_type == TFieldType::ftDateTime) return db::toDouble(v);
    return v.toDouble();
}

void TField::SetAsFloat(double value) { SetValue(value); }

qint64 TField::AsInteger() const {
    const QVariant v = Value();
    if (v.isNull()) return 0;
    if (m_type == TFieldType::ftString || m_type == TFieldType::ftMemo) return fmt::StrToInt(v.toString());
    return std::llround(v.toDouble());
}

void TField::SetAsInteger(qint64 value) { SetValue(value); }

QDate TField::AsDate() const {
    const QVariant v = Value();
    if (v.isNull()) return fmt::ZeroDate();
    return db::toDate(v);
}

QDateTime TField::AsDateTime() const {
    const QVariant v = Value();
    if (v.isNull()) return QDateTime(fmt::ZeroDate(), QTime(0, 0));
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime();
    return QDateTime(db::toDate(v), QTime(0, 0));
}

void TField::SetAsDate(const QDate &value) { SetValue(value); }
void TField::SetAsDateTime(const QDateTime &value) {
    SetValue(m_type == TFieldType::ftDate ? QVariant(value.date()) : QVariant(value));
}

bool TField::AsBoolean() const {
    const QVariant v = Value();
    return !v.isNull() && db::toBool(v);
}

void TField::SetAsBoolean(bool value) { SetValue(value); }

QString TField::DisplayText() const {
    if (OnGetText) return OnGetText(this, true);
    const QVariant v = Value();
    if (v.isNull()) return QString();
    switch (m_type) {
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftInteger:
    case TFieldType::ftSmallint:
    case TFieldType::ftAutoInc:
        if (!DisplayFormat.isEmpty()) return fmt::FormatFloat(DisplayFormat, v.toDouble());
        if (m_type == TFieldType::ftCurrency) return fmt::MoneyToStr(v.toDouble());
        return fmt::FloatToStr(v.toDouble());
    case TFieldType::ftDate:
    case TFieldType::ftDateTime:
        if (!DisplayFormat.isEmpty()) return fmt::FormatDateTime(DisplayFormat, AsDateTime());
        return AsString();
    default:
        return AsString();
    }
}

QString TField::Text() const {
    if (OnGetText) return OnGetText(this, false);
    const QVariant v = Value();
    if (v.isNull()) return QString();
    if (m_type == TFieldType::ftCurrency) return fmt::FormatFloat(QStringLiteral("0.00"), v.toDouble());
    return AsString();
}

void TField::SetText(const QString &text) {
    const QString t = text.trimmed();
    switch (m_type) {
    case TFieldType::ftFloat:
        if (t.isEmpty())
            SetValue(QVariant());
        else
            SetValue(fmt::StrToFloat(t));
        return;
    case TFieldType::ftCurrency: // money: whole kopecks, no more than the printed forms hold
        if (t.isEmpty())
            SetValue(QVariant());
        else
            SetValue(fmt::StrToMoney(t));
        return;
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
        if (t.isEmpty())
            SetValue(QVariant());
        else
            SetValue(fmt::StrToInt(t));
        return;
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: {
        // An empty mask ("  .  .    ") clears the date.
        QString digits = t;
        digits.remove(QLatin1Char('.')).remove(QLatin1Char('_')).remove(QLatin1Char(' '));
        if (digits.isEmpty())
            SetValue(QVariant());
        else
            SetValue(fmt::StrToDate(t));
        return;
    }
    case TFieldType::ftBoolean:
        SetValue(t.isEmpty() ? QVariant() : QVariant(db::toBool(t)));
        return;
    default:
        SetValue(text);
        return;
    }
}

QVariant TField::OldValue() const { return m_dataSet->fieldOldValue(this); }

// ---- TParams ---------------------------------------------------------------------------

TParam *TParams::FindParam(const QString &name) const {
    for (const auto &p : m_items)
        if (p->Name().compare(name, Qt::CaseInsensitive) == 0) return p.get();
    return nullptr;
}

TParam *TParams::ParamByName(const QString &name) const {
    TParam *p = FindParam(name);
    if (!p) throw EDatabaseError(QStringLiteral("Параметр «%1» не найден").arg(name));
    return p;
}

TParam *TParams::CreateParam(const QString &name, TFieldType type) {
    if (TParam *p = FindParam(name)) {
        if (type != TFieldType::ftUnknown) p->SetDataType(type);
        return p;
    }
    m_items.push_back(std::make_unique<TParam>(name, type));
    return m_items.back().get();
}

// ---- TDataSet: fields -------------------------------------------------------------------

TDataSet::TDataSet(QObject *owner)
    : QObject(owner), m_store(std::make_unique<db::RowStore>()), m_source(std::make_unique<db::RowSource>()) {
    db::Database::registerDataSet(this);
}

TDataSet::~TDataSet() { db::Database::unregisterDataSet(this); }

db::RowStore &TDataSet::store() { return *m_store; }
db::RowSource &TDataSet::source() {
    return *m_source;
}

TField *TDataSet::AddField(const QString &name, TFieldType type, int size) {
    checkInactive();
    if (m_dynamicFields) {
        // Declaring a field turns a dataset with generated fields into one with
        // declared fields only.
        std::erase_if(m_fields, [](const auto &f) { return f->FieldKind() == TFieldKind::fkData; });
        m_dynamicFields = false;
    }
    auto field = std::make_unique<TField>(this, name, type, size, TFieldKind::fkData);
    TField *raw = field.get();
    // Data fields stand before calculated ones.
    auto pos = std::find_if(m_fields.begin(), m_fields.end(),
                            [](const auto &f) { return f->FieldKind() != TFieldKind::fkData; });
    m_fields.insert(pos, std::move(field));
    m_hasDeclaredFields = true;
    return raw;
}

TField *TDataSet::AddCalcField(const QString &name, TFieldType type, int size) {
    checkInactive();
    auto field = std::make_unique<TField>(this, name, type, size, TFieldKind::fkCalculated);
    field->m_column = m_calcCount++;
    m_fields.push_back(std::move(field));
    return m_fields.back().get();
}

TField *TDataSet::AddLookupField(const QString &name, TFieldType type, int size, TDataSet *lookupDataSet,
                                 const QString &keyFields, const QString &lookupKeyFields,
                                 const QString &lookupResultField) {
    checkInactive();
    auto field = std::make_unique<TField>(this, name, type, size, TFieldKind::fkLookup);
    field->m_column = m_calcCount++;
    field->LookupDataSet = lookupDataSet;
    field->KeyFields = keyFields;
    field->LookupKeyFields = lookupKeyFields;
    field->LookupResultField = lookupResultField;
    m_fields.push_back(std::move(field));
    return m_fields.back().get();
}

TField *TDataSet::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError(QStringLiteral("Нет поля с номером %1 в наборе данных «%2»").arg(index).arg(Name()));
    return m_fields[size_t(index)].get();
}

TField *TDataSet::FindField(const QString &name) const {
    // Names equal but for letter case have the same length: the length rules most out.
    for (const auto &f : m_fields)
        if (f->FieldName().size() == name.size() && f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

TField *TDataSet::FieldByName(const QString &name) const {
    TField *f = FindField(name);
    if (!f) throw EDatabaseError(QStringLiteral("Поле «%1» не найдено в наборе данных «%2»").arg(name, Name()));
    return f;
}

QVariant TDataSet::FieldValues(const QString &name) const { return FieldByName(name)->Value(); }

QStringList TDataSet::FieldNames() const {
    QStringList names;
    for (const auto &f : m_fields) names << f->FieldName();
    return names;
}

std::vector<TField *> TDataSet::dataFields() const {
    std::vector<TField *> out;
    for (const auto &f : m_fields)
        if (f->FieldKind() == TFieldKind::fkData) out.push_back(f.get());
    return out;
}

void TDataSet::bindFields(const std::vector<ColumnInfo> &columns) {
    m_store->columnNames.clear();
    for (const ColumnInfo &c : columns) m_store->columnNames.push_back(c.name);
    m_columnTypes.clear();
    for (const ColumnInfo &c : columns) m_columnTypes.push_back(c.type);

    if (m_hasDeclaredFields) {
        for (TField *f : dataFields()) {
            const int col = m_store->columnIndex(f->FieldName());
            if (col < 0)
                throw EDatabaseError(
                    QStringLiteral("Поле «%1» не найдено в наборе данных «%2»").arg(f->FieldName(), Name()));
            f->m_column = col;
            if (f->m_type == TFieldType::ftUnknown) {
                f->m_type = columns[size_t(col)].type;
                f->m_size = columns[size_t(col)].size;
            }
        }
        return;
    }
    // Generated fields: keep the objects when the columns are the same as last time,
    // so pointers that forms keep stay valid across reopening.
    std::vector<TField *> existing = dataFields();
    bool same = existing.size() == columns.size();
    for (size_t i = 0; same && i < columns.size(); ++i)
        same = existing[i]->FieldName() == columns[i].name;
    if (same) {
        for (size_t i = 0; i < columns.size(); ++i) {
            existing[i]->m_column = int(i);
            existing[i]->m_type = columns[i].type;
            existing[i]->m_size = columns[i].size;
        }
    } else {
        std::erase_if(m_fields, [](const auto &f) { return f->FieldKind() == TFieldKind::fkData; });
        std::vector<std::unique_ptr<TField>> created;
        for (size_t i = 0; i < columns.size(); ++i) {
            auto f = std::make_unique<TField>(this, columns[i].name, columns[i].type, columns[i].size,
                                              TFieldKind::fkData);
            f->m_column = int(i);
            created.push_back(std::move(f));
        }
        m_fields.insert(m_fields.begin(), std::make_move_iterator(created.begin()),
                        std::make_move_iterator(created.end()));
    }
    m_dynamicFields = true;
}

// ---- TDataSet: values --------------------------------------------------------------------

namespace {

// Fields read a row that is not in the window (a filter or a search reading ahead).
class ProbeScope {
  public:
    ProbeScope(TDataSet *dataSet, const db::Row *row, int &activeRow, const db::Row *&probe)
        : m_activeRow(activeRow), m_probe(probe), m_savedRow(activeRow), m_savedProbe(probe) {
        (void)dataSet;
        activeRow = -1;
        probe = row;
    }
    ~ProbeScope() {
        m_activeRow = m_savedRow;
        m_probe = m_savedProbe;
    }
    ProbeScope(const ProbeScope &) = delete;
    ProbeScope &operator=(const ProbeScope &) = delete;

  private:
    int &m_activeRow;
    const db::Row *&m_probe;
    int m_savedRow;
    const db::Row *m_savedProbe;
};

// Rows read in one go; the window keeps at most MaxWindow of them; every
// CheckpointEvery-th row keeps its key so a run of rows left behind is found again.
constexpr int Batch = 256;
constexpr int MaxWindow = 1024;
constexpr int CheckpointEvery = 256;
// Numbers of a window reached from the end (or a search) before its position is known.
constexpr int FloatingBase = 1 << 30;

} // namespace

bool TDataSet::editing() const {
    return m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert;
}

bool TDataSet::readsEditBuffer() const {
    return editing() && !m_probe && (m_activeRow < 0 || m_activeRow == m_cur) && !m_readingStored;
}

db::RowPtr TDataSet::activeRowPtr() const {
    if (m_activeRow >= 0 && m_activeRow != m_cur) return const_cast<TDataSet *>(this)->rowAt(m_activeRow);
    return m_curRow;
}

QVariant TDataSet::fieldValue(const TField *field) const {
    if (m_state == TDataSetState::dsInactive) return QVariant();
    if (field->m_kind == TFieldKind::fkData) {
        if (field->m_column < 0) return QVariant();
        if (m_probe) return RowCodec::typedCell(m_probe->data, field->m_column, field->m_type);
        if (readsEditBuffer()) return db::FromStorage(field->m_type, m_editValues[size_t(field->m_column)]);
        if (m_activeRow >= 0 && m_activeRow != m_cur) {
            // A row of the window (rowAt keeps what it returns there).
            const db::RowPtr row = const_cast<TDataSet *>(this)->rowAt(m_activeRow);
            return row ? RowCodec::typedCell(row->data, field->m_column, field->m_type) : QVariant();
        }
        return m_curRow ? RowCodec::typedCell(m_curRow->data, field->m_column, field->m_type) : QVariant();
    }
    const size_t slot = size_t(field->m_column);
    if (m_calcTarget) return slot < m_calcTarget->size() ? (*m_calcTarget)[slot] : QVariant();
    TDataSet *self = const_cast<TDataSet *>(this);
    if (m_probe) {
        Row &probe = const_cast<Row &>(*m_probe);
        self->ensureCalc(probe);
        return slot < probe.calc.size() ? probe.calc[slot] : QVariant();
    }
    if (readsEditBuffer()) {
        if (!m_editCalcValid) {
            m_editCalcValid = true;
            computeCalc(m_editCalc, nullptr);
        }
        return slot < m_editCalc.size() ? m_editCalc[slot] : QVariant();
    }
    const db::RowPtr row = activeRowPtr();
    if (!row) return QVariant();
    self->ensureCalc(*row);
    return slot < row->calc.size() ? row->calc[slot] : QVariant();
}

QVariant TDataSet::fieldOldValue(const TField *field) const {
    if (field->m_kind != TFieldKind::fkData || m_state == TDataSetState::dsInactive) return QVariant();
    if (m_probe) return db::FromStorage(field->m_type, m_probe->oldCell(field->m_column));
    const db::RowPtr row = activeRowPtr();
    return row ? db::FromStorage(field->m_type, row->oldCell(field->m_column)) : QVariant();
}

void TDataSet::setFieldValue(TField *field, const QVariant &value) {
    if (field->m_kind != TFieldKind::fkData) {
        const size_t slot = size_t(field->m_column);
        if (m_calcTarget) {
            if (slot < m_calcTarget->size()) (*m_calcTarget)[slot] = value;
            return;
        }
        if (!readsEditBuffer())
            throw EDatabaseError(QStringLiteral("Набор данных «%1» не в режиме редактирования").arg(Name()));
        if (!m_editCalcValid) {
            m_editCalcValid = true;
            computeCalc(m_editCalc, nullptr);
        }
        if (slot < m_editCalc.size()) m_editCalc[slot] = value;
        if (!m_disableCount) emit recordChanged(field);
        return;
    }
    if (!editing())
        throw EDatabaseError(QStringLiteral("Набор данных «%1» не в режиме редактирования").arg(Name()));
    if (field->m_column < 0) return;
    const QVariant stored = db::ToStorage(field->m_type, field->m_size, value);
    if (field->OnValidate) {
        // While the hook runs the field reads the value about to be stored.
        const bool wasValidating = field->m_validating;
        const QVariant previous = field->m_pending;
        field->m_pending = db::FromStorage(field->m_type, stored);
        field->m_validating = true;
        try {
            field->OnValidate(field);
        } catch (...) {
            field->m_validating = wasValidating;
            field->m_pending = previous;
            throw;
        }
        field->m_validating = wasValidating;
        field->m_pending = previous;
    }
    m_editValues[size_t(field->m_column)] = stored;
    m_modified = true;
    m_editCalcValid = false;
    if (!m_disableCount) emit recordChanged(field);
    if (field->OnChange) field->OnChange(field);
}

void TDataSet::ensureCalc(Row &row) {
    if (m_calcCount == 0 || row.calcValid) return;
    row.calcValid = true; // set first: a hook reading its own row must not recurse
    computeCalc(row.calc, &row);
}

// Computes the calculated and lookup fields of `row` (nullptr: the row under edit).
void TDataSet::computeCalc(std::vector<QVariant> &target, const Row *row) const {
    target.assign(size_t(m_calcCount), QVariant());
    if (m_calcCount == 0) return;
    TDataSet *self = const_cast<TDataSet *>(this);
    const int savedActive = m_activeRow;
    const Row *savedProbe = m_probe;
    std::vector<QVariant> *savedTarget = m_calcTarget;
    self->m_activeRow = row ? -1 : m_cur;
    self->m_probe = row;
    self->m_calcTarget = &target;
    auto restore = [&] {
        self->m_activeRow = savedActive;
        self->m_probe = savedProbe;
        self->m_calcTarget = savedTarget;
    };
    try {
        for (const auto &f : m_fields) {
            if (f->m_kind != TFieldKind::fkLookup || !f->LookupDataSet) continue;
            const QStringList keys = f->KeyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
            QVariantList keyValues;
            bool anyNull = false;
            for (const QString &k : keys) {
                const QVariant v = FieldByName(k.trimmed())->Value();
                anyNull = anyNull || v.isNull();
                keyValues << v;
            }
            if (anyNull || !f->LookupDataSet->Active()) continue;
            target[size_t(f->m_column)] =
                f->LookupDataSet->Lookup(f->LookupKeyFields, keyValues.size() == 1 ? keyValues[0] : QVariant(keyValues),
                                         f->LookupResultField);
        }
        if (OnCalcFields) OnCalcFields(self);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    // Calculated text is cut to its size like stored text.
    for (const auto &f : m_fields)
        if (f->m_kind != TFieldKind::fkData && f->m_type == TFieldType::ftString && f->m_size > 0) {
            QVariant &v = target[size_t(f->m_column)];
            if (v.typeId() == QMetaType::QString && v.toString().size() > f->m_size) v = v.toString().left(f->m_size);
        }
}

// ---- TDataSet: opening ---------------------------------------------------------------------

void TDataSet::checkActive() const {
    if (!Active()) throw EDatabaseError(QStringLiteral("Набор данных «%1» закрыт").arg(Name()));
}

void TDataSet::checkInactive() const {
    if (Active())
        throw EDatabaseError(QStringLiteral("Операция невозможна, пока набор данных «%1» открыт").arg(Name()));
}

void TDataSet::Open() {
    if (Active()) return;
    if (BeforeOpen) BeforeOpen(this);
    m_store->clear();
    m_pendingRows.clear();
    m_deleted.clear();
    m_buffer = false;
    *m_source = db::RowSource();
    try {
        bindFields(openCursor());
    } catch (...) {
        closeCursor();
        m_store->clear();
        throw;
    }
    m_state = TDataSetState::dsBrowse;
    m_modified = false;
    m_activeRow = -1;
    m_probe = nullptr;
    m_cur = -1;
    m_curRow.reset();
    m_generation = db::Database::DataGeneration();
    try {
        loadStart();
    } catch (...) {
        dropReader();
        closeCursor();
        m_store->clear();
        m_state = TDataSetState::dsInactive;
        throw;
    }
    setCursor(m_store->size() > 0 ? m_store->begin : -1);
    m_bof = true;
    m_eof = m_cur < 0;
    for (const auto &f : m_fields)
        if (f->m_kind == TFieldKind::fkLookup && f->LookupDataSet && f->LookupDataSet != this &&
            !f->LookupDataSet->Active())
            f->LookupDataSet->Open();
    if (!m_disableCount) emit stateChanged();
    if (!m_disableCount) emit dataChanged();
    if (AfterOpen) AfterOpen(this);
    if (!m_disableCount) emit scrolled();
}

void TDataSet::Close() {
    if (!Active()) return;
    if (BeforeClose) BeforeClose(this);
    // Unposted rows and unapplied changes are dropped.
    m_editValues.clear();
    m_editCalc.clear();
    dropReader();
    closeCursor();
    m_store->clear();
    m_pendingRows.clear();
    m_deleted.clear();
    m_buffer = false;
    m_state = TDataSetState::dsInactive;
    m_cur = -1;
    m_curRow.reset();
    m_activeRow = -1;
    m_probe = nullptr;
    m_insertedAt = -1;
    m_modified = false;
    m_bof = m_eof = true;
    m_commitDeferred = false;
    closed();
    if (!m_disableCount) emit stateChanged();
    if (!m_disableCount) emit dataChanged();
    if (AfterClose) AfterClose(this);
}

void TDataSet::Refresh() {
    checkActive();
    CheckBrowseMode();
    reread(true);
}

void TDataSet::reread(bool keepRow) {
    // What the dataset stands on now: a failed re-read comes back to it, so the
    // cursor never points at rows that are gone.
    db::RowStore savedStore = *m_store;
    const db::RowSource savedSource = *m_source;
    const std::vector<db::RowPtr> savedPending = m_pendingRows;
    const std::vector<db::RowPtr> savedDeleted = m_deleted;
    const int savedCur = m_cur;
    const db::RowPtr savedRow = m_curRow;
    const bool savedBuffer = m_buffer, savedBof = m_bof, savedEof = m_eof;
    const qint64 savedGeneration = m_generation;
    const int position = savedStore.startKnown && savedCur >= 0 ? savedCur - savedStore.first : 0;
    try {
        dropReader();
        closeCursor();
        *m_source = db::RowSource();
        bindFields(openCursor());
        m_pendingRows.clear();
        m_deleted.clear();
        m_buffer = false;
        m_generation = db::Database::DataGeneration();
        m_curRow.reset();
        m_cur = -1;
        const QByteArray key =
            keepRow && savedRow ? m_source->keyOf(*savedRow, m_store->columnNames) : QByteArray();
        if (!key.isEmpty() && loadAroundKey(key)) {
            // loadAroundKey stood on the row, or on the one after where it was
        } else {
            m_store->clear();
            loadStart();
            int target = m_store->size() > 0 ? m_store->begin : -1;
            if (keepRow && target >= 0 && position > 0) {
                target = m_store->first + position;
                if (!rowAt(target)) {
                    FetchMore(position + 1);
                    target = std::min(target, RowsEnd() - 1);
                }
            }
            setCursor(target);
        }
    } catch (...) {
        dropReader();
        *m_store = std::move(savedStore);
        *m_source = savedSource;
        m_pendingRows = savedPending;
        m_deleted = savedDeleted;
        m_cur = savedCur;
        m_curRow = savedRow;
        m_buffer = savedBuffer;
        m_bof = savedBof;
        m_eof = savedEof;
        m_generation = savedGeneration;
        throw;
    }
    m_bof = m_cur < 0 || (m_store->startKnown && m_cur <= m_store->first);
    m_eof = m_cur < 0;
    if (!m_disableCount) emit dataChanged();
    if (!m_disableCount) emit scrolled();
}

// ---- TDataSet: reading -----------------------------------------------------------------------
//
// The window holds a run of rows in order; reading adds to one end of it, a jump
// replaces it. While the dataset has changes of its own that its source does not hold
// (a row being edited or inserted, cached changes not committed, a buffer that never
// reaches a table) it is pinned: nothing is let go or re-read, a jump reads the rows
// between. Writes elsewhere make the window stale: the rows it holds stay as shown,
// what lies beyond them is read anew.

struct TDataSet::Reader {
    db::StatementPtr stmt;
    std::shared_ptr<sqlite3_stmt> primed; // the statement the source was opened with
    int next = 0;                         // the number the next row gets
    bool rowPending = false;              // primed: a row is read but not taken yet
    std::weak_ptr<Row> lastPlaced;        // keyed: the row it placed last, the window's last
    sqlite3_stmt *get() const { return stmt ? stmt.get() : primed.get(); }
};

bool TDataSet::pinned() const {
    return editing() || !m_pendingRows.empty() || !m_deleted.empty() || m_commitDeferred || m_buffer;
}

bool TDataSet::filtering() const {
    return Filtered && (!Filter.trimmed().isEmpty() || OnFilterRecord);
}

void TDataSet::checkStale() {
    const qint64 now = db::Database::DataGeneration();
    if (now == m_generation || pinned()) return;
    m_generation = now;
    dropReader();
    // The rows held stay as shown and keep their numbers; keys kept for rows left
    // behind may be gone, and rows may have come after the last: the end is read anew.
    db::RowStore &s = *m_store;
    s.checkpoints.clear();
    s.endKnown = false;
}

void TDataSet::dropReader() {
    if (!m_reader) return;
    m_reader.reset();
    db::Database::unregisterReader(this);
}

void TDataSet::discardWindow(bool keepNumbers) {
    dropReader();
    db::RowStore &s = *m_store;
    s.rows.clear();
    if (keepNumbers) return;
    s.checkpoints.clear();
    s.startKnown = s.endKnown = false;
    s.spanBegin = s.spanEnd = s.begin = 0;
}

void TDataSet::placeRow(db::RowPtr row, int number, bool front) {
    db::RowStore &s = *m_store;
    // The current row keeps its object (its calculated values, the edit it may be in).
    if (number == m_cur && m_curRow && m_curRow->rowid == row->rowid) row = m_curRow;
    if (m_source->keyed && number % CheckpointEvery == 0 && !row->key.isEmpty())
        s.checkpoints[number] = row->key;
    const bool spanEmpty = s.spanEnd <= s.spanBegin;
    if (s.rows.empty()) s.begin = number;
    if (front) {
        s.rows.push_front(std::move(row));
        s.begin = number;
    } else {
        s.rows.push_back(std::move(row));
    }
    s.spanBegin = spanEmpty ? number : std::min(s.spanBegin, number);
    s.spanEnd = spanEmpty ? number + 1 : std::max(s.spanEnd, number + 1);
}

int TDataSet::readForward(int count) {
    return readForward(count, db::Seek::After);
}

// Reads up to `count` rows after the window (from `seek` when the window is empty);
// returns how many it added. At the end of the rows the end becomes known.
int TDataSet::readForward(int count, db::Seek seek, const QByteArray &key) {
    db::RowStore &s = *m_store;
    if (s.endKnown && s.windowEnd() >= s.end) return 0;
    checkStale();
    if (s.rows.empty() && seek == db::Seek::After) {
        // An empty window continues from its number.
        if (s.startKnown && s.begin == s.first)
            seek = db::Seek::Start;
        else if (s.startKnown && !filtering() && m_source->keyed)
            seek = db::Seek::Offset;
        else if (m_source->keyed)
            return 0;
    }
    const db::RowSource &src = *m_source;
    const int columns = int(s.columnNames.size());
    const bool fromScratch = s.rows.empty();
    int added = 0;
    if (src.keyed) {
        // Reading on from where the open statement stopped: the window still ends with
        // the row it placed last, under the same number.
        if (m_reader && !fromScratch && m_reader->next == s.windowEnd() &&
            m_reader->lastPlaced.lock() == s.rows.back())
            return readOn(count);
        dropReader();
        QByteArray last = key;
        if (!fromScratch) {
            last = s.rows.back()->key;
            seek = db::RowSource::Seek::After;
            if (last.isEmpty()) return 0; // a row added here closes the window
        }
        if (src.streams()) {
            // Rows come in the order of an index: one statement read as far as wanted,
            // kept open for reading on and let go before any write.
            auto reader = std::make_unique<Reader>();
            reader->stmt = src.open(seek, last, seek == db::RowSource::Seek::Offset ? s.begin - s.first : 0);
            reader->next = s.windowEnd();
            if (!fromScratch) reader->lastPlaced = s.rows.back();
            m_reader = std::move(reader);
            db::Database::registerReader(this, [this] { dropReader(); });
            const int got = readOn(count);
            if (fromScratch && s.endKnown && got == 0 && seek == db::RowSource::Seek::Start) {
                s.startKnown = true;
                s.first = s.begin;
            }
            return got;
        }
        while (added < count) {
            const int want = std::max(count - added, 64);
            db::StatementPtr stmt =
                src.open(seek, last, seek == db::RowSource::Seek::Offset ? s.begin - s.first : 0, want);
            const int read = placeRows(stmt.get(), false, last, added);
            if (read > 0) seek = db::RowSource::Seek::After;
            src.learnPlan(stmt.get());
            if (read < want) {
                if (fromScratch && added == 0 && seek == db::RowSource::Seek::Start) {
                    s.startKnown = true;
                    s.first = s.begin;
                }
                s.endKnown = true;
                s.end = s.windowEnd();
                break;
            }
        }
        return added;
    }
    // No key: one statement read forwards from an offset, let go before any write.
    if (!m_reader || m_reader->next != s.windowEnd()) {
        dropReader();
        auto reader = std::make_unique<Reader>();
        const qint64 offset = s.windowEnd() - s.first;
        if (offset == 0 && src.primed) {
            reader->primed = src.primed;
            reader->rowPending = src.primedHasRow;
            m_source->primed.reset();
            if (!reader->rowPending) {
                s.endKnown = true;
                s.end = s.windowEnd();
                return 0;
            }
        } else if (filtering() || offset == 0) {
            reader->stmt = src.open(db::RowSource::Seek::Start);
            for (qint64 skipped = 0; skipped < offset;) {
                Row row;
                if (!src.next(reader->stmt.get(), row, columns)) break;
                if (!filtering() || passesFilter(row)) ++skipped;
            }
        } else {
            reader->stmt = src.open(db::RowSource::Seek::Offset, {}, offset);
        }
        reader->next = s.windowEnd();
        m_reader = std::move(reader);
        db::Database::registerReader(this, [this] { dropReader(); });
    }
    return readOn(count);
}

// Reads up to `count` further rows through the open statement (a row it was primed with
// first); at its end the end of the rows becomes known and the statement goes.
int TDataSet::readOn(int count) {
    db::RowStore &s = *m_store;
    const db::RowSource &src = *m_source;
    const int columns = int(s.columnNames.size());
    int added = 0;
    while (added < count) {
        auto row = std::make_shared<Row>();
        bool got;
        if (m_reader->rowPending) {
            m_reader->rowPending = false;
            src.readCurrent(m_reader->get(), *row, columns);
            got = true;
        } else {
            got = src.next(m_reader->get(), *row, columns);
        }
        if (!got) {
            s.endKnown = true;
            s.end = s.windowEnd();
            dropReader();
            break;
        }
        if (filtering() && !passesFilter(*row)) continue;
        placeRow(std::move(row), s.windowEnd(), false);
        m_reader->lastPlaced = s.rows.back();
        m_reader->next = s.windowEnd();
        ++added;
    }
    return added;
}

// Reads up to `count` rows before the window; at the first row the start becomes known.
int TDataSet::readBackward(int count) {
    db::RowStore &s = *m_store;
    if (s.startKnown && s.begin <= s.first) return 0;
    checkStale();
    if (s.rows.empty()) return 0;
    const db::RowSource &src = *m_source;
    const int columns = int(s.columnNames.size());
    int added = 0;
    if (src.keyed) {
        const QByteArray &last = s.rows.front()->key;
        if (last.isEmpty()) return 0;
        return readKeyedBackward(db::RowSource::Seek::Before, last, count, 64);
    }
    // No key: the rows are numbered by offset from the first.
    const int target = std::max(s.first, s.begin - count);
    std::vector<db::RowPtr> run;
    db::StatementPtr stmt;
    if (filtering()) {
        stmt = src.open(db::RowSource::Seek::Start);
        int at = s.first;
        for (;;) {
            auto row = std::make_shared<Row>();
            if (at >= s.begin || !src.next(stmt.get(), *row, columns)) break;
            if (!passesFilter(*row)) continue;
            if (at >= target) run.push_back(std::move(row));
            ++at;
        }
    } else {
        stmt = src.open(db::RowSource::Seek::Offset, {}, target - s.first, s.begin - target);
        for (;;) {
            auto row = std::make_shared<Row>();
            if (!src.next(stmt.get(), *row, columns)) break;
            run.push_back(std::move(row));
        }
    }
    for (auto it = run.rbegin(); it != run.rend(); ++it) {
        placeRow(*it, s.begin - 1, true);
        ++added;
    }
    return added;
}

// Places the rows `stmt` reads that pass the filter, each after the window or (front)
// before it; `last` becomes the key of the last row read. Returns how many rows it read,
// placed or not; `placed` grows by those placed.
int TDataSet::placeRows(sqlite3_stmt *stmt, bool front, QByteArray &last, int &placed) {
    db::RowStore &s = *m_store;
    const int columns = int(s.columnNames.size());
    int read = 0;
    for (;;) {
        auto row = std::make_shared<Row>();
        if (!m_source->next(stmt, *row, columns)) break;
        ++read;
        last = row->key;
        if (filtering() && !passesFilter(*row)) continue;
        placeRow(std::move(row), front ? s.begin - 1 : s.windowEnd(), front);
        ++placed;
    }
    return read;
}

// Reads up to `count` rows of a keyed source before the window, from `seek` (the end, or
// before `key`), in statements of `batch` rows at least; at the first row the start
// becomes known. Returns how many it added.
int TDataSet::readKeyedBackward(db::Seek seek, QByteArray key, int count, int batch) {
    db::RowStore &s = *m_store;
    int added = 0;
    while (added < count) {
        const int want = std::max(count - added, batch);
        db::StatementPtr stmt = m_source->open(seek, key, 0, want);
        seek = db::RowSource::Seek::Before;
        if (placeRows(stmt.get(), true, key, added) < want) {
            s.startKnown = true;
            s.first = s.begin;
            break;
        }
    }
    return added;
}

// The window at the first rows: numbered from 0, or from where the first row already is.
void TDataSet::loadStart() {
    db::RowStore &s = *m_store;
    const bool keep = s.startKnown;
    const int first = keep ? s.first : 0;
    discardWindow(keep);
    s.begin = first;
    s.first = first;
    s.startKnown = true;
    if (!keep) s.spanBegin = s.spanEnd = first;
    readForward(Batch, db::RowSource::Seek::Start);
}

// The window at the last rows, read backwards. Unless the count is known the rows get
// numbers from an arbitrary base: nothing reads the rows before them.
void TDataSet::loadEnd() {
    db::RowStore &s = *m_store;
    checkStale();
    if (!m_source->keyed) {
        RecordCount();
        loadAt(s.end - 1);
        return;
    }
    const bool keep = s.startKnown && s.endKnown;
    const int end = keep ? s.end : FloatingBase;
    discardWindow(keep);
    s.begin = end;
    if (!keep) s.spanBegin = s.spanEnd = end;
    readKeyedBackward(db::RowSource::Seek::End, {}, Batch, Batch);
    s.endKnown = true;
    s.end = end;
    if (s.rows.empty()) s.begin = end;
}

// A new numbering around the row with `key`: the row (or the first after where it
// was) is number FloatingBase and becomes current. False when the dataset has no rows.
bool TDataSet::loadAroundKey(const QByteArray &key) {
    db::RowStore &s = *m_store;
    discardWindow(false);
    s.begin = FloatingBase;
    readForward(Batch / 2, db::RowSource::Seek::AtOrAfter, key);
    if (s.rows.empty()) {
        // Nothing at or after the key: stand on the last row.
        s.endKnown = true;
        s.end = FloatingBase;
        loadEnd();
        setCursor(s.endKnown && s.end > RowsBegin() ? s.end - 1 : -1);
        return m_cur >= 0;
    }
    // The rows before the key, read backwards.
    QByteArray last = key;
    int placed = 0;
    db::StatementPtr stmt = m_source->open(db::RowSource::Seek::Before, last, 0, Batch / 2);
    if (placeRows(stmt.get(), true, last, placed) < Batch / 2) {
        s.startKnown = true;
        s.first = s.begin;
    }
    setCursor(FloatingBase);
    return true;
}

// Brings the row with `number` into the window, in the numbering the window has.
void TDataSet::loadAt(int number) {
    db::RowStore &s = *m_store;
    checkStale();
    if (pinned()) {
        while (!s.holds(number)) {
            if (number >= s.windowEnd()) {
                if (readForward(Batch) == 0) break;
            } else if (readBackward(Batch) == 0) {
                break;
            }
        }
        return;
    }
    if (!s.rows.empty() && number >= s.windowEnd() && number < s.windowEnd() + Batch) {
        readForward(number - s.windowEnd() + Batch / 2);
    } else if (!s.rows.empty() && number < s.begin && number >= s.begin - Batch) {
        readBackward(s.begin - number + Batch / 2);
    } else if (m_source->keyed && m_curRow && !m_curRow->key.isEmpty() && std::abs(number - m_cur) < Batch) {
        // Around the current row, which has its key.
        const QByteArray key = m_curRow->key;
        discardWindow(true);
        s.begin = m_cur;
        readForward(Batch / 2, db::RowSource::Seek::AtOrAfter, key);
        if (s.rows.empty()) s.begin = m_cur;
        readBackward(Batch / 2);
    } else {
        auto checkpoint = s.checkpoints.upper_bound(number);
        const bool haveCheckpoint = m_source->keyed && checkpoint != s.checkpoints.begin() &&
                                    std::prev(checkpoint)->first >= s.spanBegin;
        if (haveCheckpoint) {
            --checkpoint;
            const int at = checkpoint->first;
            const QByteArray key = checkpoint->second;
            discardWindow(true);
            s.begin = at;
            readForward(number - at + Batch / 2, db::RowSource::Seek::AtOrAfter, key);
        } else if (s.startKnown && !filtering()) {
            const int at = std::max(s.first, number - Batch / 2);
            discardWindow(true);
            s.begin = at;
            readForward(number - at + Batch / 2,
                        at == s.first ? db::RowSource::Seek::Start : db::RowSource::Seek::Offset);
        } else {
            // Nothing to seek from: read the rows between, letting go of those behind.
            while (!s.holds(number)) {
                const int got = number >= s.windowEnd() ? readForward(Batch) : readBackward(Batch);
                trimWindow(number);
                if (got == 0) break;
            }
        }
    }
    trimWindow(number);
}

void TDataSet::trimWindow(int focus) {
    if (pinned()) return;
    db::RowStore &s = *m_store;
    while (s.size() > MaxWindow) {
        if (focus - s.begin > s.windowEnd() - 1 - focus) {
            s.rows.pop_front();
            ++s.begin;
        } else {
            s.rows.pop_back();
        }
    }
}

db::RowPtr TDataSet::rowAt(int number) {
    db::RowStore &s = *m_store;
    if (s.holds(number)) return s.at(number);
    if (number == m_cur && m_curRow) return m_curRow;
    if (number < 0 || !Active()) return {};
    checkStale();
    if (s.startKnown && number < s.first) return {};
    if (s.endKnown && number >= s.end) return {};
    if (!s.startKnown && number < s.spanBegin - Batch) return {};
    if (!s.startKnown && number >= s.spanEnd + Batch) return {};
    loadAt(number);
    return s.holds(number) ? s.at(number) : db::RowPtr();
}

// Every row into the window (a pinned dataset that must know all its rows).
void TDataSet::loadAll() {
    db::RowStore &s = *m_store;
    if (s.rows.empty() && !(s.startKnown && s.endKnown)) loadStart();
    while (readBackward(4096) > 0) {
    }
    while (readForward(4096) > 0) {
    }
}

// Rows of the source that the dataset shows, the row under insert left out.
qint64 TDataSet::sourceRows(qint64 limit) {
    if (filtering()) return scanCount(0, limit) + pendingBalance();
    return m_source->count({}, limit) + pendingBalance();
}

// Rows passing the filter, from the first up to the one with `untilRowid` (0: all),
// at most `limit` of them (0: no limit).
qint64 TDataSet::scanCount(qint64 untilRowid, qint64 limit) {
    const db::RowSource &src = *m_source;
    db::StatementPtr stmt = src.open(db::RowSource::Seek::Start);
    const int columns = int(m_store->columnNames.size());
    qint64 n = 0;
    Row row;
    while (src.next(stmt.get(), row, columns)) {
        if (untilRowid != 0 && row.rowid == untilRowid) break;
        row.calcValid = false;
        if (!filtering() || passesFilter(row)) ++n;
        if (limit > 0 && n >= limit) break;
    }
    return n;
}

// Cached rows the source does not hold yet, less cached deletions it still holds.
int TDataSet::pendingBalance() const {
    int n = 0;
    for (const auto &row : m_pendingRows)
        if (row->status == TUpdateStatus::usInserted && !row->applied) ++n;
    for (const auto &row : m_deleted)
        if (!row->applied) --n;
    return n;
}

// Learns where the first row is, so numbers give positions.
void TDataSet::anchor() {
    db::RowStore &s = *m_store;
    if (s.startKnown) return;
    if (pinned()) {
        while (readBackward(4096) > 0) {
        }
        if (s.startKnown) return;
    }
    if (s.rows.empty() || s.rows.front()->key.isEmpty()) {
        const int cur = m_cur;
        loadStart();
        if (cur >= 0) setCursor(s.begin);
        return;
    }
    const Row &front = *s.rows.front();
    const qint64 before = filtering() ? scanCount(front.rowid) : m_source->count(front.key);
    s.first = s.begin - int(before);
    s.startKnown = true;
}

void TDataSet::renumber(int by) {
    if (by == 0) return;
    m_store->renumber(by);
    if (m_cur >= 0) m_cur += by;
    if (m_insertedAt >= 0) m_insertedAt += by;
    if (m_activeRow >= 0) m_activeRow += by;
    if (!m_disableCount) emit rowsRenumbered(by);
}

void TDataSet::setCursor(int number) {
    m_curRow.reset();
    m_cur = number;
    if (number >= 0) m_curRow = rowAt(number);
    if (!m_curRow) m_cur = -1;
}

int TDataSet::RowsBegin() const {
    return m_store->startKnown ? m_store->first : m_store->spanBegin;
}
int TDataSet::RowsEnd() const {
    return m_store->endKnown ? m_store->end : m_store->spanEnd;
}
bool TDataSet::RowsBeginKnown() const {
    return m_store->startKnown;
}
bool TDataSet::RowsEndKnown() const {
    return m_store->endKnown;
}
int TDataSet::FetchedRowCount() const {
    return Active() ? RowsEnd() - RowsBegin() : 0;
}
bool TDataSet::AllRowsFetched() const {
    return m_store->startKnown && m_store->endKnown;
}

void TDataSet::FetchMore(int atLeast) {
    if (!Active()) return;
    db::RowStore &s = *m_store;
    while (FetchedRowCount() < atLeast && !s.endKnown) {
        const int end = RowsEnd();
        if (end > RowsBegin() && !s.holds(end - 1)) loadAt(end - 1);
        if (s.windowEnd() != RowsEnd() && !s.endKnown) break;
        const int got = readForward(std::max(Batch, atLeast - FetchedRowCount()));
        trimWindow(s.windowEnd() - 1);
        if (got == 0) break;
    }
}

void TDataSet::FetchBefore(int rows) {
    if (!Active()) return;
    db::RowStore &s = *m_store;
    if (s.startKnown) return;
    const int begin = RowsBegin();
    if (!s.holds(begin)) loadAt(begin);
    if (s.begin != RowsBegin()) return;
    readBackward(rows);
    trimWindow(s.begin);
}

void TDataSet::FetchAll() {
    if (!Active()) return;
    RecordCount();
    if (m_store->first != 0) renumber(-m_store->first);
}

bool TDataSet::passesFilter(const Row &row) {
    ProbeScope scope(this, &row, m_activeRow, m_probe);
    if (Filtered && !Filter.trimmed().isEmpty()) {
        if (!m_filterExpr || m_filterText != Filter) {
            m_filterExpr = std::make_shared<db::FilterExpr>(Filter);
            m_filterText = Filter;
        }
        if (!m_filterExpr->matches(*this)) return false;
    }
    if (Filtered && OnFilterRecord) return OnFilterRecord(this);
    return true;
}

void TDataSet::SetFiltered(bool filtered) {
    const bool was = Filtered;
    Filtered = filtered;
    m_filterExpr.reset();
    if (!Active()) return;
    try {
        Refresh();
    } catch (...) {
        // The rows stay as they were shown, and so does the filter.
        Filtered = was;
        m_filterExpr.reset();
        throw;
    }
}

void TDataSet::DisableControls() { ++m_disableCount; }

void TDataSet::EnableControls() {
    if (m_disableCount == 0 || --m_disableCount > 0) return;
    emit dataChanged();
    emit stateChanged();
    emit scrolled();
}

// ---- TDataSet: cursor ----------------------------------------------------------------------

bool TDataSet::IsEmpty() const {
    return !Active() || (!m_curRow && m_store->rows.empty());
}

int TDataSet::RecordCount() {
    if (!Active()) return 0;
    db::RowStore &s = *m_store;
    checkStale();
    const int inserting = m_state == TDataSetState::dsInsert ? 1 : 0;
    if (!(s.startKnown && s.endKnown) && pinned()) loadAll();
    if (s.startKnown && s.endKnown) return s.end - s.first - inserting;
    const int rows = int(sourceRows());
    if (s.endKnown) {
        s.first = s.end - rows - inserting;
        s.startKnown = true;
    } else {
        anchor();
        s.end = s.first + rows + inserting;
        s.endKnown = true;
    }
    return rows;
}

namespace {

// Counts learnt by grids, by the count's text with its values: how many rows there were
// (at least, when the count stopped) at which generation of the data. Each row written
// since can change a count by one at most.
struct KnownCount {
    qint64 rows = 0;
    qint64 generation = 0;
    bool exact = false;
};

QHash<QString, KnownCount> &knownCounts() {
    static QHash<QString, KnownCount> counts;
    return counts;
}

} // namespace

bool TDataSet::CountRowsUpTo(int limit) {
    if (!Active()) return false;
    db::RowStore &s = *m_store;
    checkStale();
    if (s.startKnown && s.endKnown) return true;
    if (pinned() || (!s.startKnown && (s.rows.empty() || s.rows.front()->key.isEmpty()))) return false;
    const int inserting = m_state == TDataSetState::dsInsert ? 1 : 0;
    const qint64 now = db::Database::DataGeneration();
    const QString text = filtering() ? QString() : m_source->countText();
    qint64 rows = -1;
    if (!text.isEmpty()) {
        const auto known = knownCounts().constFind(text);
        if (known != knownCounts().cend()) {
            const qint64 drift = now - known->generation;
            if (!known->exact && known->rows - drift > limit) return false;
            if (known->exact && drift == 0) rows = known->rows + pendingBalance();
        }
    }
    if (rows < 0) {
        // Counted a quarter beyond the limit, so a few writes later it still tells.
        const qint64 counted = sourceRows(qint64(limit) + limit / 4 + 1) - pendingBalance();
        if (!text.isEmpty()) {
            if (knownCounts().size() > 256) knownCounts().clear();
            knownCounts().insert(text, {counted, now, counted <= qint64(limit) + limit / 4});
        }
        rows = counted + pendingBalance();
    }
    if (rows > limit) return false;
    if (s.endKnown) {
        s.first = s.end - int(rows) - inserting;
        s.startKnown = true;
        return true;
    }
    anchor(); // not pinned, the first row held has its key: counted up to it
    s.end = s.first + int(rows) + inserting;
    s.endKnown = true;
    return true;
}

int TDataSet::RecNo() const {
    if (m_cur < 0 || !Active()) return -1;
    const_cast<TDataSet *>(this)->anchor();
    return m_cur - m_store->first;
}

void TDataSet::moveTo(int row) {
    if (BeforeScroll) BeforeScroll(this);
    setCursor(row);
    if (!m_disableCount) emit scrolled();
    if (AfterScroll) AfterScroll(this);
}

void TDataSet::First() {
    checkActive();
    CheckBrowseMode();
    db::RowStore &s = *m_store;
    checkStale();
    if (!(s.startKnown && s.holds(s.first))) {
        if (pinned()) {
            while (readBackward(Batch) > 0) {
            }
        } else {
            const bool renumbered = !s.startKnown;
            loadStart();
            if (renumbered && !m_disableCount) emit dataChanged();
        }
    }
    moveTo(s.startKnown && s.holds(s.first) ? s.first : -1);
    m_bof = true;
    m_eof = m_cur < 0;
}

void TDataSet::Last() {
    checkActive();
    CheckBrowseMode();
    db::RowStore &s = *m_store;
    checkStale();
    if (!(s.endKnown && (s.end == RowsBegin() || s.holds(s.end - 1)))) {
        if (pinned()) {
            while (readForward(Batch) > 0) {
            }
        } else {
            const bool renumbered = !(s.startKnown && s.endKnown);
            loadEnd();
            if (renumbered && !m_disableCount) emit dataChanged();
        }
    }
    moveTo(s.endKnown && s.holds(s.end - 1) ? s.end - 1 : -1);
    m_eof = true;
    m_bof = m_cur < 0;
}

void TDataSet::Next() {
    checkActive();
    CheckBrowseMode();
    if (m_cur >= 0 && rowAt(m_cur + 1)) {
        moveTo(m_cur + 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
}

void TDataSet::Prior() {
    checkActive();
    CheckBrowseMode();
    if (m_cur >= 0 && rowAt(m_cur - 1)) {
        moveTo(m_cur - 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

int TDataSet::MoveBy(int distance) {
    int moved = 0;
    while (distance > 0 && !Eof()) {
        const int before = m_cur;
        Next();
        if (m_cur != before) ++moved;
        --distance;
    }
    while (distance < 0 && !Bof()) {
        const int before = m_cur;
        Prior();
        if (m_cur != before) --moved;
        ++distance;
    }
    return moved;
}

void TDataSet::SetRecNo(int row) {
    checkActive();
    CheckBrowseMode();
    if (row < 0) return;
    anchor();
    const int number = m_store->first + row;
    if (!rowAt(number)) return;
    moveTo(number);
    m_bof = row == 0;
    m_eof = false;
}

void TDataSet::SetCursorRow(int row) {
    checkActive();
    if (editing()) {
        // The number is the row's as the caller saw it. Storing the row being edited may
        // move it to its place in the order, and dropping an untouched new row takes its
        // place away: the rows between are numbered anew, so the row is found again.
        const db::RowPtr target = m_store->holds(row) ? m_store->at(row) : nullptr;
        CheckBrowseMode();
        if (target) {
            row = numberOfHeld(*target);
            if (row < 0) {
                GotoRowId(target->rowid);
                return;
            }
        }
    }
    if (row == m_cur || !rowAt(row)) return;
    moveTo(row);
    m_bof = m_store->startKnown && row == m_store->first;
    m_eof = false;
}

// The number of a row of the window: that very row, or one read anew with its identity;
// -1 when the window holds neither.
int TDataSet::numberOfHeld(const db::Row &row) const {
    const db::RowStore &s = *m_store;
    for (int number = s.begin; number < s.windowEnd(); ++number)
        if (s.at(number).get() == &row) return number;
    if (row.rowid == 0 || !m_source->keyed) return -1;
    for (int number = s.begin; number < s.windowEnd(); ++number)
        if (s.at(number)->rowid == row.rowid) return number;
    return -1;
}

TUpdateStatus TDataSet::UpdateStatus() const {
    return m_curRow ? m_curRow->status : TUpdateStatus::usUnmodified;
}

// ---- TDataSet: editing -----------------------------------------------------------------------

bool TDataSet::CanModify() const { return !ReadOnly && (CachedUpdates || writesDirectly()); }

void TDataSet::checkCanModify() const {
    if (!CanModify())
        throw EDatabaseError(
            QStringLiteral("Невозможно изменить набор данных «%1»: он открыт только для чтения").arg(Name()));
}

void TDataSet::beginInsert(bool append) {
    checkActive();
    CheckBrowseMode();
    checkCanModify();
    if (BeforeInsert) BeforeInsert(this);
    db::RowStore &s = *m_store;
    int at;
    if (append) {
        // A new row goes after the last.
        checkStale();
        if (!(s.endKnown && s.windowEnd() == s.end)) {
            if (pinned()) {
                while (readForward(Batch) > 0) {
                }
            } else {
                loadEnd();
            }
        }
        at = s.windowEnd();
    } else {
        if (m_cur >= 0 && !s.holds(m_cur)) loadAt(m_cur);
        at = m_cur >= 0 && s.holds(m_cur) ? m_cur : (s.rows.empty() ? RowsBegin() : s.begin);
    }
    auto row = std::make_shared<Row>();
    const size_t columns = m_store->columnNames.size();
    row->data = RowCodec::fromValues(std::vector<QVariant>(columns));
    row->local = true;
    if (s.rows.empty()) s.begin = at;
    s.shiftFrom(at, 1);
    s.rows.insert(s.rows.begin() + (at - s.begin), row);
    if (s.spanEnd <= s.spanBegin) {
        s.spanBegin = at;
        s.spanEnd = at + 1;
    }
    m_insertedAt = at;
    m_cur = at;
    m_curRow = row;
    m_editValues.assign(columns, QVariant());
    m_editCalcValid = false;
    m_state = TDataSetState::dsInsert;
    m_bof = m_eof = false;
    if (!m_disableCount) emit dataChanged();
    if (!m_disableCount) emit scrolled();
    if (!m_disableCount) emit stateChanged();
    applyMasterValues();
    if (OnNewRecord) OnNewRecord(this);
    m_modified = false;
    if (AfterInsert) AfterInsert(this);
}

void TDataSet::Append() { beginInsert(true); }
void TDataSet::Insert() { beginInsert(false); }

void TDataSet::Edit() {
    checkActive();
    if (editing()) return;
    if (IsEmpty()) {
        Append();
        return;
    }
    checkCanModify();
    if (BeforeEdit) BeforeEdit(this);
    if (!m_curRow) setCursor(m_cur);
    m_editValues = RowCodec::values(m_curRow->data);
    m_editValues.resize(m_store->columnNames.size());
    m_editCalcValid = false;
    m_state = TDataSetState::dsEdit;
    m_modified = false;
    if (!m_disableCount) emit stateChanged();
    if (AfterEdit) AfterEdit(this);
}

void TDataSet::UpdateRecord() {
    if (!editing()) return;
    emit updateRecordRequested();
}

void TDataSet::CheckBrowseMode() {
    if (!Active() || !editing()) return;
    UpdateRecord();
    if (m_modified)
        Post();
    else
        Cancel();
}

void TDataSet::Post() {
    checkActive();
    if (!editing()) return;
    UpdateRecord();
    if (BeforePost) BeforePost(this);
    const db::RowPtr held = m_curRow;
    Row &row = *held;
    const QByteArray newData = RowCodec::fromValues(m_editValues);
    const bool inserting = m_state == TDataSetState::dsInsert;
    if (CachedUpdates) {
        notePending(held);
        // Changes that never reach a table keep the rows as they are until closing.
        if (!writesToSource()) m_buffer = true;
        if (inserting) {
            row.data = newData;
            row.status = TUpdateStatus::usInserted;
            row.applied = false;
        } else {
            if (row.status == TUpdateStatus::usUnmodified || (row.applied && !row.appliedInTxn)) {
                if (!row.hasOld) {
                    row.old = row.data;
                    row.hasOld = true;
                }
                row.status = TUpdateStatus::usModified;
                row.applied = false;
            } else if (row.applied) {
                row.status = TUpdateStatus::usModified;
                row.applied = false;
            }
            row.data = newData;
        }
    } else if (inserting) {
        writeInsert(row, newData);
        row.local = false;
    } else {
        writeUpdate(row, newData);
    }
    row.calcValid = false;
    m_state = TDataSetState::dsBrowse;
    m_modified = false;
    m_insertedAt = -1;
    m_editValues.clear();
    m_editCalcValid = false;
    if (!CachedUpdates) {
        m_generation = db::Database::DataGeneration();
        placePostedRow();
    }
    if (!m_disableCount) emit stateChanged();
    if (!m_disableCount) {
        if (inserting)
            emit dataChanged();
        else
            emit recordChanged(nullptr);
    }
    if (AfterPost) AfterPost(this);
}

void TDataSet::Cancel() {
    if (!Active() || !editing()) return;
    if (BeforeCancel) BeforeCancel(this);
    const bool inserting = m_state == TDataSetState::dsInsert;
    m_state = TDataSetState::dsBrowse;
    m_modified = false;
    m_editValues.clear();
    m_editCalcValid = false;
    db::RowStore &s = *m_store;
    if (inserting && m_insertedAt >= 0 && s.holds(m_insertedAt)) {
        forgetPending(s.at(m_insertedAt).get());
        s.rows.erase(s.rows.begin() + (m_insertedAt - s.begin));
        s.shiftFrom(m_insertedAt, -1);
        const int at = m_insertedAt;
        m_insertedAt = -1;
        setCursor(at);
        if (m_cur < 0 && at > RowsBegin()) setCursor(at - 1);
    }
    m_insertedAt = -1;
    m_eof = m_cur < 0;
    if (!m_disableCount) emit stateChanged();
    if (inserting) {
        if (!m_disableCount) emit dataChanged();
        if (!m_disableCount) emit scrolled();
    } else {
        if (!m_disableCount) emit recordChanged(nullptr);
    }
    if (AfterCancel) AfterCancel(this);
}

void TDataSet::Delete() {
    checkActive();
    if (m_state == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (m_state == TDataSetState::dsEdit) Cancel();
    if (IsEmpty())
        throw EDatabaseError(QStringLiteral("Невозможно выполнить операцию: набор данных «%1» пуст").arg(Name()));
    checkCanModify();
    if (BeforeDelete) BeforeDelete(this);
    if (BeforeScroll) BeforeScroll(this);
    db::RowStore &s = *m_store;
    const db::RowPtr row = m_curRow;
    if (CachedUpdates) {
        forgetPending(row.get());
        if (!(row->status == TUpdateStatus::usInserted && !row->applied)) {
            row->status = TUpdateStatus::usDeleted;
            row->applied = false;
            m_deleted.push_back(row);
        }
    } else {
        writeDelete(*row);
        m_generation = db::Database::DataGeneration();
    }
    const int at = m_cur;
    if (s.holds(at) && s.at(at) == row)
        s.rows.erase(s.rows.begin() + (at - s.begin));
    else if (at < s.begin)
        --s.begin;
    s.shiftFrom(at, -1);
    m_curRow.reset();
    setCursor(at);
    if (m_cur < 0 && at > RowsBegin()) setCursor(at - 1);
    m_eof = m_cur < 0;
    m_bof = m_cur < 0 || (s.startKnown && m_cur <= s.first);
    if (!m_disableCount) emit dataChanged();
    if (!m_disableCount) emit scrolled();
    if (AfterDelete) AfterDelete(this);
    if (AfterScroll) AfterScroll(this);
}

// The current row, just written with a new key, moves among the rows of the window to
// where the order puts it; outside the window the window moves to it.
void TDataSet::relocateCurrentRow() {
    db::RowStore &s = *m_store;
    const db::RowPtr row = m_curRow;
    if (!row || !m_source->keyed) return;
    row->key = m_source->keyOf(*row, s.columnNames);
    if (row->key.isEmpty()) return;
    const int old = m_cur;
    auto moveAway = [&] {
        m_cur = -1;
        m_curRow.reset();
        loadAroundKey(row->key);
        if (!m_disableCount) emit dataChanged();
        if (!m_disableCount) emit scrolled();
    };
    if (!s.holds(old) || s.at(old) != row) {
        moveAway();
        return;
    }
    s.rows.erase(s.rows.begin() + (old - s.begin));
    s.shiftFrom(old, -1);
    size_t place = 0;
    while (place < s.rows.size() &&
           (s.rows[place]->key.isEmpty() || m_source->compareKeys(s.rows[place]->key, row->key) < 0))
        ++place;
    const bool atStart = s.startKnown && s.begin == s.first;
    const bool atEnd = s.endKnown && s.windowEnd() == s.end;
    if ((place == 0 && !atStart && !s.rows.empty()) ||
        (place == s.rows.size() && !atEnd && !s.rows.empty())) {
        moveAway();
        return;
    }
    const int number = s.begin + int(place);
    s.shiftFrom(number, 1);
    s.rows.insert(s.rows.begin() + long(place), row);
    m_cur = number;
    if (number != old && !m_disableCount) emit scrolled();
}

bool TDataSet::moveToFirstWhere(const QString &condition, const QVariantList &binds) {
    checkActive();
    CheckBrowseMode();
    db::RowStore &s = *m_store;
    const db::RowSource &src = *m_source;
    if (!src.keyed) return false;
    db::StatementPtr stmt =
        src.open(db::RowSource::Seek::Start, {}, 0, filtering() ? 0 : 1, condition, binds);
    Row found;
    bool got = false;
    while (src.next(stmt.get(), found, int(s.columnNames.size())))
        if (!filtering() || passesFilter(found)) {
            got = true;
            break;
        }
    stmt.reset();
    if (!got) return false;
    // Onto the row when the window holds it.
    auto standOnHeld = [&] {
        for (int number = s.begin; number < s.windowEnd(); ++number)
            if (s.at(number)->rowid == found.rowid) {
                moveTo(number);
                m_bof = m_eof = false;
                return true;
            }
        return false;
    };
    if (standOnHeld()) return true;
    if (pinned()) {
        loadAll();
        return standOnHeld();
    }
    if (BeforeScroll) BeforeScroll(this);
    loadAroundKey(found.key);
    if (!m_disableCount) emit dataChanged();
    if (!m_disableCount) emit scrolled();
    if (AfterScroll) AfterScroll(this);
    m_bof = m_eof = false;
    return true;
}

// ---- TDataSet: cached updates -------------------------------------------------------------

void TDataSet::ApplyUpdates() {
    checkActive();
    CheckBrowseMode();
    if (!CachedUpdates) return;
    db::TTransaction transaction;
    for (auto &row : m_deleted)
        if (!row->applied) {
            applyRow(*row);
            markApplied(*row);
        }
    // Only the rows changed since the last commit: a register may hold 100 000.
    for (const db::RowPtr &pending : std::vector<db::RowPtr>(m_pendingRows)) {
        Row &row = *pending;
        if (row.status == TUpdateStatus::usUnmodified || row.applied) continue;
        row.beforeApply = row.data;
        applyRow(row);
        markApplied(row);
        if (row.status == TUpdateStatus::usInserted && m_source->keyed)
            row.key = m_source->keyOf(row, m_store->columnNames);
        row.calcValid = false;
    }
    transaction.Commit();
    m_generation = db::Database::DataGeneration();
    if (!m_disableCount) emit recordChanged(nullptr);
}

void TDataSet::markApplied(Row &row) {
    row.applied = true;
    row.appliedInTxn = true;
    db::Database::noteAppliedInTransaction(this);
}

void TDataSet::CommitUpdates() {
    if (db::Database::InTransaction()) {
        // The writes may still be rolled back: the cache is cleared when they commit.
        m_commitDeferred = true;
        db::Database::noteAppliedInTransaction(this);
        return;
    }
    commitCache();
}

void TDataSet::commitCache() {
    m_commitDeferred = false;
    for (const auto &row : m_pendingRows) {
        row->status = TUpdateStatus::usUnmodified;
        row->applied = false;
        row->appliedInTxn = false;
        row->hasOld = false;
        row->old.clear();
        row->beforeApply.clear();
        if (writesToSource()) row->local = false;
    }
    m_pendingRows.clear();
    m_deleted.clear();
}

void TDataSet::CancelUpdates() {
    Cancel();
    db::RowStore &s = *m_store;
    for (const auto &row : m_pendingRows)
        if (row->status == TUpdateStatus::usModified && row->hasOld) {
            row->data = row->old;
            row->calcValid = false;
        }
    const db::RowPtr current = m_curRow;
    // Rows added in the cache go; the pending list forgets them before they are freed.
    std::vector<const Row *> inserted;
    for (const auto &row : m_pendingRows)
        if (row->status == TUpdateStatus::usInserted) inserted.push_back(row.get());
    std::erase_if(m_pendingRows,
                  [](const db::RowPtr &row) { return row->status == TUpdateStatus::usInserted; });
    for (int number = s.windowEnd() - 1; number >= s.begin; --number) {
        if (std::find(inserted.begin(), inserted.end(), s.at(number).get()) == inserted.end()) continue;
        s.rows.erase(s.rows.begin() + (number - s.begin));
        s.shiftFrom(number, -1);
    }
    for (auto &row : m_deleted) {
        row->data = row->hasOld ? row->old : row->data;
        const int at = s.windowEnd();
        s.shiftFrom(at, 1);
        s.rows.push_back(row);
    }
    commitCache();
    // Back on the row it stood on when it is still there, else within the rows.
    int at = -1;
    for (int number = s.begin; number < s.windowEnd() && at < 0; ++number)
        if (s.at(number) == current) at = number;
    if (at < 0) at = std::min(m_cur, s.windowEnd() - 1);
    if (at < s.begin) at = s.rows.empty() ? -1 : s.begin;
    setCursor(at);
    if (!m_disableCount) emit dataChanged();
}

bool TDataSet::UpdatesPending() const {
    if (!m_deleted.empty()) return true;
    for (const auto &row : m_pendingRows)
        if (row->status != TUpdateStatus::usUnmodified) return true;
    return false;
}

void TDataSet::notePending(const db::RowPtr &row) {
    if (std::find(m_pendingRows.begin(), m_pendingRows.end(), row) == m_pendingRows.end())
        m_pendingRows.push_back(row);
}

void TDataSet::forgetPending(const Row *row) {
    std::erase_if(m_pendingRows, [row](const db::RowPtr &pending) { return pending.get() == row; });
}

void TDataSet::transactionRolledBack() {
    m_commitDeferred = false;
    for (auto &row : m_deleted)
        if (row->appliedInTxn) row->applied = row->appliedInTxn = false;
    for (const auto &row : m_pendingRows)
        if (row->appliedInTxn) {
            row->applied = row->appliedInTxn = false;
            if (!row->beforeApply.isEmpty()) row->data = row->beforeApply; // the key it was given is gone
            row->calcValid = false;
        }
    if (!m_disableCount) emit recordChanged(nullptr);
}

void TDataSet::transactionCommitted() {
    for (auto &row : m_deleted) row->appliedInTxn = false;
    for (const auto &row : m_pendingRows)
        row->appliedInTxn = false;
    if (m_commitDeferred) commitCache();
}

// ---- TDataSet: search ------------------------------------------------------------------------

namespace {

bool sameValue(const TField *field, const QVariant &value, const QVariant &target, TLocateOptions options) {
    if (target.isNull() || (target.typeId() == QMetaType::QString && target.toString().isEmpty() &&
                            !db::IsTextType(field->DataType())))
        return value.isNull();
    if (db::IsTextType(field->DataType()) || field->DataType() == TFieldType::ftUnknown) {
        const QString s = value.toString();
        const QString t = target.toString();
        const Qt::CaseSensitivity cs =
            (options & int(TLocateOption::loCaseInsensitive)) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (options & int(TLocateOption::loPartialKey)) return s.startsWith(t, cs);
        return s.compare(t, cs) == 0;
    }
    if (value.isNull()) return false;
    try {
        const QVariant stored = db::ToStorage(field->DataType(), field->Size(), target);
        return db::FromStorage(field->DataType(), stored) == value;
    } catch (const EConvertError &) {
        return false;
    }
}

QRegularExpression plainName() {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return name;
}

} // namespace

// The first row, in order, whose fields match: its number in the window (the window
// moves to it; -1 when none matches). With `found` set the window stays where it is
// and the row is handed back instead (Lookup).
int TDataSet::findRow(const QString &fields, const QVariant &values, TLocateOptions options,
                      db::RowPtr *found) {
    checkActive();
    const QStringList names = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    std::vector<TField *> keyFields;
    for (const QString &n : names) keyFields.push_back(FieldByName(n.trimmed()));
    QVariantList targets;
    if (keyFields.size() > 1)
        targets = values.toList();
    else
        targets << values;
    if (targets.size() != int(keyFields.size()))
        throw EDatabaseError(QStringLiteral("Число значений не совпадает с числом полей поиска"));
    auto matches = [&](const Row &row) {
        ProbeScope scope(this, &row, m_activeRow, m_probe);
        bool match = true;
        for (size_t i = 0; match && i < keyFields.size(); ++i) {
            m_readingStored = true;
            const QVariant v = keyFields[i]->Value();
            m_readingStored = false;
            match = sameValue(keyFields[i], v, targets[int(i)], options);
        }
        return match;
    };
    db::RowStore &s = *m_store;
    if (pinned() && !s.complete()) loadAll();
    // The first matching row held in the window, handed back when asked for.
    auto inWindow = [&]() -> int {
        for (int number = s.begin; number < s.windowEnd(); ++number) {
            if (m_state == TDataSetState::dsInsert && number == m_insertedAt) continue;
            if (!matches(*s.at(number))) continue;
            if (found) *found = s.at(number);
            return number;
        }
        return -1;
    };
    if (s.complete()) return inWindow();
    // Not every row is at hand: the source is searched from its first row. Plain equal
    // values of stored columns are left to SQLite; each row it offers is checked here.
    const db::RowSource &src = *m_source;
    QStringList conditions;
    QVariantList binds;
    bool pushDown = src.keyed && options == 0 && src.columns.trimmed() == QLatin1String("*");
    for (size_t i = 0; pushDown && i < keyFields.size(); ++i) {
        const TField *f = keyFields[i];
        const QString column = f->m_column >= 0 ? s.columnNames[size_t(f->m_column)] : QString();
        if (f->FieldKind() != TFieldKind::fkData || !plainName().match(column).hasMatch()) {
            pushDown = false;
            break;
        }
        const QVariant &target = targets[int(i)];
        QVariant stored;
        if (db::IsTextType(f->DataType())) {
            stored = target.isNull() ? QVariant() : QVariant(target.toString());
        } else {
            try {
                stored = db::ToStorage(f->DataType(), f->Size(), target);
            } catch (const EConvertError &) {
                return -1; // no stored value can equal it
            }
        }
        if (stored.isNull() || (stored.typeId() == QMetaType::QString && stored.toString().isEmpty())) {
            conditions << (db::IsTextType(f->DataType()) && !target.isNull()
                               ? QStringLiteral("(%1 IS NULL OR %1 = '')").arg(column)
                               : column + QStringLiteral(" IS NULL"));
        } else {
            conditions << QStringLiteral("%1 = :orbek_x%2").arg(column).arg(binds.size());
            binds << stored;
        }
    }
    db::StatementPtr stmt = pushDown ? src.open(db::RowSource::Seek::Start, {}, 0, 0,
                                                conditions.join(QStringLiteral(" AND ")), binds)
                                     : src.open(db::RowSource::Seek::Start);
    const int columns = int(s.columnNames.size());
    qint64 position = 0;
    auto hit = std::make_shared<Row>();
    bool got = false;
    while (src.next(stmt.get(), *hit, columns)) {
        hit->calcValid = false;
        if (filtering() && !passesFilter(*hit)) continue;
        if (matches(*hit)) {
            got = true;
            break;
        }
        ++position;
    }
    stmt.reset();
    if (!got) {
        // A row held here that the source does not list (one added outside the
        // query's conditions, kept on show after it was written) is still a row.
        return inWindow();
    }
    if (found) {
        *found = hit;
        return 0;
    }
    for (int number = s.begin; number < s.windowEnd(); ++number)
        if (src.keyed ? s.at(number)->rowid == hit->rowid : number - s.first == position) return number;
    if (!pushDown && s.startKnown) {
        const int number = s.first + int(position);
        loadAt(number);
        return s.holds(number) ? number : -1;
    }
    if (!src.keyed) return -1;
    // The numbering changed: the cursor is where the search put it until moved on.
    loadAroundKey(hit->key);
    const int number = m_cur;
    if (!m_disableCount) emit dataChanged();
    return number;
}

qint64 TDataSet::RowId() const {
    if (!Active() || m_cur < 0 || !m_source->keyed) return 0;
    const db::RowPtr row = m_curRow ? m_curRow : (m_store->holds(m_cur) ? m_store->at(m_cur) : nullptr);
    return row && !(m_state == TDataSetState::dsInsert && m_cur == m_insertedAt) ? row->rowid : 0;
}

bool TDataSet::GotoRowId(qint64 rowId) {
    checkActive();
    if (rowId == 0 || !m_source->keyed) return false;
    if (RowId() == rowId) return true;
    return moveToFirstWhere(m_source->rowid + QStringLiteral(" = :orbek_x0"), {rowId});
}

std::vector<TDataSet::ColumnInfo> TDataSet::cloneCursorOf(const TDataSet &other) {
    other.checkActive();
    db::RowSource &src = *m_source;
    src = *other.m_source;
    // The source's first statement is its own; the clone runs its reads anew.
    src.primed.reset();
    src.primedHasRow = false;
    // A query binds its parameters as they are when a read runs: a clone whose source
    // is gone has nothing to bind and says so rather than read freed memory.
    QPointer<const TDataSet> guard(&other);
    src.bind = [bind = other.m_source->bind, guard](sqlite3_stmt *stmt) {
        if (!guard) throw EDatabaseError(QStringLiteral("Набор данных, копию которого читают, закрыт"));
        if (bind) bind(stmt);
    };
    std::vector<ColumnInfo> columns;
    const db::RowStore &from = *other.m_store;
    for (size_t c = 0; c < from.columnNames.size(); ++c) {
        ColumnInfo info;
        info.name = from.columnNames[c];
        if (c < other.m_columnTypes.size()) info.type = other.m_columnTypes[c];
        if (const TField *f = other.FindField(info.name); f && f->FieldKind() == TFieldKind::fkData)
            info.size = f->Size();
        columns.push_back(info);
    }
    return columns;
}

bool TDataSet::Locate(const QString &fields, const QVariant &values, TLocateOptions options) {
    checkActive();
    CheckBrowseMode();
    const int row = findRow(fields, values, options, nullptr);
    if (row < 0) return false;
    moveTo(row);
    m_bof = m_eof = false;
    return true;
}

QVariant TDataSet::Lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields) {
    if (!Active()) return QVariant();
    db::RowPtr found;
    if (findRow(keyFields, keyValues, 0, &found) < 0 || !found) return QVariant();
    ProbeScope scope(this, found.get(), m_activeRow, m_probe);
    const QStringList names = resultFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (names.size() == 1) return FieldByName(names[0].trimmed())->Value();
    QVariantList out;
    for (const QString &n : names) out << FieldByName(n.trimmed())->Value();
    return out;
}

// ---- TDataSet: master-detail -------------------------------------------------------------

void TDataSet::SetMasterSource(TDataSource *master, const QString &masterFields) {
    if (m_masterConnection) QObject::disconnect(m_masterConnection);
    if (m_masterStateConnection) QObject::disconnect(m_masterStateConnection);
    m_masterSource = master;
    m_masterFields = masterFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString &f : m_masterFields) f = f.trimmed();
    if (!master) return;
    auto follow = [this] {
        if (Active() && !editing()) masterChanged();
    };
    m_masterConnection = QObject::connect(master, &TDataSource::scrolled, this, follow);
    m_masterStateConnection = QObject::connect(master, &TDataSource::dataSetChanged, this, follow);
    if (Active()) masterChanged();
}

QVariantList TDataSet::masterValues() const {
    QVariantList out;
    TDataSet *master = m_masterSource ? m_masterSource->DataSet() : nullptr;
    for (const QString &f : m_masterFields)
        out << (master && master->Active() ? master->FieldByName(f)->Value() : QVariant());
    return out;
}

void TDataSet::applyMasterValues() {
    if (!m_masterSource || m_masterFields.isEmpty()) return;
    const QStringList targets = masterDetailFields();
    const QVariantList values = masterValues();
    for (int i = 0; i < targets.size() && i < values.size(); ++i)
        if (TField *f = FindField(targets[i])) f->SetValue(values[i]);
}

QStringList TDataSet::masterDetailFields() const { return m_masterFields; }

// ---- ActiveRowScope, TDataSource ------------------------------------------------------------

ActiveRowScope::ActiveRowScope(const TDataSet *dataSet, int row)
    : m_dataSet(const_cast<TDataSet *>(dataSet)), m_saved(dataSet->m_activeRow),
      m_savedProbe(dataSet->m_probe) {
    m_dataSet->m_activeRow = row;
    m_dataSet->m_probe = nullptr;
}

ActiveRowScope::~ActiveRowScope() {
    m_dataSet->m_activeRow = m_saved;
    m_dataSet->m_probe = m_savedProbe;
}

TDataSource::TDataSource(QObject *owner, TDataSet *dataSet) : QObject(owner) { SetDataSet(dataSet); }

void TDataSource::SetDataSet(TDataSet *dataSet) {
    for (auto &c : m_connections) QObject::disconnect(c);
    m_connections.clear();
    m_dataSet = dataSet;
    if (dataSet) {
        m_connections.push_back(connect(dataSet, &TDataSet::dataChanged, this, &TDataSource::dataSetChanged));
        m_connections.push_back(connect(dataSet, &TDataSet::stateChanged, this, &TDataSource::stateChanged));
        m_connections.push_back(connect(dataSet, &TDataSet::recordChanged, this, &TDataSource::recordChanged));
        m_connections.push_back(connect(dataSet, &TDataSet::scrolled, this, &TDataSource::scrolled));
        m_connections.push_back(
            connect(dataSet, &TDataSet::rowsRenumbered, this, &TDataSource::rowsRenumbered));
        m_connections.push_back(
            connect(dataSet, &TDataSet::updateRecordRequested, this, &TDataSource::updateData));
        m_connections.push_back(connect(dataSet, &QObject::destroyed, this, [this] {
            m_dataSet = nullptr;
            m_connections.clear();
        }));
    }
    emit dataSetChanged();
}
