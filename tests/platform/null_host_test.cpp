// The null host: frames, hashes, saved frames, the close after N frames,
// recorded sound, scripted input and the desktop. Each test makes a host of
// its own (not installed) whose game thread is the test thread.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include <xxhash.h>

#include "platform/null/null_host.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own for one test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "brimal_null_host_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a temporary folder";
    path_ = pattern;
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

uint32_t Le32(const std::string& bytes, size_t at) {
  return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
         static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

// A host whose game thread is the test thread, with a 4 x 2 window.
class NullHostTest : public ::testing::Test {
 protected:
  void Start(const NullHostOptions& options = NullHostOptions{}) {
    host_ = std::make_unique<NullHost>(options);
    host_->Clock().SetGameThread();
    host_->Video().SetWindowImageSize(kWidth, kHeight);
  }

  void WriteWhole(uint32_t colour) {
    const std::vector<uint32_t> image(kWidth * kHeight, colour);
    host_->Video().WriteImage(0, 0, kWidth, kHeight, image.data(), kWidth, kHeight, kWidth);
  }

  // One frame as the game makes it: wait for the blank, then a whole write.
  void Frame(uint32_t colour) {
    host_->Clock().WaitVerticalBlank();
    WriteWhole(colour);
  }

  bool PollHasClose() {
    std::vector<HostEvent> events;
    host_->Video().PollEvents(&events);
    for (const HostEvent& event : events) {
      if (event.type == HostEventType::Close) return true;
    }
    return false;
  }

  static constexpr int kWidth = 4;
  static constexpr int kHeight = 2;
  std::unique_ptr<NullHost> host_;
};

TEST(FrameHashTest, IsXxh3OverTheRgbBytesRowByRow) {
  // "foobar" as two pixels, and the empty input.
  const uint32_t pixels[] = {0x00666F6F, 0xFF626172};  // the X byte is not hashed
  EXPECT_EQ(FrameHash(pixels, 2, 1), XXH3_64bits("foobar", 6));
  EXPECT_EQ(FrameHash(pixels, 1, 2), XXH3_64bits("foobar", 6));
  EXPECT_EQ(FrameHash(pixels, 0, 0), XXH3_64bits("", 0));
  // An image of several thousand pixels, whose bytes are packed in blocks;
  // its pixel count is not a multiple of four.
  std::vector<uint32_t> image(33 * 101);
  std::string bytes;
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<uint32_t>(i * 2654435761u);
    for (int shift : {16, 8, 0}) bytes += static_cast<char>(image[i] >> shift);
  }
  EXPECT_EQ(FrameHash(image.data(), 33, 101), XXH3_64bits(bytes.data(), bytes.size()));
  EXPECT_EQ(FrameHashText(0x85944171f73967e8ull), "85944171f73967e8");
  EXPECT_EQ(FrameHashText(0x1ull), "0000000000000001");
}

TEST_F(NullHostTest, AFrameIsTheFirstWholeWriteAfterAVerticalBlankWait) {
  NullHostOptions options;
  options.keep_frame_hashes = true;
  Start(options);
  WriteWhole(0x111111);  // the start-up pass: no wait before it
  EXPECT_EQ(host_->FrameCount(), 0);
  host_->Clock().WaitVerticalBlank();
  const uint32_t partial[] = {0x222222};
  host_->Video().WriteImage(1, 1, 1, 1, partial, 1, 1, 1);  // partial: not a frame
  EXPECT_EQ(host_->FrameCount(), 0);
  WriteWhole(0x333333);
  EXPECT_EQ(host_->FrameCount(), 1);
  WriteWhole(0x444444);  // no new wait: not a frame
  EXPECT_EQ(host_->FrameCount(), 1);
  Frame(0x555555);
  EXPECT_EQ(host_->FrameCount(), 2);

  const std::vector<uint32_t> first(kWidth * kHeight, 0x333333);
  const std::vector<uint32_t> second(kWidth * kHeight, 0x555555);
  EXPECT_EQ(host_->FrameHashes(),
            (std::vector<uint64_t>{FrameHash(first.data(), kWidth, kHeight),
                                   FrameHash(second.data(), kWidth, kHeight)}));
  std::vector<uint32_t> last;
  int width = 0, height = 0;
  ASSERT_TRUE(host_->LastFrame(&last, &width, &height));
  EXPECT_EQ(last, second);
  EXPECT_EQ(width, kWidth);
  EXPECT_EQ(height, kHeight);
}

