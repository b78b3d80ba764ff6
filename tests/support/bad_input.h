// The inputs that once broke a reader, kept in tests/fixtures/bad-input (the
// folder's README says what each one did).
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The bytes of one file of the folder; empty when it cannot be read.
inline std::vector<uint8_t> ReadBadInput(const std::string& name) {
  std::ifstream in(std::string(BRIMAL_BAD_INPUT_DIR) + "/" + name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
