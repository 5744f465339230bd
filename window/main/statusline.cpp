#include "window/main/statusline.h"

#include "catalogue/catalogue.h"
#include "catalogue/filerow.h"
#include "catalogue/media.h"
#include "platform/platformerror.h"
#include "window/list/cataloguelist.h"
#include "window/list/cataloguelistmodel.h"
#include "window/main/readablesize.h"

#include <QItemSelectionModel>
#include <QLocale>

namespace {

QString files(qint64 count)
{
    return count == 1 ? StatusLine::tr("1 file")
                      : StatusLine::tr("%1 files").arg(QLocale().toString(count));
}

} // namespace

StatusLine::StatusLine(Catalogue &catalogue, CatalogueList &list, QWidget *parent)
    : QLabel(parent), m_catalogue(catalogue), m_list(list)
{
    setObjectName(QStringLiteral("lblStatus"));
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    m_later.setSingleShot(true);
    m_later.setInterval(0);
    connect(&m_later, &QTimer::timeout, this, &StatusLine::refresh);
    CatalogueListModel *model = list.model();
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        // A refill that follows a removal tells of it; any other is the next action.
        if (m_catalogue.removals() != m_removalsSeen) {
            m_removalsSeen = m_catalogue.removals();
            const qint64 removed = m_catalogue.removedCount();
            showMessage(tr("Removed %1. Ctrl+Z puts them back.").arg(files(removed)));
            return;
        }
        actionDone();
    });
    connect(model, &QAbstractItemModel::layoutChanged, this, &StatusLine::actionDone);
    // Rows coming in behind the window are counted as they come.
    connect(model, &CatalogueListModel::rowsArrived, &m_later, qOverload<>(&QTimer::start));
    connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &StatusLine::actionDone);
}

void StatusLine::showMessage(const QString &message)
{
    m_message = message;
    m_later.stop();
    setText(message);
}

void StatusLine::actionDone()
{
    // Rows coming in behind the window, set in order once all are in, are no action of the
    // user's: what a run just did stays.
    if (!m_list.filling())
        m_message.clear();
    m_later.start();
}

void StatusLine::refresh()
{
    if (!m_message.isEmpty())
        return;
    QString line;
    if (m_list.view().narrowed()) {
        line = tr("%1 of %2 (%3)")
                   .arg(QLocale().toString(qint64(m_list.count())), files(catalogueFiles()),
                        viewText());
    } else if (m_list.filling()) {
        line = files(qint64(m_list.model()->storedRows().size()));
    } else {
        line = files(m_list.count());
        // The whole catalogue is the total of every narrowed view until the file changes: a
        // search then needs no count of its own.
        const QPair<qint64, qint64> now = m_catalogue.changeStamp();
        if (now.first >= 0) {
            m_countedAt = now;
            m_total = m_list.count();
        }
    }
    setText(line + selectionText());
}

qint64 StatusLine::catalogueFiles()
{
    // Every narrowed view is shown among the rows of the whole catalogue, when they are held.
    if (m_list.holdsWholeCatalogue())
        return qint64(m_list.model()->storedRows().size());
    const QPair<qint64, qint64> now = m_catalogue.changeStamp();
    if ((now != m_countedAt || now.first < 0) && !m_counting)
        countBehind(now);
    return m_total;
}

void StatusLine::countBehind(QPair<qint64, qint64> stamp)
{
    stopCounting();
    m_counting = true;
    m_counter = std::thread([this, path = m_catalogue.path(), stamp] {
        qint64 total = -1;
        try {
            Catalogue catalogue;
            catalogue.open(path);
            total = catalogue.fileCount();
        } catch (const PlatformError &) {
            // A file that cannot be counted now: the count last made, the next action tries
            // again.
        }
        QMetaObject::invokeMethod(
            this,
            [this, total, stamp] {
                m_counting = false;
                if (total < 0)
                    return;
                m_total = total;
                m_countedAt = stamp;
                refresh();
            },
            Qt::QueuedConnection);
    });
}

void StatusLine::stopCounting()
{
    if (m_counter.joinable())
        m_counter.join();
}

StatusLine::~StatusLine()
{
    stopCounting();
}

QString StatusLine::viewText() const
{
    const ListView &view = m_list.view();
    switch (view.kind()) {
    case ListView::Search:
        return tr("Search \"%1\"").arg(view.text());
    case ListView::Find:
        return tr("Find %1").arg(view.query().text());
    case ListView::Medium:
        return tr("disc %1").arg(view.label());
    case ListView::Folder:
        return tr("folder %1").arg(view.folder());
    case ListView::Duplicates:
        return tr("duplicates");
    case ListView::WholeCatalogue:
        break;
    }
    return QString();
}

QString StatusLine::selectionText() const
{
    const std::vector<int> rows = m_list.selectedRows();
    if (rows.size() < 2)
        return QString();
    const CatalogueListModel &model = *m_list.model();
    qint64 bytes = 0;
    for (int row : rows) {
        const auto [size, length] = model.storedCell(row, CatalogueListModel::Size);
        bytes += FileRow::sizeValue(size, length);
    }
    return tr("; %1 selected, %2")
        .arg(QLocale().toString(qint64(rows.size())), ReadableSize(bytes));
}

QString StatusLine::runText(qint64 catalogued, qint64 skipped, qint64 changed, qint64 removed,
                            qint64 elapsedMs, bool update)
{
    const QLocale locale;
    const QString time = tr("%1 s").arg(locale.toString((elapsedMs + 500) / 1000));
    if (update)
        return tr("Updated: %1 added, %2 changed, %3 removed, in %4")
            .arg(locale.toString(catalogued), locale.toString(changed), locale.toString(removed),
                 time);
    return tr("Catalogued %1, %2 already catalogued, in %3")
        .arg(files(catalogued), locale.toString(skipped), time);
}
