// SPDX-License-Identifier: BSD-3-Clause
#include "common/srgb_profile.h"

#include <cmath>
#include <cstring>

namespace lftm_sibling {
namespace {

class ProfileBuilder {
 public:
  void u8(uint8_t v) { bytes_.push_back(v); }
  void u16(uint16_t v) {
    u8(static_cast<uint8_t>(v >> 8));
    u8(static_cast<uint8_t>(v));
  }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(v >> 16));
    u16(static_cast<uint16_t>(v));
  }
  void sig(const char* four) {
    for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(four[i]));
  }
  // s15Fixed16Number
  void fixed(double v) {
    u32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 65536.0))));
  }
  void pad4() {
    while (bytes_.size() % 4 != 0) u8(0);
  }
  void zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  size_t size() const { return bytes_.size(); }
  void put_u32_at(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
  }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

struct Tag {
  const char* signature;
  size_t offset;
  size_t size;
};

void xyz_tag(ProfileBuilder* b, double x, double y, double z) {
  b->sig("XYZ ");
  b->u32(0);
  b->fixed(x);
  b->fixed(y);
  b->fixed(z);
}

void text_description_tag(ProfileBuilder* b, const char* text) {
  const uint32_t count = static_cast<uint32_t>(std::strlen(text)) + 1;
  b->sig("desc");
  b->u32(0);
  b->u32(count);
  for (uint32_t i = 0; i < count; ++i) b->u8(static_cast<uint8_t>(text[i]));
  b->u32(0);    // Unicode language
  b->u32(0);    // Unicode count
  b->u16(0);    // ScriptCode code
  b->u8(0);     // ScriptCode count
  b->zeros(67); // ScriptCode text
}

void text_tag(ProfileBuilder* b, const char* text) {
  b->sig("text");
  b->u32(0);
  const size_t count = std::strlen(text) + 1;
  for (size_t i = 0; i < count; ++i) b->u8(static_cast<uint8_t>(text[i]));
}

void srgb_curve_tag(ProfileBuilder* b) {
  constexpr int kEntries = 1024;
  b->sig("curv");
  b->u32(0);
  b->u32(kEntries);
  for (int i = 0; i < kEntries; ++i) {
    double v = static_cast<double>(i) / (kEntries - 1);
    double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    b->u16(static_cast<uint16_t>(std::lround(linear * 65535.0)));
  }
}

std::vector<uint8_t> build_profile() {
  ProfileBuilder b;
  // Header.
  b.u32(0);                 // size, patched below
  b.u32(0);                 // preferred CMM
  b.u32(0x02100000);        // version 2.1
  b.sig("mntr");
  b.sig("RGB ");
  b.sig("XYZ ");
  const uint16_t date[6] = {2024, 1, 1, 0, 0, 0};
  for (uint16_t d : date) b.u16(d);
  b.sig("acsp");
  b.zeros(4 + 4 + 4 + 4 + 8);  // platform, flags, manufacturer, model, attributes
  b.u32(0);                    // perceptual intent
  b.fixed(0.9642);             // D50 illuminant
  b.fixed(1.0);
  b.fixed(0.8249);
  b.zeros(4 + 16);             // creator, profile ID
  b.zeros(128 - b.size());

  const char* const signatures[] = {"desc", "cprt", "wtpt", "rXYZ", "gXYZ", "bXYZ",
                                    "rTRC", "gTRC", "bTRC"};
  constexpr size_t kTags = sizeof signatures / sizeof signatures[0];
  const size_t tableAt = b.size();
  b.u32(kTags);
  b.zeros(12 * kTags);

  Tag tags[kTags];
  auto begin = [&](size_t i) {
    b.pad4();
    tags[i] = {signatures[i], b.size(), 0};
  };
  auto end = [&](size_t i) { tags[i].size = b.size() - tags[i].offset; };
  begin(0);
  text_description_tag(&b, "sRGB");
  end(0);
  begin(1);
  text_tag(&b, "No copyright, use freely");
  end(1);
  begin(2);
  xyz_tag(&b, 0.9642, 1.0, 0.8249);
  end(2);
  // sRGB primaries adapted from D65 to D50 (Bradford).
  begin(3);
  xyz_tag(&b, 0.4360747, 0.2225045, 0.0139322);
  end(3);
  begin(4);
  xyz_tag(&b, 0.3850649, 0.7168786, 0.0971045);
  end(4);
  begin(5);
  xyz_tag(&b, 0.1430804, 0.0606169, 0.7141733);
  end(5);
  begin(6);
  srgb_curve_tag(&b);
  end(6);
  // The three channels share one curve.
  tags[7] = {signatures[7], tags[6].offset, tags[6].size};
  tags[8] = {signatures[8], tags[6].offset, tags[6].size};
  b.pad4();

  for (size_t i = 0; i < kTags; ++i) {
    const size_t at = tableAt + 4 + 12 * i;
    const char* s = tags[i].signature;
    b.put_u32_at(at, (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
                         (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3])));
    b.put_u32_at(at + 4, static_cast<uint32_t>(tags[i].offset));
    b.put_u32_at(at + 8, static_cast<uint32_t>(tags[i].size));
  }
  b.put_u32_at(0, static_cast<uint32_t>(b.size()));
  return b.bytes();
}

}  // namespace

const std::vector<uint8_t>& srgb_icc_profile() {
  static const std::vector<uint8_t> profile = build_profile();
  return profile;
}

}  // namespace lftm_sibling
