#include "image_source.h"

#include <new>

#include "frame/driver_io.h"
#include "frame/squeezer_tiff_input.h"
#include "imageio/rgbe_reader.h"
#include "input_check.h"
#include "messages.h"
#include "platform/sizes.h"
#include "tiff_layout_codes.h"

namespace lftm_cli {
namespace {

int32_t ext_type_of(InputFormat format, int32_t fileBits, TiffEncoding encoding) {
  switch (format) {
    case InputFormat::kRadiance: return LFTM_EXT_HDR;
    case InputFormat::kOpenExr: return LFTM_EXT_EXR;
    case InputFormat::kTiff:
      if (encoding == TiffEncoding::kLinear) return LFTM_EXT_TIF_LINEAR;
      if (encoding == TiffEncoding::kGamma) return LFTM_EXT_TIF_GAMMA;
      return fileBits > 8 ? LFTM_EXT_TIF_LINEAR : LFTM_EXT_TIF_GAMMA;
    case InputFormat::kUnknown: break;
  }
  return 0;
}

int32_t probe_with(const lftm::SiblingSet& siblings, const std::string& path,
                   TiffEncoding encoding, SourceImage* image) {
  HdrFileInfo info;
  int32_t spp = 3;
  // The TIFF kind (gamma or linear) does not change what the information call reads.
  int32_t probeType = image->format == InputFormat::kTiff
                          ? LFTM_EXT_TIF_LINEAR
                          : ext_type_of(image->format, 0, encoding);
  int32_t result = lftm::read_image_info(probeType, siblings, path.c_str(), &info, &spp);
  // A TIFF the reader takes neither as 16-bit samples nor as floats: say which layout it has.
  if (result == LFTM_ERR_IO && image->format == InputFormat::kTiff) return tiff_layout_code(info);
  if (result < 0) return result;
  image->floatSamples = image->format == InputFormat::kTiff && result == lftm::kInfotifFloat;
  image->width = info.infos[0];
  image->height = info.infos[1];
  image->spp = spp;
  if (image->format == InputFormat::kRadiance) {
    float primaries[8];
    HdrFileInfo header = {};
    lftm::rgbe_read_header(path.c_str(), primaries, &header);
    image->hasPrimaries = header.infos[6] == 32;
    for (int i = 0; i < 8; ++i) image->primaries[i] = primaries[i];
  } else {
    image->fileSpp = info.infos[2];
    image->fileBits = info.infos[3];
  }
  image->extType = ext_type_of(image->format, image->fileBits, encoding);
  if (image->width < 1 || image->height < 1) return LFTM_ERR_INFO;
  return 0;
}

// The format of a file, or the code that says why it cannot be read.
int32_t recognise(const std::string& path, SourceImage* image) {
  image->path = path;
  InputCheck check = check_input(path);
  image->format = check.format;
  image->detail = check.detail;
  return check.code;
}

// The Radiance readers' codes as the causes people know; the codes of the sibling readers
// are their own.
int32_t read_failure(const SourceImage& image, int32_t code, std::string* detail) {
  if (image.extType != LFTM_EXT_HDR) {
    const bool siblingCode = code <= LFTM_ERR_SIB_OPEN && code >= LFTM_ERR_SIB_SIZE;
    return siblingCode ? code : LFTM_ERR_READ;
  }
  switch (code) {
    case LFTM_ERR_RGBE_SHORT:
    case -2:  // the streaming reader's short read
      *detail = "the pixel data ends before the last row";
      return kCauseTruncated;
    case LFTM_ERR_RGBE_BAD_SIZE:
    case LFTM_ERR_RGBE_RUN:
    case LFTM_ERR_RGBE_LITERAL:
      return code;
    case -5: return LFTM_ERR_RGBE_RUN;
    case -6: return LFTM_ERR_RGBE_LITERAL;
    case -3: return LFTM_ERR_RGBE_BAD_SIZE;
    case -4:
      *detail = "a run-length row announces another width than the header";
      return LFTM_ERR_READ;
    default: return LFTM_ERR_READ;
  }
}

// Recognises the file, loads the reader library its kind needs and probes it.
int32_t open_and_probe(const std::string& path, TiffEncoding encoding, SourceImage* image,
                       lftm::SiblingSet* siblings) {
  int32_t known = recognise(path, image);
  if (known < 0) return known;
  int32_t loaded = siblings->load_reader(lftm::default_sibling_names(),
                                         ext_type_of(image->format, 16, encoding));
  if (loaded < 0) return loaded;
  return probe_with(*siblings, path, encoding, image);
}

}  // namespace

int32_t probe_image(const std::string& path, TiffEncoding encoding, SourceImage* image) {
  lftm::SiblingSet siblings;
  return open_and_probe(path, encoding, image, &siblings);
}

int32_t load_image(const std::string& path, TiffEncoding encoding, SourceImage* image) {
  lftm::SiblingSet siblings;
  int32_t probed = open_and_probe(path, encoding, image, &siblings);
  if (probed < 0) return probed;

  HdrFileInfo info = {};
  int32_t spp = 3;
  const int32_t infoResult =
      lftm::read_image_info(image->extType, siblings, path.c_str(), &info, &spp);
  if (infoResult < 0) return LFTM_ERR_INFO;
  const int32_t kind = lftm::input_kind(image->extType, infoResult);
  size_t bytes = 0;
  if (!lftm::image_bytes(kind, image->width, image->height, spp, &bytes)) {
    image->detail = std::to_string(image->width) + " x " + std::to_string(image->height) +
                    " pixels";
    return LFTM_ERR_TOO_LARGE;
  }
  void* pixels = nullptr;
  float work[4];
  try {
    if (lftm::doc_type_for(kind) == LFTM_DOC_RGBE) {
      image->rgbe.resize(bytes);
      pixels = image->rgbe.data();
    } else {
      image->samples.resize(bytes / 2);
      pixels = image->samples.data();
    }
  } catch (const std::bad_alloc&) {
    image->detail = byte_count_text(static_cast<int64_t>(bytes)) + " for the pixels";
    return kCauseNoMemory;
  }
  int32_t read = lftm::read_image(kind, siblings, path.c_str(), info, spp, work, pixels);
  return read < 0 ? read_failure(*image, read, &image->detail) : 0;
}

std::vector<float> linear_values(const SourceImage& image) {
  std::vector<float> linear(image.samples.size());
  // Without memory for the table the values stay 0, which the statistics treat as black.
  lftm::squeezer_input_from_tiff(image.extType, image.samples.data(), image.width,
                                 image.height, image.spp, linear.data());
  return linear;
}

}  // namespace lftm_cli
