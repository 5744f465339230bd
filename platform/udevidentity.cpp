#include "platform/udevidentity.h"

#include <QStringDecoder>

#include <libudev.h>

MediumIdentity UdevIdentity::lookup(quint64 deviceNumber)
{
    MediumIdentity id;
    udev *context = udev_new();
    if (!context)
        return id;
    udev_device *device = udev_device_new_from_devnum(context, 'b', dev_t(deviceNumber));
    if (device) {
        const auto property = [device](const char *name) {
            return QByteArray(udev_device_get_property_value(device, name));
        };
        id = fromProperties(property("ID_FS_TYPE"), property("ID_FS_LABEL_ENC"),
                            property("ID_FS_UUID_ENC"));
        udev_device_unref(device);
    }
    udev_unref(context);
    return id;
}

MediumIdentity UdevIdentity::fromProperties(const QByteArray &type, const QByteArray &labelEnc,
                                            const QByteArray &uuidEnc)
{
    MediumIdentity id;
    id.type = QString::fromUtf8(type);
    // ISO 9660 and UDF serials come from descriptor bytes udev does not keep.
    if (type.isEmpty() || type == "iso9660" || type == "udf" ||
        (uuidEnc.isEmpty() && (type == "vfat" || type == "exfat" || type == "ntfs"))) {
        id.status = MediumIdentity::Unrecognised;
        return id;
    }
    id.status = MediumIdentity::Read;
    const QByteArray label = decodeEnc(labelEnc);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    id.label = utf8(label);
    // FAT labels that are not UTF-8 are the raw bytes of the DOS code page.
    if (utf8.hasError())
        id.label = type == "vfat" ? MediumReader::decodeOem(label) : QString::fromLatin1(label);
    id.serial = MediumReader::serialFromUuid(id.type, QString::fromUtf8(decodeEnc(uuidEnc)));
    return id;
}

QByteArray UdevIdentity::decodeEnc(const QByteArray &enc)
{
    QByteArray out;
    out.reserve(enc.size());
    for (int i = 0; i < enc.size(); ++i) {
        if (enc[i] == '\\' && i + 3 < enc.size() && enc[i + 1] == 'x') {
            bool ok = false;
            const int value = enc.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(enc[i]);
    }
    return out;
}
