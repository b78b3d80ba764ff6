#include "platform/win32/shared_library_posix.h"

#include <dlfcn.h>

bool LoadSharedLibraries(std::initializer_list<const char*> names, const char** error) {
  for (const char* name : names) {
    if (dlopen(name, RTLD_NOW | RTLD_GLOBAL) == nullptr) {
      if (error != nullptr) *error = dlerror();
      return false;
    }
  }
  return true;
}

void* FindLoadedSymbol(std::initializer_list<const char*> names, const char* symbol) {
  for (const char* name : names) {
    // Already loaded: this only takes another reference, never loads.
    void* library = dlopen(name, RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) continue;
    void* address = dlsym(library, symbol);
    dlclose(library);
    if (address != nullptr) return address;
  }
  return nullptr;
}
