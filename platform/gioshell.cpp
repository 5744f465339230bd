#include "platform/gioshell.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gio/gio.h>

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Only an ELF image is a program, as only an .exe is one on Windows: scripts, and every file of
// a disc that marks all its files executable, are documents.
bool isElf(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char bytes[4];
    const bool elf = ::read(fd, bytes, sizeof bytes) == 4 && std::memcmp(bytes,
                                                                         "\x7f"
                                                                         "ELF",
                                                                         4) == 0;
    ::close(fd);
    return elf;
}

QByteArray folderOf(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArray(".");
    if (slash == 0)
        return QByteArray("/");
    return path.left(slash);
}

// The application of the file's type could not be started: an image the system will not run
// is a program of a bad format; anything else (its program or the terminal it asks for not
// there) is a program not found.
OpenResult launchFailure(const GError *error)
{
    if (error->domain == G_SPAWN_ERROR &&
        (error->code == G_SPAWN_ERROR_NOEXEC || error->code == G_SPAWN_ERROR_ACCES ||
         error->code == G_SPAWN_ERROR_PERM || error->code == G_SPAWN_ERROR_ISDIR ||
         error->code == G_SPAWN_ERROR_LIBBAD))
        return OpenResult::BadFormat;
    return OpenResult::ApplicationMissing;
}

} // namespace

FileOpener &systemFileOpener()
{
    static GioShell shell;
    return shell;
}

OpenResult GioShell::open(const QByteArray &file)
{
    if (file.isEmpty())
        return OpenResult::FileMissing;
    const QByteArray native =
        file.startsWith('/') ? file : QFile::encodeName(QDir::currentPath()) + '/' + file;

    struct stat st;
    const QByteArray folder = folderOf(native);
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return OpenResult::FolderMissing;
    if (::stat(native.constData(), &st) != 0)
        return OpenResult::FileMissing;

    // Files on many discs carry the execute bit whatever they hold: a script is opened like any
    // document (shown, not run), and only a real program with the bit is started.
    if (S_ISREG(st.st_mode) && ::access(native.constData(), X_OK) == 0 && isElf(native))
        return runProgram(native);
    return openDocument(native);
}

OpenResult GioShell::runProgram(const QByteArray &path)
{
    // Started detached: the program outlives the request and is never waited for.
    if (!QProcess::startDetached(QFile::decodeName(path), QStringList()))
        return OpenResult::BadFormat;
    return OpenResult::Opened;
}

OpenResult GioShell::openDocument(const QByteArray &path)
{
    // The path's own bytes, so that a name that is not UTF-8 is still found.
    GFile *file = g_file_new_for_path(path.constData());
    GError *error = nullptr;
    GFileInfo *info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                        G_FILE_QUERY_INFO_NONE, nullptr, &error);
    if (!info) {
        const bool missing = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_FOUND);
        g_error_free(error);
        g_object_unref(file);
        return missing ? OpenResult::FileMissing : OpenResult::Failed;
    }

    OpenResult result = OpenResult::Failed;
    const char *contentType = g_file_info_get_content_type(info);
    GAppInfo *app = contentType ? g_app_info_get_default_for_type(contentType, FALSE) : nullptr;
    if (!app) {
        result = OpenResult::NoApplication;
    } else {
        GList files = {file, nullptr, nullptr};
        if (g_app_info_launch(app, &files, nullptr, &error)) {
            result = OpenResult::Opened;
        } else {
            result = launchFailure(error);
            g_error_free(error);
        }
        g_object_unref(app);
    }
    g_object_unref(info);
    g_object_unref(file);
    return result;
}
