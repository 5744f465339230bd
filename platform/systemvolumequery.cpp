#include "platform/systemvolumequery.h"

#include "platform/mediumreader.h"
#include "platform/udevidentity.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>

namespace {

const char MountInfoPath[] = "/proc/self/mountinfo";

QByteArray readAll(const char *path)
{
    QByteArray data;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return data;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    ::close(fd);
    return data;
}

// Mount table fields escape blanks and backslashes as \ooo.
QByteArray unescape(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = std::all_of(digits.begin(), digits.end(),
                                  [](char c) { return c >= '0' && c <= '7'; });
            if (ok) {
                out.append(char(digits.toInt(&ok, 8)));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

// The source of the filesystem mounted with this device number, or empty when none is listed.
QByteArray mountSource(quint64 folderDevice)
{
    const QByteArray wanted =
        QByteArray::number(major(folderDevice)) + ':' + QByteArray::number(minor(folderDevice));
    const QByteArray table = readAll(MountInfoPath);
    for (const QByteArray &line : table.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 10 || fields[2] != wanted)
            continue;
        // Optional fields end at a lone "-", followed by the type and the source.
        const int dash = fields.indexOf("-", 6);
        if (dash < 0 || dash + 2 >= fields.size())
            continue;
        return unescape(fields[dash + 2]);
    }
    return {};
}

bool isBlockDevice(const QByteArray &path, quint64 *device)
{
    struct stat st;
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0 || !S_ISBLK(st.st_mode))
        return false;
    *device = st.st_rdev;
    return true;
}

// The device node for a block device number, named by sysfs ("/dev/root" and the like exist
// only in the mount table).
QByteArray nodeOf(quint64 device)
{
    const QByteArray uevent =
        readAll(QByteArray("/sys/dev/block/" + QByteArray::number(major(device)) + ':' +
                           QByteArray::number(minor(device)) + "/uevent")
                    .constData());
    for (const QByteArray &line : uevent.split('\n')) {
        if (line.startsWith("DEVNAME="))
            return "/dev/" + line.mid(8);
    }
    return {};
}

} // namespace

SystemVolumeQuery::SystemVolumeQuery(bool caching)
{
    // Without a mount table to watch nothing can be kept.
    if (caching)
        m_mountInfo = ::open(MountInfoPath, O_RDONLY | O_CLOEXEC);
}

SystemVolumeQuery::~SystemVolumeQuery()
{
    if (m_mountInfo >= 0)
        ::close(m_mountInfo);
}

bool SystemVolumeQuery::GetVolumeInformation(const QString &rootPath, QString &label,
                                             quint32 &serial)
{
    if (rootPath.isEmpty())
        return false;
    Answer answer;
    if (m_mountInfo < 0) {
        struct stat st;
        if (::stat(QFile::encodeName(rootPath).constData(), &st) != 0)
            return false;
        answer = ask(st.st_dev);
    } else {
        QMutexLocker lock(&m_mutex);
        if (mountTableChanged()) {
            m_answers.clear();
            m_lastPath.clear();
        }
        // The indexer asks for every file with its folder's path: while no mount changed, the
        // same path lies on the same filesystem.
        if (!m_lastPath.isNull() && rootPath == m_lastPath) {
            answer = m_lastAnswer;
        } else {
            struct stat st;
            if (::stat(QFile::encodeName(rootPath).constData(), &st) != 0)
                return false;
            const auto kept = m_answers.constFind(st.st_dev);
            if (kept != m_answers.constEnd()) {
                answer = *kept;
            } else {
                answer = ask(st.st_dev);
                m_answers.insert(st.st_dev, answer);
            }
            m_lastPath = rootPath;
            m_lastAnswer = answer;
        }
    }
    if (!answer.ok)
        return false;
    label = answer.label;
    serial = answer.serial;
    return true;
}

bool SystemVolumeQuery::mountTableChanged()
{
    // The kernel flags every mount or unmount in this namespace on the open table.
    pollfd watch{m_mountInfo, POLLPRI, 0};
    return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR));
}

SystemVolumeQuery::Answer SystemVolumeQuery::ask(quint64 folderDevice)
{
    Answer answer;
    QByteArray node = mountSource(folderDevice);
    quint64 device = 0;
    if (!isBlockDevice(node, &device)) {
        // Anonymous device numbers (major 0) belong to tmpfs, overlay, proc, network and FUSE.
        if (major(folderDevice) == 0)
            return answer;
        node = nodeOf(folderDevice);
        device = folderDevice;
        if (quint64 found = 0; !isBlockDevice(node, &found) || found != folderDevice)
            node.clear();
    }

    // Where the device cannot be read (no node, no permission), udev's record stands in.
    MediumIdentity id;
    if (!node.isEmpty())
        id = MediumReader::read(QFile::decodeName(node));
    if (id.status == MediumIdentity::Unreadable)
        id = UdevIdentity::lookup(device);
    if (!id.ok())
        return answer;
    answer.ok = true;
    answer.label = id.label;
    if (answer.label.size() > LabelLength) {
        answer.label.truncate(LabelLength);
        if (answer.label.back().isHighSurrogate())
            answer.label.chop(1);
    }
    answer.serial = id.serial;
    return answer;
}
