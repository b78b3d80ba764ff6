// The whole-program tests' main: --update-golden rewrites the golden files.
#include <cstring>
#include <vector>

#include "tests/app/whole_program_support.h"

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--update-golden") == 0) {
      UpdateGolden = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  ::testing::InitGoogleTest(&count, args.data());
  return RUN_ALL_TESTS();
}
