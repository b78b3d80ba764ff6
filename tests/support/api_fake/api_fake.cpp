#include "tests/support/api_fake/api_fake.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/win32/user.h"
#include "runtime/system/api.h"

ApiFake& api_fake() {
  static ApiFake fake;
  return fake;
}

std::vector<ApiCall> ApiFake::Calls(const std::string& name) const {
  std::vector<ApiCall> out;
  for (const ApiCall& c : calls)
    if (c.name == name) out.push_back(c);
  return out;
}

std::vector<ApiCall> ApiFake::CallsInFrame(int frame_number) const {
  std::vector<ApiCall> out;
  for (const ApiCall& c : calls)
    if (c.frame == frame_number) out.push_back(c);
  return out;
}

int ApiFake::Count(const std::string& name) const {
  int n = 0;
  for (const ApiCall& c : calls) n += c.name == name;
  return n;
}

std::vector<std::string> ApiFake::Names() const {
  std::vector<std::string> out;
  for (const ApiCall& c : calls) out.push_back(c.name);
  return out;
}

void ApiFake::Reset() { *this = ApiFake(); }

int32_t ApiFake::Record(const char* name, std::vector<int64_t> args,
                        std::vector<std::string> texts) {
  calls.push_back(ApiCall{name, std::move(args), std::move(texts), frame});
  return 0;
}

intptr_t ApiFake::OpenFile(const std::string& path) {
  auto it = files.find(path);
  if (it == files.end()) return 0;
  open_files_.push_back(OpenFileState{it->second, 0, true});
  return static_cast<intptr_t>(open_files_.size());
}

bool ApiFake::CloseFile(intptr_t file) {
  if (file < 1 || file > static_cast<intptr_t>(open_files_.size())) return false;
  OpenFileState& f = open_files_[file - 1];
  if (!f.open) return false;
  f.open = false;
  return true;
}

// The line rule of the real entry: a line ends at CR LF (the file is left
// behind the pair), at a NUL, or before a Shift-JIS double-byte character cut
// by the end of the bytes read (the file is left at it; a lead byte that no
// trail byte can follow, at the end of the file or in a buffer of one byte,
// stays in the line); a lone LF stays in the line.
int32_t ApiFake::ReadLine(char* buffer, int32_t size, intptr_t file) {
  if (file < 1 || file > static_cast<intptr_t>(open_files_.size()) || size < 1) return -1;
  OpenFileState& f = open_files_[file - 1];
  if (!f.open || f.position >= f.data.size()) return -1;
  const size_t start = f.position;
  const size_t got = std::min(static_cast<size_t>(size - 1), f.data.size() - start);
  if (got == 0) return -1;
  std::memcpy(buffer, f.data.data() + start, got);
  f.position = start + got;
  size_t i = 0;
  while (i < got) {
    const auto c = static_cast<unsigned char>(buffer[i]);
    if (c == 0) break;
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead) {
      if (i + 1 >= got) {
        const bool filled = got == static_cast<size_t>(size - 1);
        if (filled && i > 0) {
          f.position = start + i;
        } else {
          ++i;
        }
        break;
      }
      // Only a trail byte makes a pair.
      const auto next = static_cast<unsigned char>(buffer[i + 1]);
      i += (next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC) ? 2 : 1;
      continue;
    }
    if (c == '\r' && i + 1 < got && buffer[i + 1] == '\n') {
      f.position = start + i + 2;
      break;
    }
    ++i;
  }
  buffer[i] = '\0';
  return static_cast<int32_t>(i);
}

namespace {

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

std::string Format(const char* format, va_list args) {
  char buffer[1024];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  return buffer;
}

int32_t LoadResult(const char* path) {
  if (path && api_fake().failing_paths.count(path)) return -1;
  return api_fake().NewHandle();
}

}  // namespace

// ---- The entries ----------------------------------------------------------------

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  api_fake().Record("MessageBoxA", {type}, {Text(text), Text(caption)});
  return api_fake().message_box_answer;
}

int32_t ApiInitLibrary() {
  api_fake().Record("ApiInitLibrary", {});
  return api_fake().init_library_result;
}

int32_t ApiEndLibrary() { return api_fake().Record("ApiEndLibrary", {}); }

intptr_t ApiOpenFileForRead(const char* path, int32_t async) {
  api_fake().Record("ApiOpenFileForRead", {async}, {Text(path)});
  if (api_fake().on_open_file) api_fake().on_open_file(Text(path));
  return api_fake().OpenFile(Text(path));
}

