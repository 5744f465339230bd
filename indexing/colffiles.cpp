#include "indexing/colffiles.h"

#include "catalogue/casefold.h"

#include <algorithm>

namespace {

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The hash of a key's folded form. An ASCII key (the usual kind) is folded as it is hashed,
// without a copy; it hashes as the same text would after full folding.
size_t keyHash(const QString &key)
{
    quint64 hash = 14695981039346656037ULL; // FNV-1a
    const auto add = [&hash](char16_t c) { hash = (hash ^ c) * 1099511628211ULL; };
    if (isAscii(key)) {
        for (QChar c : key)
            add(c >= u'A' && c <= u'Z' ? char16_t(c.unicode() + 32) : char16_t(c.unicode()));
    } else {
        for (QChar c : CaseFold::fold(key))
            add(c.unicode());
    }
    return size_t(hash);
}

bool sameKey(const QString &a, const QString &b)
{
    if (isAscii(a) && isAscii(b))
        return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
    return CaseFold::fold(a) == CaseFold::fold(b);
}

} // namespace

colFFiles::colFFiles() = default;
colFFiles::~colFFiles() = default;

colFFiles::Record colFFiles::Add(const QVariant &key)
{
    auto record = std::make_shared<clsFFile>();
    record->setKey(key);
    const QString text = key.toString();
    const size_t hash = keyHash(text);
    if (!findKey(text, hash)) {
        m_records.push_back(record);
        m_byKey.emplace(hash, record);
    }
    return record;
}

void colFFiles::Clear()
{
    if (m_records.empty())
        return;
    // Given back whole: the buckets of a large folder would otherwise stay, and be swept by
    // every later clearing.
    std::vector<Record>().swap(m_records);
    decltype(m_byKey)().swap(m_byKey);
}

colFFiles::Record colFFiles::findKey(const QString &key, size_t hash) const
{
    const auto range = m_byKey.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it) {
        if (sameKey(it->second->Key().toString(), key))
            return it->second;
    }
    return nullptr;
}
