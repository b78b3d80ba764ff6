// Stream sounds over a device whose play cursors the test moves: the 4-second
// prefill, the lead kept ahead of the cursor and the written window, the wrap
// of the ring, the end of the data with its silence and stop, repeat counts,
// loops over several sources, the played-bytes count; adding sources and
// their refusals, the source kinds, and rings shared between stream sounds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/file_access.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/stream_sound.h"
#include "tests/runtime/sound/fake_sound_device.h"
#include "tests/runtime/sound/sound_test_support.h"

namespace {

WavFormatFields Mono8(uint32_t rate = 8000) {
  WavFormatFields f;
  f.channels = 1;
  f.bits = 8;
  f.rate = rate;
  return f;
}

WavFormatFields Stereo16(uint32_t rate) {
  WavFormatFields f;
  f.rate = rate;
  return f;
}

Bytes Repeated(uint8_t value, size_t count) { return Bytes(count, value); }

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

constexpr uint8_t kUntouched = FakeSoundBuffer::kUntouched;

struct SourceSpec {
  Bytes pcm;
  int32_t repeat;
};

class StreamSoundTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(InitSoundSystem(), 0); }
  void TearDown() override { EndSoundSystem(); }

  // A stream sound of the given sources, each a WAV image in `format`, kept
  // as file images (source kind 2).
  static int32_t MakeStream(const WavFormatFields& format, const std::vector<SourceSpec>& sources,
                            int32_t share_with = -1) {
    const int32_t handle = AddSoundData(-1);
    EXPECT_NE(handle, -1);
    for (const SourceSpec& source : sources) {
      const Bytes image = SimpleWav(format, source.pcm);
      EXPECT_EQ(AddStreamSoundMemory(image.data(), static_cast<int32_t>(image.size()),
                                     source.repeat, handle, kStreamSourceImage, share_with),
                0);
    }
    return handle;
  }

  // The ring a stream sound plays through.
  static FakeSoundBuffer* RingOf(int32_t handle) {
    SoundHandleRecord* record = GetSoundRecord(handle);
    SoundHandleRecord* host =
        record->bufferHost == -1 ? record : GetSoundRecord(record->bufferHost);
    return FakeSoundDevice::Of(host->slots[0].buffer);
  }

  FakeSoundDevice device_;
};

// Follows what a stream sound writes into its ring: each new lock must hold
// the next bytes of `expected`, wrapping at the ring's end.
class RingFollower {
 public:
  RingFollower(const FakeSoundBuffer* ring, Bytes expected)
      : ring_(ring), expected_(std::move(expected)) {}

  void CheckNewLocks() {
    const size_t size = ring_->data().size();
    for (; seen_ < ring_->locks.size(); ++seen_) {
      const FakeLock& lock = ring_->locks[seen_];
      for (DWORD i = 0; i < lock.bytes; ++i) {
        ASSERT_LT(position_, expected_.size()) << "more written than expected";
        const size_t at = (lock.offset + i) % size;
        ASSERT_EQ(ring_->data()[at], expected_[position_])
            << "lock " << seen_ << " at ring offset " << at << ", stream byte " << position_;
        ++position_;
      }
    }
  }
  size_t position() const { return position_; }

 private:
  const FakeSoundBuffer* ring_;
  Bytes expected_;
  size_t seen_ = 0;
  size_t position_ = 0;
};

// One refill with the cursor at `cursor`: its result, the range it locked
// (bytes 0: none) and the write and guard positions after it.
struct RefillStep {
  DWORD cursor;
  int result;
  DWORD lock_offset;
  DWORD lock_bytes;
  int32_t write;
  int32_t guard;
};

struct RefillScript {
  const char* name;
  WavFormatFields format;
  uint32_t seconds;  // length of the sound
  DWORD prefill;     // bytes of the prefill (4 s in whole frames)
  std::vector<RefillStep> steps;
};

// ---- Prefill, lead and window -------------------------------------------------------

