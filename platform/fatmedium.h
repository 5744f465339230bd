#pragma once

#include "platform/mediumreader.h"

class MediumBytes;

// FAT12/16/32: the serial from the boot sector, the label from the root directory's volume-label
// entry (its boot-sector copy is not what Windows shows). False when it is not FAT.
bool readFat(const MediumBytes &medium, MediumIdentity &id);
// exFAT: serial at offset 100, label in the root directory's entry of type 0x83.
bool readExfat(const MediumBytes &medium, MediumIdentity &id);
