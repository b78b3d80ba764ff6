// MIDI music on the null host: a piece made by the test plays through the
// sequencer into the recorded mix at its notes' pitches and times; looping
// starts it again at its end through the end notification; without looping
// the play state drops to 0 and the device closes; a stop silences it at
// once and removes the temporary file; two runs record the same samples;
// without a sound font the music takes the stream road as before.
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/midi_sequencer.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/user.h"
#include "runtime/core/window_state.h"
#include "runtime/sound/music.h"
#include "runtime/sound/sound.h"
#include "tests/platform/midi_test_support.h"
#include "tests/runtime/sound/sound_test_support.h"

namespace {

constexpr int kRate = NullHost::kAudioRate;
constexpr int kFramesPerBlank = NullHost::kAudioFramesPerBlank;
// The three-note piece lasts 1.5 s: 90 blanks.
constexpr int kPieceBlanks = 90;
constexpr size_t kPieceFrames = static_cast<size_t>(kPieceBlanks) * kFramesPerBlank;
constexpr size_t kPitchWindow = 4096;

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

// The main window as far as music goes: its procedure hands every MCI
// notification to HandleMidiNotify, as the library's window procedure does.
LRESULT MusicWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == MM_MCINOTIFY) {
    HandleMidiNotify();
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// A folder for the piece that is also the temporary folder while the test
// runs, the piece written into it, and the mix recorded by a null host.
class MidiMusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/midi_music_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    temp_ = folder_ + "/temp";
    mkdir(temp_.c_str(), 0700);
    if (const char* old = getenv("TMPDIR"); old != nullptr) old_tmpdir_ = old, had_tmpdir_ = true;
    setenv("TMPDIR", temp_.c_str(), 1);
    piece_ = Write("piece.mid", PianoPiece(ThreeNotes(), kThreeNotesEnd));
  }
  void TearDown() override {
    if (had_tmpdir_) {
      setenv("TMPDIR", old_tmpdir_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
    for (const std::string& name : FolderEntries(temp_)) std::remove((temp_ + "/" + name).c_str());
    rmdir(temp_.c_str());
    for (const std::string& name : FolderEntries(folder_)) std::remove((folder_ + "/" + name).c_str());
    rmdir(folder_.c_str());
  }

  std::string Write(const char* name, const MidiBytes& bytes) {
    const std::string path = folder_ + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::vector<std::string> TempFiles() const { return FolderEntries(temp_); }

  // Frames of the game loop as far as music goes: the window's messages,
  // then the vertical-blank wait that mixes one frame of output.
  static void RunFrames(int count) {
    for (int i = 0; i < count; ++i) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      CurrentHost().Clock().WaitVerticalBlank();
    }
  }

  // Runs `body` with the sound system started on a null host that records
  // its mix and a main window that takes the notifications, ends the music
  // and the sound system as the library's end does, and gives the mix.
  std::vector<int16_t> MixOf(const std::function<void()>& body) {
    const std::string out_path = folder_ + "/mix.wav";
    NullHostOptions options;
    options.audio_out_file = out_path;
    InstallHost(std::make_unique<NullHost>(options));
    CurrentHost().Clock().SetGameThread();
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = MusicWindowProc;
    window_class.lpszClassName = "MidiMusicTest";
    EXPECT_NE(RegisterClassA(&window_class), 0);
    const HWND window = CreateWindowExA(0, "MidiMusicTest", "t", WS_CAPTION, 0, 0, 64, 64, nullptr,
                                        nullptr, nullptr, nullptr);
    const HWND old_window = MainWindow.window;
    MainWindow.window = window;
    EXPECT_EQ(InitSoundSystem(), 0);
    body();
    EXPECT_EQ(StopCurrentMusic(), 0);
    EXPECT_EQ(EndSoundSystem(), 0);
    MainWindow.window = old_window;
    DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA("MidiMusicTest", nullptr);
    CurrentHost().Finish();
    InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
    CurrentHost().Clock().SetGameThread();

    return ReadRecordedMix(out_path);
  }

  std::string folder_;
  std::string temp_;
  std::string piece_;
  std::string old_tmpdir_;
  bool had_tmpdir_ = false;
};

size_t FrameAt(double seconds) { return static_cast<size_t>(seconds * kRate); }

// The root mean square of frames [from, from + count) (both channels).
double Loudness(const std::vector<int16_t>& mix, size_t from, size_t count) {
  double sum = 0;
  for (size_t i = from * 2; i < (from + count) * 2 && i < mix.size(); ++i) sum += static_cast<double>(mix[i]) * mix[i];
  return std::sqrt(sum / static_cast<double>(count * 2));
}

// Each note sounds at its pitch, and starts at its time: the frames just
// after its start are over twice as loud as the (dying) ones just before.
void ExpectThreeNotesAt(const std::vector<int16_t>& mix, size_t start_frame) {
  constexpr size_t kOnsetFrames = 512;
  for (const TestNote& note : ThreeNotes()) {
    SCOPED_TRACE(testing::Message() << "note " << note.key << " from frame " << start_frame);
    const size_t start = start_frame + FrameAt(note.start);
    const double pitch = PitchOf(mix, start + FrameAt(0.05), kPitchWindow, kRate);
    EXPECT_TRUE(PitchNear(pitch, KeyFrequency(note.key))) << pitch;
    const double before = start >= kOnsetFrames ? Loudness(mix, start - kOnsetFrames, kOnsetFrames) : 0;
    const double after = Loudness(mix, start, kOnsetFrames);
    EXPECT_GT(after, 2 * before + 50) << before << " then " << after;
  }
}

bool IsSilent(const std::vector<int16_t>& mix, size_t from_frame, size_t frames) {
  if ((from_frame + frames) * 2 > mix.size()) return false;
  for (size_t i = from_frame * 2; i < (from_frame + frames) * 2; ++i) {
    if (mix[i] != 0) return false;
  }
  return true;
}

TEST_F(MidiMusicTest, APiecePlaysOnceThenThePlayStateDropsAndTheDeviceCloses) {
  int32_t handle = -1;
  const std::vector<int16_t> mix = MixOf([&] {
    ASSERT_EQ(PlayMusicFile(piece_.c_str(), kPlayTypeBack), 0);
    handle = SoundSystem.currentMusic;
    EXPECT_EQ(SoundSystem.currentMusicKind, 0);  // the sequencer took it
    EXPECT_EQ(GetMusicPlayState(handle), 1);
    EXPECT_NE(OpenMidiSequencerDevice(), 0u);
    EXPECT_EQ(TempFiles().size(), 1u);
    RunFrames(kPieceBlanks);
    EXPECT_EQ(GetMusicPlayState(handle), 1);  // the end is taken at the next frame
    RunFrames(30);
    EXPECT_EQ(GetMusicPlayState(handle), 0);
    EXPECT_EQ(OpenMidiSequencerDevice(), 0u);
    MCI_STATUS_PARMS status = {};
    status.dwItem = MCI_SEQ_STATUS_PORT;
    EXPECT_EQ(mciSendCommandA(SoundSystem.mciDeviceId, MCI_STATUS, MCI_STATUS_ITEM,
                              reinterpret_cast<DWORD_PTR>(&status)),
              MCIERR_INVALID_DEVICE_ID);
  });
  ExpectThreeNotesAt(mix, 0);
  EXPECT_FALSE(IsSilent(mix, 0, kPieceFrames));
  EXPECT_TRUE(IsSilent(mix, kPieceFrames + kFramesPerBlank, 25 * kFramesPerBlank));
  EXPECT_TRUE(TempFiles().empty());
}

// The end notification restarts a looping piece from its start at the next
// frame, round after round, each at its notes' pitches and times.
TEST_F(MidiMusicTest, ALoopingPieceStartsAgainAtItsEnd) {
  const int rounds = 3;
  MCIDEVICEID device = 0;
  const std::vector<int16_t> mix = MixOf([&] {
    ASSERT_EQ(PlayMusicFile(piece_.c_str(), kPlayTypeLoop), 0);
    device = OpenMidiSequencerDevice();
    RunFrames(rounds * kPieceBlanks + 10);
    EXPECT_EQ(GetMusicPlayState(SoundSystem.currentMusic), 1);
    EXPECT_EQ(OpenMidiSequencerDevice(), device);
  });
  // The end is found in the mix of the blank that starts at 1.5 s; the
  // notification is taken before the next one, which starts the piece again.
  const size_t period = kPieceFrames + kFramesPerBlank;
  ASSERT_GE(mix.size(), (rounds - 1) * period * 2 + kPieceFrames * 2);
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE(round);
    ExpectThreeNotesAt(mix, round * period);
  }
}

