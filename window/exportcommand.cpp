#include "window/exportcommand.h"

#include "catalogue/filerow.h"

#include "platform/oserror.h"
#include "window/cataloguelist.h"
#include "window/cataloguelistmodel.h"
#include "window/errorbox.h"
#include "window/mousepointer.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <string>

namespace {

const char Header[] = "Path,File,Size,Type,Created,Accessed,Modified,Archive,Serial\r\n";
constexpr size_t ChunkSize = size_t(1) << 20;

[[noreturn]] void raiseWriteError()
{
    // errno still holds the failed call's error; 0 gives the general file access error.
    raiseOsError(errno, OsObject::Folder);
}

void appendField(std::string &out, const char *data, int length)
{
    bool quoted = false;
    for (int i = 0; i < length && !quoted; ++i)
        quoted = data[i] == ',' || data[i] == '"' || data[i] == '\r' || data[i] == '\n';
    if (!quoted) {
        out.append(data, size_t(length));
        return;
    }
    out += '"';
    for (int i = 0; i < length; ++i) {
        if (data[i] == '"')
            out += '"';
        out += data[i];
    }
    out += '"';
}

// Size as a plain integer; a text that is no size is kept as stored.
void appendSize(std::string &out, const char *data, int length)
{
    const qint64 bytes = FileRow::sizeValue(data, length);
    if (bytes < 0)
        return appendField(out, data, length);
    out += std::to_string(bytes);
}

// Dates are stored as "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss"; ISO 8601 puts a T before the time.
void appendDate(std::string &out, const char *data, int length)
{
    const size_t start = out.size();
    appendField(out, data, length);
    if (length == 19 && data[10] == ' ' && out.size() == start + 19)
        out[start + 10] = 'T';
}

} // namespace

void ExportCommand::mnuExportList_Click(QWidget *parent)
{
    if (m_folder.isEmpty())
        m_folder = QDir::homePath();
    const QString file = m_saveFileName(parent, QStringLiteral("Export List"),
                                        m_folder + QStringLiteral("/catalogue.csv"));
    if (file.isEmpty())
        return;
    m_folder = QFileInfo(file).absolutePath();
    m_pointer.setMousePointer(vbHourglass);
    try {
        writeCsv(file);
        m_pointer.setMousePointer(vbDefault);
    } catch (const PlatformError &error) {
        m_pointer.setMousePointer(vbDefault);
        ShowErrorBox(error.number(), error.description());
    }
}

void ExportCommand::writeCsv(const QString &file) const
{
    // Unbuffered: each write reaches the system at once, so errno is the failed write's own.
    QSaveFile out(file);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        raiseWriteError();
    std::string text(Header);
    text.reserve(ChunkSize + 64 * 1024);
    auto write = [&out, &text] {
        errno = 0;
        if (out.write(text.data(), qint64(text.size())) != qint64(text.size()))
            raiseWriteError();
        text.clear();
    };
    // The rows' stored bytes, read in the order shown; a text per cell would cost more than
    // the writing.
    const CatalogueListModel &model = *m_list.model();
    const int rows = model.rowCount();
    for (int row = 0; row < rows; ++row) {
        for (int column = CatalogueListModel::Path; column < CatalogueListModel::ColumnCount;
             ++column) {
            const auto [data, length] = model.storedCell(row, column);
            if (column != CatalogueListModel::Path)
                text += ',';
            if (column == CatalogueListModel::Size)
                appendSize(text, data, length);
            else if (column >= CatalogueListModel::Created &&
                     column <= CatalogueListModel::Modified)
                appendDate(text, data, length);
            else
                appendField(text, data, length);
        }
        text += "\r\n";
        if (text.size() >= ChunkSize)
            write();
    }
    write();
    errno = 0;
    if (!out.commit())
        raiseWriteError();
}
