#pragma once

#include "catalogue/heldrows.h"

#include <QObject>
#include <QPair>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class Catalogue;

// Reads every row of the catalogue file behind the window and hands them over in parts as they
// come, so that the window is in use meanwhile. Two threads, each over a connection of its own,
// take turns at the catalogue's ID ranges, one part each, and the parts are handed over in the
// catalogue's order. Stopping (or destroying it) ends the read at once; nothing is reported
// after that.
class FillBehind : public QObject
{
    Q_OBJECT
public:
    // How the parts reach the window's thread: through its event loop (part, finished), or
    // taken by takeAll there, which returns once every row is in.
    enum Delivery { Queued, Waited };

    explicit FillBehind(const QString &path, Delivery delivery = Queued, QObject *parent = nullptr);
    ~FillBehind() override;

    void stop();
    // Waited: hands each part to take in the catalogue's order as it comes, and gives back what
    // kept the read from being done whole. What take throws ends the read.
    std::optional<PlatformError> takeAll(const std::function<void(const HeldRows &)> &take);
    // Whether two threads share the read of a catalogue whose IDs span these: one reads a
    // narrower one as quickly alone.
    static bool readsInPieces(const QPair<qint64, qint64> &span);
    // Whether the catalogue's table is best read again so, its set opened again as one run
    // would: not for a damaged file, which is read where its damage is reported, nor inside a
    // transaction, whose changes other connections do not see.
    static bool readsInPieces(Catalogue &catalogue);

Q_SIGNALS:
    // The next rows read, in the catalogue's order: files, then the members of archives. The
    // part is filled again once its receivers return: they copy what they keep of it.
    void part(std::shared_ptr<HeldRows> rows);
    // Every row is in; failure when the read could not be done whole.
    void finished(std::optional<PlatformError> failure);

private:
    // One reading thread: the first divides the catalogue into pieces and starts the second.
    void read(const QString &path, bool first);
    void readPiece(Catalogue &catalogue, int piece);
    // Sends a part of a piece once the pieces before it are sent and the window has room: the
    // rows are then not held twice over when it falls behind.
    void send(int piece, std::shared_ptr<HeldRows> part);
    // The piece is all sent: the next one's turn.
    void sent(int piece);
    std::shared_ptr<HeldRows> spare();
    // part is taken in: it is filled again while the read goes on.
    void taken(const std::shared_ptr<HeldRows> &part);
    // Runs call on the window's thread, unless stopped meanwhile.
    template <typename Call> void deliver(Call call);

    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_halted{false}; // stopped, or a reader failed: the other stops too
    std::mutex m_partsLock;
    std::condition_variable m_partTaken;            // a part taken in, or a piece sent
    int m_partsSent = 0;                            // sent and not yet taken in
    std::vector<std::shared_ptr<HeldRows>> m_spare; // taken in, to be filled again
    const bool m_waited;
    std::deque<std::shared_ptr<HeldRows>> m_ready; // Waited: sent, for takeAll
    // The pieces: ID ranges from m_lowest on, then the members; or the whole catalogue at once.
    qint64 m_lowest = 0;
    int m_pieces = 1;
    bool m_whole = true;
    int m_nextPiece = 0; // the next to read
    int m_turn = 0;      // the next to send
    int m_readers = 1;   // reading threads not yet ended
    std::optional<PlatformError> m_failure;
    std::thread m_thread, m_second;
};
