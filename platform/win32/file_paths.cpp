// The walk of a path's folders to where it leads (see file_paths.h).
#include "platform/win32/file_paths.h"

#include <cstring>

#include "platform/host/cp932.h"
#include "platform/win32/file_names.h"

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

namespace {

// Windows refuses these in a file name; a Shift-JIS trail byte may be any of
// them and is not checked.
bool IsForbiddenNameChar(unsigned char c) {
  switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*':
      return true;
    default:
      return c < 0x20;
  }
}

}  // namespace

// ---- Paths ----------------------------------------------------------------------

PathText SplitPath(std::string_view path) {
  PathText text;
  size_t at = 0;
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (drive) at = 2;  // every drive letter names the one POSIX root
  if (at < path.size() && IsSeparator(path[at])) {
    text.base = !drive && at + 1 < path.size() && IsSeparator(path[at + 1]) ? PathBase::kNetwork
                                                                          : PathBase::kRoot;
  }
  std::string part;
  bool part_valid = true;
  auto finish_part = [&] {
    if (!part.empty()) {
      text.parts.push_back(part);
      if (!part_valid) text.valid = false;
    }
    part.clear();
    part_valid = true;
  };
  while (at < path.size()) {
    const size_t length = CharLength(path, at);
    if (length == 1 && IsSeparator(path[at])) {
      finish_part();
      text.trailing_separator = true;
    } else {
      if (length == 1 && IsForbiddenNameChar(static_cast<unsigned char>(path[at]))) {
        part_valid = false;
      }
      part.append(path.substr(at, length));
      text.trailing_separator = false;
    }
    at += length;
  }
  finish_part();
  if (text.parts.empty()) text.trailing_separator = false;
  return text;
}

std::vector<std::string> NormalisedParts(PathBase base, const std::vector<std::string>& parts) {
  std::vector<std::string> out;
  for (const std::string& part : parts) {
    if (part == ".") continue;
    if (part == "..") {
      if (!out.empty() && out.back() != "..") {
        out.pop_back();
      } else if (base == PathBase::kCurrentFolder) {
        out.push_back(part);
      }
      continue;
    }
    out.push_back(part);
  }
  return out;
}


