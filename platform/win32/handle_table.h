// The one table behind every kernel handle of the stand-in layer: events,
// threads, open files and folder searches share its handle values.
#pragma once

#include <memory>

#include "platform/win32/types.h"

// What a HANDLE names. The destructor releases what the object holds; it runs
// once the handle is closed and the last call still using the object is done.
struct HandleObject {
  virtual ~HandleObject() = default;
  // Whether CloseHandle may close it (folder searches close through FindClose).
  virtual bool ClosedByCloseHandle() const { return true; }
};

// Handle values are small multiples of 4, never 0 and never
// INVALID_HANDLE_VALUE.
HANDLE AddHandle(std::shared_ptr<HandleObject> object);
// Null for a handle that names nothing.
std::shared_ptr<HandleObject> FindHandle(HANDLE handle);
// Removes the handle when it names an object that `accept` takes (any object
// when `accept` is null); false otherwise.
bool RemoveHandle(HANDLE handle, bool (*accept)(const HandleObject& object));

template <typename T>
std::shared_ptr<T> FindHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(FindHandle(handle));
}
