// SPDX-License-Identifier: BSD-3-Clause
// Reading a photograph's header and pixels through the drivers' readers.
#ifndef LFTM_PHOTO_PHOTO_READ_H_
#define LFTM_PHOTO_PHOTO_READ_H_

#include <cstdint>

#include "frame/driver_io.h"
#include "photo/photo.h"

namespace lftm {

// Recognises `path`, loads the reader it needs into `siblings` and fills photo->info (as far
// as it was read, also on failure) and photo->kind. Returns 0 or a code of lftm_photo_probe.
int32_t probe_photo(const char* path, int32_t tiffInput, SiblingSet* siblings,
                    lftm_photo* photo);

// Reads the pixels of a probed photograph into photo->rgbe or photo->samples. Returns 0,
// LFTM_ERR_TOO_LARGE, or the reader's failure as one of the public codes.
int32_t read_photo_pixels(const char* path, const SiblingSet& siblings, lftm_photo* photo);

// Probes, reads and settles a whole photograph.
int32_t open_photo(const char* path, int32_t tiffInput, lftm_photo* photo);

}  // namespace lftm

#endif  // LFTM_PHOTO_PHOTO_READ_H_
