// Our software renderer against pixman, doing the same work on the same
// images: a 32 x 32 sprite with a transparent colour (ours through the run
// code, and through the per-pixel test; pixman as an opaque source through a
// one-bit mask), a 640 x 480 opaque copy, a 640 x 480 alpha blend at
// parameter 128 (pixman: OVER through a solid mask of 128), a 320 x 240
// image stretched to 640 x 480 (pixman: a copy through a 1/2 scale transform
// with the nearest filter, which shows the same source pixels) and to
// 480 x 360 (a scale that is not a whole number; pixman: a 2/3 scale), and a
// 640 x 480 fill with one colour, onto 16-bit 5-6-5 and 32-bit targets. At
// the end it prints, for each case, our time divided by pixman's (with
// --benchmark_repetitions, the fastest repetitions').
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/mem_image.h"
#include "runtime/softrender/blend_tables.h"
#include "runtime/softrender/blit.h"
#include "runtime/softrender/box_fill.h"
#include "runtime/softrender/stretch_blit.h"

namespace {

constexpr int kScreenW = 640;
constexpr int kScreenH = 480;
constexpr int kSprite = 32;

uint32_t Noise(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

// One target depth: our images and pixman's over the same pixel blocks.
struct Target {
  int kind;  // 0: 16-bit 5-6-5, 1: 32-bit
  MEMIMG screen{};
  MEMIMG picture{};  // a 640 x 480 source
  MEMIMG small{};    // a 320 x 240 source, stretched to the screen
  MEMIMG sprite{};   // 32 x 32, its corners transparent, with a run code
  std::vector<uint8_t> sprite_mask;  // one bit per pixel for pixman, rows of 4 bytes
  pixman_image_t* p_screen = nullptr;
  pixman_image_t* p_picture = nullptr;
  pixman_image_t* p_sprite = nullptr;
  pixman_image_t* p_sprite_mask = nullptr;
  pixman_image_t* p_half = nullptr;  // solid mask of alpha 128
  pixman_image_t* p_small = nullptr;  // read through a 1/2 scale, nearest filter
  pixman_image_t* p_small_2_3 = nullptr;  // the same pixels through a 2/3 scale

  explicit Target(int k) : kind(k) {
    const pixman_format_code_t format = kind == 0 ? PIXMAN_r5g6b5 : PIXMAN_x8r8g8b8;
    const int bytes = kind == 0 ? 2 : 4;
    InitMemImage(&screen, kScreenW, kScreenH, -1, 0, kind, 0, 0, 0);
    InitMemImage(&picture, kScreenW, kScreenH, -1, 0, kind, 0, 0, 0);
    InitMemImage(&small, kScreenW / 2, kScreenH / 2, -1, 0, kind, 0, 0, 0);
    const uint32_t key = kind == 0 ? 0x03AFu : 0x00007575u;
    InitMemImage(&sprite, kSprite, kSprite, -1, key, kind, 0, 0, 1);
    uint32_t state = 12345;
    for (MEMIMG* image : {&screen, &picture, &small}) {
      for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
          const uint32_t v = Noise(state);
          std::memcpy(image->pixels + y * image->pitch + x * bytes, &v, bytes);
        }
      }
    }
    sprite_mask.assign(4 * kSprite, 0);
    for (int y = 0; y < kSprite; ++y) {
      for (int x = 0; x < kSprite; ++x) {
        const int dx = 2 * x - kSprite + 1, dy = 2 * y - kSprite + 1;
        const bool inside = dx * dx + dy * dy <= kSprite * kSprite;
        uint32_t v = inside ? (Noise(state) & (kind == 0 ? 0xFFFFu : 0xFFFFFFu)) : key;
        if (inside && v == key) v ^= 1;
        std::memcpy(sprite.pixels + y * sprite.pitch + x * bytes, &v, bytes);
        if (inside) sprite_mask[4 * y + x / 8] |= static_cast<uint8_t>(1u << (x % 8));
      }
    }
    BuildMemImageRunTable(&sprite);
    p_screen = pixman_image_create_bits(format, kScreenW, kScreenH,
                                        reinterpret_cast<uint32_t*>(screen.pixels), screen.pitch);
    p_picture = pixman_image_create_bits(format, kScreenW, kScreenH,
                                         reinterpret_cast<uint32_t*>(picture.pixels),
                                         picture.pitch);
    p_sprite = pixman_image_create_bits(format, kSprite, kSprite,
                                        reinterpret_cast<uint32_t*>(sprite.pixels), sprite.pitch);
    p_sprite_mask = pixman_image_create_bits(
        PIXMAN_a1, kSprite, kSprite, reinterpret_cast<uint32_t*>(sprite_mask.data()), 4);
    const pixman_color_t half = {0, 0, 0, 0x8080};
    p_half = pixman_image_create_solid_fill(&half);
    p_small = pixman_image_create_bits(format, kScreenW / 2, kScreenH / 2,
                                       reinterpret_cast<uint32_t*>(small.pixels), small.pitch);
    pixman_transform_t half_scale;
    pixman_transform_init_scale(&half_scale, pixman_double_to_fixed(0.5),
                                pixman_double_to_fixed(0.5));
    pixman_image_set_transform(p_small, &half_scale);
    pixman_image_set_filter(p_small, PIXMAN_FILTER_NEAREST, nullptr, 0);
    p_small_2_3 = pixman_image_create_bits(format, kScreenW / 2, kScreenH / 2,
                                           reinterpret_cast<uint32_t*>(small.pixels), small.pitch);
    pixman_transform_t two_thirds;
    pixman_transform_init_scale(&two_thirds, pixman_double_to_fixed(2.0 / 3.0),
                                pixman_double_to_fixed(2.0 / 3.0));
    pixman_image_set_transform(p_small_2_3, &two_thirds);
    pixman_image_set_filter(p_small_2_3, PIXMAN_FILTER_NEAREST, nullptr, 0);
  }
  ~Target() {
    for (pixman_image_t* image :
         {p_screen, p_picture, p_sprite, p_sprite_mask, p_half, p_small, p_small_2_3}) {
      pixman_image_unref(image);
    }
    ReleaseMemImage(&screen);
    ReleaseMemImage(&picture);
    ReleaseMemImage(&small);
    ReleaseMemImage(&sprite);
  }
};

