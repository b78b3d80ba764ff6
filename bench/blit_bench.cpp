// Our software renderer against pixman and SDL 2's software blits, doing
// the same work on the same images: a 32 x 32 sprite with a transparent
// colour (ours through the run code, and through the per-pixel test; pixman
// as an opaque source through a one-bit mask; SDL with its colour key, plain
// and run-length encoded), the same sprite at blend 128 (pixman through an
// 8-bit mask of 128 inside the sprite; SDL with an alpha modulation of 128),
// a 640 x 480 opaque copy, a 640 x 480 alpha blend at parameter 128 (pixman:
// OVER through a solid mask of 128; SDL: an alpha modulation of 128), a
// 320 x 240 image stretched to 640 x 480 (pixman: a copy through a 1/2 scale
// transform with the nearest filter, which shows the same source pixels; SDL:
// its nearest-pixel scaled blit) and to 480 x 360 (a scale that is not a
// whole number; pixman: a 2/3 scale), and a 640 x 480 fill with one colour,
// onto 16-bit 5-6-5 and 32-bit targets. At the end it prints, for each case,
// our time divided by pixman's and by SDL's fastest path (with
// --benchmark_repetitions, the fastest repetitions'; CPU time), and the cost per pixel
// of the keyed sprite at blend 128 against the full-screen blend.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstdlib>
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
  std::vector<uint8_t> sprite_half_mask;  // 128 inside the sprite, 0 outside, rows of 32 bytes
  pixman_image_t* p_screen = nullptr;
  pixman_image_t* p_picture = nullptr;
  pixman_image_t* p_sprite = nullptr;
  pixman_image_t* p_sprite_mask = nullptr;
  pixman_image_t* p_half = nullptr;  // solid mask of alpha 128
  pixman_image_t* p_small = nullptr;  // read through a 1/2 scale, nearest filter
  pixman_image_t* p_small_2_3 = nullptr;  // the same pixels through a 2/3 scale
  pixman_image_t* p_sprite_half_mask = nullptr;
  // SDL surfaces over the same pixel blocks.
  SDL_Surface* s_screen = nullptr;
  SDL_Surface* s_picture = nullptr;        // blend mode none
  SDL_Surface* s_picture_half = nullptr;   // alpha modulation 128
  SDL_Surface* s_small = nullptr;
  SDL_Surface* s_sprite = nullptr;         // colour key
  SDL_Surface* s_sprite_rle = nullptr;     // colour key, run-length encoded
  SDL_Surface* s_sprite_half = nullptr;    // colour key, alpha modulation 128
  SDL_Surface* s_sprite_half_rle = nullptr;

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
    sprite_half_mask.assign(kSprite * kSprite, 0);
    for (int y = 0; y < kSprite; ++y) {
      for (int x = 0; x < kSprite; ++x) {
        const int dx = 2 * x - kSprite + 1, dy = 2 * y - kSprite + 1;
        const bool inside = dx * dx + dy * dy <= kSprite * kSprite;
        uint32_t v = inside ? (Noise(state) & (kind == 0 ? 0xFFFFu : 0xFFFFFFu)) : key;
        if (inside && v == key) v ^= 1;
        std::memcpy(sprite.pixels + y * sprite.pitch + x * bytes, &v, bytes);
        if (inside) sprite_mask[4 * y + x / 8] |= static_cast<uint8_t>(1u << (x % 8));
        if (inside) sprite_half_mask[kSprite * y + x] = 128;
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
    p_sprite_half_mask = pixman_image_create_bits(
        PIXMAN_a8, kSprite, kSprite, reinterpret_cast<uint32_t*>(sprite_half_mask.data()),
        kSprite);

    auto surface = [&](MEMIMG& image) {
      SDL_Surface* made = SDL_CreateRGBSurfaceWithFormatFrom(
          image.pixels, image.width, image.height, kind == 0 ? 16 : 32, image.pitch,
          kind == 0 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888);
      if (made == nullptr) {
        std::fprintf(stderr, "SDL surface: %s\n", SDL_GetError());
        std::exit(1);
      }
      SDL_SetSurfaceBlendMode(made, SDL_BLENDMODE_NONE);
      return made;
    };
    s_screen = surface(screen);
    s_picture = surface(picture);
    s_picture_half = surface(picture);
    SDL_SetSurfaceBlendMode(s_picture_half, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceAlphaMod(s_picture_half, 128);
    s_small = surface(small);
    s_sprite = surface(sprite);
    s_sprite_rle = surface(sprite);
    s_sprite_half = surface(sprite);
    s_sprite_half_rle = surface(sprite);
    for (SDL_Surface* keyed : {s_sprite, s_sprite_rle, s_sprite_half, s_sprite_half_rle}) {
      SDL_SetColorKey(keyed, SDL_TRUE, key);
    }
    for (SDL_Surface* half : {s_sprite_half, s_sprite_half_rle}) {
      SDL_SetSurfaceBlendMode(half, SDL_BLENDMODE_BLEND);
      SDL_SetSurfaceAlphaMod(half, 128);
    }
    SDL_SetSurfaceRLE(s_sprite_rle, 1);
    SDL_SetSurfaceRLE(s_sprite_half_rle, 1);
  }
  ~Target() {
    for (pixman_image_t* image : {p_screen, p_picture, p_sprite, p_sprite_mask, p_half, p_small,
                                  p_small_2_3, p_sprite_half_mask}) {
      pixman_image_unref(image);
    }
    for (SDL_Surface* made : {s_screen, s_picture, s_picture_half, s_small, s_sprite,
                              s_sprite_rle, s_sprite_half, s_sprite_half_rle}) {
      SDL_FreeSurface(made);
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

// range(1): 1 through the run code, 2 through the per-pixel test;
// range(2): the blend parameter (0: none, else mode 1 at that parameter).
void OursSprite(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  const int transparent = static_cast<int>(state.range(1));
  const int param = static_cast<int>(state.range(2));
  Settings(param == 0 ? 0 : 1, param);
  Sprites(state, [&](int x, int y) { BlitMemImage(&t.screen, &t.sprite, x, y, transparent, nullptr); });
}
// range(1): 0 opaque through the one-bit mask, 1 through the mask of 128.
void PixmanSprite(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  pixman_image_t* mask = state.range(1) != 0 ? t.p_sprite_half_mask : t.p_sprite_mask;
  Sprites(state, [&](int x, int y) {
    pixman_image_composite32(PIXMAN_OP_OVER, t.p_sprite, mask, t.p_screen, 0, 0, 0, 0, x, y,
                             kSprite, kSprite);
  });
}
// range(1): 0 keyed, 1 keyed and run-length encoded, 2 keyed at alpha 128,
// 3 keyed at alpha 128 and run-length encoded.
void SdlSprite(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  SDL_Surface* const kSurfaces[] = {t.s_sprite, t.s_sprite_rle, t.s_sprite_half,
                                    t.s_sprite_half_rle};
  SDL_Surface* sprite = kSurfaces[state.range(1)];
  Sprites(state, [&](int x, int y) {
    SDL_Rect at = {x, y, kSprite, kSprite};
    SDL_BlitSurface(sprite, nullptr, t.s_screen, &at);
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
void SdlFull(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  SDL_Surface* source = state.range(1) != 0 ? t.s_picture_half : t.s_picture;
  for (auto _ : state) {
    SDL_Rect at = {0, 0, kScreenW, kScreenH};
    SDL_BlitSurface(source, nullptr, t.s_screen, &at);
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
void SdlStretch(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  const int32_t w = kScreenW / 2 * static_cast<int32_t>(state.range(1)) / 4;
  const int32_t h = kScreenH / 2 * static_cast<int32_t>(state.range(1)) / 4;
  for (auto _ : state) {
    SDL_Rect at = {0, 0, w, h};
    SDL_BlitScaled(t.s_small, nullptr, t.s_screen, &at);
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
void SdlFill(benchmark::State& state) {
  Target& t = TargetOf(static_cast<int>(state.range(0)));
  const uint32_t color = t.kind == 0 ? 0x8410u : 0x00808080u;
  for (auto _ : state) {
    SDL_FillRect(t.s_screen, nullptr, color);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}

// Pixels drawn per iteration, by case ("<depth>/<case>").
std::map<std::string, double>& PixelsPerIteration() {
  static std::map<std::string, double> pixels;
  return pixels;
}

// Registered by hand so each case reads "<depth>/<case>/<ours|pixman|sdl>".
void Register() {
  auto add = [](const std::string& name, void (*fn)(benchmark::State&),
                const std::vector<int64_t>& args, double pixels) {
    benchmark::RegisterBenchmark(name.c_str(), fn)->Args(args);
    PixelsPerIteration()[name.substr(0, name.rfind('/'))] = pixels;
  };
  const double sprites = 100.0 * kSprite * kSprite;
  const double screen = double{kScreenW} * kScreenH;
  for (int kind : {0, 1}) {
    const std::string depth = kind == 0 ? "16bit" : "32bit";
    add(depth + "/sprite32_key/ours_runcode", OursSprite, {kind, 1, 0}, sprites);
    add(depth + "/sprite32_key/ours_pixeltest", OursSprite, {kind, 2, 0}, sprites);
    add(depth + "/sprite32_key/pixman", PixmanSprite, {kind, 0}, sprites);
    add(depth + "/sprite32_key/sdl", SdlSprite, {kind, 0}, sprites);
    add(depth + "/sprite32_key/sdl_rle", SdlSprite, {kind, 1}, sprites);
    add(depth + "/sprite32_key_blend128/ours_runcode", OursSprite, {kind, 1, 128}, sprites);
    add(depth + "/sprite32_key_blend128/ours_pixeltest", OursSprite, {kind, 2, 128}, sprites);
    add(depth + "/sprite32_key_blend128/pixman", PixmanSprite, {kind, 1}, sprites);
    add(depth + "/sprite32_key_blend128/sdl", SdlSprite, {kind, 2}, sprites);
    add(depth + "/sprite32_key_blend128/sdl_rle", SdlSprite, {kind, 3}, sprites);
    add(depth + "/copy640x480/ours", OursFull, {kind, 0}, screen);
    add(depth + "/copy640x480/pixman", PixmanFull, {kind, 0}, screen);
    add(depth + "/copy640x480/sdl", SdlFull, {kind, 0}, screen);
    add(depth + "/blend128_640x480/ours", OursFull, {kind, 1}, screen);
    add(depth + "/blend128_640x480/pixman", PixmanFull, {kind, 1}, screen);
    add(depth + "/blend128_640x480/sdl", SdlFull, {kind, 1}, screen);
    for (const auto& [name, quarters] : {std::pair{"stretch2x_320x240", 8},
                                         std::pair{"stretch1.5x_320x240", 6}}) {
      const double drawn = screen * quarters * quarters / 64;
      add(depth + "/" + name + "/ours", OursStretch, {kind, quarters}, drawn);
      add(depth + "/" + name + "/pixman", PixmanStretch, {kind, quarters}, drawn);
      add(depth + "/" + name + "/sdl", SdlStretch, {kind, quarters}, drawn);
    }
    add(depth + "/fill640x480/ours", OursFill, {kind}, screen);
    add(depth + "/fill640x480/pixman", PixmanFill, {kind}, screen);
    add(depth + "/fill640x480/sdl", SdlFill, {kind}, screen);
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
      // The CPU time: on a shared machine with more runnable threads than
      // cores the wall time counts the waits for a core. With repetitions,
      // each case's fastest one: a loaded machine only ever adds time.
      const double time = run.GetAdjustedCPUTime();
      const auto [it, added] = times_.try_emplace(name, time);
      if (!added && time < it->second) it->second = time;
    }
  }
  // The fastest time of the cases "<stem>/<prefix>*", 0 when there is none.
  double Fastest(const std::string& stem, const std::string& prefix) const {
    double best = 0;
    for (const auto& [name, time] : times_) {
      if (name.rfind(stem + "/" + prefix, 0) != 0) continue;
      if (best == 0 || time < best) best = time;
    }
    return best;
  }
  void PrintRatios() const {
    std::printf(
        "\nOur time / pixman's and / SDL's fastest path (below 1: ours is faster; sprite goal "
        "at most 0.8 of SDL's)\n");
    std::printf("  %-46s %7s %7s\n", "case", "pixman", "SDL");
    for (const auto& [name, ours_time] : times_) {
      const size_t cut = name.rfind("/ours");
      if (cut == std::string::npos) continue;
      const std::string stem = name.substr(0, cut);
      const double pixman_time = Fastest(stem, "pixman");
      const double sdl_time = Fastest(stem, "sdl");
      std::printf("  %-46s %7.3f %7.3f\n", name.c_str(),
                  pixman_time > 0 ? ours_time / pixman_time : 0.0,
                  sdl_time > 0 ? ours_time / sdl_time : 0.0);
    }
    std::printf(
        "\nKeyed sprite at blend 128: time per pixel against the full-screen blend's "
        "(goal at most 2)\n");
    for (const char* depth : {"16bit", "32bit"}) {
      const std::string full = std::string(depth) + "/blend128_640x480";
      const double full_time = Fastest(full, "ours");
      if (full_time == 0) continue;
      const double full_pixel = full_time / PixelsPerIteration()[full];
      for (const char* road : {"ours_runcode", "ours_pixeltest"}) {
        const std::string sprite = std::string(depth) + "/sprite32_key_blend128";
        const double time = Fastest(sprite, road);
        if (time == 0) continue;
        const double pixel = time / PixelsPerIteration()[sprite];
        std::printf("  %s/%-40s %6.3f ns / %6.3f ns = %6.2f\n", sprite.c_str(), road,
                    pixel, full_pixel, pixel / full_pixel);
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
