// Helpers shared by the test binaries.
#ifndef LFTM_TESTS_TEST_SUPPORT_H_
#define LFTM_TESTS_TEST_SUPPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/diag.h"

namespace lftm_test {

// Path of a bundled sample image ("golden_gate.hdr").
std::string sample_path(const std::string& name);

// A fresh directory under the temporary directory, removed with its files at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Collects everything the library prints while it lives.
class DiagCapture {
 public:
  DiagCapture();
  ~DiagCapture();
  DiagCapture(const DiagCapture&) = delete;
  DiagCapture& operator=(const DiagCapture&) = delete;
  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }

 private:
  static void sink(lftm::DiagStream stream, const char* text, void* context);
  std::string out_;
  std::string err_;
};

// Writes bytes to a file; returns false on failure.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> read_file(const std::string& path);

// An RGBE image as the library holds it: per row, red, green, blue and exponent planes.
struct RgbePlanar {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;  // 4 x width x height
};

// Encodes an image as a Radiance file ("#?RADIANCE", FORMAT line, blank line, "-Y h +X w"),
// flat or with run-length rows. `extra_header` lines (each ending in '\n') go before the
// blank line.
std::vector<uint8_t> encode_rgbe_file(const RgbePlanar& image, bool run_length,
                                      const std::string& extra_header = "");

// A deterministic test image with smooth gradients and some variety in the exponents.
RgbePlanar make_test_image(int width, int height, uint32_t seed = 1);

}  // namespace lftm_test

#endif  // LFTM_TESTS_TEST_SUPPORT_H_
