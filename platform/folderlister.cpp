#include "platform/folderlister.h"

#include "platform/oserror.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
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
        const QByteArray native = typedPath(path);
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

    bool isFolder(const QByteArray &folder) override
    {
        struct stat st;
        return ::stat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode);
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
            else if (isFile(fd, name, entry->d_type))
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

    // A regular file, or a symbolic link to one (catalogued as the file it names). Device
    // nodes, FIFOs, sockets and links to anything else or to nothing are not files to record.
    static bool isFile(int fd, const char *name, unsigned char type)
    {
        if (type == DT_REG)
            return true;
        if (type != DT_LNK && type != DT_UNKNOWN)
            return false;
        struct stat st;
        return ::fstatat(fd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
};

} // namespace

bool FolderLister::isFolder(const QByteArray &folder)
{
    try {
        FolderEntries entries;
        list(folder, entries);
        return true;
    } catch (const PlatformError &) {
        return false;
    }
}

QByteArray FolderLister::typedPath(const QString &path)
{
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/"))) {
        QByteArray home = qgetenv("HOME");
        if (home.isEmpty()) {
            if (const passwd *user = ::getpwuid(::getuid()))
                home = user->pw_dir;
        }
        if (!home.isEmpty())
            return home + QFile::encodeName(path.mid(1));
    }
    static const QLatin1String scheme("file://");
    if (path.startsWith(scheme, Qt::CaseInsensitive)) {
        QString rest = path.mid(scheme.size());
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        const QString host = slash < 0 ? rest : rest.left(slash);
        if (slash >= 0 && (host.isEmpty() ||
                           host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)) {
            rest = rest.mid(slash);
            // A '#' or '?' of the name itself is always percent-encoded in an address.
            const qsizetype end = rest.indexOf(QRegularExpression(QStringLiteral("[?#]")));
            if (end >= 0)
                rest.truncate(end);
            // Decoded to bytes: a name that is not UTF-8 arrives as its own bytes.
            return QByteArray::fromPercentEncoding(rest.toUtf8());
        }
    }
    return QFile::encodeName(path);
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
