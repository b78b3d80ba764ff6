#include "platform/host/not_emulated.h"
#include "platform/win32/com.h"

#include <cstring>
#include <mutex>
#include <vector>

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

bool operator==(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof(a.Data4)) == 0;
}

namespace {

struct FactoryEntry {
  CLSID clsid;
  ComFactory factory;
};

// The table lives from first use to the end of the process (never destroyed,
// so registrations made during static initialisation and objects made during
// exit are both safe).
struct FactoryTable {
  std::mutex mutex;
  std::vector<FactoryEntry> entries;
};

FactoryTable& Table() {
  static auto* table = new FactoryTable;
  return *table;
}

}  // namespace

HRESULT CoInitialize(LPVOID reserved) {
  RequireEmulated(reserved == nullptr, "CoInitialize", "the reserved argument must be null",
                  reserved);
  return S_OK;
}

void CoUninitialize() {}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                         LPVOID* object) {
  (void)context;
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  RequireEmulated(outer == nullptr, "CoCreateInstance", "aggregation is not emulated", outer);
  ComFactory factory = FindComFactory(clsid);
  if (!factory) return REGDB_E_CLASSNOTREG;
  const HRESULT result = factory(riid, object);
  if (FAILED(result)) *object = nullptr;
  return result;
}

ComFactory RegisterComFactory(REFCLSID clsid, ComFactory factory) {
  FactoryTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  for (FactoryEntry& entry : table.entries) {
    if (entry.clsid == clsid) {
      ComFactory previous = std::move(entry.factory);
      entry.factory = std::move(factory);
      return previous;
    }
  }
  table.entries.push_back(FactoryEntry{clsid, std::move(factory)});
  return ComFactory();
}

void UnregisterComFactory(REFCLSID clsid) {
  FactoryTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  for (auto it = table.entries.begin(); it != table.entries.end(); ++it) {
    if (it->clsid == clsid) {
      table.entries.erase(it);
      return;
    }
  }
}

ComFactory FindComFactory(REFCLSID clsid) {
  FactoryTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  for (const FactoryEntry& entry : table.entries) {
    if (entry.clsid == clsid) return entry.factory;
  }
  return ComFactory();
}

ComFactoryRegistration::ComFactoryRegistration(REFCLSID clsid, ComFactory factory) {
  RegisterComFactory(clsid, std::move(factory));
}

ScopedComFactory::ScopedComFactory(REFCLSID clsid, ComFactory factory)
    : clsid_(clsid), previous_(RegisterComFactory(clsid, std::move(factory))) {}

ScopedComFactory::~ScopedComFactory() {
  if (previous_) {
    RegisterComFactory(clsid_, std::move(previous_));
  } else {
    UnregisterComFactory(clsid_);
  }
}
