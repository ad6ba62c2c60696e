// SPDX-License-Identifier: BSD-3-Clause
// The folder of the photograph a session opened: its HDR photographs, which the page shows
// as a strip of thumbnails, and those thumbnails, rendered once each.
#ifndef LFTM_TOOLS_TUNE_PHOTO_FOLDER_H_
#define LFTM_TOOLS_TUNE_PHOTO_FOLDER_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "render.h"

namespace lftm_tune {

// The side of a thumbnail's pixel budget.
constexpr int32_t kThumbnailSide = 120;
// Thumbnails kept at most (about 43 kB each).
constexpr size_t kMostThumbnails = 2000;

class PhotoFolder {
 public:
  // `tiffInput`: how TIFF files are read (lftm_options.tiff_input); `mostThumbnails`: how
  // many thumbnails are kept for the page to ask again.
  PhotoFolder(std::string folder, int32_t tiffInput, size_t mostThumbnails = kMostThumbnails);

  // The names of the photographs the library reads in the folder (Radiance, OpenEXR, 16-bit
  // and float TIFF), sorted; read again at each call, as files come and go.
  std::vector<std::string> files() const;
  // The path of `name` when it is one of files(), else "".
  std::string path_of(const std::string& name) const;
  // How many thumbnails are kept now.
  size_t thumbnails_kept();

  // The thumbnail of `name`, plainly exposed, at most kThumbnailSide squared pixels. Returns
  // 0 or a negative library code.
  int32_t thumbnail(const std::string& name, std::shared_ptr<const Picture>* picture);

 private:
  // The kept thumbnail of `name` into *picture, if there is one.
  bool kept_thumbnail(const std::string& name, std::shared_ptr<const Picture>* picture);

  std::string folder_;
  int32_t tiffInput_;
  size_t mostThumbnails_;
  std::mutex makingMutex_;  // one thumbnail made at a time
  std::mutex mutex_;        // thumbnails_
  std::map<std::string, std::shared_ptr<const Picture>> thumbnails_;
};

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_PHOTO_FOLDER_H_
