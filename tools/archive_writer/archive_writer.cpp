#include "tools/archive_writer/archive_writer.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/host/cp932.h"
#include "runtime/core/archive.h"
#include "runtime/core/primitives.h"

namespace {

// ---- Packing ------------------------------------------------------------------------

constexpr size_t kMinMatch = 4;
constexpr size_t kMaxMatch = 4 + 31 + (255 << 5);  // 8195
constexpr size_t kMaxDistance = 0x1000000;        // a three-byte distance field, plus 1
constexpr int kChainDepth = 96;
constexpr int kHashBits = 16;

uint32_t Hash4(const uint8_t* p) {
  const uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                     (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return (v * 2654435761u) >> (32 - kHashBits);
}

void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Put64(std::vector<uint8_t>* out, uint64_t v) {
  Put32(out, static_cast<uint32_t>(v));
  Put32(out, static_cast<uint32_t>(v >> 32));
}
void Set32(std::vector<uint8_t>* out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*out)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Bytes a back reference takes.
size_t ReferenceCost(size_t length, size_t distance) {
  const size_t field = distance - 1;
  const size_t distance_bytes = field <= 0xFF ? 1 : field <= 0xFFFF ? 2 : 3;
  return 2 + (length - kMinMatch >= 32 ? 1 : 0) + distance_bytes;
}

void EmitReference(std::vector<uint8_t>* out, uint8_t escape, size_t length, size_t distance) {
  const size_t extra = length - kMinMatch;
  const size_t field = distance - 1;
  const uint32_t size_code = field <= 0xFF ? 0 : field <= 0xFFFF ? 1 : 2;
  uint32_t c = static_cast<uint32_t>((extra & 31) << 3) | size_code;
  if (extra >= 32) c |= 4;
  // Codes at or above the escape byte are written one higher, so the escape
  // byte itself never follows an escape as a code.
  out->push_back(escape);
  out->push_back(static_cast<uint8_t>(c >= escape ? c + 1 : c));
  if (extra >= 32) out->push_back(static_cast<uint8_t>(extra >> 5));
  out->push_back(static_cast<uint8_t>(field));
  if (size_code >= 1) out->push_back(static_cast<uint8_t>(field >> 8));
  if (size_code >= 2) out->push_back(static_cast<uint8_t>(field >> 16));
}

// ---- The tree ---------------------------------------------------------------------------

struct Node {
  std::string name;  // as written
  bool folder = false;
  const ArchiveWriterFile* source = nullptr;
  std::vector<size_t> children;
};

std::string UpperName(const std::string& name) {
  NameKeyRecord key;
  if (ArchiveNameKey(name.c_str(), &key) < 0) return {};
  return std::string(reinterpret_cast<const char*>(key.name));
}

// Splits at `\` and `/`, stepping over two-byte characters.
std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<uint8_t>(path[i]);
    if (IsSjisLeadByte(byte) && i + 1 < path.size()) {
      parts.back() += path.substr(i, 2);
      ++i;
    } else if (byte == '\\' || byte == '/') {
      parts.emplace_back();
    } else {
      parts.back() += path[i];
    }
  }
  return parts;
}

bool AddPath(std::vector<Node>* nodes, const ArchiveWriterFile& file, std::string* error) {
  const std::vector<std::string> parts = SplitPath(file.path);
  size_t folder = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    const bool last = i + 1 == parts.size();
    NameKeyRecord key;
    if (part.empty() || ArchiveNameKey(part.c_str(), &key) < 0) {
      *error = "bad name in path: " + file.path;
      return false;
    }
    const bool want_folder = !last || file.folder;
    const std::string upper = UpperName(part);
    size_t found = 0;
    for (size_t child : (*nodes)[folder].children) {
      if (UpperName((*nodes)[child].name) == upper) found = child;
    }
    if (found != 0) {
      if (!(*nodes)[found].folder || !want_folder) {
        *error = "name given twice: " + file.path;
        return false;
      }
      if (last) (*nodes)[found].source = &file;
      folder = found;
      continue;
    }
    Node node;
    node.name = part;
    node.folder = want_folder;
    if (last) node.source = &file;
    nodes->push_back(node);
    const size_t index = nodes->size() - 1;
    (*nodes)[folder].children.push_back(index);
    folder = index;
  }
  return true;
}

uint64_t FileTimeOf(const struct timespec& t) {
  return (static_cast<uint64_t>(t.tv_sec) + 11644473600ull) * 10000000ull +
         static_cast<uint64_t>(t.tv_nsec) / 100;
}

