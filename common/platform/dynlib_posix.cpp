// Shared libraries through dlopen.
#include <dlfcn.h>

#include "common/platform/dynlib.h"

std::string SharedLibraryFileName(const std::string& name) {
    return "lib" + name + ".so";
}

void* OpenSharedLibrary(const std::string& path, std::string* error) {
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library && error) {
        const char* text = ::dlerror();
        *error = text ? text : "unknown error";
    }
    return library;
}

void* SharedLibrarySymbol(void* library, const char* name) {
    return ::dlsym(library, name);
}

void CloseSharedLibrary(void* library) {
    ::dlclose(library);
}
