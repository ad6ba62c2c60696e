#include "driver_runs.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <cmath>
#include <cstring>

#include "frame/driver_io.h"
#include "test_support.h"

namespace lftm_hard {

int32_t run_driver(const DriverRun& run) {
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = run.bits;
  TmParam defaults;
  tmparam_default(run.method == Method::kSqueezer ? LFTM_METHOD_RANGE_SQUEEZER
                                                  : LFTM_METHOD_TEXTURE_BOOSTER,
                  0, &defaults);
  const TmParam* params = run.params != nullptr ? run.params : &defaults;
  TmFiles files;
  init_optim_param(&files);
  files.threads = run.threads;
  files.readFromDisk = run.disk ? 1 : 0;
  files.inFile = run.in.c_str();
  if (run.names == nullptr) {
    auto driver = run.method == Method::kSqueezer ? &tms : &tonemap;
    return driver(run.extType, &desc, params, 90, nullptr, 0, 0, 0, 0, 0, nullptr, &files,
                  run.out.c_str());
  }
  const lftm::DriverCall call = {run.extType, &desc, params, nullptr, {90, 0, 0, 0, 0, 0},
                                 &files, run.out.c_str()};
  return run.method == Method::kSqueezer ? lftm::run_tms(call, *run.names)
                                         : lftm::run_tonemap(call, *run.names);
}

std::string write_hdr(const std::string& path, int width, int height, uint32_t seed) {
  lftm_test::write_file(path, lftm_test::encode_rgbe_file(
                                  lftm_test::make_test_image(width, height, seed), true));
  return path;
}

std::string write_truncated_hdr(const std::string& path, int width, int height, size_t bytes) {
  const std::string header = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " +
                             std::to_string(height) + " +X " + std::to_string(width) + "\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  // Flat pixels (R, G, B, E), a mid grey.
  for (size_t i = 0; i < bytes; ++i) out.push_back(i % 4 == 3 ? 129 : 100);
  lftm_test::write_file(path, out);
  return path;
}

std::string write_tiff(const std::string& path, int width, int height, TiffSamples samples) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) return path;
  const bool wide = samples != TiffSamples::kUint16;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, wide ? 32 : 16);
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT,
               samples == TiffSamples::kFloat32 ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3 * (wide ? 4 : 2));
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < width * 3; ++i) {
      if (samples == TiffSamples::kFloat32) {
        const float v = static_cast<float>((i + y) % 17) / 4.0f;
        std::memcpy(&row[4 * i], &v, 4);
      } else if (wide) {
        const uint32_t v = static_cast<uint32_t>((i * 977 + y * 331) % 60000) << 12;
        std::memcpy(&row[4 * i], &v, 4);
      } else {
        const uint16_t v = static_cast<uint16_t>(((i * 977 + y * 331) % 60000) + 100);
        std::memcpy(&row[2 * i], &v, 2);
      }
    }
    TIFFWriteScanline(tif, row.data(), y, 0);
  }
  TIFFClose(tif);
  return path;
}

std::string write_exr(const std::string& path, int width, int height, bool pixels) {
  Imf::Header header(width, height);
  const char* names[3] = {"R", "G", "B"};
  for (const char* n : names) header.channels().insert(n, Imf::Channel(Imf::HALF));
  Imf::OutputFile file(path.c_str(), header);
  if (!pixels) return path;
  std::vector<half> px(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < px.size(); ++i) {
    px[i] = std::exp2(static_cast<float>(i % 23) / 3.0f - 3.0f);
  }
  Imf::FrameBuffer fb;
  for (int c = 0; c < 3; ++c) {
    fb.insert(names[c], Imf::Slice(Imf::HALF, reinterpret_cast<char*>(px.data() + c),
                                   sizeof(half) * 3, sizeof(half) * 3 * width));
  }
  file.setFrameBuffer(fb);
  file.writePixels(height);
  return path;
}

std::vector<uint16_t> tiff_samples(const std::string& path) {
  std::vector<uint16_t> samples;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr) return samples;
  uint32_t w = 0, h = 0;
  uint16_t spp = 1, bits = 8;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
  const size_t perRow = static_cast<size_t>(w) * spp;
  for (uint32_t y = 0; y < h; ++y) {
    if (TIFFReadScanline(tif, line.data(), y, 0) != 1) {
      samples.clear();
      break;
    }
    for (size_t i = 0; i < perRow; ++i) {
      uint16_t v = line[i];
      if (bits == 16) std::memcpy(&v, &line[2 * i], 2);
      samples.push_back(v);
    }
  }
  TIFFClose(tif);
  return samples;
}

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace lftm_hard
