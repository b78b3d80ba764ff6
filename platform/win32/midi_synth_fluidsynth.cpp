// The General MIDI synthesiser over FluidSynth: settings for repeatable
// output, the sound font, the player of one file image and the rendering.
#include "platform/win32/midi_synth_fluidsynth.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/shared_library_posix.h"

namespace {

constexpr const char* kSoundFontVariable = "BRIMAL_SOUNDFONT";
// Debian's General MIDI fonts, in the order they are preferred.
constexpr const char* kDebianSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};

constexpr int kMidiChannels = 16;
// FluidSynth renders in blocks of this many frames; its player moves on once
// a block.
constexpr uint64_t kSynthBlockFrames = 64;
// Frames rendered per call into FluidSynth's float buffers.
constexpr int kRenderChunkFrames = 1024;
constexpr float kSampleScale = 32767.0f;
// The synthesiser's output level: a single piano note at velocity 100 peaks
// near 6 % of full scale, so a full arrangement stays clear of clipping.
constexpr double kSynthGain = 0.6;
// Voices sounding at once. Dense pieces steal the oldest voices beyond this,
// as the General MIDI synthesisers of the time did; it bounds the cost of a
// second of music to about 2 % of one core (bench/midi_bench.cpp).
constexpr int kSynthPolyphony = 64;

// FluidSynth is loaded at the first synthesiser made, not at program start
// (see shared_library_posix.h); these are the calls made into it.
#define BRIMAL_FLUID_CALLS(X)           \
  X(delete_fluid_player)                \
  X(delete_fluid_settings)              \
  X(delete_fluid_synth)                 \
  X(fluid_is_soundfont)                 \
  X(fluid_player_add_mem)               \
  X(fluid_player_get_current_tick)      \
  X(fluid_player_get_status)            \
  X(fluid_player_get_total_ticks)       \
  X(fluid_player_play)                  \
  X(fluid_player_set_playback_callback) \
  X(fluid_player_stop)                  \
  X(fluid_set_log_function)             \
  X(fluid_settings_setint)              \
  X(fluid_settings_setnum)              \
  X(fluid_settings_setstr)              \
  X(fluid_synth_add_sfont)              \
  X(fluid_synth_all_sounds_off)         \
  X(fluid_synth_get_sfont_by_id)        \
  X(fluid_synth_remove_sfont)           \
  X(fluid_synth_sfload)                 \
  X(fluid_synth_system_reset)           \
  X(fluid_synth_write_float)            \
  X(new_fluid_player)                   \
  X(new_fluid_settings)                 \
  X(new_fluid_synth)

struct FluidCalls {
#define BRIMAL_FLUID_CALL(name) decltype(&::name) name = nullptr;
  BRIMAL_FLUID_CALLS(BRIMAL_FLUID_CALL)
#undef BRIMAL_FLUID_CALL
};

FluidCalls LoadedFluidCalls;

// Loads FluidSynth once; false with the reason when it cannot be loaded.
bool LoadFluidSynth(std::string* error) {
  static std::once_flag once;
  static std::string failure;
  std::call_once(once, [] {
    const char* reason = nullptr;
    if (!LoadSharedLibraries({BRIMAL_FLUIDSYNTH_LIBRARY}, &reason)) {
      failure = std::string("FluidSynth cannot be loaded: ") + (reason ? reason : "");
      return;
    }
    FluidCalls calls;
    bool complete = true;
#define BRIMAL_FLUID_CALL(name)                              \
  calls.name = reinterpret_cast<decltype(calls.name)>(       \
      FindLoadedSymbol({BRIMAL_FLUIDSYNTH_LIBRARY}, #name)); \
  complete = complete && calls.name != nullptr;
    BRIMAL_FLUID_CALLS(BRIMAL_FLUID_CALL)
#undef BRIMAL_FLUID_CALL
    if (!complete) {
      failure = "FluidSynth lacks a function the synthesiser calls";
      return;
    }
    LoadedFluidCalls = calls;
  });
  if (!failure.empty() && error != nullptr) *error = failure;
  return failure.empty();
}

// The calls, once LoadFluidSynth has succeeded.
const FluidCalls& Fluid() { return LoadedFluidCalls; }

bool IsReadableFile(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// FluidSynth's own messages would go to the standard error; the sequencer
// reports what matters itself, so they are dropped (the setting is global).
void QuietFluidSynthLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
      Fluid().fluid_set_log_function(level, nullptr, nullptr);
    }
  });
}

