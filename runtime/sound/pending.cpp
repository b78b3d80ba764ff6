// Sound operations whose own code is not written yet. Each is removed from
// here when its real body lands.
#include "runtime/sound/music.h"
#include "runtime/sound/stream_sound.h"

// No sound system yet: without DirectSound there is nothing to refill.
int RefillAllStreamSounds() { return -1; }
// No music yet: nothing plays.
int UpdateMusicPlayState() { return 0; }
// No music yet: no sequencer is open.
int HandleMidiNotify() { return 0; }
