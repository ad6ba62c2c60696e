// Defaults of the parameter, layout and run records, and two small memory helpers.
#include <cstdlib>
#include <cstring>

#include "lftm.h"

namespace {

// Texture Booster defaults, slot by slot; slot 1 depends on the variant.
constexpr float kBoosterDefaults[20] = {
    0,     // Luminosity
    70,    // Strength (40 for a positive variant)
    46,    // ColorSaturation
    0.25f, // WhiteClip
    0,     // BlackClip
    1,     // Smoothing preset "High"
    0,     // Microcontrast
    2,     // Microsmoothing
    50,    // Gamma slider (gamma 1.0)
    0, 0, 0, 0, 0, 0,  // highlight/shadow smoothing, shadow clipping, temperature, saturations
    0,     // 360-degree image
    1,     // SmoothingMode "Slider"
    0, 0, 0};

}  // namespace

extern "C" {

int32_t tmparam_default(int32_t type, int32_t variant, TmParam* tmParam) {
  std::memset(tmParam->tmParam, 0, sizeof tmParam->tmParam);
  if (type == LFTM_METHOD_TEXTURE_BOOSTER) {
    std::memcpy(tmParam->tmParam, kBoosterDefaults, sizeof kBoosterDefaults);
    if (variant > 0) tmParam->tmParam[1] = 40;
  } else if (type == LFTM_METHOD_BLEND_STRONG) {
    tmParam->tmParam[2] = 40;  // Radius
  }
  return 1;
}

int32_t init_optim_param(TmFiles* files) {
  files->threads = 0;
  files->readFromDisk = 0;
  files->inFile = nullptr;
  files->scratch1 = nullptr;
  files->scratch2 = nullptr;
  files->scratch3 = nullptr;
  files->scratch4 = nullptr;
  return 1;
}

int32_t init_dim_param(ImageDesc* desc) {
  desc->width = 0;
  desc->height = 0;
  desc->spp = 3;
  desc->spare = 8;
  desc->bits = 8;
  desc->rowSamples = 0;
  desc->rowStride = 0;
  desc->bgr = 0;
  desc->planes = 0;
  return 1;
}

int32_t verif_mem(int32_t bytes) {
  if (bytes < 0) return LFTM_ERR_NO_MEMORY;
  void* block = std::calloc(static_cast<size_t>(bytes) > 0 ? static_cast<size_t>(bytes) : 1, 1);
  if (block == nullptr) return LFTM_ERR_NO_MEMORY;
  std::free(block);
  return 1;
}

int32_t copie_mem(const void* src, int32_t len, void* dst) {
  if (len > 0) std::memcpy(dst, src, static_cast<size_t>(len));
  return 1;
}

}  // extern "C"
