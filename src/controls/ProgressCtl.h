#pragma once
// Progress controls driven by name. The file copy sets a control's maximum, minimum
// and position through the property names registered for the control's class, so any
// registered kind of control can show it. A value written from another thread than the
// control's is handed over to the control's thread; the latest value of each kind wins.
#include <QProgressBar>

#include <vector>

// A progress bar with the properties Max, Min and Position.
class TProgressBar : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(int Max READ maximum WRITE setMaximum)
    Q_PROPERTY(int Min READ minimum WRITE setMinimum)
    Q_PROPERTY(int Position READ value WRITE setValue)
  public:
    using QProgressBar::QProgressBar;
};

// A gauge with the properties MaxValue, MinValue and Progress.
class TGauge : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(int MaxValue READ maximum WRITE setMaximum)
    Q_PROPERTY(int MinValue READ minimum WRITE setMinimum)
    Q_PROPERTY(int Progress READ value WRITE setValue)
  public:
    using QProgressBar::QProgressBar;
};

// The registered kinds of progress control: for each class, the names of its maximum,
// minimum and position properties.
class TProgressList {
  public:
    struct Entry {
        const QMetaObject *controlClass;
        QByteArray maxName, minName, positionName;
    };
    void Add(const QMetaObject *controlClass, const char *maxName, const char *minName,
             const char *positionName);
    // The entry of the control's class or of its nearest registered ancestor: the
    // entries are searched from the last registered to the first. nullptr: none.
    const Entry *Find(const QObject *control) const;

  private:
    std::vector<Entry> m_entries;
};

// The one list, made on first use with TProgressBar and TGauge, in this order.
TProgressList &ProgressControlList();

// Write the value into the control's property of that kind. False when there is no
// control, its class is not registered, or the property is missing or not a number.
bool ProgressSetMax(QObject *control, int value);
bool ProgressSetMin(QObject *control, int value);
bool ProgressSetPosition(QObject *control, int value);
