// The movie decoder where FFmpeg cannot be loaded: this program builds the
// decoder with a library name that no system has and links no FFmpeg of its
// own. No movie opens, and one line on the standard error says why, the
// first time only (the runtime sees only a stream it cannot play).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/movie_decoder_ffmpeg.h"

namespace {

TEST(MovieWithoutFfmpeg, NoMovieOpensAndOneLineSaysWhy) {
  const auto bytes = std::make_shared<const std::vector<uint8_t>>(4096, uint8_t{0});
  testing::internal::CaptureStderr();
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(MovieDecoder::Open([bytes] { return MakeMemoryMovieSource(bytes); }), nullptr);
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("brimal: movies are not played: FFmpeg cannot be loaded: "), std::string::npos)
      << said;
  EXPECT_NE(said.find(BRIMAL_MISSING_FFMPEG), std::string::npos) << said;
}

}  // namespace