TEST_F(StreamSoundTest, TheRefillKeepsItsLeadWithinTheWrittenWindowAcrossTheRingsWrap) {
  const std::vector<RefillScript> scripts = {
      // A = 8000, B = 1, R = 48000: 1/8 s = 1000 bytes, 3 s = 24000.
      {"mono 8-bit 8 kHz", Mono8(), 10, 32000,
       {
           {100, 0, 32000, 1000, 33000, 1000},       // lead 4 s: 1/8 s
           {100, -1, 0, 0, 33000, 1000},             // cursor behind the window
           {1000, 0, 33000, 1000, 34000, 2000},      // at its edge: inside
           {20000, 0, 34000, 10000, 44000, 12000},   // lead 1.75 s: back to 3 s
           {20000, 0, 44000, 1000, 45000, 13000},    // lead exactly 3 s: 1/8 s
           {40000, 0, 45000, 19000, 16000, 32000},   // the fill wraps the ring
           {20000, -1, 0, 0, 16000, 32000},          // between write and guard
           {45000, 0, 16000, 5000, 21000, 37000},    // wrapped window, cursor past guard
           {2000, 0, 21000, 5000, 26000, 42000},     // wrapped window, cursor before write
           {26000, 0, 26000, 1000, 27000, 43000},    // cursor at the write position
       }},
      // A = 44100, B = 4, R = 264600: 1/8 s is 5512.5 bytes, whole frames 5512.
      {"stereo 16-bit 11.025 kHz", Stereo16(11025), 8, 176400,
       {
           {4, 0, 176400, 5512, 181912, 5512},
           {4, -1, 0, 0, 181912, 5512},
           // lead 237/128 s: (147 x 44100) / 128 = 50646, whole frames 50644.
           {100000, 0, 181912, 50644, 232556, 56156},
       }},
  };
  for (const RefillScript& script : scripts) {
    SCOPED_TRACE(script.name);
    const int block = script.format.channels * script.format.bits / 8;
    const Bytes pcm = NoisePcm(static_cast<size_t>(script.format.rate) * block * script.seconds, 3);
    const int32_t handle = MakeStream(script.format, {{pcm, 0}});
    ASSERT_EQ(PlayStreamSound(handle, kPlayTypeBack, 1), 0);
    FakeSoundBuffer* ring = RingOf(handle);
    SoundHandleRecord* record = GetSoundRecord(handle);
    ASSERT_EQ(ring->locks.size(), 1u);
    EXPECT_EQ(ring->locks[0].offset, 0u);
    EXPECT_EQ(ring->locks[0].bytes, script.prefill);
    EXPECT_EQ(record->writePosition, static_cast<int32_t>(script.prefill));
    EXPECT_EQ(record->guardPosition, 0);
    EXPECT_TRUE(ring->playing);
    EXPECT_TRUE(ring->looping);
    RingFollower follower(ring, pcm);
    follower.CheckNewLocks();
    for (size_t i = 0; i < script.steps.size(); ++i) {
      const RefillStep& step = script.steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      const size_t locks_before = ring->locks.size();
      ring->cursor = step.cursor;
      EXPECT_EQ(RefillStreamSound(handle), step.result);
      if (step.lock_bytes == 0) {
        EXPECT_EQ(ring->locks.size(), locks_before);
      } else {
        ASSERT_EQ(ring->locks.size(), locks_before + 1);
        EXPECT_EQ(ring->locks.back().offset, step.lock_offset);
        EXPECT_EQ(ring->locks.back().bytes, step.lock_bytes);
      }
      EXPECT_EQ(record->writePosition, step.write);
      EXPECT_EQ(record->guardPosition, step.guard);
      follower.CheckNewLocks();
      if (HasFatalFailure()) return;
    }
    EXPECT_TRUE(ring->playing);
    EXPECT_EQ(DeleteSoundHandle(handle, 0), 0);
  }
}

// ---- The end of the data ----------------------------------------------------------

struct EndScript {
  const char* name;
  WavFormatFields format;
  const Bytes* pcm;
  Bytes expected;  // the stream of bytes the ring receives, locks in order
  std::vector<RefillStep> steps;
  DWORD stop_cursor;  // a cursor past the data end
};

