#include "indexing/mediumupdate.h"

#include "catalogue/catalogue.h"
#include "catalogue/filerow.h"
#include "catalogue/mediumrows.h"
#include "platform/joinpath.h"

#include <QByteArrayView>
#include <QSet>

#include <algorithm>

MediumUpdate::MediumUpdate(const QString &label, const QString &serial)
    : m_label(label.toUtf8()), m_serial(serial.isNull() ? QByteArray("") : serial.toUtf8())
{}

void MediumUpdate::load(Catalogue &catalogue, const QByteArray &root)
{
    m_root = root;
    m_folders.clear();
    m_last = nullptr;
    QByteArrayList roots{root};
    for (const QString &recorded :
         catalogue.mediumRoots().roots(QString::fromUtf8(m_label), QString::fromUtf8(m_serial)))
        if (!roots.contains(recorded.toUtf8()))
            roots.append(recorded.toUtf8());
    // A row under two roots (one mounted inside the other) belongs to the longer.
    std::sort(roots.begin(), roots.end(),
              [](const QByteArray &a, const QByteArray &b) { return a.size() > b.size(); });
    QSet<qint64> taken;
    MediumRows &rows = catalogue.mediumRows();
    for (const QByteArray &place : roots) {
        rows.read(m_label, m_serial, place, [&](const MediumRow &row) {
            if (roots.size() > 1) {
                if (taken.contains(row.id))
                    return;
                taken.insert(row.id);
            }
            add(row, PathBelow(row.path, place));
        });
    }
}

void MediumUpdate::add(const MediumRow &row, const QByteArray &relative)
{
    Folder &folder = m_folders[relative];
    const auto known = folder.files.find(row.file);
    if (known == folder.files.end()) {
        folder.files.insert(row.file, Known{row.id, row.path, row.size, row.modified});
        return;
    }
    // The row already under the folder the medium is mounted on now is the one kept.
    if (row.path == PathUnder(m_root, relative) && known->path != row.path) {
        folder.extra.push_back(known->id);
        *known = Known{row.id, row.path, row.size, row.modified};
    } else {
        folder.extra.push_back(row.id);
    }
}

MediumUpdate::Folder *MediumUpdate::folderOf(const QByteArray &path)
{
    if (m_last && path == m_lastPath)
        return m_last;
    const auto found = m_folders.find(PathBelow(path, m_root));
    m_lastPath = path;
    m_last = found == m_folders.end() ? nullptr : &found->second;
    return m_last;
}

MediumUpdate::Verdict MediumUpdate::file(const FileRow &found, bool known, qint64 &id)
{
    Folder *folder = folderOf(found.path);
    if (!folder)
        return New;
    const auto row = folder->files.find(found.file);
    if (row == folder->files.end())
        return New;
    row->seen = true;
    id = row->id;
    if (!known)
        return Unchanged;
    if (QByteArrayView(found.size.data(), found.sizeLength) != row->size ||
        found.date(FilesField::Modified) != row->modified)
        return Changed;
    return row->path == found.path ? Unchanged : Moved;
}

void MediumUpdate::folderRead(const QByteArray &folder, const std::vector<QByteArray> &subFolders,
                              std::vector<qint64> &removed)
{
    const QByteArray relative = PathBelow(folder, m_root);
    if (relative.isNull())
        return;
    m_last = nullptr;
    if (const auto own = m_folders.find(relative); own != m_folders.end()) {
        for (const Known &row : std::as_const(own->second.files))
            if (!row.seen)
                removed.push_back(row.id);
        removed.insert(removed.end(), own->second.extra.begin(), own->second.extra.end());
        m_folders.erase(own);
    }
    // What is left below this folder was not read whole, or is gone: a folder still listed
    // keeps its rows (it could not be read), one no longer listed loses them.
    const QByteArray prefix = relative.isEmpty() ? relative : relative + '/';
    for (auto below = m_folders.lower_bound(prefix);
         below != m_folders.end() && below->first.startsWith(prefix);) {
        const QByteArray rest = below->first.mid(prefix.size());
        const QByteArray sub = rest.left(rest.indexOf('/') < 0 ? rest.size() : rest.indexOf('/'));
        if (std::binary_search(subFolders.begin(), subFolders.end(), sub)) {
            ++below;
            continue;
        }
        for (const Known &row : std::as_const(below->second.files))
            removed.push_back(row.id);
        removed.insert(removed.end(), below->second.extra.begin(), below->second.extra.end());
        below = m_folders.erase(below);
    }
}
