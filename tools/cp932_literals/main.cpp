// cp932_literals: writes a copy of a C++ source whose plain literals hold
// CP932 bytes as escapes (see cp932_literals.h), opening with a #line
// directive so that diagnostics and __FILE__ name the original.
//
//   cp932_literals SOURCE COPY
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/cp932_literals/cp932_literals.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: cp932_literals SOURCE COPY\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cp932_literals: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string copy;
  std::string error;
  if (!RewriteCp932Literals(source, &copy, &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  const std::filesystem::path out_path(argv[2]);
  std::filesystem::create_directories(out_path.parent_path());
  std::ofstream out(out_path, std::ios::binary);
  out << "#line 1 \"" << argv[1] << "\"\n" << copy;
  return out ? 0 : 1;
}
