// The layer check on small trees written into a temporary folder: a clean
// tree passes, and each planted fault is reported at its file and line.
#include "tools/layers/layer_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kLayers[] = R"(# a small order for the cases
platform/host
platform/null platform/sdl   # peers
runtime/core
runtime/graphics
runtime/sound runtime/input
shared: runtime/script runtime/script_vm
runtime/system
runtime/app
shared: game/shell game/world

allow game/*: runtime/system/api.h platform/host/user.h
system SDL: platform/sdl
system unistd.h: platform/*
system sys/: platform/*
system sys/epoll.h: platform/null   # the longest prefix decides
)";

struct File {
  std::string path;  // root-relative
  std::string text;
};

// Every include goes down the order, the game takes only its allowed headers,
// the two game folders include each other (they share a layer), and POSIX and
// SDL stay in their platform folders.
const std::vector<File> kCleanTree = {
    {"platform/host/host.h", "#pragma once\n#include <cstdint>\n"},
    {"platform/host/user.h", "#pragma once\n"},
    {"platform/host/files_posix.cpp",
     "#include \"platform/host/host.h\"\n#include <unistd.h>\n#include <sys/stat.h>\n"},
    {"platform/sdl/sdl_host.cpp",
     "#include <SDL.h>\n#include <SDL2/SDL_video.h>\n#include \"platform/host/host.h\"\n"},
    {"platform/null/null_host.cpp", "#include \"platform/host/host.h\"\n#include <sys/types.h>\n"},
    {"runtime/core/log.h", "#pragma once\n#include <cstdio>\n#include \"platform/host/host.h\"\n"},
    {"runtime/core/log.cpp", "#include \"log.h\"\n"},
    {"runtime/graphics/screen.h", "#pragma once\n#include \"runtime/core/log.h\"\n"},
    {"runtime/graphics/screen.cpp", "#include \"screen.h\"\n#include \"../core/log.h\"\n"},
    {"runtime/sound/mixer.h", "#pragma once\n#include \"runtime/core/log.h\"\n"},
    {"runtime/input/pad.h", "#pragma once\n#include \"runtime/graphics/screen.h\"\n"},
    {"runtime/system/api.h", "#pragma once\n#include <cstdint>\n"},
    {"runtime/system/api.cpp",
     "#include \"api.h\"\n#include \"runtime/sound/mixer.h\"\n#include \"runtime/input/pad.h\"\n"},
    {"game/shell/main.cpp",
     "#include \"runtime/system/api.h\"\n#include \"platform/host/user.h\"\n"
     "#include \"game/world/world.h\"\n"},
    {"game/shell/shell.h", "#pragma once\n#include \"game/world/world.h\"\n"},
    // A quoted include found nowhere in the tree (a generated header) is let be.
    {"game/world/world.h",
     "#pragma once\n#include \"game/shell/shell.h\"\n#include \"generated_tables.h\"\n"},
    // Outside the folders read: included by some cases, never read itself.
    {"tests/support/fake.h", "#include \"runtime/system/api.h\"\n"},
    {"runtime/core/notes.txt", "#include <unistd.h>\n"},
};

// A folder under the system's temporary folder, removed with its contents.
class TempTree {
 public:
  TempTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "layer_check_XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
  }
  ~TempTree() {
    std::error_code error;
    if (!root_.empty()) std::filesystem::remove_all(root_, error);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  void Write(const File& file) const {
    const std::filesystem::path path = root_ / file.path;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << file.text;
  }

  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
};

LayerOrder TestOrder() {
  LayerOrder order;
  std::string error;
  EXPECT_TRUE(ParseLayerOrder(kLayers, &order, &error)) << error;
  return order;
}

// The clean tree with `planted` written over it, checked.
LayerCheckResult CheckTree(const std::vector<File>& planted) {
  TempTree tree;
  if (tree.root().empty()) {
    ADD_FAILURE() << "no temporary folder";
    return {};
  }
  for (const File& file : kCleanTree) tree.Write(file);
  for (const File& file : planted) tree.Write(file);
  return CheckLayers(tree.root(), TestOrder());
}

std::vector<std::string> Lines(const LayerCheckResult& result) {
  std::vector<std::string> lines;
  for (const LayerViolation& violation : result.violations) {
    lines.push_back(FormatViolation(violation));
  }
  return lines;
}

TEST(LayerCheckTest, CleanTreePasses) {
  const LayerCheckResult result = CheckTree({});
  EXPECT_EQ(Lines(result), std::vector<std::string>());
  // The sources under game/, runtime/ and platform/ only, and every include
  // line in them.
  EXPECT_EQ(result.files, 16);
  EXPECT_EQ(result.includes, 27);
}

struct TreeCase {
  const char* name;
  std::vector<File> planted;
  std::vector<std::string> expected;  // in the order reported
};

TEST(LayerCheckTest, ReportsEachFaultAtItsFileAndLine) {
  const TreeCase cases[] = {
      {"an include of a higher layer",
       {{"runtime/graphics/blit.cpp",
         "// blits\n#include <cstring>\n#include \"runtime/sound/mixer.h\"\n"}},
       {"runtime/graphics/blit.cpp:3: includes runtime/sound/mixer.h: runtime/sound is above "
        "runtime/graphics"}},
      {"includes between peers on one line",
       {{"runtime/sound/voice.cpp", "#include \"runtime/input/pad.h\"\n"},
        {"platform/sdl/audio.cpp", "#include <SDL.h>\n#include \"platform/null/null_host.h\"\n"}},
       {"platform/sdl/audio.cpp:2: includes platform/null/null_host.h: platform/null is a peer of "
        "platform/sdl",
        "runtime/sound/voice.cpp:1: includes runtime/input/pad.h: runtime/input is a peer of "
        "runtime/sound"}},
      {"a folder missing from the order, reported once at its first file",
       {{"runtime/extra/b.h", "#pragma once\n"},
        {"runtime/extra/a.cpp", "#include \"runtime/core/log.h\"\n#include \"b.h\"\n"}},
       {"runtime/extra/a.cpp:1: folder runtime/extra is not in the layer order"}},
      {"an include of a folder outside the order",
       {{"runtime/core/probe.cpp", "#include <cstdio>\n#include \"tests/support/fake.h\"\n"}},
       {"runtime/core/probe.cpp:2: includes tests/support/fake.h: tests/support is not in the "
        "layer order"}},
      {"the game including headers it is not allowed",
       {{"game/world/walk.cpp",
         "#include \"runtime/system/api.h\"\n#include \"runtime/core/log.h\"\n"
         "#include \"platform/host/host.h\"\n"}},
       {"game/world/walk.cpp:2: includes runtime/core/log.h: game/world may include from other "
        "layers only runtime/system/api.h platform/host/user.h",
        "game/world/walk.cpp:3: includes platform/host/host.h: game/world may include from other "
        "layers only runtime/system/api.h platform/host/user.h"}},
      {"the game including its allowed headers",
       {{"game/world/ok.cpp",
         "#include \"runtime/system/api.h\"\n#include \"platform/host/user.h\"\n"
         "#include \"game/shell/shell.h\"\n"}},
       {}},
      {"system headers outside their folders",
       {{"runtime/graphics/window.cpp",
         "#include <SDL.h>\n#include <SDL2/SDL_video.h>\n#include <unistd.h>\n#include <cstdio>\n"
         "#include \"SDL_syswm.h\"\n"},
        {"platform/null/peek.cpp", "#include <SDL.h>\n#include <unistd.h>\n"},
        {"game/shell/net.cpp", "#include <sys/socket.h>\n"},
        {"platform/loose.cpp", "#include <unistd.h>\n"}},
       {"game/shell/net.cpp:1: <sys/socket.h> may be included only in platform/*",
        "platform/loose.cpp:1: <unistd.h> may be included only in platform/*",
        "platform/loose.cpp:1: folder platform is not in the layer order",
        "platform/null/peek.cpp:1: <SDL.h> may be included only in platform/sdl",
        "runtime/graphics/window.cpp:1: <SDL.h> may be included only in platform/sdl",
        "runtime/graphics/window.cpp:2: <SDL2/SDL_video.h> may be included only in platform/sdl",
        "runtime/graphics/window.cpp:3: <unistd.h> may be included only in platform/*",
        "runtime/graphics/window.cpp:5: \"SDL_syswm.h\" may be included only in platform/sdl"}},
      {"local includes found in the own folder first, then from the root",
       {{"version.h", "#pragma once\n"},
        {"runtime/core/version.h", "#pragma once\n"},
        {"runtime/core/a.cpp", "#include \"version.h\"\n"},
        {"runtime/graphics/b.cpp", "#include \"version.h\"\n"},
        {"runtime/graphics/up.cpp", "#include \"screen.h\"\n#include \"../sound/mixer.h\"\n"}},
       {"runtime/graphics/b.cpp:1: includes version.h: the root folder is not in the layer order",
        "runtime/graphics/up.cpp:2: includes runtime/sound/mixer.h: runtime/sound is above "
        "runtime/graphics"}},
      {"a circle between two runtime folders",
       {{"runtime/core/hook.cpp", "#include \"log.h\"\n#include \"runtime/graphics/screen.h\"\n"}},
       {"runtime/core/hook.cpp:2: circle: runtime/core -> runtime/graphics -> runtime/core",
        "runtime/core/hook.cpp:2: includes runtime/graphics/screen.h: runtime/graphics is above "
        "runtime/core"}},
      {"a circle pointed at its include against the order",
       {{"runtime/app/app.cpp", "#include \"runtime/core/log.h\"\n"},
        {"runtime/core/hook.cpp", "#include \"runtime/app/app.h\"\n"}},
       {"runtime/core/hook.cpp:1: circle: runtime/core -> runtime/app -> runtime/core",
        "runtime/core/hook.cpp:1: includes runtime/app/app.h: runtime/app is above runtime/core"}},
      {"a circle through three folders",
       {{"runtime/graphics/g.cpp", "#include \"runtime/system/api.h\"\n"}},
       {"runtime/graphics/g.cpp:1: circle: runtime/graphics -> runtime/system -> runtime/input -> "
        "runtime/graphics",
        "runtime/graphics/g.cpp:1: includes runtime/system/api.h: runtime/system is above "
        "runtime/graphics"}},
      {"one report for a group of folders with several circles",
       {{"runtime/core/c.cpp", "#include \"runtime/graphics/screen.h\"\n"},
        {"runtime/graphics/g.cpp", "#include \"runtime/sound/mixer.h\"\n"}},
       {"runtime/core/c.cpp:1: circle: runtime/core -> runtime/graphics -> runtime/core; also in "
        "this circle: runtime/sound",
        "runtime/core/c.cpp:1: includes runtime/graphics/screen.h: runtime/graphics is above "
        "runtime/core",
        "runtime/graphics/g.cpp:1: includes runtime/sound/mixer.h: runtime/sound is above "
        "runtime/graphics"}},
      {"a circle through a folder outside the order",
       {{"runtime/extra/x.cpp", "#include \"runtime/core/log.h\"\n"},
        {"runtime/core/y.cpp", "#include \"runtime/extra/x.h\"\n"}},
       {"runtime/core/y.cpp:1: circle: runtime/core -> runtime/extra -> runtime/core",
        "runtime/core/y.cpp:1: includes runtime/extra/x.h: runtime/extra is not in the layer order",
        "runtime/extra/x.cpp:1: folder runtime/extra is not in the layer order"}},
      {"includes in comments and raw literals left out, the rest read",
       {{"runtime/core/commented.cpp",
         "/* #include <unistd.h>\n"        // 1
         "#include <unistd.h>\n"           // 2
         "*/\n"                            // 3
         "// #include <unistd.h>\n"        // 4
         "const char* open = \"/*\";\n"    // 5: no comment opens in a literal
         "#include <sys/stat.h>\n"         // 6
         "const char* raw = R\"x(\n"       // 7
         ")\"\n"                           // 8: not the end of the raw literal
         "#include <unistd.h>\n"           // 9
         ")x\";\n"                         // 10
         "/* note */ #include <sys/types.h>\n"  // 11
         "int big = 1'000; /* '\n"         // 12: a digit separator opens no literal
         "#include <unistd.h>\n"           // 13
         "*/\n"                            // 14
         "const char quote = '\"'; /*\n"   // 15: a quote character opens no literal
         "#include <unistd.h>\n"           // 16
         "*/\n"                            // 17
         "const char* escaped = \"\\\"/*\";\n"  // 18: an escaped quote ends no literal
         "  #  include   <sys/wait.h>\n"   // 19
         "// \x82\xa0\xff\xfe\n"           // 20: bytes that are not UTF-8
         "#include <sys/mman.h>\n"}},      // 21
       {"runtime/core/commented.cpp:6: <sys/stat.h> may be included only in platform/*",
        "runtime/core/commented.cpp:11: <sys/types.h> may be included only in platform/*",
        "runtime/core/commented.cpp:19: <sys/wait.h> may be included only in platform/*",
        "runtime/core/commented.cpp:21: <sys/mman.h> may be included only in platform/*"}},
      {"shared folders of the runtime including each other",
       {{"runtime/script/run.h", "#pragma once\n#include \"runtime/script_vm/vm.h\"\n"},
        {"runtime/script_vm/vm.h", "#pragma once\n#include \"runtime/script/run.h\"\n"}},
       {}},
      {"a longer system prefix deciding over a shorter one",
       {{"platform/host/wait.cpp", "#include <sys/epoll.h>\n"},
        {"platform/null/wait.cpp", "#include <sys/epoll.h>\n"}},
       {"platform/host/wait.cpp:1: <sys/epoll.h> may be included only in platform/null"}},
      {"every kind of source read, other files not",
       {{"runtime/core/a.hpp", "#include <unistd.h>\n"},
        {"runtime/core/b.cc", "#include <unistd.h>\n"},
        {"runtime/core/c.inc", "#include <unistd.h>\n"},
        {"runtime/core/d.py", "#include <unistd.h>\n"}},
       {"runtime/core/a.hpp:1: <unistd.h> may be included only in platform/*",
        "runtime/core/b.cc:1: <unistd.h> may be included only in platform/*",
        "runtime/core/c.inc:1: <unistd.h> may be included only in platform/*"}},
  };
  for (const TreeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Lines(CheckTree(c.planted)), c.expected);
  }
}

