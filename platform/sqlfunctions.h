#pragma once

#include <memory>

class Connection;

// Functions of the program's own that the engine calls inside SQL statements, added to one
// connection. Each raises PlatformError when the engine refuses it.
namespace SqlFunctions {

// A test of texts the engine calls as name(value, pattern): made once per statement from the
// pattern, which is the same for every row, then asked of each value. A null value or pattern
// gives null, as LIKE does.
class PatternTest
{
public:
    virtual ~PatternTest() = default;
    virtual bool matches(const char *value, int length) = 0;
};
using PatternTestMaker = std::unique_ptr<PatternTest> (*)(const char *pattern, int length);
void addPatternFunction(Connection &connection, const char *name, PatternTestMaker make);

// An order of texts for COLLATE name: below, at or above zero as a sorts before, with or after b.
using Collation = int (*)(const char *a, int lengthA, const char *b, int lengthB);
void addCollation(Connection &connection, const char *name, Collation order);

} // namespace SqlFunctions
