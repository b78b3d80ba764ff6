// The way to the first boss, played: a level-1 character of a new game
// walks from the house through field01 and dansion01 to the first boss's
// room, shooting down on each floor the generator it meets, and arrives
// there alive.
//
// The keys are planned from the generated set's level files: on each floor
// a walk over open cells from the arrival to a spot in line with the
// floor's generator, a stand there firing at it, and a walk on to the
// stairs, clear of walls, pillars, rocks, generators, other stairs and
// where placed hazards hurt. A generator releases only while it is on
// screen, the first enemy 20 frames after it comes on, so the walk to the
// spot keeps it off screen as long as it can and stops as soon as it shows;
// the stand lasts little more than the generator takes to fall, and the
// walk on keeps away from where it stood, where what it released lingers.
// The player moves 2.2 pixels a frame from the second frame of a held
// direction; the plan follows its position frame by frame, so the frame at
// which it touches the stairs, and with it the next arrival, is known.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <queue>
#include <sstream>
#include <string>
#include <vector>

#include "game/areas/area_table.h"
#include "tests/app/whole_program_support.h"
#include "tests/support/hazard_danger.h"

namespace {

constexpr float kStep = 2.2f;          // the first character's agility at level 1
constexpr int32_t kStairsReach = 19;   // stairs box and player box, on each axis
constexpr int32_t kStairsToArrival = 121;
constexpr int32_t kSettle = 90;        // frames after an arrival before the first key
constexpr int32_t kFireFrames = 100;   // firing at a generator: it falls well within
constexpr int32_t kGeneratorHalf = 15;  // a generator's half box
constexpr int32_t kShunnedStep = 10000;  // the cost of a step into a shunned cell
constexpr int32_t kLingerCells = 2;      // around a generator shot down
constexpr int32_t kHazardMargin = 14;  // the player's half box and a little
constexpr int32_t kOvershoot = 24;     // frames held past the stairs' centre

// DirectInput codes of the four directions and of the shot.
constexpr int32_t kKeyUp = 200, kKeyRight = 205, kKeyDown = 208, kKeyLeft = 203, kKeyShot = 44;

std::vector<std::string> Lines(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<int32_t> Values(const std::string& line) {
  std::vector<int32_t> values;
  std::stringstream cells(line);
  for (std::string cell; std::getline(cells, cell, ',');) values.push_back(std::atoi(cell.c_str()));
  return values;
}

// The rows of a row file (after its count line, before its '@' line).
std::vector<std::vector<int32_t>> Rows(const fs::path& path) {
  const std::vector<std::string> lines = Lines(path);
  std::vector<std::vector<int32_t>> rows;
  for (size_t i = 1; i < lines.size() && lines[i] != "@"; ++i) rows.push_back(Values(lines[i]));
  return rows;
}

// What the plan needs of one floor.
struct Floor {
  int32_t width = 0, height = 0;
  std::vector<std::vector<bool>> blocked;
  std::vector<std::vector<int32_t>> generators, stairs;
};

bool IsNeutral(int32_t code) { return code > 2 && !(code >= 10 && code <= 61) && !(code >= 101 && code <= 122); }

Floor ReadFloor(const fs::path& set, int32_t area, int32_t floor) {
  Floor f;
  const std::vector<std::string> map = Lines(set / LevelFile(area, "BRIMAL_", floor));
  const std::vector<int32_t> size = Values(map.at(0));
  f.width = size.at(0);
  f.height = size.at(1);
  f.blocked.assign(static_cast<size_t>(f.height), std::vector<bool>(static_cast<size_t>(f.width), false));
  const size_t cells = 1 + 2 * (static_cast<size_t>(f.height) + 1);
  for (int32_t r = 0; r < f.height; ++r) {
    const std::vector<int32_t> row = Values(map.at(cells + static_cast<size_t>(r)));
    for (int32_t c = 0; c < f.width; ++c) f.blocked[r][c] = !IsNeutral(row.at(static_cast<size_t>(c)));
  }
  auto block_cell = [&f](int32_t x, int32_t y) {
    if (x >= 0 && y >= 0 && x / 32 < f.width && y / 32 < f.height) f.blocked[y / 32][x / 32] = true;
  };
  f.generators = Rows(set / LevelFile(area, "generator_data_", floor));
  for (const auto& g : f.generators) block_cell(g[0], g[1]);
  for (const auto& rock : Rows(set / LevelFile(area, "rock_data_", floor))) block_cell(rock[0], rock[1]);
  for (const auto& item : Rows(set / LevelFile(area, "item_data_", floor))) {
    if (item[3] == 100) block_cell(item[0], item[1]);  // a breakable rock
  }
  for (const auto& h : Rows(set / LevelFile(area, "set_enemy_data_", floor))) {
    block_cell(h[0], h[1]);
    for (const DangerBox& box : HazardDanger(h[3], h[7])) {
      for (int32_t r = 0; r < f.height; ++r) {
        for (int32_t c = 0; c < f.width; ++c) {
          const float dx = static_cast<float>(c * 32 + 16 - h[0]);
          const float dy = static_cast<float>(r * 32 + 16 - h[1]);
          if (box.left - kHazardMargin < dx && dx < box.right + kHazardMargin && box.top - kHazardMargin < dy &&
              dy < box.bottom + kHazardMargin) {
            f.blocked[r][c] = true;
          }
        }
      }
    }
  }
  // Every stairs cell, so that no walk touches stairs but those it ends on.
  f.stairs = Rows(set / LevelFile(area, "stairs_data_", floor));
  for (const auto& s : f.stairs) block_cell(s[0], s[1]);
  return f;
}

struct Cell {
  int32_t c, r;
  bool operator==(const Cell& o) const { return c == o.c && r == o.r; }
};

// The field's first map pixel on one axis for one player at `centre`: the
// camera centres the field on the player and keeps it inside the map.
int32_t FieldStart(int32_t centre, int32_t field, int32_t map) {
  return std::max(0, std::min(centre - field / 2, map - field));
}

// Whether a generator at (gx, gy) counts as on screen for one player
// standing on `cell`: it releases strictly inside the 512 x 360 field or up
// to 16 pixels past its right and bottom edges.
bool Sees(const Floor& f, Cell cell, int32_t gx, int32_t gy) {
  const int32_t left = FieldStart(cell.c * 32 + 16, 512, f.width * 32);
  const int32_t top = FieldStart(cell.r * 32 + 16, 360, f.height * 32);
  return left < gx && gx < left + 528 && top < gy && gy < top + 376;
}

// Whether a generator's box at (gx, gy) shows wholly in the field for one
// player standing on `cell`.
bool Shows(const Floor& f, Cell cell, int32_t gx, int32_t gy) {
  const int32_t left = FieldStart(cell.c * 32 + 16, 512, f.width * 32);
  const int32_t top = FieldStart(cell.r * 32 + 16, 360, f.height * 32);
  return left + kGeneratorHalf <= gx && gx + kGeneratorHalf <= left + 512 && top + kGeneratorHalf <= gy &&
         gy + kGeneratorHalf <= top + 360;
}

// What a walk keeps away from: the sight of a generator that still stands,
// or the cells around one shot down, where what it released lingers.
struct Shun {
  const std::vector<int32_t>* unseen = nullptr;
  const std::vector<int32_t>* near = nullptr;
};

bool Shunned(const Floor& f, const Shun& shun, Cell cell) {
  if (shun.unseen != nullptr && Sees(f, cell, (*shun.unseen)[0], (*shun.unseen)[1])) return true;
  return shun.near != nullptr && std::abs(cell.c - (*shun.near)[0] / 32) <= kLingerCells &&
         std::abs(cell.r - (*shun.near)[1] / 32) <= kLingerCells;
}

// The walk over open cells from `from` to `to` (which may be blocked
// itself, as stairs are not) with the fewest steps into shunned cells, then
// the fewest steps, then the fewest turns; empty when there is none.
std::vector<Cell> Walk(const Floor& f, Cell from, Cell to, const Shun& shun = Shun{}) {
  const int32_t w = f.width, h = f.height;
  // State: cell and heading (0 up, 1 right, 2 down, 3 left); cost: steps *
  // 100 + turns.
  const int32_t dc[4] = {0, 1, 0, -1}, dr[4] = {-1, 0, 1, 0};
  std::vector<int32_t> cost(static_cast<size_t>(w * h * 4), 1 << 30);
  std::vector<int32_t> back(static_cast<size_t>(w * h * 4), -1);
  using Entry = std::pair<int32_t, int32_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> next;
  for (int32_t d = 0; d < 4; ++d) {
    const int32_t s = (from.r * w + from.c) * 4 + d;
    cost[s] = 0;
    next.push({0, s});
  }
  int32_t found = -1;
  while (!next.empty()) {
    const auto [k, s] = next.top();
    next.pop();
    if (k != cost[s]) continue;
    const int32_t d = s % 4, c = (s / 4) % w, r = s / 4 / w;
    if (Cell{c, r} == to) {
      found = s;
      break;
    }
    for (int32_t nd = 0; nd < 4; ++nd) {
      const int32_t nc = c + dc[nd], nr = r + dr[nd];
      if (nc < 0 || nr < 0 || nc >= w || nr >= h) continue;
      if (f.blocked[nr][nc] && !(Cell{nc, nr} == to)) continue;
      const int32_t ns = (nr * w + nc) * 4 + nd;
      const int32_t nk = k + 100 + (nd == d ? 0 : 1) + (Shunned(f, shun, Cell{nc, nr}) ? kShunnedStep : 0);
      if (nk < cost[ns]) {
        cost[ns] = nk;
        back[ns] = s;
        next.push({nk, ns});
      }
    }
  }
  std::vector<Cell> path;
  for (int32_t s = found; s >= 0; s = back[s]) {
    const Cell cell{(s / 4) % w, s / 4 / w};
    if (path.empty() || !(path.back() == cell)) path.push_back(cell);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

// The keys of the plan and the player's position frame by frame.
class Plan {
 public:
  Plan(int32_t frame, float x, float y) : frame_(frame), x_(x), y_(y) {}

  int32_t frame() const { return frame_; }
  // The frame the plan touches the stairs on.
  int32_t touched_at() const { return touched_at_; }

  // Walks along `path` cell centre to cell centre; stops at once on
  // touching the stairs at (sx, sy) when `stairs`, and then returns true.
  bool Follow(const std::vector<Cell>& path, bool stairs, float sx, float sy) {
    for (size_t i = 1; i < path.size(); ++i) {
      // On to the last cell of a straight run.
      const bool turns = i + 1 == path.size() || (path[i + 1].c - path[i].c != path[i].c - path[i - 1].c) ||
                         (path[i + 1].r - path[i].r != path[i].r - path[i - 1].r);
      if (!turns) continue;
      const float tx = static_cast<float>(path[i].c * 32 + 16);
      const float ty = static_cast<float>(path[i].r * 32 + 16);
      // Onto the stairs the last leg goes on past them, in case an enemy
      // has pushed the player back on the way.
      const int32_t extra = stairs && i + 1 == path.size() ? kOvershoot : 0;
      if (std::abs(tx - x_) >= kStep / 2 &&
          Move(tx > x_ ? kKeyRight : kKeyLeft, &x_, tx, extra, stairs, sx, sy)) {
        return true;
      }
      if (std::abs(ty - y_) >= kStep / 2 && Move(ty > y_ ? kKeyDown : kKeyUp, &y_, ty, extra, stairs, sx, sy)) {
        return true;
      }
    }
    return false;
  }

  // Holds the shot and `key` (which only turns) for `frames` frames.
  void Fire(int32_t key, int32_t frames) {
    Line(std::to_string(kKeyShot) + "," + std::to_string(key));
    frame_ += frames;
    Line("");
  }

  void Wait(int32_t frames) { frame_ += frames; }

  std::string script() const { return script_; }

 private:
  void Line(const std::string& keys) {
    script_ += std::to_string(frame_) + " key=" + keys + "\n";
    frame_ += 1;
  }

  bool Touches(float sx, float sy) const {
    return std::abs(x_ - sx) <= kStairsReach && std::abs(y_ - sy) <= kStairsReach;
  }

  // Presses `key` on this frame (it moves from the next), moves `*axis` by
  // whole 2.2 steps as near to `target` as they come, and lets go.
  bool Move(int32_t key, float* axis, float target, int32_t extra, bool stairs, float sx, float sy) {
    const float sign = target > *axis ? 1.0f : -1.0f;
    const int32_t steps = static_cast<int32_t>(std::lround(std::abs(target - *axis) / kStep)) + extra;
    Line(std::to_string(key));
    bool touched = false;
    for (int32_t k = 0; k < steps && (!touched || extra > 0); ++k) {
      *axis += sign * kStep;
      if (!touched && stairs && Touches(sx, sy)) {
        touched = true;
        touched_at_ = frame_;
      }
      frame_ += 1;
    }
    Line("");
    return touched;
  }

  int32_t frame_;
  int32_t touched_at_ = 0;
  float x_, y_;
  std::string script_;
};

// The number of cells of `path` after its first from which the generator
// at (gx, gy) is on screen.
int32_t SeenSteps(const Floor& f, const std::vector<Cell>& path, int32_t gx, int32_t gy) {
  int32_t seen = 0;
  for (size_t i = 1; i < path.size(); ++i) seen += Sees(f, path[i], gx, gy) ? 1 : 0;
  return seen;
}

// The spot to fire at a generator from: in its row or column, 2 cells off
// or more with open cells between and the generator on screen from there,
// reached with the generator off screen for as few steps as may be (it
// releases its first enemy 20 frames after it comes on screen), then
// nearest to both the arrival and the stairs; and the key that faces the
// generator from there.
bool FiringSpot(const Floor& f, const std::vector<int32_t>& g, Cell arrival, Cell stairs, Cell* spot,
                int32_t* key) {
  const Cell at{g[0] / 32, g[1] / 32};
  int64_t best = -1;
  const int32_t dc[4] = {0, 1, 0, -1}, dr[4] = {-1, 0, 1, 0};
  const int32_t keys[4] = {kKeyDown, kKeyLeft, kKeyUp, kKeyRight};  // facing back at it
  for (int32_t d = 0; d < 4; ++d) {
    for (int32_t n = 1;; ++n) {
      const Cell cell{at.c + dc[d] * n, at.r + dr[d] * n};
      if (cell.c < 0 || cell.r < 0 || cell.c >= f.width || cell.r >= f.height || f.blocked[cell.r][cell.c]) break;
      if (n < 2 || !Shows(f, cell, g[0], g[1])) continue;
      const std::vector<Cell> there = Walk(f, arrival, cell, Shun{&g, nullptr});
      const std::vector<Cell> on = Walk(f, cell, stairs, Shun{nullptr, &g});
      if (there.empty() || on.empty()) continue;
      const int64_t score = int64_t{SeenSteps(f, there, g[0], g[1])} * 10000 +
                            static_cast<int64_t>(there.size() + on.size());
      if (best >= 0 && score >= best) continue;
      best = score;
      *spot = cell;
      *key = keys[d];
    }
  }
  return best >= 0;
}

// The first player's "HP" label in the status band.
std::string HitPointLabel(const SavedPicture& picture) {
  std::string region;
  for (int32_t y = 402; y < 417; ++y) region.append(reinterpret_cast<const char*>(picture.at(18, y)), 28 * 3);
  return region;
}

struct RouteFloor {
  int32_t area, floor;
};
// The floors from the house's stairs to the first boss's room.
constexpr RouteFloor kRoute[] = {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}};

TEST_F(WholeProgramTest, ANewCharacterWalksAndShootsItsWayToTheFirstBoss) {
  const fs::path set = DataSet();
  // The house's stairs: arrival on field01 near 722.
  const std::vector<int32_t> house = Rows(set / LevelFile(0, "stairs_data_", 0)).at(0);
  int32_t arrival_frame = 722;
  float x = static_cast<float>(house[4]), y = static_cast<float>(house[5]);
  std::string script = kWalkToHomeStairs;
  std::vector<int32_t> arrivals;
  for (const RouteFloor& at : kRoute) {
    SCOPED_TRACE(std::to_string(at.area) + "/" + std::to_string(at.floor));
    const Floor f = ReadFloor(set, at.area, at.floor);
    std::vector<int32_t> onward;
    for (const auto& s : f.stairs) {
      if (s[2] != at.area || s[3] > at.floor) onward = s;
    }
    ASSERT_FALSE(onward.empty());
    const Cell start{static_cast<int32_t>(x) / 32, static_cast<int32_t>(y) / 32};
    const Cell stairs{onward[0] / 32, onward[1] / 32};
    Plan plan(arrival_frame + kSettle, x, y);
    Cell from = start;
    Shun after;
    if (!f.generators.empty()) {
      Cell spot{};
      int32_t key = 0;
      ASSERT_TRUE(FiringSpot(f, f.generators[0], start, stairs, &spot, &key)) << "no spot to fire from";
      plan.Follow(Walk(f, start, spot, Shun{&f.generators[0], nullptr}), false, 0, 0);
      plan.Fire(key, kFireFrames);
      from = spot;
      after.near = &f.generators[0];
    }
    const std::vector<Cell> path = Walk(f, from, stairs, after);
    ASSERT_FALSE(path.empty()) << "no way to the stairs";
    ASSERT_TRUE(plan.Follow(path, true, static_cast<float>(onward[0]), static_cast<float>(onward[1])))
        << "the walk does not reach the stairs";
    script += plan.script();
    arrival_frame = plan.touched_at() + kStairsToArrival;
    arrivals.push_back(arrival_frame);
    x = static_cast<float>(onward[4]);
    y = static_cast<float>(onward[5]);
  }
  const int32_t in_room = arrival_frame + 50;
  script += std::to_string(in_room + 10) + " key=1\n";
  std::vector<int32_t> checked = arrivals;
  for (int32_t& frame : checked) frame += 50;
  const ScriptedRun run = {"route_to_first_boss", script.c_str(), in_room + 10, checked};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h), 0);
  ASSERT_EQ(h.rbegin()->first, run.escape_frame);
  // Alive at every arrival and in the boss's room: the status band shows the
  // "HP" label as on the first arrival, where a fallen player's shows the
  // revival plate.
  const SavedPicture first = ReadSavedFrame(FramesFolder(run), checked.front());
  ASSERT_GT(first.width, 0);
  for (size_t i = 0; i < checked.size(); ++i) {
    SCOPED_TRACE("arrival from " + std::to_string(kRoute[i].area) + "/" + std::to_string(kRoute[i].floor));
    const SavedPicture picture = ReadSavedFrame(FramesFolder(run), checked[i]);
    ASSERT_GT(picture.width, 0);
    EXPECT_EQ(HitPointLabel(picture), HitPointLabel(first)) << "frame " << checked[i];
  }
  CompareWithGolden(run, h);
}

}  // namespace
