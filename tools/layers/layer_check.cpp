#include "tools/layers/layer_check.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <system_error>
#include <tuple>
#include <utility>

namespace {

// The folders whose sources are read.
const char* const kCheckedTops[] = {"game", "runtime", "platform"};
// The folders between which the include graph must have no circle.
const char* const kCircleTops[] = {"runtime", "platform"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (IsSpace(text[begin]) || text[begin] == '\n')) ++begin;
  while (end > begin && (IsSpace(text[end - 1]) || text[end - 1] == '\n')) --end;
  return text.substr(begin, end - begin);
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

std::string Join(const std::vector<std::string>& parts, const char* separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i != 0) out += separator;
    out += parts[i];
  }
  return out;
}

// The part of a path before its first '/', or "" when it has none.
std::string FirstPart(const std::string& path) {
  const size_t slash = path.find('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsOneOf(const std::string& part, const char* const* begin, const char* const* end) {
  return std::any_of(begin, end, [&](const char* top) { return part == top; });
}

bool IsCheckedTop(const std::string& part) {
  return IsOneOf(part, std::begin(kCheckedTops), std::end(kCheckedTops));
}

bool IsCircleTop(const std::string& part) {
  return IsOneOf(part, std::begin(kCircleTops), std::end(kCircleTops));
}

// The folder of a root-relative file; "" for a file in the root itself.
std::string FolderOf(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

std::string ShownFolder(const std::string& folder) {
  return folder.empty() ? std::string("the root folder") : folder;
}

// A folder pattern of an allow or system rule: the folder itself, or with a
// trailing "/*" every folder under it.
bool MatchesFolder(const std::string& pattern, const std::string& folder) {
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, "/*") == 0) {
    const std::string base = pattern.substr(0, pattern.size() - 1);  // keeps the '/'
    return folder.compare(0, base.size(), base) == 0 && folder.size() > base.size();
  }
  return pattern == folder;
}

// A path made lexically normal, with '/', or "" when it leaves the root.
std::string NormalPath(const std::filesystem::path& path) {
  const std::string normal = path.lexically_normal().generic_string();
  if (normal.empty() || normal == "." || normal == ".." || normal.compare(0, 3, "../") == 0 ||
      normal[0] == '/') {
    return std::string();
  }
  return normal;
}

