// SPDX-License-Identifier: BSD-3-Clause
// Lumenforge32_jpg: LFwritejpg and LFwritejpgmeta, baseline JPEG output through libjpeg, with
// the texts in an EXIF block and the run's settings in an XMP packet; LFjpgopen, LFjpgrows and
// LFjpgclose write the same file a few rows at a time, and the whole-image calls go through
// them, so that both give the same bytes.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "common/settings_packet.h"
#include "common/srgb_profile.h"
#include "common/writer_options.h"
#include "imageio/sibling_api.h"
#include "jpeg_writer/exif_segment.h"

namespace {

constexpr int32_t kDefaultQuality = 90;

// libjpeg reports errors by calling error_exit, which must not return: jump back to the
// writer, which cleans up. Warnings and messages stay silent; the result code says it all.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void on_error(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void on_message(j_common_ptr) {}

int32_t quality_of(int32_t requested) {
  if (requested <= 0) return kDefaultQuality;
  return requested > 100 ? 100 : requested;
}

// The segments stored beside the pixels, made before compression starts: a jump back from
// libjpeg skips destructors, so nothing that owns memory may be made after setjmp.
struct Metadata {
  std::vector<uint8_t> exif;  // APP1 payload
  std::vector<uint8_t> xmp;   // APP1 payload; empty: none
  const char* description = nullptr;
};

// The XMP segment begins with this name, its NUL included.
constexpr char kXmpHeader[] = "http://ns.adobe.com/xap/1.0/";

// The EXIF block with the texts, and the run's settings as XMP when there are any (left out
// if they cannot fit one segment; the settings text is a few kilobytes).
Metadata make_metadata(const lftm_sibling::WriterLayout& layout, const HdrFileInfo* info,
                       intptr_t w6, intptr_t w7, intptr_t w9, intptr_t w10, int32_t method,
                       const TmParam* params) {
  Metadata meta;
  lftm_sibling::ExifTexts texts;
  texts.description = meta.description = lftm_sibling::text_argument(w6);
  texts.artist = lftm_sibling::text_argument(w7);
  texts.copyright = lftm_sibling::text_argument(w9);
  const char* software = lftm_sibling::text_argument(w10);
  texts.software = software != nullptr ? software : "lftm";
  const lftm_sibling::ExifImage image{layout.width, layout.height,
                                      lftm_sibling::dots_per_inch(info),
                                      layout.outChannels == 3,
                                      lftm_sibling::wants_srgb_profile(info, layout)};
  meta.exif = lftm_sibling::exif_segment(texts, image);
  const std::string packet = lftm_sibling::settings_packet(info, method, params);
  if (!packet.empty() && sizeof kXmpHeader + packet.size() <= lftm_sibling::kMaxSegmentPayload) {
    meta.xmp.assign(kXmpHeader, kXmpHeader + sizeof kXmpHeader);
    meta.xmp.insert(meta.xmp.end(), packet.begin(), packet.end());
  }
  return meta;
}

void write_segment(j_compress_ptr cinfo, int marker, const std::vector<uint8_t>& payload) {
  jpeg_write_marker(cinfo, marker, payload.data(), static_cast<unsigned int>(payload.size()));
}

// APP1 EXIF, APP1 XMP, APP2 ICC profile, and the description once more as a comment for
// readers that show only comments.
void write_metadata(j_compress_ptr cinfo, const lftm_sibling::WriterLayout& layout,
                    const HdrFileInfo* info, const Metadata& meta) {
  write_segment(cinfo, JPEG_APP0 + 1, meta.exif);
  if (!meta.xmp.empty()) write_segment(cinfo, JPEG_APP0 + 1, meta.xmp);
  if (lftm_sibling::wants_srgb_profile(info, layout)) {
    const std::vector<uint8_t>& icc = lftm_sibling::srgb_icc_profile();
    jpeg_write_icc_profile(cinfo, icc.data(), static_cast<unsigned int>(icc.size()));
  }
  if (meta.description != nullptr) {
    size_t length = std::strlen(meta.description);
    if (length > lftm_sibling::kMaxSegmentPayload) length = lftm_sibling::kMaxSegmentPayload;
    jpeg_write_marker(cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(meta.description),
                      static_cast<unsigned int>(length));
  }
}

// Everything the jump back from libjpeg must find intact lives in the stream, outside the
// functions that call setjmp; those make no object that owns memory.
struct JpegStream {
  jpeg_compress_struct cinfo;
  ErrorManager errors;
  std::FILE* file = nullptr;
  std::string path;
  lftm_sibling::WriterLayout layout;
  Metadata meta;
  std::vector<uint8_t> row;
  bool started = false;  // jpeg_create_compress was called
  bool failed = false;
};

bool start(JpegStream* job, const HdrFileInfo* info, int32_t quality, int32_t w8) {
  jpeg_compress_struct& cinfo = job->cinfo;
  const lftm_sibling::WriterLayout& layout = job->layout;
  if (setjmp(job->errors.jump) != 0) return false;
  jpeg_create_compress(&cinfo);
  job->started = true;
  jpeg_stdio_dest(&cinfo, job->file);
  cinfo.image_width = static_cast<JDIMENSION>(layout.width);
  cinfo.image_height = static_cast<JDIMENSION>(layout.height);
  cinfo.input_components = layout.outChannels;
  cinfo.in_color_space = layout.outChannels == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality_of(quality), TRUE);
  cinfo.density_unit = 1;  // dots per inch
  cinfo.X_density = cinfo.Y_density = static_cast<UINT16>(lftm_sibling::dots_per_inch(info));
  if (layout.outChannels == 3 && w8 == 1) {
    // Full colour resolution (4:4:4) instead of the default 4:2:0.
    cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  write_metadata(&cinfo, layout, info, job->meta);
  return true;
}

bool compress_rows(JpegStream* job, const uint8_t* samples, size_t rowBytes, int32_t rows) {
  if (setjmp(job->errors.jump) != 0) return false;
  for (int32_t y = 0; y < rows; ++y) {
    lftm_sibling::convert_row(job->layout, samples + static_cast<size_t>(y) * rowBytes,
                              &job->row);
    JSAMPROW row[1] = {job->row.data()};
    jpeg_write_scanlines(&job->cinfo, row, 1);
  }
  return true;
}

bool finish(JpegStream* job) {
  if (setjmp(job->errors.jump) != 0) return false;
  jpeg_finish_compress(&job->cinfo);
  return true;
}

// Releases the codec and the file; the file stays only when `keep` and all went well.
int32_t close_stream(JpegStream* job, bool keep) {
  bool ok = keep && !job->failed &&
            job->cinfo.next_scanline == static_cast<JDIMENSION>(job->layout.height) &&
            finish(job);
  if (job->started) jpeg_destroy_compress(&job->cinfo);
  ok = (std::fclose(job->file) == 0) && ok;
  if (!ok) std::remove(job->path.c_str());
  delete job;
  if (!keep) return 0;
  return ok ? 1 : LFTM_ERR_WRITER_IO;
}

}  // namespace

