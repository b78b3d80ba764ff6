// The layer check: reads every #include of the sources under game/, runtime/
// and platform/ of a source root and checks them against an ordered list of
// folders (tools/layers/layers.txt):
//
//   - every folder holding a source is named in the order;
//   - a file includes headers of its own folder, of its own layer when that
//     layer is shared, and of the layers below; never of a layer above, of a
//     peer folder on its own line, or of a folder the order does not name;
//   - `allow` lines narrow what some folders may take from other layers;
//   - `system` lines keep system headers (SDL, POSIX, ...) to named folders;
//   - independently of the order, the include graph between the runtime and
//     platform folders has no circle.
//
// The includes of a file in a folder the order does not name are held only
// to the system rules and the circle check: that folder is reported once.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The parsed layers file.
struct LayerOrder {
  struct Layer {
    std::vector<std::string> folders;
    bool shared = false;  // its folders may include each other
    int line = 0;         // in the layers file
  };
  // Files of `folder` (a folder, or "X/*" for every folder under X) may
  // include, from folders of other layers, only `headers` (root-relative).
  // When several rules name a folder, it may include any header they list.
  struct Allow {
    std::string folder;
    std::vector<std::string> headers;
  };
  // An angle include whose name starts with `prefix` is allowed only in
  // files of `folders` (each a folder or "X/*"). When several prefixes match
  // one name, the longest decides.
  struct System {
    std::string prefix;
    std::vector<std::string> folders;
  };

  std::vector<Layer> layers;  // from the bottom up
  std::vector<Allow> allows;
  std::vector<System> systems;
};

struct LayerViolation {
  std::string file;  // relative to the source root, with '/'
  int line = 0;
  std::string message;

  bool operator==(const LayerViolation&) const = default;
};

struct LayerCheckResult {
  int files = 0;     // sources read
  int includes = 0;  // #include lines found in them
  std::vector<LayerViolation> violations;  // by file, then line
};

// Parses the text of a layers file. False, with `error` naming the line and
// what is wrong with it, for a malformed line, a folder named twice, or a rule
// that names no folder of the order.
bool ParseLayerOrder(const std::string& text, LayerOrder* order, std::string* error);

// Reads the sources under game/, runtime/ and platform/ of `root` and checks
// their includes against `order`.
LayerCheckResult CheckLayers(const std::filesystem::path& root, const LayerOrder& order);

// "file:line: message", the form the check prints.
std::string FormatViolation(const LayerViolation& violation);

// One #include of a source: its line (from 1), the name between the quotes
// or angle brackets, and which of the two it was written with.
struct IncludeLine {
  int line = 0;
  std::string name;
  bool angle = false;

  bool operator==(const IncludeLine&) const = default;
};

// The #include lines of a source's text, leaving out those inside block
// comments and raw string literals. Any bytes are accepted.
std::vector<IncludeLine> FindIncludes(const std::string& text);
