// SPDX-License-Identifier: BSD-3-Clause
// The few EXIF values a bracket needs, read with libexif.
#include <libexif/exif-data.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "frame_reader/decoded_frame.h"

namespace lftm_sibling {
namespace {

constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

double rational_value(ExifEntry* entry, ExifByteOrder order) {
  if (entry == nullptr || entry->format != EXIF_FORMAT_RATIONAL || entry->components < 1) {
    return 0.0;
  }
  const ExifRational r = exif_get_rational(entry->data, order);
  return r.denominator == 0 ? 0.0 : static_cast<double>(r.numerator) / r.denominator;
}

int short_value(ExifEntry* entry, ExifByteOrder order) {
  if (entry == nullptr || entry->components < 1) return 0;
  if (entry->format == EXIF_FORMAT_SHORT) return exif_get_short(entry->data, order);
  if (entry->format == EXIF_FORMAT_LONG) return static_cast<int>(exif_get_long(entry->data, order));
  return 0;
}

// An ASCII entry as text ("" when absent or of another format).
std::string ascii_value(ExifEntry* entry) {
  if (entry == nullptr || entry->format != EXIF_FORMAT_ASCII || entry->size == 0) return "";
  return std::string(reinterpret_cast<const char*>(entry->data),
                     strnlen(reinterpret_cast<const char*>(entry->data), entry->size));
}

}  // namespace

double capture_seconds(const char* datetime, const char* subsec) {
  std::tm t{};
  char tail = 0;
  if (datetime == nullptr ||
      std::sscanf(datetime, "%4d:%2d:%2d %2d:%2d:%2d%c", &t.tm_year, &t.tm_mon, &t.tm_mday,
                  &t.tm_hour, &t.tm_min, &t.tm_sec, &tail) != 6 ||
      t.tm_year < 1900 || t.tm_mon < 1 || t.tm_mon > 12 || t.tm_mday < 1) {
    return 0.0;
  }
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  const time_t seconds = timegm(&t);
  if (seconds <= 0) return 0.0;
  double fraction = 0.0;
  if (subsec != nullptr && subsec[0] >= '0' && subsec[0] <= '9') {
    fraction = std::strtod((std::string("0.") + subsec).c_str(), nullptr);
  }
  return static_cast<double>(seconds) + fraction;
}

size_t frame_bytes(int width, int height, int channels, int bits) {
  if (width < 1 || height < 1) return 0;
  const unsigned __int128 n =
      static_cast<unsigned __int128>(width) * height * channels * (bits > 8 ? 2 : 1);
  return n > (static_cast<unsigned __int128>(1) << 40) ? 0 : static_cast<size_t>(n);
}

void read_exif_block(const uint8_t* data, size_t size, DecodedFrame* frame) {
  // libexif finds the block by its "Exif" header; a PNG chunk has the TIFF header alone.
  std::vector<uint8_t> block;
  if (size < sizeof kExifHeader || std::memcmp(data, kExifHeader, sizeof kExifHeader) != 0) {
    block.assign(kExifHeader, kExifHeader + sizeof kExifHeader);
  }
  block.insert(block.end(), data, data + size);
  ExifData* exif = exif_data_new_from_data(block.data(), static_cast<unsigned int>(block.size()));
  if (exif == nullptr) return;
  const ExifByteOrder order = exif_data_get_byte_order(exif);
  const int orientation =
      short_value(exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION), order);
  if (orientation >= 1 && orientation <= 8) frame->orientation = orientation;
  ExifContent* sub = exif->ifd[EXIF_IFD_EXIF];
  const double time = rational_value(exif_content_get_entry(sub, EXIF_TAG_EXPOSURE_TIME), order);
  const double fnumber = rational_value(exif_content_get_entry(sub, EXIF_TAG_FNUMBER), order);
  const int iso = short_value(exif_content_get_entry(sub, EXIF_TAG_ISO_SPEED_RATINGS), order);
  if (time > 0) frame->exif[0] = time;
  if (fnumber > 0) frame->exif[1] = fnumber;
  if (iso > 0) frame->exif[2] = iso;
  const std::string taken = ascii_value(exif_content_get_entry(sub, EXIF_TAG_DATE_TIME_ORIGINAL));
  const std::string subsec =
      ascii_value(exif_content_get_entry(sub, EXIF_TAG_SUB_SEC_TIME_ORIGINAL));
  const double capture = capture_seconds(taken.c_str(), subsec.c_str());
  if (capture > 0) frame->exif[3] = capture;
  exif_data_unref(exif);
}

}  // namespace lftm_sibling
