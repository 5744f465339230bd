#include "catalogue/findquery.h"

#include "catalogue/casefold.h"
#include "catalogue/storeddate.h"

#include <QDate>

#include <algorithm>
#include <limits>
#include <string>

namespace {

constexpr qint64 Largest = std::numeric_limits<qint64>::max();
constexpr qint64 LastDay = 99991231;

struct Key
{
    const char *name;
    FindQuery::Field field;
};
const Key Keys[] = {{"folder", FindQuery::Folder},     {"disc", FindQuery::Disc},
                    {"type", FindQuery::Type},         {"size", FindQuery::Size},
                    {"created", FindQuery::Created},   {"accessed", FindQuery::Accessed},
                    {"modified", FindQuery::Modified}, {"note", FindQuery::Note}};

QByteArray folded(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    CaseFold::appendFolded(out, utf8.constData(), utf8.size());
    return QByteArray(out.data(), qsizetype(out.size()));
}

// "4.7GB" and the like: a number, with a fraction or not, and a unit or none (bytes).
bool readSize(const QString &text, qint64 &bytes)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i].isDigit() || text[i] == QLatin1Char('.')))
        ++i;
    bool ok = false;
    const double number = text.left(i).toDouble(&ok);
    if (!ok || !text[0].isDigit())
        return false;
    const QString unit = text.mid(i).toUpper();
    int shift;
    if (unit.isEmpty() || unit == QLatin1String("B"))
        shift = 0;
    else if (unit == QLatin1String("KB"))
        shift = 10;
    else if (unit == QLatin1String("MB"))
        shift = 20;
    else if (unit == QLatin1String("GB"))
        shift = 30;
    else if (unit == QLatin1String("TB"))
        shift = 40;
    else
        return false;
    const double value = number * double(qint64(1) << shift);
    if (value >= 9.2e18)
        return false;
    bytes = qint64(value);
    return true;
}

// A year, a month or a day ("2019", "2019-03", "2019-03-31") as its first and last day, as
// StoredDate::day() numbers them.
bool readDays(const QString &text, qint64 &first, qint64 &last)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() > 3 || parts[0].size() != 4)
        return false;
    int numbers[3] = {0, 1, 1};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        if (part.isEmpty() || (i > 0 && part.size() > 2))
            return false;
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        numbers[i] = part.toInt();
    }
    const QDate start(numbers[0], numbers[1], numbers[2]);
    if (numbers[0] == 0 || !start.isValid())
        return false;
    QDate end = start;
    if (parts.size() == 1)
        end = QDate(numbers[0], 12, 31);
    else if (parts.size() == 2)
        end = QDate(numbers[0], numbers[1], start.daysInMonth());
    first = StoredDate::dayOf(start.year(), start.month(), start.day());
    last = StoredDate::dayOf(end.year(), end.month(), end.day());
    return true;
}

// One bound of a range as its first and last value: a size is one value, a date a span of days.
bool readBound(FindQuery::Field field, const QString &text, qint64 &first, qint64 &last)
{
    if (field == FindQuery::Size) {
        if (!readSize(text, first))
            return false;
        last = first;
        return true;
    }
    return readDays(text, first, last);
}

// ">X", ">=X", "<X", "<=X", "X..Y", "X..", "..Y" or "X"; empty on success, else the reason.
QString readRange(FindQuery::Term &term, const QString &value)
{
    const qint64 largest = term.field == FindQuery::Size ? Largest : LastDay;
    const QString what = term.field == FindQuery::Size ? QStringLiteral("a size")
                                                       : QStringLiteral("a date");
    auto bound = [&](const QString &text, qint64 &first, qint64 &last) {
        return readBound(term.field, text, first, last);
    };
    auto notA = [&](const QString &text) {
        return QStringLiteral("\"%1\" is not %2").arg(text, what);
    };
    qint64 first = 0, last = 0;
    term.low = 0;
    term.high = largest;
    const qsizetype dots = value.indexOf(QLatin1String(".."));
    if (dots >= 0) {
        const QString from = value.left(dots), to = value.mid(dots + 2);
        if (from.isEmpty() && to.isEmpty())
            return notA(value);
        if (!from.isEmpty()) {
            if (!bound(from, first, last))
                return notA(from);
            term.low = first;
        }
        if (!to.isEmpty()) {
            if (!bound(to, first, last))
                return notA(to);
            term.high = last;
        }
        return QString();
    }
    for (const char *op : {">=", "<=", ">", "<", "="}) {
        const QLatin1String prefix(op);
        if (!value.startsWith(prefix))
            continue;
        const QString rest = value.mid(prefix.size());
        if (!bound(rest, first, last))
            return notA(rest);
        // > and < leave out the whole bound: after its last day, before its first.
        if (prefix == QLatin1String(">=") || prefix == QLatin1String("="))
            term.low = first;
        if (prefix == QLatin1String("<=") || prefix == QLatin1String("="))
            term.high = last;
        if (prefix == QLatin1String(">"))
            term.low = last == largest ? largest : last + 1;
        if (prefix == QLatin1String("<"))
            term.high = first - 1;
        return QString();
    }
    if (!bound(value, first, last))
        return notA(value);
    term.low = first;
    term.high = last;
    return QString();
}

