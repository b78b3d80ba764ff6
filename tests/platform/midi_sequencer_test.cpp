// The MCI sequencer stand-in: a MIDI file plays through the synthesiser into
// the mix at its notes' pitches and times, its end is posted to the callback
// window once, a play from the start plays it again and the same commands
// give the same samples, a stop
// silences at once, a close takes back an untaken notification, damaged or
// foreign files are refused, and without a sound font the device refuses to
// open with one line naming what is missing.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/null/null_host.h"
#include "platform/win32/dsound.h"
#include "platform/win32/midi_file_check.h"
#include "platform/win32/midi_sequencer.h"
#include "platform/win32/midi_synth_fluidsynth.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/user.h"
#include "tests/platform/midi_test_support.h"
#include "tests/platform/test_support.h"

namespace {

constexpr int kRate = NullHost::kAudioRate;
constexpr int kFramesPerBlank = NullHost::kAudioFramesPerBlank;

struct Notice {
  WPARAM code;
  LPARAM device;
};
std::vector<Notice>* g_notices = nullptr;

LRESULT NoticeProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == MM_MCINOTIFY && g_notices != nullptr) g_notices->push_back({wparam, lparam});
  return DefWindowProcA(window, message, wparam, lparam);
}

// A callback window, a folder for the pieces, and the device closed after
// each test.
class MidiSequencerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = NoticeProc;
    window_class.lpszClassName = "MidiSequencerTest";
    ASSERT_NE(RegisterClassA(&window_class), 0);
    g_notices = &notices_;
    window_ = CreateWindowExA(0, "MidiSequencerTest", "t", WS_CAPTION, 0, 0, 64, 64, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    char folder[] = "/tmp/midi_sequencer_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
  }
  void TearDown() override {
    if (const MCIDEVICEID open = OpenMidiSequencerDevice(); open != 0) Close(open);
    DestroyWindow(window_);
    Pump();
    g_notices = nullptr;
    UnregisterClassA("MidiSequencerTest", nullptr);
    for (const std::string& path : written_) std::remove(path.c_str());
    rmdir(folder_.c_str());
  }

  std::string Write(const char* name, const MidiBytes& bytes) {
    const std::string path = folder_ + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    written_.push_back(path);
    return path;
  }

  static MCIERROR Open(const std::string& path, MCIDEVICEID* device) {
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "sequencer";
    open.lpstrElementName = path.c_str();
    const MCIERROR result = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                                            reinterpret_cast<DWORD_PTR>(&open));
    *device = open.wDeviceID;
    return result;
  }
  MCIERROR Play(MCIDEVICEID device, DWORD flags) {
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
    return mciSendCommandA(device, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play));
  }
  static MCIERROR Close(MCIDEVICEID device) {
    MCI_GENERIC_PARMS close = {};
    return mciSendCommandA(device, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&close));
  }
  static MCIERROR Stop(MCIDEVICEID device) {
    MCI_GENERIC_PARMS stop = {};
    return mciSendCommandA(device, MCI_STOP, 0, reinterpret_cast<DWORD_PTR>(&stop));
  }
  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }

  // Mixes `blanks` frames of output as the host pulls them, taking the
  // window's messages after each; `first_notice` gets the blank after which
  // the first notification arrived (-1: none).
  std::vector<int16_t> Mix(int blanks, int* first_notice = nullptr) {
    std::vector<int16_t> out;
    if (first_notice != nullptr) *first_notice = -1;
    std::vector<int16_t> frames(static_cast<size_t>(kFramesPerBlank) * 2);
    for (int i = 0; i < blanks; ++i) {
      MixSoundBuffers(frames.data(), kFramesPerBlank, kRate);
      out.insert(out.end(), frames.begin(), frames.end());
      Pump();
      if (first_notice != nullptr && *first_notice < 0 && !notices_.empty()) *first_notice = i;
    }
    return out;
  }

  HWND window_ = nullptr;
  std::string folder_;
  std::vector<std::string> written_;
  std::vector<Notice> notices_;
};

