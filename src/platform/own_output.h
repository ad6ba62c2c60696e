// SPDX-License-Identifier: BSD-3-Clause
// Recognises the images lftm writes by what its writers store in them: the Software text
// ("lftm" unless the caller gave another) in a JPEG's EXIF block or a TIFF's first directory,
// the settings packet with the lftm namespace, or the software mark of an OpenEXR or
// Radiance header (own_output_hdr.h). Only the head of a JPEG and the first
// directory of a TIFF (classic or BigTIFF) are read, without the imaging libraries, so that
// checking the outputs of a batch costs a few reads each.
#ifndef LFTM_PLATFORM_OWN_OUTPUT_H_
#define LFTM_PLATFORM_OWN_OUTPUT_H_

namespace lftm {

// The Software text the writers store when the caller gives none.
constexpr char kDefaultSoftware[] = "lftm";

// True when `path` is a JPEG or TIFF file whose Software text is kDefaultSoftware or
// `software` (may be null), or that embeds settings in the lftm namespace, or an OpenEXR or
// Radiance file with lftm's mark.
bool is_own_output(const char* path, const char* software);

}  // namespace lftm

#endif  // LFTM_PLATFORM_OWN_OUTPUT_H_