// Reads one word of the query (quotes already taken off; keyed says whether key: was written
// outside quotes) into term; empty on success, else the reason.
QString readTerm(FindQuery::Term &term, const QString &word, bool keyed)
{
    const qsizetype colon = keyed ? word.indexOf(QLatin1Char(':')) : -1;
    if (colon > 0) {
        const QString key = word.left(colon);
        for (const Key &k : Keys) {
            if (key.compare(QLatin1String(k.name), Qt::CaseInsensitive) != 0)
                continue;
            term.field = k.field;
            const QString value = word.mid(colon + 1);
            const QString needsValue = QStringLiteral("\"%1:\" needs a value").arg(key);
            if (value.isEmpty())
                return needsValue;
            switch (k.field) {
            case FindQuery::Type:
                for (QString ending : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                    while (ending.startsWith(QLatin1Char('.')))
                        ending.remove(0, 1);
                    if (!ending.isEmpty())
                        term.texts.push_back(folded(QLatin1Char('.') + ending));
                }
                return term.texts.empty() ? needsValue : QString();
            case FindQuery::Size:
            case FindQuery::Created:
            case FindQuery::Accessed:
            case FindQuery::Modified:
                return readRange(term, value);
            default:
                term.texts.push_back(folded(value));
                return QString();
            }
        }
    }
    term.field = FindQuery::Name;
    term.texts.push_back(folded(word));
    return QString();
}

} // namespace

FindQuery FindQuery::parse(const QString &text)
{
    FindQuery query;
    query.m_text = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        // One word: up to the next blank outside quotes, the quotes taken off. A minus or a
        // key: only count where they are written outside quotes.
        QString word;
        bool quoted = false, keyed = true;
        Term term;
        if (text[i] == QLatin1Char('-') && i + 1 < n && !text[i + 1].isSpace()) {
            term.exclude = true;
            ++i;
        }
        for (; i < n && (quoted || !text[i].isSpace()); ++i) {
            if (text[i] == QLatin1Char('"')) {
                if (!quoted && !word.contains(QLatin1Char(':')))
                    keyed = false;
                quoted = !quoted;
                continue;
            }
            word.append(text[i]);
        }
        if (quoted) {
            query.m_terms.clear();
            query.m_reason = QStringLiteral("A quote is not closed");
            return query;
        }
        if (word.isEmpty())
            continue; // "" holds for every row
        const QString reason = readTerm(term, word, keyed);
        if (!reason.isEmpty()) {
            query.m_terms.clear();
            query.m_reason = reason;
            return query;
        }
        query.m_terms.push_back(std::move(term));
    }
    return query;
}

bool FindQuery::readsNotes() const
{
    return std::any_of(m_terms.begin(), m_terms.end(),
                       [](const Term &term) { return term.field == Note; });
}

void FindQuery::resolveNotes(const QHash<QPair<QByteArray, QByteArray>, QString> &notes)
{
    for (Term &term : m_terms) {
        if (term.field != Note)
            continue;
        term.media.clear();
        for (auto it = notes.constBegin(); it != notes.constEnd(); ++it)
            if (folded(it.value()).contains(term.texts[0]))
                term.media.emplace_back(it.key().first, it.key().second);
    }
}
