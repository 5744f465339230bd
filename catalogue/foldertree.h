#pragma once

#include <QByteArray>
#include <QHash>
#include <QtGlobal>

#include <memory>
#include <vector>

// The folders of one medium, built from its rows' Path and Size texts: each folder with the files
// and bytes at and below it. The tree starts at the deepest folder every row lies at or below
// (the medium's root as it was mounted), which is the tree's root. Sub-folders are in name order
// without regard to case.
class FolderTree
{
public:
    struct Folder
    {
        QByteArray name; // UTF-8, as the rows carry it; the root's is its whole path
        QByteArray path; // the whole folder as the rows carry it
        qint64 files = 0;
        qint64 bytes = 0;
        Folder *parent = nullptr;
        int row = 0; // its place among its parent's sub-folders
        std::vector<std::unique_ptr<Folder>> children;
    };

    // One row: its folder and its Size text (no value is the empty text). In any order; a
    // medium's rows mostly come folder by folder, so a row of the folder before costs no lookup.
    void add(const char *path, int pathLength, const char *size, int sizeLength);
    // Builds the folders of the rows added; the root is null when none was.
    void build();
    Folder *root() const { return m_root.get(); }

private:
    struct Tally
    {
        qint64 files = 0;
        qint64 bytes = 0;
    };
    QHash<QByteArray, Tally> m_tallies;
    QByteArray m_lastPath;
    Tally *m_last = nullptr;
    std::unique_ptr<Folder> m_root;
};
