#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// A folder's entries by name, spelled as the system spells them: bytes that need not be UTF-8.
struct FolderEntries
{
    std::vector<QByteArray> subFolders;
    std::vector<QByteArray> files;
};

// Walks folders for the indexer. Paths and names are kept as the system's bytes so that a name
// that is not valid UTF-8 can still be reached; displayName gives the text to catalogue.
// Failures raise PlatformError with the runtime's numbers (76 path not found, 70 permission
// denied, 57 device I/O error, ...).
class FolderLister
{
public:
    virtual ~FolderLister() = default;

    // The full path of the folder that path names: a relative path is taken against the current
    // folder, "." and ".." are resolved by name, and the result has no separator at its end
    // except for the root. "~" and "~/..." are in the home folder, and a file:// address (as a
    // file manager copies it) names its percent-decoded path. Raises 76 when there is no folder
    // there.
    virtual QByteArray GetFolder(const QString &path) = 0;

    // Whether a folder is (still) there.
    virtual bool isFolder(const QByteArray &folder);

    // The folder's sub-folders and its files, each sorted by the bytes of their names. A
    // symbolic link to a folder is neither (it is not followed). Files are the regular files
    // and the symbolic links to them; device nodes, FIFOs, sockets and broken links are left
    // out.
    virtual void list(const QByteArray &folder, FolderEntries &entries) = 0;

    // A name or path as text: bytes that are not valid UTF-8 become replacement characters.
    static QString displayName(const QByteArray &native);
    // The system's spelling of a typed path, with "~" and file:// addresses taken as above.
    static QByteArray typedPath(const QString &path);
};

// The lister of this system: open/readdir with each entry's type, stat only where the type is
// not told.
FolderLister &systemFolderLister();
