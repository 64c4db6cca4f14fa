// setenv and unsetenv for the tests' Windows builds, on the C run-time's own environment (the
// one getenv reads). Included into every test source of a Windows build.
#pragma once

#include <stdlib.h>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && getenv(name)) return 0;
    return _putenv_s(name, value);
}

inline int unsetenv(const char* name) {
    return _putenv_s(name, "");
}
