// SPDX-License-Identifier: BSD-3-Clause
// LFwritejpg and LFwritejpgmeta, read back with libjpeg.
#include <cstdio>
#include <jpeglib.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "imageio/sibling_api.h"
#include "settings/xmp_format.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

struct Decoded {
  int width = 0, height = 0, components = 0;
  int density = 0;
  bool icc = false;
  std::string comment;
  std::string exif, xmp;  // APP1 payloads, XMP without its name
  std::vector<uint8_t> pixels;
};

Decoded decode(const std::string& path) {
  Decoded d;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return d;
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  JOCTET* icc = nullptr;
  unsigned int iccLength = 0;
  d.icc = jpeg_read_icc_profile(&cinfo, &icc, &iccLength) && iccLength > 0;
  std::free(icc);
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
    const std::string data(reinterpret_cast<char*>(m->data), m->data_length);
    if (m->marker == JPEG_COM) d.comment = data;
    if (m->marker == JPEG_APP0 + 1 && data.compare(0, 6, std::string("Exif\0\0", 6)) == 0) {
      d.exif = data;
    }
    const std::string xmpName("http://ns.adobe.com/xap/1.0/", 29);
    if (m->marker == JPEG_APP0 + 1 && data.compare(0, xmpName.size(), xmpName) == 0) {
      d.xmp = data.substr(xmpName.size());
    }
  }
  jpeg_start_decompress(&cinfo);
  d.width = static_cast<int>(cinfo.output_width);
  d.height = static_cast<int>(cinfo.output_height);
  d.components = cinfo.output_components;
  d.density = cinfo.X_density;
  d.pixels.resize(static_cast<size_t>(d.width) * d.height * d.components);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = d.pixels.data() + static_cast<size_t>(cinfo.output_scanline) * d.width *
                                         d.components;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return d;
}

HdrFileInfo info_for(int w, int h, int spp, bool widened = false) {
  HdrFileInfo info = {};
  info.infos[LFTM_INFO_WIDTH] = w;
  info.infos[LFTM_INFO_HEIGHT] = h;
  info.infos[LFTM_INFO_SPP] = spp;
  info.infos[LFTM_INFO_BITS] = 8;
  info.infos[LFTM_INFO_WIDENED] = widened ? 1 : 0;
  return info;
}

// A smooth colour image, which JPEG keeps closely at the highest quality.
std::vector<uint8_t> gradient(int w, int h) {
  std::vector<uint8_t> px(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = static_cast<uint8_t>(x * 255 / (w - 1));
      p[1] = static_cast<uint8_t>(y * 255 / (h - 1));
      p[2] = static_cast<uint8_t>(128 + 100 * std::sin(x * 0.05));
    }
  }
  return px;
}

double mean_error(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
  return sum / static_cast<double>(a.size());
}

TEST(JpegWriterTest, ColourAndGreyRoundTripWithTheirMarkers) {
  lftm_test::TempDir dir;
  const int w = 64, h = 40;
  const std::vector<uint8_t> px = gradient(w, h);
  HdrFileInfo info = info_for(w, h, 3);
  info.infos[LFTM_INFO_DPI] = 300;
  const std::string out = dir.file("c.jpg");
  const char* comment = "tone mapped";
  ASSERT_EQ(LFwritejpg(out.c_str(), 100, &info, w * 3, 0, reinterpret_cast<intptr_t>(comment),
                       0, 1, 0, px.data()),
            1);
  Decoded d = decode(out);
  EXPECT_EQ(d.width, w);
  EXPECT_EQ(d.height, h);
  EXPECT_EQ(d.components, 3);
  EXPECT_EQ(d.density, 300);
  EXPECT_TRUE(d.icc);
  EXPECT_EQ(d.comment, "tone mapped");
  EXPECT_LT(mean_error(px, d.pixels), 1.5);

  // Grey from 16-bit samples, default quality and resolution, no profile.
  std::vector<uint16_t> grey(w * h);
  std::vector<uint8_t> grey8(w * h);
  for (size_t i = 0; i < grey.size(); ++i) {
    grey8[i] = static_cast<uint8_t>((i % w) * 4);
    grey[i] = static_cast<uint16_t>(grey8[i] * 257);
  }
  info = info_for(w, h, 1, true);
  const std::string outGrey = dir.file("g.jpg");
  ASSERT_EQ(LFwritejpg(outGrey.c_str(), 0, &info, w, 0, 0, 0, 0, 0, grey.data()), 1);
  Decoded g = decode(outGrey);
  EXPECT_EQ(g.components, 1);
  EXPECT_EQ(g.density, 72);
  EXPECT_FALSE(g.icc);
  EXPECT_LT(mean_error(grey8, g.pixels), 2.0);
}

