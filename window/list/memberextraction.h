#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>

class ArchiveReader;
class QThread;

// One member taken out of its archive on a thread of its own, so that a member of gigabytes
// leaves the window in use. One at a time; ended reports back on the thread that started it.
class MemberExtraction : public QObject
{
    Q_OBJECT
public:
    explicit MemberExtraction(ArchiveReader &reader, QObject *parent = nullptr);
    // Stops a taking out under way and waits for it.
    ~MemberExtraction() override;

    bool running() const { return m_thread != nullptr; }
    // Takes memberPath of the archive at archive into destination (see ArchiveReader::extract).
    // Not while running.
    void start(const QByteArray &archive, const QByteArray &memberPath, qint64 maxBytes,
               const QByteArray &destination);
    // Stops the taking out under way within a block and waits for it; what it wrote is removed
    // and ended is not emitted.
    void stop();

Q_SIGNALS:
    // error is 0 when destination holds the member, else the number description goes with.
    void ended(const QByteArray &destination, int error, const QString &description);

private:
    void threadEnded();

    ArchiveReader &m_reader;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    QByteArray m_destination;
    // Written by the thread, read once it has ended.
    int m_error = 0;
    QString m_description;
};
