#pragma once

#include "platform/mediumreader.h"

class MediumBytes;

// ISO 9660: the Joliet descriptor when there is one, else the primary; serial from its byte sums.
bool readIso(const MediumBytes &medium, MediumIdentity &id);
// UDF: anchor, volume descriptors, then the File Set Descriptor, whose byte sums give the serial.
// A volume that names no label gets fallbackLabel.
bool readUdf(const MediumBytes &medium, const QString &fallbackLabel, MediumIdentity &id);
