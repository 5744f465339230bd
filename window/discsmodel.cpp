#include "window/discsmodel.h"

#include "catalogue/casefold.h"
#include "window/localdates.h"
#include "window/readablesize.h"

#include <QLocale>

#include <algorithm>

namespace {

const char *const Captions[DiscsModel::ColumnCount] = {
    "Label", "Serial", "Files", "Size", "Catalogued", "Mounted At", "Note"};

int compareText(const QByteArray &a, const QByteArray &b)
{
    return CaseFold::compare(a.constData(), a.size(), b.constData(), b.size());
}

template <typename T> int compareValue(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

DiscsModel::DiscsModel(QObject *parent)
    : QAbstractTableModel(parent),
      m_dateTimeFormat(LocalDates::dateFormat() + QLatin1Char(' ') + LocalDates::timeFormat())
{}

int DiscsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_discs.size());
}

int DiscsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DiscsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role == Qt::DisplayRole || (role == Qt::EditRole && index.column() == Note))
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && (index.column() == Files || index.column() == Size))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant DiscsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return QString::fromLatin1(Captions[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString DiscsModel::text(int row, int column) const
{
    const Disc &disc = m_discs[size_t(row)];
    switch (column) {
    case Label:
        return disc.label;
    case Serial:
        return disc.serial;
    case Files:
        return disc.isCatalogued() ? QLocale().toString(disc.files) : QString();
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

Qt::ItemFlags DiscsModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Note && m_keepNote)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DiscsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != Note || role != Qt::EditRole || !m_keepNote)
        return false;
    Disc &disc = m_discs[size_t(index.row())];
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
    for (const Disc &disc : m_discs) {
        if (!disc.isCatalogued())
            continue;
        ++discs;
        files += disc.files;
        bytes += disc.bytes;
    }
    const QLocale locale;
    return QStringLiteral("%1 %2, %3 %4, %5")
        .arg(locale.toString(discs), discs == 1 ? QStringLiteral("disc") : QStringLiteral("discs"),
             locale.toString(files), files == 1 ? QStringLiteral("file") : QStringLiteral("files"),
             ReadableSize(bytes));
}

void DiscsModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_sortColumn = column;
    m_sortOrder = order;
    applySort();
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DiscsModel::setDiscs(std::vector<Disc> discs)
{
    beginResetModel();
    m_discs = std::move(discs);
    applySort();
    endResetModel();
}

void DiscsModel::applySort()
{
    // Texts are compared by their folded UTF-8, made once per line.
    struct Line
    {
        Disc disc;
        QByteArray label, serial, mountedAt, note;
    };
    std::vector<Line> lines;
    lines.reserve(m_discs.size());
    for (Disc &disc : m_discs)
        lines.push_back({std::move(disc), {}, {}, {}, {}});
    for (Line &line : lines) {
        line.label = line.disc.label.toUtf8();
        line.serial = line.disc.serial.toUtf8();
        line.mountedAt = line.disc.mountedAt.toUtf8();
        line.note = line.disc.note.toUtf8();
    }
    const int column = m_sortColumn;
    const auto compare = [column](const Line &a, const Line &b) {
        int c = 0;
        switch (column) {
        case Serial:
            c = compareText(a.serial, b.serial);
            break;
        case Files:
            c = compareValue(a.disc.files, b.disc.files);
            break;
        case Size:
            c = compareValue(a.disc.isCatalogued() ? a.disc.bytes : -1,
                             b.disc.isCatalogued() ? b.disc.bytes : -1);
            break;
        case Catalogued:
            c = compareValue(
                a.disc.catalogued.isValid() ? a.disc.catalogued.toSecsSinceEpoch() : -1,
                b.disc.catalogued.isValid() ? b.disc.catalogued.toSecsSinceEpoch() : -1);
            break;
        case MountedAt:
            c = compareText(a.mountedAt, b.mountedAt);
            break;
        case Note:
            c = compareText(a.note, b.note);
            break;
        }
        // Equal lines by label, then serial.
        if (c == 0)
            c = compareText(a.label, b.label);
        if (c == 0)
            c = compareText(a.serial, b.serial);
        return c;
    };
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::stable_sort(lines.begin(), lines.end(), [&](const Line &a, const Line &b) {
        return descending ? compare(b, a) < 0 : compare(a, b) < 0;
    });
    for (size_t i = 0; i < lines.size(); ++i)
        m_discs[i] = std::move(lines[i].disc);
}
