#include "catalogue/heldnames.h"

#include "catalogue/casefold.h"
#include "catalogue/foldednames.h"
#include "platform/platformerror.h"

#include <algorithm>
#include <cstring>
#include <string>

void HeldNames::clear()
{
    m_text.clear();
    m_at.clear();
}

void HeldNames::shrink()
{
    m_text.shrink();
    m_at.shrink();
}

void HeldNames::reserveText(size_t bytes)
{
    if (bytes >= 0xFFFFFFFFu) // past what 32-bit places address
        throw PlatformError(7, QStringLiteral("Out of memory"));
    m_text.resize(bytes);
}

void HeldNames::add(const char *data, int length)
{
    thread_local std::string folded;
    folded.clear();
    if (data)
        CaseFold::appendFolded(folded, data, length);
    const size_t at = m_text.size();
    reserveText(at + folded.size() + 1);
    std::memcpy(&m_text[at], folded.data(), folded.size());
    m_text[at + folded.size()] = '\0';
    m_at.push_back(quint32(at));
}

void HeldNames::append(const HeldNames &other)
{
    const size_t base = m_text.size(), rows = m_at.size();
    reserveText(base + other.m_text.size());
    std::memcpy(&m_text[base], other.m_text.data(), other.m_text.size());
    m_at.resize(rows + other.m_at.size());
    for (size_t i = 0; i < other.m_at.size(); ++i)
        m_at[rows + i] = quint32(base + other.m_at[i]);
}

void HeldNames::drop(const std::vector<bool> &gone)
{
    size_t kept = 0;
    for (size_t row = 0; row < m_at.size(); ++row)
        if (!gone[row])
            m_at[kept++] = m_at[row];
    m_at.resize(kept);
}

void HeldNames::mark(const QByteArray &text, std::vector<bool> &marks) const
{
    if (text.isEmpty()) {
        marks.assign(marks.size(), true);
        return;
    }
    const char *names = m_text.data();
    const size_t end = m_text.size(), rows = m_at.size();
    const quint32 *at = m_at.data();
    size_t from = 0;
    while (true) {
        const size_t hit =
            FoldedNames::findIn(names, from, end, text.constData(), size_t(text.size()));
        if (hit >= end)
            return;
        // The row whose name holds the hit, unless it is in the text of a row dropped.
        const size_t row = size_t(std::upper_bound(at, at + rows, quint32(hit)) - at) - 1;
        if (hit < at[row] + std::strlen(names + at[row]))
            marks[row] = true;
        from = row + 1 < rows ? at[row + 1] : end;
    }
}