TEST_F(NullHostTest, HashesAreKeptOnlyWhenAskedFor) {
  Start();
  Frame(0x333333);
  Frame(0x555555);
  EXPECT_EQ(host_->FrameCount(), 2);
  EXPECT_TRUE(host_->FrameHashes().empty());
}

TEST_F(NullHostTest, TheLastFrameOutlivesLaterWritesAndResizes) {
  // Whatever changes the window image after the last frame (a whole write
  // with no wait before it, a partial write, a resize), the last frame's
  // pixels stay those of the frame, and the window image shows the change.
  const std::vector<uint32_t> frame(kWidth * kHeight, 0x123456);
  struct Case {
    const char* what;
    std::function<void()> change;
    uint32_t shown_at_origin;
  };
  const uint32_t one[] = {0x777777};
  auto partial = [&] { host_->Video().WriteImage(0, 0, 1, 1, one, 1, 1, 1); };
  const Case cases[] = {
      {"whole write", [&] { WriteWhole(0x999999); }, 0x999999},
      {"partial write", partial, 0x777777},
      {"partial then whole write",
       [&] {
         partial();
         WriteWhole(0x999999);
       },
       0x999999},
      {"resize", [&] { host_->Video().SetWindowImageSize(kWidth + 1, kHeight); }, 0x123456},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    NullHostOptions options;
    options.save_frames_dir = dir.File("frames");
    Start(options);
    Frame(0x123456);
    c.change();
    std::vector<uint32_t> last;
    int width = 0, height = 0;
    ASSERT_TRUE(host_->LastFrame(&last, &width, &height));
    EXPECT_EQ(last, frame);
    EXPECT_EQ(width, kWidth);
    uint32_t shown = 0;
    host_->Video().ReadImage(0, 0, 1, 1, &shown, 1);
    EXPECT_EQ(shown, c.shown_at_origin);
    // The last frame saved at the end is the frame's picture too.
    host_->Finish();
    const std::string png = ReadFile(dir.File("frames/frame_000001.png"));
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(static_cast<uint8_t>(png[19]), kWidth);
    // A second frame after the change is the last one then.
    host_->Video().GetWindowImageSize(&width, &height);
    const std::vector<uint32_t> next(static_cast<size_t>(width) * height, 0x654321);
    host_->Clock().WaitVerticalBlank();
    host_->Video().WriteImage(0, 0, width, height, next.data(), width, height, width);
    ASSERT_TRUE(host_->LastFrame(&last, &width, &height));
    EXPECT_EQ(last, next);
  }
}

TEST_F(NullHostTest, AStatusReadThatFindsTheBlankStartsAFrameLikeAWait) {
  Start();
  host_->Clock().WaitVerticalBlank();
  WriteWhole(0x111111);
  ASSERT_EQ(host_->FrameCount(), 1);
  // A frame that took longer than a period finds the blank begun.
  host_->Clock().Sleep(20);
  ASSERT_TRUE(host_->Clock().InVerticalBlank());
  WriteWhole(0x222222);
  EXPECT_EQ(host_->FrameCount(), 2);
  // A read that finds no blank starts nothing.
  EXPECT_FALSE(host_->Clock().InVerticalBlank());
  WriteWhole(0x333333);
  EXPECT_EQ(host_->FrameCount(), 2);
}

TEST_F(NullHostTest, WritesAreScaledAndClippedToTheWindowImage) {
  Start();
  // A 2 x 1 image stretched over the whole 4 x 2 window.
  const uint32_t two[] = {0x0000FF, 0x00FF00};
  host_->Video().WriteImage(0, 0, kWidth, kHeight, two, 2, 1, 2);
  // A 1 x 1 write hanging off the right edge.
  const uint32_t one[] = {0xFF0000};
  host_->Video().WriteImage(3, 0, 2, 1, one, 1, 1, 1);
  std::vector<uint32_t> image(kWidth * kHeight, 0xDEAD);
  host_->Video().ReadImage(0, 0, kWidth, kHeight, image.data(), kWidth);
  EXPECT_EQ(image, (std::vector<uint32_t>{0x0000FF, 0x0000FF, 0x00FF00, 0xFF0000,  //
                                          0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00}));
}