// The ASCII entries of the first IFD of an EXIF payload, by tag; empty when the payload is
// not a little-endian TIFF structure or an entry points outside it.
std::map<int, std::string> exif_ascii_entries(const std::string& exif) {
  std::map<int, std::string> texts;
  if (exif.size() < 14 || exif.compare(6, 4, std::string("II*\0", 4)) != 0) return texts;
  const std::string tiff = exif.substr(6);
  auto u16 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(tiff[at]) |
                                 static_cast<uint8_t>(tiff[at + 1]) << 8);
  };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  const size_t ifd = u32(4);
  if (ifd + 2 > tiff.size()) return {};
  const size_t count = u16(ifd);
  if (ifd + 2 + 12 * count > tiff.size()) return {};
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = ifd + 2 + 12 * i;
    if (u16(entry + 2) != 2) continue;
    const size_t length = u32(entry + 4);
    const size_t at = length <= 4 ? entry + 8 : u32(entry + 8);
    if (length == 0 || at + length > tiff.size() || tiff[at + length - 1] != '\0') return {};
    texts[u16(entry)] = tiff.substr(at, length - 1);
  }
  return texts;
}

TEST(JpegWriterTest, TextsInExifAndSettingsInXmpLeaveThePixelsAlone) {
  lftm_test::TempDir dir;
  const int w = 48, h = 32;
  const std::vector<uint8_t> px = gradient(w, h);
  HdrFileInfo info = info_for(w, h, 3);
  TmParam params;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &params);
  params.tmParam[1] = 83.0f;
  const std::string plain = dir.file("plain.jpg"), full = dir.file("full.jpg");
  ASSERT_EQ(LFwritejpg(plain.c_str(), 90, &info, w * 3, 0, 0, 0, 0, 0, px.data()), 1);
  auto text = [](const std::string& s) { return reinterpret_cast<intptr_t>(s.c_str()); };
  const std::string description = "Dusk", artist = "Zo\xC3\xAB", copyright = "(c) 2024";
  ASSERT_EQ(LFwritejpgmeta(full.c_str(), 90, &info, w * 3, 0, text(description), text(artist),
                           0, text(copyright), LFTM_METHOD_TEXTURE_BOOSTER, &params, px.data()),
            1);
  Decoded d = decode(full);
  EXPECT_EQ(d.pixels, decode(plain).pixels);
  std::map<int, std::string> tags = exif_ascii_entries(d.exif);
  EXPECT_EQ(tags[270], description);
  EXPECT_EQ(tags[315], artist);
  EXPECT_EQ(tags[33432], copyright);
  EXPECT_EQ(tags[305], "lftm");
  const size_t start = d.xmp.find("?>\n") + 3, end = d.xmp.rfind("<?xpacket end");
  ASSERT_TRUE(d.xmp.compare(0, 9, "<?xpacket") == 0 && end != std::string::npos) << d.xmp;
  EXPECT_EQ(d.xmp.substr(start, end - start),
            lftm::render_settings_xmp(LFTM_METHOD_TEXTURE_BOOSTER, params));

  // The settings can be declined; the texts stay.
  info.infos[LFTM_INFO_METADATA] = LFTM_META_NO_SETTINGS;
  ASSERT_EQ(LFwritejpgmeta(full.c_str(), 90, &info, w * 3, 0, 0, text(artist), 0, 0,
                           LFTM_METHOD_TEXTURE_BOOSTER, &params, px.data()),
            1);
  d = decode(full);
  EXPECT_TRUE(d.xmp.empty());
  EXPECT_EQ(exif_ascii_entries(d.exif)[315], artist);

  // Texts too long for one segment are shortened, a multi-byte character kept whole, and a
  // short one beside them survives whole.
  const std::string longArtist(100000, 'a');
  std::string longCopyright;
  while (longCopyright.size() < 70000) longCopyright += "\xC3\xA9";
  ASSERT_EQ(LFwritejpgmeta(full.c_str(), 90, &info, w * 3, 0, text(description),
                           text(longArtist), 0, text(longCopyright), 0, nullptr, px.data()),
            1);
  d = decode(full);
  tags = exif_ascii_entries(d.exif);
  EXPECT_LE(d.exif.size(), 65533u);
  EXPECT_EQ(tags[270], description);
  EXPECT_GT(tags[315].size(), 20000u);
  EXPECT_EQ(longArtist.compare(0, tags[315].size(), tags[315]), 0);
  EXPECT_GT(tags[33432].size(), 20000u);
  EXPECT_EQ(tags[33432].size() % 2, 0u);
  EXPECT_EQ(longCopyright.compare(0, tags[33432].size(), tags[33432]), 0);
}

TEST(JpegWriterTest, RefusesWhatJpegCannotHoldAndLeavesNoFile) {
  lftm_test::TempDir dir;
  std::vector<uint8_t> px(300, 9);
  const std::string out = dir.file("x.jpg");
  HdrFileInfo tooWide = info_for(70000, 1, 3);
  EXPECT_EQ(LFwritejpg(out.c_str(), 90, &tooWide, 210000, 0, 0, 0, 0, 0, px.data()),
            LFTM_ERR_WRITER_ARGS);
  HdrFileInfo ok = info_for(10, 10, 3);
  EXPECT_EQ(LFwritejpg(out.c_str(), 90, &ok, 29, 0, 0, 0, 0, 0, px.data()),
            LFTM_ERR_WRITER_ARGS);
  EXPECT_EQ(LFwritejpg(dir.file("no/x.jpg").c_str(), 90, &ok, 30, 0, 0, 0, 0, 0, px.data()),
            LFTM_ERR_WRITER_CREATE);
  EXPECT_TRUE(lftm_test::read_file(out).empty());
}

}  // namespace
