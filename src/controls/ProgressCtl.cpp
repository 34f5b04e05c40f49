#include "controls/ProgressCtl.h"

#include <QHash>
#include <QMetaProperty>
#include <QMutex>
#include <QSet>
#include <QThread>

void TProgressList::Add(const QMetaObject *controlClass, const char *maxName, const char *minName,
                        const char *positionName) {
    m_entries.push_back({controlClass, maxName, minName, positionName});
}

const TProgressList::Entry *TProgressList::Find(const QObject *control) const {
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        if (control->metaObject()->inherits(it->controlClass)) return &*it;
    return nullptr;
}

TProgressList &ProgressControlList() {
    static TProgressList list = [] {
        TProgressList made;
        made.Add(&TProgressBar::staticMetaObject, "Max", "Min", "Position");
        made.Add(&TGauge::staticMetaObject, "MaxValue", "MinValue", "Progress");
        return made;
    }();
    return list;
}

namespace {

enum class Kind { Max, Min, Position };

// Values written from a worker thread wait here for the control's thread: one pending
// value per control and property, written together when that thread gets to them.
struct Handover {
    QMutex mutex;
    QHash<QObject *, QList<QPair<QMetaProperty, QVariant>>> pending;
    QSet<QObject *> watched; // controls whose destruction drops their pending values
};

Handover &handover() {
    static Handover h;
    return h;
}

void writePending(QObject *control) {
    QList<QPair<QMetaProperty, QVariant>> values;
    {
        QMutexLocker lock(&handover().mutex);
        values = handover().pending.take(control);
    }
    for (const auto &[property, value] : values)
        property.write(control, value);
}

void handOver(QObject *control, const QMetaProperty &property, const QVariant &value) {
    Handover &h = handover();
    QMutexLocker lock(&h.mutex);
    auto it = h.pending.find(control);
    if (it != h.pending.end()) {
        for (auto &entry : *it)
            if (entry.first.propertyIndex() == property.propertyIndex()) {
                entry.second = value;
                return;
            }
        it->append({property, value});
        return;
    }
    h.pending.insert(control, {{property, value}});
    if (!h.watched.contains(control)) {
        h.watched.insert(control);
        QObject::connect(control, &QObject::destroyed, [control] {
            QMutexLocker gone(&handover().mutex);
            handover().pending.remove(control);
            handover().watched.remove(control);
        });
    }
    QMetaObject::invokeMethod(
        control, [control] { writePending(control); }, Qt::QueuedConnection);
}

bool progressSet(QObject *control, Kind kind, int value) {
    if (!control) return false;
    const TProgressList::Entry *entry = ProgressControlList().Find(control);
    if (!entry) return false;
    const QByteArray &name = kind == Kind::Max   ? entry->maxName
                             : kind == Kind::Min ? entry->minName
                                                 : entry->positionName;
    const QMetaObject *meta = control->metaObject();
    const int index = meta->indexOfProperty(name.constData());
    if (index < 0) return false;
    const QMetaProperty property = meta->property(index);
    QVariant written;
    switch (property.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        written = QVariant(value);
        break;
    // A fractional or variant property takes the value as a number.
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::QVariant:
        written = QVariant(double(value));
        break;
    default:
        return false;
    }
    if (!property.isWritable()) return false;
    if (QThread::currentThread() != control->thread())
        handOver(control, property, written);
    else
        property.write(control, written);
    return true;
}

} // namespace

bool ProgressSetMax(QObject *control, int value) {
    return progressSet(control, Kind::Max, value);
}
bool ProgressSetMin(QObject *control, int value) {
    return progressSet(control, Kind::Min, value);
}
bool ProgressSetPosition(QObject *control, int value) {
    return progressSet(control, Kind::Position, value);
}
