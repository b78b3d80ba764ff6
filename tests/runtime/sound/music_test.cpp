// Music on the null host: an Ogg Vorbis track loops without a gap (the mixed
// output across the loop point is the track followed by its start, sample
// for sample), a new track replaces the old one at the frame of the call and
// is read from its file anew, a stop silences it at once; files that are not
// music, or not there, are refused; the temporary file of the MIDI attempt
// never stays behind; music handles; MIDI images the sequencer refuses (its
// playing is tested in midi_music_test.cpp).
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/dsound.h"
#include "platform/win32/mmsystem.h"
#include "runtime/core/handle.h"
#include "runtime/sound/music.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/stream_sound.h"
#include "tests/runtime/sound/sound_test_support.h"

namespace {

constexpr int kFramesPerBlank = NullHost::kAudioFramesPerBlank;

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The names in a folder, "." and ".." left out.
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

// A folder for the test's files, which is also the temporary folder the
// runtime writes into while it lives.
class MusicFolder {
 public:
  MusicFolder() {
    char folder[] = "/tmp/music_test_XXXXXX";
    EXPECT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    temp_ = folder_ + "/temp";
    mkdir(temp_.c_str(), 0700);
    const char* old = getenv("TMPDIR");
    if (old != nullptr) old_tmpdir_ = old;
    had_tmpdir_ = old != nullptr;
    setenv("TMPDIR", temp_.c_str(), 1);
  }
  ~MusicFolder() {
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
  std::string Path(const char* name) const { return folder_ + "/" + name; }
  std::vector<std::string> TempFiles() const { return FolderEntries(temp_); }

 private:
  std::string folder_;
  std::string temp_;
  std::string old_tmpdir_;
  bool had_tmpdir_ = false;
};

// A track of `frames` 44.1 kHz stereo frames and vorbisfile's decoding of it.
struct Track {
  Bytes ogg;
  std::vector<int16_t> pcm;  // interleaved
  size_t frames() const { return pcm.size() / 2; }
};

Track MakeTrack(int frames, double pitch) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / 44100;
    samples[2 * i] = static_cast<int16_t>(9000 * std::sin(2 * M_PI * pitch * t));
    samples[2 * i + 1] = static_cast<int16_t>(7000 * std::sin(2 * M_PI * pitch * 1.5 * t + 1));
  }
  Track track;
  track.ogg = EncodeOgg(samples, 2, 44100);
  const Bytes decoded = ReferenceOggDecode(track.ogg);
  track.pcm.resize(decoded.size() / 2);
  std::memcpy(track.pcm.data(), decoded.data(), track.pcm.size() * 2);
  return track;
}

void WaitBlank() { CurrentHost().Clock().WaitVerticalBlank(); }

// Frames of the game loop as far as sound goes: the refill of message
// processing, then the vertical-blank wait that mixes one frame of output.
void RunFrames(int count) {
  for (int i = 0; i < count; ++i) {
    RefillAllStreamSounds();
    WaitBlank();
  }
}

// Runs `body` with the sound system started on a null host that writes its
// mix to a file, ends the music and the sound system as the library end does,
// and gives the mixed output (interleaved stereo).
std::vector<int16_t> MixOf(const MusicFolder& folder, const std::function<void()>& body) {
  const std::string out_path = folder.Path("mix.wav");
  NullHostOptions options;
  options.audio_out_file = out_path;
  InstallHost(std::make_unique<NullHost>(options));
  CurrentHost().Clock().SetGameThread();
  EXPECT_EQ(InitSoundSystem(), 0);
  body();
  EXPECT_EQ(StopCurrentMusic(), 0);
  EXPECT_EQ(EndSoundSystem(), 0);
  CurrentHost().Finish();
  InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
  CurrentHost().Clock().SetGameThread();

  return ReadRecordedMix(out_path);
}

// Compares output frames [from, from + count) with `expected(i)` for i from 0.
void ExpectFrames(const std::vector<int16_t>& mix, size_t from, size_t count,
                  const std::function<int16_t(size_t sample)>& expected, const char* what) {
  ASSERT_GE(mix.size(), (from + count) * 2) << what;
  for (size_t i = 0; i < count * 2; ++i) {
    ASSERT_EQ(mix[from * 2 + i], expected(i)) << what << ": output frame " << from + i / 2;
  }
}