// The events of a player that loads a piece only to check it, or that was
// set aside, go nowhere.
int IgnoreEvent(void*, fluid_midi_event_t*) { return FLUID_OK; }

int16_t ToSample(float value) {
  const float scaled = value * kSampleScale;
  if (scaled >= 32767.0f) return 32767;
  if (scaled <= -32768.0f) return -32768;
  return static_cast<int16_t>(std::lrint(scaled));
}

}  // namespace

std::string FindGeneralMidiSoundFont(std::string* missing) {
  if (const char* chosen = std::getenv(kSoundFontVariable); chosen != nullptr) {
    if (IsReadableFile(chosen)) return chosen;
    *missing = std::string("no sound font at ") + chosen + " (named by " + kSoundFontVariable + ")";
    return {};
  }
  for (const char* path : kDebianSoundFonts) {
    if (IsReadableFile(path)) return path;
  }
  *missing = std::string("no General MIDI sound font (neither ") + kDebianSoundFonts[0] + " nor " +
             kDebianSoundFonts[1] + "; " + kSoundFontVariable + " may name another)";
  return {};
}

namespace {

// Settings for repeatable output at `rate` Hz, or null with `error` set.
// Same input, same samples: one rendering thread (ours), no reverb or chorus
// (their state would outlive a piece and cost time), the player timed by
// the samples rendered rather than by a timer thread.
fluid_settings_t* NewSynthSettings(int rate, std::string* error) {
  fluid_settings_t* s = Fluid().new_fluid_settings();
  if (s == nullptr) {
    *error = "FluidSynth cannot make its settings";
    return nullptr;
  }
  const bool set =
      Fluid().fluid_settings_setnum(s, "synth.sample-rate", rate) == FLUID_OK &&
      Fluid().fluid_settings_setnum(s, "synth.gain", kSynthGain) == FLUID_OK &&
      Fluid().fluid_settings_setint(s, "synth.cpu-cores", 1) == FLUID_OK &&
      Fluid().fluid_settings_setint(s, "synth.threadsafe-api", 0) == FLUID_OK &&
      Fluid().fluid_settings_setint(s, "synth.reverb.active", 0) == FLUID_OK &&
      Fluid().fluid_settings_setint(s, "synth.chorus.active", 0) == FLUID_OK &&
      Fluid().fluid_settings_setint(s, "synth.midi-channels", kMidiChannels) == FLUID_OK &&
      Fluid().fluid_settings_setint(s, "synth.polyphony", kSynthPolyphony) == FLUID_OK &&
      Fluid().fluid_settings_setint(s, "synth.lock-memory", 0) == FLUID_OK &&
      Fluid().fluid_settings_setint(s, "synth.dynamic-sample-loading", 0) == FLUID_OK &&
      Fluid().fluid_settings_setstr(s, "player.timing-source", "sample") == FLUID_OK &&
      Fluid().fluid_settings_setint(s, "player.reset-synth", 1) == FLUID_OK;
  if (!set) {
    Fluid().delete_fluid_settings(s);
    *error = "FluidSynth refuses the synthesiser settings";
    return nullptr;
  }
  return s;
}

// The rate of the synthesiser that holds a sound font (it never plays).
constexpr int kHolderRate = 44100;

}  // namespace

struct MidiSoundFont::Objects {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* holder = nullptr;  // loaded the font and keeps it
  fluid_sfont_t* font = nullptr;

  ~Objects() {
    if (holder != nullptr) Fluid().delete_fluid_synth(holder);
    if (settings != nullptr) Fluid().delete_fluid_settings(settings);
  }
};

