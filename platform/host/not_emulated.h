// The one way the stand-ins refuse what they do not emulate: an argument
// value, a flag or a use that no caller of ours makes ends the process at
// once, in every build, with a message that names the call and the value.
// Such a call is a fault of the caller (or a gap in the stand-in), never a
// state to go on from, so it is not an assert that an optimised build drops.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

// Writes "<call>: <what> (got <value>)" to the standard error and aborts.
[[noreturn]] void FailNotEmulated(const char* call, const char* what, const std::string& value);

// How a value is named in the message.
std::string NotEmulatedValueText(int64_t value);
std::string NotEmulatedValueText(uint64_t value);
std::string NotEmulatedValueText(const void* value);
std::string NotEmulatedValueText(const char* value);  // quoted; "null" for none
inline std::string NotEmulatedValueText(bool value) { return value ? "true" : "false"; }

template <typename T>
std::string NotEmulatedValue(const T& value) {
  if constexpr (std::is_same_v<T, bool>) {
    return NotEmulatedValueText(value);
  } else if constexpr (std::is_enum_v<T>) {
    return NotEmulatedValue(static_cast<std::underlying_type_t<T>>(value));
  } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
    return NotEmulatedValueText(static_cast<int64_t>(value));
  } else if constexpr (std::is_integral_v<T>) {
    return NotEmulatedValueText(static_cast<uint64_t>(value));
  } else if constexpr (std::is_convertible_v<T, const char*>) {
    return NotEmulatedValueText(static_cast<const char*>(value));
  } else if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>) {
    return NotEmulatedValueText(static_cast<const void*>(value));
  } else {
    static_assert(std::is_floating_point_v<T>, "name the value as an integer, pointer or text");
    return std::to_string(value);
  }
}

// Ends the process unless `emulated` holds; `value` is the argument (or the
// state) that was refused.
template <typename T>
inline void RequireEmulated(bool emulated, const char* call, const char* what, const T& value) {
  if (!emulated) FailNotEmulated(call, what, NotEmulatedValue(value));
}