namespace {

// What trying one name in a folder found.
enum class Tried { kFound, kAbsent, kUnusable };

// Looks the entry `wanted` (Shift-JIS) up in `folder`, handing names to
// `try_name(utf8_name, folder_seen)` until one is found: the name as written,
// else the first name in byte order that equals it but for case. A name that
// exists but cannot be used ends the look-up. A folder with a kept listing
// (see folder_listings.h) is asked no more than its modification time, or
// nothing where it is watched, and only names it lists are tried; a name
// that exists as written in a folder without one is found without listing
// it. `folder_seen` is what was read of the folder before looking there, or
// null where nothing may be kept of it.
template <class TryName>
bool LookUp(const Descriptor& descriptor, bool* changes_taken, const std::string& wanted,
            TryName try_name) {
  const int folder = descriptor.get();
  const std::string as_written = Cp932ToUtf8(wanted);
  if (wanted == "." || wanted == "..") return try_name(as_written, nullptr) == Tried::kFound;
  FolderSeen folder_seen;
  const FolderSeen* known =
      SeeFolder(folder, descriptor.shared(), changes_taken, &folder_seen) ? &folder_seen : nullptr;
  ListedName match;
  bool tried_as_written = false;
  auto try_as_written = [&] {
    tried_as_written = true;
    return try_name(as_written, known);
  };
  if (known != nullptr && MatchKeptListing(folder_seen, wanted, as_written, &match)) {
    if (match.exact) {
      const Tried tried = try_as_written();
      if (tried != Tried::kAbsent) return tried == Tried::kFound;
    }
  } else {
    const Tried tried = try_as_written();
    if (tried != Tried::kAbsent) return tried == Tried::kFound;
    if (!MatchNewListing(folder, known, wanted, as_written, &match)) return false;
  }
  if (match.first_equal.empty() || (tried_as_written && match.first_equal == as_written)) {
    return false;
  }
  return try_name(match.first_equal, known) == Tried::kFound;
}

// LookUp in a folder above the current folder (see FoldersAbove): the name
// as written is tried first, then the first name in byte order of the
// folder's listing, read once, that equals it but for case. Nothing kept
// of the folder is checked again.
template <class TryName>
bool LookUpAbove(FoldersAbove& above, const FolderOnWay& way, const std::string& wanted,
                 TryName try_name) {
  const std::string as_written = Cp932ToUtf8(wanted);
  const Tried tried = try_name(as_written, nullptr);
  if (tried != Tried::kAbsent || wanted == "." || wanted == "..") return tried == Tried::kFound;
  ListedName match;
  if (!MatchListingAbove(above, way, wanted, as_written, &match)) return false;
  if (match.first_equal.empty() || match.first_equal == as_written) return false;
  return try_name(match.first_equal, nullptr) == Tried::kFound;
}

// Finds the entry `wanted` (Shift-JIS) in the folder reached (see LookUp).
// Fills the entry's UTF-8 name and information; false when there is none,
// with the name last tried, or as written.
bool FindEntry(Reached& reached, const std::string& wanted, std::string* name,
               PosixEntryInfo* info) {
  const int folder = reached.folder.get();
  *name = Cp932ToUtf8(wanted);
  auto try_name = [&](const std::string& candidate, const FolderSeen*) {
    *name = candidate;
    return PosixInfoAt(folder, candidate, info) ? Tried::kFound : Tried::kAbsent;
  };
  if (reached.above) return LookUpAbove(*reached.above, reached.way, wanted, try_name);
  return LookUp(reached.folder, &reached.changes_taken, wanted, try_name);
}

// The root, opened once; null when it cannot be opened.
std::shared_ptr<SharedFolder> RootFolder() {
  static const std::shared_ptr<SharedFolder> root =
      std::make_shared<SharedFolder>(PosixOpenRootFolder());
  return root->get() >= 0 ? root : nullptr;
}

// The folder the walk starts from. The root stays open once opened; the
// current folder is taken as it is at each call.
Descriptor OpenBase(PathBase base) {
  if (base == PathBase::kRoot) {
    std::shared_ptr<SharedFolder> root = RootFolder();
    return root ? Descriptor(std::move(root)) : Descriptor(PosixOpenRootFolder());
  }
  return Descriptor(PosixCurrentFolder());
}

// Opens the folder `name` inside `folder`, or takes the descriptor kept of it,
// into `inside`. One reached through a symbolic link is not kept.
Tried OpenFolderInside(int folder, const FolderSeen* folder_info, const std::string& name,
                       Descriptor* inside) {
  if (folder_info != nullptr) {
    if (std::shared_ptr<SharedFolder> kept = KeptFolderInside(*folder_info, name)) {
      *inside = Descriptor(std::move(kept));
      return Tried::kFound;
    }
  }
  bool missing = false;
  bool through_link = false;
  const int descriptor = PosixOpenFolderAt(folder, name, &missing, &through_link);
  if (descriptor < 0) return missing ? Tried::kAbsent : Tried::kUnusable;
  *inside = folder_info != nullptr && !through_link
                ? Descriptor(KeepFolderInside(*folder_info, name, descriptor))
                : Descriptor(descriptor);
  return Tried::kFound;
}

// Walks the first `count` of `parts` from the root along the way to the
// current folder, as far as it is kept or leads (see FoldersAbove): the walk
// starts from the longest start of the path walked before and takes the
// folders above the current folder as they were first seen. Fills `reached`
// and `walked`, how many parts were walked; false when the way cannot be
// used (the walk then goes as usual).
bool WalkOnWay(const std::vector<std::string>& parts, size_t count, Reached* reached,
               size_t* walked_parts) {
  std::shared_ptr<FoldersAbove> above = FoldersAboveNow();
  if (!above) return false;
  // keys[i]: the walk of the first i parts (names hold no NUL).
  std::vector<std::string> keys(count + 1);
  for (size_t i = 1; i <= count; ++i) keys[i] = keys[i - 1] + '\0' + parts[i - 1];
  FolderOnWay way;
  size_t walked = count + 1;
  bool kept = false;
  while (!kept && walked-- > 0) kept = KeptFolderOnWay(*above, keys[walked], &way);
  if (!kept) {
    walked = 0;
    if (!KeepFolderOnWay(*above, keys[0], RootFolder(), &way)) return false;
  }
  reached->folder = Descriptor(way.folder);
  while (way.above && walked < count) {
    std::shared_ptr<SharedFolder> inside;
    bool through_link = false;
    LookUpAbove(*above, way, parts[walked], [&](const std::string& name, const FolderSeen*) {
      bool missing = false;
      const int descriptor = PosixOpenFolderAt(way.folder->get(), name, &missing, &through_link);
      if (descriptor < 0) return missing ? Tried::kAbsent : Tried::kUnusable;
      inside = std::make_shared<SharedFolder>(descriptor);
      return Tried::kFound;
    });
    *walked_parts = ++walked;
    if (!inside) {
      reached->folder = Descriptor();
      return true;
    }
    // Off the way (or reached through a link, which may lead elsewhere at
    // the next walk): walked as usual from here.
    if (through_link || !KeepFolderOnWay(*above, keys[walked], inside, &way)) {
      reached->folder = Descriptor(std::move(inside));
      return true;
    }
    reached->folder = Descriptor(way.folder);
  }
  if (way.above) {
    reached->above = std::move(above);
    reached->way = way;
  }
  *walked_parts = walked;
  return true;
}

}  // namespace

