#pragma once

#include <QByteArray>

// The catalogue's schema, from catalogue/schema.sql: the whole of it for a new catalogue, or
// one marked section of it for an older catalogue that lacks that part.
namespace Schema {

QByteArray all();
// The statements of the section marked "-- section: name"; empty for an unknown name.
QByteArray section(const char *name);

} // namespace Schema
