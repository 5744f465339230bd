#pragma once

#include "platform/mediumreader.h"

#include <QByteArray>
#include <QtGlobal>

// The medium identity udev recorded for a block device, for when the device itself cannot be
// read. Enough for FAT, exFAT, NTFS and filesystems with a UUID; a CD's serial needs the disc.
class UdevIdentity
{
public:
    static MediumIdentity lookup(quint64 deviceNumber);
    // From udev's ID_FS_TYPE, ID_FS_LABEL_ENC and ID_FS_UUID_ENC values.
    static MediumIdentity fromProperties(const QByteArray &type, const QByteArray &labelEnc,
                                         const QByteArray &uuidEnc);
    // Undoes udev's \xNN escapes.
    static QByteArray decodeEnc(const QByteArray &enc);
};
