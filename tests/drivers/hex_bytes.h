// Texts cross the drivers' command lines as hex bytes ("83 41"), so any byte
// sequence can be handed to the program under test.
#pragma once
#include <cstdlib>
#include <string>

inline std::string FromHex(const char *hex)
{
    std::string bytes;
    for (const char *p = hex; *p;) {
        char *end;
        long value = std::strtol(p, &end, 16);
        if (end == p)
            break;
        bytes += static_cast<char>(value);
        p = end;
    }
    return bytes;
}
