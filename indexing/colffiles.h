#pragma once

#include "indexing/clsffile.h"

#include <QVariant>

#include <memory>
#include <unordered_map>
#include <vector>

// A keyed collection of file records, in the order they were added (positions count from 1).
// Keys are texts compared by the catalogue's folding rule (catalogue/casefold.h): keys that
// differ only in case, or whose folded forms are equal ("STRASSE" and "Straße"), are the same key.
class colFFiles
{
public:
    using Record = std::shared_ptr<clsFFile>;
    using const_iterator = std::vector<Record>::const_iterator;

    colFFiles();
    ~colFFiles();
    colFFiles(const colFFiles &) = delete;
    colFFiles &operator=(const colFFiles &) = delete;

    int Count() const { return int(m_records.size()); }
    const_iterator begin() const { return m_records.begin(); }
    const_iterator end() const { return m_records.end(); }
    // Never fails: returns a new record whose Key is key, held only when no record with the same
    // key was there before.
    Record Add(const QVariant &key);
    // Lets go of every record.
    void Clear();

private:
    Record findKey(const QString &key, size_t hash) const;

    std::vector<Record> m_records;
    // Folded-key hash -> record; the folded keys themselves are not kept (keys are compared
    // only when two hashes meet).
    std::unordered_multimap<size_t, Record> m_byKey;
};