Target& TargetOf(int kind) {
  static Target sixteen(0);
  static Target thirty_two(1);
  return kind == 0 ? sixteen : thirty_two;
}

void Settings(int mode, int param) {
  BlendMode = mode;
  BlendParam = param;
  DrawBrightness = 0xFFFFFF;
  DrawArea = {0, 0, kScreenW, kScreenH};
  Screen.MmxBlitsEnabled = 1;
}

// Sprites are drawn at 100 positions over the screen per iteration.
template <class Draw>
void Sprites(benchmark::State& state, Draw draw) {
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) draw((i * 53) % (kScreenW - kSprite), (i * 37) % (kScreenH - kSprite));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 100 * kSprite * kSprite);
}

void OursSprite(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  const int transparent = static_cast<int>(state.range(1));  // 1: run code, 2: per-pixel test
  Settings(0, 0);
  Sprites(state, [&](int x, int y) { BlitMemImage(&t.screen, &t.sprite, x, y, transparent, nullptr); });
}
void PixmanSprite(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  Sprites(state, [&](int x, int y) {
    pixman_image_composite32(PIXMAN_OP_OVER, t.p_sprite, t.p_sprite_mask, t.p_screen, 0, 0, 0, 0,
                             x, y, kSprite, kSprite);
  });
}

