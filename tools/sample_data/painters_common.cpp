// Helpers shared by the painters: directions, the colour words of the file
// names and the colours of the statistics.
#include <array>

#include "tools/sample_data/painters.h"

Direction DirectionVector(int code) {
  constexpr double k = 0.70710678118654752;
  static const std::array<Direction, 8> table = {{
      {0, -1}, {k, -k}, {1, 0}, {k, k}, {0, 1}, {-k, k}, {-1, 0}, {-k, -k},
  }};
  return table[static_cast<size_t>(((code % 8) + 8) % 8)];
}

bool StemHasWord(std::string_view stem, std::string_view word) {
  // Words are separated by '_'; a word of several parts ("blue_green")
  // matches the same run of words.
  // Built by appending: GCC 12 warns falsely (-Wrestrict, inside
  // libstdc++'s insert) about a string put after a literal with `+`.
  const std::string padded = std::string("_").append(stem).append("_");
  const std::string needle = std::string("_").append(word).append("_");
  return padded.find(needle) != std::string::npos;
}

Rgb ColourOfStem(std::string_view stem, Rgb fallback) {
  struct Named {
    const char* word;
    Rgb colour;
  };
  // Words of several parts come first, so "blue_green" is not taken as blue.
  static const Named kNames[] = {
      {"blue_green", {40, 190, 160}}, {"blue_purple", {110, 90, 240}},
      {"aqua", {70, 215, 235}},       {"ai", {60, 70, 190}},
      {"daidai", {255, 150, 40}},     {"red", {225, 50, 50}},
      {"blue", {50, 100, 235}},       {"green", {60, 185, 70}},
      {"orange", {250, 135, 30}},     {"purple", {160, 70, 205}},
      {"yellow", {240, 215, 40}},     {"white", {240, 240, 240}},
      {"black", {55, 50, 65}},        {"brown", {150, 95, 50}},
      {"gray", {145, 145, 155}},      {"violet", {185, 90, 245}},
  };
  for (const Named& n : kNames)
    if (StemHasWord(stem, n.word)) return n.colour;
  return fallback;
}

Rgb StatColour(std::string_view stat) {
  if (stat == "AG") return Rgb{245, 205, 40};
  if (stat == "AT") return Rgb{235, 75, 55};
  if (stat == "VT") return Rgb{70, 200, 90};
  if (stat == "IN") return Rgb{90, 120, 245};
  return Rgb{240, 90, 150};  // HP
}
