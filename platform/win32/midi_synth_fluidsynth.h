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

// A General MIDI sound font, loaded once and kept: loading takes tens to
// hundreds of milliseconds, while a synthesiser made with a loaded font
// takes under a millisecond. It is loaded into a synthesiser of its own
// that never plays, and lent to the synthesisers made with it. FluidSynth
// counts the uses of a font's samples without a lock, so one synthesiser
// at a time may be made, used or deleted with it.
class MidiSoundFont {
 public:
  // The font at `path`, or null with `error` saying what failed.
  static std::unique_ptr<MidiSoundFont> Load(const std::string& path, std::string* error);
  ~MidiSoundFont();
  MidiSoundFont(const MidiSoundFont&) = delete;
  MidiSoundFont& operator=(const MidiSoundFont&) = delete;

  const std::string& Path() const { return path_; }

 private:
  friend class MidiSynth;
  struct Objects;  // the FluidSynth objects
  MidiSoundFont(std::unique_ptr<Objects> parts, std::string path);
  std::unique_ptr<Objects> parts_;
  std::string path_;
};

// One synthesiser playing one piece at a time with a loaded sound font.
class MidiSynth {
 public:
  // A synthesiser at `rate` Hz with `font` (which must outlive it), or null
  // with `error` saying what failed.
  static std::unique_ptr<MidiSynth> Create(const MidiSoundFont& font, int rate,
                                           std::string* error);
  ~MidiSynth();
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  // True when FluidSynth's player loads `image` (a file's MidiFileTracks)
  // and finds a piece with a length in it: a piece of no length would end as
  // it starts (and a looping one start again at every mix). The piece is
  // loaded by a player of its own whose events go nowhere, through one block
  // rendered and thrown away; nothing else may render meanwhile.
  bool Takes(const std::vector<uint8_t>& image);
  // Starts `image` from its start, every channel reset first. False when the
  // player refuses it. The same starts after the same history give the same
  // samples. The player of an earlier start is set aside, silent, not
  // deleted (deleting a long piece's player takes milliseconds).
  bool PlayFromStart(const std::vector<uint8_t>& image);
  // Silences every sounding note at once (the piece's position is kept by
  // the caller not rendering).
  void Silence();
  // Deletes the players set aside.
  void DeleteSetAsidePlayers();
  // Renders `frames` stereo frames and adds them to `sum` (interleaved
  // 16-bit sample values). The piece moves on by exactly these frames.
  void RenderInto(int32_t* sum, int frames);
  // True once the piece has played to its end (or its player gave up on it),
  // and before any piece was started.
  bool Ended() const;
  int Rate() const { return rate_; }

 private:
  struct Objects;  // the FluidSynth objects
  MidiSynth(std::unique_ptr<Objects> parts, int rate);
  // Drops the rest of FluidSynth's last rendered block, so that the next
  // block starts at the next frame rendered.
  void AlignToBlock();
  std::unique_ptr<Objects> parts_;
  int rate_;
};