TEST_F(NullHostTest, FrameHashesAndRequestedFramesAreWrittenAsFramesHappen) {
  TempDir dir;
  NullHostOptions options;
  options.frame_hashes_file = dir.File("hashes.txt");
  options.keep_frame_hashes = true;
  // The save folder does not exist yet: the host makes it.
  options.save_frames_dir = dir.File("frames");
  options.save_frame_list = {2};
  Start(options);
  Frame(0x102030);
  Frame(0x405060);
  // Written before Finish.
  const std::vector<uint64_t> hashes = host_->FrameHashes();
  EXPECT_EQ(ReadFile(options.frame_hashes_file),
            "1 " + FrameHashText(hashes[0]) + "\n2 " + FrameHashText(hashes[1]) + "\n");
  EXPECT_FALSE(fs::exists(dir.File("frames/frame_000001.png")));
  const std::string png = ReadFile(dir.File("frames/frame_000002.png"));
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(static_cast<uint8_t>(png[19]), kWidth);   // big-endian width
  EXPECT_EQ(static_cast<uint8_t>(png[23]), kHeight);  // and height
  // The last frame is kept and, with a save folder, written at the end too.
  Frame(0x708090);
  host_->Finish();
  EXPECT_TRUE(fs::exists(dir.File("frames/frame_000003.png")));
}

TEST_F(NullHostTest, CloseIsReportedOnceAtTheFirstPollAfterTheLastFrame) {
  NullHostOptions options;
  options.close_after_frame = 2;
  Start(options);
  EXPECT_FALSE(PollHasClose());
  Frame(1);
  EXPECT_FALSE(PollHasClose());
  Frame(2);
  bool elsewhere = true;
  std::thread([&] {
    std::vector<HostEvent> events;
    host_->Video().PollEvents(&events);  // only the game thread receives events
    elsewhere = !events.empty();
  }).join();
  EXPECT_FALSE(elsewhere);
  EXPECT_TRUE(PollHasClose());
  EXPECT_FALSE(PollHasClose());
}

TEST_F(NullHostTest, PostedEventsReachTheGameThreadsNextPoll) {
  Start();
  host_->PostEvent(HostEvent{HostEventType::FocusLost});
  std::vector<HostEvent> events;
  host_->Video().PollEvents(&events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, HostEventType::FocusLost);
  events.clear();
  host_->Video().PollEvents(&events);
  EXPECT_TRUE(events.empty());
}

TEST_F(NullHostTest, SoundIsPulledAndRecorded735FramesPerBlankWait) {
  TempDir dir;
  NullHostOptions options;
  options.audio_out_file = dir.File("out.wav");
  Start(options);
  host_->Clock().WaitVerticalBlank();  // not open yet: nothing pulled
  int16_t next = 0;
  std::vector<int> pull_sizes;
  ASSERT_TRUE(host_->Audio().Open([&](int16_t* frames, int count) {
    pull_sizes.push_back(count);
    for (int i = 0; i < count * 2; ++i) frames[i] = next++;
  }));
  EXPECT_EQ(host_->Audio().OutputRate(), 44100);
  for (int i = 0; i < 3; ++i) Frame(0);
  host_->Clock().Sleep(100);  // sleeping pulls nothing
  host_->Finish();
  EXPECT_EQ(pull_sizes, (std::vector<int>{735, 735, 735}));
  EXPECT_EQ(host_->AudioFramesPulled(), 3 * 735);

  const std::string wav = ReadFile(options.audio_out_file);
  const uint32_t data_bytes = 3 * 735 * 4;
  ASSERT_EQ(wav.size(), 44 + data_bytes);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32(wav, 4), 36 + data_bytes);
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le32(wav, 24), 44100u);
  EXPECT_EQ(Le32(wav, 28), 44100u * 4);
  EXPECT_EQ(Le32(wav, 32) & 0xFFFF, 4u);         // block align
  EXPECT_EQ(Le32(wav, 32) >> 16, 16u);           // bits per sample
  EXPECT_EQ(Le32(wav, 20) >> 16, 2u);            // channels
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(Le32(wav, 40), data_bytes);
  // The samples in the order they were pulled.
  EXPECT_EQ(Le32(wav, 44), 0x00010000u);
  EXPECT_EQ(Le32(wav, 44 + data_bytes - 4), static_cast<uint32_t>((3 * 735 * 2 - 1) << 16 | (3 * 735 * 2 - 2)));
}

