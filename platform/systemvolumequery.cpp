#include "platform/systemvolumequery.h"

#include "platform/mediumreader.h"
#include "platform/mounttable.h"
#include "platform/udevidentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>

namespace {

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

// The source of the filesystem mounted with this device number, or empty when none is listed.
QByteArray mountSource(quint64 folderDevice)
{
    for (const MountEntry &entry : MountTable::read())
        if (entry.device == folderDevice)
            return entry.source;
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

SystemVolumeQuery &SystemVolumeQuery::shared()
{
    static SystemVolumeQuery query;
    return query;
}

SystemVolumeQuery::SystemVolumeQuery(bool caching)
{
    // Without a mount table to watch nothing can be kept.
    if (caching)
        m_mountInfo = ::open(MountTable::Path, O_RDONLY | O_CLOEXEC);
}

SystemVolumeQuery::~SystemVolumeQuery()
{
    if (m_mountInfo >= 0)
        ::close(m_mountInfo);
}

bool SystemVolumeQuery::GetVolumeInformation(const QString &rootPath, QString &label,
                                             quint32 &serial)
{
    struct stat st;
    if (rootPath.isEmpty() || ::stat(QFile::encodeName(rootPath).constData(), &st) != 0)
        return false;
    return volumeOfDevice(st.st_dev, label, serial);
}

bool SystemVolumeQuery::GetVolumePathName(const QString &path, QString &root)
{
    struct stat st;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        major(st.st_dev) == 0)
        return false;
    // The deepest mount of this filesystem's own root that the path lies under: as typed first,
    // then with its links resolved.
    const std::vector<MountEntry> table = mountTable();
    const QFileInfo info(path);
    for (const QString &spelling :
         {QDir::cleanPath(info.absoluteFilePath()), info.canonicalFilePath()}) {
        const QByteArray native = QFile::encodeName(spelling);
        const MountEntry *best = nullptr;
        for (const MountEntry &entry : table) {
            const QByteArray &point = entry.mountPoint;
            const bool under = native == point || point == "/" ||
                               (native.startsWith(point) && native.at(point.size()) == '/');
            if (entry.device == st.st_dev && entry.root == "/" && under &&
                (!best || point.size() >= best->mountPoint.size()))
                best = &entry;
        }
        if (best) {
            root = QFile::decodeName(best->mountPoint);
            return true;
        }
    }
    return false;
}

bool SystemVolumeQuery::volumeOfDevice(quint64 device, QString &label, quint32 &serial)
{
    Answer answer;
    if (m_mountInfo < 0) {
        answer = ask(device);
    } else {
        QMutexLocker lock(&m_mutex);
        forgetIfMountsChanged();
        const auto kept = m_answers.constFind(device);
        if (kept != m_answers.constEnd()) {
            answer = *kept;
        } else {
            answer = ask(device);
            m_answers.insert(device, answer);
        }
    }
    if (!answer.ok)
        return false;
    label = answer.label;
    serial = answer.serial;
    return true;
}

std::vector<MountEntry> SystemVolumeQuery::mountTable()
{
    if (m_mountInfo < 0)
        return MountTable::read();
    QMutexLocker lock(&m_mutex);
    forgetIfMountsChanged();
    if (!m_tableKept) {
        m_table = MountTable::read();
        m_tableKept = true;
    }
    return m_table;
}

void SystemVolumeQuery::forgetIfMountsChanged()
{
    // The kernel flags every mount or unmount in this namespace on the open table, once.
    pollfd watch{m_mountInfo, POLLPRI, 0};
    if (::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR))) {
        m_answers.clear();
        m_table.clear();
        m_tableKept = false;
    }
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
