// SPDX-License-Identifier: BSD-3-Clause
// The Texture Booster run up to stage 1: its first lines, the plan of its buffers and the
// input taken in.
#include "run/booster_run.h"

#include <cstring>

#include "frame/driver_rgbe_file.h"
#include "imageio/rgbe_reader.h"
#include "platform/diag.h"
#include "platform/fault_injection.h"
#include "platform/resources.h"
#include "platform/sizes.h"
#include "settings/settings_table.h"

namespace lftm {
namespace {

// The stages' scratch files, created in the order of BoosterRun::Scratch.
constexpr const char* kScratchPrefixes[] = {"tm10", "tm11", "tm12", "tm13", "tm14", "tm15"};

bool size_buffers(int32_t kind, int32_t w, int32_t h, int32_t spp, int32_t bits, bool disk,
                  const PyramidDims& dims, BoosterBufferSizes* sizes) {
  const int64_t p = dims.total > dims.total2 ? dims.total : dims.total2;
  size_t pyramidBytes = 0, samplesBytes = 0;
  if (!image_bytes(kind, w, h, spp, &sizes->image)) return false;
  if (!checked_product(4, p, 1, &pyramidBytes, kMaxBufferBytes)) return false;
  if (!checked_product(w, h, static_cast<int64_t>(spp) * (disk ? 2 : bits / 8), &samplesBytes,
                       kMaxBufferBytes)) {
    return false;
  }
  if (!checked_product(4, w, h, &sizes->plane, kMaxBufferBytes)) return false;
  sizes->input = pyramidBytes > sizes->image ? pyramidBytes : sizes->image;
  // The output buffer holds whole floats.
  size_t samplesRounded = (samplesBytes + 3) / 4 * 4;
  sizes->output = pyramidBytes > samplesRounded ? pyramidBytes : samplesRounded;
  return true;
}

// Maps disk mode's output buffer of `bytes` onto a new scratch file. Returns 0 or the code of
// the failure (a sentence when the disk has no room for it).
int32_t map_output_buffer(size_t bytes, ScratchFiles* scratch, FileBackedBuffer* buffer) {
  const size_t index = scratch->count();
  const int32_t made = scratch->create("tm16");
  if (made < 0) return made;
  diag_out("tm16  output buffer in a scratch file: %lld bytes\n", static_cast<long long>(bytes));
  const int32_t mapped = buffer->map(scratch->path(index), bytes);
  if (mapped == LFTM_ERR_NO_SCRATCH_SPACE) {
    diag_out("could not reserve %s for the output buffer in %s: free space or point TMPDIR to "
             "a larger disk\n",
             byte_count_text(static_cast<int64_t>(bytes)).c_str(), scratch->path(index));
  }
  return mapped;
}

}  // namespace

int32_t BoosterRun::docType() const { return doc_type_for(start_.kind); }

int32_t BoosterRun::open() {
  const float* slots = request_.params->tmParam;
  const char* outName = request_.sink.path;
  diag_out("tonemap - outFile: %s   tmParam15: %1.1f   %1.1f %1.1f %1.1f\n", outName,
           slots[kBooster360DegreeImage], slots[kBoosterLuminosity], slots[kBoosterStrength],
           slots[kBoosterColorSaturation]);
  const int32_t extType = request_.source.extType;
  int32_t result = check_ext_type(extType);
  if (result < 0) return result;
  diag_out("docType=%d  extType=%d\n", doc_type_for(extType), extType);
  diag_out("inFile: %s  \n", request_.source.path);
  diag_out("positExt=%d  fileExt: %s \n", start_.ext.positExt, start_.ext.fileExt.c_str());
  result = start_.open(names_);
  if (result < 0) return result;
  // A TIFF of floats reads like an OpenEXR file; only 16-bit samples cannot go through disk
  // mode, which is known once the file was looked at.
  if (disk_ && docType() == LFTM_DOC_U16) return LFTM_ERR_DISK_TIFF;
  diag_out("retour info fic=%d  spp=%d  overlap=%d  w=%d  h=%d\n", start_.infoResult,
           start_.spp, 0, start_.width, start_.height);
  diag_out("Processing %d x %d HDR image with Texture Booster... \n", start_.width,
           start_.height);
  if (request_.desc != nullptr) {
    desc_ = *request_.desc;
    write_image_layout(request_.desc, start_.width, start_.height, start_.spp);
  } else {
    init_dim_param(&desc_);
  }
  desc_.bits = request_.bits;
  write_image_layout(&desc_, start_.width, start_.height, start_.spp);
  return 0;
}

int32_t BoosterRun::plan() {
  const int32_t w = start_.width, h = start_.height;
  // The pyramid totals are 32-bit counts of about 4/3 of the pixels: tm_dim refuses an image
  // whose pyramid they cannot count (past about 1.6 gigapixels).
  if (w < 10 || h < 10) return LFTM_ERR_TOO_SMALL;
  if (!image_size_ok(w, h)) return refuse_too_large(w, h, true);
  tm_dim(w, h, request_.params, &dims_);
  if (dims_.total == 0) return refuse_too_large(w, h, true);  // left unfilled: too large
  if (!size_buffers(start_.kind, w, h, start_.spp, request_.bits, disk_, dims_, &sizes_)) {
    return refuse_too_large(w, h, true);
  }
  const int32_t fits = check_jpeg_side(start_.writesJpeg, w, h);
  if (fits < 0) return fits;
  const bool fromFile = request_.source.pixels == nullptr;
  const RunImage image = {start_.kind, w, h, start_.spp, request_.bits,
                          fromFile ? file_length(request_.source.path) : 0};
  needs_ = disk_ ? disk_needs_within(image, dims_, request_.memoryBudget, &outputInFile_)
                 : booster_needs(image, dims_, false);
  return check_memory_fits(needs_, disk_, request_.memoryLimit);
}

// Disk mode reads Radiance files only; decoded input (an OpenEXR or float TIFF file, or
// decoded pixels) is written once into a Radiance scratch file that stands in for it.
int32_t BoosterRun::spool_decoded() {
  const int32_t made = scratch_.create("tmexr");
  if (made < 0) return made;
  const char* path = scratch_.path(kDecodedCopy);
  const DecodedPixels* pixels = request_.source.pixels;
  if (pixels != nullptr) {
    if (write_rgbe_file(path, start_.width, start_.height,
                        static_cast<const uint8_t*>(pixels->data)) < 0) {
      return LFTM_ERR_IO;
    }
  } else {
    HeapBuffer<uint8_t> decoded;
    if (!decoded.allocate(sizes_.image)) return LFTM_ERR_NO_MEMORY;
    float work[4];
    if (start_.read(3, work, decoded.get()) < 0) return LFTM_ERR_READ;
    if (write_rgbe_file(path, start_.width, start_.height, decoded.get()) < 0) {
      return LFTM_ERR_IO;
    }
  }
  float primaries[8];
  std::memset(&stage1Info_, 0, sizeof stage1Info_);
  if (rgbe_read_header(path, primaries, &stage1Info_) < 0) return LFTM_ERR_IO;
  stage1File_ = path;
  spooled_ = true;
  return 0;
}

int32_t BoosterRun::take_input() {
  trafficBefore_ = scratch_traffic();
  phase_.emplace(0.0, 0.05, "reading the image");
  stage1Info_ = start_.info;
  stage1File_ = request_.source.path;
  if (disk_) {
    for (const char* prefix : kScratchPrefixes) {
      const int32_t made = scratch_.create(prefix);
      if (made < 0) return made;
    }
    const int32_t fits = check_scratch_fits(needs_);
    if (fits < 0) return fits;
    if (request_.source.pixels != nullptr || decodes_to_rgbe(start_.kind)) {
      const int32_t spooled = spool_decoded();
      if (spooled < 0) return spooled;
    }
  } else {
    if (!input_.allocate(sizes_.input)) return LFTM_ERR_NO_MEMORY;
    if (start_.read(start_.spp, nullptr, input_.get()) < 0) return LFTM_ERR_READ;
  }
  return run_cancelled() ? LFTM_ERR_CANCELLED : 0;
}

int32_t BoosterRun::prepare_work() {
  build_exp_table(expTable_);
  // sizes_.output is a whole number of floats. Disk mode keeps the buffer in a scratch file
  // when the budget cannot hold it, and when its memory cannot be had.
  const bool inMemory = !outputInFile_ && fault_allows(Fault::kOutputBuffer) &&
                        output_.allocate(sizes_.output / sizeof(float));
  if (!inMemory) {
    if (!disk_) return LFTM_ERR_NO_MEMORY;
    const int32_t mapped = map_output_buffer(sizes_.output, &scratch_, &outputFile_);
    if (mapped < 0) return mapped;
    output_.borrow(static_cast<float*>(outputFile_.get()));
  }
  if (docType() == LFTM_DOC_U16) {
    lut_.reset(new (std::nothrow) float[65536]);
    if (!lut_) return LFTM_ERR_NO_MEMORY;
    build_lut(start_.lut_kind(), lut_.get());
  }
  return 0;
}

int32_t BoosterRun::run() {
  int32_t result = open();
  if (result >= 0) result = plan();
  if (result >= 0) result = take_input();
  if (result >= 0) result = prepare_work();
  if (result >= 0) result = attenuate();
  if (result >= 0) result = solve();
  if (result >= 0) result = prepare_finish();
  if (result >= 0) result = finish();
  return result >= 0 ? save() : result;
}

}  // namespace lftm