bool IsSilent(const std::vector<int16_t>& samples, size_t from_frame, size_t frames) {
  for (size_t i = from_frame * 2; i < (from_frame + frames) * 2 && i < samples.size(); ++i) {
    if (samples[i] != 0) return false;
  }
  return true;
}

constexpr size_t kPitchWindow = 4096;
size_t FrameAt(double seconds) { return static_cast<size_t>(seconds * kRate); }

// Each note sounds at its pitch from its start; just before a later note's
// start the earlier one is still what sounds.
void ExpectThreeNotes(const std::vector<int16_t>& mix, double offset) {
  const std::vector<TestNote> notes = ThreeNotes();
  for (size_t n = 0; n < notes.size(); ++n) {
    const TestNote& note = notes[n];
    SCOPED_TRACE(testing::Message() << "note " << note.key << " at " << offset + note.start << " s");
    const double pitch = PitchOf(mix, FrameAt(offset + note.start + 0.05), kPitchWindow, kRate);
    EXPECT_TRUE(PitchNear(pitch, KeyFrequency(note.key))) << pitch;
    if (n > 0) {
      const size_t before = FrameAt(offset + note.start) - kPitchWindow - 64;
      const double earlier = PitchOf(mix, before, kPitchWindow, kRate);
      EXPECT_TRUE(PitchNear(earlier, KeyFrequency(notes[n - 1].key))) << earlier;
    }
  }
}

TEST_F(MidiSequencerTest, APiecePlaysItsNotesAtTheirTimesAndPostsItsEndOnce) {
  const std::string path = Write("piece.mid", PianoPiece(ThreeNotes(), kThreeNotesEnd));
  MCIDEVICEID device = 0;
  ASSERT_EQ(Open(path, &device), 0u);
  EXPECT_NE(device, 0u);
  EXPECT_EQ(OpenMidiSequencerDevice(), device);
  MCI_STATUS_PARMS status = {};
  status.dwItem = MCI_SEQ_STATUS_PORT;
  ASSERT_EQ(mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)), 0u);
  EXPECT_EQ(status.dwReturn, MCI_SEQ_MAPPER);

  // Nothing sounds before the play.
  EXPECT_TRUE(IsSilent(Mix(3), 0, 3 * kFramesPerBlank));
  ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
  int ended_after = -1;
  const std::vector<int16_t> mix = Mix(150, &ended_after);
  ExpectThreeNotes(mix, 0);
  // 1.5 s is 90 blanks: the end is found in the mix that starts there.
  EXPECT_EQ(ended_after, 90);
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(notices_[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(notices_[0].device, static_cast<LPARAM>(device));

  EXPECT_EQ(Close(device), 0u);
  EXPECT_EQ(OpenMidiSequencerDevice(), 0u);
  EXPECT_TRUE(IsSilent(Mix(2), 0, 2 * kFramesPerBlank));
  // A closed device's id is never taken again.
  EXPECT_EQ(Close(device), MCIERR_INVALID_DEVICE_ID);
  MCIDEVICEID again = 0;
  ASSERT_EQ(Open(path, &again), 0u);
  EXPECT_GT(again, device);
}

TEST_F(MidiSequencerTest, APlayFromTheStartPlaysAgainAndTheSameCommandsGiveTheSameSamples) {
  const std::string path = Write("piece.mid", PianoPiece(ThreeNotes(), kThreeNotesEnd));
  std::vector<std::vector<int16_t>> runs;
  for (int open_count = 0; open_count < 2; ++open_count) {
    MCIDEVICEID device = 0;
    ASSERT_EQ(Open(path, &device), 0u);
    ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
    runs.push_back(Mix(95));
    // Started again from 0 after its end, as a looping piece is.
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
    play.dwFrom = 0;
    ASSERT_EQ(mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY | MCI_FROM, reinterpret_cast<DWORD_PTR>(&play)), 0u);
    runs.push_back(Mix(95));
    ASSERT_EQ(Close(device), 0u);
  }
  ASSERT_EQ(notices_.size(), 4u);
  // The play from the start plays the piece again (over the last notes of
  // the first play, dying away), and the second device, with the same
  // history, gives both plays sample for sample.
  ExpectThreeNotes(runs[1], 0);
  EXPECT_TRUE(runs[2] == runs[0]);
  EXPECT_TRUE(runs[3] == runs[1]);
}

