#include "catalogue/duplicates.h"

#include "catalogue/casefold.h"
#include "catalogue/filerow.h"
#include "platform/connection.h"
#include "platform/statement.h"
#include "platform/transaction.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Entry
{
    qint64 id;
    qint64 size;
    size_t hash;    // of the folded name
    quint32 offset; // the folded name in the names buffer
    quint32 length;
    quint32 disc; // the disc's place in label, serial order
    bool member;  // of an archive: id is its own, not one of Files
};

// Every named row as an entry, with the discs numbered in label, serial order.
std::vector<Entry> readEntries(Connection &connection, std::string &names)
{
    std::vector<Entry> entries;
    {
        // IDs are never reused: the highest bounds the number of rows, and costs no scan.
        Statement last(connection, "SELECT max(ID) FROM Files");
        if (last.step())
            entries.reserve(size_t(std::clamp<qint64>(last.intAt(0), 0, qint64(1) << 24)));
    }
    std::map<std::pair<std::string, std::string>, quint32> discs; // numbered as first seen
    std::pair<std::string, std::string> lastDisc;
    quint32 lastNumber = 0;
    // The members of archives are on their archive's disc.
    const bool members = connection.hasTable("ArchiveMembers");
    for (const bool member : {false, true}) {
        if (member && !members)
            break;
        Statement rows(connection, member ? "SELECT m.ID, m.File, m.Size, f.Archive, f.Serial FROM "
                                            "ArchiveMembers m JOIN Files f ON f.ID = m.FileID"
                                          : "SELECT ID, File, Size, Archive, Serial FROM Files "
                                            "WHERE File IS NOT NULL");
        while (rows.step()) {
            const std::string_view file = rows.textAt(1);
            const std::string_view size = rows.textAt(2);
            const std::string_view archive = rows.textAt(3);
            const std::string_view serial = rows.textAt(4);
            // A disc's rows come together: its number is looked up when the disc changes.
            if (entries.empty() || archive != lastDisc.first || serial != lastDisc.second) {
                lastDisc = {std::string(archive), std::string(serial)};
                lastNumber = discs.emplace(lastDisc, quint32(discs.size())).first->second;
            }
            const size_t offset = names.size();
            CaseFold::appendFolded(names, file.data(), qsizetype(file.size()));
            const std::string_view folded(names.data() + offset, names.size() - offset);
            entries.push_back({rows.intAt(0), FileRow::sizeValue(size.data(), int(size.size())),
                               std::hash<std::string_view>()(folded), quint32(offset),
                               quint32(folded.size()), lastNumber, member});
        }
    }
    // Numbers of first sight become places in label, serial order.
    std::vector<quint32> place(discs.size());
    quint32 next = 0;
    for (const auto &disc : discs)
        place[disc.second] = next++;
    for (Entry &entry : entries)
        entry.disc = place[entry.disc];
    return entries;
}

} // namespace

namespace Duplicates {

qint64 find(Connection &connection)
{
    if (!connection.isOpen())
        return 0; // opening the view reports it
    std::string names;
    std::vector<Entry> entries = readEntries(connection, names);
    const auto name = [&names](const Entry &e) {
        return std::string_view(names.data() + e.offset, e.length);
    };

    // Equal names of equal size together, their discs in order: a group lies on more than one
    // disc when its first and last discs differ.
    std::sort(entries.begin(), entries.end(), [&name](const Entry &a, const Entry &b) {
        if (a.size != b.size)
            return a.size < b.size;
        if (a.hash != b.hash)
            return a.hash < b.hash;
        if (const int c = name(a).compare(name(b)); c != 0)
            return c < 0;
        return a.disc < b.disc;
    });
    std::vector<Entry> found;
    for (size_t first = 0, end; first < entries.size(); first = end) {
        end = first + 1;
        while (end < entries.size() && entries[end].size == entries[first].size &&
               entries[end].hash == entries[first].hash &&
               name(entries[end]) == name(entries[first]))
            ++end;
        if (entries[end - 1].disc != entries[first].disc)
            found.insert(found.end(), entries.begin() + qsizetype(first),
                         entries.begin() + qsizetype(end));
    }
    std::vector<Entry>().swap(entries);
    std::sort(found.begin(), found.end(), [&name](const Entry &a, const Entry &b) {
        if (const int c = name(a).compare(name(b)); c != 0)
            return c < 0;
        if (a.size != b.size)
            return a.size < b.size;
        if (a.disc != b.disc)
            return a.disc < b.disc;
        return a.member != b.member ? b.member : a.id < b.id;
    });

    // Kept by ID, so that the view reads the catalogue in its own order rather than jumping
    // about it, then sorts by position; the members' IDs apart from the files'.
    std::vector<std::pair<qint64, qint64>> positions[2];
    for (size_t i = 0; i < found.size(); ++i)
        positions[found[i].member].push_back({found[i].id, qint64(i)});
    Statement::exec(connection, "CREATE TEMP TABLE IF NOT EXISTS DuplicateRows "
                                "(ID INTEGER PRIMARY KEY, Position INTEGER NOT NULL)");
    Statement::exec(connection, "CREATE TEMP TABLE IF NOT EXISTS DuplicateMembers "
                                "(ID INTEGER PRIMARY KEY, Position INTEGER NOT NULL)");
    // The connection's own tables: a read-only catalogue shows its duplicates too.
    Transaction transaction(connection, Transaction::Kind::Temporary);
    for (const bool member : {false, true}) {
        std::sort(positions[member].begin(), positions[member].end());
        Statement::exec(connection, member ? "DELETE FROM temp.DuplicateMembers"
                                           : "DELETE FROM temp.DuplicateRows");
        Statement insert(connection,
                         member ? "INSERT INTO temp.DuplicateMembers (ID, Position) VALUES (?, ?)"
                                : "INSERT INTO temp.DuplicateRows (ID, Position) VALUES (?, ?)");
        for (const auto &[id, position] : positions[member]) {
            insert.bindInt(1, id);
            insert.bindInt(2, position);
            insert.step();
            insert.reset();
        }
    }
    transaction.commit();
    return qint64(found.size());
}

QString statement()
{
    return QStringLiteral("SELECT * FROM Files WHERE ID IN (SELECT ID FROM temp.DuplicateRows) "
                          "ORDER BY (SELECT Position FROM temp.DuplicateRows AS Found "
                          "WHERE Found.ID = Files.ID)");
}

} // namespace Duplicates
