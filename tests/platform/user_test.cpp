// MessageBoxA over the host: the text reaches the host as UTF-8 and the
// answer comes back as the box's result.
#include <gtest/gtest.h>

#include "platform/win32/user.h"
#include "tests/platform/test_support.h"

namespace {

// The start-up question and its caption, in code page 932.
const char kQuestion[] =
    "\x83\x74\x83\x8b\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x82\xc5\x8b\x4e\x93\xae\x82\xb5"
    "\x82\xdc\x82\xb7\x82\xa9\x81\x48\n";
const char kCaption[] = "\x83\x75\x83\x8a\x83\x7d\x83\x8b";
constexpr UINT kStartupStyle = 36;  // MB_YESNO | MB_ICONQUESTION

TEST(MessageBoxTest, NullHostAnswersNoUnlessToldYes) {
  EXPECT_EQ(MessageBoxA(nullptr, kQuestion, kCaption, kStartupStyle), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "done", "note", MB_OK | MB_ICONERROR), IDOK);
  NullHostOptions options;
  options.answer_yes = true;
  ScopedHost yes(std::make_unique<NullHost>(options));
  EXPECT_EQ(MessageBoxA(nullptr, kQuestion, kCaption, kStartupStyle), IDYES);
}

// A host that records the boxes it is asked to show.
class RecordingVideo : public VideoHost {
 public:
  void SetWindowImageSize(int, int) override {}
  void GetWindowImageSize(int* w, int* h) const override { *w = *h = 0; }
  void WritePixels(int, int, int, int, const HostPixels&) override {}
  void ReadImage(int, int, int, int, uint32_t*, int) const override {}
  void SetTitle(const std::string&) override {}
  void SetIcon(int, int, const uint32_t*) override {}
  void SetFullScreen(bool) override {}
  void PollEvents(std::vector<HostEvent>*) override {}
  bool AskYesNo(const std::string& caption, const std::string& text) override {
    boxes.push_back("ask " + caption + ": " + text);
    return answer;
  }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    boxes.push_back("show " + caption + ": " + text);
  }
  void GetDesktopMode(int*, int*, int*) const override {}

  bool answer = false;
  std::vector<std::string> boxes;
};

class RecordingHost : public NullHost {
 public:
  RecordingHost() : NullHost(NullHostOptions{}) {}
  VideoHost& Video() override { return video; }
  RecordingVideo video;
};

TEST(MessageBoxTest, TextAndCaptionReachTheHostAsUtf8) {
  auto owned = std::make_unique<RecordingHost>();
  RecordingHost* host = owned.get();
  ScopedHost scope(std::move(owned));
  struct Case {
    UINT style;
    bool answer;
    int result;
    std::string box;
  };
  const Case cases[] = {
      {kStartupStyle, false, IDNO, std::string("ask ") + "ブリマル: フルスクリーンで起動しますか？\n"},
      {kStartupStyle, true, IDYES, std::string("ask ") + "ブリマル: フルスクリーンで起動しますか？\n"},
      {MB_YESNO, true, IDYES, std::string("ask ") + "ブリマル: フルスクリーンで起動しますか？\n"},
      {MB_OK, true, IDOK, std::string("show ") + "ブリマル: フルスクリーンで起動しますか？\n"},
      {MB_OK | MB_ICONERROR, false, IDOK, std::string("show ") + "ブリマル: フルスクリーンで起動しますか？\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    host->video.boxes.clear();
    host->video.answer = c.answer;
    EXPECT_EQ(MessageBoxA(nullptr, kQuestion, kCaption, c.style), c.result);
    EXPECT_EQ(host->video.boxes, std::vector<std::string>{c.box});
  }
}

TEST(MessageBoxDeathTest, StylesThatAreNotEmulatedFailLoudly) {
  for (UINT style : {1u /* OK and Cancel */, 3u /* Yes, No and Cancel */, 0x1004u /* system modal */}) {
    SCOPED_TRACE(style);
    EXPECT_DEATH(MessageBoxA(nullptr, "text", "caption", style), "only MB_OK and MB_YESNO");
  }
}

}  // namespace
