// Component-object stand-ins: class and interface identifiers, the reference
// counted base of every interface, and object creation through a table of
// factories. Objects are made only through CoCreateInstance and the creation
// functions of the stand-ins (which use the same table), so a test can put a
// double in place of any class for its own duration (ScopedComFactory).
//
// A stand-in registers its factory with a ComFactoryRegistration object in
// the source file that also defines its class identifier, so the factory is
// linked in whenever the identifier is used.
#pragma once

#include <functional>

#include "platform/win32/types.h"

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
bool operator==(const GUID& a, const GUID& b);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

extern const IID IID_IUnknown;

// Execution contexts; the stand-ins accept any of them.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_ALL =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);

// The base of every interface: reference counting and interface queries.
class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

// Reference counting for a class implementing one or more interfaces: the
// object deletes itself when its count drops to 0.
class ComRefCount {
 public:
  ULONG AddRefImpl() { return ++count_; }
  template <typename Self>
  ULONG ReleaseImpl(Self* self) {
    const ULONG left = --count_;
    if (left == 0) delete self;
    return left;
  }

 private:
  ULONG count_ = 1;
};

HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();

// Makes an object of class `clsid` and returns its `riid` interface through
// `object` (null on failure). Unknown class: REGDB_E_CLASSNOTREG. Aggregation
// (`outer` not null) is not emulated.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                         LPVOID* object);

// A factory makes a new object and returns its `riid` interface.
using ComFactory = std::function<HRESULT(REFIID riid, void** object)>;

// Puts `factory` in the table for `clsid` (replacing any) and returns the one
// it replaced (empty when none).
ComFactory RegisterComFactory(REFCLSID clsid, ComFactory factory);
// Removes the class from the table.
void UnregisterComFactory(REFCLSID clsid);
// The factory of `clsid`, empty when none. Creation functions use this.
ComFactory FindComFactory(REFCLSID clsid);

// Registers a stand-in's factory during static initialisation.
struct ComFactoryRegistration {
  ComFactoryRegistration(REFCLSID clsid, ComFactory factory);
};

// Replaces the factory of a class for the object's lifetime, then puts the
// previous one (or none) back.
class ScopedComFactory {
 public:
  ScopedComFactory(REFCLSID clsid, ComFactory factory);
  ~ScopedComFactory();
  ScopedComFactory(const ScopedComFactory&) = delete;
  ScopedComFactory& operator=(const ScopedComFactory&) = delete;

 private:
  CLSID clsid_;
  ComFactory previous_;
};
