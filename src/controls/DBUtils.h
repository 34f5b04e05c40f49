#pragma once
// Finding a record by the value of one field, whatever the dataset: the search order
// and the match rule. The engine's own locate object (TableUtils.h) adds the searches
// through an index and through a second cursor.
#include <QString>

#include <functional>
#include <memory>

class TDataSet;
class TField;

class TLocateObject {
  public:
    TLocateObject() = default;
    virtual ~TLocateObject() = default;
    TLocateObject(const TLocateObject &) = delete;
    TLocateObject &operator=(const TLocateObject &) = delete;

    TDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet *dataSet);
    TField *LookupField() const { return m_lookupField; }
    const QString &LookupValue() const { return m_lookupValue; }
    bool LookupExact() const { return m_exact; }
    bool CaseSensitive() const { return m_caseSensitive; }
    // Lets the search go through an index of a field the dataset is not ordered by.
    bool AllowNonIndexed = true;

    // Moves the dataset to the first record whose field `fieldName` matches `value`
    // (exact: the whole text; otherwise its start) and returns true; false leaves the
    // position as it was. A value the field cannot hold throws EConvertError before
    // any search; a closed dataset or a missing field throws EDatabaseError.
    bool Locate(const QString &fieldName, const QString &value, bool exact, bool caseSensitive);

  protected:
    virtual void ValidateLookupField() {}
    virtual void ActiveChanged() {}
    virtual bool LocateByEngine();
    virtual bool LocateByIndex() { return false; }
    virtual bool LocateByScan();
    virtual bool CanUseIndex() { return false; }
    virtual bool CanUseEngineSearch();

    // The match rule on `field` (the lookup field or a clone's copy of it) in its
    // current row: its text, cut to the value's length for a partial search, equals
    // the value in the Russian order, with or without case.
    bool MatchesLookupValue(const TField *field) const;
    // LocateByScan out of the user's sight; a search that finds nothing puts the
    // cursor back where it stood.
    bool ScanKeepingPosition();

  private:
    TDataSet *m_dataSet = nullptr;
    TField *m_lookupField = nullptr;
    QString m_lookupValue;
    bool m_exact = true;
    bool m_caseSensitive = true;
};

// The locate object that code asking for one gets: the one the installed factory
// makes, a plain TLocateObject when none is installed. The engine's locate object is
// installed as the program starts.
std::unique_ptr<TLocateObject> CreateLocateObject();
void SetLocateObjectFactory(std::function<std::unique_ptr<TLocateObject>()> factory);
