#pragma once

// The fields of table Files, numbered once in their order: the list's columns, a row's cells and
// the schema check all count them so.
struct FilesField
{
    enum : int {
        ID,
        Path,
        File,
        Size,
        Type,
        Created,
        Accessed,
        Modified,
        Archive,
        Serial,
        FieldCount
    };
    static constexpr const char *Names[FieldCount] = {"ID",      "Path",    "File",     "Size",
                                                      "Type",    "Created", "Accessed", "Modified",
                                                      "Archive", "Serial"};
    // Created, Accessed and Modified hold dates, in this order.
    static constexpr int FirstDate = Created;
    static constexpr int DateCount = 3;
    static constexpr bool isDate(int field) { return field >= Created && field <= Modified; }
};
