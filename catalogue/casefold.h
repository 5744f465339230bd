#pragma once

#include <QString>

#include <string>
#include <vector>

// The one rule by which names are compared without regard to case, for collection keys, the
// search and the list's sorting alike: Unicode's full case folding in its default (not Turkic)
// form. "Straße" equals "STRASSE", a final sigma equals a sigma, the ligature "ﬁ" equals "fi";
// "İ" folds to "i" with a combining dot, so it equals "i̇" but not "i", and "ı" stays itself.
namespace CaseFold {

QString fold(const QString &text);

// ASCII letters fold to their lower case, which is all the rule does to ASCII.
inline char foldedAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}
// Whether every byte is ASCII: the text's folded form is then its lower case, byte for byte.
bool isAscii(const char *data, qsizetype length);

// Appends the folded form of UTF-8 text to out, as UTF-8. A byte that is not part of valid UTF-8
// is kept as it is, so names that differ in such bytes stay different.
void appendFolded(std::string &out, const char *data, qsizetype length);

// The folded form as code points, for matching patterns one character at a time. A byte that
// is not part of valid UTF-8 becomes the code point 0xDC00 + byte, which no valid text folds to.
// starts, when given, tells for each code point whether it begins the fold of a character of
// the text ("ß" folds to "ss": two code points, one character).
void foldCodePoints(std::u32string &out, const char *data, qsizetype length,
                    std::vector<bool> *starts = nullptr);

// Orders UTF-8 texts by their folded forms, then by their bytes, so that only equal texts
// compare equal: negative, 0 or positive.
int compare(const char *a, qsizetype lengthA, const char *b, qsizetype lengthB);

} // namespace CaseFold
