// Makes an empty catalogue from the schema file, only when no catalogue is there yet.
// Usage: vellumark-mkcatalogue SCHEMA.sql TARGET.mdb
#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SCHEMA.sql TARGET.mdb\n", argv[0]);
        return 2;
    }
    const std::string target = argv[2];
    struct stat st;
    if (::stat(target.c_str(), &st) == 0)
        return 0; // an existing catalogue is never touched

    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream sql;
    sql << in.rdbuf();

    // Build beside the target and rename, so a half-made file never takes the catalogue's name.
    const std::string temp = target + ".new";
    ::unlink(temp.c_str());
    sqlite3 *db = nullptr;
    char *error = nullptr;
    int rc =
        sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, sql.str().c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "cannot make %s: %s\n", temp.c_str(),
                     error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        sqlite3_close(db);
        ::unlink(temp.c_str());
        return 1;
    }
    sqlite3_close(db);
    if (::link(temp.c_str(), target.c_str()) != 0 && errno != EEXIST) {
        std::perror("link");
        ::unlink(temp.c_str());
        return 1;
    }
    ::unlink(temp.c_str());
    std::printf("made empty catalogue %s\n", target.c_str());
    return 0;
}
