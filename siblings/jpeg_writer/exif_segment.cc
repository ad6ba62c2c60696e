// SPDX-License-Identifier: BSD-3-Clause
#include "jpeg_writer/exif_segment.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace lftm_sibling {
namespace {

constexpr uint16_t kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7;
constexpr uint16_t kTagExifIfd = 34665;
constexpr char kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr size_t kTiffHeaderBytes = 8;

// One IFD entry with its value as stored (little-endian); values of up to four bytes sit in
// the entry itself, longer ones behind the IFD.
struct Entry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  std::vector<uint8_t> value;
};

void put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>* out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

Entry short_entry(uint16_t tag, uint16_t v) {
  Entry e{tag, kShort, 1, {}};
  put16(&e.value, v);
  return e;
}

Entry long_entry(uint16_t tag, uint32_t v) {
  Entry e{tag, kLong, 1, {}};
  put32(&e.value, v);
  return e;
}

Entry rational_entry(uint16_t tag, uint32_t numerator) {
  Entry e{tag, kRational, 1, {}};
  put32(&e.value, numerator);
  put32(&e.value, 1);
  return e;
}

Entry four_bytes_entry(uint16_t tag, const char (&bytes)[5]) {
  return Entry{tag, kUndefined, 4, std::vector<uint8_t>(bytes, bytes + 4)};
}

Entry ascii_entry(uint16_t tag, std::string_view text) {
  Entry e{tag, kAscii, static_cast<uint32_t>(text.size() + 1), {}};
  e.value.assign(text.begin(), text.end());
  e.value.push_back(0);
  return e;
}

size_t stored_value_bytes(const Entry& e) {
  return e.value.size() <= 4 ? 0 : (e.value.size() + 1) / 2 * 2;  // word aligned
}

size_t ifd_bytes(const std::vector<Entry>& entries) {
  size_t bytes = 2 + 12 * entries.size() + 4;
  for (const Entry& e : entries) bytes += stored_value_bytes(e);
  return bytes;
}

// Appends one IFD (no next IFD) and its long values; offsets count from the start of `tiff`,
// the TIFF header.
void append_ifd(const std::vector<Entry>& entries, std::vector<uint8_t>* tiff) {
  std::vector<uint8_t> values;
  size_t valuesAt = tiff->size() + 2 + 12 * entries.size() + 4;
  put16(tiff, static_cast<uint32_t>(entries.size()));
  for (const Entry& e : entries) {
    put16(tiff, e.tag);
    put16(tiff, e.type);
    put32(tiff, e.count);
    if (stored_value_bytes(e) == 0) {
      tiff->insert(tiff->end(), e.value.begin(), e.value.end());
      tiff->resize(tiff->size() + 4 - e.value.size(), 0);
    } else {
      put32(tiff, static_cast<uint32_t>(valuesAt + values.size()));
      values.insert(values.end(), e.value.begin(), e.value.end());
      values.resize(values.size() + stored_value_bytes(e) - e.value.size(), 0);
    }
  }
  put32(tiff, 0);
  tiff->insert(tiff->end(), values.begin(), values.end());
}

// Shortens the texts so that their lengths add up to at most `budget`: texts shorter than an
// even share stay whole, the others share what is left. A cut never splits a UTF-8 sequence.
void fit_texts(std::vector<std::string_view*> texts, size_t budget) {
  std::sort(texts.begin(), texts.end(),
            [](const std::string_view* a, const std::string_view* b) {
              return a->size() < b->size();
            });
  for (size_t i = 0; i < texts.size(); ++i) {
    std::string_view& text = *texts[i];
    size_t keep = std::min(text.size(), budget / (texts.size() - i));
    while (keep > 0 && keep < text.size() && (static_cast<uint8_t>(text[keep]) & 0xC0) == 0x80) {
      --keep;
    }
    text = text.substr(0, keep);
    budget -= keep;
  }
}

struct Texts {
  std::string_view description, artist, copyright, software;
};

std::vector<Entry> ifd0_entries(const Texts& texts, int32_t dpi) {
  std::vector<Entry> entries;
  if (!texts.description.empty()) entries.push_back(ascii_entry(270, texts.description));
  entries.push_back(short_entry(274, 1));  // orientation: top left
  entries.push_back(rational_entry(282, static_cast<uint32_t>(dpi)));
  entries.push_back(rational_entry(283, static_cast<uint32_t>(dpi)));
  entries.push_back(short_entry(296, 2));  // resolution unit: inch
  if (!texts.software.empty()) entries.push_back(ascii_entry(305, texts.software));
  if (!texts.artist.empty()) entries.push_back(ascii_entry(315, texts.artist));
  entries.push_back(short_entry(531, 1));  // chroma samples centred
  if (!texts.copyright.empty()) entries.push_back(ascii_entry(33432, texts.copyright));
  entries.push_back(long_entry(kTagExifIfd, 0));  // set once IFD0's size is known
  return entries;
}

std::vector<Entry> exif_ifd_entries(const ExifImage& image) {
  return {four_bytes_entry(36864, "0232"),  // EXIF version
          four_bytes_entry(37121, image.colour ? "\1\2\3\0" : "\1\0\0\0"),  // Y, Cb, Cr
          four_bytes_entry(40960, "0100"),  // Flashpix version
          short_entry(40961, image.srgb ? 1 : 0xFFFF),  // colour space: sRGB or uncalibrated
          long_entry(40962, static_cast<uint32_t>(image.width)),
          long_entry(40963, static_cast<uint32_t>(image.height))};
}

std::string_view view_of(const char* text) {
  return text != nullptr ? std::string_view(text) : std::string_view();
}

}  // namespace

std::vector<uint8_t> exif_segment(const ExifTexts& in, const ExifImage& image) {
  Texts texts{view_of(in.description), view_of(in.artist), view_of(in.copyright),
              view_of(in.software)};
  const std::vector<Entry> exifIfd = exif_ifd_entries(image);
  // Everything but the texts' characters: every text entry present, its value one NUL and
  // at most one byte of padding.
  std::vector<std::string_view*> present;
  for (std::string_view* text : {&texts.description, &texts.artist, &texts.copyright,
                                 &texts.software}) {
    if (!text->empty()) present.push_back(text);
  }
  Texts placeholders{"x", "x", "x", "x"};
  const size_t fixed = sizeof kExifHeader + kTiffHeaderBytes +
                       ifd_bytes(ifd0_entries(placeholders, image.dpi)) + ifd_bytes(exifIfd) +
                       2 * present.size();
  fit_texts(present, kMaxSegmentPayload - fixed);

  std::vector<Entry> ifd0 = ifd0_entries(texts, image.dpi);
  const uint32_t exifIfdAt = static_cast<uint32_t>(kTiffHeaderBytes + ifd_bytes(ifd0));
  ifd0.back() = long_entry(kTagExifIfd, exifIfdAt);
  std::vector<uint8_t> tiff = {'I', 'I', 42, 0};
  put32(&tiff, kTiffHeaderBytes);
  append_ifd(ifd0, &tiff);
  append_ifd(exifIfd, &tiff);
  std::vector<uint8_t> payload(kExifHeader, kExifHeader + sizeof kExifHeader);
  payload.insert(payload.end(), tiff.begin(), tiff.end());
  return payload;
}

}  // namespace lftm_sibling
