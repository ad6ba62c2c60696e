// SPDX-License-Identifier: BSD-3-Clause
#include "merge/camera_response.h"

#include <stdlib.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "lftm_host.h"
#include "platform/c_locale.h"
#include "platform/staged_output.h"

namespace lftm {
namespace {

constexpr char kHeader[] = "# lftm camera response: level, then the linear value of R G B";

// One line of numbers in the C format; false when a field is missing, unreadable or is not
// a finite value >= 0.
bool parse_numbers(const char* line, double* values, int count) {
  const char* at = line;
  for (int i = 0; i < count; ++i) {
    char* end = nullptr;
    values[i] = strtod_l(at, &end, c_numeric_locale());
    if (end == at || !std::isfinite(values[i]) || values[i] < 0) return false;
    at = end;
  }
  while (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n') ++at;
  return *at == '\0';
}

std::string number(double v) {
  char text[40];
  locale_t old = uselocale(c_numeric_locale());
  std::snprintf(text, sizeof text, "%.9g", v);
  uselocale(old);
  return text;
}

}  // namespace

CameraResponse linear_response(uint32_t levels) {
  CameraResponse response;
  response.levels = levels;
  for (auto& curve : response.inverse) {
    curve.resize(levels);
    for (uint32_t z = 0; z < levels; ++z) curve[z] = static_cast<float>(z) / (levels - 1);
  }
  return response;
}

void make_monotone(CameraResponse* response) {
  for (auto& curve : response->inverse) {
    float floor = 0.0f;
    for (float& v : curve) {
      if (!std::isfinite(v) || v < floor) v = floor;
      floor = v;
    }
  }
}

// True when nothing is at `path`, or a response saved earlier: any other file (a frame, an
// image) is never replaced by a curve.
bool may_replace(const char* path) {
  std::FILE* old = std::fopen(path, "r");
  if (old == nullptr) return errno == ENOENT;
  char line[sizeof kHeader + 1] = "";
  const bool saved = std::fgets(line, sizeof line, old) != nullptr &&
                     std::strncmp(line, kHeader, std::strlen(kHeader)) == 0;
  std::fclose(old);
  return saved;
}

int32_t check_response_target(const char* path, MergeReport* report) {
  if (may_replace(path)) return 0;
  return report->fail(LFTM_ERR_OUTPUT_EXISTS,
                      "%s exists and is no saved response; it was not touched", path);
}

int32_t save_response(const char* path, const CameraResponse& response, MergeReport* report) {
  int32_t result = check_response_target(path, report);
  if (result < 0) return result;
  // Written beside the final name and moved onto it whole.
  StagedOutput staged;
  std::FILE* file = staged.create(path) == 0 ? std::fopen(staged.path(), "w") : nullptr;
  if (file == nullptr) {
    return report->fail(LFTM_ERR_FILE, "%s cannot be written: %s", path, std::strerror(errno));
  }
  std::fprintf(file, "%s\nlevels %u\n", kHeader, response.levels);
  for (uint32_t z = 0; z < response.levels; ++z) {
    std::fprintf(file, "%u %s %s %s\n", z, number(response.inverse[0][z]).c_str(),
                 number(response.inverse[1][z]).c_str(), number(response.inverse[2][z]).c_str());
  }
  const bool written = std::ferror(file) == 0;
  if (std::fclose(file) != 0 || !written || staged.commit() != 0) {
    return report->fail(LFTM_ERR_FILE, "%s could not be written whole", path);
  }
  return 0;
}

int32_t load_response(const char* path, uint32_t levels, CameraResponse* response,
                      MergeReport* report) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) {
    return report->fail(LFTM_ERR_MERGE_RESPONSE, "the response %s cannot be opened: %s", path,
                        std::strerror(errno));
  }
  char line[256];
  unsigned fileLevels = 0;
  bool ok = std::fgets(line, sizeof line, file) != nullptr &&
            std::strncmp(line, kHeader, std::strlen(kHeader)) == 0 &&
            std::fgets(line, sizeof line, file) != nullptr &&
            std::sscanf(line, "levels %u", &fileLevels) == 1;
  int lineNumber = 2;
  if (ok && fileLevels != levels) {
    std::fclose(file);
    return report->fail(LFTM_ERR_MERGE_RESPONSE,
                        "the response %s is for %u levels but the frames have %u", path, fileLevels,
                        levels);
  }
  response->levels = levels;
  for (auto& curve : response->inverse) curve.assign(levels, 0.0f);
  for (uint32_t z = 0; ok && z < levels; ++z) {
    double v[4];
    ++lineNumber;
    ok = std::fgets(line, sizeof line, file) != nullptr && parse_numbers(line, v, 4) && v[0] == z;
    for (int k = 0; ok && k < 3; ++k) response->inverse[k][z] = static_cast<float>(v[k + 1]);
  }
  std::fclose(file);
  if (!ok) {
    return report->fail(LFTM_ERR_MERGE_RESPONSE,
                        "the response %s is not a curve lftm saved (line %d)", path, lineNumber);
  }
  make_monotone(response);
  return 0;
}

}  // namespace lftm
