#include "platform/mediumreader.h"

#include "platform/fatmedium.h"
#include "platform/mediumbytes.h"
#include "platform/opticalmedium.h"

#include <QFile>

#include <blkid/blkid.h>

namespace {

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

bool readNtfs(const MediumBytes &medium, const BlkidValues &blkid, MediumIdentity &id)
{
    const QByteArray boot = medium.read(0, 512);
    if (boot.size() < 512 || boot.mid(3, 8) != "NTFS    ")
        return false;
    id.serial = u32(boot, 0x48);
    id.label = blkid.label;
    return true;
}

} // namespace

MediumIdentity MediumReader::read(const QString &path)
{
    MediumIdentity id;
    const MediumBytes medium(path);
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
        if (readUdf(medium, blkid.label, id) || readIso(medium, id))
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
