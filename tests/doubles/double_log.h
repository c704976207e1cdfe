// Shared by the doubles: appends one line to the file named by RUXA_DOUBLE_LOG.
#ifndef RUXA_TESTS_DOUBLES_DOUBLE_LOG_H
#define RUXA_TESTS_DOUBLES_DOUBLE_LOG_H

#include <windows.h>

#include <cstdio>

inline void AppendDoubleLog(const char* line)
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("RUXA_DOUBLE_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return;
    }
    FILE* file = std::fopen(path, "a");
    if (file) {
        std::fprintf(file, "%s\n", line);
        std::fclose(file);
    }
}

#endif
