// The Texture Booster driver: one HDR file in, one TIFF or JPEG file out, through stages 1, 2
// and 3, with the large planes in memory or (disk mode) in scratch files.
#include <cstring>
#include <memory>

#include "booster/finish/calc_tm3_feeding.h"
#include "booster/finish/finish_tile.h"
#include "frame/driver_disk_finish.h"
#include "frame/driver_rgbe_file.h"
#include "frame/driver_scratch.h"
#include "frame/drivers.h"
#include "frame/run_needs.h"
#include "frame/streamed_write.h"
#include "imageio/rgbe_reader.h"
#include "platform/diag.h"
#include "platform/fault_injection.h"
#include "platform/file_backed_buffer.h"
#include "platform/front_release.h"
#include "platform/heap_buffer.h"
#include "platform/memory_budget.h"
#include "platform/resources.h"
#include "platform/run_context.h"
#include "platform/scratch_file.h"
#include "platform/sizes.h"
#include "platform/workers.h"
#include "settings/settings_table.h"

namespace lftm {
namespace {

// Scratch files in the order they are created; the stages find them by these indices. The
// output buffer's file, when there is one, comes after them.
enum Scratch { kTm10, kTm11, kTm12, kTm13, kTm14, kTm15, kExrCopy };
constexpr const char* kScratchPrefixes[] = {"tm10", "tm11", "tm12", "tm13", "tm14", "tm15"};

// The byte sizes of the run's buffers (64-bit: a gigapixel image needs several GB).
struct BufferSizes {
  size_t input = 0;      // raw image for stage 1 and its working space
  size_t output = 0;     // pyramid, luminance plane and output samples
  size_t image = 0;      // the raw image as the reader delivers it
  size_t plane = 0;      // one w x h float plane
};

bool size_buffers(int32_t extType, int32_t w, int32_t h, int32_t spp, int32_t bits, bool disk,
                  const PyramidDims& dims, BufferSizes* sizes) {
  const int64_t p = dims.total > dims.total2 ? dims.total : dims.total2;
  size_t pyramidBytes = 0, samplesBytes = 0;
  if (!image_bytes(extType, w, h, spp, &sizes->image)) return false;
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

// Reads stage 2's luminance plane back from "tm11" into the output buffer at byte `offset`,
// where disk mode's finishing step looks for it.
int32_t read_back_luminance(const char* path, size_t planeBytes, size_t offset, void* output) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return LFTM_ERR_FILE;
  int items = read_quarters(file, static_cast<uint8_t*>(output) + offset, planeBytes);
  std::fclose(file);
  if (items != 4) {
    diag_out("could not read from temporary file before calc_tm3\n");
    return LFTM_ERR_IO;
  }
  return 0;
}

// Disk mode reads Radiance files only; an OpenEXR or float TIFF image is decoded once and
// spooled into a Radiance scratch file that stands in for the input. Fills `info` for that
// file.
int32_t spool_decoded(const DriverStart& start, const DriverCall& call, size_t imageBytes,
                      ScratchFiles* scratch, HdrFileInfo* info) {
  int32_t made = scratch->create("tmexr");
  if (made < 0) return made;
  HeapBuffer<uint8_t> pixels;
  if (!pixels.allocate(imageBytes)) return LFTM_ERR_NO_MEMORY;
  float work[4];
  if (start.read(call, 3, work, pixels.get()) < 0) return LFTM_ERR_READ;
  const int32_t w = start.width;
  const int32_t h = start.height;
  if (write_rgbe_file(scratch->path(kExrCopy), w, h, pixels.get()) < 0) {
    return LFTM_ERR_IO;
  }
  pixels.release();
  float primaries[8];
  std::memset(info, 0, sizeof *info);
  return rgbe_read_header(scratch->path(kExrCopy), primaries, info) < 0 ? LFTM_ERR_IO : 0;
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

// A stage's result as the driver returns it: a stage stopped by a cancel request may end
// with any code, or none.
int32_t stage_outcome(int32_t result) {
  return run_cancelled() ? LFTM_ERR_CANCELLED : result;
}

}  // namespace

int32_t run_tonemap(const DriverCall& call, const SiblingNames& names) {
  int32_t checked = check_call(call);
  if (checked < 0) return checked;
  const float* slots = call.params->tmParam;
  diag_out("tonemap - outFile: %s   tmParam15: %1.1f   %1.1f %1.1f %1.1f\n", call.outFile,
           slots[kBooster360DegreeImage], slots[kBoosterLuminosity], slots[kBoosterStrength],
           slots[kBoosterColorSaturation]);
  checked = check_ext_type(call.extType);
  if (checked < 0) return checked;
  const char* inFile = call.files->inFile;
  diag_out("docType=%d  extType=%d\n", doc_type_for(call.extType), call.extType);
  diag_out("inFile: %s  \n", inFile);
  const bool disk = call.files->readFromDisk != 0;

  DriverStart start(call.outFile);
  diag_out("positExt=%d  fileExt: %s \n", start.ext.positExt, start.ext.fileExt.c_str());
  const int32_t opened = start.open(call, names);
  if (opened < 0) return opened;
  // A TIFF of floats reads like an OpenEXR file; only 16-bit samples cannot go through disk
  // mode, which is known once the file was looked at.
  const int32_t kind = start.kind;
  const int32_t docType = doc_type_for(kind);
  if (disk && docType == LFTM_DOC_U16) return LFTM_ERR_DISK_TIFF;
  const int32_t w = start.width;
  const int32_t h = start.height;
  const int32_t spp = start.spp;
  const int32_t bits = call.desc->bits;
  const HdrFileInfo& info = start.info;
  diag_out("retour info fic=%d  spp=%d  overlap=%d  w=%d  h=%d\n", start.infoResult, spp, 0, w,
           h);
  diag_out("Processing %d x %d HDR image with Texture Booster... \n", w, h);

  ImageDesc* desc = call.desc;
  write_image_layout(desc, w, h, spp);

  // The pyramid totals are 32-bit counts of about 4/3 of the pixels: tm_dim refuses an image
  // whose pyramid they cannot count (past about 1.6 gigapixels).
  if (w < 10 || h < 10) return LFTM_ERR_TOO_SMALL;
  if (!image_size_ok(w, h)) return refuse_too_large(w, h, true);
  PyramidDims dims;
  std::memset(&dims, 0, sizeof dims);
  tm_dim(w, h, call.params, &dims);
  if (dims.total == 0) return refuse_too_large(w, h, true);  // left unfilled: too large
  BufferSizes sizes;
  if (!size_buffers(kind, w, h, spp, bits, disk, dims, &sizes)) {
    return refuse_too_large(w, h, true);
  }
  int32_t fits = check_jpeg_side(start.writesJpeg, w, h);
  if (fits < 0) return fits;
  const RunImage image = {kind, w, h, spp, bits, file_length(inFile)};
  // The budget of the run as it starts, before its own buffers take memory.
  const int64_t budget = memory_budget();
  bool outputInFile = false;
  const RunNeeds needs = disk ? disk_needs_within(image, dims, budget, &outputInFile)
                              : booster_needs(image, dims, false);
  fits = check_memory_fits(needs, disk);
  if (fits < 0) return fits;

  const ScratchTraffic trafficBefore = scratch_traffic();
  ScratchFiles scratch;
  HeapBuffer<uint8_t> input;
  ProgressPhase phase(0.0, 0.05, "reading the image");
  HdrFileInfo stage1Info = info;
  const char* stage1File = inFile;
  if (disk) {
    for (const char* prefix : kScratchPrefixes) {
      int32_t made = scratch.create(prefix);
      if (made < 0) return made;
    }
    fits = check_scratch_fits(needs);
    if (fits < 0) return fits;
    if (decodes_to_rgbe(kind)) {
      int32_t spooled = spool_decoded(start, call, sizes.image, &scratch, &stage1Info);
      if (spooled < 0) return spooled;
      stage1File = scratch.path(kExrCopy);
    }
  } else {
    if (!input.allocate(sizes.input)) return LFTM_ERR_NO_MEMORY;
    if (start.read(call, spp, nullptr, input.get()) < 0) return LFTM_ERR_READ;
  }
  if (run_cancelled()) return LFTM_ERR_CANCELLED;

  float expTable[256];
  build_exp_table(expTable);
  // sizes.output is a whole number of floats. Disk mode keeps the buffer in a scratch file
  // when the budget cannot hold it, and when its memory cannot be had.
  HeapBuffer<float> output;
  FileBackedBuffer outputFile;
  const bool inMemory = !outputInFile && fault_allows(Fault::kOutputBuffer) &&
                        output.allocate(sizes.output / sizeof(float));
  if (!inMemory) {
    if (!disk) return LFTM_ERR_NO_MEMORY;
    const int32_t mapped = map_output_buffer(sizes.output, &scratch, &outputFile);
    if (mapped < 0) return mapped;
    output.borrow(static_cast<float*>(outputFile.get()));
  }
  std::unique_ptr<float[]> lut;
  if (docType == LFTM_DOC_U16) {
    lut.reset(new (std::nothrow) float[65536]);
    if (!lut) return LFTM_ERR_NO_MEMORY;
    build_lut(call.extType, lut.get());
  }
  float* out = output.get();

  // Stage 1: statistics, attenuated gradients and the right-hand sides.
  LumStats stats;
  std::memset(&stats, 0, sizeof stats);
  TmFiles files1 = *call.files;
  files1.inFile = stage1File;
  files1.scratch1 = disk ? scratch.path(kTm10) : nullptr;
  files1.scratch2 = disk ? scratch.path(kTm11) : nullptr;
  phase.move_to(0.05, 0.4, "attenuating gradients");
  int32_t result = calc_tm1(docType, desc, call.params, &dims, &stats, expTable, lut.get(),
                            &stage1Info, &files1, nullptr, input.get(), out);
  result = stage_outcome(result);
  if (result < 0) return result;
  input.release();
  if (disk && decodes_to_rgbe(kind)) scratch.remove(kExrCopy);
  diag_out("Texture Booster Part 1 completed - 65%% remaining\n");

  // Stage 2: the Poisson solve, leaving the luminance plane in memory or in "tm11".
  TmFiles files2 = *call.files;
  if (disk) {
    files2.scratch1 = scratch.path(kTm11);
    files2.scratch2 = scratch.path(kTm12);
    files2.scratch3 = scratch.path(kTm13);
    files2.scratch4 = scratch.path(kTm14);
    files2.scratch5 = scratch.path(kTm15);
  } else {
    files2.scratch1 = files2.scratch2 = files2.scratch3 = files2.scratch4 = files2.scratch5 =
        nullptr;
  }
  phase.move_to(0.4, 0.85, "solving");
  // The solver keeps in memory what the run's budget leaves beside the estimate.
  const SolverHeadroomScope headroom(disk ? budget - needs.memory : 0);
  result = calc_tm2(*desc, dims.coarseW, dims.coarseH, dims.total, dims.rang, call.params,
                    files2, nullptr, nullptr, out);
  result = stage_outcome(result);
  if (result < 0) return result;
  phase.move_to(0.85, 0.97, "finishing");
  diag_out("Texture Booster Part 2 completed - 30%% remaining\n");

  // Between stages 2 and 3: the luminance plane moves out of stage 3's way, and (memory mode)
  // the image is read again.
  HeapBuffer<float> luminance;
  HeapBuffer<uint8_t> secondInput;
  if (disk) {
    result = read_back_luminance(scratch.path(kTm11), sizes.plane,
                                 disk_finish_plane_offset(w, h), out);
    if (result < 0) return result;
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    scratch.remove(kTm11);
  } else {
    if (!luminance.allocate(sizes.plane / sizeof(float))) return LFTM_ERR_NO_MEMORY;
    std::memcpy(luminance.get(), out, sizes.plane);
    if (!secondInput.allocate(sizes.image)) return LFTM_ERR_NO_MEMORY;
    if (start.read(call, spp, nullptr, secondInput.get()) < 0) return LFTM_ERR_READ_AGAIN;
  }

  // Stage 3: colour, gamma and clipping into output samples.
  TmFiles files3 = files2;
  files3.inFile = disk ? scratch.path(kTm10) : inFile;
  // The writers take interleaved samples, whatever layout the caller's record asks for.
  ImageDesc desc3 = *desc;
  desc3.planes = 0;
  // In memory mode with workers, the writer encodes the rows they finish while they compute
  // the others.
  const HdrFileInfo writerInfo = writer_info(w, h, spp, bits, call.save, false);
  StreamedWrite stream(&start, call, writerInfo, w * spp, bits / 8, LFTM_METHOD_TEXTURE_BOOSTER,
                       out);
  const bool streams =
      !disk && StreamedWrite::possible(call, start, clamp_workers(files3.threads));
  // Rows the workers have finished need their source and luminance no more: their pages go
  // back to the system while the output is written.
  FrontRelease usedInput(secondInput.get(), sizes.image);
  FrontRelease usedLuminance(luminance.get(), sizes.plane);
  const size_t inRowBytes = static_cast<size_t>(source_row_bytes(docType, w, w * spp));
  auto consume = [&](RowFeed* feed) {
    stream.take(feed, [&, inRowBytes](int rows) {
      usedInput.used_up(rows * inRowBytes);
      usedLuminance.used_up(rows * sizeof(float) * static_cast<size_t>(w));
    });
  };
  // Disk mode finishes on the workers with the arithmetic of memory mode (stage 3's own disk
  // path takes one thread).
  if (disk) {
    result = finish_disk_bands(desc3, call.params, &stats, expTable, files3.inFile,
                               files3.threads, out);
  } else if (streams) {
    result = calc_tm3_feeding(docType, &desc3, call.params, &stats, expTable, lut.get(),
                              &files3, secondInput.get(), luminance.get(), out,
                              consume);
  } else {
    result = calc_tm3(docType, &desc3, call.params, &stats, expTable, lut.get(), &files3,
                      secondInput.get(), luminance.get(), out);
  }
  result = stage_outcome(result);
  if (result < 0) return result;
  phase.move_to(0.97, 1.0, "writing");
  // The last report of the work may have asked to stop: then nothing is written.
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  secondInput.release();
  luminance.release();
  diag_out("Texture Booster Part 3 completed - Saving to file...\n");
  if (disk) {
    const ScratchTraffic traffic = scratch_traffic();
    diag_out("scratch bytes: %lld read, %lld written\n", traffic.read - trafficBefore.read,
             traffic.written - trafficBefore.written);
  }

  for (int slot = 0; slot < 8; ++slot) diag_out("%d infos=%d\n", slot, writerInfo.infos[slot]);
  diag_out("outFile: %s\n", call.outFile);
  diag_out("jpgQual: %d\n", call.writer.jpgQual);
  result = streams ? stream.finish()
                   : start.write(call, writerInfo, w * spp, bits / 8,
                                 LFTM_METHOD_TEXTURE_BOOSTER, out);
  diag_out("retour write: %d\n", result);
  output.release();
  outputFile.unmap();
  lut.reset();
  if (result >= 0) diag_out("Result saved as: %s \n", call.outFile);
  return result;
}

}  // namespace lftm

extern "C" int32_t tonemap(int32_t extType, ImageDesc* desc, const TmParam* tmParam,
                           int32_t jpgQual, const SaveOptions* save, intptr_t w6, intptr_t w7,
                           int32_t w8, intptr_t w9, intptr_t w10, const char* /*unused*/,
                           const TmFiles* files, const char* outFile) {
  const lftm::DriverCall call = {extType, desc,  tmParam, save, {jpgQual, w6, w7, w8, w9, w10},
                                 files,   outFile};
  return lftm::run_tonemap(call, lftm::default_sibling_names());
}
