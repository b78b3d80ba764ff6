// Linked into every test program of the ThreadSanitizer build only.
// ThreadSanitizer starts a thread of its own when the program makes its first
// thread, so a test that counts the process's threads before and after its
// work (/proc/self/task) would count that one as left behind. A thread made
// and joined before main makes it start first.
#include <thread>

namespace {

struct SanitizerThreadFirst {
  SanitizerThreadFirst() { std::thread([] {}).join(); }
} sanitizer_thread_first;

}  // namespace
