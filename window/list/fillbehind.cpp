#include "window/list/fillbehind.h"

#include "catalogue/catalogue.h"

#include <QMetaObject>

namespace {

// Rows per part: a part appended costs the window's thread a few milliseconds.
constexpr size_t PartRows = 65536;
// Parts on their way at once: enough to keep the window busy, few enough to hold little twice.
constexpr int PartsAhead = 3;

struct Stopped
{
};

// Gathers the rows read into parts and sends each on when it is full.
class PartSink : public RowSink, public MemberSink
{
public:
    PartSink(const std::atomic<bool> &stopped, std::function<void(std::shared_ptr<HeldRows>)> send,
             std::function<std::shared_ptr<HeldRows>()> spare)
        : m_stopped(stopped), m_send(std::move(send)), m_spare(std::move(spare))
    {}

    void begin(const std::vector<QString> &columns) override
    {
        m_columns = columns;
        next();
    }
    void row(qint64 id, const RowCell *cells) override
    {
        m_part->row(id, cells);
        full();
    }
    void member(qint64 id, const RowCell *cells) override
    {
        m_part->member(id, cells);
        full();
    }
    void flush()
    {
        if (m_part && m_part->rows().size() > 0)
            m_send(std::move(m_part));
        m_part.reset();
    }

private:
    void next()
    {
        // A part taken in already is filled again: its memory is there, nothing to clear anew.
        m_part = m_spare();
        if (!m_part)
            m_part = std::make_shared<HeldRows>();
        m_part->leaveNamesToAppend(); // the window's thread folds them, beside this one's reading
        m_part->begin(m_columns);
    }
    void full()
    {
        if (m_stopped.load(std::memory_order_relaxed))
            throw Stopped();
        if (m_part->rows().size() < PartRows)
            return;
        m_send(std::move(m_part));
        next();
    }

    const std::atomic<bool> &m_stopped;
    std::function<void(std::shared_ptr<HeldRows>)> m_send;
    std::function<std::shared_ptr<HeldRows>()> m_spare;
    std::vector<QString> m_columns;
    std::shared_ptr<HeldRows> m_part;
};

} // namespace

FillBehind::FillBehind(const QString &path, QObject *parent) : QObject(parent)
{
    m_thread = std::thread(&FillBehind::run, this, path);
}

FillBehind::~FillBehind()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
}

void FillBehind::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_partsLock);
        m_stopped = true;
    }
    m_partTaken.notify_all();
}

bool FillBehind::waitForRoom()
{
    std::unique_lock<std::mutex> lock(m_partsLock);
    m_partTaken.wait(lock, [this] { return m_stopped || m_partsSent < PartsAhead; });
    ++m_partsSent;
    return !m_stopped;
}

void FillBehind::taken(const std::shared_ptr<HeldRows> &part)
{
    {
        const std::lock_guard<std::mutex> lock(m_partsLock);
        --m_partsSent;
        if (m_reading)
            m_spare.push_back(part);
    }
    m_partTaken.notify_all();
}

void FillBehind::run(const QString &path)
{
    // Delivered on the window's thread, and only while this object has not been stopped.
    const auto deliver = [this](auto call) {
        QMetaObject::invokeMethod(
            this,
            [this, call] {
                if (!m_stopped)
                    call();
            },
            Qt::QueuedConnection);
    };
    PartSink sink(m_stopped, [&](std::shared_ptr<HeldRows> rows) {
        if (!waitForRoom())
            throw Stopped();
        deliver([this, rows] {
            Q_EMIT part(rows);
            taken(rows);
        });
    }, [this] {
        const std::lock_guard<std::mutex> lock(m_partsLock);
        std::shared_ptr<HeldRows> spare;
        if (!m_spare.empty()) {
            spare = std::move(m_spare.back());
            m_spare.pop_back();
        }
        return spare;
    });
    std::optional<PlatformError> failure;
    try {
        Catalogue catalogue;
        catalogue.open(path);
        catalogue.requery(&sink, &sink);
        sink.flush();
        {
            // Nothing more to fill: the parts' memory goes as they are taken in.
            const std::lock_guard<std::mutex> lock(m_partsLock);
            m_reading = false;
            m_spare.clear();
        }
        if (catalogue.cnCatalogue().isDamaged())
            failure = catalogue.cnCatalogue().damage();
    } catch (const Stopped &) {
        return;
    } catch (const PlatformError &error) {
        failure = error;
    } catch (const std::bad_alloc &) {
        failure = PlatformError(7, QStringLiteral("Out of memory"));
    }
    deliver([this, failure] { Q_EMIT finished(failure); });
}