TEST(LayerCheckTest, ParsesLayersAndRules) {
  LayerOrder order;
  std::string error;
  ASSERT_TRUE(ParseLayerOrder(kLayers, &order, &error)) << error;

  ASSERT_EQ(order.layers.size(), 9u);
  EXPECT_EQ(order.layers[0].folders, std::vector<std::string>{"platform/host"});
  EXPECT_EQ(order.layers[1].folders, (std::vector<std::string>{"platform/null", "platform/sdl"}));
  EXPECT_FALSE(order.layers[1].shared);
  EXPECT_EQ(order.layers[8].folders, (std::vector<std::string>{"game/shell", "game/world"}));
  EXPECT_TRUE(order.layers[8].shared);
  EXPECT_EQ(order.layers[8].line, 10);

  ASSERT_EQ(order.allows.size(), 1u);
  EXPECT_EQ(order.allows[0].folder, "game/*");
  EXPECT_EQ(order.allows[0].headers,
            (std::vector<std::string>{"runtime/system/api.h", "platform/host/user.h"}));
  ASSERT_EQ(order.systems.size(), 4u);
  EXPECT_EQ(order.systems[2].prefix, "sys/");
  EXPECT_EQ(order.systems[2].folders, std::vector<std::string>{"platform/*"});
}

