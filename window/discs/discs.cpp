#include "window/discs/discs.h"

#include "catalogue/archivemembers.h"
#include "catalogue/catalogue.h"
#include "catalogue/foldertree.h"
#include "catalogue/media.h"
#include "catalogue/storeddate.h"
#include "indexing/volumeid.h"
#include "platform/mountedmedia.h"
#include "platform/platformerror.h"
#include "window/list/cataloguelist.h"
#include "window/list/cataloguelistmodel.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/messagebox.h"
#include "window/boxes/busycursor.h"

#include <QHash>
#include <QLocale>
#include <QSet>

namespace {

QString text(const QByteArray &utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

const std::vector<MediumTotals> &Discs::totals()
{
    const QPair<qint64, qint64> now = m_catalogue.changeStamp();
    // Rows still coming in behind the window, or read before the file last changed, are not
    // what it holds now.
    if (m_list.view().narrowed() || !m_list.holdsWholeCatalogue()) {
        // Read again only when the rows have changed since they were last counted.
        if (now != m_countedAt || now.first < 0) {
            m_totals = m_catalogue.media().totals();
            m_members.clear();
            for (const ArchiveMembers::MediumCount &count : m_catalogue.media().memberCounts())
                m_members.insert({count.label, count.serial}, count.members);
        }
    } else {
        // The list holds every row already: counting them there reads nothing again. Its
        // files come first, then the members of archives, which are no files of the disc.
        MediaTally tally;
        m_members.clear();
        const CatalogueRows &rows = m_list.model()->storedRows();
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto [label, labelLength] = rows.cell(i, CatalogueListModel::Archive);
            const auto [serial, serialLength] = rows.cell(i, CatalogueListModel::Serial);
            if (rows.isMember(i)) {
                ++m_members[{QByteArray(label, labelLength), QByteArray(serial, serialLength)}];
                continue;
            }
            const auto [size, sizeLength] = rows.cell(i, CatalogueListModel::Size);
            tally.add(label, labelLength, serial, serialLength, size, sizeLength);
        }
        m_totals = tally.media();
    }
    m_countedAt = now;
    return m_totals;
}

std::vector<Disc> Discs::list()
{
    const std::vector<MediumTotals> &media = totals();
    const QHash<Media::Key, QByteArray> times = m_catalogue.media().catalogued();
    const QHash<Media::Key, QString> notes = m_catalogue.media().notes();

    // Where each medium is mounted now, the first in the mount table's order, by the texts its
    // rows would carry.
    QHash<QPair<QString, QString>, QString> mounted;
    std::vector<std::pair<QPair<QString, QString>, QString>> shown;
    if (m_media) {
        for (const MountedMedium &medium : m_media->list()) {
            QPair<QString, QString> key;
            FormatVolumeId(medium.label, medium.serial, key.first, key.second);
            if (!mounted.contains(key))
                mounted.insert(key, medium.root);
            if (medium.userVisible)
                shown.emplace_back(key, medium.root);
        }
    }

    std::vector<Disc> discs;
    discs.reserve(media.size() + shown.size());
    QSet<QPair<QString, QString>> listed;
    for (const MediumTotals &medium : media) {
        Disc disc;
        disc.label = text(medium.label);
        disc.serial = text(medium.serial);
        disc.files = medium.files;
        disc.bytes = medium.bytes;
        disc.members = m_members.value({medium.label, medium.serial});
        const QByteArray when = times.value(Media::Key(medium.label, medium.serial));
        disc.catalogued = StoredDate::parse(when).utc();
        disc.note = notes.value(Media::Key(medium.label, medium.serial));
        const QPair<QString, QString> key(disc.label, disc.serial);
        // A medium catalogued from no disc (no serial) is mounted nowhere.
        if (!disc.serial.trimmed().isEmpty())
            disc.mountedAt = mounted.value(key);
        listed.insert(key);
        discs.push_back(std::move(disc));
    }
    for (const auto &[key, root] : shown) {
        if (listed.contains(key))
            continue;
        listed.insert(key);
        Disc disc;
        disc.label = key.first;
        disc.serial = key.second;
        disc.mountedAt = root;
        disc.note = notes.value(Media::Key(key.first.toUtf8(), key.second.toUtf8()));
        discs.push_back(std::move(disc));
    }
    return discs;
}

std::unique_ptr<FolderTree> Discs::folders(const Disc &disc)
{
    auto tree = std::make_unique<FolderTree>();
    if (m_list.view().narrowed()) {
        m_catalogue.media().folders(disc.label, disc.serial, *tree);
    } else {
        // The rows held: a disc's rows share their label and serial cells, so most rows cost a
        // comparison of pointers.
        const QByteArray label = disc.label.toUtf8(), serial = disc.serial.toUtf8();
        const CatalogueRows &rows = m_list.model()->storedRows();
        bool ours = false;
        // Files only, as the disc's own counts and the narrowed read have them: the members of
        // archives come after every file.
        for (size_t i = 0; i < rows.size() && !rows.isMember(i); ++i) {
            if (i == 0 || !rows.sharesCellAbove(i, CatalogueListModel::Archive) ||
                !rows.sharesCellAbove(i, CatalogueListModel::Serial)) {
                const auto [labelData, labelLength] = rows.cell(i, CatalogueListModel::Archive);
                const auto [serialData, serialLength] = rows.cell(i, CatalogueListModel::Serial);
                ours = QByteArrayView(labelData, labelLength) == label &&
                       QByteArrayView(serialData, serialLength) == serial;
            }
            if (!ours)
                continue;
            const auto [path, pathLength] = rows.cell(i, CatalogueListModel::Path);
            const auto [size, sizeLength] = rows.cell(i, CatalogueListModel::Size);
            tree->add(path ? path : "", pathLength, size ? size : "", sizeLength);
        }
    }
    tree->build();
    return tree;
}

bool Discs::showFolder(const Disc &disc, const QString &folder)
{
    return show(ListView::folder(disc.label, disc.serial, folder));
}

bool Discs::showFiles(const Disc &disc)
{
    return show(ListView::medium(disc.label, disc.serial));
}

bool Discs::show(const ListView &view)
{
    const BusyCursor busy;
    try {
        if (m_list.show(view) >= 1)
            return true;
        // Removed meanwhile: as a search that finds nothing, the whole catalogue again.
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    m_list.showWholeCatalogue();
    return false;
}

bool Discs::setNote(const Disc &disc, const QString &note)
{
    try {
        m_catalogue.media().setNote(disc.label, disc.serial, note);
        return true;
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
        return false;
    }
}

bool Discs::removeDisc(const Disc &disc)
{
    const QString question = tr("Remove the %1 files of \"%2\" from the catalogue?")
                                 .arg(QLocale().toString(disc.files), disc.label);
    if (showBox(question, tr("Remove Disc"), BoxButtons::YesNoDefaultNo) !=
        BoxAnswer::Yes)
        return false;
    bool removed = false;
    // The whole catalogue's rows are held: the disc's are found there, not by a pass of the
    // catalogue, and dropped from them after, not read again.
    const bool held = m_list.holdsWholeCatalogue();
    std::vector<quint32> stored;
    try {
        const BusyCursor busy;
        std::optional<std::vector<qint64>> ids;
        if (held) {
            const QByteArray label = disc.label.toUtf8(), serial = disc.serial.toUtf8();
            const CatalogueRows &rows = m_list.model()->storedRows();
            ids.emplace();
            for (size_t i = 0; i < rows.size(); ++i) {
                const auto [labelData, labelLength] = rows.cell(i, CatalogueListModel::Archive);
                const auto [serialData, serialLength] = rows.cell(i, CatalogueListModel::Serial);
                if (QByteArrayView(labelData, labelLength) != label ||
                    QByteArrayView(serialData, serialLength) != serial)
                    continue;
                stored.push_back(quint32(i));
                // Files only: the members go with their archives.
                if (!rows.isMember(i))
                    ids->push_back(rows.id(i));
            }
        }
        m_catalogue.removeMedium(disc.label, disc.serial, ids);
        removed = true;
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    if (!removed) {
        m_list.RefreshLv();
        return false;
    }
    // The list showed that disc's files alone: nothing of it is left to show.
    const ListView &view = m_list.view();
    const bool itsView = view.kind() == ListView::Medium && view.label() == disc.label &&
                         view.serial() == disc.serial;
    if (held || !itsView)
        m_list.removedHeld(std::move(stored), held);
    if (itsView)
        m_list.showWholeCatalogue();
    return removed;
}
