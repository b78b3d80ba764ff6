#include "platform/host/thread_id.h"

#include <atomic>

#include "platform/host/not_emulated.h"

namespace {

std::atomic<uint32_t> next_id{1};
thread_local uint32_t current_id = 0;

}  // namespace

uint32_t ReserveHostThreadId() {
  uint32_t id = next_id.fetch_add(1);
  // Skip the two values a caller may take for "no thread".
  while (id == 0 || id == 0xFFFFFFFFu) id = next_id.fetch_add(1);
  return id;
}

uint32_t HostThreadId() {
  if (current_id == 0) current_id = ReserveHostThreadId();
  return current_id;
}

void AdoptHostThreadId(uint32_t id) {
  RequireEmulated(current_id == 0, "AdoptHostThreadId", "the thread has an id already", current_id);
  RequireEmulated(id != 0 && id != 0xFFFFFFFFu, "AdoptHostThreadId", "not a thread id", id);
  current_id = id;
}