int32_t ApiCloseFile(intptr_t file) {
  api_fake().Record("ApiCloseFile", {file});
  return api_fake().CloseFile(file) ? 0 : -1;
}

int32_t ApiReadFileLine(char* buffer, int32_t buffer_size, intptr_t file) {
  api_fake().Record("ApiReadFileLine", {buffer_size, file});
  return api_fake().ReadLine(buffer, buffer_size, file);
}

int32_t ApiProcessMessage() {
  ApiFake& f = api_fake();
  f.Record("ApiProcessMessage", {});
  return f.process_message ? f.process_message(f.frame) : 0;
}

int32_t ApiChangeWindowMode(int32_t window_mode) {
  return api_fake().Record("ApiChangeWindowMode", {window_mode});
}
int32_t ApiSetWindowText(const char* text) {
  return api_fake().Record("ApiSetWindowText", {}, {Text(text)});
}
int32_t ApiSetLogOutput(int32_t on) { return api_fake().Record("ApiSetLogOutput", {on}); }
int32_t ApiSetWindowIcon(int32_t icon_id) {
  return api_fake().Record("ApiSetWindowIcon", {icon_id});
}
int32_t ApiSetArchiveExtension(const char* extension) {
  return api_fake().Record("ApiSetArchiveExtension", {}, {Text(extension)});
}
int32_t ApiSetArchiveKey(const char* key) {
  return api_fake().Record("ApiSetArchiveKey", {}, {Text(key)});
}

int32_t ApiGetMilliseconds(int32_t ignored) {
  api_fake().Record("ApiGetMilliseconds", {ignored});
  return api_fake().frame * 16;
}

int32_t ApiGetRandom(int32_t max) {
  ApiFake& f = api_fake();
  f.Record("ApiGetRandom", {max});
  if (f.random_values.empty()) return 0;
  const int32_t v = f.random_values.front();
  f.random_values.pop_front();
  return v;
}

int32_t ApiIsKeyDown(int32_t key_code) {
  ApiFake& f = api_fake();
  f.Record("ApiIsKeyDown", {key_code});
  return f.key_down ? f.key_down(key_code, f.frame) : 0;
}

int32_t ApiGetPadInput(int32_t input_set) {
  ApiFake& f = api_fake();
  f.Record("ApiGetPadInput", {input_set});
  return f.pad_input ? f.pad_input(input_set, f.frame) : 0;
}

uint32_t ApiGetColorValue(int32_t r, int32_t g, int32_t b) {
  api_fake().Record("ApiGetColorValue", {r, g, b});
  return (static_cast<uint32_t>(r & 255) << 16) | (static_cast<uint32_t>(g & 255) << 8) |
         static_cast<uint32_t>(b & 255);
}

int32_t ApiFlipScreen() {
  ApiFake& f = api_fake();
  f.Record("ApiFlipScreen", {});
  ++f.frame;
  return 0;
}

int32_t ApiMakeEmptyGraphic(int32_t width, int32_t height, int32_t not_transparent) {
  api_fake().Record("ApiMakeEmptyGraphic", {width, height, not_transparent});
  return api_fake().NewHandle();
}

int32_t ApiDeleteGraphic(int32_t graphic, int32_t log_flag) {
  return api_fake().Record("ApiDeleteGraphic", {graphic, log_flag});
}

int32_t ApiLoadGraphicFile(const char* path, int32_t flag) {
  api_fake().Record("ApiLoadGraphicFile", {flag}, {Text(path)});
  return LoadResult(path);
}

int32_t ApiLoadGraphicCells(const char* path, int32_t cell_count, int32_t cells_across,
                            int32_t cells_down, int32_t cell_width, int32_t cell_height,
                            int32_t* graphics, int32_t flag) {
  api_fake().Record("ApiLoadGraphicCells",
                    {cell_count, cells_across, cells_down, cell_width, cell_height, flag},
                    {Text(path)});
  if (path && api_fake().failing_paths.count(path)) return -1;
  for (int32_t i = 0; i < cell_count; ++i) graphics[i] = api_fake().NewHandle();
  return 0;
}

int32_t ApiClearDrawScreen() { return api_fake().Record("ApiClearDrawScreen", {}); }