TEST_F(MidiSequencerTest, AStopSilencesAtOnceAndAPlayGoesOnWhereItStopped) {
  const std::string path = Write("piece.mid", PianoPiece(ThreeNotes(), kThreeNotesEnd));
  MCIDEVICEID device = 0;
  ASSERT_EQ(Open(path, &device), 0u);
  ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
  Mix(12);  // 0.2 s into the first note
  ASSERT_EQ(Stop(device), 0u);
  EXPECT_TRUE(IsSilent(Mix(120), 0, 120 * kFramesPerBlank));
  EXPECT_TRUE(notices_.empty());
  // On from 0.2 s: the piece's remaining 1.3 s, then the end.
  ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
  int ended_after = -1;
  const std::vector<int16_t> rest = Mix(100, &ended_after);
  EXPECT_TRUE(PitchNear(PitchOf(rest, FrameAt(0.35), kPitchWindow, kRate), KeyFrequency(76)));
  EXPECT_EQ(ended_after, 78);
  EXPECT_EQ(notices_.size(), 1u);
}

// Also when a play without notification came between the end and the close.
TEST_F(MidiSequencerTest, ACloseTakesBackTheNotificationNotYetTaken) {
  const std::string path = Write("short.mid", PianoPiece({{69, 0.0, 0.1}}, 0.1));
  for (const bool play_again : {false, true}) {
    SCOPED_TRACE(play_again);
    MCIDEVICEID device = 0;
    ASSERT_EQ(Open(path, &device), 0u);
    ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
    std::vector<int16_t> frames(static_cast<size_t>(kFramesPerBlank) * 2);
    for (int i = 0; i < 10; ++i) MixSoundBuffers(frames.data(), kFramesPerBlank, kRate);
    if (play_again) {
      ASSERT_EQ(Play(device, 0), 0u);
    }
    ASSERT_EQ(Close(device), 0u);
    Pump();
    EXPECT_TRUE(notices_.empty());
  }
}

