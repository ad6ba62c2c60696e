// SPDX-License-Identifier: BSD-3-Clause
#include "merge/bracket_scene.h"

#include <libexif/exif-data.h>
#include <png.h>
#include <tiffio.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace lftm_test {
namespace {

void add_rational(ExifData* exif, ExifIfd ifd, ExifTag tag, ExifRational value) {
  ExifEntry* entry = exif_entry_new();
  exif_content_add_entry(exif->ifd[ifd], entry);
  exif_entry_initialize(entry, tag);
  exif_set_rational(entry->data, exif_data_get_byte_order(exif), value);
  exif_entry_unref(entry);
}

void add_short(ExifData* exif, ExifIfd ifd, ExifTag tag, uint16_t value) {
  ExifEntry* entry = exif_entry_new();
  exif_content_add_entry(exif->ifd[ifd], entry);
  exif_entry_initialize(entry, tag);
  exif_set_short(entry->data, exif_data_get_byte_order(exif), value);
  exif_entry_unref(entry);
}

void add_ascii(ExifData* exif, ExifIfd ifd, ExifTag tag, const char* text) {
  ExifEntry* entry = exif_entry_new();
  exif_content_add_entry(exif->ifd[ifd], entry);
  const size_t size = std::strlen(text) + 1;
  entry->tag = tag;
  entry->format = EXIF_FORMAT_ASCII;
  entry->components = size;
  entry->size = static_cast<unsigned int>(size);
  entry->data = static_cast<unsigned char*>(std::malloc(size));  // libexif's default allocator
  std::memcpy(entry->data, text, size);
  exif_entry_unref(entry);
}

// The APP1 payload ("Exif\0\0" and the block).
std::vector<uint8_t> exif_payload(double seconds, int orientation, const char* taken,
                                  const char* subsec) {
  ExifData* exif = exif_data_new();
  exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
  if (seconds > 0) {
    const ExifRational time = {static_cast<ExifLong>(std::lround(seconds * 100000)), 100000};
    add_rational(exif, EXIF_IFD_EXIF, EXIF_TAG_EXPOSURE_TIME, time);
    add_rational(exif, EXIF_IFD_EXIF, EXIF_TAG_FNUMBER, {4, 1});
    add_short(exif, EXIF_IFD_EXIF, EXIF_TAG_ISO_SPEED_RATINGS, 100);
  }
  if (orientation != 1) {
    add_short(exif, EXIF_IFD_0, EXIF_TAG_ORIENTATION, static_cast<uint16_t>(orientation));
  }
  if (taken != nullptr) add_ascii(exif, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, taken);
  if (subsec != nullptr) add_ascii(exif, EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL, subsec);
  unsigned char* data = nullptr;
  unsigned int size = 0;
  exif_data_save_data(exif, &data, &size);
  std::vector<uint8_t> payload(data, data + size);
  std::free(data);
  exif_data_unref(exif);
  return payload;
}

}  // namespace

Scene ramp_scene() {
  Scene s;
  s.radiance.resize(static_cast<size_t>(s.width) * s.height * 3);
  const float tint[3] = {1.0f, 0.8f, 0.6f};
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      float v = std::exp2(12.0f * x / (s.width - 1) - 9.0f) * (1.0f + 0.3f * y / s.height);
      if (x == s.width - 1) v = 1e6f;  // clipped in every frame
      if (x == 0) v = 0.0f;            // black in every frame
      for (int k = 0; k < 3; ++k)
        s.radiance[(static_cast<size_t>(y) * s.width + x) * 3 + k] = v * tint[k];
    }
  }
  return s;
}

uint8_t camera_level(float light) {
  const double v = 255.0 * std::pow(std::min(std::max(light, 0.0f), 1.0f), 1.0 / 2.2);
  return static_cast<uint8_t>(std::lround(v));
}

double camera_inverse(uint32_t z) { return std::pow(z / 255.0, 2.2); }

lftm::Bracket shoot(const Scene& scene, const std::vector<double>& exposures) {
  lftm::Bracket b;
  b.width = scene.width;
  b.height = scene.height;
  b.bits = 8;
  for (double t : exposures) {
    lftm::Frame f;
    f.exposure = t;
    for (float r : scene.radiance) f.samples8.push_back(camera_level(static_cast<float>(r * t)));
    b.frames.push_back(f);
  }
  return b;
}

namespace {

float textured_radiance(double x, double y) {
  const double e =
      3.0 * std::sin(x / 9.0) * std::cos(y / 13.0) + 1.5 * std::sin((x + 2 * y) / 17.0);
  return static_cast<float>(std::exp2(e - 2.0));
}

}  // namespace

lftm::Bracket shoot_moving(int width, int height, const std::vector<double>& exposures,
                           const std::vector<lftm::FrameMotion>& motions) {
  lftm::Bracket b;
  b.width = width;
  b.height = height;
  b.bits = 8;
  for (size_t i = 0; i < exposures.size(); ++i) {
    lftm::Frame f;
    f.exposure = exposures[i];
    const lftm::FrameMotion& m = motions[i];
    const double c = std::cos(-m.angle), s = std::sin(-m.angle);
    for (int v = 0; v < height; ++v) {
      for (int u = 0; u < width; ++u) {
        const double px = u - m.cx - m.dx, py = v - m.cy - m.dy;
        const float light = textured_radiance(m.cx + c * px - s * py, m.cy + s * px + c * py);
        for (int k = 0; k < 3; ++k) {
          f.samples8.push_back(camera_level(static_cast<float>(light * exposures[i])));
        }
      }
    }
    b.frames.push_back(f);
  }
  return b;
}

void add_object(lftm::Bracket* bracket, size_t index, int x, int y, int side, float light) {
  lftm::Frame& f = bracket->frames[index];
  const uint8_t level = camera_level(static_cast<float>(light * f.exposure));
  for (int j = y; j < y + side; ++j) {
    for (int i = x; i < x + side; ++i) {
      for (int k = 0; k < 3; ++k)
        f.samples8[(static_cast<size_t>(j) * bracket->width + i) * 3 + k] = level;
    }
  }
}

bool write_jpeg_frame(const std::string& path, const lftm::Frame& frame, int width, int height,
                      double seconds, int orientation, const char* taken, const char* subsec) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr err;
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 98, TRUE);
  jpeg_start_compress(&info, TRUE);
  if (seconds > 0 || orientation != 1 || taken != nullptr) {
    const std::vector<uint8_t> exif = exif_payload(seconds, orientation, taken, subsec);
    jpeg_write_marker(&info, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(frame.samples8.data() +
                                        static_cast<size_t>(info.next_scanline) * width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

bool write_tiff16(const std::string& path, const std::vector<uint16_t>& rgb, int width,
                  int height) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  bool ok = true;
  for (int y = 0; y < height && ok; ++y) {
    ok = TIFFWriteScanline(tif, const_cast<uint16_t*>(&rgb[static_cast<size_t>(y) * width * 3]),
                           static_cast<uint32_t>(y), 0) >= 0;
  }
  TIFFClose(tif);
  return ok;
}

bool write_png16(const std::string& path, const std::vector<uint16_t>& rgb, int width, int height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  // The simplified writer takes linear 16-bit samples and stores them unchanged.
  image.format = PNG_FORMAT_LINEAR_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

}  // namespace lftm_test
