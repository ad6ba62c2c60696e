// SPDX-License-Identifier: BSD-3-Clause
// Lumenforge32Lib1: buf2tif, 8- or 16-bit RGB or grey TIFF output through libtiff, with the
// run's settings embedded as an XMP packet; LFtifopen, LFtifrows and LFtifclose write the same
// file a few rows at a time, and buf2tif goes through them, so that both give the same bytes.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "common/quiet_tiff.h"
#include "common/settings_packet.h"
#include "common/srgb_profile.h"
#include "common/writer_options.h"
#include "imageio/sibling_api.h"

namespace {

uint16_t compression_of(int32_t option) {
  if (option == LFTM_TIFF_NONE) return COMPRESSION_NONE;
  if (option == LFTM_TIFF_LZW) return COMPRESSION_LZW;
  return COMPRESSION_ADOBE_DEFLATE;
}

bool set_text(TIFF* tif, uint32_t tag, const char* text) {
  return text == nullptr || TIFFSetField(tif, tag, text) == 1;
}

bool write_tags(TIFF* tif, const lftm_sibling::WriterLayout& layout, const HdrFileInfo* info,
                intptr_t w6, intptr_t w7, intptr_t w9, intptr_t w10, const std::string& xmp) {
  const uint16_t compression = compression_of(info->infos[LFTM_INFO_COMPRESSION]);
  const float dpi = static_cast<float>(lftm_sibling::dots_per_inch(info));
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(layout.width)) == 1 &&
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(layout.height)) == 1 &&
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, layout.outChannels) == 1 &&
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, layout.outBits) == 1 &&
            TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT) == 1 &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1 &&
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, layout.outChannels == 3
                                                       ? PHOTOMETRIC_RGB
                                                       : PHOTOMETRIC_MINISBLACK) == 1 &&
            TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) == 1 &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, compression) == 1 &&
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, dpi) == 1 &&
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, dpi) == 1 &&
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) == 1 &&
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0)) == 1;
  if (ok && compression != COMPRESSION_NONE) {
    ok = TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) == 1;
  }
  const char* software = lftm_sibling::text_argument(w10);
  ok = ok && set_text(tif, TIFFTAG_SOFTWARE, software != nullptr ? software : "lftm") &&
       set_text(tif, TIFFTAG_IMAGEDESCRIPTION, lftm_sibling::text_argument(w6)) &&
       set_text(tif, TIFFTAG_ARTIST, lftm_sibling::text_argument(w7)) &&
       set_text(tif, TIFFTAG_COPYRIGHT, lftm_sibling::text_argument(w9));
  if (ok && lftm_sibling::wants_srgb_profile(info, layout)) {
    const std::vector<uint8_t>& icc = lftm_sibling::srgb_icc_profile();
    ok = TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(icc.size()), icc.data()) == 1;
  }
  if (ok && !xmp.empty()) {
    ok = TIFFSetField(tif, TIFFTAG_XMLPACKET, static_cast<uint32_t>(xmp.size()), xmp.data()) == 1;
  }
  return ok;
}

struct TiffStream {
  TIFF* tif = nullptr;
  std::string path;
  lftm_sibling::WriterLayout layout;
  std::vector<uint8_t> row;
  int32_t nextRow = 0;
  bool failed = false;
};

}  // namespace

extern "C" int32_t LFtifopen(const HdrFileInfo* info, intptr_t w10, intptr_t w6, intptr_t w7,
                             int32_t /*w8*/, intptr_t w9, int32_t method, const TmParam* params,
                             const char* outFile, void** stream) {
  lftm_sibling::WriterLayout layout;
  if (outFile == nullptr || stream == nullptr || !lftm_sibling::read_layout(info, &layout)) {
    return LFTM_ERR_WRITER_ARGS;
  }
  const std::string xmp = lftm_sibling::settings_packet(info, method, params);
  // Files past 4 GB need the BigTIFF layout.
  const double bytes = static_cast<double>(layout.width) * layout.height * layout.outChannels *
                       (layout.outBits / 8);
  TIFF* tif = lftm_sibling::open_tiff_quietly(outFile, bytes > 3.9e9 ? "w8" : "w");
  if (tif == nullptr) return LFTM_ERR_WRITER_CREATE;
  auto* job = new (std::nothrow) TiffStream;
  if (job == nullptr || !write_tags(tif, layout, info, w6, w7, w9, w10, xmp)) {
    delete job;
    TIFFClose(tif);
    std::remove(outFile);
    return LFTM_ERR_WRITER_IO;
  }
  job->tif = tif;
  job->path = outFile;
  job->layout = layout;
  *stream = job;
  return 1;
}

extern "C" int32_t LFtifrows(void* stream, const void* samples, int32_t rowBytes,
                             int32_t rows) {
  auto* job = static_cast<TiffStream*>(stream);
  const lftm_sibling::WriterLayout& layout = job->layout;
  if (job->failed || samples == nullptr || rows < 0 || rows > layout.height - job->nextRow ||
      rowBytes < layout.row_bytes()) {
    job->failed = true;
    return LFTM_ERR_WRITER_ARGS;
  }
  for (int32_t y = 0; y < rows; ++y, ++job->nextRow) {
    const uint8_t* src = static_cast<const uint8_t*>(samples) + static_cast<size_t>(y) * rowBytes;
    lftm_sibling::convert_row(layout, src, &job->row);
    if (TIFFWriteScanline(job->tif, job->row.data(), static_cast<uint32_t>(job->nextRow), 0) !=
        1) {
      job->failed = true;
      return LFTM_ERR_WRITER_IO;
    }
  }
  return 1;
}

extern "C" int32_t LFtifclose(void* stream, int32_t keep) {
  auto* job = static_cast<TiffStream*>(stream);
  const bool ok = keep != 0 && !job->failed && job->nextRow == job->layout.height &&
                  TIFFWriteDirectory(job->tif) == 1;
  TIFFClose(job->tif);
  if (!ok) std::remove(job->path.c_str());
  delete job;
  if (keep == 0) return 0;
  return ok ? 1 : LFTM_ERR_WRITER_IO;
}

extern "C" int32_t buf2tif(const void* samples, const HdrFileInfo* info, int32_t rowBytes,
                           intptr_t w10, intptr_t w6, intptr_t w7, int32_t w8, intptr_t w9,
                           int32_t method, const TmParam* params, const char* outFile) {
  lftm_sibling::WriterLayout layout;
  if (outFile == nullptr || samples == nullptr || !lftm_sibling::read_layout(info, &layout) ||
      rowBytes < layout.row_bytes()) {
    return LFTM_ERR_WRITER_ARGS;
  }
  void* stream = nullptr;
  const int32_t opened =
      LFtifopen(info, w10, w6, w7, w8, w9, method, params, outFile, &stream);
  if (opened < 0) return opened;
  if (LFtifrows(stream, samples, rowBytes, layout.height) < 0) {
    LFtifclose(stream, 0);
    return LFTM_ERR_WRITER_IO;
  }
  return LFtifclose(stream, 1);
}
