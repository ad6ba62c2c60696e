// SPDX-License-Identifier: BSD-3-Clause
// Writes the seed corpora of the fuzz targets: sidecars of every method, small TIFF and
// OpenEXR files in the layouts the sibling readers handle (and some they refuse), and encoded
// inputs of the tone-mapping targets built around a reduced photograph.
//   make_fuzz_seeds <corpus dir> <an RGBE photograph>
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <ImfRgbaFile.h>
#include <ImfTiledOutputFile.h>
#include <tiffio.h>

#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "settings/settings_table.h"

namespace {

constexpr int kW = 16;
constexpr int kH = 12;

std::string g_root;

std::string dir(const std::string& name) {
  const std::string path = g_root + "/" + name;
  mkdir(path.c_str(), 0755);
  return path;
}

bool save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

void xmp_seeds() {
  const std::string d = dir("xmp");
  TmParam p;
  tmparam_default(1, 0, &p);
  write_xmp((d + "/booster_slider.xmp").c_str(), 1, &p);
  p.tmParam[lftm::kBoosterSmoothingMode] = 0.0f;
  p.tmParam[lftm::kBooster360DegreeImage] = 1.0f;
  write_xmp((d + "/booster_light_360.xmp").c_str(), 1, &p);
  for (int method : {2, 5, 10, 11}) {
    tmparam_default(method, 0, &p);
    for (int i = 0; i < 20; ++i) p.tmParam[i] += 0.5f * i;
    write_xmp((d + "/method_" + std::to_string(method) + ".xmp").c_str(), method, &p);
  }
  const std::string legacy =
      "<x:xmpmeta xmlns:x='adobe:ns:meta/'>\n<rdf:RDF>\n<rdf:Description rdf:about=''\n"
      "xmlns:lftm='http://ns.lftm.invalid/tone_mapping_settings'>\n"
      "<lftm:Version>2.4</lftm:Version>\n<lftm:Method>Edge Lifter</lftm:Method>\n"
      "<lftm:Strength>70</lftm:Strength><lftm:Microcontrast>Medium Low</lftm:Microcontrast>\n"
      "<lftm:NoiseSmoothing>3</lftm:NoiseSmoothing>\n<lftm:Smoothing>High</lftm:Smoothing>\n"
      "<lftm:SmoothingMode>Light</lftm:SmoothingMode>\n</rdf:Description>\n</rdf:RDF>\n"
      "</x:xmpmeta>\n";
  save(d + "/legacy_2_4.xmp", std::vector<uint8_t>(legacy.begin(), legacy.end()));
}

struct TiffLayout {
  const char* name;
  int bits;
  int spp;
  uint16_t photometric;
  uint16_t compression;
  uint16_t planar;
  bool tiled;
  uint16_t format;
};

void write_tiff(const std::string& path, const TiffLayout& l) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) return;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kW);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kH);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.spp);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.planar);
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, l.format);
  if (l.spp == 4) {
    const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    std::vector<uint16_t> map(256);
    for (int i = 0; i < 256; ++i) map[i] = static_cast<uint16_t>(i * 257);
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
  }
  const int perPixel = l.planar == PLANARCONFIG_SEPARATE ? 1 : l.spp;
  const int planes = l.planar == PLANARCONFIG_SEPARATE ? l.spp : 1;
  const size_t sampleBytes = l.bits / 8;
  auto sample = [&](int x, int y, int s, uint8_t* at) {
    const uint32_t v = static_cast<uint32_t>((x * 37 + y * 91 + s * 53) * 131u);
    for (size_t b = 0; b < sampleBytes; ++b) at[b] = static_cast<uint8_t>(v >> (8 * b));
  };
  if (l.tiled) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
    std::vector<uint8_t> tile(static_cast<size_t>(TIFFTileSize(tif)));
    for (int p = 0; p < planes; ++p) {
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
          for (int s = 0; s < perPixel; ++s) {
            sample(x, y, p + s, &tile[((y * 16 + x) * perPixel + s) * sampleBytes]);
          }
        }
      }
      TIFFWriteTile(tif, tile.data(), 0, 0, 0, static_cast<uint16_t>(p));
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
    std::vector<uint8_t> row(static_cast<size_t>(kW) * perPixel * sampleBytes);
    for (int p = 0; p < planes; ++p) {
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
          for (int s = 0; s < perPixel; ++s) {
            sample(x, y, p + s, &row[(x * perPixel + s) * sampleBytes]);
          }
        }
        TIFFWriteScanline(tif, row.data(), y, static_cast<uint16_t>(p));
      }
    }
  }
  TIFFClose(tif);
}

