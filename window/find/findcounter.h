#pragma once

#include "catalogue/findquery.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

class CatalogueListModel;

// Counts what a Find query matches among the list's rows on a thread of its own, so that typing
// is never held up. A newer query drops the count still running; only the newest one's result
// is reported, on the thread that asked.
class FindCounter : public QObject
{
    Q_OBJECT
public:
    explicit FindCounter(const CatalogueListModel &model, QObject *parent = nullptr);
    ~FindCounter() override;

    void count(const FindQuery &query);
    // Drops the count running, if any; nothing is reported for it.
    void stop();

Q_SIGNALS:
    void counted(qint64 files, qint64 bytes);

private:
    void run();
    // On the thread that asked: reports a count unless a newer query came in.
    Q_INVOKABLE void report(int generation, qint64 files, qint64 bytes);

    const CatalogueListModel &m_model;
    std::atomic<int> m_generation{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<FindQuery> m_job; // the newest query not yet started
    int m_jobGeneration = 0;
    bool m_quit = false;
    std::thread m_thread;
};
