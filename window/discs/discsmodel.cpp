#include "window/discs/discsmodel.h"

#include "catalogue/casefold.h"
#include "window/main/localdates.h"
#include "window/main/readablesize.h"

#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {

const char *const Captions[DiscsModel::ColumnCount] = {
    QT_TRANSLATE_NOOP("DiscsModel", "Label"),      QT_TRANSLATE_NOOP("DiscsModel", "Serial"),
    QT_TRANSLATE_NOOP("DiscsModel", "Files"),      QT_TRANSLATE_NOOP("DiscsModel", "Members"),
    QT_TRANSLATE_NOOP("DiscsModel", "Size"),       QT_TRANSLATE_NOOP("DiscsModel", "Catalogued"),
    QT_TRANSLATE_NOOP("DiscsModel", "Mounted At"), QT_TRANSLATE_NOOP("DiscsModel", "Note")};

int compareText(const QByteArray &a, const QByteArray &b)
{
    return CaseFold::compare(a.constData(), a.size(), b.constData(), b.size());
}

template <typename T> int compareValue(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A disc's line carries no pointer; a folder's carries the folder. The root folder of a disc
// (the disc's own line) keeps the line's number in its row.
DiscsModel::Folder *folderOf(const QModelIndex &index)
{
    return static_cast<DiscsModel::Folder *>(index.internalPointer());
}

} // namespace

DiscsModel::DiscsModel(QObject *parent)
    : QAbstractItemModel(parent),
      m_dateTimeFormat(LocalDates::dateFormat() + QLatin1Char(' ') + LocalDates::timeFormat())
{}

DiscsModel::~DiscsModel() = default;

QModelIndex DiscsModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount || row >= rowCount(parent))
        return QModelIndex();
    if (!parent.isValid())
        return createIndex(row, column, nullptr);
    const Folder *above = folderOf(parent);
    if (!above)
        above = m_lines[size_t(parent.row())].folders->root();
    return createIndex(row, column, above->children[size_t(row)].get());
}

QModelIndex DiscsModel::parent(const QModelIndex &child) const
{
    const Folder *folder = child.isValid() ? folderOf(child) : nullptr;
    if (!folder)
        return QModelIndex();
    Folder *above = folder->parent;
    if (!above->parent) // the disc's root: the disc's line
        return createIndex(above->row, 0, nullptr);
    return createIndex(above->row, 0, above);
}

int DiscsModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_lines.size());
    if (parent.column() > 0)
        return 0;
    if (const Folder *folder = folderOf(parent))
        return int(folder->children.size());
    const Line &line = m_lines[size_t(parent.row())];
    return line.folders && line.folders->root() ? int(line.folders->root()->children.size()) : 0;
}

int DiscsModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

bool DiscsModel::hasChildren(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return !m_lines.empty();
    if (parent.column() > 0)
        return false;
    if (const Folder *folder = folderOf(parent))
        return !folder->children.empty();
    const Line &line = m_lines[size_t(parent.row())];
    if (!line.folders) // not read yet: a catalogued disc may have folders
        return line.disc.isCatalogued() && m_readFolders;
    return rowCount(parent) > 0;
}

bool DiscsModel::canFetchMore(const QModelIndex &parent) const
{
    return parent.isValid() && !folderOf(parent) && !m_lines[size_t(parent.row())].folders &&
           m_lines[size_t(parent.row())].disc.isCatalogued() && m_readFolders;
}

void DiscsModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const int row = parent.row();
    std::unique_ptr<FolderTree> folders = m_readFolders(m_lines[size_t(row)].disc);
    if (!folders)
        folders = std::make_unique<FolderTree>();
    const Folder *root = folders->root();
    if (!root || root->children.empty()) {
        m_lines[size_t(row)].folders = std::move(folders);
        return;
    }
    folders->root()->row = row;
    beginInsertRows(parent.sibling(row, 0), 0, int(root->children.size()) - 1);
    m_lines[size_t(row)].folders = std::move(folders);
    endInsertRows();
}

QVariant DiscsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole || (role == Qt::EditRole && index.column() == Note))
        return text(index);
    if (role == Qt::TextAlignmentRole &&
        (index.column() == Files || index.column() == Members || index.column() == Size))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && index.column() == Label)
        if (const Folder *folder = folderOf(index))
            return QString::fromUtf8(folder->path);
    return QVariant();
}

QVariant DiscsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount) {
        if (role == Qt::DisplayRole)
            return tr(Captions[section]);
        if (role == Qt::TextAlignmentRole && (section == Files || section == Size))
            return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return QAbstractItemModel::headerData(section, orientation, role);
}

QString DiscsModel::text(const QModelIndex &index) const
{
    const Folder *folder = folderOf(index);
    if (!folder)
        return text(index.row(), index.column());
    switch (index.column()) {
    case Label:
        return QString::fromUtf8(folder->name);
    case Files:
        return QLocale().toString(folder->files);
    case Size:
        return ReadableSize(folder->bytes);
    }
    return QString();
}

QString DiscsModel::text(int row, int column) const
{
    const Disc &disc = m_lines[size_t(row)].disc;
    switch (column) {
    case Label:
        return disc.label;
    case Serial:
        return disc.serial;
    case Files:
        return disc.isCatalogued() ? QLocale().toString(disc.files) : QString();
    case Members:
        return disc.isCatalogued() ? QLocale().toString(disc.members) : QString();
    case Size:
        return disc.isCatalogued() ? ReadableSize(disc.bytes) : QString();
    case Catalogued:
        return disc.catalogued.isValid()
                   ? QLocale().toString(disc.catalogued.toLocalTime(), m_dateTimeFormat)
                   : QString();
    case MountedAt:
        return disc.mountedAt;
    case Note:
        return disc.note;
    }
    return QString();
}

