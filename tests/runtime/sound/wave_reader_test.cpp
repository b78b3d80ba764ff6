// Wave readers: every format decodes to what its own library gives, seeks
// land on the right sample frame, and damaged files are refused or give what
// they hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/sound/ogg_setup_check.h"
#include "tests/runtime/sound/sound_test_support.h"
#include "tests/support/bad_input.h"

namespace {

struct PcmCase {
  const char* name;
  uint16_t channels;
  uint16_t bits;
  uint32_t rate;
  uint32_t chunk_bytes;
};

class PcmWavTest : public ::testing::TestWithParam<PcmCase> {};

TEST_P(PcmWavTest, DecodesTheDataChunkExactly) {
  const PcmCase& c = GetParam();
  WavFormatFields fields;
  fields.channels = c.channels;
  fields.bits = c.bits;
  fields.rate = c.rate;
  fields.chunk_bytes = c.chunk_bytes;
  const uint32_t block = c.channels * c.bits / 8;
  const Bytes pcm = NoisePcm(block * 1001, c.rate);
  Bytes pcm_out;
  WAVEFORMATEX format;
  ASSERT_TRUE(DecodeImage(SimpleWav(fields, pcm), &pcm_out, &format));
  EXPECT_EQ(pcm_out, pcm);
  EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(format.nChannels, c.channels);
  EXPECT_EQ(format.wBitsPerSample, c.bits);
  EXPECT_EQ(format.nSamplesPerSec, c.rate);
  EXPECT_EQ(format.nBlockAlign, block);
  EXPECT_EQ(format.nAvgBytesPerSec, c.rate * block);
  EXPECT_EQ(format.cbSize, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PcmWavTest,
    ::testing::Values(PcmCase{"Mono8", 1, 8, 11025, 16}, PcmCase{"Stereo8", 2, 8, 22050, 18},
                      PcmCase{"Mono16", 1, 16, 44100, 18}, PcmCase{"Stereo16", 2, 16, 48000, 16},
                      PcmCase{"Stereo16LongFormat", 2, 16, 32000, 40}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PcmWavChunks, OddChunksBeforeTheDataAreSkippedWithTheirPadByte) {
  const Bytes pcm = NoisePcm(400, 7);
  Bytes chunks;
  PutChunk(&chunks, "fmt ", FormatChunkBody(WavFormatFields{}));
  PutChunk(&chunks, "LIST", Bytes(5, 'x'));  // odd: a pad byte follows
  PutChunk(&chunks, "fact", Bytes(4, 0));
  PutChunk(&chunks, "data", pcm);
  Bytes out;
  WAVEFORMATEX format;
  ASSERT_TRUE(DecodeImage(RiffWave(chunks), &out, &format));
  EXPECT_EQ(out, pcm);
}

TEST(PcmWavChunks, AChunkBeforeTheFormatIsRefusedByEveryReader) {
  Bytes chunks;
  PutChunk(&chunks, "LIST", Bytes(4, 'x'));
  PutChunk(&chunks, "fmt ", FormatChunkBody(WavFormatFields{}));
  PutChunk(&chunks, "data", NoisePcm(400, 1));
  Bytes out;
  WAVEFORMATEX format;
  EXPECT_FALSE(DecodeImage(RiffWave(chunks), &out, &format));
}

TEST(PcmWavChunks, A16ByteFormatTakesItsBitsFromBlockAlignAndChannels) {
  WavFormatFields fields;
  fields.channels = 2;
  fields.bits = 8;  // the file says 8; block align 4 over 2 channels means 16
  fields.block_align = 4;
  fields.chunk_bytes = 16;
  const Bytes pcm = NoisePcm(4 * 50, 3);
  Bytes out;
  WAVEFORMATEX format;
  ASSERT_TRUE(DecodeImage(SimpleWav(fields, pcm), &out, &format));
  EXPECT_EQ(format.wBitsPerSample, 16);
  EXPECT_EQ(out, pcm);
}

TEST(OggVorbis, DecodesAsVorbisfileDoesSampleForSample) {
  for (const int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const int rate = channels == 1 ? 22050 : 44100;
    const Bytes file = EncodeOgg(ChordSamples(rate / 2 + 333, channels, rate), channels, rate);
    const Bytes expected = ReferenceOggDecode(file);
    ASSERT_FALSE(expected.empty());
    Bytes out;
    WAVEFORMATEX format;
    ASSERT_TRUE(DecodeImage(file, &out, &format));
    EXPECT_EQ(out, expected);
    EXPECT_EQ(format.nChannels, channels);
    EXPECT_EQ(format.nSamplesPerSec, static_cast<DWORD>(rate));
    EXPECT_EQ(format.wBitsPerSample, 16);
  }
}

// An ID3v2 tag of `body` bytes (size in the tag's 7-bit form).
// GCC 12 warns falsely (-Warray-bounds, then -Wstringop-overread) inside
// libstdc++'s growing of the vector here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wstringop-overread"
Bytes Id3v2(int version, uint8_t flags, uint32_t body) {
  Bytes tag = {'I', 'D', '3', static_cast<uint8_t>(version), 0, flags,
               static_cast<uint8_t>((body >> 21) & 0x7F), static_cast<uint8_t>((body >> 14) & 0x7F),
               static_cast<uint8_t>((body >> 7) & 0x7F), static_cast<uint8_t>(body & 0x7F)};
  tag.resize(tag.size() + body, 0);
  if (version == 4 && (flags & 0x10) != 0) {
    const Bytes footer = {'3', 'D', 'I', 4, 0, flags, tag[6], tag[7], tag[8], tag[9]};
    tag.insert(tag.end(), footer.begin(), footer.end());
  }
  return tag;
}
#pragma GCC diagnostic pop

struct Mp3Case {
  const char* name;
  int channels;
  int rate;
  int kbits;
  Bytes before;  // a tag in front of the frames
  bool id3v1;    // a 128-byte tag at the end
};

class Mp3Test : public ::testing::TestWithParam<Mp3Case> {};

TEST_P(Mp3Test, DecodesAsLibmpg123DoesSampleForSample) {
  const Mp3Case& c = GetParam();
  const Bytes frames = EncodeMp3(ChordSamples(c.rate * 3 / 4 + 100, c.channels, c.rate),
                                 c.channels, c.rate, c.kbits);
  Bytes file = c.before;
  file.insert(file.end(), frames.begin(), frames.end());
  if (c.id3v1) {
    Bytes tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    file.insert(file.end(), tag.begin(), tag.end());
  }
  // The tags are not sound: the reader gives what the frames alone decode to
  // (for a file without tags, the file itself).
  const Bytes expected = ReferenceMp3Decode(frames, c.rate, c.channels);
  ASSERT_GT(expected.size(), 1000u);
  Bytes out;
  WAVEFORMATEX format;
  ASSERT_TRUE(DecodeImage(file, &out, &format));
  EXPECT_EQ(format.nChannels, c.channels);
  EXPECT_EQ(format.nSamplesPerSec, static_cast<DWORD>(c.rate));
  EXPECT_EQ(format.wBitsPerSample, 16);
  ASSERT_EQ(out.size(), expected.size());
  EXPECT_TRUE(out == expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Mp3Test,
    ::testing::Values(Mp3Case{"Mpeg1Stereo", 2, 44100, 128, {}, false},
                      Mp3Case{"Mpeg2Mono", 1, 22050, 32, {}, false},
                      Mp3Case{"Id3v3Tag", 2, 32000, 96, Id3v2(3, 0x10, 300), true},
                      Mp3Case{"Id3v4TagWithFooter", 1, 24000, 48, Id3v2(4, 0x10, 77), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Mp3FrameHeader, ParsesTheStandardTables) {
  struct Case {
    uint8_t bytes[4];
    int result;
    int frame_bytes;
    int samples;
    int channels;
  };
  const Case cases[] = {
      {{0xFF, 0xFB, 0x90, 0x44}, 0, 417, 1152, 2},  // MPEG-1 III 128k 44.1k
      {{0xFF, 0xFB, 0x92, 0xC4}, 0, 418, 1152, 1},  // padded, mono
      {{0xFF, 0xF3, 0x40, 0xC4}, 0, 104, 576, 1},   // MPEG-2 III 32k 22.05k
      {{0xFF, 0xFD, 0x90, 0x44}, 0, 522, 1152, 2},  // MPEG-1 II 160k 44.1k
      {{0xFF, 0xFB, 0x00, 0x44}, -1, 0, 0, 0},      // free format
      {{0xFF, 0xFB, 0xF0, 0x44}, -1, 0, 0, 0},      // bit-rate index 15
      {{0xFF, 0xFB, 0x9C, 0x44}, -1, 0, 0, 0},      // sampling index 3
      {{0xFF, 0xF9, 0x90, 0x44}, -1, 0, 0, 0},      // reserved layer
      {{0xFF, 0xE3, 0x90, 0x44}, -2, 0, 0, 0},      // no sync
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::vector<int>(c.bytes, c.bytes + 4)));
    Mp3FrameHeader header{};
    ASSERT_EQ(ParseMp3FrameHeader(c.bytes, &header), c.result);
    if (c.result != 0) continue;
    if (header.layer == 2) {
      EXPECT_EQ(header.frameBytes, 144000 * header.bitRate / header.rate + header.padding);
    } else {
      EXPECT_EQ(header.frameBytes, c.frame_bytes);
    }
    EXPECT_EQ(header.samples, c.samples);
    EXPECT_EQ(header.channels, c.channels);
  }
}

// Seeks land on the frame asked for, forwards and backwards, in every kind
// of reader; a seek of less than 16 bytes is ignored.
TEST(WaveReaderSeek, ReadsFromTheFrameSoughtInEveryKind) {
  const int rate = 22050;
  const std::vector<int16_t> samples = ChordSamples(rate, 2, rate);
  const Bytes pcm(reinterpret_cast<const uint8_t*>(samples.data()),
                  reinterpret_cast<const uint8_t*>(samples.data() + samples.size()));
  WavFormatFields fields;
  fields.rate = rate;
  struct Kind {
    const char* name;
    Bytes file;
    Bytes whole;
  };
  std::vector<Kind> kinds;
  kinds.push_back({"pcm", SimpleWav(fields, pcm), pcm});
  Bytes ogg = EncodeOgg(samples, 2, rate);
  kinds.push_back({"ogg", ogg, ReferenceOggDecode(ogg)});
  Bytes mp3 = EncodeMp3(samples, 2, rate, 64);
  kinds.push_back({"mp3", mp3, ReferenceMp3Decode(mp3, rate, 2)});
  for (Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    MemorySource source(kind.file);
    WaveReader reader;
    ASSERT_EQ(OpenWaveReader(source.get(), &reader), 0);
    std::vector<uint8_t> piece(4000);
    for (const int frame : {5000, 1200, 9000, 0, 3}) {
      ASSERT_EQ(SeekWaveReader(&reader, frame), 0);
      const int at = frame == 3 ? 0 : frame * 4;  // 12 bytes away from 0: ignored
      ASSERT_EQ(ReadWaveReader(&reader, piece.data(), 4000), 4000);
      EXPECT_TRUE(std::equal(piece.begin(), piece.end(), kind.whole.begin() + at))
          << "frame " << frame;
      if (frame == 0) {
        ASSERT_EQ(SeekWaveReader(&reader, 0), 0);  // back to 0 for the next seek
      }
    }
    CloseWaveReader(&reader);
  }
}

// ---- Damaged files ----------------------------------------------------------------

WavFormatFields Fields(uint16_t channels, uint16_t bits, uint32_t rate, uint16_t block_align,
                       uint32_t chunk_bytes = 16) {
  WavFormatFields f;
  f.channels = channels;
  f.bits = bits;
  f.rate = rate;
  f.block_align = block_align;
  f.chunk_bytes = chunk_bytes;
  return f;
}

TEST(DamagedWav, FormatsThatCannotBePlayedAreRefused) {
  const Bytes pcm = NoisePcm(800, 11);
  const WavFormatFields cases[] = {
      Fields(0, 16, 44100, 4, 18),   // no channels
      Fields(2, 16, 44100, 0xFFFF, 18),  // block align that does not match
      Fields(2, 16, 0, 4, 18),       // no rate
      Fields(2, 24, 44100, 6, 18),   // 24 bits
      Fields(3, 16, 44100, 6, 18),   // 3 channels
      Fields(2, 16, 50, 4, 18),      // a rate below what the output takes
      Fields(0, 16, 44100, 4, 16),   // 16-byte chunk: bits from block align / 0 channels
      Fields(2, 16, 44100, 3, 16),   // 16-byte chunk: 3 / 2 x 8 = 8 bits, block 3
  };
  for (const WavFormatFields& f : cases) {
    SCOPED_TRACE(::testing::Message() << f.channels << " ch " << f.bits << " bits " << f.rate
                                      << " Hz block " << f.block_align);
    Bytes out;
    WAVEFORMATEX format;
    EXPECT_FALSE(DecodeImage(SimpleWav(f, pcm), &out, &format));
  }
}

TEST(DamagedWav, SizesPastTheEndAreRefusedOrGiveWhatTheFileHolds) {
  const Bytes pcm = NoisePcm(1000, 5);
  const Bytes format_body = FormatChunkBody(WavFormatFields{});
  struct Case {
    const char* name;
    Bytes image;
    bool loads;
    size_t bytes;
  };
  std::vector<Case> cases;
  {
    Bytes chunks;
    PutChunk(&chunks, "fmt ", format_body);
    PutChunk(&chunks, "data", pcm, 0x7FFFFFF0);
    cases.push_back({"data size past the end", RiffWave(chunks), true, pcm.size()});
  }
  {
    Bytes chunks;
    PutChunk(&chunks, "fmt ", format_body);
    PutChunk(&chunks, "data", pcm, 0xFFFFFFFF);
    cases.push_back({"data size of 4 GB", RiffWave(chunks), true, pcm.size()});
  }
  {
    Bytes chunks;
    PutChunk(&chunks, "fmt ", format_body, 0xFFFFFFF0);
    PutChunk(&chunks, "data", pcm);
    cases.push_back({"format size past the end", RiffWave(chunks), false, 0});
  }
  {
    Bytes chunks;
    PutChunk(&chunks, "fmt ", Bytes(format_body.begin(), format_body.begin() + 8), 8);
    PutChunk(&chunks, "data", pcm);
    cases.push_back({"format of 8 bytes", RiffWave(chunks), false, 0});
  }
  {
    Bytes chunks;
    PutChunk(&chunks, "fmt ", format_body);
    PutChunk(&chunks, "JUNK", Bytes(4, 0), 0xFFFFFFFE);
    PutChunk(&chunks, "data", pcm);
    cases.push_back({"chunk past the end before the data", RiffWave(chunks), false, 0});
  }
  {
    Bytes chunks;
    PutChunk(&chunks, "fmt ", format_body);
    PutChunk(&chunks, "JUNK", Bytes(4, 0), 0x80000000);
    PutChunk(&chunks, "data", pcm);
    cases.push_back({"chunk size with the top bit set", RiffWave(chunks), false, 0});
  }
  {
    Bytes chunks;
    PutChunk(&chunks, "fmt ", format_body);
    cases.push_back({"no data chunk", RiffWave(chunks), false, 0});
  }
  cases.push_back({"empty file", Bytes(), false, 0});
  cases.push_back({"RIFF only", Bytes{'R', 'I', 'F', 'F'}, false, 0});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out;
    WAVEFORMATEX format;
    ASSERT_EQ(DecodeImage(c.image, &out, &format), c.loads);
    if (c.loads) {
      EXPECT_EQ(out.size(), c.bytes);
    }
  }
}

TEST(DamagedMp3, BrokenHeadersAreRefusedAndCutFramesGiveWhatTheyHold) {
  const Bytes good = EncodeMp3(ChordSamples(22050, 1, 22050), 1, 22050, 32);
  const Bytes whole = ReferenceMp3Decode(good, 22050, 1);
  struct Case {
    const char* name;
    Bytes image;
    bool loads;
  };
  std::vector<Case> cases;
  Bytes free_format = good;
  free_format[2] &= 0x0F;  // bit-rate index 0 in the first frame
  cases.push_back({"free-format first frame", free_format, false});
  cases.push_back({"sync then a reserved layer", Bytes{0, 0, 0xFF, 0xF1, 0x90, 0x44, 0, 0}, false});
  cases.push_back({"no frame at all", Bytes(3000, 0x55), false});
  Bytes tag_past_end = Id3v2(3, 0, 200000);
  tag_past_end.resize(10);
  tag_past_end.insert(tag_past_end.end(), good.begin(), good.end());
  cases.push_back({"ID3 tag past the end", tag_past_end, false});
  Bytes cut(good.begin(), good.begin() + static_cast<long>(good.size() * 2 / 3));
  cases.push_back({"cut in the middle of a frame", cut, true});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out;
    WAVEFORMATEX format;
    ASSERT_EQ(DecodeImage(c.image, &out, &format), c.loads);
    if (c.loads) {
      EXPECT_GT(out.size(), 0u);
      EXPECT_LT(out.size(), whole.size());
      EXPECT_TRUE(std::equal(out.begin(), out.end(), whole.begin()));
    }
  }
}

TEST(DamagedOgg, ACutFileGivesAPrefixOfTheWholeOrIsRefused) {
  const Bytes good = EncodeOgg(ChordSamples(44100, 2, 44100), 2, 44100);
  const Bytes whole = ReferenceOggDecode(good);
  for (const size_t keep : {size_t{30}, size_t{200}, good.size() / 3, good.size() / 2,
                            good.size() - 10}) {
    SCOPED_TRACE(keep);
    const Bytes cut(good.begin(), good.begin() + static_cast<long>(keep));
    Bytes out;
    WAVEFORMATEX format;
    if (!DecodeImage(cut, &out, &format)) continue;
    EXPECT_LE(out.size(), whole.size());
    EXPECT_TRUE(std::equal(out.begin(), out.end(), whole.begin()));
  }
}

// Damage anywhere in a file of every kind: the readers refuse it or decode
// something, and never read or write out of bounds (the sanitizer build
// checks that) or loop for ever.
TEST(DamagedFiles, BytesChangedAnywhereNeverBreakTheReaders) {
  const std::vector<int16_t> samples = ChordSamples(8000, 2, 22050);
  WavFormatFields fields;
  fields.rate = 22050;
  const Bytes pcm(reinterpret_cast<const uint8_t*>(samples.data()),
                  reinterpret_cast<const uint8_t*>(samples.data() + samples.size()));
  const Bytes files[] = {SimpleWav(fields, pcm), EncodeOgg(samples, 2, 22050),
                         EncodeMp3(samples, 2, 22050, 64)};
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (const Bytes& file : files) {
    for (int round = 0; round < 120; ++round) {
      Bytes damaged = file;
      // Early rounds hit the headers, later ones anywhere.
      const size_t span = round < 60 ? std::min<size_t>(file.size(), 200) : file.size();
      const int changes = 1 + static_cast<int>(next() % 8);
      for (int i = 0; i < changes; ++i) damaged[next() % span] = static_cast<uint8_t>(next());
      if (round % 7 == 0) damaged.resize(next() % damaged.size());
      Bytes out;
      WAVEFORMATEX format;
      if (DecodeImage(damaged, &out, &format)) {
        EXPECT_TRUE(format.nChannels == 1 || format.nChannels == 2);
        EXPECT_TRUE(format.wBitsPerSample == 8 || format.wBitsPerSample == 16);
        EXPECT_EQ(format.nBlockAlign, format.nChannels * format.wBitsPerSample / 8);
      }
    }
  }
}

TEST(WholeFiles, BuildWaveFileImageReadsBackThroughTheReaders) {
  const WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 8, 0};
  const Bytes pcm = NoisePcm(333, 9);
  void* image = nullptr;
  int32_t image_bytes = 0;
  ASSERT_EQ(BuildWaveFileImage(&image, &image_bytes, &format, 18, pcm.data(),
                               static_cast<int32_t>(pcm.size())),
            0);
  EXPECT_EQ(image_bytes, static_cast<int32_t>(18 + pcm.size() + 28));
  const Bytes file(static_cast<uint8_t*>(image), static_cast<uint8_t*>(image) + image_bytes);
  FreeTracked(image);
  Bytes out;
  WAVEFORMATEX read_format;
  ASSERT_TRUE(DecodeImage(file, &out, &read_format));
  EXPECT_EQ(out, pcm);
  EXPECT_EQ(std::memcmp(&read_format, &format, sizeof(format)), 0);
}

// ---- Inputs that once broke the readers ------------------------------------------

// A WAV whose empty data chunk has more chunks behind it: reading its zero
// bytes of sound once copied the rest of the file into a one-byte block. As a
// sound effect it is now a silent one, on the PCM road and on the MPEG road
// through the compression manager alike.
TEST(BadInput, EmptyDataChunksFollowedByMoreChunksDecodeToSilence) {
  struct Case {
    const char* file;
    WORD channels;
    WORD bits;
    DWORD rate;
  };
  for (const Case& c : {Case{"wav-empty-data-chunk.wav", 1, 16, 22050},
                        Case{"wav-mpeg-empty-data-chunk.wav", 1, 16, 22050}}) {
    SCOPED_TRACE(c.file);
    const Bytes file = ReadBadInput(c.file);
    ASSERT_FALSE(file.empty());
    Bytes pcm;
    WAVEFORMATEX format;
    ASSERT_TRUE(DecodeImage(file, &pcm, &format));
    EXPECT_TRUE(pcm.empty());
    EXPECT_EQ(format.nChannels, c.channels);
    EXPECT_EQ(format.wBitsPerSample, c.bits);
    EXPECT_EQ(format.nSamplesPerSec, c.rate);
  }
}

// A stream one of whose codebooks has code lengths that make no whole code
// tree: the system's decoder fails to make its decoding tables, and asked
// again after a seek decodes with the zeroed tables it left, dividing by a
// dimension of 0 (SIGFPE). The reader refuses the stream when it opens;
// streams the encoder writes still pass.
TEST(BadInput, AnOggSetupHeaderThatDividesByZeroIsRefusedAtOpen) {
  const Bytes file = ReadBadInput("ogg-residue-divides-by-zero-on-seek.ogg");
  ASSERT_FALSE(file.empty());
  MemorySource bad(file);
  EXPECT_EQ(CheckOggVorbisSetupHeaders(bad.get()), -1);
  WaveReader reader;
  EXPECT_EQ(OpenWaveReader(bad.get(), &reader), -1);

  for (const int channels : {1, 2}) {
    const Bytes good = EncodeOgg(ChordSamples(5000, channels, 22050), channels, 22050);
    MemorySource source(good);
    EXPECT_EQ(CheckOggVorbisSetupHeaders(source.get()), 0) << channels;
  }

  // Every link of a chained file is checked, the later ones too.
  const Bytes good = EncodeOgg(ChordSamples(5000, 2, 22050), 2, 22050);
  struct Chain {
    const char* name;
    std::vector<const Bytes*> links;
    int result;
  };
  for (const Chain& chain : {Chain{"good then good", {&good, &good}, 0},
                             Chain{"good then bad", {&good, &file}, -1},
                             Chain{"bad then good", {&file, &good}, -1}}) {
    Bytes chained;
    for (const Bytes* link : chain.links) chained.insert(chained.end(), link->begin(), link->end());
    MemorySource source(chained);
    EXPECT_EQ(CheckOggVorbisSetupHeaders(source.get()), chain.result) << chain.name;
  }
}

}  // namespace
