#pragma once

#include "catalogue/heldrows.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Reads every row of the catalogue file on a thread of its own, over a connection of its own,
// and hands them over in parts as they come, so that the window is in use meanwhile. Stopping
// (or destroying it) ends the read at once; nothing is reported after that.
class FillBehind : public QObject
{
    Q_OBJECT
public:
    explicit FillBehind(const QString &path, QObject *parent = nullptr);
    ~FillBehind() override;

    void stop();

Q_SIGNALS:
    // The next rows read, in the catalogue's order: files, then the members of archives. The
    // part is filled again once its receivers return: they copy what they keep of it.
    void part(std::shared_ptr<HeldRows> rows);
    // Every row is in; failure when the read could not be done whole.
    void finished(std::optional<PlatformError> failure);

private:
    void run(const QString &path);
    // Waits while the window has parts enough to take in, so that the rows are not held twice
    // over when it falls behind; false once stopped.
    bool waitForRoom();
    // part is taken in: it is filled again while the read goes on.
    void taken(const std::shared_ptr<HeldRows> &part);

    std::atomic<bool> m_stopped{false};
    std::mutex m_partsLock;
    std::condition_variable m_partTaken;
    int m_partsSent = 0; // sent and not yet taken in
    std::vector<std::shared_ptr<HeldRows>> m_spare; // taken in, to be filled again
    bool m_reading = true;
    std::thread m_thread;
};
