// Writing the sample data set to disk.
#include "tools/sample_data/sample_data.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "game/shell/sound_table.h"
#include "tools/archive_writer/archive_writer.h"
#include "tools/sample_data/encoders.h"

namespace {

namespace fs = std::filesystem;

// Ogg stream serial numbers: fixed, one per file.
constexpr int kEffectSerialBase = 0x42524d00;
constexpr int kMusicSerialBase = 0x42524e00;
// Vorbis quality of the sample files: small files are enough.
constexpr float kOggQuality = 0.1f;

bool EndsWith(const std::string& text, const char* end) {
  const std::string e = end;
  return text.size() >= e.size() && text.compare(text.size() - e.size(), e.size(), e) == 0;
}

class Writer {
 public:
  explicit Writer(fs::path root) : root_(std::move(root)) {}

  bool Write(const std::string& relative, const std::vector<uint8_t>& bytes, std::string* error) {
    const fs::path path = root_ / relative;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) {
      *error = "cannot make the folder " + path.parent_path().string() + ": " + ec.message();
      return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      *error = "cannot write " + path.string();
      return false;
    }
    written_.push_back(path);
    for (fs::path folder = path.parent_path(); folder != root_ && folder.has_relative_path();
         folder = folder.parent_path())
      folders_.insert(folder);
    return true;
  }

  bool Write(const std::string& relative, const std::string& text, std::string* error) {
    return Write(relative, std::vector<uint8_t>(text.begin(), text.end()), error);
  }

  // Gives every file written so far, then their folders (deepest first,
  // since setting a file's time does not touch its folder but writing does)
  // and the root the fixed time.
  bool FixTimes(std::string* error) const {
    for (const fs::path& path : written_)
      if (!SetTime(path, error)) return false;
    std::vector<fs::path> folders(folders_.begin(), folders_.end());
    std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) {
      return std::distance(a.begin(), a.end()) > std::distance(b.begin(), b.end());
    });
    for (const fs::path& folder : folders)
      if (!SetTime(folder, error)) return false;
    return SetTime(root_, error);
  }

 private:
  static bool SetTime(const fs::path& path, std::string* error) {
    const timespec times[2] = {{static_cast<time_t>(kSampleFileTime), 0},
                               {static_cast<time_t>(kSampleFileTime), 0}};
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
      *error = "cannot set the time of " + path.string();
      return false;
    }
    return true;
  }

  fs::path root_;
  std::vector<fs::path> written_;
  std::set<fs::path> folders_;
};

bool WriteImages(Writer* writer, std::string* error) {
  for (const ImageTableRow& row : image_table) {
    Canvas canvas;
    if (!PaintSampleImage(row, &canvas, error)) return false;
    const std::string path = row.path;
    const Bytes bytes = EndsWith(path, ".bmp") ? EncodeBmp(canvas) : EncodePng(canvas);
    if (bytes.empty()) {
      *error = "cannot encode " + path;
      return false;
    }
    if (!writer->Write(path, bytes, error)) return false;
  }
  const Bytes loading = EncodePng(PaintLoadingImage());
  return !loading.empty() && writer->Write(kLoadingImagePath, loading, error);
}

bool WriteSound(Writer* writer, const std::string& path, int serial, std::string* error) {
  int rate = 0;
  const std::vector<int16_t> samples = SynthesizeSound(path, &rate);
  if (samples.empty()) {
    *error = "no sound for " + path;
    return false;
  }
  Bytes bytes;
  if (EndsWith(path, ".ogg")) {
    bytes = EncodeOggVorbis(samples, rate, 1, serial, kOggQuality, error);
    if (bytes.empty()) return false;
  } else {
    bytes = EncodeWav(samples, rate, 1);
  }
  return writer->Write(path, bytes, error);
}

bool WriteSounds(Writer* writer, std::string* error) {
  for (int i = 0; i < kSoundEffectCount; ++i)
    if (!WriteSound(writer, sound_effect_table[i].path, kEffectSerialBase + i, error)) return false;
  for (int i = 0; i < kMusicTrackCount; ++i)
    if (!WriteSound(writer, music_track_table[i], kMusicSerialBase + i, error)) return false;
  return true;
}

}  // namespace

std::string SampleConfigText() {
  // Every player: shot and decide on button 0 (Z), the two special attacks
  // on buttons 1 and 2 (X, C), pause on 3 (A), skip on 4 (S); then a stock
  // of three revivals.
  std::string text;
  for (int player = 0; player < 4; ++player)
    for (int action = 0; action < 5; ++action) text += std::to_string(action) + "\n";
  text += "3\n";
  return text;
}

std::string SamplePadText() {
  // Player 1 plays on the keyboard together with pad 1; players 2 to 4 on
  // pads 2 to 4.
  return "0\n2\n3\n4\n";
}

bool GenerateSampleData(const std::string& folder, const SampleDataOptions& options,
                        std::string* error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    *error = "cannot make the folder " + folder + ": " + ec.message();
    return false;
  }
  Writer writer{fs::path(folder)};
  if (!WriteImages(&writer, error) || !WriteSounds(&writer, error) ||
      !writer.Write(kConfigFileName, SampleConfigText(), error) ||
      !writer.Write(kPadFileName, SamplePadText(), error) || !writer.FixTimes(error))
    return false;
  if (options.archive) {
    // The archive writer takes the files' times, so they are fixed first.
    ArchiveWriterOptions archive_options;
    archive_options.key = kSampleArchiveKey;
    const std::string archive = (fs::path(folder) / "data.dat").string();
    if (!WriteArchiveFromFolder((fs::path(folder) / "data").string(), archive, archive_options, true, error))
      return false;
    const timespec times[2] = {{static_cast<time_t>(kSampleFileTime), 0},
                               {static_cast<time_t>(kSampleFileTime), 0}};
    if (utimensat(AT_FDCWD, archive.c_str(), times, 0) != 0 ||
        utimensat(AT_FDCWD, folder.c_str(), times, 0) != 0) {
      *error = "cannot set the time of " + archive;
      return false;
    }
  }
  return true;
}
