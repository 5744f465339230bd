#include "platform/sqlfunctions.h"

#include "platform/connection.h"

#include <sqlite3.h>

#include <exception>

namespace {

void destroyTest(void *test)
{
    delete static_cast<SqlFunctions::PatternTest *>(test);
}

void patternFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    // No exception may pass through the engine: a failure is the statement's error.
    try {
        // The pattern is the same for every row of a statement: its test is made once.
        auto *test = static_cast<SqlFunctions::PatternTest *>(sqlite3_get_auxdata(context, 1));
        if (!test) {
            const auto make =
                reinterpret_cast<SqlFunctions::PatternTestMaker>(sqlite3_user_data(context));
            const auto *pattern = reinterpret_cast<const char *>(sqlite3_value_text(argv[1]));
            sqlite3_set_auxdata(context, 1, make(pattern, sqlite3_value_bytes(argv[1])).release(),
                                destroyTest);
            test = static_cast<SqlFunctions::PatternTest *>(sqlite3_get_auxdata(context, 1));
            if (!test)
                return sqlite3_result_error_nomem(context);
        }
        const auto *value = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
        sqlite3_result_int(context, test->matches(value, sqlite3_value_bytes(argv[0])) ? 1 : 0);
    } catch (const std::exception &e) {
        sqlite3_result_error(context, e.what(), -1);
    }
}

int collate(void *order, int lengthA, const void *a, int lengthB, const void *b)
{
    return reinterpret_cast<SqlFunctions::Collation>(order)(static_cast<const char *>(a), lengthA,
                                                            static_cast<const char *>(b), lengthB);
}

} // namespace

void SqlFunctions::addPatternFunction(Connection &connection, const char *name,
                                      PatternTestMaker make)
{
    const int rc = sqlite3_create_function_v2(
        connection.handle(), name, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
        reinterpret_cast<void *>(make), patternFunction, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        connection.raise(rc);
}

void SqlFunctions::addCollation(Connection &connection, const char *name, Collation order)
{
    const int rc = sqlite3_create_collation_v2(connection.handle(), name, SQLITE_UTF8,
                                               reinterpret_cast<void *>(order), collate, nullptr);
    if (rc != SQLITE_OK)
        connection.raise(rc);
}