extern "C" int32_t LFjpgopen(const char* outFile, int32_t quality, const HdrFileInfo* info,
                             intptr_t w10, intptr_t w6, intptr_t w7, int32_t w8, intptr_t w9,
                             int32_t method, const TmParam* params, void** stream) {
  lftm_sibling::WriterLayout layout;
  if (outFile == nullptr || stream == nullptr || !lftm_sibling::read_layout(info, &layout) ||
      layout.width > kJpegLargestSide || layout.height > kJpegLargestSide) {
    return LFTM_ERR_WRITER_ARGS;
  }
  // JPEG is 8-bit: a 16-bit request is stored at 8 bits.
  layout.outBits = 8;
  auto* job = new (std::nothrow) JpegStream();
  if (job == nullptr) return LFTM_ERR_WRITER_IO;
  job->layout = layout;
  job->path = outFile;
  job->meta = make_metadata(layout, info, w6, w7, w9, w10, method, params);
  job->cinfo.err = jpeg_std_error(&job->errors.base);
  job->errors.base.error_exit = on_error;
  job->errors.base.output_message = on_message;
  job->file = std::fopen(outFile, "wb");
  if (job->file == nullptr) {
    delete job;
    return LFTM_ERR_WRITER_CREATE;
  }
  if (!start(job, info, quality, w8)) {
    job->failed = true;
    return close_stream(job, true);
  }
  *stream = job;
  return 1;
}

extern "C" int32_t LFjpgrows(void* stream, const void* samples, int32_t rowSamples,
                             int32_t rows) {
  auto* job = static_cast<JpegStream*>(stream);
  const lftm_sibling::WriterLayout& layout = job->layout;
  if (job->failed || samples == nullptr || rows < 0 ||
      rowSamples < static_cast<int64_t>(layout.width) * layout.spp ||
      rows > layout.height - static_cast<int64_t>(job->cinfo.next_scanline)) {
    job->failed = true;
    return LFTM_ERR_WRITER_ARGS;
  }
  const size_t rowBytes = static_cast<size_t>(rowSamples) * (layout.samples16 ? 2 : 1);
  if (!compress_rows(job, static_cast<const uint8_t*>(samples), rowBytes, rows)) {
    job->failed = true;
    return LFTM_ERR_WRITER_IO;
  }
  return 1;
}

extern "C" int32_t LFjpgclose(void* stream, int32_t keep) {
  return close_stream(static_cast<JpegStream*>(stream), keep != 0);
}

extern "C" int32_t LFwritejpgmeta(const char* outFile, int32_t quality, const HdrFileInfo* info,
                                  int32_t rowSamples, intptr_t w10, intptr_t w6, intptr_t w7,
                                  int32_t w8, intptr_t w9, int32_t method,
                                  const TmParam* params, const void* samples) {
  lftm_sibling::WriterLayout layout;
  if (samples == nullptr || !lftm_sibling::read_layout(info, &layout) ||
      rowSamples < static_cast<int64_t>(layout.width) * layout.spp) {
    return LFTM_ERR_WRITER_ARGS;
  }
  void* stream = nullptr;
  const int32_t opened =
      LFjpgopen(outFile, quality, info, w10, w6, w7, w8, w9, method, params, &stream);
  if (opened < 0) return opened;
  if (LFjpgrows(stream, samples, rowSamples, layout.height) < 0) {
    LFjpgclose(stream, 0);
    return LFTM_ERR_WRITER_IO;
  }
  return LFjpgclose(stream, 1);
}

extern "C" int32_t LFwritejpg(const char* outFile, int32_t quality, const HdrFileInfo* info,
                              int32_t rowSamples, intptr_t w10, intptr_t w6, intptr_t w7,
                              int32_t w8, intptr_t w9, const void* samples) {
  return LFwritejpgmeta(outFile, quality, info, rowSamples, w10, w6, w7, w8, w9, 0, nullptr,
                        samples);
}
