#include "catalogue/findmatcher.h"

#include "catalogue/casefold.h"
#include "catalogue/filesfield.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// Per field, in FindQuery::Field order: the sub-item it reads, and its place in the order of
// testing. Tests whose answer rows share (a disc's label, a folder, a date) come first, the name
// last.
const int SubItemOf[] = {FilesField::File,     FilesField::Path,     FilesField::Archive,
                         FilesField::File,     FilesField::Size,     FilesField::Created,
                         FilesField::Accessed, FilesField::Modified, FilesField::Archive};
static_assert(std::size(SubItemOf) == FindQuery::Note + 1);
const int CostOf[] = {5, 1, 0, 4, 3, 2, 2, 2, 0};

// The folded form by the one rule.
void fold(std::string &out, const FindMatcher::Cell &cell)
{
    out.clear();
    CaseFold::appendFolded(out, cell.first, cell.second);
}

// For ASCII text, whose folded form is its lower case: the test without making that form.
bool asciiContains(const char *data, int length, const QByteArray &needle)
{
    const int n = int(needle.size());
    if (n == 0)
        return true;
    const char *want = needle.constData();
    for (int i = 0; i + n <= length; ++i) {
        if (CaseFold::foldedAscii(data[i]) != want[0])
            continue;
        int k = 1;
        while (k < n && CaseFold::foldedAscii(data[i + k]) == want[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

bool asciiEndsWith(const char *data, int length, const QByteArray &ending)
{
    const int n = int(ending.size());
    if (n > length)
        return false;
    for (int k = 0; k < n; ++k)
        if (CaseFold::foldedAscii(data[length - n + k]) != ending[k])
            return false;
    return true;
}

bool contains(const std::string &text, const QByteArray &needle)
{
    return needle.isEmpty() ||
           memmem(text.data(), text.size(), needle.constData(), size_t(needle.size())) != nullptr;
}

std::string &folded()
{
    thread_local std::string text;
    return text;
}

// Whether the cell's folded form contains needle (folded): of ASCII its lower case, made in
// one pass that finds whether the text is ASCII.
bool foldedContains(const FindMatcher::Cell &cell, const QByteArray &needle)
{
    std::string &text = folded();
    text.resize(size_t(cell.second));
    unsigned char high = 0;
    for (int i = 0; i < cell.second; ++i) {
        const unsigned char c = static_cast<unsigned char>(cell.first[i]);
        high |= c;
        text[size_t(i)] = char(unsigned(c - 'A') < 26u ? c + ('a' - 'A') : c);
    }
    if (high & 0x80)
        fold(text, cell);
    return contains(text, needle);
}

bool endsWith(const std::string &text, const QByteArray &ending)
{
    return text.size() >= size_t(ending.size()) &&
           std::memcmp(text.data() + text.size() - size_t(ending.size()), ending.constData(),
                       size_t(ending.size())) == 0;
}

bool equals(const std::string &text, const QByteArray &other)
{
    return text.size() == size_t(other.size()) &&
           std::memcmp(text.data(), other.constData(), text.size()) == 0;
}

} // namespace

FindMatcher::FindMatcher(const FindQuery &query)
{
    for (const FindQuery::Term &term : query.terms()) {
        m_tests.push_back({term, SubItemOf[term.field]});
        m_subItems |= 1u << SubItemOf[term.field];
        if (term.field == FindQuery::Disc || term.field == FindQuery::Note)
            m_subItems |= 1u << FilesField::Serial;
    }
    std::stable_sort(m_tests.begin(), m_tests.end(), [](const Test &a, const Test &b) {
        return CostOf[a.term.field] < CostOf[b.term.field];
    });
}

FindMatcher::FindMatcher(FindQuery::Term term)
{
    term.exclude = false;
    m_tests.push_back({term, SubItemOf[term.field]});
    m_subItems = 1u << SubItemOf[term.field];
    if (term.field == FindQuery::Disc || term.field == FindQuery::Note)
        m_subItems |= 1u << FilesField::Serial;
}

bool FindMatcher::matches(const Cell *cells, const CatalogueRows &rows, size_t row)
{
    m_nameFolded = false;
    m_nameAscii = -1;
    for (Test &test : m_tests)
        if (holds(test, cells, rows, row) == test.term.exclude)
            return false;
    return true;
}

const std::string &FindMatcher::foldedName(const Cell &name)
{
    if (!m_nameFolded) {
        fold(m_name, name);
        m_nameFolded = true;
    }
    return m_name;
}

bool FindMatcher::holds(Test &test, const Cell *cells, const CatalogueRows &rows, size_t row)
{
    const FindQuery::Term &term = test.term;
    if (term.field == FindQuery::Size) {
        const qint64 bytes = rows.sizeValue(row);
        return bytes >= term.low && bytes <= term.high;
    }
    if (FilesField::isDate(test.subItem)) {
        const qint64 moment = rows.moment(row, test.subItem);
        const qint64 day = moment / 1000000;
        return moment >= 0 && day >= term.low && day <= term.high;
    }
    const Cell &cell = cells[test.subItem - 1];
    if (term.field == FindQuery::Name || term.field == FindQuery::Type) {
        if (m_nameAscii < 0)
            m_nameAscii = CaseFold::isAscii(cell.first, cell.second) ? 1 : 0;
        if (m_nameAscii) {
            if (term.field == FindQuery::Name)
                return asciiContains(cell.first, cell.second, term.texts[0]);
            return std::any_of(term.texts.begin(), term.texts.end(), [&cell](const QByteArray &e) {
                return asciiEndsWith(cell.first, cell.second, e);
            });
        }
        const std::string &name = foldedName(cell);
        if (term.field == FindQuery::Name)
            return contains(name, term.texts[0]);
        return std::any_of(term.texts.begin(), term.texts.end(),
                           [&name](const QByteArray &ending) { return endsWith(name, ending); });
    }
    const Cell &serial = cells[FilesField::Serial - 1];
    if (cell.first == test.seen && cell.second == test.seenLength &&
        ((term.field != FindQuery::Disc && term.field != FindQuery::Note) ||
         (serial.first == test.seenSerial && serial.second == test.seenSerialLength)))
        return test.answer;
    bool answer;
    switch (term.field) {
    case FindQuery::Folder:
        answer = foldedContains(cell, term.texts[0]);
        break;
    case FindQuery::Disc:
        answer = foldedContains(cell, term.texts[0]);
        if (!answer) {
            const QByteArray &wanted = term.texts[0];
            // Equal folded forms of ASCII have one length: the test of a part is the test.
            answer = CaseFold::isAscii(serial.first, serial.second)
                         ? serial.second == wanted.size() &&
                               asciiContains(serial.first, serial.second, wanted)
                         : (fold(folded(), serial), equals(folded(), wanted));
        }
        break;
    case FindQuery::Note:
        answer = std::any_of(term.media.begin(), term.media.end(), [&](const auto &medium) {
            return QByteArrayView(cell.first, cell.second) == medium.first &&
                   QByteArrayView(serial.first, serial.second) == medium.second;
        });
        break;
    default:
        answer = false;
        break;
    }
    test.seen = cell.first;
    test.seenLength = cell.second;
    test.seenSerial = serial.first;
    test.seenSerialLength = serial.second;
    test.answer = answer;
    return answer;
}
