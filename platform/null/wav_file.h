// A 16-bit PCM WAV file written as sound arrives; the header's sizes are
// filled in by Finish (or on destruction).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class WavFileWriter {
 public:
  WavFileWriter() = default;
  ~WavFileWriter();
  WavFileWriter(const WavFileWriter&) = delete;
  WavFileWriter& operator=(const WavFileWriter&) = delete;

  bool Open(const std::string& path, int rate, int channels, std::string* error);
  bool IsOpen() const { return file_ != nullptr; }
  // `frames` frames of interleaved samples.
  void Write(const int16_t* samples, int frames);
  // Brings the header's sizes up to date; the file stays open.
  void Flush();
  // Completes the header and closes the file.
  void Finish();

 private:
  void WriteHeader();

  FILE* file_ = nullptr;
  int rate_ = 0;
  int channels_ = 0;
  uint64_t data_bytes_ = 0;
};
