// Copies of the generated sample data set for whole-program runs that need
// another route through it: a stairs row that leads elsewhere, a boss row
// with other values, a save slot to continue from. The generated set itself
// is never changed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Copies the set in `source` (as GenerateSampleData writes it) to `target`,
// which must not exist yet. False with `error` set on any failure.
bool CopyDataSet(const std::filesystem::path& source, const std::filesystem::path& target,
                 std::string* error);

// The level file of one kind ("BRIMAL_", "stairs_data_", "generator_data_",
// "set_enemy_data_", "rock_data_", "item_data_", "boss_data_") of floor
// `floor` of area `area` (0 to 14), relative to a set's folder.
std::string LevelFile(int32_t area, const char* kind, int32_t floor);

// Replaces row `row` (0 = the line after the count line) of a row file of
// the copy with `values` ("400,304,2,5,240,432,0"); the count line and the
// other rows stay. For a boss file, whose one line is its row, use row -1.
bool ReplaceLevelRow(const std::filesystem::path& set, const std::string& level_file, int32_t row,
                     const std::string& values, std::string* error);

// Writes save slot `k` (0 to 2) of the copy, "patch/save_data<k>.dat", with
// the 6216 bytes of `image`.
bool WriteSaveSlot(const std::filesystem::path& set, int32_t k, const std::vector<uint8_t>& image,
                   std::string* error);
