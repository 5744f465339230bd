#include "platform/mediumreader.h"

#include <QFile>
#include <QStringDecoder>

#include <blkid/blkid.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <functional>

namespace {

constexpr qint64 CdSector = 2048;
// A root directory holds at most this many entries worth scanning for its label.
constexpr qint64 MaxDirectoryEntries = 1 << 20;
constexpr qint64 ChunkBytes = 64 * 1024;
constexpr qint64 FileSetSearchBytes = 4 * 1024 * 1024;

// The upper half of DOS code page 850; the lower half is ASCII.
const char16_t Cp850High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

quint16 u16(const QByteArray &b, int at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

quint32 u32(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

// The device or image, read by offset; a short read counts as a failure.
class Medium
{
public:
    explicit Medium(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    {}
    ~Medium()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Medium(const Medium &) = delete;
    Medium &operator=(const Medium &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    QByteArray read(qint64 offset, qint64 size) const
    {
        if (offset < 0 || size <= 0)
            return {};
        QByteArray buffer(size, Qt::Uninitialized);
        qint64 done = 0;
        while (done < size) {
            const ssize_t n =
                ::pread(m_fd, buffer.data() + done, size_t(size - done), offset + done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return {};
            done += n;
        }
        return buffer;
    }

    qint64 size() const { return ::lseek(m_fd, 0, SEEK_END); }

    // Start of the last session of a multi-session CD; 0 for an image or any other device.
    qint64 lastSessionSector() const
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

private:
    int m_fd;
};

struct BlkidValues
{
    bool opened = false;
    QString type;
    QString label;
    QString uuid;
};

BlkidValues probeBlkid(const QString &path)
{
    BlkidValues values;
    blkid_probe probe = blkid_new_probe_from_filename(QFile::encodeName(path).constData());
    if (!probe)
        return values;
    values.opened = true;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe,
                                      BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
    if (blkid_do_safeprobe(probe) == 0) {
        const auto lookup = [probe](const char *name) {
            const char *data = nullptr;
            if (blkid_probe_lookup_value(probe, name, &data, nullptr) == 0 && data)
                return QString::fromUtf8(data);
            return QString();
        };
        values.type = lookup("TYPE");
        values.label = lookup("LABEL");
        values.uuid = lookup("UUID");
    }
    blkid_free_probe(probe);
    return values;
}

// The four running byte sums over a descriptor, S0 over bytes 0,4,8,... up to S3.
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

// Text in an 8-bit field that is not a DOS label: UTF-8 where it is valid, else Latin-1.
QString decode8Bit(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// Walks a directory stored in a cluster chain, in chunks, handing every 32-byte entry to visit
// until it answers false. next(cluster) gives the following cluster or 0 at the end.
void walkChain(const Medium &medium, quint32 first, qint64 clusterBytes,
               const std::function<qint64(quint32)> &clusterOffset,
               const std::function<quint32(quint32)> &next,
               const std::function<bool(const char *)> &visit)
{
    qint64 entries = 0;
    for (quint32 cluster = first; cluster != 0; cluster = next(cluster)) {
        for (qint64 at = 0; at < clusterBytes; at += ChunkBytes) {
            const QByteArray chunk =
                medium.read(clusterOffset(cluster) + at, qMin(ChunkBytes, clusterBytes - at));
            if (chunk.isEmpty())
                return;
            for (int e = 0; e + 32 <= chunk.size(); e += 32) {
                if (++entries > MaxDirectoryEntries || !visit(chunk.constData() + e))
                    return;
            }
        }
    }
}

bool isPowerOfTwo(quint32 v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

// FAT12/16/32: the serial from the boot sector, the label from the root directory's volume-label
// entry (its boot-sector copy is not what Windows shows).
bool readFat(const Medium &medium, MediumIdentity &id)
{
    const QByteArray boot = medium.read(0, 512);
    if (boot.size() < 512)
        return false;
    const quint32 bytesPerSector = u16(boot, 0x0B);
    const quint32 sectorsPerCluster = quint8(boot[0x0D]);
    const quint32 reserved = u16(boot, 0x0E);
    const quint32 fats = quint8(boot[0x10]);
    const quint32 rootEntries = u16(boot, 0x11);
    const quint32 fatSize16 = u16(boot, 0x16);
    if (bytesPerSector < 512 || bytesPerSector > 4096 || !isPowerOfTwo(bytesPerSector) ||
        !isPowerOfTwo(sectorsPerCluster) || fats == 0)
        return false;
    const bool fat32 = fatSize16 == 0;
    id.serial = u32(boot, fat32 ? 0x43 : 0x27);

    QByteArray label;
    // The label entry: attribute volume-label (archive bit aside), which leaves out long names.
    const auto visit = [&label](const char *e) {
        const quint8 first = quint8(e[0]);
        if (first == 0x00)
            return false;
        if (first == 0xE5 || (quint8(e[11]) & ~0x20) != 0x08)
            return true;
        label = QByteArray(e, 11);
        if (first == 0x05)
            label[0] = char(0xE5);
        return false;
    };
    const qint64 sector = bytesPerSector;
    if (!fat32) {
        const qint64 rootStart = (qint64(reserved) + qint64(fats) * fatSize16) * sector;
        const qint64 rootBytes = qint64(rootEntries) * 32;
        walkChain(
            medium, 1, rootBytes, [rootStart](quint32) { return rootStart; },
            [](quint32) { return 0u; }, visit);
    } else {
        const qint64 dataStart = (qint64(reserved) + qint64(fats) * u32(boot, 0x24)) * sector;
        const qint64 clusterBytes = sector * sectorsPerCluster;
        const qint64 fatStart = qint64(reserved) * sector;
        int hops = 0;
        walkChain(
            medium, u32(boot, 0x2C), clusterBytes,
            [=](quint32 c) { return dataStart + (qint64(c) - 2) * clusterBytes; },
            [&](quint32 c) -> quint32 {
                const QByteArray entry = medium.read(fatStart + qint64(c) * 4, 4);
                if (entry.size() < 4 || ++hops > 65536)
                    return 0;
                const quint32 n = u32(entry, 0) & 0x0FFFFFFF;
                return n >= 2 && n < 0x0FFFFFF8 ? n : 0;
            },
            visit);
    }
    while (!label.isEmpty() && (label.endsWith(' ') || label.endsWith('\0')))
        label.chop(1);
    id.label = MediumReader::decodeOem(label);
    return true;
}

// exFAT: serial at offset 100, label in the root directory's entry of type 0x83.
bool readExfat(const Medium &medium, MediumIdentity &id)
{
    const QByteArray boot = medium.read(0, 512);
    if (boot.size() < 512 || boot.mid(3, 8) != "EXFAT   ")
        return false;
    const int sectorShift = quint8(boot[108]);
    const int clusterShift = quint8(boot[109]);
    if (sectorShift < 9 || sectorShift > 12 || sectorShift + clusterShift > 25)
        return false;
    id.serial = u32(boot, 100);
    const qint64 sector = qint64(1) << sectorShift;
    const qint64 clusterBytes = sector << clusterShift;
    const qint64 fatStart = qint64(u32(boot, 80)) * sector;
    const qint64 heapStart = qint64(u32(boot, 88)) * sector;
    const quint32 clusterCount = u32(boot, 92);
    int hops = 0;
    QString label;
    walkChain(
        medium, u32(boot, 96), clusterBytes,
        [=](quint32 c) { return heapStart + (qint64(c) - 2) * clusterBytes; },
        [&](quint32 c) -> quint32 {
            const QByteArray entry = medium.read(fatStart + qint64(c) * 4, 4);
            if (entry.size() < 4 || ++hops > 65536)
                return 0;
            const quint32 n = u32(entry, 0);
            return n >= 2 && n <= clusterCount + 1 ? n : 0;
        },
        [&label](const char *e) {
            const quint8 type = quint8(e[0]);
            if (type == 0x00)
                return false;
            if (type != 0x83)
                return true;
            const QByteArray entry(e, 32);
            label = fromUtf16(entry, 2, qMin<int>(quint8(e[1]), 11), false);
            return false;
        });
    id.label = label;
    return true;
}

bool readNtfs(const Medium &medium, const BlkidValues &blkid, MediumIdentity &id)
{
    const QByteArray boot = medium.read(0, 512);
    if (boot.size() < 512 || boot.mid(3, 8) != "NTFS    ")
        return false;
    id.serial = u32(boot, 0x48);
    id.label = blkid.label;
    return true;
}

// ISO 9660: the Joliet descriptor when there is one, else the primary; serial from its byte sums.
bool readIso(const Medium &medium, MediumIdentity &id)
{
    const qint64 base = medium.lastSessionSector();
    QByteArray primary;
    QByteArray joliet;
    for (qint64 n = 16; n < 16 + 64; ++n) {
        const QByteArray d = medium.read((base + n) * CdSector, CdSector);
        if (d.size() < CdSector || d.mid(1, 5) != "CD001" || quint8(d[0]) == 255)
            break;
        const quint8 type = quint8(d[0]);
        if (type == 1 && primary.isEmpty())
            primary = d;
        const QByteArray escape = d.mid(88, 3);
        if (type == 2 && joliet.isEmpty() &&
            (escape == "%/@" || escape == "%/C" || escape == "%/E"))
            joliet = d;
    }
    if (primary.isEmpty())
        return false;
    const QByteArray &chosen = joliet.isEmpty() ? primary : joliet;
    const auto s = byteSums(chosen);
    id.type = QStringLiteral("iso9660");
    id.serial = quint32(s[0]) << 24 | quint32(s[1]) << 16 | quint32(s[2]) << 8 | s[3];
    id.label = trimTrailing(joliet.isEmpty() ? decode8Bit(chosen.mid(40, 32))
                                             : fromUtf16(chosen, 40, 16, true));
    return true;
}

// A descriptor tag of the given identifier with a correct checksum.
bool isUdfTag(const QByteArray &d, quint16 identifier)
{
    if (d.size() < 16 || u16(d, 0) != identifier)
        return false;
    quint8 sum = 0;
    for (int i = 0; i < 16; ++i) {
        if (i != 4)
            sum = quint8(sum + quint8(d[i]));
    }
    return sum == quint8(d[4]);
}

// A dstring: compression id, characters, and the used length in its last byte.
QString udfString(const QByteArray &field)
{
    const int used = qMin<int>(quint8(field.back()), field.size() - 1);
    if (used < 1)
        return {};
    const quint8 compression = quint8(field[0]);
    if (compression == 8 || compression == 254)
        return QString::fromLatin1(field.mid(1, used - 1));
    if (compression == 16 || compression == 255)
        return fromUtf16(field, 1, (used - 1) / 2, true);
    return {};
}

// UDF: anchor, volume descriptors, then the File Set Descriptor, whose byte sums give the serial.
bool readUdf(const Medium &medium, const BlkidValues &blkid, MediumIdentity &id)
{
    const qint64 base = medium.lastSessionSector();
    const qint64 mediumSize = medium.size();
    for (const qint64 block : {2048, 512, 1024, 4096}) {
        const qint64 last = mediumSize / block - 1;
        QByteArray anchor;
        for (const qint64 at : {base + 256, last, last - 256, qint64(512)}) {
            if (at <= 0)
                continue;
            const QByteArray d = medium.read(at * block, 512);
            if (isUdfTag(d, 2) && (u32(d, 12) == at || u32(d, 12) == at - base)) {
                anchor = d;
                break;
            }
        }
        if (anchor.isEmpty())
            continue;

        const qint64 sequenceStart = u32(anchor, 20);
        const qint64 sequenceBlocks = qMin<qint64>(u32(anchor, 16) / block, 64);
        QByteArray logicalVolume;
        qint64 partitionStart = -1;
        for (qint64 n = 0; n < sequenceBlocks; ++n) {
            const QByteArray d = medium.read((sequenceStart + n) * block, 512);
            if (isUdfTag(d, 8) || d.isEmpty())
                break;
            if (isUdfTag(d, 5) && partitionStart < 0)
                partitionStart = u32(d, 188);
            if (isUdfTag(d, 6) && logicalVolume.isEmpty())
                logicalVolume = d;
        }

        // A partition that starts past the medium's end is not on it.
        if (partitionStart >= mediumSize / block)
            partitionStart = -1;
        qint64 fileSet = -1;
        if (partitionStart >= 0 && !logicalVolume.isEmpty()) {
            // Both fields are the disc's word alone (the tag's checksum covers bytes 0-15 only):
            // a block size the format allows, and a block number bounded by the medium's size
            // before they are multiplied.
            const quint32 logicalBlock = u32(logicalVolume, 212);
            const qint64 fileSetBlock = u32(logicalVolume, 252);
            if ((logicalBlock == block || (isPowerOfTwo(logicalBlock) && logicalBlock >= 512 &&
                                           logicalBlock <= 4096)) &&
                fileSetBlock < mediumSize / logicalBlock) {
                const qint64 at = partitionStart * block + fileSetBlock * logicalBlock;
                if (isUdfTag(medium.read(at, 16), 256))
                    fileSet = at;
            }
        }
        // Not where the volume says (a metadata partition, say): the first one in the partition.
        for (qint64 at = 0; fileSet < 0 && partitionStart >= 0 && at < FileSetSearchBytes;
             at += ChunkBytes) {
            const qint64 from = partitionStart * block + at;
            const QByteArray chunk = medium.read(from, qMin(ChunkBytes, mediumSize - from));
            for (int b = 0; fileSet < 0 && b + 16 <= chunk.size(); b += block) {
                if (isUdfTag(chunk.mid(b, 16), 256))
                    fileSet = from + b;
            }
        }
        if (fileSet < 0)
            fileSet = 257 * block;

        QByteArray descriptor = medium.read(fileSet, CdSector);
        if (descriptor.isEmpty())
            descriptor = medium.read(fileSet, block);
        const auto s = byteSums(descriptor);
        id.type = QStringLiteral("udf");
        id.serial = quint32(s[3]) << 24 | quint32(s[2]) << 16 | quint32(s[1]) << 8 | s[0];
        id.label = logicalVolume.isEmpty() ? blkid.label : udfString(logicalVolume.mid(84, 128));
        return true;
    }
    return false;
}

} // namespace

MediumIdentity MediumReader::read(const QString &path)
{
    MediumIdentity id;
    const Medium medium(path);
    if (!medium.isOpen() || medium.read(0, 512).isEmpty())
        return id;
    const BlkidValues blkid = probeBlkid(path);
    if (!blkid.opened)
        return id;

    id.status = MediumIdentity::Read;
    id.type = blkid.type;
    if (blkid.type == QLatin1String("vfat") && readFat(medium, id))
        return id;
    if (blkid.type == QLatin1String("exfat") && readExfat(medium, id))
        return id;
    if (blkid.type == QLatin1String("ntfs") && readNtfs(medium, blkid, id))
        return id;
    // A disc with both UDF and ISO 9660 is read as UDF.
    if (blkid.type.isEmpty() || blkid.type == QLatin1String("udf") ||
        blkid.type == QLatin1String("iso9660")) {
        if (readUdf(medium, blkid, id) || readIso(medium, id))
            return id;
        id.status = MediumIdentity::Unrecognised;
        return id;
    }
    if (blkid.type == QLatin1String("vfat") || blkid.type == QLatin1String("exfat") ||
        blkid.type == QLatin1String("ntfs")) {
        id.status = MediumIdentity::Unrecognised;
        return id;
    }
    id.label = blkid.label;
    id.serial = serialFromUuid(blkid.type, blkid.uuid);
    return id;
}

QString MediumReader::decodeOem(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        text.append(b < 0x80 ? QChar(b) : QChar(Cp850High[b - 0x80]));
    }
    return text;
}

quint32 MediumReader::serialFromUuid(const QString &type, const QString &uuid)
{
    QString hex;
    for (const QChar c : uuid) {
        const char16_t u = c.toLower().unicode();
        if ((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f'))
            hex.append(c);
    }
    // NTFS shows the low half of its 64-bit serial: the last eight digits.
    if (type == QLatin1String("ntfs") && hex.size() == 16)
        hex = hex.right(8);
    return hex.left(8).toUInt(nullptr, 16);
}
