// make_archive: writes the archive of a folder, for the runtime to read in
// place of that folder.
//
//   make_archive [--key=TEXT] [--version=N] [--stored] FOLDER [ARCHIVE]
//
// ARCHIVE defaults to FOLDER with ".dat" added, beside the folder. Without
// --key the archive is written with the runtime's no-key key. --stored keeps
// every file as it is; otherwise a file is packed when that makes it smaller.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/archive_writer/archive_writer.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: make_archive [--key=TEXT] [--version=0..3] [--stored] FOLDER [ARCHIVE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  ArchiveWriterOptions options;
  bool pack = true;
  std::string folder;
  std::string archive;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--key=", 0) == 0) {
      options.key = arg.substr(6);
    } else if (arg.rfind("--version=", 0) == 0) {
      const std::string value = arg.substr(10);
      if (value.size() != 1 || value[0] < '0' || value[0] > '3') return Usage();
      options.version = value[0] - '0';
    } else if (arg == "--stored") {
      pack = false;
    } else if (arg.rfind("--", 0) == 0) {
      return Usage();
    } else if (folder.empty()) {
      folder = arg;
    } else if (archive.empty()) {
      archive = arg;
    } else {
      return Usage();
    }
  }
  if (folder.empty()) return Usage();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (archive.empty()) archive = folder + ".dat";

  std::string error;
  if (!WriteArchiveFromFolder(folder, archive, options, pack, &error)) {
    std::fprintf(stderr, "make_archive: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
