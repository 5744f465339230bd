#include "window/find/findcounter.h"

#include "window/list/cataloguelistmodel.h"

FindCounter::FindCounter(const CatalogueListModel &model, QObject *parent)
    : QObject(parent), m_model(model)
{}

FindCounter::~FindCounter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
        ++m_generation;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void FindCounter::count(const FindQuery &query)
{
    {
        const std::lock_guard lock(m_mutex);
        m_job = query;
        m_jobGeneration = ++m_generation;
        if (!m_thread.joinable())
            m_thread = std::thread(&FindCounter::run, this);
    }
    m_wake.notify_one();
}

void FindCounter::stop()
{
    const std::lock_guard lock(m_mutex);
    m_job.reset();
    ++m_generation;
}

void FindCounter::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_quit || m_job; });
        if (m_quit)
            return;
        const FindQuery query = std::move(*m_job);
        m_job.reset();
        const int generation = m_jobGeneration;
        lock.unlock();
        CatalogueListModel::FindTotal total;
        const bool done = m_model.countMatching(
            query, [this, generation] { return m_generation != generation; }, total);
        if (done)
            QMetaObject::invokeMethod(this, "report", Qt::QueuedConnection,
                                      Q_ARG(int, generation), Q_ARG(qint64, total.files),
                                      Q_ARG(qint64, total.bytes));
        lock.lock();
    }
}

void FindCounter::report(int generation, qint64 files, qint64 bytes)
{
    // Checked again here: a newer query may have come in since the count ended.
    if (m_generation == generation)
        Q_EMIT counted(files, bytes);
}
