// Folder searches and the current and temporary folders over the POSIX file
// system (where paths lead: see file_paths.h).
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/host/cp932.h"
#include "platform/host/not_emulated.h"
#include "platform/win32/file_names.h"
#include "platform/win32/file_paths.h"
#include "platform/win32/file_time.h"
#include "platform/win32/files_posix.h"
#include "platform/win32/folder_listings.h"
#include "platform/win32/handle_table.h"
#include "platform/win32/kernel.h"

namespace {

// Whether `name` matches `pattern`: `*` stands for any run of characters, `?`
// for one character (a two-byte character counts as one), other characters
// match themselves regardless of ASCII case. A pattern ending in ".*" also
// matches the name without that ending, so "*.*" matches every name.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
  auto chars = [](std::string_view text) {
    std::vector<std::string_view> out;
    for (size_t i = 0; i < text.size();) {
      const size_t length = CharLength(text, i);
      out.push_back(text.substr(i, length));
      i += length;
    }
    return out;
  };
  auto same = [](std::string_view a, std::string_view b) {
    return a.size() == 1 && b.size() == 1 ? FoldAscii(a[0]) == FoldAscii(b[0]) : a == b;
  };
  auto match = [&](std::string_view pattern_text) {
    const std::vector<std::string_view> p = chars(pattern_text);
    const std::vector<std::string_view> n = chars(name);
    // Classic backtracking over the last star.
    size_t pi = 0, ni = 0, star = p.size(), resume = 0;
    while (ni < n.size()) {
      if (pi < p.size() && p[pi] == "*") {
        star = pi++;
        resume = ni;
      } else if (pi < p.size() && (p[pi] == "?" || same(p[pi], n[ni]))) {
        ++pi;
        ++ni;
      } else if (star != p.size()) {
        pi = star + 1;
        ni = ++resume;
      } else {
        return false;
      }
    }
    while (pi < p.size() && p[pi] == "*") ++pi;
    return pi == p.size();
  };
  if (match(pattern)) return true;
  return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
         match(pattern.substr(0, pattern.size() - 2));
}

// ---- Folder searches ------------------------------------------------------------

struct FolderSearch : HandleObject {
  bool ClosedByCloseHandle() const override { return false; }
  std::vector<WIN32_FIND_DATAA> found;
  size_t next = 0;
  std::mutex mutex;
};

WIN32_FIND_DATAA FindData(const std::string& cp932_name, const PosixEntryInfo& info) {
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = AttributesOf(info);
  data.ftCreationTime = FileTimeFromUnixTime(info.creation_seconds, info.creation_nanoseconds);
  data.ftLastAccessTime = FileTimeFromUnixTime(info.access_seconds, info.access_nanoseconds);
  data.ftLastWriteTime = FileTimeFromUnixTime(info.write_seconds, info.write_nanoseconds);
  const uint64_t size = info.directory ? 0 : info.size;
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size);
  std::memcpy(data.cFileName, cp932_name.c_str(), cp932_name.size() + 1);
  return data;
}

// Whether `folder` is the root, which lists no "." and "..".
bool IsRoot(int folder) {
  PosixEntryInfo here, root;
  Descriptor root_folder(PosixOpenRootFolder());
  return root_folder.valid() && PosixInfoOf(folder, &here) &&
         PosixInfoOf(root_folder.get(), &root) && here.device == root.device &&
         here.inode == root.inode;
}

}  // namespace

// ---- Folder searches --------------------------------------------------------------

// The folder is read once, at the first call; its entries that match are
// handed out in order: "." and ".." (except in the root), then the others by
// their upper-cased Shift-JIS name. Names whose Shift-JIS form does not fit
// cFileName are left out.
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data) {
  if (pattern == nullptr || pattern[0] == '\0') return INVALID_HANDLE_VALUE;
  PathText text = SplitPath(pattern);
  if (text.base == PathBase::kNetwork || text.parts.empty() || text.trailing_separator) {
    return INVALID_HANDLE_VALUE;
  }
  const std::string name_pattern = text.parts.back();
  text.parts.pop_back();
  // Only the last component may hold wildcards.
  if (!SplitPath(std::string_view(pattern, std::strlen(pattern) - name_pattern.size())).valid) {
    return INVALID_HANDLE_VALUE;
  }
  const std::vector<std::string> parts = NormalisedParts(text.base, text.parts);
  const Descriptor folder = WalkFolders(text.base, parts, parts.size()).folder;
  if (!folder.valid()) return INVALID_HANDLE_VALUE;

  std::vector<std::string> names;
  if (!PosixListFolder(folder.get(), &names)) return INVALID_HANDLE_VALUE;
  struct Candidate {
    std::string key;  // sort key
    WIN32_FIND_DATAA data;
  };
  std::vector<Candidate> others;
  for (const std::string& name : names) {
    const std::string cp932 = Utf8ToCp932(name);
    if (cp932.size() >= MAX_PATH || !WildcardMatch(name_pattern, cp932)) continue;
    PosixEntryInfo info;
    if (!PosixInfoAt(folder.get(), name, &info)) continue;  // e.g. a broken link
    others.push_back(Candidate{FoldedName(cp932) + '\0' + cp932, FindData(cp932, info)});
  }
  std::sort(others.begin(), others.end(),
            [](const Candidate& a, const Candidate& b) { return a.key < b.key; });

  auto search = std::make_shared<FolderSearch>();
  if (!IsRoot(folder.get())) {
    for (const char* dots : {".", ".."}) {
      PosixEntryInfo info;
      if (WildcardMatch(name_pattern, dots) && PosixInfoAt(folder.get(), dots, &info)) {
        search->found.push_back(FindData(dots, info));
      }
    }
  }
  for (Candidate& candidate : others) search->found.push_back(candidate.data);
  if (search->found.empty()) return INVALID_HANDLE_VALUE;
  if (data != nullptr) *data = search->found[0];
  search->next = 1;
  return AddHandle(std::move(search));
}

BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data) {
  std::shared_ptr<FolderSearch> found = FindHandleAs<FolderSearch>(search);
  RequireEmulated(found || !FindHandle(search), "FindNextFileA", "not a folder search handle",
                  search);
  if (!found) return FALSE;
  std::lock_guard<std::mutex> lock(found->mutex);
  if (found->next >= found->found.size()) return FALSE;
  if (data != nullptr) *data = found->found[found->next];
  ++found->next;
  return TRUE;
}

BOOL FindClose(HANDLE search) {
  const bool closed = RemoveHandle(search, [](const HandleObject& object) {
    return dynamic_cast<const FolderSearch*>(&object) != nullptr;
  });
  RequireEmulated(closed || !FindHandle(search), "FindClose", "FindClose takes a folder search handle",
                  search);
  return closed ? TRUE : FALSE;
}

// ---- Folders --------------------------------------------------------------------------

// The path is taken with the folders above the current folder, once for as
// long as the current folder stays the same folder.
DWORD GetCurrentDirectoryA(DWORD buffer_length, LPSTR buffer) {
  std::string path;
  if (std::shared_ptr<FoldersAbove> above = FoldersAboveNow()) {
    path = CurrentFolderPathAbove(*above);
  } else if (!PosixCurrentFolderPath(&path)) {
    return 0;
  }
  return CopyOut(WindowsPath(path), buffer_length, buffer);
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  Location location;
  if (!Locate(path, &location) || !location.exists || !location.info.directory) return FALSE;
  Descriptor folder(PosixOpenFolderAt(location.folder.get(), location.name));
  return folder.valid() && PosixChangeFolder(folder.get()) ? TRUE : FALSE;
}

DWORD GetTempPathA(DWORD buffer_length, LPSTR buffer) {
  std::string path = WindowsPath(PosixTemporaryFolderPath());
  if (path.back() != '\\') path += '\\';
  return CopyOut(path, buffer_length, buffer);
}

// Numbers are tried from a per-process starting point onwards, skipping
// names in use. A name that would not fit MAX_PATH bytes fails.
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR temp_file_name) {
  RequireEmulated(folder != nullptr, "GetTempFileNameA", "a folder is needed", folder);
  RequireEmulated(temp_file_name != nullptr, "GetTempFileNameA", "a name buffer is needed",
                  temp_file_name);
  std::string base = folder;
  // Ends with a separator unless its last character is a two-byte one
  // whose trail byte happens to be 0x5C.
  bool separated = false;
  for (size_t i = 0; i < base.size();) {
    const size_t length = CharLength(base, i);
    separated = length == 1 && IsSeparator(base[i]);
    i += length;
  }
  if (!base.empty() && !separated) base += '\\';
  if (prefix != nullptr) {
    const std::string_view text(prefix);
    size_t at = 0;
    for (int characters = 0; characters < 3 && at < text.size(); ++characters) {
      at += CharLength(text, at);
    }
    base.append(text.substr(0, at));
  }
  auto name_for = [&](UINT number) {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "%X", number & 0xFFFFu);
    return base + hex + ".tmp";
  };
  auto give = [&](const std::string& name) {
    std::memcpy(temp_file_name, name.c_str(), name.size() + 1);
  };
  if (name_for(0xFFFF).size() >= MAX_PATH) return 0;
  if (unique != 0) {
    give(name_for(unique));
    return unique;
  }
  static std::atomic<uint32_t> next{static_cast<uint32_t>(PosixProcessId())};
  for (int tries = 0; tries < 0xFFFF; ++tries) {
    UINT number = next.fetch_add(1) & 0xFFFFu;
    if (number == 0) number = next.fetch_add(1) & 0xFFFFu;
    const std::string name = name_for(number);
    OpenFailure failure;
    HANDLE file = OpenFileAt(name.c_str(), GENERIC_WRITE, 0, CREATE_NEW, &failure);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      give(name);
      return number;
    }
    if (failure != OpenFailure::kExists) return 0;
  }
  return 0;
}
