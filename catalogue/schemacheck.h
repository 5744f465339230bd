#pragma once

struct sqlite3;

// The cheap look at a catalogue file made before it is opened for writing: table Files with its
// ten fields, and its first and last rows readable. Raises PlatformError: 3265 naming a missing
// field, the engine's own answer otherwise ("no such table", "database disk image is
// malformed"). Reads nothing else, so it costs the same for any size of catalogue.
void checkCatalogueSchema(sqlite3 *db);