TEST_F(StreamSoundTest, AfterItsDataASoundGetsSilenceAndStopsOnceTheCursorPassesTheEnd) {
  const uint32_t eighth8 = 1000;   // 1/8 s of mono 8-bit 8 kHz
  const uint32_t eighth16 = 4000;  // of stereo 16-bit 8 kHz
  const Bytes pcm8 = NoisePcm(12000, 5);
  const Bytes pcm16 = NoisePcm(48000, 6);
  const Bytes pcm_long = NoisePcm(56000, 7);
  const Bytes pcm_near_wrap = NoisePcm(47990, 8);
  const std::vector<EndScript> scripts = {
      // 1.5 s: the prefill holds the whole sound, 1/8 s of silence (byte 127
      // for 8 bits) and leaves the rest of its 4 s unwritten.
      {"short 8-bit", Mono8(), &pcm8,
       Join({pcm8, Repeated(127, eighth8), Repeated(kUntouched, 32000 - 12000 - eighth8),
             Repeated(127, 2 * eighth8)}),
       {{5000, 0, 32000, 1000, 33000, 1000}, {12000, 0, 33000, 1000, 34000, 2000}},
       12001},
      {"short 16-bit", Stereo16(8000), &pcm16,
       Join({pcm16, Repeated(0, eighth16), Repeated(kUntouched, 128000 - 48000 - eighth16),
             Repeated(0, eighth16)}),
       {{20000, 0, 128000, 4000, 132000, 4000}},
       48004},
      // 7 s: the data ends in the wrapped part of a fill, before the cursor
      // that made that fill: the stop waits for the cursor to wrap and pass it.
      {"end past the ring's wrap", Mono8(), &pcm_long,
       // The rest of that fill keeps what the prefill had written there.
       Join({pcm_long, Repeated(127, eighth8),
             Bytes(pcm_long.begin() + 8000 + eighth8, pcm_long.begin() + 12000),
             Repeated(127, 2 * eighth8)}),
       {{20000, 0, 32000, 12000, 44000, 12000},
        {36000, 0, 44000, 16000, 12000, 28000},
        {47000, 0, 12000, 1000, 13000, 29000},
        {5000, 0, 13000, 1000, 14000, 30000}},
       8001},
      // Nearly 6 s: the data ends 10 bytes before the ring's end, and the
      // cursor passes both the end and the wrap between two refills.
      {"end just before the ring's wrap", Mono8(), &pcm_near_wrap,
       // The wrapped part of the last fill keeps what the prefill had
       // written there.
       Join({pcm_near_wrap, Repeated(127, eighth8),
             Bytes(pcm_near_wrap.begin() + eighth8 - 10, pcm_near_wrap.begin() + 16000),
             Repeated(127, eighth8)}),
       {{20000, 0, 32000, 12000, 44000, 12000},
        {40000, 0, 44000, 20000, 16000, 32000},
        {47000, 0, 16000, 1000, 17000, 33000}},
       500},
  };
  for (const EndScript& script : scripts) {
    SCOPED_TRACE(script.name);
    const int32_t handle = MakeStream(script.format, {{*script.pcm, 0}});
    ASSERT_EQ(PlayStreamSound(handle, kPlayTypeBack, 1), 0);
    FakeSoundBuffer* ring = RingOf(handle);
    SoundHandleRecord* record = GetSoundRecord(handle);
    RingFollower follower(ring, script.expected);
    follower.CheckNewLocks();
    for (const RefillStep& step : script.steps) {
      SCOPED_TRACE(step.cursor);
      const size_t locks_before = ring->locks.size();
      ring->cursor = step.cursor;
      EXPECT_EQ(RefillStreamSound(handle), step.result);
      ASSERT_EQ(ring->locks.size(), locks_before + 1);
      EXPECT_EQ(ring->locks.back().offset, step.lock_offset);
      EXPECT_EQ(ring->locks.back().bytes, step.lock_bytes);
      EXPECT_EQ(record->writePosition, step.write);
      EXPECT_EQ(record->guardPosition, step.guard);
      EXPECT_TRUE(ring->playing);
      EXPECT_EQ(IsStreamSoundPlaying(handle), 1);
      follower.CheckNewLocks();
    }
    EXPECT_EQ(follower.position(), script.expected.size());
    EXPECT_EQ(record->ending, 1);
    EXPECT_EQ(record->allSourcesPlayed, 1);

    // The cursor past the data end: the buffer stops, nothing is written.
    const size_t locks_before = ring->locks.size();
    ring->cursor = script.stop_cursor;
    EXPECT_EQ(RefillStreamSound(handle), 0);
    EXPECT_FALSE(ring->playing);
    EXPECT_EQ(record->ending, 0);
    EXPECT_EQ(IsStreamSoundPlaying(handle), 0);
    EXPECT_EQ(RefillStreamSound(handle), 0);
    EXPECT_EQ(ring->locks.size(), locks_before);
    EXPECT_EQ(DeleteSoundHandle(handle, 0), 0);
  }
}

// ---- Repeats and loops --------------------------------------------------------------

