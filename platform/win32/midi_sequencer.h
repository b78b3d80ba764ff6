// The MCI "sequencer" device of the stand-in: one standard MIDI file played
// through the General MIDI synthesiser (midi_synth_fluidsynth.h). The piece
// is rendered inside the DirectSound stand-in's mixer, at the output's rate,
// by exactly the frames the host pulls, so it is timed by the host clock and
// recorded with every other sound. mciSendCommandA hands the commands here.
#pragma once

#include <cstdint>

#include "platform/win32/mmsystem.h"

// MCI_OPEN of the element `open->lpstrElementName` (flags MCI_OPEN_TYPE and
// MCI_OPEN_ELEMENT; MCI_WAIT is allowed on every command but MCI_PLAY). The
// file is read whole and checked at once: MCIERR_FILE_NOT_FOUND when it
// cannot be read, MCIERR_INVALID_FILE when it is not a playable standard
// MIDI file or the synthesiser does not take it (MidiSynth::Takes), so the
// runtime plays it another way. The sound font is loaded at the first open
// and kept; each open makes a synthesiser of its own with it (under a
// millisecond). MCIERR_DEVICE_OPEN while
// another sequencer is open, MCIERR_DEVICE_NOT_INSTALLED without a sound
// font or a synthesiser (with one line on the standard error naming what is
// missing, written again only when that changes).
MCIERROR MidiSequencerOpen(DWORD_PTR flags, MCI_OPEN_PARMSA* open);
// MCI_STATUS with MCI_STATUS_ITEM: MCI_SEQ_STATUS_PORT answers MCI_SEQ_MAPPER.
MCIERROR MidiSequencerStatus(MCIDEVICEID device, DWORD_PTR flags, MCI_STATUS_PARMS* status);
// MCI_PLAY: with MCI_FROM (from 0 only) or on a device never played, from the
// start; else on from where MCI_STOP left it. With MCI_NOTIFY, MM_MCINOTIFY
// with MCI_NOTIFY_SUCCESSFUL is posted to `play->dwCallback` when the piece
// ends; a later play, stop or close drops that request without a message.
MCIERROR MidiSequencerPlay(MCIDEVICEID device, DWORD_PTR flags, const MCI_PLAY_PARMS* play);
// MCI_STOP: sounding notes stop at once, the position is kept.
MCIERROR MidiSequencerStop(MCIDEVICEID device, DWORD_PTR flags);
// MCI_CLOSE: the device goes, with its waiting notification (also one already
// posted and not yet taken).
MCIERROR MidiSequencerClose(MCIDEVICEID device, DWORD_PTR flags);

// Called by the mixer under its lock: adds `frame_count` stereo frames of the
// playing piece at `output_rate` into `sum`.
void MixMidiSequencer(int32_t* sum, int frame_count, int output_rate);
// Called by the mixer after its lock is released: posts the end
// notifications that the last mix found and deletes the players that plays
// from the start set aside.
void FinishMidiSequencerMix();

// The id of the open sequencer, 0 when none is open (for tests).
MCIDEVICEID OpenMidiSequencerDevice();