bool IsSourceName(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  return extension == ".h" || extension == ".hpp" || extension == ".cpp" || extension == ".cc" ||
         extension == ".inc";
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The text with comments and the insides of raw string literals turned into
// spaces (line breaks kept), so that a directive is seen only where the
// compiler sees one. Ordinary literals stay: an include's quoted name is one.
std::string CodeOnly(const std::string& text) {
  std::string out = text;
  const size_t size = text.size();
  auto blank = [&](size_t from, size_t to) {
    for (size_t i = from; i < to && i < size; ++i) {
      if (out[i] != '\n') out[i] = ' ';
    }
  };
  size_t at = 0;
  while (at < size) {
    const char c = text[at];
    const char next = at + 1 < size ? text[at + 1] : '\0';
    if (c == '/' && next == '/') {
      const size_t end = text.find('\n', at);
      const size_t stop = end == std::string::npos ? size : end;
      blank(at, stop);
      at = stop;
    } else if (c == '/' && next == '*') {
      const size_t end = text.find("*/", at + 2);
      const size_t stop = end == std::string::npos ? size : end + 2;
      blank(at, stop);
      at = stop;
    } else if (c == '"' || c == '\'') {
      // The word right in front of the quote: an encoding prefix, the R of a
      // raw literal, or the digits of a number with separators (1'000).
      size_t word = at;
      while (word > 0 && IsIdentifierChar(text[word - 1])) --word;
      const std::string prefix = text.substr(word, at - word);
      if (c == '\'' && !prefix.empty() && IsDigit(prefix[0])) {
        ++at;
        continue;
      }
      if (c == '"' && (prefix == "R" || prefix == "u8R" || prefix == "uR" || prefix == "UR" ||
                       prefix == "LR")) {
        // R"delimiter( ... )delimiter"
        const size_t open = text.find('(', at + 1);
        if (open != std::string::npos && open - (at + 1) <= 16) {
          const std::string close = ")" + text.substr(at + 1, open - (at + 1)) + "\"";
          const size_t end = text.find(close, open + 1);
          blank(open + 1, end == std::string::npos ? size : end);
          at = end == std::string::npos ? size : end + close.size();
          continue;
        }
      }
      // An ordinary literal ends at its closing quote or, unclosed, at the
      // end of the line.
      ++at;
      while (at < size && text[at] != c && text[at] != '\n') {
        at += text[at] == '\\' && at + 1 < size && text[at + 1] != '\n' ? 2 : 1;
      }
      if (at < size && text[at] == c) ++at;
    } else {
      ++at;
    }
  }
  return out;
}

// `^\s*#\s*include\s*[<"]([^>"]+)[>"]` on one line of code.
bool MatchInclude(const std::string& line, IncludeLine* include) {
  size_t at = 0;
  while (at < line.size() && IsSpace(line[at])) ++at;
  if (at == line.size() || line[at] != '#') return false;
  ++at;
  while (at < line.size() && IsSpace(line[at])) ++at;
  if (line.compare(at, 7, "include") != 0) return false;
  at += 7;
  while (at < line.size() && IsSpace(line[at])) ++at;
  if (at == line.size() || (line[at] != '<' && line[at] != '"')) return false;
  const bool angle = line[at] == '<';
  const char closer = angle ? '>' : '"';
  const size_t begin = ++at;
  while (at < line.size() && line[at] != '>' && line[at] != '"') ++at;
  if (at == line.size() || at == begin || line[at] != closer) return false;
  include->name = line.substr(begin, at - begin);
  include->angle = angle;
  return true;
}

// Where a folder stands in the order.
struct Place {
  size_t layer = 0;
  bool shared = false;
};

// One include of a header in the tree, kept for the circle check.
struct Site {
  std::string file;
  int line = 0;
};

class Checker {
 public:
  Checker(const std::filesystem::path& root, const LayerOrder& order) : root_(root), order_(order) {
    for (size_t i = 0; i < order.layers.size(); ++i) {
      for (const std::string& folder : order.layers[i].folders) {
        places_[folder] = Place{i, order.layers[i].shared};
      }
    }
  }

  LayerCheckResult Run() {
    for (const std::string& file : Sources()) CheckFile(file);
    FindCircles();
    std::sort(result_.violations.begin(), result_.violations.end(),
              [](const LayerViolation& a, const LayerViolation& b) {
                return std::tie(a.file, a.line, a.message) < std::tie(b.file, b.line, b.message);
              });
    return std::move(result_);
  }

 private:
  // The root-relative names of the sources to read, sorted.
  std::vector<std::string> Sources() const {
    std::vector<std::string> files;
    for (const char* top : kCheckedTops) {
      std::error_code error;
      const std::filesystem::path folder = root_ / top;
      if (!std::filesystem::is_directory(folder, error)) continue;
      for (auto it = std::filesystem::recursive_directory_iterator(
               folder, std::filesystem::directory_options::skip_permission_denied, error);
           !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error) && IsSourceName(it->path())) {
          files.push_back(it->path().lexically_relative(root_).generic_string());
        }
      }
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  void Report(const std::string& file, int line, std::string message) {
    result_.violations.push_back(LayerViolation{file, line, std::move(message)});
  }

  bool InTree(const std::string& relative) const {
    std::error_code error;
    return !relative.empty() && std::filesystem::is_regular_file(root_ / relative, error);
  }

  // The root-relative name of the header a quoted include names, or "" when
  // it is not in the tree (a system or generated header).
  std::string Resolve(const std::string& folder, const std::string& name) const {
    if (IsCheckedTop(FirstPart(name))) return NormalPath(name);
    const std::string own = NormalPath(std::filesystem::path(folder) / name);
    if (InTree(own)) return own;
    const std::string from_root = NormalPath(name);
    if (InTree(from_root)) return from_root;
    return std::string();
  }

  void CheckFile(const std::string& file) {
    ++result_.files;
    const std::string folder = FolderOf(file);
    const bool placed = places_.count(folder) != 0;
    if (!placed && unplaced_reported_.insert(folder).second) {
      Report(file, 1, "folder " + ShownFolder(folder) + " is not in the layer order");
    }
    for (const IncludeLine& include : FindIncludes(ReadFile(root_ / file))) {
      ++result_.includes;
      const std::string header = include.angle ? std::string() : Resolve(folder, include.name);
      if (header.empty()) {
        CheckSystem(file, folder, include);
        continue;
      }
      const std::string target = FolderOf(header);
      if (target == folder) continue;
      edges_.emplace(std::make_pair(folder, target), Site{file, include.line});
      if (placed) CheckOrder(file, folder, include.line, header, target);
    }
  }

  void CheckOrder(const std::string& file, const std::string& folder, int line,
                  const std::string& header, const std::string& target) {
    const Place from = places_.at(folder);
    const auto to = places_.find(target);
    const std::string head = "includes " + header + ": ";
    if (to == places_.end()) {
      Report(file, line, head + ShownFolder(target) + " is not in the layer order");
    } else if (to->second.layer > from.layer) {
      Report(file, line, head + target + " is above " + folder);
    } else if (to->second.layer == from.layer) {
      if (!from.shared) Report(file, line, head + target + " is a peer of " + folder);
    } else {
      CheckAllow(file, folder, line, header);
    }
  }

  // An include from another layer, against the allow rules of the folder.
  void CheckAllow(const std::string& file, const std::string& folder, int line,
                  const std::string& header) {
    std::vector<std::string> allowed;
    bool ruled = false;
    for (const LayerOrder::Allow& allow : order_.allows) {
      if (!MatchesFolder(allow.folder, folder)) continue;
      ruled = true;
      for (const std::string& name : allow.headers) {
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
          allowed.push_back(name);
        }
      }
    }
    if (!ruled || std::find(allowed.begin(), allowed.end(), header) != allowed.end()) return;
    Report(file, line,
           "includes " + header + ": " + folder + " may include from other layers only " +
               Join(allowed, " "));
  }

  void CheckSystem(const std::string& file, const std::string& folder,
                   const IncludeLine& include) {
    const LayerOrder::System* rule = nullptr;
    for (const LayerOrder::System& system : order_.systems) {
      if (include.name.compare(0, system.prefix.size(), system.prefix) == 0 &&
          (rule == nullptr || system.prefix.size() > rule->prefix.size())) {
        rule = &system;
      }
    }
    if (rule == nullptr) return;
    for (const std::string& pattern : rule->folders) {
      if (MatchesFolder(pattern, folder)) return;
    }
    const std::string spelled =
        include.angle ? "<" + include.name + ">" : "\"" + include.name + "\"";
    Report(file, include.line, spelled + " may be included only in " + Join(rule->folders, ", "));
  }

  // Whether an include from `from` into `to` goes against the order (or the
  // order does not place one of them): the edge of a circle to point at.
  bool AgainstOrder(const std::string& from, const std::string& to) const {
    const auto a = places_.find(from);
    const auto b = places_.find(to);
    if (a == places_.end() || b == places_.end()) return true;
    return b->second.layer > a->second.layer ||
           (b->second.layer == a->second.layer && !a->second.shared);
  }

  bool InCircleCheck(const std::string& folder) const {
    const auto place = places_.find(folder);
    if (place != places_.end() && place->second.shared) return false;
    return IsCircleTop(FirstPart(folder + "/"));
  }

  // The shortest path from `from` to the first folder satisfying `wanted`,
  // through `allowed` folders only; empty when there is none. The path does
  // not hold `from` itself.
  template <typename Wanted>
  std::vector<std::string> ShortestPath(const std::string& from,
                                        const std::set<std::string>& allowed, Wanted wanted) const {
    std::map<std::string, std::string> came_from;
    std::deque<std::string> queue{from};
    came_from[from] = std::string();
    while (!queue.empty()) {
      const std::string at = queue.front();
      queue.pop_front();
      const auto next = graph_.find(at);
      if (next == graph_.end()) continue;
      for (const std::string& to : next->second) {
        if (allowed.count(to) == 0) continue;
        if (wanted(to)) {
          std::vector<std::string> path{to};
          for (std::string back = at; back != from; back = came_from[back]) path.push_back(back);
          std::reverse(path.begin(), path.end());
          return path;
        }
        if (came_from.emplace(to, at).second) queue.push_back(to);
      }
    }
    return {};
  }

  std::set<std::string> Reach(const std::string& from) const {
    std::set<std::string> seen;
    std::deque<std::string> queue{from};
    while (!queue.empty()) {
      const std::string at = queue.front();
      queue.pop_front();
      const auto next = graph_.find(at);
      if (next == graph_.end()) continue;
      for (const std::string& to : next->second) {
        if (seen.insert(to).second) queue.push_back(to);
      }
    }
    return seen;
  }

  // Every group of runtime and platform folders that reach each other through
  // includes (more than one folder), reported once.
  void FindCircles() {
    for (const auto& [edge, site] : edges_) {
      if (InCircleCheck(edge.first) && InCircleCheck(edge.second)) {
        graph_[edge.first].insert(edge.second);
      }
    }
    std::map<std::string, std::set<std::string>> reach;
    for (const auto& [folder, targets] : graph_) reach[folder] = Reach(folder);
    std::set<std::string> grouped;
    for (const auto& [start, reached] : reach) {
      if (grouped.count(start) != 0 || reached.count(start) == 0) continue;
      std::set<std::string> group{start};
      for (const std::string& other : reached) {
        const auto back = reach.find(other);
        if (back != reach.end() && back->second.count(start) != 0) group.insert(other);
      }
      grouped.insert(group.begin(), group.end());
      ReportCircle(start, group);
    }
  }

  // One line for a group: the shortest circle through one of its includes
  // (one that goes against the order when there is such), then the group's
  // other folders.
  void ReportCircle(const std::string& start, const std::set<std::string>& group) {
    const std::pair<std::string, std::string>* chosen = nullptr;
    for (const auto& [edge, site] : edges_) {
      if (group.count(edge.first) == 0 || group.count(edge.second) == 0) continue;
      if (AgainstOrder(edge.first, edge.second)) {
        chosen = &edge;
        break;
      }
      if (chosen == nullptr && edge.first == start) chosen = &edge;
    }
    if (chosen == nullptr) return;  // cannot happen: the start has an edge in its group
    std::vector<std::string> circle{chosen->first, chosen->second};
    const std::vector<std::string> home = ShortestPath(
        chosen->second, group, [&](const std::string& to) { return to == chosen->first; });
    circle.insert(circle.end(), home.begin(), home.end());

    std::vector<std::string> others;
    for (const std::string& folder : group) {
      if (std::find(circle.begin(), circle.end(), folder) == circle.end()) others.push_back(folder);
    }
    std::string message = "circle: " + Join(circle, " -> ");
    if (!others.empty()) message += "; also in this circle: " + Join(others, ", ");
    const Site& site = edges_.at(*chosen);
    Report(site.file, site.line, message);
  }

  const std::filesystem::path root_;
  const LayerOrder& order_;
  std::map<std::string, Place> places_;
  std::set<std::string> unplaced_reported_;
  // The first include (by file, then line) of each folder into another.
  std::map<std::pair<std::string, std::string>, Site> edges_;
  std::map<std::string, std::set<std::string>> graph_;
  LayerCheckResult result_;
};