bool ReadFolder(const std::filesystem::path& folder, const std::string& prefix,
                std::vector<ArchiveWriterFile>* files, std::string* error) {
  std::vector<std::filesystem::path> entries;
  std::error_code code;
  for (const auto& entry : std::filesystem::directory_iterator(folder, code)) {
    entries.push_back(entry.path());
  }
  if (code) {
    *error = "cannot read folder " + folder.string();
    return false;
  }
  std::sort(entries.begin(), entries.end());
  for (const auto& path : entries) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) continue;
    ArchiveWriterFile file;
    file.path = prefix + Utf8ToCp932(path.filename().string());
    file.creation_time = FileTimeOf(info.st_mtim);
    file.last_access_time = FileTimeOf(info.st_atim);
    file.last_write_time = FileTimeOf(info.st_mtim);
    if (S_ISDIR(info.st_mode)) {
      file.folder = true;
      files->push_back(file);
      if (!ReadFolder(path, file.path + "\\", files, error)) return false;
      continue;
    }
    if (!S_ISREG(info.st_mode)) continue;
    std::ifstream in(path, std::ios::binary);
    file.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      *error = "cannot read " + path.string();
      return false;
    }
    files->push_back(std::move(file));
  }
  return true;
}

}  // namespace

std::vector<uint8_t> PackArchiveData(const uint8_t* data, size_t size) {
  // The escape byte: the least used byte value, so few literals need doubling.
  std::array<size_t, 256> counts{};
  for (size_t i = 0; i < size; ++i) ++counts[data[i]];
  const uint8_t escape =
      static_cast<uint8_t>(std::min_element(counts.begin(), counts.end()) - counts.begin());

  std::vector<uint8_t> out;
  Put32(&out, static_cast<uint32_t>(size));
  Put32(&out, 0);  // packed size, filled in at the end
  out.push_back(escape);

  std::vector<int64_t> head(size_t{1} << kHashBits, -1);
  std::vector<int64_t> previous(size, -1);
  auto insert = [&](size_t at) {
    if (at + kMinMatch > size) return;
    const uint32_t h = Hash4(data + at);
    previous[at] = head[h];
    head[h] = static_cast<int64_t>(at);
  };

  size_t i = 0;
  while (i < size) {
    size_t best_length = 0;
    size_t best_distance = 0;
    if (i + kMinMatch <= size) {
      const size_t limit = std::min(kMaxMatch, size - i);
      int64_t candidate = head[Hash4(data + i)];
      for (int depth = 0; candidate >= 0 && depth < kChainDepth; ++depth) {
        const size_t distance = i - static_cast<size_t>(candidate);
        if (distance > kMaxDistance) break;
        size_t length = 0;
        // Overlapping matches are fine: the bytes compared are all known.
        while (length < limit && data[candidate + length] == data[i + length]) ++length;
        if (length > best_length) {
          best_length = length;
          best_distance = distance;
          if (length == limit) break;
        }
        candidate = previous[static_cast<size_t>(candidate)];
      }
    }
    if (best_length >= kMinMatch && best_length > ReferenceCost(best_length, best_distance)) {
      EmitReference(&out, escape, best_length, best_distance);
      for (size_t k = 0; k < best_length; ++k) insert(i + k);
      i += best_length;
      continue;
    }
    out.push_back(data[i]);
    if (data[i] == escape) out.push_back(escape);
    insert(i);
    ++i;
  }
  Set32(&out, 4, static_cast<uint32_t>(out.size()));
  return out;
}

