#include "window/list/exportcommand.h"

#include "catalogue/filerow.h"
#include "catalogue/filesfield.h"
#include "catalogue/storeddate.h"

#include "platform/oserror.h"
#include "window/list/cataloguelist.h"
#include "window/list/cataloguelistmodel.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/busycursor.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <string>

namespace {

constexpr size_t ChunkSize = size_t(1) << 20;

[[noreturn]] void raiseWriteError()
{
    // errno still holds the failed call's error; 0 gives the general file access error.
    raiseOsError(errno, OsObject::Folder);
}

// The cell as valid UTF-8: bytes that are not are written as the list shows them (U+FFFD).
std::pair<const char *, int> asUtf8(const char *data, int length, QByteArray &converted)
{
    bool ascii = true;
    for (int i = 0; i < length && ascii; ++i)
        ascii = uchar(data[i]) < 0x80;
    if (ascii)
        return {data, length};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(QByteArrayView(data, length));
    if (!utf8.hasError())
        return {data, length};
    converted = text.toUtf8();
    return {converted.constData(), int(converted.size())};
}

// A cell that a spreadsheet would take for a formula (or whose leading blank it would drop)
// starts with an apostrophe, so that a file's name stays its name.
bool readAsFormula(const char *data, int length)
{
    return length > 0 && (data[0] == '=' || data[0] == '+' || data[0] == '-' || data[0] == '@' ||
                          data[0] == '\t' || data[0] == '\r');
}

void appendField(std::string &out, const char *storedData, int storedLength)
{
    QByteArray converted;
    const auto [data, length] = asUtf8(storedData, storedLength, converted);
    const bool guarded = readAsFormula(data, length);
    bool quoted = false;
    for (int i = 0; i < length && !quoted; ++i)
        quoted = data[i] == ',' || data[i] == '"' || data[i] == '\r' || data[i] == '\n';
    if (!quoted) {
        if (guarded)
            out += '\'';
        out.append(data, size_t(length));
        return;
    }
    out += '"';
    if (guarded)
        out += '\'';
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

// A date as ISO 8601 has it; a text that is no date is kept as stored.
void appendDate(std::string &out, const char *data, int length)
{
    if (!StoredDate::appendIso(data, length, out))
        appendField(out, data, length);
}

} // namespace

void ExportCommand::mnuExportList_Click(QWidget *parent)
{
    if (m_folder.isEmpty())
        m_folder = QDir::homePath();
    const QString file = m_saveFileName(parent, tr("Export List"),
                                        m_folder + QStringLiteral("/catalogue.csv"));
    if (file.isEmpty())
        return;
    m_folder = QFileInfo(file).absolutePath();
    try {
        const BusyCursor busy;
        writeCsv(file);
    } catch (const PlatformError &error) {
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
    // The fields' names, every one but the ID, which is the catalogue's own.
    std::string text;
    for (int field = FilesField::Path; field < FilesField::FieldCount; ++field) {
        if (field != FilesField::Path)
            text += ',';
        text += FilesField::Names[field];
    }
    text += "\r\n";
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
        for (int column = FilesField::Path; column < FilesField::FieldCount; ++column) {
            const auto [data, length] = model.storedCell(row, column);
            if (column != FilesField::Path)
                text += ',';
            if (column == FilesField::Size)
                appendSize(text, data, length);
            else if (FilesField::isDate(column))
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