void tiff_seeds() {
  const std::string d = dir("tiff");
  const uint16_t C = PLANARCONFIG_CONTIG, S = PLANARCONFIG_SEPARATE;
  const uint16_t U = SAMPLEFORMAT_UINT;
  const TiffLayout layouts[] = {
      {"rgb16_none", 16, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, C, false, U},
      {"rgb8_lzw", 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW, C, false, U},
      {"rgba16_deflate", 16, 4, PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE, C, false, U},
      {"grey8_packbits", 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_PACKBITS, C, false, U},
      {"grey16_white", 16, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE, C, false, U},
      {"grey_alpha8", 8, 2, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, C, false, U},
      {"palette8", 8, 1, PHOTOMETRIC_PALETTE, COMPRESSION_NONE, C, false, U},
      {"rgb16_planes", 16, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW, S, false, U},
      {"rgb8_tiled", 8, 3, PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE, C, true, U},
      {"rgb16_tiled_planes", 16, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, S, true, U},
      {"rgb32_float", 32, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, C, false, SAMPLEFORMAT_IEEEFP},
      {"rgb16_signed", 16, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, C, false, SAMPLEFORMAT_INT},
  };
  for (const TiffLayout& l : layouts) write_tiff(d + "/" + l.name + ".tif", l);
}

float pixel_value(int x, int y, int c) {
  return std::exp2(static_cast<float>((x + 2 * y + 3 * c) % 24) - 8.0f);
}

void exr_scanline(const std::string& path, Imf::PixelType type, Imf::Compression compression,
                  const char* const* names, int channels) {
  Imf::Header header(kW, kH);
  header.compression() = compression;
  for (int c = 0; c < channels; ++c) header.channels().insert(names[c], Imf::Channel(type));
  std::vector<float> f(static_cast<size_t>(kW) * kH * channels);
  std::vector<half> hv(f.size());
  std::vector<unsigned> u(f.size());
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      for (int c = 0; c < channels; ++c) {
        const size_t i = (static_cast<size_t>(y) * kW + x) * channels + c;
        f[i] = pixel_value(x, y, c);
        hv[i] = f[i];
        u[i] = static_cast<unsigned>(f[i] * 16);
      }
    }
  }
  Imf::FrameBuffer fb;
  for (int c = 0; c < channels; ++c) {
    char* base = type == Imf::HALF ? reinterpret_cast<char*>(hv.data() + c)
                 : type == Imf::FLOAT ? reinterpret_cast<char*>(f.data() + c)
                                      : reinterpret_cast<char*>(u.data() + c);
    const size_t size = type == Imf::HALF ? sizeof(half) : 4;
    fb.insert(names[c], Imf::Slice(type, base, size * channels, size * channels * kW));
  }
  Imf::OutputFile file(path.c_str(), header);
  file.setFrameBuffer(fb);
  file.writePixels(kH);
}

void exr_seeds() {
  const std::string d = dir("exr");
  const char* rgb[] = {"R", "G", "B"};
  const char* rgba[] = {"R", "G", "B", "A"};
  const char* y[] = {"Y"};
  const char* odd[] = {"Z"};
  exr_scanline(d + "/rgb_half_none.exr", Imf::HALF, Imf::NO_COMPRESSION, rgb, 3);
  exr_scanline(d + "/rgb_half_zip.exr", Imf::HALF, Imf::ZIP_COMPRESSION, rgb, 3);
  exr_scanline(d + "/rgba_half_piz.exr", Imf::HALF, Imf::PIZ_COMPRESSION, rgba, 4);
  exr_scanline(d + "/rgb_float_rle.exr", Imf::FLOAT, Imf::RLE_COMPRESSION, rgb, 3);
  exr_scanline(d + "/rgb_uint_zips.exr", Imf::UINT, Imf::ZIPS_COMPRESSION, rgb, 3);
  exr_scanline(d + "/y_half_pxr24.exr", Imf::HALF, Imf::PXR24_COMPRESSION, y, 1);
  exr_scanline(d + "/z_only.exr", Imf::FLOAT, Imf::NO_COMPRESSION, odd, 1);

  std::vector<Imf::Rgba> px(static_cast<size_t>(kW) * kH);
  for (int j = 0; j < kH; ++j) {
    for (int i = 0; i < kW; ++i) {
      px[j * kW + i] = Imf::Rgba(pixel_value(i, j, 0), pixel_value(i, j, 1),
                                 pixel_value(i, j, 2), 1.0f);
    }
  }
  {
    Imf::RgbaOutputFile yc((d + "/luminance_chroma.exr").c_str(), kW, kH, Imf::WRITE_YCA);
    yc.setFrameBuffer(px.data(), 1, kW);
    yc.writePixels(kH);
  }
  {
    Imf::Header header(kW, kH);
    header.setTileDescription(Imf::TileDescription(8, 8, Imf::ONE_LEVEL));
    header.compression() = Imf::ZIP_COMPRESSION;
    for (const char* n : rgb) header.channels().insert(n, Imf::Channel(Imf::HALF));
    std::vector<half> hv(static_cast<size_t>(kW) * kH * 3);
    for (size_t i = 0; i < hv.size(); ++i) hv[i] = pixel_value(static_cast<int>(i % 7), 1, 2);
    Imf::FrameBuffer fb;
    for (int c = 0; c < 3; ++c) {
      fb.insert(rgb[c], Imf::Slice(Imf::HALF, reinterpret_cast<char*>(hv.data() + c),
                                   sizeof(half) * 3, sizeof(half) * 3 * kW));
    }
    Imf::TiledOutputFile tiled((d + "/rgb_tiled.exr").c_str(), header);
    tiled.setFrameBuffer(fb);
    tiled.writeTiles(0, tiled.numXTiles() - 1, 0, tiled.numYTiles() - 1);
  }
}

