#pragma once

#include <QString>

#include <cstdio>

// A message of navrelay-run on standard error, behind the program's name.
inline void printError(const QString &text)
{
    std::fprintf(stderr, "navrelay-run: %s\n", text.toLocal8Bit().constData());
}