// Checks a folder named by a layer line.
bool ValidLayerFolder(const std::string& folder, std::string* problem) {
  if (folder.find('*') != std::string::npos) {
    *problem = "a layer names folders, not patterns: " + folder;
    return false;
  }
  if (NormalPath(folder) != folder) {
    *problem = "not a plain root-relative folder: " + folder;
    return false;
  }
  return true;
}

// "allow FOLDER: A B" or "system PREFIX: A B" after its keyword: the one word
// before the colon and the words after it.
bool SplitRule(const std::string& keyword, const std::string& rest, const char* form,
               std::string* left, std::vector<std::string>* right, std::string* problem) {
  const size_t colon = rest.find(':');
  if (colon == std::string::npos) {
    *problem = keyword + " needs a colon: " + form;
    return false;
  }
  const std::vector<std::string> before = Words(rest.substr(0, colon));
  *right = Words(rest.substr(colon + 1));
  if (before.size() != 1 || right->empty()) {
    *problem = keyword + " needs one word before its colon and at least one after: " + form;
    return false;
  }
  *left = before[0];
  return true;
}

}  // namespace

std::vector<IncludeLine> FindIncludes(const std::string& text) {
  std::vector<IncludeLine> includes;
  const std::string code = CodeOnly(text);
  int line = 1;
  size_t begin = 0;
  while (begin <= code.size()) {
    const size_t end = std::min(code.find('\n', begin), code.size());
    IncludeLine include;
    if (MatchInclude(code.substr(begin, end - begin), &include)) {
      include.line = line;
      includes.push_back(include);
    }
    begin = end + 1;
    ++line;
  }
  return includes;
}

