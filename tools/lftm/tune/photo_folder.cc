// SPDX-License-Identifier: BSD-3-Clause
#include "photo_folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "input_format.h"
#include "lftm_host.h"
#include "photo.h"

namespace lftm_tune {
namespace {

bool has_photo_extension(const std::string& name) {
  const std::string ext = lftm_cli::lower_extension(name);
  return ext == "hdr" || ext == "exr" || ext == "tif" || ext == "tiff";
}

// A regular file whose header the library reads.
bool is_photo(const std::string& path, int32_t tiffInput) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  lftm_photo_info info;
  info.struct_size = sizeof info;
  return lftm_photo_probe(path.c_str(), tiffInput, &info) >= 0;
}

}  // namespace

PhotoFolder::PhotoFolder(std::string folder, int32_t tiffInput, size_t mostThumbnails)
    : folder_(std::move(folder)), tiffInput_(tiffInput), mostThumbnails_(mostThumbnails) {}

std::vector<std::string> PhotoFolder::files() const {
  std::vector<std::string> names;
  DIR* dir = opendir(folder_.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name[0] != '.' && has_photo_extension(name) && is_photo(folder_ + "/" + name, tiffInput_)) {
      names.push_back(name);
    }
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string PhotoFolder::path_of(const std::string& name) const {
  // The listing's rule for this one name: reading every header of a large folder at each
  // thumbnail would make the strip's requests quadratic in the folder's size.
  const bool plainName = !name.empty() && name[0] != '.' && name.find('/') == std::string::npos &&
                         name.find('\0') == std::string::npos;
  if (!plainName || !has_photo_extension(name)) return "";
  const std::string path = folder_ + "/" + name;
  return is_photo(path, tiffInput_) ? path : std::string();
}

size_t PhotoFolder::thumbnails_kept() {
  std::lock_guard<std::mutex> lock(mutex_);
  return thumbnails_.size();
}

bool PhotoFolder::kept_thumbnail(const std::string& name,
                                 std::shared_ptr<const Picture>* picture) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = thumbnails_.find(name);
  if (found == thumbnails_.end()) return false;
  *picture = found->second;
  return true;
}

int32_t PhotoFolder::thumbnail(const std::string& name, std::shared_ptr<const Picture>* picture) {
  if (kept_thumbnail(name, picture)) return 0;
  // One photograph decoded at a time: an OpenEXR or TIFF file is decoded whole before it is
  // reduced, and requests from reloaded or several pages would hold many of them at once.
  std::lock_guard<std::mutex> making(makingMutex_);
  if (kept_thumbnail(name, picture)) return 0;  // made while this request waited
  const std::string path = path_of(name);
  if (path.empty()) return LFTM_ERR_ARGUMENT;
  lftm_photo_info info;
  info.struct_size = sizeof info;
  int32_t result = lftm_photo_probe(path.c_str(), tiffInput_, &info);
  if (result < 0) return result;
  int32_t width, height;
  preview_size(info.width, info.height, kThumbnailSide, &width, &height);
  lftm_photo* reduced = nullptr;
  result = lftm_photo_open_reduced(path.c_str(), tiffInput_, width, height, &reduced);
  if (result < 0) return result;
  auto made = std::make_shared<Picture>();
  render_exposure(reduced, made.get());
  lftm_photo_close(reduced);
  std::lock_guard<std::mutex> lock(mutex_);
  // A bounded memory for any folder: past the limit one kept thumbnail makes room.
  if (thumbnails_.size() >= mostThumbnails_) thumbnails_.erase(thumbnails_.begin());
  thumbnails_[name] = made;
  *picture = made;
  return 0;
}

}  // namespace lftm_tune