TEST_F(MidiMusicTest, StopMidiMusicSilencesAtOnceAndRemovesTheTemporaryFile) {
  const int played = 20;
  const std::vector<int16_t> mix = MixOf([&] {
    ASSERT_EQ(PlayMusicFile(piece_.c_str(), kPlayTypeLoop), 0);
    const int32_t handle = SoundSystem.currentMusic;
    RunFrames(played);
    EXPECT_EQ(TempFiles().size(), 1u);
    EXPECT_EQ(StopMidiMusic(handle), 0);
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_EQ(SoundSystem.midiTempFileExists, 0);
    EXPECT_EQ(GetMusicPlayState(handle), 0);
    EXPECT_EQ(OpenMidiSequencerDevice(), 0u);
    RunFrames(kPieceBlanks * 2);
    EXPECT_EQ(GetMusicPlayState(handle), 0);
  });
  EXPECT_TRUE(PitchNear(PitchOf(mix, FrameAt(0.1), kPitchWindow, kRate), KeyFrequency(69)));
  EXPECT_TRUE(IsSilent(mix, static_cast<size_t>(played) * kFramesPerBlank, kPieceFrames * 2));
}

TEST_F(MidiMusicTest, TwoRunsRecordTheSameSamples) {
  const auto run = [&] {
    return MixOf([&] {
      ASSERT_EQ(PlayMusicFile(piece_.c_str(), kPlayTypeLoop), 0);
      RunFrames(kPieceBlanks + 30);
      // A new piece replaces the playing one at once.
      ASSERT_EQ(PlayMusicFile(piece_.c_str(), kPlayTypeBack), 0);
      RunFrames(40);
    });
  };
  const std::vector<int16_t> first = run();
  const std::vector<int16_t> second = run();
  EXPECT_FALSE(IsSilent(first, 0, kPieceFrames));
  EXPECT_TRUE(first == second);
}