// The photograph reduced to w x h RGBE planar bytes by nearest-neighbour sampling.
std::vector<uint8_t> reduced_photo(const char* path, int w, int h) {
  HdrFileInfo info{};
  float primaries[8];
  std::vector<uint8_t> out(static_cast<size_t>(4) * w * h);
  if (lftm::rgbe_read_header(path, primaries, &info) < 0) return out;
  const int W = info.infos[LFTM_INFO_WIDTH], H = info.infos[LFTM_INFO_HEIGHT];
  std::vector<uint8_t> full(static_cast<size_t>(4) * W * H);
  if (lftm::rgbe_read_mem(path, &info, full.data()) < 0) return out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int sx = x * W / w, sy = y * H / h;
      for (int c = 0; c < 4; ++c) {
        out[static_cast<size_t>(4) * w * y + c * w + x] =
            full[static_cast<size_t>(4) * W * sy + c * W + sx];
      }
    }
  }
  return out;
}

// An encoded tone-mapping input: size bytes, two layout bytes, 20 setting selectors (0: the
// slot's usual value, or one hostile value), then the pixels.
std::vector<uint8_t> tone_input(int wBias, int hBias, int w, int h, uint8_t layout, uint8_t run,
                                int hostileSlot, const std::vector<uint8_t>& photo) {
  std::vector<uint8_t> in = {static_cast<uint8_t>(w - wBias), static_cast<uint8_t>(h - hBias),
                             layout, run};
  for (int i = 0; i < 20; ++i) in.push_back(i == hostileSlot ? 0x80 : 0x00);  // 0x80: NaN
  in.insert(in.end(), photo.begin(), photo.end());
  return in;
}

void tone_seeds(const char* photoPath) {
  const std::vector<uint8_t> photo = reduced_photo(photoPath, 64, 43);
  const std::string booster = dir("booster");
  const std::string squeezer = dir("squeezer");
  // layout: stage-1 docType, stage-3 floats, grey, 16 bits, bgr, planes; run: threads, work
  // buffers, "Light" smoothing, gamma table.
  const uint8_t boosterRuns[][2] = {{0x00, 0x00}, {0x10, 0x1a}, {0x41, 0x23}, {0x06, 0x64},
                                    {0x2b, 0x04}, {0x52, 0x3a}};
  int n = 0;
  for (const auto& r : boosterRuns) {
    save(booster + "/photo_" + std::to_string(n++) + ".bin",
         tone_input(10, 10, 64, 43, r[0], r[1], -1, photo));
  }
  save(booster + "/nan_slider.bin", tone_input(10, 10, 64, 43, 0, 2, 17, photo));
  const uint8_t squeezerRuns[][2] = {{0x00, 0x00}, {0x04, 0x03}, {0x40, 0x02},
                                     {0x21, 0x0c}, {0x86, 0x01}, {0x44, 0x14}};
  n = 0;
  for (const auto& r : squeezerRuns) {
    save(squeezer + "/photo_" + std::to_string(n++) + ".bin",
         tone_input(1, 1, 64, 43, r[0], r[1], -1, photo));
  }
}

// Encoded inputs of the host target: a 24 x 16 image in every channel count, both methods,
// both output depths, padded rows, threads, disk mode, a cancelling progress callback and a
// short options record; the pixels are bytes of the photograph.
void host_seeds(const std::vector<uint8_t>& photo) {
  const std::string d = dir("host");
  // channels, output type, output stride, method, threads, run flags, options size.
  const uint8_t runs[][7] = {{0, 0, 0, 0, 1, 0x00, 0}, {1, 1, 0, 1, 2, 0x02, 0},
                             {2, 0, 3, 0, 3, 0x01, 0}, {0, 1, 15, 1, 0, 0x51, 0},
                             {0, 0, 0, 0, 2, 0x10, 0x82}, {1, 0, 11, 1, 4, 0x31, 0}};
  int n = 0;
  for (const auto& r : runs) {
    // width - 1, height - 1, channels; input: type, change, stride, struct_size; output: the
    // same four; method.
    std::vector<uint8_t> in = {23, 15, r[0], 0, 0, 0, 0, r[1], 0, r[2], 0, r[3]};
    for (int i = 0; i < 20; ++i) in.push_back(0x00);  // every setting as usual
    in.push_back(r[4]);
    in.push_back(r[5]);
    if ((r[5] & 0x10) != 0) in.push_back(9);  // the progress call that cancels
    in.insert(in.end(), {0, 0, r[6]});       // memory limit, odd options, options size
    in.insert(in.end(), photo.begin(), photo.end());
    save(d + "/photo_" + std::to_string(n++) + ".bin", in);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <corpus dir> <RGBE photograph>\n");
    return 2;
  }
  g_root = argv[1];
  xmp_seeds();
  tiff_seeds();
  exr_seeds();
  tone_seeds(argv[2]);
  host_seeds(reduced_photo(argv[2], 24, 16));
  return 0;
}
