// Copies of the generated sample data set, edited for one run.
#include "tests/app/data_set_copy.h"

#include <fstream>
#include <iterator>

#include "game/areas/area_table.h"

namespace fs = std::filesystem;

namespace {

bool ReadText(const fs::path& path, std::string* text, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path.string();
    return false;
  }
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteBytes(const fs::path& path, const std::string& bytes, std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

}  // namespace

bool CopyDataSet(const fs::path& source, const fs::path& target, std::string* error) {
  std::error_code ec;
  if (fs::exists(target, ec)) {
    *error = target.string() + " exists already";
    return false;
  }
  fs::copy(source, target, fs::copy_options::recursive, ec);
  if (ec) {
    *error = "cannot copy " + source.string() + ": " + ec.message();
    return false;
  }
  return true;
}

std::string LevelFile(int32_t area, const char* kind, int32_t floor) {
  char path[128];
  if (area < 0 || area >= kAreaCount) return "";
  return level_file_path(path, sizeof path, area_table[area], kind, floor) ? path : "";
}

bool ReplaceLevelRow(const fs::path& set, const std::string& level_file, int32_t row,
                     const std::string& values, std::string* error) {
  const fs::path path = set / level_file;
  std::string text;
  if (!ReadText(path, &text, error)) return false;
  // Line row + 1 of the file: its CR LF bounds.
  size_t start = 0;
  for (int32_t line = 0; line < row + 1; ++line) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      *error = level_file + " has no row " + std::to_string(row);
      return false;
    }
    start = end + 2;
  }
  const size_t end = text.find("\r\n", start);
  if (end == std::string::npos || (row >= 0 && text.compare(start, 1, "@") == 0)) {
    *error = level_file + " has no row " + std::to_string(row);
    return false;
  }
  text.replace(start, end - start, values);
  return WriteBytes(path, text, error);
}

bool WriteSaveSlot(const fs::path& set, int32_t k, const std::vector<uint8_t>& image, std::string* error) {
  if (k < 0 || k > 2 || image.size() != 6216) {
    *error = "a save slot is one of three and 6216 bytes";
    return false;
  }
  std::error_code ec;
  fs::create_directories(set / "patch", ec);
  return WriteBytes(set / "patch" / ("save_data" + std::to_string(k) + ".dat"),
                    std::string(image.begin(), image.end()), error);
}
