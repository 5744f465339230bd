#include "platform/gioshell.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gio/gio.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first bytes of a file that the kernel runs itself: an ELF image or a script.
enum class ProgramKind { None, Elf, Script };

ProgramKind programKind(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ProgramKind::None;
    char bytes[4];
    const ssize_t got = ::read(fd, bytes, sizeof bytes);
    ::close(fd);
    const QByteArray head(bytes, got > 0 ? int(got) : 0);
    if (head.startsWith("\x7f"
                        "ELF"))
        return ProgramKind::Elf;
    if (head.startsWith("#!"))
        return ProgramKind::Script;
    return ProgramKind::None;
}

// Content types of programs for another system, which no association here can open.
bool isForeignProgram(const char *contentType)
{
    static const char *const types[] = {
        "application/x-msdownload", "application/x-ms-dos-executable",
        "application/x-msdos-program", "application/x-executable", "application/x-sharedlib"};
    for (const char *t : types)
        if (g_content_type_is_a(contentType, t))
            return true;
    return false;
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

} // namespace

ShellExecutor &systemShell()
{
    static GioShell shell;
    return shell;
}

int GioShell::ShellExecute(const QString &operation, const QByteArray &file,
                           const QString &parameters, const QString &directory, int showCommand)
{
    Q_UNUSED(showCommand);
    if (!operation.isEmpty() && operation.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return SE_ERR_NOASSOC;
    if (file.isEmpty())
        return ERROR_FILE_NOT_FOUND;

    QByteArray native = file;
    if (!native.startsWith('/'))
        native =
            QFile::encodeName(directory.isEmpty() ? QDir::currentPath() : directory) + '/' + native;

    struct stat st;
    const QByteArray folder = folderOf(native);
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ERROR_PATH_NOT_FOUND;
    if (::stat(native.constData(), &st) != 0)
        return ERROR_FILE_NOT_FOUND;

    const bool regular = S_ISREG(st.st_mode);
    const bool executable = regular && ::access(native.constData(), X_OK) == 0;
    const ProgramKind kind = regular ? programKind(native) : ProgramKind::None;
    if (kind == ProgramKind::Elf || (kind == ProgramKind::Script && executable)) {
        if (!executable)
            return ERROR_BAD_FORMAT;
        return runProgram(native, parameters, directory);
    }
    // Files on many discs carry the execute bit whatever they hold: only the content decides.
    return openDocument(native, executable);
}

int GioShell::runProgram(const QByteArray &path, const QString &parameters,
                         const QString &directory)
{
    // Started detached: the program outlives the request and is never waited for.
    if (!QProcess::startDetached(QFile::decodeName(path), QProcess::splitCommand(parameters),
                                 directory))
        return ERROR_BAD_FORMAT;
    return ShellExecuteSucceeded;
}

int GioShell::openDocument(const QByteArray &path, bool executable)
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
        return missing ? ERROR_FILE_NOT_FOUND : 0;
    }

    int result = 0;
    const char *contentType = g_file_info_get_content_type(info);
    GAppInfo *app = contentType ? g_app_info_get_default_for_type(contentType, FALSE) : nullptr;
    if (!app) {
        const bool program = executable || (contentType && isForeignProgram(contentType));
        result = program ? ERROR_BAD_FORMAT : SE_ERR_NOASSOC;
    } else {
        GList files = {file, nullptr, nullptr};
        if (g_app_info_launch(app, &files, nullptr, &error)) {
            result = ShellExecuteSucceeded;
        } else {
            g_error_free(error); // a failure the system does not name: not reported
            result = 0;
        }
        g_object_unref(app);
    }
    g_object_unref(info);
    g_object_unref(file);
    return result;
}
