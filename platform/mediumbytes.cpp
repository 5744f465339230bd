#include "platform/mediumbytes.h"

#include <QFile>
#include <QStringDecoder>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

MediumBytes::MediumBytes(const QString &path)
    : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
{}

MediumBytes::~MediumBytes()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QByteArray MediumBytes::read(qint64 offset, qint64 size) const
{
    if (offset < 0 || size <= 0)
        return {};
    QByteArray buffer(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, buffer.data() + done, size_t(size - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return {};
        done += n;
    }
    return buffer;
}

qint64 MediumBytes::size() const
{
    return ::lseek(m_fd, 0, SEEK_END);
}

qint64 MediumBytes::lastSessionSector() const
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0 || !S_ISBLK(st.st_mode))
        return 0;
    cdrom_multisession ms{};
    ms.addr_format = CDROM_LBA;
    if (::ioctl(m_fd, CDROMMULTISESSION, &ms) != 0 || !ms.xa_flag)
        return 0;
    return ms.addr.lba;
}

quint16 u16(const QByteArray &b, int at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

quint32 u32(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

bool isPowerOfTwo(quint32 v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

std::array<quint8, 4> byteSums(const QByteArray &descriptor)
{
    std::array<quint8, 4> sums{};
    for (int i = 0; i < descriptor.size(); ++i)
        sums[i % 4] = quint8(sums[i % 4] + quint8(descriptor[i]));
    return sums;
}

QString trimTrailing(QString text)
{
    int end = text.size();
    while (end > 0 && (text[end - 1] == QLatin1Char(' ') || text[end - 1] == QChar(0)))
        --end;
    text.truncate(end);
    return text;
}

QString fromUtf16(const QByteArray &bytes, int offset, int chars, bool bigEndian)
{
    QString text;
    text.reserve(chars);
    for (int i = 0; i < chars; ++i) {
        const quint8 a = quint8(bytes[offset + 2 * i]);
        const quint8 b = quint8(bytes[offset + 2 * i + 1]);
        text.append(QChar(bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a)));
    }
    return text;
}

QString decode8Bit(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}
