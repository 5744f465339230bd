#include "indexing/colffiles.h"

#include "platform/platformerror.h"

#include <QHash>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>

namespace {

constexpr int InvalidProcedureCall = 5;

[[noreturn]] void raiseInvalidIndex()
{
    throw PlatformError(InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
}

// Full Unicode case folding (ß and SS fold alike), which QString::toCaseFolded does not do.
QString fold(const QString &text)
{
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLower();
    QString folded(text.size() * 3, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        u_strFoldCase(reinterpret_cast<UChar *>(folded.data()), int32_t(folded.size()),
                      reinterpret_cast<const UChar *>(text.constData()), int32_t(text.size()),
                      U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status))
        return text.toCaseFolded();
    folded.truncate(length);
    return folded;
}

size_t hashOf(const QString &folded)
{
    return qHash(folded);
}

bool isPosition(const QVariant &index)
{
    switch (index.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

colFFiles::colFFiles() = default;
colFFiles::~colFFiles() = default;

colFFiles::Record colFFiles::Add(const QVariant &key)
{
    auto record = std::make_shared<clsFFile>();
    record->setKey(key);
    const QString folded = fold(key.toString());
    const size_t hash = hashOf(folded);
    if (!findFolded(folded, hash)) {
        m_records.push_back(record);
        m_byKey.emplace(hash, record);
    }
    return record;
}

colFFiles::Record colFFiles::Item(const QVariant &index) const
{
    return find(index, nullptr);
}

void colFFiles::Delete(const QVariant &index)
{
    qsizetype position = -1;
    const Record record = find(index, &position);
    const auto range = m_byKey.equal_range(hashOf(fold(record->Key().toString())));
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == record) {
            m_byKey.erase(it);
            break;
        }
    }
    if (position < 0)
        position = std::find(m_records.begin(), m_records.end(), record) - m_records.begin();
    m_records.erase(m_records.begin() + position);
}

colFFiles::Record colFFiles::find(const QVariant &index, qsizetype *position) const
{
    if (isPosition(index)) {
        const double number = index.toDouble();
        const qint64 at = qRound64(number) - 1;
        if (at < 0 || at >= qint64(m_records.size()))
            raiseInvalidIndex();
        if (position)
            *position = at;
        return m_records[size_t(at)];
    }
    if (!index.canConvert<QString>())
        raiseInvalidIndex();
    const QString folded = fold(index.toString());
    Record record = findFolded(folded, hashOf(folded));
    if (!record)
        raiseInvalidIndex();
    return record;
}

colFFiles::Record colFFiles::findFolded(const QString &folded, size_t hash) const
{
    const auto range = m_byKey.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it) {
        if (fold(it->second->Key().toString()) == folded)
            return it->second;
    }
    return nullptr;
}
