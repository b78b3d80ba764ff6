// Writing the sample data set to disk.
#include "tools/sample_data/sample_data.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "game/scenes/scenes.h"
#include "game/shell/settings_table.h"
#include "game/shell/sound_table.h"
#include "tools/archive_writer/archive_writer.h"
#include "tools/sample_data/encoders.h"

namespace {

namespace fs = std::filesystem;

// Ogg stream serial numbers: fixed, one per file.
constexpr int kEffectSerialBase = 0x42524d00;
constexpr int kMusicSerialBase = 0x42524e00;
constexpr int kSceneSoundSerialBase = 0x42524f00;
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
    contents_[relative] = bytes;
    for (fs::path folder = path.parent_path(); folder != root_ && folder.has_relative_path();
         folder = folder.parent_path())
      folders_.insert(folder);
    return true;
  }

  bool Write(const std::string& relative, const std::string& text, std::string* error) {
    return Write(relative, std::vector<uint8_t>(text.begin(), text.end()), error);
  }

  // Writes the file only where nothing stands at its path yet: the player's
  // settings survive a regeneration of the set. A file kept is not the set's
  // (its time is left alone too).
  bool WriteUnlessPresent(const std::string& relative, const std::string& text, std::string* error) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(root_ / relative, ec))) return true;
    return Write(relative, text, error);
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

  // The files written, by their path relative to the root ('/' between
  // folders).
  const std::map<std::string, std::vector<uint8_t>>& contents() const { return contents_; }

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
  std::map<std::string, std::vector<uint8_t>> contents_;
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
  for (int i = 0; i < kSceneSoundFileCount; ++i)
    if (!WriteSound(writer, scene_sound_files[i], kSceneSoundSerialBase + i, error)) return false;
  return true;
}

bool WriteLevels(Writer* writer, std::string* error) {
  for (const auto& [path, text] : SampleLevelFiles()) {
    if (!writer->Write(path, text, error)) return false;
  }
  return true;
}

// The archive of the data folder, built from the files as written: in each
// folder the entries in name order, a folder's entry before its contents;
// every time the fixed one (on disk, reading the files changes their access
// times); a file packed when that makes it smaller.
bool BuildDataArchive(const std::map<std::string, std::vector<uint8_t>>& contents,
                      std::vector<uint8_t>* archive, std::string* error) {
  constexpr uint64_t kUnixEpochInFileTime = 116444736000000000ull;  // 100 ns units since 1601
  const uint64_t time = kUnixEpochInFileTime + static_cast<uint64_t>(kSampleFileTime) * 10000000ull;
  // Each folder ("" for the archive's root, else "a/b/") with its entries:
  // name, and whether it is a folder.
  std::map<std::string, std::map<std::string, bool>> tree;
  const std::string top = "data/";
  for (const auto& [path, bytes] : contents) {
    if (path.compare(0, top.size(), top) != 0) continue;
    std::string rest = path.substr(top.size());
    std::string folder;
    for (size_t slash = rest.find('/'); slash != std::string::npos; slash = rest.find('/')) {
      tree[folder][rest.substr(0, slash)] = true;
      folder += rest.substr(0, slash + 1);
      rest.erase(0, slash + 1);
    }
    tree[folder][rest] = false;
  }
  std::vector<ArchiveWriterFile> files;
  auto add = [&](auto&& self, const std::string& folder) -> void {
    for (const auto& [name, is_folder] : tree[folder]) {
      ArchiveWriterFile file;
      file.path = folder + name;
      std::replace(file.path.begin(), file.path.end(), '/', '\\');
      file.folder = is_folder;
      file.creation_time = time;
      file.last_access_time = time;
      file.last_write_time = time;
      if (is_folder) {
        files.push_back(std::move(file));
        self(self, folder + name + "/");
        continue;
      }
      file.data = contents.at(top + folder + name);
      file.pack = PackArchiveData(file.data.data(), file.data.size()).size() < file.data.size();
      files.push_back(std::move(file));
    }
  };
  add(add, "");
  ArchiveWriterOptions options;
  options.key = kSampleArchiveKey;
  return BuildArchive(files, options, archive, error);
}

}  // namespace

// The settings files hold the game's defaults (settings_table.h): every
// player with shot and decide on Z, the special attacks on X and C, pause on
// A and skip on S, a stock of three revivals; player 1 on the keyboard and
// pad 1, players 2 to 4 on pads 2 to 4.
std::string SampleConfigText() {
  std::string text;
  for (const auto& buttons : default_action_buttons)
    for (const int32_t button : buttons) text += std::to_string(button) + "\n";
  text += std::to_string(default_revive_stock) + "\n";
  return text;
}

std::string SamplePadText() {
  std::string text;
  for (const int32_t device : default_pad_devices) text += std::to_string(device) + "\n";
  return text;
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
      !writer.WriteUnlessPresent(kConfigFileName, SampleConfigText(), error) ||
      !writer.WriteUnlessPresent(kPadFileName, SamplePadText(), error) || !WriteLevels(&writer, error) ||
      !writer.FixTimes(error))
    return false;
  const std::string archive = (fs::path(folder) / "data.dat").string();
  if (!options.archive) {
    // An archive left by an earlier run would stand in for the new folder.
    fs::remove(archive, ec);
    if (ec) {
      *error = "cannot remove " + archive + ": " + ec.message();
      return false;
    }
    return writer.FixTimes(error);
  }
  std::vector<uint8_t> bytes;
  if (!BuildDataArchive(writer.contents(), &bytes, error)) return false;
  std::ofstream out(archive, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + archive;
    return false;
  }
  const timespec times[2] = {{static_cast<time_t>(kSampleFileTime), 0},
                             {static_cast<time_t>(kSampleFileTime), 0}};
  if (utimensat(AT_FDCWD, archive.c_str(), times, 0) != 0 ||
      utimensat(AT_FDCWD, folder.c_str(), times, 0) != 0) {
    *error = "cannot set the time of " + archive;
    return false;
  }
  return true;
}
