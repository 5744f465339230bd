#include "catalogue/casefold.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr char32_t InvalidByteBase = 0xDC00;

// Decodes one UTF-8 character at s[i]; returns its length, or 0 when the bytes there are not
// valid UTF-8 (overlong forms and surrogates included).
int decode(const unsigned char *s, qsizetype length, qsizetype i, char32_t &code)
{
    const unsigned char c = s[i];
    int extra;
    char32_t min;
    if (c >= 0xC2 && c <= 0xDF) {
        extra = 1;
        min = 0x80;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        extra = 2;
        min = 0x800;
        code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        extra = 3;
        min = 0x10000;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (i + extra >= length)
        return 0;
    for (int k = 1; k <= extra; ++k) {
        if ((s[i + k] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (s[i + k] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return extra + 1;
}

// The full folding of one code point beyond ASCII: one to three code points.
int foldOne(char32_t code, char32_t *out)
{
    UChar source[2];
    int32_t sourceLength = 0;
    UBool error = false;
    U16_APPEND(source, sourceLength, 2, UChar32(code), error);
    UChar folded[8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        u_strFoldCase(folded, 8, source, sourceLength, U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status) || error) {
        out[0] = code;
        return 1;
    }
    int count = 0;
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U16_NEXT(folded, i, length, c);
        out[count++] = char32_t(c);
    }
    return count;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// Calls emit(code point, whether it begins a character's fold) for the folded form; invalid
// bytes come as InvalidByteBase + byte, each a character.
template <typename Emit> void foldEach(const char *data, qsizetype length, Emit emit)
{
    const auto *s = reinterpret_cast<const unsigned char *>(data);
    for (qsizetype i = 0; i < length;) {
        if (s[i] < 0x80) {
            emit(char32_t(CaseFold::foldedAscii(char(s[i]))), true);
            ++i;
            continue;
        }
        char32_t code;
        const int used = decode(s, length, i, code);
        if (used == 0) {
            emit(InvalidByteBase + s[i], true);
            ++i;
            continue;
        }
        char32_t folded[4];
        const int count = foldOne(code, folded);
        for (int k = 0; k < count; ++k)
            emit(folded[k], k == 0);
        i += used;
    }
}

} // namespace

namespace CaseFold {

QString fold(const QString &text)
{
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

bool isAscii(const char *data, qsizetype length)
{
    quint64 high = 0;
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        high |= word;
    }
    for (; i < length; ++i)
        high |= quint64(static_cast<unsigned char>(data[i]));
    return (high & 0x8080808080808080ull) == 0;
}

void appendFolded(std::string &out, const char *data, qsizetype length)
{
    // An ASCII start, the common case, byte for byte; the rest, from the first character
    // beyond ASCII, decoded.
    qsizetype i = 0;
    for (; i < length && static_cast<unsigned char>(data[i]) < 0x80; ++i)
        out.push_back(foldedAscii(data[i]));
    foldEach(data + i, length - i, [&out](char32_t c, bool) {
        if (c >= InvalidByteBase && c <= InvalidByteBase + 0xFF)
            out.push_back(char(c - InvalidByteBase)); // the byte itself
        else
            appendUtf8(out, c);
    });
}

void foldCodePoints(std::u32string &out, const char *data, qsizetype length,
                    std::vector<bool> *starts)
{
    out.clear();
    if (!starts) {
        foldEach(data, length, [&out](char32_t c, bool) { out.push_back(c); });
        return;
    }
    starts->clear();
    foldEach(data, length, [&out, starts](char32_t c, bool first) {
        out.push_back(c);
        starts->push_back(first);
    });
}

int compare(const char *a, qsizetype lengthA, const char *b, qsizetype lengthB)
{
    const qsizetype common = std::min(lengthA, lengthB);
    qsizetype i = 0;
    // A plain ASCII prefix is compared in place.
    for (; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80)
            break;
        const char fx = foldedAscii(char(x));
        const char fy = foldedAscii(char(y));
        if (fx != fy)
            return fx < fy ? -1 : 1;
    }
    if (i < common) {
        // Everything before i is ASCII, so i starts a character in both texts.
        thread_local std::string fa, fb;
        fa.clear();
        fb.clear();
        appendFolded(fa, a + i, lengthA - i);
        appendFolded(fb, b + i, lengthB - i);
        const int folded = fa.compare(fb);
        if (folded != 0)
            return folded < 0 ? -1 : 1;
    } else if (lengthA != lengthB) {
        return lengthA < lengthB ? -1 : 1;
    }
    const int bytes = std::memcmp(a, b, size_t(common));
    if (bytes != 0)
        return bytes < 0 ? -1 : 1;
    return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
}

} // namespace CaseFold