int DiscsModel::discLine(const QModelIndex &index) const
{
    if (!index.isValid())
        return -1;
    const Folder *folder = folderOf(index);
    if (!folder)
        return index.row();
    while (folder->parent)
        folder = folder->parent;
    return folder->row;
}

const DiscsModel::Folder *DiscsModel::folder(const QModelIndex &index) const
{
    return index.isValid() ? folderOf(index) : nullptr;
}

QModelIndex DiscsModel::folderIndex(int line, const QByteArray &path) const
{
    if (line < 0 || line >= int(m_lines.size()) || !m_lines[size_t(line)].folders)
        return QModelIndex();
    const Folder *folder = m_lines[size_t(line)].folders->root();
    while (folder && folder->path != path) {
        const Folder *below = nullptr;
        for (const auto &child : folder->children) {
            const QByteArray &at = child->path;
            if (path.startsWith(at) && (path.size() == at.size() || path[at.size()] == '/')) {
                below = child.get();
                break;
            }
        }
        folder = below;
    }
    if (!folder || !folder->parent)
        return QModelIndex();
    return createIndex(folder->row, 0, const_cast<Folder *>(folder));
}

Qt::ItemFlags DiscsModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractItemModel::flags(index);
    if (index.isValid() && index.column() == Note && !folderOf(index) && m_keepNote &&
        m_notesWritable)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DiscsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != Note || folderOf(index) || role != Qt::EditRole ||
        !m_keepNote)
        return false;
    Disc &disc = m_lines[size_t(index.row())].disc;
    const QString note = value.toString().trimmed();
    if (note == disc.note)
        return true;
    if (!m_keepNote(disc, note))
        return false;
    disc.note = note;
    Q_EMIT dataChanged(index, index);
    return true;
}

QString DiscsModel::totals() const
{
    qint64 discs = 0, files = 0, bytes = 0;
    for (const Line &line : m_lines) {
        if (!line.disc.isCatalogued())
            continue;
        ++discs;
        files += line.disc.files;
        bytes += line.disc.bytes;
    }
    const QLocale locale;
    return QStringLiteral("%1 %2, %3 %4, %5")
        .arg(locale.toString(discs), discs == 1 ? tr("disc") : tr("discs"),
             locale.toString(files), files == 1 ? tr("file") : tr("files"),
             ReadableSize(bytes));
}

void DiscsModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_sortColumn = column;
    m_sortOrder = order;
    // The lines move; the folders below them do not.
    const std::vector<size_t> was = applySort();
    std::vector<int> now(was.size());
    for (size_t row = 0; row < was.size(); ++row)
        now[was[row]] = int(row);
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList moved;
    for (const QModelIndex &index : persistent)
        moved.append(folderOf(index)
                         ? index
                         : createIndex(now[size_t(index.row())], index.column(), nullptr));
    changePersistentIndexList(persistent, moved);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DiscsModel::setDiscs(std::vector<Disc> discs)
{
    beginResetModel();
    m_lines.clear();
    m_lines.reserve(discs.size());
    for (Disc &disc : discs)
        m_lines.push_back({std::move(disc), nullptr});
    applySort();
    endResetModel();
}

std::vector<size_t> DiscsModel::applySort()
{
    // Texts are compared by their folded UTF-8, made once per line.
    struct Key
    {
        QByteArray label, serial, mountedAt, note;
    };
    std::vector<Key> keys(m_lines.size());
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Disc &disc = m_lines[i].disc;
        keys[i] = {disc.label.toUtf8(), disc.serial.toUtf8(), disc.mountedAt.toUtf8(),
                   disc.note.toUtf8()};
    }
    const int column = m_sortColumn;
    const auto compare = [&](size_t i, size_t j) {
        const Disc &a = m_lines[i].disc, &b = m_lines[j].disc;
        int c = 0;
        switch (column) {
        case Serial:
            c = compareText(keys[i].serial, keys[j].serial);
            break;
        case Files:
            c = compareValue(a.files, b.files);
            break;
        case Members:
            c = compareValue(a.isCatalogued() ? a.members : -1, b.isCatalogued() ? b.members : -1);
            break;
        case Size:
            c = compareValue(a.isCatalogued() ? a.bytes : -1, b.isCatalogued() ? b.bytes : -1);
            break;
        case Catalogued:
            c = compareValue(a.catalogued.isValid() ? a.catalogued.toSecsSinceEpoch() : -1,
                             b.catalogued.isValid() ? b.catalogued.toSecsSinceEpoch() : -1);
            break;
        case MountedAt:
            c = compareText(keys[i].mountedAt, keys[j].mountedAt);
            break;
        case Note:
            c = compareText(keys[i].note, keys[j].note);
            break;
        }
        // Equal lines by label, then serial.
        if (c == 0)
            c = compareText(keys[i].label, keys[j].label);
        if (c == 0)
            c = compareText(keys[i].serial, keys[j].serial);
        return c;
    };
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::vector<size_t> order(m_lines.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return descending ? compare(b, a) < 0 : compare(a, b) < 0;
    });
    std::vector<Line> sorted;
    sorted.reserve(m_lines.size());
    for (size_t i : order)
        sorted.push_back(std::move(m_lines[i]));
    m_lines = std::move(sorted);
    for (size_t row = 0; row < m_lines.size(); ++row)
        if (m_lines[row].folders && m_lines[row].folders->root())
            m_lines[row].folders->root()->row = int(row);
    return order;
}