bool ParseLayerOrder(const std::string& text, LayerOrder* order, std::string* error) {
  LayerOrder parsed;
  std::map<std::string, int> named;  // folder -> line of its layer
  std::vector<int> allow_lines;
  std::vector<int> system_lines;
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  auto fail = [&](const std::string& problem) {
    *error = "line " + std::to_string(number) + ": " + problem;
    return false;
  };
  while (std::getline(in, raw)) {
    ++number;
    const std::string line = Trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    const std::vector<std::string> words = Words(line);
    std::string problem;
    // The keyword of a rule line, also when the colon follows it directly.
    const std::string keyword = words[0].substr(0, words[0].find(':'));
    if (keyword == "allow" || keyword == "system") {
      const bool allow = keyword == "allow";
      std::string left;
      std::vector<std::string> right;
      if (!SplitRule(keyword, line.substr(keyword.size()),
                     allow ? "allow FOLDER: HEADER ..." : "system HEADER-PREFIX: FOLDER ...",
                     &left, &right, &problem)) {
        return fail(problem);
      }
      if (allow) {
        parsed.allows.push_back(LayerOrder::Allow{left, right});
        allow_lines.push_back(number);
      } else {
        parsed.systems.push_back(LayerOrder::System{left, right});
        system_lines.push_back(number);
      }
      continue;
    }
    LayerOrder::Layer layer;
    layer.line = number;
    std::string folders = line;
    if (line.compare(0, 7, "shared:") == 0) {
      layer.shared = true;
      folders = line.substr(7);
    } else if (line.find(':') != std::string::npos) {
      return fail("unknown rule \"" + line.substr(0, line.find(':') + 1) +
                  "\" (a line is a layer, \"shared:\", \"allow\" or \"system\")");
    }
    layer.folders = Words(folders);
    if (layer.folders.empty()) return fail("a shared layer needs at least one folder");
    for (std::string& folder : layer.folders) {
      while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
      if (!ValidLayerFolder(folder, &problem)) return fail(problem);
      const auto [at, added] = named.emplace(folder, number);
      if (!added) {
        return fail("folder " + folder + " is already in the order (line " +
                    std::to_string(at->second) + ")");
      }
    }
    parsed.layers.push_back(std::move(layer));
  }
  if (parsed.layers.empty()) {
    *error = "no layer";
    return false;
  }
  // A rule naming no folder of the order is a typing mistake.
  auto names_a_folder = [&](const std::string& pattern) {
    return std::any_of(named.begin(), named.end(),
                       [&](const auto& entry) { return MatchesFolder(pattern, entry.first); });
  };
  for (size_t i = 0; i < parsed.allows.size(); ++i) {
    number = allow_lines[i];
    if (!names_a_folder(parsed.allows[i].folder)) {
      return fail("allow " + parsed.allows[i].folder + ": no folder of the order matches");
    }
  }
  for (size_t i = 0; i < parsed.systems.size(); ++i) {
    number = system_lines[i];
    for (const std::string& folder : parsed.systems[i].folders) {
      if (!names_a_folder(folder)) {
        return fail("system " + parsed.systems[i].prefix + ": no folder of the order matches " +
                    folder);
      }
    }
  }
  *order = std::move(parsed);
  return true;
}

LayerCheckResult CheckLayers(const std::filesystem::path& root, const LayerOrder& order) {
  return Checker(root, order).Run();
}

std::string FormatViolation(const LayerViolation& violation) {
  return violation.file + ":" + std::to_string(violation.line) + ": " + violation.message;
}
