#include "db/DataSet.h"

#include "db/Database.h"
#include "db/FilterExpr.h"
#include "db/Formats.h"
#include "db/RowStore.h"

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
            const QDate d = QDate::fromString(stored.toString().left(10), Qt::ISODate);
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
    case TFieldType::ftCurrency: // money: no more than the printed forms hold
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

TDataSet::TDataSet(QObject *owner) : QObject(owner), m_store(std::make_unique<db::RowStore>()) {
    db::Database::registerDataSet(this);
}

TDataSet::~TDataSet() { db::Database::unregisterDataSet(this); }

db::RowStore &TDataSet::store() { return *m_store; }

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
    for (const auto &f : m_fields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f.get();
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

bool TDataSet::editing() const {
    return m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert;
}

bool TDataSet::readsEditBuffer() const {
    return editing() && (m_activeRow < 0 || m_activeRow == m_cur) && !m_readingStored;
}

QVariant TDataSet::storedCell(const TField *field) const {
    if (readsEditBuffer()) return m_editValues[size_t(field->m_column)];
    const int row = ActiveRow();
    if (row < 0 || row >= m_store->size()) return QVariant();
    return RowCodec::cell(m_store->at(row).data, field->m_column);
}

QVariant TDataSet::fieldValue(const TField *field) const {
    if (m_state == TDataSetState::dsInactive) return QVariant();
    if (field->m_kind == TFieldKind::fkData) {
        if (field->m_column < 0) return QVariant();
        return db::FromStorage(field->m_type, storedCell(field));
    }
    const size_t slot = size_t(field->m_column);
    if (m_calcTarget) return slot < m_calcTarget->size() ? (*m_calcTarget)[slot] : QVariant();
    if (readsEditBuffer()) {
        if (!m_editCalcValid) {
            m_editCalcValid = true;
            computeCalc(m_editCalc, m_cur);
        }
        return slot < m_editCalc.size() ? m_editCalc[slot] : QVariant();
    }
    const int row = ActiveRow();
    if (row < 0 || row >= m_store->size()) return QVariant();
    const_cast<TDataSet *>(this)->ensureCalc(row);
    const Row &r = m_store->at(row);
    return slot < r.calc.size() ? r.calc[slot] : QVariant();
}

QVariant TDataSet::fieldOldValue(const TField *field) const {
    if (field->m_kind != TFieldKind::fkData || m_state == TDataSetState::dsInactive) return QVariant();
    const int row = ActiveRow();
    if (row < 0 || row >= m_store->size()) return QVariant();
    return db::FromStorage(field->m_type, m_store->at(row).oldCell(field->m_column));
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
            computeCalc(m_editCalc, m_cur);
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

void TDataSet::ensureCalc(int row) {
    if (m_calcCount == 0) return;
    Row &r = m_store->at(row);
    if (r.calcValid) return;
    r.calcValid = true; // set first: a hook reading its own row must not recurse
    computeCalc(r.calc, row);
}

void TDataSet::computeCalc(std::vector<QVariant> &target, int row) const {
    target.assign(size_t(m_calcCount), QVariant());
    if (m_calcCount == 0) return;
    TDataSet *self = const_cast<TDataSet *>(this);
    const int savedActive = m_activeRow;
    std::vector<QVariant> *savedTarget = m_calcTarget;
    self->m_activeRow = row;
    self->m_calcTarget = &target;
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
        self->m_activeRow = savedActive;
        self->m_calcTarget = savedTarget;
        throw;
    }
    self->m_activeRow = savedActive;
    self->m_calcTarget = savedTarget;
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
    try {
        FetchMore(1);
    } catch (...) {
        closeCursor();
        m_store->clear();
        m_state = TDataSetState::dsInactive;
        throw;
    }
    m_cur = m_store->size() > 0 ? 0 : -1;
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
    closeCursor();
    m_store->clear();
    m_pendingRows.clear();
    m_deleted.clear();
    m_state = TDataSetState::dsInactive;
    m_cur = -1;
    m_activeRow = -1;
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
    const int cur = m_cur;
    const qint64 rowid = cur >= 0 ? m_store->at(cur).rowid : 0;
    reread([&](const Row &r) { return rowid != 0 && r.rowid == rowid; }, cur);
}

void TDataSet::reread(const std::function<bool(const Row &)> &isSameRow, int fallback) {
    closeCursor();
    m_store->clear();
    m_pendingRows.clear();
    m_deleted.clear();
    bindFields(openCursor());
    int found = -1;
    for (int i = 0; found < 0; ++i) {
        FetchMore(i + 1);
        if (i >= m_store->size()) break;
        if (isSameRow(m_store->at(i))) found = i;
    }
    if (found < 0) {
        FetchMore(fallback + 1);
        found = std::min(fallback, m_store->size() - 1);
    }
    m_cur = found;
    m_bof = m_cur <= 0;
    m_eof = m_cur < 0;
    if (!m_disableCount) emit dataChanged();
    if (!m_disableCount) emit scrolled();
}

// ---- TDataSet: fetching --------------------------------------------------------------------

int TDataSet::FetchedRowCount() const { return m_store->size(); }
bool TDataSet::AllRowsFetched() const { return m_store->complete; }

void TDataSet::FetchMore(int atLeast) {
    if (!Active() && m_state != TDataSetState::dsInactive) return;
    while (m_store->size() < atLeast && !m_store->complete) {
        const int want = std::max(256, atLeast - m_store->size());
        if (!fetchRows(want)) m_store->complete = true;
    }
}

void TDataSet::FetchAll() {
    while (!m_store->complete)
        if (!fetchRows(4096)) m_store->complete = true;
}

void TDataSet::appendFetchedRow(Row &&row) {
    m_store->rows.push_back(std::make_unique<Row>(std::move(row)));
    if (!Filtered && !OnFilterRecord) return;
    if (!passesFilter(m_store->size() - 1)) m_store->rows.pop_back();
}

void TDataSet::SetFiltered(bool filtered) {
    Filtered = filtered;
    m_filterExpr.reset();
    if (Active()) Refresh();
}

bool TDataSet::passesFilter(int row) {
    ActiveRowScope scope(this, row);
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

void TDataSet::DisableControls() { ++m_disableCount; }

void TDataSet::EnableControls() {
    if (m_disableCount == 0 || --m_disableCount > 0) return;
    emit dataChanged();
    emit stateChanged();
    emit scrolled();
}

// ---- TDataSet: cursor ----------------------------------------------------------------------

bool TDataSet::IsEmpty() const {
    if (!Active()) return true;
    const_cast<TDataSet *>(this)->FetchMore(1);
    return m_store->size() == 0;
}

int TDataSet::RecordCount() {
    if (!Active()) return 0;
    FetchAll();
    return m_store->size() - (m_state == TDataSetState::dsInsert ? 1 : 0);
}

void TDataSet::moveTo(int row) {
    if (BeforeScroll) BeforeScroll(this);
    m_cur = row;
    if (!m_disableCount) emit scrolled();
    if (AfterScroll) AfterScroll(this);
}

void TDataSet::First() {
    checkActive();
    CheckBrowseMode();
    FetchMore(1);
    moveTo(m_store->size() > 0 ? 0 : -1);
    m_bof = true;
    m_eof = m_cur < 0;
}

void TDataSet::Last() {
    checkActive();
    CheckBrowseMode();
    FetchAll();
    moveTo(m_store->size() - 1);
    m_eof = true;
    m_bof = m_cur < 0;
}

void TDataSet::Next() {
    checkActive();
    CheckBrowseMode();
    FetchMore(m_cur + 2);
    if (m_cur + 1 < m_store->size()) {
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
    if (m_cur > 0) {
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
    FetchMore(row + 1);
    if (row < 0 || row >= m_store->size()) return;
    moveTo(row);
    m_bof = row == 0;
    m_eof = false;
}

TUpdateStatus TDataSet::UpdateStatus() const {
    if (m_cur < 0 || m_cur >= m_store->size()) return TUpdateStatus::usUnmodified;
    return m_store->at(m_cur).status;
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
    int at;
    if (append) {
        FetchAll();
        at = m_store->size();
    } else {
        at = m_cur < 0 ? 0 : m_cur;
    }
    auto row = std::make_unique<Row>();
    const size_t columns = m_store->columnNames.size();
    row->data = RowCodec::fromValues(std::vector<QVariant>(columns));
    m_store->rows.insert(m_store->rows.begin() + at, std::move(row));
    m_insertedAt = at;
    m_cur = at;
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
    m_editValues = RowCodec::values(m_store->at(m_cur).data);
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
    Row &row = m_store->at(m_cur);
    const QByteArray newData = RowCodec::fromValues(m_editValues);
    const bool inserting = m_state == TDataSetState::dsInsert;
    if (CachedUpdates) {
        notePending(row);
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
    } else {
        writeUpdate(row, newData);
    }
    row.calcValid = false;
    m_state = TDataSetState::dsBrowse;
    m_modified = false;
    m_insertedAt = -1;
    m_editValues.clear();
    m_editCalcValid = false;
    if (!CachedUpdates) placePostedRow();
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
    if (inserting && m_insertedAt >= 0 && m_insertedAt < m_store->size()) {
        forgetPending(&m_store->at(m_insertedAt));
        m_store->rows.erase(m_store->rows.begin() + m_insertedAt);
        m_cur = std::min(m_insertedAt, m_store->size() - 1);
        if (m_insertedAt >= m_store->size() && m_cur >= 0) m_cur = m_store->size() - 1;
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
    Row &row = m_store->at(m_cur);
    if (CachedUpdates) {
        forgetPending(&row);
        if (!(row.status == TUpdateStatus::usInserted && !row.applied)) {
            auto removed = std::move(m_store->rows[size_t(m_cur)]);
            removed->status = TUpdateStatus::usDeleted;
            removed->applied = false;
            m_deleted.push_back(std::move(removed));
        }
    } else {
        writeDelete(row);
    }
    m_store->rows.erase(m_store->rows.begin() + m_cur);
    FetchMore(m_cur + 1);
    if (m_cur >= m_store->size()) m_cur = m_store->size() - 1;
    m_eof = m_cur < 0;
    m_bof = m_cur <= 0;
    if (!m_disableCount) emit dataChanged();
    if (!m_disableCount) emit scrolled();
    if (AfterDelete) AfterDelete(this);
    if (AfterScroll) AfterScroll(this);
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
    for (Row *pending : std::vector<Row *>(m_pendingRows)) {
        Row &row = *pending;
        if (row.status == TUpdateStatus::usUnmodified || row.applied) continue;
        row.beforeApply = row.data;
        applyRow(row);
        markApplied(row);
        row.calcValid = false;
    }
    transaction.Commit();
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
    for (Row *row : m_pendingRows) {
        row->status = TUpdateStatus::usUnmodified;
        row->applied = false;
        row->appliedInTxn = false;
        row->hasOld = false;
        row->old.clear();
        row->beforeApply.clear();
    }
    m_pendingRows.clear();
    m_deleted.clear();
}

void TDataSet::CancelUpdates() {
    Cancel();
    for (Row *row : m_pendingRows)
        if (row->status == TUpdateStatus::usModified && row->hasOld) {
            row->data = row->old;
            row->calcValid = false;
        }
    auto inserted = [](const Row *row) { return row->status == TUpdateStatus::usInserted; };
    std::erase_if(m_pendingRows, inserted);
    std::erase_if(m_store->rows, [&](const auto &row) { return inserted(row.get()); });
    for (auto &row : m_deleted) {
        row->data = row->hasOld ? row->old : row->data;
        m_store->rows.push_back(std::move(row));
    }
    commitCache();
    if (m_cur >= m_store->size()) m_cur = m_store->size() - 1;
    if (!m_disableCount) emit dataChanged();
}

bool TDataSet::UpdatesPending() const {
    if (!m_deleted.empty()) return true;
    for (const Row *row : m_pendingRows)
        if (row->status != TUpdateStatus::usUnmodified) return true;
    return false;
}

void TDataSet::notePending(Row &row) {
    if (std::find(m_pendingRows.begin(), m_pendingRows.end(), &row) == m_pendingRows.end())
        m_pendingRows.push_back(&row);
}

void TDataSet::forgetPending(const Row *row) { std::erase(m_pendingRows, row); }

void TDataSet::transactionRolledBack() {
    m_commitDeferred = false;
    for (auto &row : m_deleted)
        if (row->appliedInTxn) row->applied = row->appliedInTxn = false;
    for (Row *row : m_pendingRows)
        if (row->appliedInTxn) {
            row->applied = row->appliedInTxn = false;
            if (!row->beforeApply.isEmpty()) row->data = row->beforeApply; // the key it was given is gone
            row->calcValid = false;
        }
    if (!m_disableCount) emit recordChanged(nullptr);
}

void TDataSet::transactionCommitted() {
    for (auto &row : m_deleted) row->appliedInTxn = false;
    for (Row *row : m_pendingRows) row->appliedInTxn = false;
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

} // namespace

int TDataSet::findRow(const QString &fields, const QVariant &values, TLocateOptions options) {
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
    for (int r = 0;; ++r) {
        FetchMore(r + 1);
        if (r >= m_store->size()) return -1;
        if (m_state == TDataSetState::dsInsert && r == m_insertedAt) continue;
        ActiveRowScope scope(this, r);
        bool match = true;
        for (size_t i = 0; match && i < keyFields.size(); ++i) {
            m_readingStored = true;
            const QVariant v = keyFields[i]->Value();
            m_readingStored = false;
            match = sameValue(keyFields[i], v, targets[int(i)], options);
        }
        if (match) return r;
    }
}

bool TDataSet::Locate(const QString &fields, const QVariant &values, TLocateOptions options) {
    checkActive();
    CheckBrowseMode();
    const int row = findRow(fields, values, options);
    if (row < 0) return false;
    moveTo(row);
    m_bof = m_eof = false;
    return true;
}

QVariant TDataSet::Lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields) {
    if (!Active()) return QVariant();
    const int row = findRow(keyFields, keyValues, 0);
    if (row < 0) return QVariant();
    ActiveRowScope scope(this, row);
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
    : m_dataSet(const_cast<TDataSet *>(dataSet)), m_saved(dataSet->m_activeRow) {
    m_dataSet->m_activeRow = row;
}

ActiveRowScope::~ActiveRowScope() { m_dataSet->m_activeRow = m_saved; }

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
            connect(dataSet, &TDataSet::updateRecordRequested, this, &TDataSource::updateData));
        m_connections.push_back(connect(dataSet, &QObject::destroyed, this, [this] {
            m_dataSet = nullptr;
            m_connections.clear();
        }));
    }
    emit dataSetChanged();
}
