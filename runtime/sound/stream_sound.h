// Stream sounds: sounds played from their sources through a ring buffer that
// message processing tops up every frame.
#pragma once

// Refills every stream sound's ring buffer. 0, or -1 without DirectSound.
int RefillAllStreamSounds();
