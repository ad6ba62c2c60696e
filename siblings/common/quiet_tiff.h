// SPDX-License-Identifier: BSD-3-Clause
// Opens TIFF files with libtiff's messages kept to the handle, so that a sibling library never
// prints and never changes the process-wide handlers of a host that uses libtiff itself.
#ifndef LFTM_SIBLINGS_COMMON_QUIET_TIFF_H_
#define LFTM_SIBLINGS_COMMON_QUIET_TIFF_H_

#include <tiffio.h>

namespace lftm_sibling {

// TIFFOpen with silent error and warning handlers; null when the file cannot be opened.
TIFF* open_tiff_quietly(const char* path, const char* mode);

}  // namespace lftm_sibling

#endif  // LFTM_SIBLINGS_COMMON_QUIET_TIFF_H_