MidiSoundFont::MidiSoundFont(std::unique_ptr<Objects> parts, std::string path)
    : parts_(std::move(parts)), path_(std::move(path)) {}

MidiSoundFont::~MidiSoundFont() = default;

std::unique_ptr<MidiSoundFont> MidiSoundFont::Load(const std::string& path, std::string* error) {
  if (!LoadFluidSynth(error)) return nullptr;
  QuietFluidSynthLog();
  // A file that is not a sound font is refused before the loader sees it
  // (which would write its own complaints).
  if (Fluid().fluid_is_soundfont(path.c_str()) == 0) {
    *error = "the file " + path + " is not a sound font";
    return nullptr;
  }
  auto parts = std::make_unique<Objects>();
  parts->settings = NewSynthSettings(kHolderRate, error);
  if (parts->settings == nullptr) return nullptr;
  parts->holder = Fluid().new_fluid_synth(parts->settings);
  const int id = parts->holder != nullptr
                     ? Fluid().fluid_synth_sfload(parts->holder, path.c_str(), 1)
                     : FLUID_FAILED;
  if (id != FLUID_FAILED) parts->font = Fluid().fluid_synth_get_sfont_by_id(parts->holder, id);
  if (parts->font == nullptr) {
    *error = "FluidSynth cannot start with the sound font " + path;
    return nullptr;
  }
  return std::unique_ptr<MidiSoundFont>(new MidiSoundFont(std::move(parts), path));
}

struct MidiSynth::Objects {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_sfont_t* font = nullptr;  // lent by the MidiSoundFont
  fluid_player_t* player = nullptr;
  // Players of earlier starts: stopped, their events going nowhere, still
  // registered with the synthesiser until deleted.
  std::vector<fluid_player_t*> set_aside;
  std::vector<float> left;
  std::vector<float> right;
  bool rendered = false;  // the current player has been run by a rendering
  uint64_t frames_rendered = 0;  // by the synthesiser, since it was made

  ~Objects() {
    for (fluid_player_t* old : set_aside) Fluid().delete_fluid_player(old);
    if (player != nullptr) Fluid().delete_fluid_player(player);
    if (synth != nullptr) {
      // The lent font goes back first, or the synthesiser would delete it.
      if (font != nullptr) Fluid().fluid_synth_remove_sfont(synth, font);
      Fluid().delete_fluid_synth(synth);
    }
    if (settings != nullptr) Fluid().delete_fluid_settings(settings);
  }
};

MidiSynth::MidiSynth(std::unique_ptr<Objects> parts, int rate)
    : parts_(std::move(parts)), rate_(rate) {}

MidiSynth::~MidiSynth() = default;

std::unique_ptr<MidiSynth> MidiSynth::Create(const MidiSoundFont& font, int rate,
                                             std::string* error) {
  auto parts = std::make_unique<Objects>();
  parts->settings = NewSynthSettings(rate, error);
  if (parts->settings == nullptr) return nullptr;
  parts->synth = Fluid().new_fluid_synth(parts->settings);
  if (parts->synth == nullptr ||
      Fluid().fluid_synth_add_sfont(parts->synth, font.parts_->font) == FLUID_FAILED) {
    *error = "FluidSynth cannot start with the sound font " + font.Path();
    return nullptr;
  }
  parts->font = font.parts_->font;
  parts->left.resize(kRenderChunkFrames);
  parts->right.resize(kRenderChunkFrames);
  return std::unique_ptr<MidiSynth>(new MidiSynth(std::move(parts), rate));
}

