#include "platform/folderlister.h"

#include "platform/oserror.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray currentFolder()
{
    char *cwd = ::getcwd(nullptr, 0);
    if (!cwd)
        raiseOsError(errno, OsObject::Folder);
    QByteArray result(cwd);
    std::free(cwd);
    return result;
}

// Absolute, with "." and ".." resolved by name and no empty parts.
QByteArray absoluteClean(const QByteArray &path)
{
    const QByteArray full = path.startsWith('/') ? path : currentFolder() + '/' + path;
    std::vector<QByteArray> parts;
    for (const QByteArray &part : full.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty())
        return QByteArrayLiteral("/");
    QByteArray result;
    for (const QByteArray &part : parts)
        result += '/' + part;
    return result;
}

class SystemFolderLister : public FolderLister
{
public:
    QByteArray GetFolder(const QString &path) override
    {
        const QByteArray native = QFile::encodeName(path);
        if (native.contains('\0')) // the system would read only the part before it
            raiseOsError(ENAMETOOLONG, OsObject::Folder);
        const QByteArray folder = absoluteClean(native);
        struct stat st;
        if (::stat(folder.constData(), &st) != 0)
            raiseOsError(errno, OsObject::Folder);
        if (!S_ISDIR(st.st_mode))
            raiseOsError(ENOTDIR, OsObject::Folder);
        return folder;
    }

    void list(const QByteArray &folder, FolderEntries &entries) override
    {
        entries.subFolders.clear();
        entries.files.clear();
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            raiseOsError(errno, OsObject::Folder);
        DIR *dir = ::fdopendir(fd);
        if (!dir) {
            const int err = errno;
            ::close(fd);
            raiseOsError(err, OsObject::Folder);
        }
        int err = 0;
        for (;;) {
            errno = 0;
            const dirent *entry = ::readdir(dir);
            if (!entry) {
                err = errno;
                break;
            }
            const char *name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            if (isFolder(fd, name, entry->d_type))
                entries.subFolders.emplace_back(name);
            else if (!isLinkToFolder(fd, name, entry->d_type))
                entries.files.emplace_back(name);
        }
        ::closedir(dir);
        if (err != 0)
            raiseOsError(err, OsObject::Folder);
        std::sort(entries.subFolders.begin(), entries.subFolders.end());
        std::sort(entries.files.begin(), entries.files.end());
    }

private:
    static bool isFolder(int fd, const char *name, unsigned char type)
    {
        if (type != DT_UNKNOWN)
            return type == DT_DIR;
        struct stat st;
        return ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }

    static bool isLinkToFolder(int fd, const char *name, unsigned char type)
    {
        struct stat st;
        if (type == DT_UNKNOWN) {
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode))
                return false;
        } else if (type != DT_LNK) {
            return false;
        }
        return ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
};

} // namespace

QByteArray FolderLister::childPath(const QByteArray &folder, const QByteArray &name)
{
    if (folder.endsWith('/'))
        return folder + name;
    QByteArray path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += '/';
    path += name;
    return path;
}

QString FolderLister::displayName(const QByteArray &native)
{
    return QString::fromUtf8(native);
}

FolderLister &systemFolderLister()
{
    static SystemFolderLister lister;
    return lister;
}
