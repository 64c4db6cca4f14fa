// Loading a shared library by file name and finding its functions (dlopen on Linux,
// LoadLibrary on Windows).
#pragma once

#include <string>

// The file name of the library called name on this system: "libNAME.so" or "NAME.dll".
std::string SharedLibraryFileName(const std::string& name);

// Loads the library at path; a bare file name goes through the system's library search. Returns
// null and puts the system's reason into *error on failure.
void* OpenSharedLibrary(const std::string& path, std::string* error);
// The address of the exported function name, or null.
void* SharedLibrarySymbol(void* library, const char* name);
void CloseSharedLibrary(void* library);
