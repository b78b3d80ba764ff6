// Stream-sound and music operations whose own code is not written yet. Each
// is removed from here when its real body lands.
#include "runtime/sound/music.h"
#include "runtime/sound/stream_sound.h"

// No stream sounds yet: a source cannot be added.
int AddStreamSoundFile(const char*, int32_t, int32_t, int32_t, int32_t) { return -1; }
// No stream sounds yet: a source cannot be added.
int AddStreamSoundMemory(const void*, int32_t, int32_t, int32_t, int32_t, int32_t) { return -1; }
// No stream sounds yet: no ring to take.
int AcquireStreamBufferSlot(int32_t, SoundHandleRecord*, SoundBufferSlot**, int32_t) { return -1; }
// No stream sounds yet: nothing to stop.
int StopStreamSound(int32_t) { return -1; }
// No stream sounds yet: none plays.
int IsStreamSoundPlaying(int32_t) { return -1; }
// No stream sounds yet: nothing to rewind.
int RewindStreamSound(int32_t) { return -1; }
// No music handles yet: none to delete.
void DeleteAllMusicHandles() {}
