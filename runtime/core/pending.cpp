// Runtime operations that other parts already call but whose own code is not
// written yet. Each is removed from here when its real body lands.
#include "runtime/core/message.h"

// No window yet: nothing to process, never closed.
int ProcessMessage() { return 0; }
// No window yet: it is never inactive.
void WaitWhileInactive() {}