TEST(Music, AnOggTrackLoopsWithoutAGapSampleForSample) {
  struct Case {
    const char* name;
    int frames;
  };
  // A track shorter than the 4-second prefill loops inside it; a longer one
  // loops in a later refill, after the ring has wrapped.
  for (const Case& c : {Case{"2.5 s", 110250}, Case{"5 s", 220500}}) {
    SCOPED_TRACE(c.name);
    MusicFolder folder;
    const Track track = MakeTrack(c.frames, 330);
    const std::string path = folder.Path("bgm.ogg");
    WriteFile(path, track.ogg);
    const int blanks = 13 * 60;
    const std::vector<int16_t> mix = MixOf(folder, [&] {
      ASSERT_EQ(PlayMusicFile(path.c_str(), kPlayTypeLoop), 0);
      EXPECT_EQ(SoundSystem.currentMusicKind, 1);
      RunFrames(blanks);
      EXPECT_EQ(IsSoundHandlePlaying(SoundSystem.currentMusic), 1);
    });
    const size_t length = track.frames();
    ASSERT_GT(static_cast<size_t>(blanks) * kFramesPerBlank, 2 * length);
    ExpectFrames(mix, 0, static_cast<size_t>(blanks) * kFramesPerBlank,
                 [&](size_t i) { return track.pcm[i % (length * 2)]; }, "looped track");
    EXPECT_TRUE(folder.TempFiles().empty());
  }
}

// A new track replaces the playing one at the frame of the call, read from
// its file anew even when the name is the same; a stop silences the music
// from the next frame.
TEST(Music, ANewTrackReplacesTheOldOneAtTheFrameOfTheCallAndAStopSilencesIt) {
  MusicFolder folder;
  const Track first = MakeTrack(88200, 440);
  const Track second = MakeTrack(88200, 262);
  const std::string path = folder.Path("bgm.ogg");
  WriteFile(path, first.ogg);
  int32_t first_handle = -1;
  const std::vector<int16_t> mix = MixOf(folder, [&] {
    ASSERT_EQ(PlayMusicFile(path.c_str(), kPlayTypeLoop), 0);
    first_handle = SoundSystem.currentMusic;
    RunFrames(30);
    WriteFile(path, second.ogg);
    ASSERT_EQ(PlayMusicFile(path.c_str(), kPlayTypeLoop), 0);
    EXPECT_EQ(GetSoundRecord(first_handle), nullptr);
    EXPECT_EQ(LiveSoundBufferCount(), 2);  // the silence buffer and the new ring
    EXPECT_EQ(SoundSystem.streamListStart.next->value, SoundSystem.currentMusic);
    EXPECT_EQ(SoundSystem.streamListStart.next->next, &SoundSystem.streamListEnd);
    RunFrames(30);
    const int32_t second_handle = SoundSystem.currentMusic;
    EXPECT_EQ(StopCurrentMusic(), 0);
    EXPECT_EQ(SoundSystem.currentMusic, 0);
    EXPECT_EQ(GetSoundRecord(second_handle), nullptr);
    EXPECT_EQ(LiveSoundBufferCount(), 1);
    EXPECT_EQ(StopCurrentMusic(), 0);
    RunFrames(10);
  });
  const size_t frame = kFramesPerBlank;
  ExpectFrames(mix, 0, 30 * frame, [&](size_t i) { return first.pcm[i]; }, "first track");
  ExpectFrames(mix, 30 * frame, 30 * frame, [&](size_t i) { return second.pcm[i]; },
               "second track");
  ExpectFrames(mix, 60 * frame, 10 * frame, [](size_t) { return int16_t{0}; }, "after the stop");
}