int32_t ApiLoadAndDrawImage(int32_t x, int32_t y, const char* path, int32_t transparent) {
  api_fake().Record("ApiLoadAndDrawImage", {x, y, transparent}, {Text(path)});
  return (path && api_fake().failing_paths.count(path)) ? -1 : 0;
}

int32_t ApiDrawGraphicAt(int32_t x, int32_t y, int32_t graphic, int32_t transparent) {
  return api_fake().Record("ApiDrawGraphicAt", {x, y, graphic, transparent});
}

int32_t ApiDrawGraphicStretched(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                                int32_t transparent) {
  return api_fake().Record("ApiDrawGraphicStretched", {x1, y1, x2, y2, graphic, transparent});
}

int32_t ApiDrawGraphicPart(int32_t x, int32_t y, int32_t source_x, int32_t source_y,
                           int32_t width, int32_t height, int32_t graphic, int32_t transparent,
                           int32_t turn) {
  return api_fake().Record("ApiDrawGraphicPart", {x, y, source_x, source_y, width, height,
                                                  graphic, transparent, turn});
}

int32_t ApiDrawRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                         int32_t fill) {
  return api_fake().Record("ApiDrawRectangle", {x1, y1, x2, y2, colour, fill});
}

int32_t ApiDrawText(int32_t x, int32_t y, const char* text, uint32_t colour,
                    uint32_t edge_colour) {
  return api_fake().Record("ApiDrawText", {x, y, colour, edge_colour}, {Text(text)});
}

int32_t ApiDrawTextWithFont(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t font,
                            uint32_t edge_colour, int32_t vertical) {
  return api_fake().Record("ApiDrawTextWithFont", {x, y, colour, font, edge_colour, vertical},
                           {Text(text)});
}

int32_t ApiDrawFormattedText(int32_t x, int32_t y, uint32_t colour, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  return api_fake().Record("ApiDrawFormattedText", {x, y, colour}, {text});
}

int32_t ApiSetBlendMode(int32_t mode, int32_t parameter) {
  return api_fake().Record("ApiSetBlendMode", {mode, parameter});
}

int32_t ApiSetDrawBrightness(int32_t r, int32_t g, int32_t b) {
  return api_fake().Record("ApiSetDrawBrightness", {r, g, b});
}

int32_t ApiSetDrawTarget(int32_t target) {
  return api_fake().Record("ApiSetDrawTarget", {target});
}

int32_t ApiSetTransparentColor(int32_t r, int32_t g, int32_t b) {
  return api_fake().Record("ApiSetTransparentColor", {r, g, b});
}

int32_t ApiCopyScreenToGraphic(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                               int32_t flag) {
  return api_fake().Record("ApiCopyScreenToGraphic", {x1, y1, x2, y2, graphic, flag});
}

int32_t ApiCreateFontToHandle(const char* face_name, int32_t size, int32_t thickness,
                              int32_t font_type, int32_t char_set, int32_t edge_size,
                              int32_t italic, int32_t slot, int32_t check_id) {
  api_fake().Record("ApiCreateFontToHandle",
                    {size, thickness, font_type, char_set, edge_size, italic, slot, check_id},
                    {Text(face_name)});
  return api_fake().NewHandle();
}

int32_t ApiLoadSoundFile(const char* path, int32_t buffer_count, int32_t share_with) {
  api_fake().Record("ApiLoadSoundFile", {buffer_count, share_with}, {Text(path)});
  return LoadResult(path);
}

int32_t ApiDeleteSound(int32_t sound, int32_t flag) {
  return api_fake().Record("ApiDeleteSound", {sound, flag});
}

int32_t ApiPlaySound(int32_t sound, int32_t play_type, int32_t from_top) {
  return api_fake().Record("ApiPlaySound", {sound, play_type, from_top});
}

int32_t ApiStopSound(int32_t sound) { return api_fake().Record("ApiStopSound", {sound}); }

int32_t ApiIsSoundPlaying(int32_t sound) {
  ApiFake& f = api_fake();
  f.Record("ApiIsSoundPlaying", {sound});
  return f.sound_playing ? f.sound_playing(sound) : 0;
}

int32_t ApiPlayMusicFile(const char* path, int32_t play_type) {
  return api_fake().Record("ApiPlayMusicFile", {play_type}, {Text(path)});
}

int32_t ApiStopMusic() { return api_fake().Record("ApiStopMusic", {}); }

int32_t ApiPrintToScreen(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  return api_fake().Record("ApiPrintToScreen", {}, {text});
}