bool MidiSynth::Takes(const std::vector<uint8_t>& image) {
  fluid_player_t* player = Fluid().new_fluid_player(parts_->synth);
  if (player == nullptr) return false;
  Fluid().fluid_player_set_playback_callback(player, IgnoreEvent, nullptr);
  bool took = Fluid().fluid_player_add_mem(player, image.data(), image.size()) == FLUID_OK &&
              Fluid().fluid_player_play(player) == FLUID_OK;
  if (took) {
    // The player loads its file at the first block rendered after the play;
    // a file it cannot read leaves it done with no tracks.
    Fluid().fluid_synth_write_float(parts_->synth, static_cast<int>(kSynthBlockFrames),
                                    parts_->left.data(), 0, 1, parts_->right.data(), 0, 1);
    parts_->frames_rendered += kSynthBlockFrames;
    took = Fluid().fluid_player_get_status(player) == FLUID_PLAYER_PLAYING &&
           Fluid().fluid_player_get_total_ticks(player) > 0;
  }
  Fluid().delete_fluid_player(player);
  return took;
}

void MidiSynth::AlignToBlock() {
  // FluidSynth renders whole blocks and keeps the rest of the last one for
  // the next write. That rest is dropped, so the piece's first block is the
  // next frame pulled: it starts at the frame of the command.
  const uint64_t kept =
      (kSynthBlockFrames - parts_->frames_rendered % kSynthBlockFrames) % kSynthBlockFrames;
  if (kept > 0) {
    Fluid().fluid_synth_write_float(parts_->synth, static_cast<int>(kept), parts_->left.data(), 0,
                                    1, parts_->right.data(), 0, 1);
    parts_->frames_rendered += kept;
  }
}

void MidiSynth::DeleteSetAsidePlayers() {
  for (fluid_player_t* old : parts_->set_aside) Fluid().delete_fluid_player(old);
  parts_->set_aside.clear();
}

bool MidiSynth::PlayFromStart(const std::vector<uint8_t>& image) {
  if (parts_->player != nullptr) {
    // A set-aside player stays registered with the synthesiser, which still
    // runs it at every block: stopped, with its events going nowhere, it
    // changes nothing that is heard.
    Fluid().fluid_player_set_playback_callback(parts_->player, IgnoreEvent, nullptr);
    Fluid().fluid_player_stop(parts_->player);
    parts_->set_aside.push_back(parts_->player);
    parts_->player = nullptr;
  }
  // Every channel starts from its defaults; notes of an earlier start stop.
  Fluid().fluid_synth_all_sounds_off(parts_->synth, -1);
  Fluid().fluid_synth_system_reset(parts_->synth);
  AlignToBlock();
  fluid_player_t* player = Fluid().new_fluid_player(parts_->synth);
  if (player == nullptr) return false;
  if (Fluid().fluid_player_add_mem(player, image.data(), image.size()) != FLUID_OK ||
      Fluid().fluid_player_play(player) != FLUID_OK) {
    Fluid().delete_fluid_player(player);
    return false;
  }
  parts_->player = player;
  parts_->rendered = false;
  return true;
}

void MidiSynth::Silence() { Fluid().fluid_synth_all_sounds_off(parts_->synth, -1); }

void MidiSynth::RenderInto(int32_t* sum, int frames) {
  float* left = parts_->left.data();
  float* right = parts_->right.data();
  while (frames > 0) {
    const int count = frames < kRenderChunkFrames ? frames : kRenderChunkFrames;
    if (Fluid().fluid_synth_write_float(parts_->synth, count, left, 0, 1, right, 0, 1) !=
        FLUID_OK) {
      return;  // nothing rendered: the frames stay as they are
    }
    for (int i = 0; i < count; ++i) {
      sum[2 * i] += ToSample(left[i]);
      sum[2 * i + 1] += ToSample(right[i]);
    }
    sum += 2 * count;
    frames -= count;
    parts_->rendered = true;
    parts_->frames_rendered += static_cast<uint64_t>(count);
  }
}

bool MidiSynth::Ended() const {
  fluid_player_t* player = parts_->player;
  if (player == nullptr || Fluid().fluid_player_get_status(player) == FLUID_PLAYER_DONE)
    return true;
  // The player reports itself done only seconds after the last event, while
  // it lets notes die away; the piece ends at its last event. Before the
  // first rendering the file is not loaded yet and both counts are 0.
  return parts_->rendered && Fluid().fluid_player_get_current_tick(player) >=
                                 Fluid().fluid_player_get_total_ticks(player);
}