TEST_F(StreamSoundTest, RepeatCountsAndLoopsDecideWhatFollowsEachSource) {
  const Bytes a = NoisePcm(4000, 11);
  const Bytes b = NoisePcm(2500, 12);
  struct Case {
    const char* name;
    std::vector<SourceSpec> sources;
    int32_t play_type;
    Bytes expected;  // the 4-second prefill
    bool ends;
    uint32_t data_end;
  };
  auto cycle = [](std::initializer_list<Bytes> parts, size_t bytes) {
    const Bytes one = Join(parts);
    Bytes out;
    while (out.size() < bytes) out.insert(out.end(), one.begin(), one.end());
    out.resize(bytes);
    return out;
  };
  auto ended = [](Bytes data) {
    const size_t end = data.size();
    data.resize(end + 1000, 127);
    data.resize(32000, kUntouched);
    return data;
  };
  const std::vector<Case> cases = {
      {"repeat 2 plays three times", {{a, 2}}, kPlayTypeBack, ended(Join({a, a, a})), true, 12000},
      {"repeat 255 plays without end", {{a, 255}}, kPlayTypeBack, cycle({a}, 32000), false, 0},
      {"repeat -1 is 255", {{a, -1}}, kPlayTypeBack, cycle({a}, 32000), false, 0},
      {"repeat 200 (negative) plays once", {{a, 200}}, kPlayTypeBack, ended(a), true, 4000},
      {"sources in turn, each its count", {{a, 1}, {b, 0}}, kPlayTypeBack, ended(Join({a, a, b})),
       true, 10500},
      {"a loop goes back to the first source", {{a, 0}, {b, 0}}, kPlayTypeLoop,
       cycle({a, b}, 32000), false, 0},
      {"a loop repeats as counted", {{a, 1}, {b, 2}}, kPlayTypeLoop, cycle({a, a, b, b, b}, 32000),
       false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t handle = MakeStream(Mono8(), c.sources);
    ASSERT_EQ(PlayStreamSound(handle, c.play_type, 1), 0);
    FakeSoundBuffer* ring = RingOf(handle);
    ASSERT_EQ(ring->locks.size(), 1u);
    const Bytes written(ring->data().begin(), ring->data().begin() + 32000);
    EXPECT_TRUE(written == c.expected);
    SoundHandleRecord* record = GetSoundRecord(handle);
    EXPECT_EQ(record->ending, c.ends ? 1 : 0);
    if (c.ends) {
      EXPECT_EQ(record->endDataMark, c.data_end);
    }
    EXPECT_EQ(DeleteSoundHandle(handle, 0), 0);
  }
}

// A sound that ran out of sources and is resumed (not from the top) has
// nothing more to give: it ends again with silence and stops. Sources that
// hold no sound at all give silence however they are repeated.
TEST_F(StreamSoundTest, ASoundWithNothingLeftToPlayGivesSilenceAndEnds) {
  const Bytes pcm = NoisePcm(4000, 91);
  const int32_t handle = MakeStream(Mono8(), {{pcm, 0}, {pcm, 0}, {pcm, 0}});
  ASSERT_EQ(PlayStreamSound(handle, kPlayTypeBack, 1), 0);
  FakeSoundBuffer* ring = RingOf(handle);
  SoundHandleRecord* record = GetSoundRecord(handle);
  ring->cursor = 12001;
  ASSERT_EQ(RefillStreamSound(handle), 0);
  ASSERT_FALSE(ring->playing);

  ASSERT_EQ(PlayStreamSound(handle, kPlayTypeBack, 0), 0);
  ASSERT_TRUE(ring->playing);
  EXPECT_EQ(RefillStreamSound(handle), 0);
  EXPECT_EQ(record->ending, 1);
  EXPECT_EQ(record->endDataMark, 32000u);
  EXPECT_EQ(record->currentSource, 3);
  EXPECT_TRUE(Bytes(ring->data().begin() + 32000, ring->data().begin() + 33000) ==
              Repeated(127, 1000));
  ring->cursor = 32001;
  EXPECT_EQ(RefillStreamSound(handle), 0);
  EXPECT_FALSE(ring->playing);

  for (const int32_t repeat : {0, 255}) {
    SCOPED_TRACE(repeat);
    const int32_t empty = MakeStream(Mono8(), {{Bytes(), repeat}, {Bytes(), 0}});
    ASSERT_EQ(PlayStreamSound(empty, kPlayTypeLoop, 1), 0);
    EXPECT_TRUE(Bytes(RingOf(empty)->data().begin(), RingOf(empty)->data().begin() + 32000) ==
                Repeated(127, 32000));
    EXPECT_EQ(RingOf(empty)->locks.size(), 1u);
  }
}

// In steady play (the cursor moving 1/60 s between refills, twice as many
// refills as frames as with the message thread) a looping sound of two
// sources keeps between 3 and 4 1/8 seconds ahead of the cursor, and the
// ring receives its sources in turn, each from its first byte, through
// several turns of the ring.
TEST_F(StreamSoundTest, ALoopingSoundPlaysItsSourcesInTurnWithoutAGapInSteadyPlay) {
  const Bytes a = NoisePcm(3000, 21);
  const Bytes b = NoisePcm(4000, 22);
  const int32_t handle = MakeStream(Mono8(), {{a, 0}, {b, 0}});
  ASSERT_EQ(PlayStreamSound(handle, kPlayTypeLoop, 1), 0);
  FakeSoundBuffer* ring = RingOf(handle);
  SoundHandleRecord* record = GetSoundRecord(handle);
  Bytes expected;
  while (expected.size() < 250000) expected = Join({expected, a, b});
  RingFollower follower(ring, expected);
  follower.CheckNewLocks();
  // The last restart of the prefill was at 28000 (four turns of a and b).
  EXPECT_EQ(record->loopRestartPending, 1);
  EXPECT_EQ(record->loopRestartOffset, 28000u);

  const uint32_t ring_bytes = 48000;
  uint64_t played = 0;
  for (int frame = 0; frame < 1200; ++frame) {  // 20 s: more than three turns of the ring
    played += 8000 / 60;
    ring->cursor = static_cast<DWORD>(played % ring_bytes);
    for (int pass = 0; pass < 2; ++pass) {
      const int result = RefillStreamSound(handle);
      ASSERT_TRUE(result == 0 || result == -1);
      const uint32_t lead =
          (static_cast<uint32_t>(record->writePosition) + ring_bytes - ring->cursor) % ring_bytes;
      ASSERT_GE(lead, 24000u) << "frame " << frame;
      ASSERT_LE(lead, 33000u) << "frame " << frame;
    }
    follower.CheckNewLocks();
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(follower.position(), 3u * ring_bytes);
  EXPECT_EQ(record->ending, 0);
}

// playedBytes follows the cursor, and after a loop restart counts from the
// restart once the cursor passes it.
TEST_F(StreamSoundTest, PlayedBytesCountFromTheLoopRestartOnceTheCursorPassesIt) {
  struct Case {
    const char* name;
    uint32_t last;
    uint32_t now;
    uint8_t pending;
    uint32_t restart;
    int32_t played;
    uint8_t pending_after;
  };
  // R = 48000; playedBytes was 100 before each case.
  const Case cases[] = {
      {"forward", 1000, 3000, 0, 0, 2100, 0},
      {"wrapped", 47000, 1000, 0, 0, 2100, 0},
      {"restart passed", 1000, 3000, 1, 2000, 1000, 0},
      {"restart passed at the cursor", 1000, 3000, 1, 3000, 0, 0},
      {"restart before the wrap passed", 47000, 1000, 1, 47500, 1500, 0},
      {"restart after the wrap passed", 47000, 1000, 1, 500, 500, 0},
      {"restart not reached", 1000, 3000, 1, 5000, 2100, 1},
      {"cursor still", 3000, 3000, 1, 2000, 100, 1},
  };
  const int32_t handle = MakeStream(Mono8(), {{NoisePcm(80000, 1), 0}});
  ASSERT_EQ(PlayStreamSound(handle, kPlayTypeLoop, 1), 0);
  SoundHandleRecord* record = GetSoundRecord(handle);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    record->lastCursor = c.last;
    record->playedBytes = 100;
    record->loopRestartPending = c.pending;
    record->loopRestartOffset = c.restart;
    EXPECT_EQ(UpdateStreamPlayedBytes(handle, c.now), 0);
    EXPECT_EQ(record->playedBytes, c.played);
    EXPECT_EQ(record->loopRestartPending, c.pending_after);
    EXPECT_EQ(record->lastCursor, c.now);
  }
}

// Played again from the top after it played, a sound starts over from its
// first source with a new prefill; resumed (not from the top), it goes on
// with what its ring holds.
TEST_F(StreamSoundTest, FromTheTopRestartsTheSourcesAndResumingWritesNothing) {
  const Bytes a = NoisePcm(40000, 31);
  const Bytes b = NoisePcm(40000, 32);
  const int32_t handle = MakeStream(Mono8(), {{a, 0}, {b, 0}});
  ASSERT_EQ(PlayStreamSound(handle, kPlayTypeBack, 1), 0);
  FakeSoundBuffer* ring = RingOf(handle);
  ring->cursor = 20000;
  ASSERT_EQ(RefillStreamSound(handle), 0);  // into the second source
  ASSERT_EQ(GetSoundRecord(handle)->currentSource, 1);
  ASSERT_EQ(StopSoundHandle(handle), 0);
  EXPECT_FALSE(ring->playing);

  const size_t locks = ring->locks.size();
  ASSERT_EQ(PlayStreamSound(handle, kPlayTypeBack, 0), 0);
  EXPECT_TRUE(ring->playing);
  EXPECT_EQ(ring->cursor, 20000u);
  EXPECT_EQ(ring->locks.size(), locks);

  ASSERT_EQ(StopSoundHandle(handle), 0);
  ASSERT_EQ(PlayStreamSound(handle, kPlayTypeBack, 1), 0);
  ASSERT_EQ(ring->locks.size(), locks + 1);
  EXPECT_EQ(ring->locks.back().offset, 0u);
  EXPECT_EQ(ring->cursor, 0u);
  EXPECT_TRUE(Bytes(ring->data().begin(), ring->data().begin() + 32000) ==
              Bytes(a.begin(), a.begin() + 32000));
}

// ---- Sources ------------------------------------------------------------------------

TEST_F(StreamSoundTest, SourcesThatCannotJoinAreRefusedWithTheirMessageAndTheOthersStay) {
  const Bytes pcm = NoisePcm(8000, 41);
  WavFormatFields other_rate = Mono8(11025);
  WavFormatFields stereo = Mono8();
  stereo.channels = 2;
  WavFormatFields sixteen = Mono8();
  sixteen.bits = 16;
  WavFormatFields extra_size = Mono8();  // an 18-byte chunk whose extra size is 0
  extra_size.chunk_bytes = 18;
  Bytes extra_body = FormatChunkBody(Mono8());
  PutLe16(&extra_body, 2);  // extra size 2, all else the same
  Bytes extra_chunks;
  PutChunk(&extra_chunks, "fmt ", extra_body);
  PutChunk(&extra_chunks, "data", pcm);
  const Bytes extra_image = RiffWave(extra_chunks);

  struct Case {
    const char* name;
    Bytes image;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"another rate", SimpleWav(other_rate, pcm),
       "フォーマットの違う音声データは同時に使うことは出来ません"},
      {"another channel count", SimpleWav(stereo, pcm),
       "フォーマットの違う音声データは同時に使うことは出来ません"},
      {"another sample size", SimpleWav(sixteen, pcm),
       "フォーマットの違う音声データは同時に使うことは出来ません"},
      {"another extra size", extra_image,
       "フォーマットの違う音声データは同時に使うことは出来ません"},
      {"not a sound", Bytes(300, 7), "音声データのオープンに失敗しました"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t handle = MakeStream(Mono8(), {{pcm, 0}});
    SoundLogCapture log;
    EXPECT_EQ(AddStreamSoundMemory(c.image.data(), static_cast<int32_t>(c.image.size()), 0,
                                   handle, kStreamSourceImage, -1),
              -1);
    EXPECT_TRUE(log.Has(c.message)) << log.text();
    EXPECT_TRUE(log.Has("ＷＡＶファイルのストリームイメージのセットアップに失敗しました \n"));
    EXPECT_EQ(GetSoundRecord(handle)->sourceCount, 1);
    // The sound still plays its first source.
    ASSERT_EQ(PlayStreamSound(handle, kPlayTypeBack, 1), 0);
    EXPECT_TRUE(Bytes(RingOf(handle)->data().begin(), RingOf(handle)->data().begin() + 8000) == pcm);
    EXPECT_EQ(DeleteSoundHandle(handle, 0), 0);
  }

  // The 18-byte chunk with extra size 0 is the same format as the 16-byte one.
  const int32_t same = MakeStream(Mono8(), {{pcm, 0}, {pcm, 0}});
  const Bytes same_image = SimpleWav(extra_size, pcm);
  EXPECT_EQ(AddStreamSoundMemory(same_image.data(), static_cast<int32_t>(same_image.size()), 0,
                                 same, kStreamSourceImage, -1),
            0);
  // A fourth source: three is the most, although the record has room for four.
  {
    SoundLogCapture log;
    const Bytes image = SimpleWav(Mono8(), pcm);
    EXPECT_EQ(AddStreamSoundMemory(image.data(), static_cast<int32_t>(image.size()), 0, same,
                                   kStreamSourceImage, -1),
              -1);
    EXPECT_TRUE(log.Has("ストリーム風サウンドの制御データ領域がいっぱいです\n"));
    EXPECT_EQ(GetSoundRecord(same)->sourceCount, 3);
  }
  // No source joins a sound whose ring plays.
  {
    const int32_t playing = MakeStream(Mono8(), {{pcm, 0}});
    ASSERT_EQ(PlayStreamSound(playing, kPlayTypeLoop, 1), 0);
    SoundLogCapture log;
    const Bytes image = SimpleWav(Mono8(), pcm);
    EXPECT_EQ(AddStreamSoundMemory(image.data(), static_cast<int32_t>(image.size()), 0, playing,
                                   kStreamSourceImage, -1),
              -1);
    EXPECT_TRUE(log.Has("既に再生中のストリームサウンドデータにデータを追加しようとしました\n"));
  }
  // Nor does one join a normal sound.
  {
    const Bytes image = SimpleWav(Mono8(), pcm);
    const int32_t normal =
        CreateSoundFromMemory(image.data(), static_cast<int32_t>(image.size()), 1, -1);
    ASSERT_NE(normal, -1);
    SoundLogCapture log;
    EXPECT_EQ(AddStreamSoundMemory(image.data(), static_cast<int32_t>(image.size()), 0, normal,
                                   kStreamSourceImage, -1),
              -1);
    EXPECT_TRUE(
        log.Has("ストリーム風サウンドではないサウンドデータが渡されました in AddSreamSound\n"));
    EXPECT_EQ(GetSoundRecord(normal)->kind, kSoundKindNormal);
  }
}

// A file table that counts the files open, over the table in use.
FileAccessFunctionTable g_counted_table;
FileAccessFunctionTable g_inner_table;
int g_open_files = 0;

class CountedFiles {
 public:
  CountedFiles() {
    g_inner_table = FileAccessFunctions;
    g_counted_table = FileAccessFunctions;
    g_counted_table.Open = [](const char* path, int cache, int unused, int async) {
      const intptr_t file = g_inner_table.Open(path, cache, unused, async);
      if (file != 0) ++g_open_files;
      return file;
    };
    g_counted_table.Close = [](intptr_t file) {
      --g_open_files;
      return g_inner_table.Close(file);
    };
    g_open_files = 0;
    SetFileAccessFunctions(&g_counted_table);
  }
  ~CountedFiles() { SetFileAccessFunctions(&g_inner_table); }
  int open() const { return g_open_files; }
};

// Kinds 0 and 2 keep their own copy and close the file at once; kind 3 reads
// the file itself, which stays open until the sound is deleted. Every kind
// delivers the file's sound: kind 0 as decoded PCM, the others through the
// file's own reader.
TEST_F(StreamSoundTest, EachSourceKindKeepsWhatItReadsAndClosesTheFileWhenDone) {
  const std::vector<int16_t> chord = ChordSamples(30000, 2, 22050);
  const Bytes ogg = EncodeOgg(chord, 2, 22050);
  const Bytes decoded = ReferenceOggDecode(ogg);
  char path[] = "/tmp/stream_source_XXXXXX.ogg";
  const int descriptor = mkstemps(path, 4);
  ASSERT_GE(descriptor, 0);
  ASSERT_EQ(write(descriptor, ogg.data(), ogg.size()), static_cast<ssize_t>(ogg.size()));
  close(descriptor);

  struct Case {
    int32_t kind;
    int32_t reader_kind;
    int open_while_alive;
  };
  for (const Case& c : {Case{kStreamSourceDecoded, kWaveReaderPcm, 0},
                        Case{kStreamSourceImage, kWaveReaderOgg, 0},
                        Case{kStreamSourceDirect, kWaveReaderOgg, 1}}) {
    SCOPED_TRACE(c.kind);
    CountedFiles files;
    const int32_t handle = AddSoundData(-1);
    ASSERT_EQ(AddStreamSoundFile(path, 0, handle, c.kind, -1), 0);
    EXPECT_EQ(files.open(), c.open_while_alive);
    SoundHandleRecord* record = GetSoundRecord(handle);
    EXPECT_EQ(record->sources[0].reader.kind, c.reader_kind);
    ASSERT_EQ(PlayStreamSound(handle, kPlayTypeBack, 1), 0);
    // 30000 frames of 22,050 Hz stereo fit in the 4-second prefill.
    const Bytes written(RingOf(handle)->data().begin(),
                        RingOf(handle)->data().begin() + decoded.size());
    EXPECT_TRUE(written == decoded);
    EXPECT_EQ(DeleteSoundHandle(handle, 0), 0);
    EXPECT_EQ(files.open(), 0);
  }
  {
    CountedFiles files;
    SoundLogCapture log;
    const int32_t handle = AddSoundData(-1);
    EXPECT_EQ(AddStreamSoundFile("/tmp/no_such_stream_file.ogg", 0, handle, 2, -1), -1);
    EXPECT_TRUE(log.Has("右記のＷＡＶファイルのロードに失敗しました：/tmp/no_such_stream_file.ogg \n"));
    const Bytes text(100, 'x');
    FILE* bad = std::fopen(path, "wb");
    std::fwrite(text.data(), 1, text.size(), bad);
    std::fclose(bad);
    EXPECT_EQ(AddStreamSoundFile(path, 0, handle, kStreamSourceDirect, -1), -1);
    EXPECT_TRUE(log.Has("右記のＷＡＶファイルのセットアップに失敗しました："));
    EXPECT_EQ(files.open(), 0);
    EXPECT_EQ(DeleteSoundHandle(handle, 0), 0);
  }
  unlink(path);
}

// ---- Shared rings -----------------------------------------------------------------------

TEST_F(StreamSoundTest, SharingIsRefusedSilentlyUnlessTheHostOwnsARingOfTheSameFormat) {
  const Bytes pcm = NoisePcm(16000, 51);
  const int32_t host = MakeStream(Mono8(), {{pcm, 0}});
  const int32_t sharer = MakeStream(Mono8(), {{pcm, 0}}, host);
  const Bytes image = SimpleWav(Mono8(), pcm);
  const int32_t normal =
      CreateSoundFromMemory(image.data(), static_cast<int32_t>(image.size()), 1, -1);
  const int32_t stereo_host = MakeStream(Stereo16(8000), {{pcm, 0}});
  EXPECT_EQ(GetSoundRecord(sharer)->bufferHost, host);
  EXPECT_EQ(GetSoundRecord(host)->sharers, 1);
  EXPECT_EQ(RingOf(sharer), RingOf(host));

  struct Case {
    const char* name;
    int32_t share_with;
  };
  for (const Case& c : {Case{"the host shares a ring itself", sharer},
                        Case{"the host is a normal sound", normal},
                        Case{"the host has another format", stereo_host},
                        Case{"no host", -1}}) {
    SCOPED_TRACE(c.name);
    const int buffers = device_.BufferCount();
    SoundLogCapture log;
    const int32_t handle = MakeStream(Mono8(), {{pcm, 0}}, c.share_with);
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(GetSoundRecord(handle)->bufferHost, -1);
    EXPECT_EQ(device_.BufferCount(), buffers + 1);
    EXPECT_EQ(GetSoundRecord(handle)->ringBytes, 48000);
  }
  EXPECT_EQ(GetSoundRecord(host)->sharers, 1);
}

TEST_F(StreamSoundTest, OfTwoSoundsSharingARingOnlyTheOneThatTookItLastPlaysAndRefills) {
  const Bytes a = NoisePcm(80000, 61);
  const Bytes b = NoisePcm(80000, 62);
  const int32_t first = MakeStream(Mono8(), {{a, 0}});
  const int32_t second = MakeStream(Mono8(), {{b, 0}}, first);
  FakeSoundBuffer* ring = RingOf(first);

  ASSERT_EQ(PlayStreamSound(first, kPlayTypeBack, 1), 0);
  EXPECT_TRUE(Bytes(ring->data().begin(), ring->data().begin() + 32000) ==
              Bytes(a.begin(), a.begin() + 32000));
  EXPECT_EQ(IsStreamSoundPlaying(first), 1);
  EXPECT_EQ(IsStreamSoundPlaying(second), 0);

  // The second takes the ring: the first is stopped, the ring refilled from
  // the second's data.
  ASSERT_EQ(PlayStreamSound(second, kPlayTypeBack, 1), 0);
  EXPECT_TRUE(ring->playing);
  EXPECT_EQ(IsStreamSoundPlaying(second), 1);
  EXPECT_EQ(IsStreamSoundPlaying(first), 0);
  EXPECT_TRUE(Bytes(ring->data().begin(), ring->data().begin() + 32000) ==
              Bytes(b.begin(), b.begin() + 32000));

  // Asked to refill, the first does nothing while the second holds the ring.
  const size_t locks = ring->locks.size();
  ring->cursor = 20000;
  EXPECT_EQ(RefillStreamSound(first), 0);
  EXPECT_EQ(ring->locks.size(), locks);
  // Nor does stopping it stop the second.
  EXPECT_EQ(StopSoundHandle(first), 0);
  EXPECT_TRUE(ring->playing);
  EXPECT_EQ(RefillStreamSound(second), 0);
  EXPECT_EQ(ring->locks.size(), locks + 1);
  EXPECT_EQ(DeleteSoundHandle(second, 0), 0);
  EXPECT_EQ(DeleteSoundHandle(first, 0), 0);
}

TEST_F(StreamSoundTest, ARingHostDeletedWhileSharedGoesWithItsLastSharer) {
  const Bytes pcm = NoisePcm(16000, 71);
  const int buffers = device_.BufferCount();
  const int32_t host = MakeStream(Mono8(), {{pcm, 0}});
  const int32_t sharer1 = MakeStream(Mono8(), {{pcm, 0}}, host);
  const int32_t sharer2 = MakeStream(Mono8(), {{pcm, 0}}, host);
  EXPECT_EQ(device_.BufferCount(), buffers + 1);
  EXPECT_EQ(DeleteSoundHandle(host, 0), 0);
  ASSERT_NE(GetSoundRecord(host), nullptr);
  EXPECT_EQ(GetSoundRecord(host)->deletePending, 1);
  EXPECT_EQ(DeleteSoundHandle(sharer1, 0), 0);
  EXPECT_NE(GetSoundRecord(host), nullptr);
  ASSERT_EQ(PlayStreamSound(sharer2, kPlayTypeBack, 1), 0);
  EXPECT_EQ(IsStreamSoundPlaying(sharer2), 1);
  EXPECT_EQ(DeleteSoundHandle(sharer2, 0), 0);
  EXPECT_EQ(GetSoundRecord(host), nullptr);
  EXPECT_EQ(device_.BufferCount(), buffers);
}

// Every stream sound on the list is refilled, each in its own ring.
TEST_F(StreamSoundTest, RefillingAllTopsUpEveryPlayingStreamSound) {
  const int32_t one = MakeStream(Mono8(), {{NoisePcm(80000, 81), 0}});
  const int32_t two = MakeStream(Mono8(), {{NoisePcm(80000, 82), 0}});
  ASSERT_EQ(PlayStreamSound(one, kPlayTypeBack, 1), 0);
  ASSERT_EQ(PlayStreamSound(two, kPlayTypeBack, 1), 0);
  RingOf(one)->cursor = 20000;
  RingOf(two)->cursor = 8000;
  EXPECT_EQ(RefillAllStreamSounds(), 0);
  EXPECT_EQ(GetSoundRecord(one)->writePosition, 32000 + 12000);
  EXPECT_EQ(GetSoundRecord(two)->writePosition, 32000 + 1000);
}

}  // namespace