TEST(InputScriptTest, ParsesLinesAndReportsTheFirstBadOne) {
  std::vector<InputScriptLine> lines;
  std::string error;
  ASSERT_TRUE(ParseInputScript("# title\n\n5 key=1,203 pad2=0x18\n2 pad1=1f key=\n7\n", &lines, &error));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].frame, 2);  // sorted by frame
  EXPECT_TRUE(lines[0].sets_keys);
  EXPECT_TRUE(lines[0].keys.empty());
  EXPECT_EQ(lines[0].pads[0], 0x1Fu);
  EXPECT_FALSE(lines[0].pads[1].has_value());
  EXPECT_EQ(lines[1].frame, 5);
  EXPECT_EQ(lines[1].keys, (std::vector<int>{1, 203}));
  EXPECT_EQ(lines[1].pads[1], 0x18u);
  EXPECT_FALSE(lines[2].sets_keys);

  const std::pair<const char*, const char*> bad[] = {
      {"x key=1", "line 1"},
      {"1 key=1\n2 key=256", "line 2"},
      {"1 key=a", "line 1"},
      {"1 pad5=1", "line 1"},
      {"1 pad1=zz", "line 1"},
      {"1 mouse=1", "line 1"},
      {"\n\n-1 key=1", "line 3"},
  };
  for (const auto& [text, where] : bad) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ParseInputScript(text, &lines, &error));
    EXPECT_EQ(error.rfind(where, 0), 0u) << error;
  }
}

TEST(InputScriptTest, FrameListsAreCommaSeparatedPositiveNumbers) {
  std::vector<int64_t> frames;
  EXPECT_TRUE(ParseFrameList("1,20,300", &frames));
  EXPECT_EQ(frames, (std::vector<int64_t>{1, 20, 300}));
  for (const char* bad : {"", "1,", "0", "1,,2", "a"}) {
    EXPECT_FALSE(ParseFrameList(bad, &frames)) << bad;
  }
}

