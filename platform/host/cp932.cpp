#include "platform/host/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

// One conversion descriptor per direction and thread: iconv descriptors keep
// shift state and are not safe to share between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) {
    cd_ = iconv_open(to, from);
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      std::fprintf(stderr, "brimal: iconv cannot convert %s to %s\n", from, to);
      std::abort();
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`. Where the input holds no convertible character, the bytes
  // `skip(rest)` says belong to it are dropped and `replacement` is appended.
  template <typename Skip>
  std::string Run(std::string_view in, std::string_view replacement, Skip skip) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 8);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char buffer[1024];
    while (src_left > 0) {
      char* dst = buffer;
      size_t dst_left = sizeof(buffer);
      const size_t result = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, dst - buffer);
      if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
      // EILSEQ (no valid character here, or one the target lacks) or EINVAL
      // (the input ends inside a character).
      out.append(replacement);
      const size_t n = skip(std::string_view(src, src_left));
      src += n;
      src_left -= n;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 character at the start of `rest` (1 for a stray byte).
size_t Utf8CharLength(std::string_view rest) {
  const unsigned char lead = static_cast<unsigned char>(rest[0]);
  size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                                                 : 1;
  for (size_t i = 1; i < length; ++i) {
    if (i >= rest.size() || (static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) return i;
  }
  return length;
}

// ASCII text is the same in both: it is handed back as it is.
bool IsAsciiText(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAsciiText(cp932)) return std::string(cp932);
  thread_local Converter converter("UTF-8", "CP932");
  return converter.Run(cp932, "\xEF\xBF\xBD", [](std::string_view) -> size_t { return 1; });
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAsciiText(utf8)) return std::string(utf8);
  thread_local Converter converter("CP932", "UTF-8");
  return converter.Run(utf8, "?", Utf8CharLength);
}