TEST(LayerCheckTest, RejectsMalformedLayersFiles) {
  struct ParseCase {
    const char* text;
    const char* error;
  };
  const ParseCase cases[] = {
      {"runtime/core\nallow runtime/core runtime/core/log.h\n",
       "line 2: allow needs a colon: allow FOLDER: HEADER ..."},
      {"runtime/core\nsystem SDL runtime/core\n",
       "line 2: system needs a colon: system HEADER-PREFIX: FOLDER ..."},
      {"runtime/core\nallow: runtime/core/log.h\n",
       "line 2: allow needs one word before its colon and at least one after: allow FOLDER: "
       "HEADER ..."},
      {"runtime/core\n\n# headers missing\nallow runtime/core:   # none\n",
       "line 4: allow needs one word before its colon and at least one after: allow FOLDER: "
       "HEADER ..."},
      {"runtime/core\nruntime/graphics runtime/core\n",
       "line 2: folder runtime/core is already in the order (line 1)"},
      {"runtime/core\nshared:\n", "line 2: a shared layer needs at least one folder"},
      {"runtime/*\n", "line 1: a layer names folders, not patterns: runtime/*"},
      {"runtime/../core\n", "line 1: not a plain root-relative folder: runtime/../core"},
      {"runtime/core\npeers: runtime/sound\n",
       "line 2: unknown rule \"peers:\" (a line is a layer, \"shared:\", \"allow\" or \"system\")"},
      {"runtime/core\nallow runtime/cor: runtime/core/log.h\n",
       "line 2: allow runtime/cor: no folder of the order matches"},
      {"runtime/core\nsystem SDL: platform/*\n",
       "line 2: system SDL: no folder of the order matches platform/*"},
      {"# only comments\n\n", "no layer"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    LayerOrder order;
    std::string error;
    EXPECT_FALSE(ParseLayerOrder(c.text, &order, &error));
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
