#include "frame/driver_test_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "test_support.h"

namespace lftm_test {

int32_t run_driver(const DriverRun& run, ImageDesc* descOut) {
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = run.bits;
  desc.planes = run.planes;
  TmParam params;
  tmparam_default(run.driver == Driver::kTms ? LFTM_METHOD_RANGE_SQUEEZER
                                             : LFTM_METHOD_TEXTURE_BOOSTER,
                  0, &params);
  TmFiles files;
  init_optim_param(&files);
  files.threads = run.threads;
  files.readFromDisk = run.disk ? 1 : 0;
  files.inFile = run.in.c_str();
  const lftm::DriverCall call = {run.extType, &desc, &params, &run.save, {90, 0, 0, 0, 0, 0},
                                 &files, run.out.c_str()};
  const lftm::SiblingNames& names =
      run.names != nullptr ? *run.names : lftm::default_sibling_names();
  int32_t result = run.driver == Driver::kTms ? lftm::run_tms(call, names)
                                              : lftm::run_tonemap(call, names);
  if (descOut != nullptr) *descOut = desc;
  return result;
}

bool read_tiff(const std::string& path, TiffImage* image) {
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr) return false;
  uint32_t w = 0, h = 0;
  uint16_t spp = 1, bits = 8, compression = 1;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  image->width = static_cast<int>(w);
  image->height = static_cast<int>(h);
  image->spp = spp;
  image->bits = bits;
  image->compression = compression;
  uint32_t count = 0;
  void* data = nullptr;
  image->hasIcc = TIFFGetField(tif, TIFFTAG_ICCPROFILE, &count, &data) == 1 && count > 0;
  image->xmp.clear();
  if (TIFFGetField(tif, TIFFTAG_XMLPACKET, &count, &data) == 1) {
    image->xmp.assign(static_cast<const char*>(data), count);
  }
  char* software = nullptr;
  image->software = TIFFGetField(tif, TIFFTAG_SOFTWARE, &software) == 1 ? software : "";
  std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
  image->samples.assign(static_cast<size_t>(w) * h * spp, 0);
  bool ok = true;
  for (uint32_t y = 0; ok && y < h; ++y) {
    ok = TIFFReadScanline(tif, line.data(), y, 0) == 1;
    for (size_t i = 0; ok && i < static_cast<size_t>(w) * spp; ++i) {
      uint16_t v;
      if (bits == 16) {
        std::memcpy(&v, line.data() + 2 * i, 2);
      } else {
        v = static_cast<uint16_t>(line[i] * 257);
      }
      image->samples[static_cast<size_t>(y) * w * spp + i] = v;
    }
  }
  TIFFClose(tif);
  return ok;
}

namespace {

bool starts_with(const std::string& path, const std::vector<uint8_t>& magic) {
  std::vector<uint8_t> bytes = read_file(path);
  return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

}  // namespace

bool starts_with_jpeg_marker(const std::string& path) { return starts_with(path, {0xFF, 0xD8}); }

bool starts_with_tiff_header(const std::string& path) {
  return starts_with(path, {'I', 'I', 42, 0}) || starts_with(path, {'M', 'M', 0, 42});
}

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> list_directory(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

ScopedTmpdir::ScopedTmpdir(const std::string& value) {
  const char* old = std::getenv("TMPDIR");
  had_ = old != nullptr;
  if (had_) old_ = old;
  setenv("TMPDIR", value.c_str(), 1);
}

ScopedTmpdir::~ScopedTmpdir() {
  if (had_) {
    setenv("TMPDIR", old_.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
}

std::string write_test_hdr(const std::string& path, int width, int height, uint32_t seed) {
  write_file(path, encode_rgbe_file(make_test_image(width, height, seed), true));
  return path;
}

}  // namespace lftm_test
