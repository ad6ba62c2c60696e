// SPDX-License-Identifier: BSD-3-Clause
#include "settings/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace lftm {
namespace {

bool is_c_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_hex_digit(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

const char* skip_space(const char* p, const char* end) {
  while (p < end && is_c_space(*p)) ++p;
  return p;
}

// Skips white space and one sign, which sets *negative when it is '-'.
const char* skip_space_and_sign(const char* begin, const char* end, bool* negative) {
  const char* p = skip_space(begin, end);
  *negative = p < end && *p == '-';
  if (p < end && (*p == '+' || *p == '-')) ++p;
  return p;
}

// Case-insensitive match of the lower-case `word` at p.
bool matches_word(const char* p, const char* end, const char* word) {
  for (; *word != '\0'; ++word, ++p) {
    if (p >= end || lower(*p) != *word) return false;
  }
  return true;
}

// For a number the float range cannot hold: whether its magnitude is at least one (so it
// overflows to infinity) rather than below one (so it underflows to zero). Such numbers lie
// far from one on either side, so the position of the first significant digit plus the
// exponent decides it. `digits` excludes any "0x"; `radix_log2` is 4 for hexadecimal digits
// with a binary exponent, 0 for decimal digits with a decimal exponent.
bool magnitude_at_least_one(const char* digits, const char* end, char exp_char, int radix_log2) {
  long long position = 0;  // digits before the point, counted from the first significant one
  bool significant = false;
  bool after_point = false;
  const char* p = digits;
  for (; p < end && lower(*p) != exp_char; ++p) {
    if (*p == '.') {
      after_point = true;
    } else if (!significant && *p == '0') {
      if (after_point) --position;
    } else {
      significant = true;
      if (!after_point) ++position;
    }
  }
  if (!significant) return false;
  long long exponent = 0;
  if (p < end) {
    int32_t e = 0;
    if (scan_int(p + 1, end, &e) != nullptr) exponent = e;
  }
  long long scale = radix_log2 > 0 ? position * radix_log2 + exponent : position + exponent;
  return scale > 0;
}

}  // namespace

void append_fixed(std::string* out, double value, int decimals) {
  // Large enough for the longest double in fixed notation with the decimals asked for.
  char text[400];
  std::to_chars_result r =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (r.ec == std::errc()) out->append(text, r.ptr);
}

void append_shortest(std::string* out, float value) {
  constexpr int kMostDecimals = 9;
  std::string text;
  for (int decimals = 0; decimals <= kMostDecimals; ++decimals) {
    text.clear();
    append_fixed(&text, value, decimals);
    float back = 0;
    if (!std::isfinite(value) ||
        (scan_whole_float(text.data(), text.data() + text.size(), &back) && back == value)) {
      out->append(text);
      return;
    }
  }
  char shortest[64];
  std::to_chars_result r = std::to_chars(shortest, shortest + sizeof shortest, value);
  out->append(shortest, r.ptr);
}

bool scan_whole_float(const char* begin, const char* end, float* value) {
  float read = 0;
  if (scan_float(begin, end, &read) != end) return false;
  *value = read;
  return true;
}

const char* scan_float(const char* begin, const char* end, float* value) {
  bool negative;
  const char* p = skip_space_and_sign(begin, end, &negative);
  if (p >= end) return nullptr;

  if (lower(*p) == 'n') {
    if (!matches_word(p, end, "nan")) return nullptr;
    *value = std::copysign(std::numeric_limits<float>::quiet_NaN(), negative ? -1.0f : 1.0f);
    return p + 3;
  }
  if (lower(*p) == 'i') {
    if (!matches_word(p, end, "inf")) return nullptr;
    p += 3;
    // Once "inf" is followed by an 'i', the whole word "infinity" must follow.
    if (p < end && lower(*p) == 'i') {
      if (!matches_word(p, end, "inity")) return nullptr;
      p += 5;
    }
    *value = negative ? -std::numeric_limits<float>::infinity()
                      : std::numeric_limits<float>::infinity();
    return p;
  }

  // Take the longest run that may form a number; scanf commits to these characters even when
  // only a prefix of them converts ("1e+" reads as 1).
  const char* q = p;
  bool hex = false;
  bool got_digit = false;
  bool got_dot = false;
  bool got_exp = false;
  char exp_char = 'e';
  if (*q == '0') {
    ++q;
    if (q < end && lower(*q) == 'x') {
      hex = true;
      exp_char = 'p';
      ++q;
    } else {
      got_digit = true;
    }
  }
  for (; q < end; ++q) {
    const char c = *q;
    if (is_digit(c) || (hex && !got_exp && is_hex_digit(c))) {
      got_digit = true;
    } else if (got_exp && lower(q[-1]) == exp_char && (c == '+' || c == '-')) {
      // the exponent's sign
    } else if (got_digit && !got_exp && lower(c) == exp_char) {
      got_exp = got_dot = true;
    } else if (!got_dot && c == '.') {
      got_dot = true;
    } else {
      break;
    }
  }
  if (q == p || (hex && q - p == 2)) return nullptr;

  const char* digits = hex ? p + 2 : p;
  float result = 0.0f;
  std::from_chars_result r = std::from_chars(
      digits, q, result, hex ? std::chars_format::hex : std::chars_format::general);
  if (r.ec == std::errc::invalid_argument) {
    // "0x" followed by no hexadecimal digit still converts its "0"; a lone "." converts nothing.
    if (!hex) return nullptr;
    result = 0.0f;
  } else if (r.ec == std::errc::result_out_of_range) {
    result = magnitude_at_least_one(digits, r.ptr, exp_char, hex ? 4 : 0)
                 ? std::numeric_limits<float>::infinity()
                 : 0.0f;
  }
  *value = negative ? -result : result;
  return q;
}

const char* scan_int(const char* begin, const char* end, int32_t* value) {
  bool negative;
  const char* p = skip_space_and_sign(begin, end, &negative);
  if (p >= end || !is_digit(*p)) return nullptr;
  // Accumulated as a negative number so that INT32_MIN is reachable.
  constexpr long long kLimit = -static_cast<long long>(std::numeric_limits<int32_t>::min());
  long long magnitude = 0;
  for (; p < end && is_digit(*p); ++p) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (*p - '0');
  }
  if (magnitude > kLimit) magnitude = kLimit;
  long long signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<int32_t>::max()) {
    signed_value = std::numeric_limits<int32_t>::max();
  }
  *value = static_cast<int32_t>(signed_value);
  return p;
}

bool scan_version(const char* begin, const char* end, int32_t* major, int32_t* minor) {
  int32_t first = 0;
  int32_t second = 0;
  const char* p = scan_int(begin, end, &first);
  if (p == nullptr || p >= end || *p != '.') return false;
  if (scan_int(p + 1, end, &second) == nullptr) return false;
  *major = first;
  *minor = second;
  return true;
}

}  // namespace lftm
