#include "image_source.h"

#include <cstdio>

#include "frame/driver_io.h"
#include "imageio/rgbe_reader.h"
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

// The format of a file, or the code that says why it has none.
int32_t recognise(const std::string& path, SourceImage* image) {
  image->path = path;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return LFTM_ERR_INFO;
  std::fclose(file);
  image->format = detect_input_format(path);
  return image->format == InputFormat::kUnknown ? LFTM_ERR_EXT_TYPE : 0;
}

}  // namespace

int32_t probe_image(const std::string& path, TiffEncoding encoding, SourceImage* image) {
  int32_t known = recognise(path, image);
  if (known < 0) return known;
  lftm::SiblingSet siblings;
  int32_t loaded = siblings.load_reader(lftm::default_sibling_names(),
                                        ext_type_of(image->format, 16, encoding));
  if (loaded < 0) return loaded;
  return probe_with(siblings, path, encoding, image);
}

int32_t load_image(const std::string& path, TiffEncoding encoding, SourceImage* image) {
  int32_t known = recognise(path, image);
  if (known < 0) return known;
  lftm::SiblingSet siblings;
  int32_t loaded = siblings.load_reader(lftm::default_sibling_names(),
                                        ext_type_of(image->format, 16, encoding));
  if (loaded < 0) return loaded;
  int32_t probed = probe_with(siblings, path, encoding, image);
  if (probed < 0) return probed;

  HdrFileInfo info = {};
  int32_t spp = 3;
  const int32_t infoResult =
      lftm::read_image_info(image->extType, siblings, path.c_str(), &info, &spp);
  if (infoResult < 0) return LFTM_ERR_INFO;
  const int32_t kind = lftm::input_kind(image->extType, infoResult);
  size_t bytes = 0;
  if (!lftm::image_bytes(kind, image->width, image->height, spp, &bytes)) {
    return LFTM_ERR_TOO_LARGE;
  }
  if (lftm::doc_type_for(kind) == LFTM_DOC_RGBE) {
    image->rgbe.resize(bytes);
    float work[4];
    int32_t read =
        lftm::read_image(kind, siblings, path.c_str(), info, spp, work, image->rgbe.data());
    return read < 0 ? LFTM_ERR_READ : 0;
  }
  image->samples.resize(bytes / 2);
  int32_t read = lftm::read_image(kind, siblings, path.c_str(), info, spp, nullptr,
                                  image->samples.data());
  return read < 0 ? LFTM_ERR_READ : 0;
}

std::vector<float> linear_values(const SourceImage& image) {
  std::vector<float> lut(65536);
  lftm::build_lut(image.extType, lut.data());
  std::vector<float> linear(image.samples.size());
  for (size_t i = 0; i < linear.size(); ++i) linear[i] = lut[image.samples[i]] * lftm::kTiffToRadiance;
  return linear;
}

}  // namespace lftm_cli
