#include "tools/cp932_literals/cp932_literals.h"

#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <memory>

namespace {

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The CP932 bytes of UTF-8 text; false when a character has none.
bool ToCp932(const std::string& utf8, std::string* out) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = utf8;
  std::string result(in.size() * 2 + 4, '\0');
  char* in_at = in.data();
  size_t in_left = in.size();
  char* out_at = result.data();
  size_t out_left = result.size();
  const size_t done = iconv(converter, &in_at, &in_left, &out_at, &out_left);
  iconv_close(converter);
  if (done == static_cast<size_t>(-1) || in_left != 0) return false;
  result.resize(result.size() - out_left);
  *out = result;
  return true;
}

// A code point as UTF-8.
std::string Utf8Of(uint32_t code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

class Rewriter {
 public:
  Rewriter(const std::string& source, std::string* out) : s_(source), out_(out) {}

  bool Run(std::string* error) {
    while (at_ < s_.size() && error_.empty()) {
      const char c = s_[at_];
      if (c == '/' && Next(1) == '/') {
        CopyUntil("\n");
      } else if (c == '/' && Next(1) == '*') {
        CopyUntil("*/");
      } else if (c == '"' || c == '\'') {
        Literal(c);
      } else if (IsIdentifierChar(c)) {
        // Whole identifiers and numbers, so that a quote right behind one is
        // seen with what stands before it.
        const size_t start = at_;
        while (at_ < s_.size() && IsIdentifierChar(s_[at_])) ++at_;
        token_ = s_.substr(start, at_ - start);
        *out_ += token_;
        continue;
      } else {
        *out_ += c;
        ++at_;
      }
      token_.clear();
    }
    *error = error_;
    return error_.empty();
  }

 private:
  char Next(size_t n) const { return at_ + n < s_.size() ? s_[at_ + n] : '\0'; }

  void CopyUntil(const char* end) {
    const size_t stop = s_.find(end, at_ + 2);
    const size_t to = stop == std::string::npos ? s_.size() : stop + std::string(end).size();
    *out_ += s_.substr(at_, to - at_);
    at_ = to;
  }

  // A literal opening at at_ with `quote`; token_ is the identifier or
  // number right in front of it.
  void Literal(char quote) {
    const bool prefixed = token_ == "u8" || token_ == "u" || token_ == "U" || token_ == "L";
    const bool raw = quote == '"' && !token_.empty() && token_.back() == 'R' &&
                     (token_ == "R" || token_ == "u8R" || token_ == "uR" || token_ == "UR" ||
                      token_ == "LR");
    if (quote == '\'' && !token_.empty() && token_[0] >= '0' && token_[0] <= '9') {
      // A digit separator inside a number.
      *out_ += quote;
      ++at_;
      return;
    }
    if (raw) {
      RawLiteral(token_ == "R");
      return;
    }
    *out_ += quote;
    ++at_;
    bool after_hex_escape = false;
    while (at_ < s_.size()) {
      const char c = s_[at_];
      if (c == quote) {
        *out_ += c;
        ++at_;
        return;
      }
      if (c == '\n') break;
      if (c == '\\' && !prefixed && (Next(1) == 'u' || Next(1) == 'U')) {
        // A universal character name: converted like the character itself.
        const size_t digits = Next(1) == 'u' ? 4 : 8;
        uint32_t code = 0;
        for (size_t i = 0; i < digits; ++i) {
          const char h = Next(2 + i);
          if (!IsHexDigit(h)) {
            error_ = "a malformed universal character name";
            return;
          }
          code = code * 16 + static_cast<uint32_t>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
        }
        at_ += 2 + digits;
        Emit(Utf8Of(code));
        after_hex_escape = true;
        continue;
      }
      if (c == '\\') {
        // Any other escape is kept as written.
        *out_ += c;
        ++at_;
        if (at_ < s_.size()) {
          *out_ += s_[at_];
          ++at_;
        }
        after_hex_escape = false;
        continue;
      }
      if ((static_cast<unsigned char>(c) & 0x80) != 0 && !prefixed) {
        size_t end = at_;
        while (end < s_.size() && (static_cast<unsigned char>(s_[end]) & 0x80) != 0) ++end;
        const std::string text = s_.substr(at_, end - at_);
        at_ = end;
        Emit(text);
        after_hex_escape = true;
        continue;
      }
      if (after_hex_escape && IsHexDigit(c)) {
        // A hexadecimal escape would take this digit in: the literal is
        // closed and opened again (strings are joined by the compiler).
        if (quote == '\'') {
          error_ = "a character literal in which a hexadecimal digit follows a converted character";
          return;
        }
        *out_ += "\" \"";
      }
      after_hex_escape = false;
      *out_ += c;
      ++at_;
    }
    if (error_.empty()) error_ = "a literal that is not closed";
  }

  // Appends the CP932 form of UTF-8 `text` as hexadecimal escapes.
  void Emit(const std::string& text) {
    std::string bytes;
    if (!ToCp932(text, &bytes)) {
      error_ = "a character without a CP932 form: " + text;
      return;
    }
    for (const char b : bytes) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(b));
      *out_ += escape;
    }
  }

  void RawLiteral(bool plain) {
    const size_t open = s_.find('(', at_);
    if (open == std::string::npos) {
      error_ = "a raw literal that is not closed";
      return;
    }
    // Appended, not joined with `+` after a literal: that draws a false
    // -Wrestrict from GCC 12.
    const std::string close = std::string(")").append(s_, at_ + 1, open - at_ - 1).append("\"");
    const size_t stop = s_.find(close, open);
    if (stop == std::string::npos) {
      error_ = "a raw literal that is not closed";
      return;
    }
    const size_t to = stop + close.size();
    const std::string literal = s_.substr(at_, to - at_);
    if (plain) {
      for (const char c : literal) {
        if ((static_cast<unsigned char>(c) & 0x80) != 0) {
          error_ = "a raw literal holding characters outside ASCII";
          return;
        }
      }
    }
    *out_ += literal;
    at_ = to;
  }

  const std::string& s_;
  std::string* out_;
  size_t at_ = 0;
  std::string token_;
  std::string error_;
};

}  // namespace

bool RewriteCp932Literals(const std::string& source, std::string* out, std::string* error) {
  out->clear();
  Rewriter rewriter(source, out);
  return rewriter.Run(error);
}
