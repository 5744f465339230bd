#pragma once

#include "platform/archivereader.h"

class MemberReader;

// "Look inside archives" and how much of one archive is read, kept in the program's settings
// (~/.config/Vellumark/Vellumark.conf) as the New Disc choice is. Looking is on unless turned
// off; the bytes read per archive may be set there in MB.
namespace ArchiveSettings {

extern const char LookInsideKey[];
extern const char ReadLimitKey[];

bool lookInside();
void setLookInside(bool on);
ArchiveLimits limits();
// Gives the reader of the next run what the settings say now.
void configure(MemberReader &reader);

} // namespace ArchiveSettings