// Files that are not music, or not there, give -1 and leave no music, no
// sound and no temporary file; a damaged MIDI piece (its track runs past the
// file's end) is refused by the sequencer and then by the wave readers.
TEST(Music, FilesThatCannotPlayAreRefusedAndLeaveNothingBehind) {
  MusicFolder folder;
  Bytes midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60};
  const Bytes track_chunk = {'M', 'T', 'r', 'k', 0, 0, 0, 40, 0, 0xFF, 0x2F, 0};
  midi.insert(midi.end(), track_chunk.begin(), track_chunk.end());
  WriteFile(folder.Path("piece.mid"), midi);
  WriteFile(folder.Path("bgm.ogg"), MakeTrack(8000, 500).ogg);
  struct Case {
    std::string path;
    int result;
    const char* message;  // null: none expected
  };
  const std::string missing = folder.Path("missing.ogg");
  const std::string missing_message =
      "ミュージックファイル " + missing + " の読み込みに失敗しました in LoadMusicMem\n";
  const std::vector<Case> cases = {
      {folder.Path("piece.mid"), -1, "音声データのオープンに失敗しました"},
      {missing, -1, missing_message.c_str()},
      {folder.Path("bgm.ogg"), 0, nullptr},
  };
  ASSERT_EQ(InitSoundSystem(), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SoundLogCapture log;
    EXPECT_EQ(PlayMusicFile(c.path.c_str(), kPlayTypeLoop), c.result);
    if (c.message != nullptr) {
      EXPECT_TRUE(log.Has(c.message)) << log.text();
    }
    EXPECT_TRUE(folder.TempFiles().empty());
    EXPECT_EQ(MusicHandleTable.live_count, 0);
    EXPECT_EQ(SoundHandleTable.live_count, c.result == 0 ? 1 : 0);
    EXPECT_EQ(SoundSystem.currentMusic != 0, c.result == 0);
    EXPECT_EQ(SoundSystem.mciPlaying, 0);
    EXPECT_EQ(StopCurrentMusic(), 0);
    EXPECT_EQ(SoundHandleTable.live_count, 0);
  }
  EXPECT_EQ(EndSoundSystem(), 0);
  // Without a sound device music is refused, and stopping does nothing.
  EXPECT_EQ(PlayMusicFile(folder.Path("bgm.ogg").c_str(), kPlayTypeLoop), -1);
  EXPECT_EQ(StopCurrentMusic(), 0);
  EXPECT_EQ(MusicHandleTable.live_count, 0);
  EXPECT_TRUE(folder.TempFiles().empty());
}

TEST(Music, MusicHandlesKeepACopyOfTheImageAndTheirRegistryHas256Slots) {
  ASSERT_EQ(InitSoundSystem(), 0);
  Bytes image = {1, 2, 3, 4, 5};
  const int32_t handle = CreateMusicFromMemory(image.data(), static_cast<int32_t>(image.size()));
  ASSERT_NE(handle, -1);
  EXPECT_EQ((handle >> 27) & 0xF, static_cast<int32_t>(HandleType::kMusic));
  image[0] = 9;
  const MusicHandleRecord* record = GetMusicRecord(handle);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->dataBytes, 5);
  EXPECT_EQ(static_cast<const uint8_t*>(record->data)[0], 1);
  EXPECT_EQ(GetMusicPlayState(handle), 0);
  // The sequencer refuses what is not a MIDI file: nothing plays and no
  // temporary file stays.
  EXPECT_EQ(PlayMidiMusic(handle, kPlayTypeLoop), -1);
  EXPECT_EQ(SoundSystem.midiTempFileExists, 0);
  EXPECT_EQ(DeleteMusicHandle(handle), 0);
  EXPECT_EQ(DeleteMusicHandle(handle), -1);
  EXPECT_EQ(GetMusicPlayState(handle), -1);

  std::vector<int32_t> handles;
  for (int i = 0; i < 256; ++i) handles.push_back(AddMusicData());
  EXPECT_EQ(std::count(handles.begin(), handles.end(), -1), 0);
  {
    SoundLogCapture log;
    EXPECT_EQ(AddMusicData(), -1);
    EXPECT_TRUE(log.Has("ミュージックデータの数が許容量を越えました終了します"));
  }
  EXPECT_EQ(EndSoundSystem(), 0);
  EXPECT_EQ(MusicHandleTable.live_count, 0);
}

TEST(Music, TheSequencerDoesNotOpenWithoutItsFileAndNoDeviceIsOpen) {
  MCI_OPEN_PARMSA open = {};
  open.lpstrDeviceType = "sequencer";
  open.lpstrElementName = "/nonexistent-folder/piece.mid";
  EXPECT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                            reinterpret_cast<DWORD_PTR>(&open)),
            MCIERR_FILE_NOT_FOUND);
  MCI_STATUS_PARMS status = {};
  status.dwItem = MCI_SEQ_STATUS_PORT;
  EXPECT_EQ(mciSendCommandA(1, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)),
            MCIERR_INVALID_DEVICE_ID);
  MCI_PLAY_PARMS play = {};
  EXPECT_EQ(mciSendCommandA(1, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)),
            MCIERR_INVALID_DEVICE_ID);
  MCI_GENERIC_PARMS close = {};
  EXPECT_EQ(mciSendCommandA(1, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&close)),
            MCIERR_INVALID_DEVICE_ID);
}

}  // namespace
