#pragma once

#include <QByteArray>

class Connection;

// The catalogue's schema, from catalogue/schema.sql (the whole of it is SchemaSql in
// catalogue/schemasql.h): one marked section of it for an older catalogue that lacks that part.
namespace Schema {

// The statements of the section marked "-- section: name"; empty for an unknown name.
QByteArray section(const char *name);

// The cheap look at a catalogue file made before it is opened for writing: table Files with its
// ten fields, and its first and last rows readable. Raises PlatformError: 3265 naming a missing
// field, the engine's own answer otherwise ("no such table", "database disk image is
// malformed"). Reads nothing else, so it costs the same for any size of catalogue.
void check(Connection &connection);

} // namespace Schema
