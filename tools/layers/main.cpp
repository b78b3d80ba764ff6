// layer_check: checks the includes of game/, runtime/ and platform/ against
// the layer order (see layer_check.h and layers.txt).
//
//   layer_check SOURCE_ROOT LAYERS_FILE
//
// Prints one line per violation ("file:line: message", the file relative to
// the root) and exits 1, or prints a summary line and exits 0. Exits 2 on bad
// usage or a layers file that cannot be read or parsed.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/layers/layer_check.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: layer_check SOURCE_ROOT LAYERS_FILE\n");
    return 2;
  }
  const std::filesystem::path root(argv[1]);
  std::error_code error;
  if (!std::filesystem::is_directory(root, error)) {
    std::fprintf(stderr, "layer_check: %s is not a folder\n", argv[1]);
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "layer_check: cannot read %s\n", argv[2]);
    return 2;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LayerOrder order;
  std::string problem;
  if (!ParseLayerOrder(text, &order, &problem)) {
    std::fprintf(stderr, "layer_check: %s: %s\n", argv[2], problem.c_str());
    return 2;
  }

  const LayerCheckResult result = CheckLayers(root, order);
  if (result.violations.empty()) {
    std::printf("layer check: %d files, %d includes, no violation\n", result.files,
                result.includes);
    return 0;
  }
  for (const LayerViolation& violation : result.violations) {
    std::printf("%s\n", FormatViolation(violation).c_str());
  }
  std::fprintf(stderr, "layer check: %d files, %d includes, %zu violation%s\n", result.files,
               result.includes, result.violations.size(), result.violations.size() == 1 ? "" : "s");
  return 1;
}
