// The structural check of a standard MIDI file image before the synthesiser
// sees it: only images whose every chunk, event and length is inside the
// file, and whose timing is usable, are played. The synthesiser then loads
// the piece itself and may refuse it still (MidiSynth::Takes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The most tracks a piece may have (FluidSynth's player loads no more).
constexpr int kMidiFileMaxTracks = 127;
// The longest track in ticks (sums of delta times stay far from overflow).
constexpr uint64_t kMidiFileMaxTrackTicks = uint64_t{1} << 30;

// True when `data` is a standard MIDI file (format 0, 1 or 2, ticks per
// quarter note) whose header says 1 to kMidiFileMaxTracks tracks, all
// present, each a well-formed event list ending with its end-of-track event:
// no running status without a status before it, data bytes below 0x80, meta
// and system-exclusive lengths inside the track, tempo, end-of-track and
// other timing meta events of their fixed length, no tempo of 0.
bool IsPlayableMidiFile(const uint8_t* data, size_t size);

// What the synthesiser is given of a file that IsPlayableMidiFile takes: its
// header and its first `tracks` track chunks, in order; empty for a file it
// refuses. Chunks of other
// kinds and bytes after the last track are left out: FluidSynth's reader
// does not skip a chunk it does not know, it refuses the whole file.
std::vector<uint8_t> MidiFileTracks(const uint8_t* data, size_t size);
