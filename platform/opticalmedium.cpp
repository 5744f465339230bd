#include "platform/opticalmedium.h"

#include "platform/mediumbytes.h"

namespace {

constexpr qint64 FileSetSearchBytes = 4 * 1024 * 1024;

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

} // namespace

bool readIso(const MediumBytes &medium, MediumIdentity &id)
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

bool readUdf(const MediumBytes &medium, const QString &fallbackLabel, MediumIdentity &id)
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
            if ((logicalBlock == block ||
                 (isPowerOfTwo(logicalBlock) && logicalBlock >= 512 && logicalBlock <= 4096)) &&
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
        id.label = logicalVolume.isEmpty() ? fallbackLabel : udfString(logicalVolume.mid(84, 128));
        return true;
    }
    return false;
}
