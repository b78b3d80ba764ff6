// The scene script's text tables read out into one list, so a test can walk
// them: once as the game has them (CP932) and once from the same sources
// compiled a second time as UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "game/scenes/scene_machinery.h"

// One text table: a page table's pages, or a line table's lines.
struct script_table {
  std::string name;
  std::vector<scene_page_text> pages;
  std::vector<const char*> lines;
};

template <size_t N>
void add_script_pages(std::vector<script_table>& tables, const char* name,
                      const scene_page_text (&pages)[N]) {
  tables.push_back({name, std::vector<scene_page_text>(pages, pages + N), {}});
}

template <size_t N>
void add_script_lines(std::vector<script_table>& tables, const char* name,
                      const char* const (&lines)[N]) {
  tables.push_back({name, {}, std::vector<const char*>(lines, lines + N)});
}

// The tables as the game has them.
std::vector<script_table> script_as_cp932();
// The same tables compiled as UTF-8, in the same order.
std::vector<script_table> script_as_utf8();
