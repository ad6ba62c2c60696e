// Lumenforge32_jpg: LFwritejpg, baseline JPEG output through libjpeg.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "common/srgb_profile.h"
#include "common/writer_options.h"
#include "imageio/sibling_api.h"

namespace {

constexpr int32_t kLargestSide = 65500;  // JPEG stores sizes in 16 bits, libjpeg allows this
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

// Everything the jump back from libjpeg must find intact lives outside the function that
// calls setjmp.
struct JpegJob {
  jpeg_compress_struct cinfo;
  ErrorManager errors;
  std::FILE* file = nullptr;
  std::vector<uint8_t> row;
};

bool compress(JpegJob* job, const lftm_sibling::WriterLayout& layout, const HdrFileInfo* info,
              int32_t quality, int32_t rowSamples, intptr_t w6, int32_t w8,
              const void* samples) {
  jpeg_compress_struct& cinfo = job->cinfo;
  if (setjmp(job->errors.jump) != 0) return false;
  jpeg_create_compress(&cinfo);
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
  if (lftm_sibling::wants_srgb_profile(info, layout)) {
    const std::vector<uint8_t>& icc = lftm_sibling::srgb_icc_profile();
    jpeg_write_icc_profile(&cinfo, icc.data(), static_cast<unsigned int>(icc.size()));
  }
  if (const char* description = lftm_sibling::text_argument(w6)) {
    size_t length = std::strlen(description);
    if (length > 65533) length = 65533;
    jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(description),
                      static_cast<unsigned int>(length));
  }
  const size_t sampleBytes = layout.samples16 ? 2 : 1;
  for (int32_t y = 0; y < layout.height; ++y) {
    const uint8_t* src = static_cast<const uint8_t*>(samples) +
                         static_cast<size_t>(y) * rowSamples * sampleBytes;
    lftm_sibling::convert_row(layout, src, &job->row);
    JSAMPROW rows[1] = {job->row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

extern "C" int32_t LFwritejpg(const char* outFile, int32_t quality, const HdrFileInfo* info,
                              int32_t rowSamples, intptr_t /*w10*/, intptr_t w6,
                              intptr_t /*w7*/, int32_t w8, intptr_t /*w9*/,
                              const void* samples) {
  lftm_sibling::WriterLayout layout;
  if (outFile == nullptr || samples == nullptr || !lftm_sibling::read_layout(info, &layout) ||
      layout.width > kLargestSide || layout.height > kLargestSide ||
      rowSamples < static_cast<int64_t>(layout.width) * layout.spp) {
    return LFTM_ERR_WRITER_ARGS;
  }
  // JPEG is 8-bit: a 16-bit request is stored at 8 bits.
  layout.outBits = 8;
  JpegJob job;
  job.cinfo.err = jpeg_std_error(&job.errors.base);
  job.errors.base.error_exit = on_error;
  job.errors.base.output_message = on_message;
  job.file = std::fopen(outFile, "wb");
  if (job.file == nullptr) return LFTM_ERR_WRITER_CREATE;
  bool ok = compress(&job, layout, info, quality, rowSamples, w6, w8, samples);
  jpeg_destroy_compress(&job.cinfo);
  ok = (std::fclose(job.file) == 0) && ok;
  if (!ok) {
    std::remove(outFile);
    return LFTM_ERR_WRITER_IO;
  }
  return 1;
}
