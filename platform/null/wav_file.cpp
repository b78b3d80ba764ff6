#include "platform/null/wav_file.h"

#include <cstring>
#include <vector>

namespace {

void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}

}  // namespace

WavFileWriter::~WavFileWriter() { Finish(); }

bool WavFileWriter::Open(const std::string& path, int rate, int channels, std::string* error) {
  Finish();
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  rate_ = rate;
  channels_ = channels;
  data_bytes_ = 0;
  WriteHeader();
  return true;
}

void WavFileWriter::WriteHeader() {
  // The RIFF sizes are 32-bit: a longer recording keeps the largest size that fits.
  const uint32_t data = data_bytes_ > 0xFFFFFFFFu - 36 ? 0xFFFFFFFFu - 36
                                                       : static_cast<uint32_t>(data_bytes_);
  uint8_t header[44];
  std::memcpy(header, "RIFF", 4);
  Put32(header + 4, 36 + data);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  Put32(header + 16, 16);
  Put16(header + 20, 1);  // PCM
  Put16(header + 22, channels_);
  Put32(header + 24, rate_);
  Put32(header + 28, rate_ * channels_ * 2);
  Put16(header + 32, channels_ * 2);
  Put16(header + 34, 16);
  std::memcpy(header + 36, "data", 4);
  Put32(header + 40, data);
  std::fseek(file_, 0, SEEK_SET);
  std::fwrite(header, 1, sizeof(header), file_);
  std::fseek(file_, 0, SEEK_END);
}

void WavFileWriter::Write(const int16_t* samples, int frames) {
  if (file_ == nullptr || frames <= 0) return;
  const size_t count = static_cast<size_t>(frames) * channels_;
  std::vector<uint8_t> bytes(count * 2);
  for (size_t i = 0; i < count; ++i) Put16(&bytes[i * 2], static_cast<uint16_t>(samples[i]));
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
  data_bytes_ += bytes.size();
}

void WavFileWriter::Flush() {
  if (file_ == nullptr) return;
  WriteHeader();
  std::fflush(file_);
}

void WavFileWriter::Finish() {
  if (file_ == nullptr) return;
  WriteHeader();
  std::fclose(file_);
  file_ = nullptr;
}