TEST(InputScriptTest, PadBitsBecomeFullDeflectionAndButtons) {
  struct Case {
    uint32_t bits;
    int32_t x, y;
    uint32_t buttons;
  };
  const Case cases[] = {
      {0x0, 0, 0, 0},          {0x1, 0, 32767, 0},     {0x2, -32768, 0, 0},
      {0x4, 32767, 0, 0},      {0x8, 0, -32768, 0},    {0x6, 0, 0, 0},
      {0x9, 0, 0, 0},          {0x10, 0, 0, 0x1},      {0x10 << 7, 0, 0, 0x80},
      {0x2A | 0x40, -32768, -32768, 0x6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    const HostPadState pad = PadStateFromBits(c.bits);
    EXPECT_TRUE(pad.connected);
    EXPECT_EQ(pad.axes[0], c.x);
    EXPECT_EQ(pad.axes[1], c.y);
    EXPECT_EQ(pad.buttons, c.buttons);
    EXPECT_EQ(pad.pov, -1);
  }
}

TEST_F(NullHostTest, ScriptedInputAppliesFromTheBlankWaitThatStartsItsFrame) {
  NullHostOptions options;
  std::string error;
  ASSERT_TRUE(ParseInputScript("0 key=57\n1 key=30,44\n3 key=\n2 pad2=4\n4 pad2=0\n",
                               &options.input, &error));
  Start(options);
  EXPECT_EQ(host_->PadCount(), 2);  // pads up to the highest one named
  InputState& input = host_->Input();
  EXPECT_TRUE(input.KeyDown(57));  // frame 0: from the start
  EXPECT_TRUE(input.Pad(0).connected);
  EXPECT_EQ(input.Pad(1).axes[0], 0);

  struct Step {
    bool key_30, key_44, key_57;
    int32_t pad2_x;
  };
  // State after the wait that starts frames 1 to 5.
  const Step steps[] = {
      {true, true, false, 0},
      {true, true, false, 32767},
      {false, false, false, 32767},
      {false, false, false, 0},
      {false, false, false, 0},
  };
  int frame = 1;
  for (const Step& step : steps) {
    SCOPED_TRACE(frame);
    host_->Clock().WaitVerticalBlank();
    EXPECT_EQ(input.KeyDown(30), step.key_30);
    EXPECT_EQ(input.KeyDown(44), step.key_44);
    EXPECT_EQ(input.KeyDown(57), step.key_57);
    EXPECT_EQ(input.Pad(1).axes[0], step.pad2_x);
    // A second wait within the same frame applies nothing new.
    host_->Clock().WaitVerticalBlank();
    EXPECT_EQ(input.KeyDown(30), step.key_30);
    WriteWhole(0);
    ++frame;
  }
}

TEST_F(NullHostTest, WithoutPadsInTheScriptThereAreNone) {
  NullHostOptions options;
  std::string error;
  ASSERT_TRUE(ParseInputScript("1 key=1\n", &options.input, &error));
  Start(options);
  EXPECT_EQ(host_->PadCount(), 0);
  EXPECT_FALSE(host_->Input().Pad(0).connected);
}

TEST_F(NullHostTest, DesktopAnswersAndTitleFollowTheOptions) {
  struct Case {
    int depth;
    bool answer_yes;
  };
  for (const Case& c : {Case{32, false}, Case{16, true}}) {
    NullHostOptions options;
    options.desktop_depth = c.depth;
    options.answer_yes = c.answer_yes;
    Start(options);
    int width = 0, height = 0, depth = 0;
    host_->Video().GetDesktopMode(&width, &height, &depth);
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1080);
    EXPECT_EQ(depth, c.depth);
    EXPECT_EQ(host_->Video().AskYesNo("caption", "question?"), c.answer_yes);
  }
  host_->Video().SetTitle("タイトル");
  EXPECT_EQ(host_->Title(), "タイトル");
  host_->Video().SetFullScreen(true);
  EXPECT_TRUE(host_->FullScreen());
}

TEST(NullHostOptionsTest, BadOptionsAndUnwritableOutputsAreRefused) {
  NullHostOptions depth;
  depth.desktop_depth = 24;
  EXPECT_THROW(NullHost{depth}, std::runtime_error);
  NullHostOptions hashes;
  hashes.frame_hashes_file = "/nonexistent-folder/hashes.txt";
  EXPECT_THROW(NullHost{hashes}, std::runtime_error);
  NullHostOptions audio;
  audio.audio_out_file = "/nonexistent-folder/out.wav";
  EXPECT_THROW(NullHost{audio}, std::runtime_error);
}

TEST(NullHostOptionsTest, SameInputSameFrames) {
  // Two runs of the same frame sequence give the same hashes, even where the
  // picture depends on the clock; a different clock start changes them.
  auto run = [](uint64_t clock_start) {
    NullHostOptions options;
    options.clock_start_ms = clock_start;
    options.keep_frame_hashes = true;
    NullHost host(options);
    host.Clock().SetGameThread();
    host.Video().SetWindowImageSize(3, 3);
    for (uint32_t i = 0; i < 5; ++i) {
      host.Clock().WaitVerticalBlank();
      std::vector<uint32_t> image(9);
      for (uint32_t p = 0; p < 9; ++p) image[p] = (static_cast<uint32_t>(host.Clock().Microseconds()) * 7 + p) & 0xFFFFFF;
      host.Video().WriteImage(0, 0, 3, 3, image.data(), 3, 3, 3);
    }
    return host.FrameHashes();
  };
  EXPECT_EQ(run(1234), run(1234));
  EXPECT_NE(run(1234), run(5678));
}

}  // namespace