bool BuildArchive(const std::vector<ArchiveWriterFile>& files, const ArchiveWriterOptions& options,
                  std::vector<uint8_t>* archive, std::string* error) {
  if (options.version < 0 || options.version > 3) {
    *error = "version must be 0 to 3";
    return false;
  }
  std::vector<Node> nodes(1);
  nodes[0].folder = true;
  for (const ArchiveWriterFile& file : files) {
    if (!AddPath(&nodes, file, error)) return false;
  }

  // Folders in breadth-first order; each folder's entries follow one another.
  std::vector<size_t> folders{0};
  for (size_t f = 0; f < folders.size(); ++f) {
    for (size_t child : nodes[folders[f]].children) {
      if (nodes[child].folder) folders.push_back(child);
    }
  }
  std::vector<uint32_t> folder_offset(nodes.size(), 0);
  for (size_t f = 0; f < folders.size(); ++f) {
    folder_offset[folders[f]] = static_cast<uint32_t>(f * kArchiveFolderRecordSize);
  }

  // Name table.
  std::vector<uint8_t> names;
  std::vector<uint32_t> name_offset(nodes.size(), 0);
  for (size_t n = 1; n < nodes.size(); ++n) {
    NameKeyRecord key;
    ArchiveNameKey(nodes[n].name.c_str(), &key);
    name_offset[n] = static_cast<uint32_t>(names.size());
    Put16(&names, key.units);
    Put16(&names, key.sum);
    names.insert(names.end(), key.name, key.name + key.units * 4);
    names.insert(names.end(), nodes[n].name.begin(), nodes[n].name.end());
    names.push_back(0);
    while (names.size() % 4 != 0) names.push_back(0);
  }

  // Data area and file entries.
  const bool packing_allowed = options.version >= 2;
  std::vector<uint8_t> data_area;
  std::vector<uint8_t> entries;
  std::vector<uint32_t> first_entry(nodes.size(), 0);
  std::vector<uint32_t> own_entry(nodes.size(), kArchiveNoParent);
  for (size_t folder : folders) {
    first_entry[folder] = static_cast<uint32_t>(entries.size());
    for (size_t child : nodes[folder].children) {
      const Node& node = nodes[child];
      own_entry[child] = static_cast<uint32_t>(entries.size());
      const ArchiveWriterFile* source = node.source;
      uint32_t data_offset = 0;
      uint32_t size = 0;
      uint32_t packed_size = kArchiveNotPacked;
      if (node.folder) {
        data_offset = folder_offset[child];
      } else {
        data_offset = static_cast<uint32_t>(data_area.size());
        size = static_cast<uint32_t>(source->data.size());
        if (packing_allowed && source->pack) {
          const std::vector<uint8_t> packed =
              PackArchiveData(source->data.data(), source->data.size());
          packed_size = static_cast<uint32_t>(packed.size());
          data_area.insert(data_area.end(), packed.begin(), packed.end());
        } else {
          data_area.insert(data_area.end(), source->data.begin(), source->data.end());
        }
      }
      Put32(&entries, name_offset[child]);
      Put32(&entries, node.folder ? kArchiveFolderAttribute : 0x20);
      Put64(&entries, source != nullptr ? source->creation_time : 0);
      Put64(&entries, source != nullptr ? source->last_access_time : 0);
      Put64(&entries, source != nullptr ? source->last_write_time : 0);
      Put32(&entries, data_offset);
      Put32(&entries, size);
      if (packing_allowed) Put32(&entries, packed_size);
    }
  }

  std::vector<uint8_t> folder_table;
  for (size_t folder : folders) {
    size_t parent = 0;
    for (size_t n = 0; n < nodes.size(); ++n) {
      for (size_t child : nodes[n].children) {
        if (child == folder) parent = n;
      }
    }
    Put32(&folder_table, own_entry[folder]);
    Put32(&folder_table, folder == 0 ? kArchiveNoParent : folder_offset[parent]);
    Put32(&folder_table, static_cast<uint32_t>(nodes[folder].children.size()));
    Put32(&folder_table, first_entry[folder]);
  }

  std::vector<uint8_t> directory = names;
  const uint32_t file_table_offset = static_cast<uint32_t>(directory.size());
  directory.insert(directory.end(), entries.begin(), entries.end());
  const uint32_t folder_table_offset = static_cast<uint32_t>(directory.size());
  directory.insert(directory.end(), folder_table.begin(), folder_table.end());

  const uint64_t total = kArchiveHeaderSize + data_area.size() + directory.size();
  if (total > 0xFFFFFFFFull) {
    *error = "archive larger than 4 GB";
    return false;
  }
  std::vector<uint8_t>& out = *archive;
  out.clear();
  Put16(&out, kArchiveMagic);
  Put16(&out, static_cast<uint32_t>(options.version));
  Put32(&out, static_cast<uint32_t>(directory.size()));
  Put32(&out, kArchiveHeaderSize);
  Put32(&out, static_cast<uint32_t>(kArchiveHeaderSize + data_area.size()));
  Put32(&out, file_table_offset);
  Put32(&out, folder_table_offset);
  out.insert(out.end(), data_area.begin(), data_area.end());
  out.insert(out.end(), directory.begin(), directory.end());

  uint8_t key[kArchiveKeySize];
  if (options.fallback_key) {
    ArchiveFallbackKey(key);
  } else {
    ArchiveKeyFromString(options.key ? options.key->c_str() : nullptr, key);
  }
  XorArchiveBytes(out.size(), out.data(), 0, key);
  return true;
}

bool WriteArchiveFromFolder(const std::string& folder, const std::string& archive_path,
                            const ArchiveWriterOptions& options, bool pack, std::string* error) {
  std::vector<ArchiveWriterFile> files;
  if (!ReadFolder(folder, "", &files, error)) return false;
  if (pack) {
    for (ArchiveWriterFile& file : files) {
      if (file.folder) continue;
      file.pack = PackArchiveData(file.data.data(), file.data.size()).size() < file.data.size();
    }
  } else {
    for (ArchiveWriterFile& file : files) file.pack = false;
  }
  std::vector<uint8_t> archive;
  if (!BuildArchive(files, options, &archive, error)) return false;
  std::ofstream out(archive_path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(archive.data()),
            static_cast<std::streamsize>(archive.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + archive_path;
    return false;
  }
  return true;
}
