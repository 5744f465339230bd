#include "window/list/memberextraction.h"

#include "platform/archivereader.h"
#include "platform/platformerror.h"

#include <QThread>

#include <exception>

MemberExtraction::MemberExtraction(ArchiveReader &reader, QObject *parent)
    : QObject(parent), m_reader(reader)
{}

MemberExtraction::~MemberExtraction()
{
    stop();
}

void MemberExtraction::start(const QByteArray &archive, const QByteArray &memberPath,
                             qint64 maxBytes, const QByteArray &destination)
{
    Q_ASSERT(!running());
    m_stop = false;
    m_error = 0;
    m_description.clear();
    m_destination = destination;
    m_thread = QThread::create([this, archive, memberPath, maxBytes, destination] {
        try {
            m_reader.extract(archive, memberPath, maxBytes, destination, &m_stop);
        } catch (const PlatformError &error) {
            m_error = error.number();
            m_description = error.description();
        } catch (const std::exception &error) {
            // Any other failure is the file's access failing, and says what failed.
            m_error = 75;
            m_description =
                tr("Path/File access error: %1").arg(QString::fromLocal8Bit(error.what()));
        }
    });
    // Queued: finished comes from the thread itself.
    connect(m_thread, &QThread::finished, this, &MemberExtraction::threadEnded,
            Qt::QueuedConnection);
    m_thread->start();
}

void MemberExtraction::stop()
{
    if (!m_thread)
        return;
    m_stop = true;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void MemberExtraction::threadEnded()
{
    // A thread stopped before its finished came in leaves that behind.
    if (!m_thread || !m_thread->isFinished())
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    Q_EMIT ended(m_destination, m_error, m_description);
}
