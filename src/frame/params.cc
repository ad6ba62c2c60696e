// SPDX-License-Identifier: BSD-3-Clause
// Defaults of the parameter, layout and run records, and two small memory helpers.
#include <cstring>

#include "lftm.h"
#include "platform/heap_buffer.h"
#include "settings/settings_table.h"

extern "C" {

int32_t tmparam_default(int32_t type, int32_t variant, TmParam* tmParam) {
  // Slots no setting of the method holds stay 0.
  std::memset(tmParam->tmParam, 0, sizeof tmParam->tmParam);
  if (const lftm::MethodSettings* settings = lftm::method_settings(type)) {
    for (const lftm::Setting* s = settings->begin; s != settings->end; ++s) {
      tmParam->tmParam[s->slot] = s->default_value;
    }
  }
  if (type == LFTM_METHOD_TEXTURE_BOOSTER && variant > 0) {
    tmParam->tmParam[lftm::kBoosterStrength] = lftm::kBoosterStrengthOfVariant;
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
  lftm::HeapBuffer<uint8_t> block;
  return block.allocate(static_cast<size_t>(bytes), true) ? 1 : LFTM_ERR_NO_MEMORY;
}

int32_t copie_mem(const void* src, int32_t len, void* dst) {
  if (len > 0) std::memcpy(dst, src, static_cast<size_t>(len));
  return 1;
}

}  // extern "C"
