#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The identity of one medium: its filesystem type and the label and 32-bit serial that Windows
// shows for it. The label is whole here; the volume query cuts it to its buffer.
struct MediumIdentity
{
    enum Status {
        Read,         // label and serial are the medium's
        Unreadable,   // the device or image could not be opened or read
        Unrecognised, // readable, but no filesystem with a serial was found
    };
    Status status = Unreadable;
    QString type;
    QString label;
    quint32 serial = 0;

    bool ok() const { return status == Read; }
};

// Reads label and serial straight from the on-disk structures of a block device or an image file,
// the same way for both, with libblkid telling the filesystem type.
class MediumReader
{
public:
    static MediumIdentity read(const QString &path);

    // FAT keeps labels in an 8-bit DOS code page. Code page 850 is taken: dosfstools writes labels
    // in it by default, it is the OEM code page of Western European Windows, and it agrees with
    // 437 on ASCII and the common accented letters.
    static QString decodeOem(const QByteArray &bytes);
    // The 32-bit serial Windows shows for a filesystem whose UUID text libblkid or udev gives.
    static quint32 serialFromUuid(const QString &type, const QString &uuid);
};
