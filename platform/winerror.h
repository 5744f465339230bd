#pragma once

// System error codes that the registry and the shell stand-ins answer with.
constexpr int ERROR_SUCCESS = 0;
constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_PATH_NOT_FOUND = 3;
constexpr int ERROR_INVALID_HANDLE = 6;
constexpr int ERROR_BAD_FORMAT = 11;
constexpr int ERROR_INVALID_PARAMETER = 87;
constexpr int ERROR_MORE_DATA = 234;
