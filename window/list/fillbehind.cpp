#include "window/list/fillbehind.h"

#include "catalogue/catalogue.h"

#include <QMetaObject>

namespace {

// Rows per part, and IDs per piece: a part appended costs the window's thread a few
// milliseconds.
constexpr size_t PartRows = 32768;
// Parts on their way at once: enough to keep the window busy, few enough to hold little twice.
constexpr int PartsAhead = 3;
// Pieces at most: IDs spread wider (another program's) are read at once, as are a few.
constexpr qint64 MostPieces = 4096;
constexpr qint64 FewestPieces = 4;

struct Stopped
{
};

// Gathers the rows read into parts and sends each on when it is full.
class PartSink : public RowSink, public MemberSink
{
public:
    PartSink(const std::atomic<bool> &halted, std::function<void(std::shared_ptr<HeldRows>)> send,
             std::function<std::shared_ptr<HeldRows>()> spare)
        : m_halted(halted), m_send(std::move(send)), m_spare(std::move(spare))
    {}

    void begin(const std::vector<QString> &columns) override { m_columns = columns; }
    void row(qint64 id, const RowCell *cells) override { take(&HeldRows::row, id, cells); }
    void member(qint64 id, const RowCell *cells) override { take(&HeldRows::member, id, cells); }
    void flush()
    {
        if (m_part && m_part->rows().size() > 0)
            m_send(std::move(m_part));
        m_part.reset();
    }

private:
    void take(void (HeldRows::*add)(qint64, const RowCell *), qint64 id, const RowCell *cells)
    {
        // Taken only for a row to hold: a part left empty at a piece's end would go with its
        // memory, and each piece would fault in a fresh one.
        if (!m_part)
            next();
        (*m_part.*add)(id, cells);
        full();
    }
    void next()
    {
        // A part taken in already is filled again: its memory is there, nothing to clear anew.
        m_part = m_spare();
        if (!m_part)
            m_part = std::make_shared<HeldRows>();
        m_part->leaveNamesToAppend(); // the window's thread folds them, beside the reading
        m_part->begin(m_columns);
    }
    void full()
    {
        if (m_halted.load(std::memory_order_relaxed))
            throw Stopped();
        if (m_part->rows().size() < PartRows)
            return;
        m_send(std::move(m_part));
        m_part.reset();
    }

    const std::atomic<bool> &m_halted;
    std::function<void(std::shared_ptr<HeldRows>)> m_send;
    std::function<std::shared_ptr<HeldRows>()> m_spare;
    std::vector<QString> m_columns;
    std::shared_ptr<HeldRows> m_part;
};

// The ID ranges of a part each that the span holds; past MostPieces when too wide to count.
qint64 rangesOf(const QPair<qint64, qint64> &span)
{
    const qint64 limit = qint64(1) << 62; // far from overflowing
    return span.first > -limit && span.second < limit
               ? (span.second - span.first) / qint64(PartRows) + 1
               : MostPieces + 1;
}

} // namespace

bool FillBehind::readsInPieces(const QPair<qint64, qint64> &span)
{
    const qint64 ranges = rangesOf(span);
    return ranges >= FewestPieces && ranges <= MostPieces;
}

bool FillBehind::readsInPieces(Catalogue &catalogue)
{
    // Other connections see only what this one committed; a damaged file is read here, where
    // its damage is reported.
    if (catalogue.isDamaged() || !catalogue.cnCatalogue().autocommit())
        return false;
    try {
        if (!readsInPieces(catalogue.idSpan()))
            return false;
        // The table's set opened again holds each of its rows, as one run again would.
        catalogue.openFullView();
    } catch (const PlatformError &) {
        return false; // the refill meets it again and reports it
    }
    return true;
}

FillBehind::FillBehind(const QString &path, Delivery delivery, QObject *parent)
    : QObject(parent), m_waited(delivery == Waited)
{
    m_thread = std::thread(&FillBehind::read, this, path, true);
}

FillBehind::~FillBehind()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
    // Started by the first thread, which has ended.
    if (m_second.joinable())
        m_second.join();
}

void FillBehind::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_partsLock);
        m_stopped = true;
        m_halted = true;
    }
    m_partTaken.notify_all();
}

template <typename Call> void FillBehind::deliver(Call call)
{
    QMetaObject::invokeMethod(
        this,
        [this, call] {
            if (!m_stopped)
                call();
        },
        Qt::QueuedConnection);
}

