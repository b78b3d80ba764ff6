// Writes archive files in the runtime's format: a folder tree in one file,
// every byte XORed with the key the runtime derives from the same key string,
// each file stored as it is or packed with the archive's LZ-style coding.
// The key derivation, the XOR and the name records are the runtime's own
// (runtime/core/archive.h), so whatever this writes the runtime reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ArchiveWriterFile {
  // Shift-JIS, relative to the archive's root; `\` or `/` between folders.
  std::string path;
  std::vector<uint8_t> data;
  bool folder = false;  // an empty folder entry (folders of files are made anyway)
  bool pack = true;     // packed from version 2 on; stored below that
  // FILETIME values: 100 ns units since 1601-01-01 UTC.
  uint64_t creation_time = 0;
  uint64_t last_access_time = 0;
  uint64_t last_write_time = 0;
};

struct ArchiveWriterOptions {
  // 0 to 3. Below 2: 40-byte file entries and nothing packed.
  int version = 3;
  // The key string; none gives the runtime's no-key key.
  std::optional<std::string> key;
  // Write with the runtime's fallback key instead of the key string's.
  bool fallback_key = false;
};

// One packed stream (9-byte head, then the codes) of `size` bytes.
std::vector<uint8_t> PackArchiveData(const uint8_t* data, size_t size);

// The whole archive. Files keep their given order within each folder; a
// folder's entry stands where its first file or folder entry is given.
// Returns false (with `error` set) for an empty name, a file and a folder
// with the same name, or a name too long for the format.
bool BuildArchive(const std::vector<ArchiveWriterFile>& files, const ArchiveWriterOptions& options,
                  std::vector<uint8_t>* archive, std::string* error);

// Reads `folder` from disk (names turned from UTF-8 into Shift-JIS, entries
// sorted by name, times from the files) and writes its archive to
// `archive_path`. With `pack`, a file is packed when that makes it smaller.
bool WriteArchiveFromFolder(const std::string& folder, const std::string& archive_path,
                            const ArchiveWriterOptions& options, bool pack, std::string* error);
