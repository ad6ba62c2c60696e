// SPDX-License-Identifier: BSD-3-Clause
#include "frame/driver_io.h"

#include <cmath>
#include <cstring>

#include "imageio/rgbe_reader.h"
#include "lftm_host.h"
#include "platform/diag.h"
#include "platform/input_file.h"
#include "platform/sibling_loader.h"
#include "platform/sizes.h"

namespace lftm {
namespace {

const SiblingNames kDefaultNames = {kJpegWriterLibrary, kTiffWriterLibrary, kTiffReaderLibrary,
                                    kExrReaderLibrary};

// Loads one library; prints the file name and returns null when it cannot be found.
void* open_or_report(const char* dll_name) {
  void* library = sibling_open(dll_name);
  if (library == nullptr) diag_out("Can not load %s\n", sibling_file_name(dll_name).c_str());
  return library;
}

// Fetches one entry point; prints its name when it is missing.
void* entry_or_report(void* library, const char* entry_name) {
  void* entry = sibling_symbol(library, entry_name);
  if (entry == nullptr) diag_out("GetProcAddress Failed for: %s\n", entry_name);
  return entry;
}

}  // namespace

const SiblingNames& default_sibling_names() { return kDefaultNames; }

int32_t input_kind(int32_t extType, int32_t infoResult) {
  const bool tiff = extType == LFTM_EXT_TIF_GAMMA || extType == LFTM_EXT_TIF_LINEAR;
  return tiff && infoResult == kInfotifFloat ? kExtTiffFloat : extType;
}

bool decodes_to_rgbe(int32_t kind) { return kind == LFTM_EXT_EXR || kind == kExtTiffFloat; }

int32_t doc_type_for(int32_t extType) {
  return (extType == LFTM_EXT_TIF_GAMMA || extType == LFTM_EXT_TIF_LINEAR) ? LFTM_DOC_U16
                                                                          : LFTM_DOC_RGBE;
}

OutputExtension output_extension(const char* outFile) {
  OutputExtension ext;
  const char* dot = std::strrchr(outFile, '.');
  const char* start = outFile;
  if (dot != nullptr) {
    start = dot + 1;
    ext.positExt = static_cast<int>(start - outFile);
  }
  ext.fileExt.assign(start, strnlen(start, 3));
  ext.isJpg = ext.fileExt == "jpg" || ext.fileExt == "JPG";
  return ext;
}

SiblingSet::~SiblingSet() {
  for (void*& library : libraries_) {
    sibling_close(library);
    library = nullptr;
  }
}

int32_t SiblingSet::load_for_run(const SiblingNames& names, bool useJpeg, int32_t extType) {
  if (useJpeg) {
    libraries_[kJpeg] = open_or_report(names.jpegWriter);
    if (libraries_[kJpeg] == nullptr) return LFTM_ERR_LOAD_JPG;
    write_jpeg = reinterpret_cast<WriteJpegFn>(entry_or_report(libraries_[kJpeg], "LFwritejpg"));
    if (write_jpeg == nullptr) return LFTM_ERR_ENTRY_JPG;
    // Older libraries lack the entry that takes the settings; they still write the image.
    write_jpeg_meta =
        reinterpret_cast<WriteJpegMetaFn>(sibling_symbol(libraries_[kJpeg], "LFwritejpgmeta"));
    if (write_jpeg_meta != nullptr) {
      load_streaming(libraries_[kJpeg], "LFjpgopen", "LFjpgrows", "LFjpgclose");
      open_jpeg_stream = reinterpret_cast<JpegOpenFn>(stream_open_);
    }
  } else {
    libraries_[kTiffWriter] = open_or_report(names.tiffWriter);
    if (libraries_[kTiffWriter] == nullptr) return LFTM_ERR_LOAD_TIFW;
    write_tiff =
        reinterpret_cast<WriteTiffFn>(entry_or_report(libraries_[kTiffWriter], "buf2tif"));
    if (write_tiff == nullptr) return LFTM_ERR_ENTRY_BUF2TIF;
    load_streaming(libraries_[kTiffWriter], "LFtifopen", "LFtifrows", "LFtifclose");
    open_tiff_stream = reinterpret_cast<TiffOpenFn>(stream_open_);
  }
  return load_reader(names, extType);
}

void SiblingSet::load_streaming(void* library, const char* open, const char* rows,
                                const char* close) {
  stream_open_ = sibling_symbol(library, open);
  stream_rows = reinterpret_cast<StreamRowsFn>(sibling_symbol(library, rows));
  close_stream = reinterpret_cast<StreamCloseFn>(sibling_symbol(library, close));
  // All three or none.
  if (stream_open_ == nullptr || stream_rows == nullptr || close_stream == nullptr) {
    stream_open_ = nullptr;
    stream_rows = nullptr;
    close_stream = nullptr;
  }
}

int32_t SiblingSet::load_reader(const SiblingNames& names, int32_t extType) {
  if (doc_type_for(extType) == LFTM_DOC_U16) return load_tiff_reader(names);
  if (extType == LFTM_EXT_EXR) return load_exr_reader(names);
  return 0;
}

int32_t SiblingSet::load_tiff_reader(const SiblingNames& names) {
  libraries_[kTiffReader] = open_or_report(names.tiffReader);
  if (libraries_[kTiffReader] == nullptr) return LFTM_ERR_LOAD_TIFR;
  info_tiff = reinterpret_cast<InfotifFn>(entry_or_report(libraries_[kTiffReader], "infotif"));
  if (info_tiff == nullptr) return LFTM_ERR_ENTRY_INFOTIF;
  read_tiff =
      reinterpret_cast<ReadTiffFn>(entry_or_report(libraries_[kTiffReader], "LFreadtifflat"));
  if (read_tiff == nullptr) return LFTM_ERR_ENTRY_READTIF;
  // Needed only for float files; its absence is reported when one is met.
  read_tiff_rgbe =
      reinterpret_cast<ReadTiffRgbeFn>(sibling_symbol(libraries_[kTiffReader], "LFreadtiffrgbe"));
  return 0;
}

int32_t SiblingSet::load_exr_reader(const SiblingNames& names) {
  libraries_[kExr] = open_or_report(names.exrReader);
  if (libraries_[kExr] == nullptr) return LFTM_ERR_LOAD_EXR;
  exr_dim = reinterpret_cast<ExrDimFn>(entry_or_report(libraries_[kExr], "lfexr_dim"));
  if (exr_dim == nullptr) return LFTM_ERR_ENTRY_EXRDIM;
  exr_read = reinterpret_cast<ExrReadFn>(entry_or_report(libraries_[kExr], "lfexr_read"));
  if (exr_read == nullptr) return LFTM_ERR_ENTRY_EXRREAD;
  return 0;
}

int32_t read_image_info(int32_t extType, const SiblingSet& siblings, const char* path,
                        HdrFileInfo* info, int32_t* spp) {
  std::memset(info, 0, sizeof *info);
  // Before any reader opens it: a pipe would block the reader until something writes to it.
  const int32_t unreadable = check_input_file(path);
  if (unreadable < 0) {
    diag_out("%s: %s\n", path, lftm_strerror(unreadable, 0));
    return LFTM_ERR_INFO;
  }
  int32_t result;
  *spp = 3;
  if (extType == LFTM_EXT_HDR) {
    float primaries[8];
    result = rgbe_read_header(path, primaries, info);
    // A header that declares more pixels than the file can hold: the image cannot be read,
    // and nothing was allocated for it.
    if (result == LFTM_ERR_RGBE_SHORT) return LFTM_ERR_READ;
  } else if (extType == LFTM_EXT_EXR) {
    result = siblings.exr_dim(path, info);
  } else {
    result = siblings.info_tiff(path, 0, info);
    if (result == kInfotifFloat) {
      if (siblings.read_tiff_rgbe == nullptr) {
        diag_out("GetProcAddress Failed for: LFreadtiffrgbe\n");
        return LFTM_ERR_ENTRY_READTIF;
      }
      return result;
    }
    // A file the reader cannot open is an information failure; a readable file that cannot
    // be delivered as 16-bit samples is the reader's refusal.
    if (result >= 0 && result != kInfotifReadable) return LFTM_ERR_IO;
    int32_t fileSpp = info->infos[LFTM_INFO_SPP];
    *spp = fileSpp == 4 ? 3 : (fileSpp == 2 ? 1 : fileSpp);
  }
  if (result < 0) return LFTM_ERR_INFO;
  return result;
}

int32_t read_image(int32_t extType, const SiblingSet& siblings, const char* path,
                   const HdrFileInfo& info, int32_t spp, float* work, void* dst,
                   int32_t threads) {
  if (extType == LFTM_EXT_HDR) {
    return rgbe_read_mem(path, &info, static_cast<unsigned char*>(dst), threads);
  }
  if (extType == LFTM_EXT_EXR) return siblings.exr_read(path, work, static_cast<uint8_t*>(dst));
  if (extType == kExtTiffFloat) {
    return siblings.read_tiff_rgbe(path, 0, info.infos[LFTM_INFO_WIDTH],
                                   info.infos[LFTM_INFO_HEIGHT], work, static_cast<uint8_t*>(dst));
  }
  return siblings.read_tiff(path, 0, info.infos[LFTM_INFO_WIDTH], info.infos[LFTM_INFO_HEIGHT],
                            spp, 16, dst);
}

bool image_bytes(int32_t extType, int32_t width, int32_t height, int32_t spp, size_t* bytes) {
  if (doc_type_for(extType) == LFTM_DOC_U16) {
    return checked_product(2 * static_cast<int64_t>(width), height, spp, bytes, kMaxBufferBytes);
  }
  return checked_product(4, width, height, bytes, kMaxBufferBytes);
}

void build_lut(int32_t extType, float* lut) {
  const double g = extType == LFTM_EXT_TIF_GAMMA ? 2.2 : 1.0;
  for (int i = 1; i < 65536; ++i) {
    lut[i] = static_cast<float>(65536.0 * std::pow(i / 65536.0, g));
  }
  lut[0] = lut[1];
}

HdrFileInfo writer_info(int32_t width, int32_t height, int32_t spp, int32_t bits,
                        const SaveOptions* save, bool widenedSamples) {
  HdrFileInfo info;
  std::memset(&info, 0, sizeof info);
  info.infos[LFTM_INFO_WIDTH] = width;
  info.infos[LFTM_INFO_HEIGHT] = height;
  info.infos[LFTM_INFO_SPP] = spp;
  info.infos[LFTM_INFO_BITS] = bits;
  if (save != nullptr) {
    info.infos[LFTM_INFO_DPI] = save->options[LFTM_SAVE_DPI];
    info.infos[LFTM_INFO_ICC] = save->options[LFTM_SAVE_ICC];
    info.infos[LFTM_INFO_COMPRESSION] = save->options[LFTM_SAVE_COMPRESSION];
    info.infos[LFTM_INFO_METADATA] = save->options[LFTM_SAVE_METADATA];
  }
  info.infos[LFTM_INFO_WIDENED] = widenedSamples ? 1 : 0;
  return info;
}

namespace {

// The result code of a staging refusal or failure, after a line that names the file.
int32_t staging_failure(const char* outFile, int staged) {
  switch (staged) {
    case kStagingNotFile:
      diag_out("refusing to write %s: it is not a regular file (a folder, device, pipe or "
               "socket)\n", outFile);
      break;
    case kStagingReadOnly:
      diag_out("refusing to replace %s: it is write-protected\n", outFile);
      break;
    case kStagingForeign:
      diag_out("refusing to replace %s: it exists and was not written by lftm\n", outFile);
      return LFTM_ERR_OUTPUT_EXISTS;
    default:
      break;
  }
  return LFTM_ERR_WRITER_CREATE;
}

}  // namespace

int32_t stage_output(const char* outFile, StagedOutput* target, Replace replace) {
  const int staged = target->create(outFile, "", replace);
  return staged < 0 ? staging_failure(outFile, staged) : 0;
}

int32_t commit_output(const char* outFile, StagedOutput* target) {
  const int committed = target->commit();
  return committed < 0 ? staging_failure(outFile, committed) : 0;
}

int32_t write_output(const SiblingSet& siblings, const char* outFile, StagedOutput* target,
                     const HdrFileInfo& info,
                     int32_t rowSamples, int32_t sampleBytes, const WriterArgs& args,
                     int32_t method, const TmParam* params, const void* samples) {
  int32_t result;
  if (siblings.write_jpeg_meta != nullptr) {
    result = siblings.write_jpeg_meta(target->path(), args.jpgQual, &info, rowSamples, args.w10,
                                      args.w6, args.w7, args.w8, args.w9, method, params,
                                      samples);
  } else if (siblings.write_jpeg != nullptr) {
    result = siblings.write_jpeg(target->path(), args.jpgQual, &info, rowSamples, args.w10,
                                 args.w6, args.w7, args.w8, args.w9, samples);
  } else {
    result = siblings.write_tiff(samples, &info, rowSamples * sampleBytes, args.w10, args.w6,
                                 args.w7, args.w8, args.w9, method, params, target->path());
  }
  if (result < 0) return result;
  const int32_t committed = commit_output(outFile, target);
  return committed < 0 ? committed : result;
}

void write_image_layout(ImageDesc* desc, int32_t width, int32_t height, int32_t spp) {
  desc->width = width;
  desc->height = height;
  desc->spp = spp;
  desc->rowSamples = desc->rowStride = width * spp;
  desc->bgr = 0;
}

}  // namespace lftm
