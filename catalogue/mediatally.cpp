#include "catalogue/mediatally.h"

#include "catalogue/filerow.h"

#include <cstring>

namespace {

bool same(const QByteArray &text, const char *data, int length)
{
    return text.size() == length && std::memcmp(text.constData(), data, size_t(length)) == 0;
}

} // namespace

void MediaTally::add(const char *label, int labelLength, const char *serial, int serialLength,
                     const char *size, int sizeLength)
{
    if (m_media.empty() || !same(m_media[m_last].label, label, labelLength) ||
        !same(m_media[m_last].serial, serial, serialLength)) {
        QPair<QByteArray, QByteArray> key(QByteArray(label, labelLength),
                                          QByteArray(serial, serialLength));
        const auto found = m_index.constFind(key);
        if (found != m_index.constEnd()) {
            m_last = *found;
        } else {
            m_last = m_media.size();
            m_media.push_back({key.first, key.second, 0, 0});
            m_index.insert(key, m_last);
        }
    }
    MediumTotals &medium = m_media[m_last];
    ++medium.files;
    medium.bytes += FileRow::sizeValue(size, sizeLength);
}
