#include "platform/fatmedium.h"

#include "platform/mediumbytes.h"

#include <functional>

namespace {

// A root directory holds at most this many entries worth scanning for its label.
constexpr qint64 MaxDirectoryEntries = 1 << 20;

// Walks a directory stored in a cluster chain, in chunks, handing every 32-byte entry to visit
// until it answers false. next(cluster) gives the following cluster or 0 at the end.
void walkChain(const MediumBytes &medium, quint32 first, qint64 clusterBytes,
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

// Follows a chain in a table of 32-bit entries at fatStart, of which mask tells the bits that
// count: a cluster number from 2 to last, else 0 (the end, a damaged entry, or a loop).
std::function<quint32(quint32)> fatChain(const MediumBytes &medium, qint64 fatStart, quint32 mask,
                                         quint32 last)
{
    return [&medium, fatStart, mask, last, hops = 0](quint32 c) mutable -> quint32 {
        const QByteArray entry = medium.read(fatStart + qint64(c) * 4, 4);
        if (entry.size() < 4 || ++hops > 65536)
            return 0;
        const quint32 n = u32(entry, 0) & mask;
        return n >= 2 && n <= last ? n : 0;
    };
}

} // namespace

bool readFat(const MediumBytes &medium, MediumIdentity &id)
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
        walkChain(
            medium, u32(boot, 0x2C), clusterBytes,
            [=](quint32 c) { return dataStart + (qint64(c) - 2) * clusterBytes; },
            fatChain(medium, fatStart, 0x0FFFFFFF, 0x0FFFFFF7), visit);
    }
    while (!label.isEmpty() && (label.endsWith(' ') || label.endsWith('\0')))
        label.chop(1);
    id.label = MediumReader::decodeOem(label);
    return true;
}

bool readExfat(const MediumBytes &medium, MediumIdentity &id)
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
    QString label;
    walkChain(
        medium, u32(boot, 96), clusterBytes,
        [=](quint32 c) { return heapStart + (qint64(c) - 2) * clusterBytes; },
        fatChain(medium, fatStart, 0xFFFFFFFF, clusterCount + 1),
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