void FillBehind::send(int piece, std::shared_ptr<HeldRows> part)
{
    std::unique_lock<std::mutex> lock(m_partsLock);
    m_partTaken.wait(lock,
                     [&] { return m_halted || (m_turn == piece && m_partsSent < PartsAhead); });
    if (m_halted)
        throw Stopped();
    ++m_partsSent;
    if (m_waited) {
        m_ready.push_back(std::move(part));
        lock.unlock();
        m_partTaken.notify_all();
        return;
    }
    deliver([this, rows = std::move(part)] {
        Q_EMIT this->part(rows);
        taken(rows);
    });
}

void FillBehind::sent(int piece)
{
    {
        std::unique_lock<std::mutex> lock(m_partsLock);
        m_partTaken.wait(lock, [&] { return m_halted || m_turn == piece; });
        if (m_halted)
            throw Stopped();
        ++m_turn;
    }
    m_partTaken.notify_all();
}

std::shared_ptr<HeldRows> FillBehind::spare()
{
    const std::lock_guard<std::mutex> lock(m_partsLock);
    std::shared_ptr<HeldRows> part;
    if (!m_spare.empty()) {
        part = std::move(m_spare.back());
        m_spare.pop_back();
    }
    return part;
}

void FillBehind::taken(const std::shared_ptr<HeldRows> &part)
{
    {
        const std::lock_guard<std::mutex> lock(m_partsLock);
        --m_partsSent;
        if (m_turn < m_pieces)
            m_spare.push_back(part);
    }
    m_partTaken.notify_all();
}

void FillBehind::readPiece(Catalogue &catalogue, int piece)
{
    PartSink sink(
        m_halted, [&](std::shared_ptr<HeldRows> rows) { send(piece, std::move(rows)); },
        [this] { return spare(); });
    if (m_whole) {
        catalogue.requery(&sink, &sink);
    } else if (piece + 1 < m_pieces) {
        const qint64 above = m_lowest - 1 + piece * qint64(PartRows);
        catalogue.requeryIds(above, above + qint64(PartRows), &sink);
    } else {
        catalogue.requeryMembers(&sink);
    }
    sink.flush();
    sent(piece);
}

void FillBehind::read(const QString &path, bool first)
{
    std::optional<PlatformError> failure;
    try {
        Catalogue catalogue;
        catalogue.open(path);
        if (first) {
            const QPair<qint64, qint64> span = catalogue.idSpan();
            const std::lock_guard<std::mutex> lock(m_partsLock);
            if (readsInPieces(span)) {
                m_whole = false;
                m_lowest = span.first;
                m_pieces = int(rangesOf(span)) + 1; // and the members
                ++m_readers;
                m_second = std::thread(&FillBehind::read, this, path, false);
            }
        }
        while (true) {
            int piece;
            {
                const std::lock_guard<std::mutex> lock(m_partsLock);
                piece = m_nextPiece++;
            }
            if (piece >= m_pieces)
                break;
            readPiece(catalogue, piece);
        }
        if (catalogue.cnCatalogue().isDamaged())
            failure = catalogue.cnCatalogue().damage();
    } catch (const Stopped &) {
    } catch (const PlatformError &error) {
        failure = error;
    } catch (const std::bad_alloc &) {
        failure = PlatformError(7, QStringLiteral("Out of memory"));
    }
    {
        const std::lock_guard<std::mutex> lock(m_partsLock);
        if (failure && !m_failure) {
            m_failure = failure;
            m_halted = true; // the other reader stops too
        }
        if (--m_readers > 0) {
            m_partTaken.notify_all();
            return;
        }
        // Nothing more to fill: the parts' memory goes as they are taken in.
        m_spare.clear();
        if (m_waited) {
            m_partTaken.notify_all();
            return;
        }
        const std::optional<PlatformError> result = m_failure;
        deliver([this, result] { Q_EMIT finished(result); });
    }
}

std::optional<PlatformError> FillBehind::takeAll(const std::function<void(const HeldRows &)> &take)
{
    while (true) {
        std::shared_ptr<HeldRows> part;
        {
            std::unique_lock<std::mutex> lock(m_partsLock);
            m_partTaken.wait(lock, [&] { return !m_ready.empty() || m_readers == 0; });
            if (m_ready.empty())
                return m_failure;
            part = std::move(m_ready.front());
            m_ready.pop_front();
        }
        take(*part);
        taken(part);
    }
}
