// SPDX-License-Identifier: BSD-3-Clause
// Numbers of the settings file as text. The file always uses a period as the decimal
// separator, so these routines never consult the locale: a host that set LC_NUMERIC to a
// comma locale writes and reads the same file as one in the C locale.
#ifndef LFTM_SETTINGS_NUMBER_TEXT_H_
#define LFTM_SETTINGS_NUMBER_TEXT_H_

#include <cstdint>
#include <string>

namespace lftm {

// Appends `value` in fixed notation with `decimals` digits behind the period, byte for byte as
// "%.<decimals>f" prints it in the C locale ("nan", "-nan", "inf" and "-inf" included).
void append_fixed(std::string* out, double value, int decimals);

// Appends the shortest text that reads back as `value`: fixed notation with the fewest
// decimals (0 to 9) that do, as the settings are shown to users ("55.55", not "55.549999").
// A value too small for nine decimals takes the shortest scientific form ("1e-10"); NaN and
// infinity are written as append_fixed writes them.
void append_shortest(std::string* out, float value);

// Reads the whole of [begin, end) as one number with scan_float: true and *value set only
// when nothing but the number is there.
bool scan_whole_float(const char* begin, const char* end, float* value);

// Reads a number from [begin, end) as "%f" of scanf does in the C locale: white space is
// skipped, then an optional sign and a decimal or "0x" hexadecimal number, "inf", "infinity"
// or "nan". Values beyond the float range become infinity or zero. Returns the position
// behind the characters taken, or nullptr (and *value untouched) when nothing matches. Never
// reads at or past `end`.
const char* scan_float(const char* begin, const char* end, float* value);

// Reads a decimal integer from [begin, end) as "%d" of scanf does: white space, optional
// sign, digits. Values beyond the 32-bit range saturate. Same return convention.
const char* scan_int(const char* begin, const char* end, int32_t* value);

// Reads "%d.%d"; true, with both numbers stored, only when both were read.
bool scan_version(const char* begin, const char* end, int32_t* major, int32_t* minor);

}  // namespace lftm

#endif  // LFTM_SETTINGS_NUMBER_TEXT_H_
