#include "platform/mounttable.h"

#include <QFile>
#include <QList>

#include <sys/sysmacros.h>

#include <algorithm>

namespace {

// Mount table fields escape blanks, tabs, newlines and backslashes as \ooo.
QByteArray unescape(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = std::all_of(digits.begin(), digits.end(),
                                  [](char c) { return c >= '0' && c <= '7'; });
            if (ok) {
                out.append(char(digits.toInt(&ok, 8)));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

} // namespace

const char MountTable::Path[] = "/proc/self/mountinfo";

std::vector<MountEntry> MountTable::read()
{
    QFile file(QString::fromLatin1(Path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

std::vector<MountEntry> MountTable::parse(const QByteArray &table)
{
    std::vector<MountEntry> entries;
    for (const QByteArray &line : table.split('\n')) {
        // id parent major:minor root mount-point options [optional...] - type source options
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 10)
            continue;
        const int dash = fields.indexOf("-", 6);
        const int colon = fields[2].indexOf(':');
        if (dash < 0 || dash + 2 >= fields.size() || colon < 0)
            continue;
        MountEntry entry;
        entry.device = makedev(fields[2].left(colon).toUInt(), fields[2].mid(colon + 1).toUInt());
        entry.root = unescape(fields[3]);
        entry.mountPoint = unescape(fields[4]);
        entry.source = unescape(fields[dash + 2]);
        entries.push_back(std::move(entry));
    }
    return entries;
}
