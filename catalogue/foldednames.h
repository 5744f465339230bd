#pragma once

#include "platform/largearray.h"

#include <QByteArray>
#include <QtGlobal>

#include <functional>
#include <vector>

// The case-folded names of the catalogue's rows, held in memory in ID order, through which every
// search narrows the rows it reads. Scanning every name in memory costs tens of milliseconds at
// ten million rows; reading every row costs seconds.
//
// Holds every row up to upTo(); rows past it are taken in as they come. A deleted row's name
// stays, so a hit is only a candidate: the search reads the rows it names.
class FoldedNames
{
public:
    // Takes in one row's name (UTF-8, not folded); IDs come in ascending order. A null name
    // (data null) matches nothing.
    void add(qint64 id, const char *data, int length);
    // Every row with an ID up to id is held.
    void setUpTo(qint64 id)
    {
        if (!m_full)
            m_upTo = id;
    }
    qint64 upTo() const { return m_upTo; }
    bool isEmpty() const { return m_upTo < 0; }
    void clear();
    size_t size() const { return m_ids.size(); }

    // What is held at one moment, to go back to when a read that took names in fails.
    struct Mark
    {
        size_t names;
        size_t text;
        qint64 upTo;
    };
    Mark mark() const { return {m_ids.size(), m_text.size(), m_upTo}; }
    void truncate(const Mark &mark);

    // The IDs, ascending, of the names that contain literal (already folded) and that accept
    // takes (given the folded name). Stops and returns false past limit hits.
    bool find(const QByteArray &literal, const std::function<bool(const char *, int)> &accept,
              size_t limit, std::vector<qint64> &ids) const;
    // Where needle (no NUL in it) first occurs in text[from, end), or end; 16 places at a time.
    static size_t findIn(const char *text, size_t from, size_t end, const char *needle,
                         size_t length);

private:
    LargeArray<char> m_text;      // each folded name followed by a NUL
    LargeArray<quint32> m_starts; // where each name begins in m_text
    LargeArray<qint64> m_ids;
    qint64 m_upTo = -1;
    bool m_full = false;
};
