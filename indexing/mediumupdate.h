#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <map>
#include <vector>

class Catalogue;
struct FileRow;
struct MediumRow;

// What an update knows of one medium's rows, folder by folder below the folder the medium is
// mounted on now, and what it makes of each file the walk finds there. A row's folder is placed
// on the medium by the longest root the medium was catalogued at that the row's Path lies under.
class MediumUpdate
{
public:
    enum Verdict {
        New,       // no row yet: added as indexing adds it
        Unchanged, // the row is true as it stands
        Changed,   // size or modification date differ: the row gets the file's values
        Moved,     // true, but catalogued under another mount point: the row gets the new Path
    };

    // Label and serial texts as the rows carry them.
    MediumUpdate(const QString &label, const QString &serial);

    const QByteArray &label() const { return m_label; }
    const QByteArray &serial() const { return m_serial; }

    // Reads the medium's rows under each root recorded for it and under root, where the walk
    // starts. Raises PlatformError for an engine failure.
    void load(Catalogue &catalogue, const QByteArray &root);

    // The verdict for a file the walk found (its row as indexing makes it; known false when its
    // metadata could not be read, which leaves a row as it is), and the ID of its row.
    Verdict file(const FileRow &found, bool known, qint64 &id);

    // A folder was read whole: the rows of its files that were not found, and of its catalogued
    // sub-folders that are no longer listed, are added to removed.
    void folderRead(const QByteArray &folder, const std::vector<QByteArray> &subFolders,
                    std::vector<qint64> &removed);

private:
    struct Known
    {
        qint64 id;
        QByteArray path;
        QByteArray size;
        QByteArray modified;
        bool seen = false;
    };
    struct Folder
    {
        QHash<QByteArray, Known> files;
        std::vector<qint64> extra; // further rows of a name already known: one row per file
    };

    void add(const MediumRow &row, const QByteArray &relative);
    Folder *folderOf(const QByteArray &path);

    QByteArray m_label;
    QByteArray m_serial;
    QByteArray m_root;
    std::map<QByteArray, Folder> m_folders; // by the part of the path below the root
    QByteArray m_lastPath;                  // the folder the walk last asked about, and its rows
    Folder *m_last = nullptr;
};
