// SPDX-License-Identifier: BSD-3-Clause
// Synthesises a large Radiance file by tiling a small one: tile_rgbe IN.hdr WIDTH HEIGHT OUT.hdr
// Every other tile is mirrored, so that the panorama has no seams. The output is written as
// flat (not run-length) rows, which every width allows. Used by the gigapixel benchmark.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool fail(const char* what) {
  std::fprintf(stderr, "tile_rgbe: %s\n", what);
  return false;
}

// One component run of `width` bytes, run-length coded, into out[0], out[4], ...
bool read_component(std::FILE* in, int width, unsigned char* out) {
  for (int x = 0; x < width;) {
    int code = std::fgetc(in);
    if (code == EOF) return false;
    if (code > 128) {
      int value = std::fgetc(in);
      if (value == EOF || x + code - 128 > width) return false;
      for (int k = 0; k < code - 128; ++k, ++x) out[4 * x] = static_cast<unsigned char>(value);
    } else {
      if (code == 0 || x + code > width) return false;
      for (int k = 0; k < code; ++k, ++x) {
        int value = std::fgetc(in);
        if (value == EOF) return false;
        out[4 * x] = static_cast<unsigned char>(value);
      }
    }
  }
  return true;
}

// Reads the whole source image as RGBE quadruples, flat or run-length coded.
bool read_source(const char* path, int* width, int* height, std::vector<unsigned char>* pixels) {
  std::FILE* in = std::fopen(path, "rb");
  if (in == nullptr) return fail("cannot open the source image");
  char line[256];
  bool sized = false;
  while (!sized && std::fgets(line, sizeof line, in) != nullptr) {
    sized = std::sscanf(line, "-Y %d +X %d", height, width) == 2;
  }
  if (!sized || *width < 1 || *height < 1) return fail("no size line in the source image");
  pixels->assign(static_cast<size_t>(*width) * *height * 4, 0);
  for (int y = 0; y < *height; ++y) {
    unsigned char* row = pixels->data() + static_cast<size_t>(y) * *width * 4;
    unsigned char head[4];
    if (std::fread(head, 1, 4, in) != 4) return fail("the source image ends early");
    if (head[0] == 2 && head[1] == 2 && head[2] < 128) {
      for (int c = 0; c < 4; ++c) {
        if (!read_component(in, *width, row + c)) return fail("damaged run-length row");
      }
    } else {
      std::memcpy(row, head, 4);
      const size_t rest = static_cast<size_t>(*width) * 4 - 4;
      if (std::fread(row + 4, 1, rest, in) != rest) return fail("the source image ends early");
    }
  }
  std::fclose(in);
  return true;
}

// Column (or row) `i` of a mirrored tiling of `size` source columns.
int mirrored(long long i, int size) {
  const long long period = 2LL * size;
  const int k = static_cast<int>(i % period);
  return k < size ? k : static_cast<int>(period - 1 - k);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: tile_rgbe IN.hdr WIDTH HEIGHT OUT.hdr\n");
    return 2;
  }
  const long long width = std::atoll(argv[2]);
  const long long height = std::atoll(argv[3]);
  if (width < 1 || height < 1 || width > 2147483647LL || height > 2147483647LL) {
    std::fprintf(stderr, "tile_rgbe: bad size\n");
    return 2;
  }
  int sw = 0, sh = 0;
  std::vector<unsigned char> src;
  if (!read_source(argv[1], &sw, &sh, &src)) return 1;

  std::FILE* out = std::fopen(argv[4], "wb");
  if (out == nullptr) return fail("cannot create the output") ? 0 : 1;
  std::fprintf(out, "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y %lld +X %lld\n", height, width);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 4);
  for (long long y = 0; y < height; ++y) {
    const unsigned char* line = src.data() + static_cast<size_t>(mirrored(y, sh)) * sw * 4;
    for (long long x = 0; x < width; ++x) {
      std::memcpy(&row[static_cast<size_t>(x) * 4], line + static_cast<size_t>(mirrored(x, sw)) * 4,
                  4);
    }
    if (std::fwrite(row.data(), 1, row.size(), out) != row.size()) {
      std::fclose(out);
      return fail("cannot write the output (disk full?)") ? 0 : 1;
    }
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