Reached WalkFolders(PathBase base, const std::vector<std::string>& parts, size_t count) {
  Reached reached;
  size_t walked = 0;
  if (base != PathBase::kRoot || !WalkOnWay(parts, count, &reached, &walked)) {
    reached.folder = OpenBase(base);
  }
  for (size_t i = walked; i < count && reached.folder.valid(); ++i) {
    Descriptor inside;
    const int folder = reached.folder.get();
    LookUp(reached.folder, &reached.changes_taken, parts[i], [&](const std::string& name, const FolderSeen* info) {
      return OpenFolderInside(folder, info, name, &inside);
    });
    reached.folder = std::move(inside);
  }
  return reached;
}

bool Locate(LPCSTR path, Location* location) {
  if (path == nullptr || path[0] == '\0') return false;
  PathText text = SplitPath(path);
  if (!text.valid || text.base == PathBase::kNetwork) return false;  // no network shares here
  const std::vector<std::string> parts = NormalisedParts(text.base, text.parts);
  location->trailing_separator = text.trailing_separator;
  if (parts.empty()) {
    location->folder = OpenBase(text.base);
    location->name.assign(1, '.');  // the literal draws a false -Wrestrict from GCC 12
    location->exists = location->folder.valid() &&
                       PosixInfoAt(location->folder.get(), ".", &location->info);
    return location->folder.valid();
  }
  Reached reached = WalkFolders(text.base, parts, parts.size() - 1);
  if (!reached.folder.valid()) return false;
  location->exists = FindEntry(reached, parts.back(), &location->name, &location->info);
  location->folder = std::move(reached.folder);
  if (location->exists && location->trailing_separator && !location->info.directory) {
    location->exists = false;  // "file.txt\" names no folder
  }
  return true;
}

std::string WindowsPath(const std::string& posix_path) {
  std::string path = "C:" + Utf8ToCp932(posix_path);
  for (size_t i = 2; i < path.size();) {
    const size_t length = CharLength(path, i);
    if (length == 1 && path[i] == '/') path[i] = '\\';
    i += length;
  }
  return path;
}

DWORD CopyOut(const std::string& text, DWORD buffer_length, LPSTR buffer) {
  if (buffer == nullptr || text.size() >= buffer_length) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

DWORD AttributesOf(const PosixEntryInfo& info) {
  if (info.directory) return FILE_ATTRIBUTE_DIRECTORY;
  return FILE_ATTRIBUTE_ARCHIVE | (info.writable ? 0 : FILE_ATTRIBUTE_READONLY);
}
