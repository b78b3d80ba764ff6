// Music: pieces played through the MIDI sequencer or as stream sounds.
#pragma once

// The per-frame update of the music's play state (called by message
// processing). 0.
int UpdateMusicPlayState();
// Called by the main window procedure for every MCI notification. 0.
int HandleMidiNotify();
// Deletes every music handle.
void DeleteAllMusicHandles();
