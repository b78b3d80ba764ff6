// make_sample_data: writes the sample data set into a folder, from which the
// game runs (brimal --data=FOLDER).
//
//   make_sample_data [--archive] FOLDER
//
// --archive also packs FOLDER/data into FOLDER/data.dat with the game's
// archive key; the game then reads its pictures and sounds from the archive.
#include <cstdio>
#include <string>

#include "tools/sample_data/sample_data.h"

int main(int argc, char** argv) {
  SampleDataOptions options;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--archive") {
      options.archive = true;
    } else if (arg.rfind("--", 0) == 0 || !folder.empty()) {
      std::fprintf(stderr, "usage: make_sample_data [--archive] FOLDER\n");
      return 2;
    } else {
      folder = arg;
    }
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: make_sample_data [--archive] FOLDER\n");
    return 2;
  }
  std::string error;
  if (!GenerateSampleData(folder, options, &error)) {
    std::fprintf(stderr, "make_sample_data: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