TEST_F(MidiSequencerTest, CommandsToADeviceThatIsNotOpenAndASecondOpenAreRefused) {
  const std::string path = Write("piece.mid", PianoPiece(ThreeNotes(), kThreeNotesEnd));
  MCI_STATUS_PARMS status = {};
  status.dwItem = MCI_SEQ_STATUS_PORT;
  EXPECT_EQ(mciSendCommandA(77, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)),
            MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(Play(77, MCI_NOTIFY), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(Stop(77), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(Close(77), MCIERR_INVALID_DEVICE_ID);
  MCIDEVICEID device = 0;
  ASSERT_EQ(Open(path, &device), 0u);
  MCIDEVICEID second = 0;
  EXPECT_EQ(Open(path, &second), MCIERR_DEVICE_OPEN);
  EXPECT_EQ(Play(device + 1, MCI_NOTIFY), MCIERR_INVALID_DEVICE_ID);
  MCIDEVICEID missing = 0;
  ASSERT_EQ(Close(device), 0u);
  EXPECT_EQ(Open(folder_ + "/missing.mid", &missing), MCIERR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenMidiSequencerDevice(), 0u);
}

// ---- Damaged and foreign files ------------------------------------------------

MidiBytes Concat(std::initializer_list<MidiBytes> parts) {
  MidiBytes out;
  for (const MidiBytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A track of nothing but its end, after `delta` ticks (a piece of 0 ticks
// has no length, which the synthesiser does not take).
MidiBytes EndOnlyTrack(uint32_t delta = 10) {
  MidiBytes body;
  PutEndOfTrack(&body, delta);
  return MidiChunk("MTrk", body);
}

MidiBytes WithTempo(uint32_t tempo) {
  MidiBytes body = TempoTrackBody(tempo);
  PutEndOfTrack(&body, 10);
  return Concat({MidiHeader(0, 1), MidiChunk("MTrk", body)});
}

MidiBytes ManyTracks(uint16_t declared, int present) {
  MidiBytes file = MidiHeader(1, declared);
  for (int i = 0; i < present; ++i) file = Concat({file, EndOnlyTrack()});
  return file;
}

MidiBytes RandomBytes(size_t count) {
  MidiBytes out(count);
  uint32_t state = 12345;
  for (uint8_t& byte : out) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  return out;
}

struct FileCase {
  const char* name;
  MidiBytes bytes;
  bool plays;
};

std::vector<FileCase> FileCases() {
  const MidiBytes piece = PianoPiece(ThreeNotes(), kThreeNotesEnd);
  const MidiBytes cut(piece.begin(), piece.end() - 5);
  MidiBytes long_track = piece;
  long_track[21] = 0x40;  // the track's length, past the file's end
  MidiBytes running_at_start = {0x00, 0x45, 0x64};  // a note without a status before it
  PutEndOfTrack(&running_at_start);
  MidiBytes running_status = TempoTrackBody(kTestTempo);
  running_status.insert(running_status.end(), {0x00, 0x90, 0x45, 0x64, 0x60, 0x45, 0x00});
  PutEndOfTrack(&running_status);
  MidiBytes running_after_meta = TempoTrackBody(kTestTempo);
  running_after_meta.insert(running_after_meta.end(), {0x00, 0x45, 0x64});
  PutEndOfTrack(&running_after_meta);
  MidiBytes no_end = TempoTrackBody(kTestTempo);
  MidiBytes bad_data_byte = {0x00, 0x90, 0x45, 0xE4};
  PutEndOfTrack(&bad_data_byte);
  MidiBytes long_quantity = {0x80, 0x80, 0x80, 0x80, 0x00, 0xFF, 0x2F, 0x00};
  MidiBytes short_tempo = {0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1};
  PutEndOfTrack(&short_tempo);
  MidiBytes system_byte = {0x00, 0xF8};
  PutEndOfTrack(&system_byte);
  const MidiBytes end_with_data = {0x00, 0xFF, 0x2F, 0x01, 0x00};
  const MidiBytes header = MidiHeader(0, 1);
  return {
      {"the test piece", piece, true},
      {"an unknown chunk before the track and bytes after it",
       Concat({header, MidiChunk("XFIH", {1, 2, 3}), EndOnlyTrack(), {9, 9, 9}}), true},
      {"running status after a note", Concat({header, MidiChunk("MTrk", running_status)}), true},
      {"running status right after a meta event",
       Concat({header, MidiChunk("MTrk", running_after_meta)}), false},
      {"127 tracks", ManyTracks(127, 127), true},
      {"cut short", cut, false},
      {"a track length past the end", long_track, false},
      {"running status at a track's start", Concat({header, MidiChunk("MTrk", running_at_start)}), false},
      {"a tempo of 0", WithTempo(0), false},
      {"65,535 tracks declared, one present", ManyTracks(65535, 1), false},
      {"128 tracks", ManyTracks(128, 128), false},
      {"no track", MidiHeader(0, 0), false},
      {"SMPTE timing", Concat({MidiHeader(0, 1, 0xE728), EndOnlyTrack()}), false},
      {"a division of 0", Concat({MidiHeader(0, 1, 0), EndOnlyTrack()}), false},
      {"format 3", Concat({MidiHeader(3, 1), EndOnlyTrack()}), false},
      {"a header of 8 bytes", Concat({MidiChunk("MThd", {0, 0, 0, 1, 1, 0xE0, 0, 0}), EndOnlyTrack()}), false},
      {"a track without its end", Concat({header, MidiChunk("MTrk", no_end)}), false},
      {"a data byte with its top bit set", Concat({header, MidiChunk("MTrk", bad_data_byte)}), false},
      {"a five-byte delta time", Concat({header, MidiChunk("MTrk", long_quantity)}), false},
      {"a tempo of two bytes", Concat({header, MidiChunk("MTrk", short_tempo)}), false},
      {"a real-time byte in a track", Concat({header, MidiChunk("MTrk", system_byte)}), false},
      {"an end of track carrying a data byte", Concat({header, MidiChunk("MTrk", end_with_data)}), false},
      {"random bytes", RandomBytes(4000), false},
      {"random bytes after a good header", Concat({header, RandomBytes(400)}), false},
      {"empty", {}, false},
  };
}

TEST(MidiFileCheck, TakesWellFormedPiecesAndRefusesDamagedOnes) {
  for (const FileCase& c : FileCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsPlayableMidiFile(c.bytes.data(), c.bytes.size()), c.plays);
    // No prefix of a refused or taken file reads past its end.
    for (size_t cut = 0; cut < c.bytes.size() && cut < 64; ++cut) {
      MidiBytes prefix(c.bytes.begin(), c.bytes.begin() + static_cast<std::ptrdiff_t>(cut));
      IsPlayableMidiFile(prefix.data(), prefix.size());
    }
  }
}

// Every file the check takes opens, plays and ends with its notification;
// every other is refused at the open.
TEST_F(MidiSequencerTest, DamagedFilesAreRefusedAtTheOpenAndOthersPlayToTheirEnd) {
  for (const FileCase& c : FileCases()) {
    SCOPED_TRACE(c.name);
    const std::string path = Write("case.mid", c.bytes);
    MCIDEVICEID device = 0;
    const MCIERROR result = Open(path, &device);
    if (!c.plays) {
      EXPECT_EQ(result, MCIERR_INVALID_FILE);
      continue;
    }
    ASSERT_EQ(result, 0u);
    notices_.clear();
    ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
    Mix(120);
    EXPECT_EQ(notices_.size(), 1u);
    EXPECT_EQ(Close(device), 0u);
  }
}

// A piece with an escape (F7) event: sound in structure, but FluidSynth's
// player does not read it.
MidiBytes EscapeEventPiece() {
  MidiBytes escape = TempoTrackBody(kTestTempo);
  escape.insert(escape.end(), {0x00, 0xF7, 0x02, 0x43, 0x10});
  PutEndOfTrack(&escape, 480);
  return Concat({MidiHeader(0, 1), MidiChunk("MTrk", escape)});
}

// Files that FluidSynth's player does not take (or finds no length in), most
// of them sound in structure: each is refused at the open, so the runtime
// plays the file another way, rather than taken and played as silence (and,
// when looping, started again at every mix).
TEST_F(MidiSequencerTest, FilesTheSynthesiserDoesNotTakeAreRefusedAtTheOpen) {
  const MidiBytes header = MidiHeader(0, 1);
  MidiBytes notes_at_zero = TempoTrackBody(kTestTempo);
  notes_at_zero.insert(notes_at_zero.end(), {0x00, 0x90, 0x45, 0x64, 0x00, 0x80, 0x45, 0x00});
  PutEndOfTrack(&notes_at_zero);
  const MidiBytes end_with_data = {0x00, 0xFF, 0x2F, 0x01, 0x00};
  struct Case {
    const char* name;
    MidiBytes bytes;
    bool sound_structure;  // passes the structural check: the synthesiser refuses it
  };
  const std::vector<Case> cases = {
      {"an escape (F7) event", EscapeEventPiece(), true},
      {"a piece of no length", Concat({header, EndOnlyTrack(0)}), true},
      {"a note and the end all at tick 0", Concat({header, MidiChunk("MTrk", notes_at_zero)}), true},
      {"an end of track carrying a data byte", Concat({header, MidiChunk("MTrk", end_with_data)}),
       false},
      {"128 tracks", ManyTracks(128, 128), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsPlayableMidiFile(c.bytes.data(), c.bytes.size()), c.sound_structure);
    const std::string path = Write("refused.mid", c.bytes);
    MCIDEVICEID device = 0;
    EXPECT_EQ(Open(path, &device), MCIERR_INVALID_FILE);
    EXPECT_EQ(OpenMidiSequencerDevice(), 0u);
  }
  // The refusals leave the sequencer as it was: a good piece opens and plays.
  const std::string piece = Write("piece.mid", PianoPiece(ThreeNotes(), kThreeNotesEnd));
  MCIDEVICEID device = 0;
  ASSERT_EQ(Open(piece, &device), 0u);
  ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
  ExpectThreeNotes(Mix(95), 0);
  EXPECT_EQ(notices_.size(), 1u);
}

// A chunk of a kind FluidSynth does not know, before the track, and bytes
// after the last track are left out of what the synthesiser is given: the
// piece is heard and ends on time.
TEST_F(MidiSequencerTest, AChunkOfAnUnknownKindIsLeftOutAndThePiecePlays) {
  const MidiBytes piece = PianoPiece(ThreeNotes(), kThreeNotesEnd);
  const size_t header_bytes = MidiHeader(0, 1).size();
  const MidiBytes file =
      Concat({MidiBytes(piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(header_bytes)),
              MidiChunk("XFIH", {1, 2, 3}),
              MidiBytes(piece.begin() + static_cast<std::ptrdiff_t>(header_bytes), piece.end()),
              {9, 9, 9}});
  const std::string path = Write("unknown_chunk.mid", file);
  MCIDEVICEID device = 0;
  ASSERT_EQ(Open(path, &device), 0u);
  ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
  int ended_after = -1;
  ExpectThreeNotes(Mix(150, &ended_after), 0);
  EXPECT_EQ(ended_after, 90);
  EXPECT_EQ(notices_.size(), 1u);
}

// The host's audio thread mixes all the time while the game thread changes
// the music: opens (of pieces the synthesiser takes and of one it refuses),
// plays, plays from the start, stops and closes answer as they do on one
// thread, and no notification of a closed device arrives. (Also run under
// ThreadSanitizer: the open uses the kept synthesiser without the lock the
// mixer takes, and the mixer deletes the players that plays set aside.)
TEST_F(MidiSequencerTest, CommandsGoOnWhileAnotherThreadMixes) {
  const std::string piece = Write("short.mid", PianoPiece({{69, 0.0, 0.05}}, 0.05));
  const std::string refused = Write("escape.mid", EscapeEventPiece());
  BackgroundMixer mixer(kFramesPerBlank, kRate);
  MCI_PLAY_PARMS from_start = {};
  from_start.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    MCIDEVICEID device = 0;
    EXPECT_EQ(Open(refused, &device), MCIERR_INVALID_FILE);
    ASSERT_EQ(Open(piece, &device), 0u);
    ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
    mixer.AfterMixes(round % 4);
    ASSERT_EQ(mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY | MCI_FROM,
                              reinterpret_cast<DWORD_PTR>(&from_start)),
              0u);
    mixer.AfterMixes(round % 3);
    ASSERT_EQ(Stop(device), 0u);
    ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
    mixer.AfterMixes(1);
    ASSERT_EQ(Close(device), 0u);
  }
  mixer.Stop();
  Pump();
  EXPECT_TRUE(notices_.empty());
  EXPECT_EQ(OpenMidiSequencerDevice(), 0u);
}

// ---- Without a synthesiser ----------------------------------------------------

// Sets BRIMAL_SOUNDFONT for the scope.
class ScopedSoundFont {
 public:
  explicit ScopedSoundFont(const std::string& path) {
    if (const char* old = getenv("BRIMAL_SOUNDFONT"); old != nullptr) old_ = old, had_ = true;
    setenv("BRIMAL_SOUNDFONT", path.c_str(), 1);
  }
  ~ScopedSoundFont() {
    if (had_) {
      setenv("BRIMAL_SOUNDFONT", old_.c_str(), 1);
    } else {
      unsetenv("BRIMAL_SOUNDFONT");
    }
  }

 private:
  std::string old_;
  bool had_ = false;
};

size_t CountLines(const std::string& text) {
  size_t lines = 0;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

TEST_F(MidiSequencerTest, WithoutASoundFontTheSequencerIsNotInstalledAndSaysWhatIsMissing) {
  const std::string piece = Write("piece.mid", PianoPiece(ThreeNotes(), kThreeNotesEnd));
  const std::string not_a_font = Write("not_a_font.sf2", RandomBytes(1000));
  struct Case {
    std::string font;
    std::string said;  // a part of the line written
  };
  const std::vector<Case> cases = {
      {folder_ + "/missing.sf2", "no sound font at " + folder_ + "/missing.sf2 (named by BRIMAL_SOUNDFONT)"},
      {not_a_font, "not_a_font.sf2 is not a sound font"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.font);
    ScopedSoundFont font(c.font);
    testing::internal::CaptureStderr();
    MCIDEVICEID device = 0;
    EXPECT_EQ(Open(piece, &device), MCIERR_DEVICE_NOT_INSTALLED);
    // The same reason again is not written again.
    EXPECT_EQ(Open(piece, &device), MCIERR_DEVICE_NOT_INSTALLED);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountLines(said), 1u) << said;
    EXPECT_NE(said.find("brimal: MIDI music is not played"), std::string::npos) << said;
    EXPECT_NE(said.find(c.said), std::string::npos) << said;
    EXPECT_EQ(OpenMidiSequencerDevice(), 0u);
  }
}

// The sound font is loaded at the first open and kept: later opens do not
// read it again (here the file named no longer holds a sound font at all).
TEST_F(MidiSequencerTest, TheSoundFontIsLoadedAtTheFirstOpenAndKept) {
  std::string missing;
  const std::string installed = FindGeneralMidiSoundFont(&missing);
  ASSERT_FALSE(installed.empty()) << missing;
  const std::string font = folder_ + "/kept.sf2";
  {
    std::ifstream in(installed, std::ios::binary);
    std::ofstream out(font, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
  }
  written_.push_back(font);
  const std::string piece = Write("piece.mid", PianoPiece(ThreeNotes(), kThreeNotesEnd));
  ScopedSoundFont scoped(font);
  MCIDEVICEID device = 0;
  ASSERT_EQ(Open(piece, &device), 0u);
  ASSERT_EQ(Close(device), 0u);
  Write("kept.sf2", RandomBytes(1000));
  ASSERT_EQ(Open(piece, &device), 0u);
  ASSERT_EQ(Play(device, MCI_NOTIFY), 0u);
  ExpectThreeNotes(Mix(95), 0);
}

TEST(MidiSequencerDeathTest, APlayFromAnotherPositionIsNotEmulated) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  char folder[] = "/tmp/midi_death_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/piece.mid";
  const MidiBytes piece = PianoPiece(ThreeNotes(), kThreeNotesEnd);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(piece.data()),
                                              static_cast<std::streamsize>(piece.size()));
  EXPECT_DEATH(
      {
        MCI_OPEN_PARMSA open = {};
        open.lpstrDeviceType = "sequencer";
        open.lpstrElementName = path.c_str();
        mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open));
        MCI_PLAY_PARMS play = {};
        play.dwFrom = 100;
        mciSendCommandA(open.wDeviceID, MCI_PLAY, MCI_FROM, reinterpret_cast<DWORD_PTR>(&play));
      },
      "MCI_PLAY from a position other than the start is not emulated");
  std::remove(path.c_str());
  rmdir(folder);
}

}  // namespace