TEST_F(MidiMusicTest, WithoutASoundFontMidiTakesTheStreamRoadAsBefore) {
  const std::string missing = folder_ + "/no_font.sf2";
  const char* old = getenv("BRIMAL_SOUNDFONT");
  const std::string old_value = old != nullptr ? old : "";
  setenv("BRIMAL_SOUNDFONT", missing.c_str(), 1);
  ASSERT_EQ(InitSoundSystem(), 0);
  {
    SoundLogCapture log;
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlayMusicFile(piece_.c_str(), kPlayTypeLoop), -1);
    const std::string said = testing::internal::GetCapturedStderr();
    // The wave readers refuse the piece after the sequencer did.
    EXPECT_TRUE(log.Has("音声データのオープンに失敗しました")) << log.text();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(missing), std::string::npos) << said;
  }
  EXPECT_EQ(SoundSystem.currentMusic, 0);
  EXPECT_EQ(SoundSystem.mciPlaying, 0);
  EXPECT_EQ(MusicHandleTable.live_count, 0);
  EXPECT_TRUE(TempFiles().empty());
  EXPECT_EQ(EndSoundSystem(), 0);
  if (old != nullptr) {
    setenv("BRIMAL_SOUNDFONT", old_value.c_str(), 1);
  } else {
    unsetenv("BRIMAL_SOUNDFONT");
  }
}

}  // namespace
