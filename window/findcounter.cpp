#include "window/findcounter.h"

#include "window/cataloguelistmodel.h"

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
        // Checked again where it is reported: a newer query may have come in meanwhile.
        if (done)
            QMetaObject::invokeMethod(
                this,
                [this, generation, total] {
                    if (m_generation == generation)
                        Q_EMIT counted(total.files, total.bytes);
                },
                Qt::QueuedConnection);
        lock.lock();
    }
}