void OursFull(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  const int mode = static_cast<int>(state.range(1));
  Settings(mode, mode == 0 ? 0 : 128);
  for (auto _ : state) {
    BlitMemImage(&t.screen, &t.picture, 0, 0, 0, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}
void PixmanFull(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  const bool blend = state.range(1) != 0;
  for (auto _ : state) {
    if (blend) {
      pixman_image_composite32(PIXMAN_OP_OVER, t.p_picture, t.p_half, t.p_screen, 0, 0, 0, 0, 0,
                               0, kScreenW, kScreenH);
    } else {
      pixman_image_composite32(PIXMAN_OP_SRC, t.p_picture, nullptr, t.p_screen, 0, 0, 0, 0, 0,
                               0, kScreenW, kScreenH);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}

// range(1): the destination's width in quarters of the source's (8: twice,
// 6: one and a half times).
void OursStretch(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  Settings(0, 0);
  const int32_t w = kScreenW / 2 * static_cast<int32_t>(state.range(1)) / 4;
  const int32_t h = kScreenH / 2 * static_cast<int32_t>(state.range(1)) / 4;
  const int32_t corners[4] = {0, 0, w, h};
  for (auto _ : state) {
    StretchBlitMemImage(&t.screen, &t.small, corners, 0, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}
void PixmanStretch(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  const bool twice = state.range(1) == 8;
  const int32_t w = kScreenW / 2 * static_cast<int32_t>(state.range(1)) / 4;
  const int32_t h = kScreenH / 2 * static_cast<int32_t>(state.range(1)) / 4;
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, twice ? t.p_small : t.p_small_2_3, nullptr,
                             t.p_screen, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}

void OursFill(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  Settings(0, 0);
  const uint32_t color = t.kind == 0 ? 0x8410u : 0x00808080u;
  for (auto _ : state) {
    FillMemImageBox(&t.screen, nullptr, color);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}
void PixmanFill(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  const pixman_color_t grey = {0x8080, 0x8080, 0x8080, 0xFFFF};
  const pixman_rectangle16_t whole = {0, 0, kScreenW, kScreenH};
  for (auto _ : state) {
    pixman_image_fill_rectangles(PIXMAN_OP_SRC, t.p_screen, &grey, 1, &whole);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}

// Registered by hand so each case reads "<depth>/<case>/<ours|pixman>".
void Register() {
  for (int kind : {0, 1}) {
    const std::string depth = kind == 0 ? "16bit" : "32bit";
    benchmark::RegisterBenchmark((depth + "/sprite32_key/ours_runcode").c_str(), OursSprite)
        ->Args({kind, 1});
    benchmark::RegisterBenchmark((depth + "/sprite32_key/ours_pixeltest").c_str(), OursSprite)
        ->Args({kind, 2});
    benchmark::RegisterBenchmark((depth + "/sprite32_key/pixman").c_str(), PixmanSprite)
        ->Args({kind});
    benchmark::RegisterBenchmark((depth + "/copy640x480/ours").c_str(), OursFull)->Args({kind, 0});
    benchmark::RegisterBenchmark((depth + "/copy640x480/pixman").c_str(), PixmanFull)
        ->Args({kind, 0});
    benchmark::RegisterBenchmark((depth + "/blend128_640x480/ours").c_str(), OursFull)
        ->Args({kind, 1});
    benchmark::RegisterBenchmark((depth + "/blend128_640x480/pixman").c_str(), PixmanFull)
        ->Args({kind, 1});
    for (const auto& [name, quarters] : {std::pair{"stretch2x_320x240", 8},
                                         std::pair{"stretch1.5x_320x240", 6}}) {
      benchmark::RegisterBenchmark((depth + "/" + name + "/ours").c_str(), OursStretch)
          ->Args({kind, quarters});
      benchmark::RegisterBenchmark((depth + "/" + name + "/pixman").c_str(), PixmanStretch)
          ->Args({kind, quarters});
    }
    benchmark::RegisterBenchmark((depth + "/fill640x480/ours").c_str(), OursFill)->Args({kind});
    benchmark::RegisterBenchmark((depth + "/fill640x480/pixman").c_str(), PixmanFill)
        ->Args({kind});
  }
}

// Prints as usual and keeps each case's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find("/real_time"));
      const size_t args = name.find("/", name.find("/", name.find("/") + 1) + 1);
      if (args != std::string::npos) name = name.substr(0, args);
      // With repetitions, each case's fastest one: a loaded machine only
      // ever adds time.
      const double time = run.GetAdjustedRealTime();
      const auto [it, added] = times_.try_emplace(name, time);
      if (!added && time < it->second) it->second = time;
    }
  }
  void PrintRatios() const {
    std::printf("\nOur time / pixman's time (below 1: ours is faster)\n");
    for (const auto& [name, pixman_time] : times_) {
      const size_t cut = name.rfind("/pixman");
      if (cut == std::string::npos || cut + 7 != name.size()) continue;
      const std::string stem = name.substr(0, cut);
      for (const auto& [other, ours_time] : times_) {
        if (other.rfind(stem + "/ours", 0) != 0) continue;
        std::printf("  %-36s %6.3f\n", other.c_str(), ours_time / pixman_time);
      }
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
  BuildSoftwareRenderTables();
  Register();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
