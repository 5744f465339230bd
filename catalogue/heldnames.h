#pragma once

#include "platform/largearray.h"

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// The folded name (casefold.h) of each row held, in the rows' order, for the scans of names
// that the search and Find make: sixteen places at a time over one arena.
class HeldNames
{
public:
    void clear();
    void shrink();
    size_t size() const { return m_at.size(); }
    // Takes in the next row's name (UTF-8, not folded; data null for none). Throws
    // PlatformError 7 past 4 GB of names.
    void add(const char *data, int length);
    // Takes in the names of other after these.
    void append(const HeldNames &other);
    // Keeps the names of the rows not marked gone, in their order.
    void drop(const std::vector<bool> &gone);

    // Marks the rows whose folded name contains text (folded; no NUL).
    void mark(const QByteArray &text, std::vector<bool> &marks) const;
    // The row's folded name, ended by a NUL.
    const char *name(size_t row) const { return m_text.data() + m_at[row]; }

private:
    void reserveText(size_t bytes);

    LargeArray<char> m_text;  // each folded name followed by a NUL; a name dropped stays unused
    LargeArray<quint32> m_at; // where each row's name begins
};
