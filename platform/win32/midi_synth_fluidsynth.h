// The General MIDI synthesiser behind the MCI sequencer: FluidSynth with a
// sound font, playing one standard MIDI file image and rendered on demand
// (never through an audio driver of its own), so the music is mixed and
// timed like every other sound: by the samples the host pulls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where the General MIDI sound font is: the file named by the environment
// variable BRIMAL_SOUNDFONT when it is set, else the first of the Debian
// General MIDI fonts that exists. Empty when there is none; `missing` then
// says what was looked for ("no sound font at ...").
std::string FindGeneralMidiSoundFont(std::string* missing);

class MidiSynth {
 public:
  // A synthesiser at `rate` Hz with the sound font loaded, or null with
  // `error` saying what failed.
  static std::unique_ptr<MidiSynth> Create(const std::string& sound_font, int rate,
                                           std::string* error);
  ~MidiSynth();
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  // Starts `image` (a standard MIDI file that passed IsPlayableMidiFile) from
  // its start, every channel reset first. False when the player refuses it.
  // The same starts after the same history give the same samples.
  bool PlayFromStart(const std::vector<uint8_t>& image);
  // Silences every sounding note at once (the piece's position is kept by
  // the caller not rendering).
  void Silence();
  // Renders `frames` stereo frames and adds them to `sum` (interleaved
  // 16-bit sample values). The piece moves on by exactly these frames.
  void RenderInto(int32_t* sum, int frames);
  // True once the piece has played to its end (or its player gave up on it),
  // and before any piece was started.
  bool Ended() const;
  int Rate() const { return rate_; }

 private:
  struct Objects;  // the FluidSynth objects
  explicit MidiSynth(std::unique_ptr<Objects> parts, int rate);
  std::unique_ptr<Objects> parts_;
  int rate_;
};
