#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// What the filesystem readers share: the device or image read by offset, and the little-endian
// numbers, texts and sums of its structures.

constexpr qint64 CdSector = 2048;
constexpr qint64 ChunkBytes = 64 * 1024;

// The device or image, read by offset; a short read counts as a failure.
class MediumBytes
{
public:
    explicit MediumBytes(const QString &path);
    ~MediumBytes();
    MediumBytes(const MediumBytes &) = delete;
    MediumBytes &operator=(const MediumBytes &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Empty when any of it cannot be read.
    QByteArray read(qint64 offset, qint64 size) const;
    qint64 size() const;
    // Start of the last session of a multi-session CD; 0 for an image or any other device.
    qint64 lastSessionSector() const;

private:
    int m_fd;
};

quint16 u16(const QByteArray &b, int at);
quint32 u32(const QByteArray &b, int at);
bool isPowerOfTwo(quint32 v);
// The four running byte sums over a descriptor, S0 over bytes 0,4,8,... up to S3.
std::array<quint8, 4> byteSums(const QByteArray &descriptor);
// Without the spaces and NULs that pad a fixed field.
QString trimTrailing(QString text);
QString fromUtf16(const QByteArray &bytes, int offset, int chars, bool bigEndian);
// Text in an 8-bit field that is not a DOS label: UTF-8 where it is valid, else Latin-1.
QString decode8Bit(const QByteArray &bytes);
