#include "catalogue/sizegrouping.h"

#include <cstring>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool SizeGrouping::operator==(const SizeGrouping &other) const
{
    return m_length == other.m_length &&
           (m_length <= 0 || std::memcmp(m_separator, other.m_separator, size_t(m_length)) == 0);
}

void SizeGrouping::adopt(const SizeGrouping &other)
{
    if (m_length < 0)
        *this = other;
}

bool SizeGrouping::learn(const char *s, int n)
{
    // The first group of one to three digits, then the separator up to the next digit; four
    // digits or more with nothing between them: sizes are not grouped.
    int i = 0;
    while (i < n && isDigit(s[i]))
        ++i;
    if (i == n) {
        if (n < 4)
            return false;
        m_length = 0;
        return true;
    }
    if (i == 0 || i > 3)
        return false;
    int end = i;
    while (end < n && !isDigit(s[end]))
        ++end;
    if (end == n || end - i > int(sizeof m_separator))
        return false;
    // A letter makes the text no size at all (FileRow::sizeValue): it stays a text.
    for (int k = i; k < end; ++k)
        if ((s[k] >= 'A' && s[k] <= 'Z') || (s[k] >= 'a' && s[k] <= 'z'))
            return false;
    m_length = end - i;
    std::memcpy(m_separator, s + i, size_t(m_length));
    return true;
}

bool SizeGrouping::parse(const char *s, int n, quint64 &value)
{
    if (n <= 0 || (s[0] == '0' && n > 1) || (m_length < 0 && n >= 4 && !learn(s, n)))
        return false;
    value = 0;
    int i = 0;
    while (i < n && isDigit(s[i]) && value < Limit)
        value = value * 10 + quint64(s[i++] - '0');
    if (m_length > 0) {
        if (i == 0 || i > 3)
            return false;
        while (i < n) {
            if (n - i < m_length + 3 || std::memcmp(s + i, m_separator, size_t(m_length)) != 0)
                return false;
            i += m_length;
            for (const int end = i + 3; i < end; ++i) {
                if (!isDigit(s[i]))
                    return false;
                value = value * 10 + quint64(s[i] - '0');
            }
            if (value >= Limit)
                return false;
        }
    } else if (m_length < 0 && i > 3) {
        return false;
    }
    return i == n && value < Limit;
}

int SizeGrouping::format(quint64 value, char *out) const
{
    // Digits from the last, then written out with a separator before each group of three but
    // the first.
    char digits[24];
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    int length = 0;
    for (int k = count - 1; k >= 0; --k) {
        out[length++] = digits[k];
        if (k > 0 && k % 3 == 0 && m_length > 0) {
            std::memcpy(out + length, m_separator, size_t(m_length));
            length += m_length;
        }
    }
    return length;
}
