// SPDX-License-Identifier: BSD-3-Clause
// The steps both stage-1 workers share: checks and settings, the log-luminance plane, its
// Gaussian pyramid, the percentiles, the saved copy of the pyramid, and the per-level
// gradient magnitudes turned into attenuation factors.
#ifndef LFTM_BOOSTER_ATTENUATE_FRONT_H_
#define LFTM_BOOSTER_ATTENUATE_FRONT_H_

#include <cstddef>
#include <cstdint>

#include "booster/attenuate/level_table.h"
#include "booster/attenuate/settings.h"
#include "lftm.h"

namespace lftm {

struct Stage1Front {
  // The call's arguments (image layout and run record are copies).
  int docType;
  ImageDesc img;
  PyramidDims dims;
  LumStats* stats;
  const float* expTable;
  const float* lut;
  HdrFileInfo* info;
  TmFiles files;
  void* raw;
  float* buf;

  // Derived.
  Stage1Settings settings;
  LevelTable levels;
  bool disk;           // the planes live in scratch files
  int threads;         // workers of the power law (0 in disk mode)
  size_t savedFloats;  // floats of the saved log-luminance pyramid
};

// Checks the arguments and fills the derived fields. Returns 0, or -1: disk mode with a
// docType other than 0 or without its paths, a docType outside 0..2, a missing buffer or
// table, an image layout that does not match the pyramid record, or a record that does not
// describe a pyramid of the image.
int stage1_prepare(int docType, const ImageDesc* img, const TmParam* tmParam,
                   const PyramidDims* dims, LumStats* stats, const float* expTable,
                   const float* lut, HdrFileInfo* info, const TmFiles* files, void* raw,
                   float* buf, Stage1Front* front);

// The log-luminance plane at the head of buf and LumStats fields 0-2, with its diagnostic
// lines. Returns 0, or the negative result of the log-plane routine.
int stage1_log_plane(Stage1Front& front);

// The pyramid, the percentiles (LumStats fields 3-6; `hist` holds 65536 counters or is null
// to allocate them) and the saved copy of the pyramid. Returns 0 or -1, -2.
int stage1_pyramid_and_copy(Stage1Front& front, bool multiLevel, int32_t* hist);

// Gradient magnitudes and attenuation factors of every level. `rows` holds 3 x W floats or is
// null to allocate them per level. Returns 0 or -4.
int stage1_attenuate(Stage1Front& front, bool multiLevel, float* rows);

// Removes the scratch files of a disk-mode call that fails after it began writing them:
// neither copy is of any use once the stage has failed.
class ScratchCleanup {
 public:
  explicit ScratchCleanup(const Stage1Front& front) : front_(front) {}
  ~ScratchCleanup();
  ScratchCleanup(const ScratchCleanup&) = delete;
  ScratchCleanup& operator=(const ScratchCleanup&) = delete;
  void keep() { keep_ = true; }

 private:
  const Stage1Front& front_;
  bool keep_ = false;
};

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_FRONT_H_
