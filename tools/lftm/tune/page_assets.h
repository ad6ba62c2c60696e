// SPDX-License-Identifier: BSD-3-Clause
// The files of the tuner's page, built into the program.
#ifndef LFTM_TOOLS_TUNE_PAGE_ASSETS_H_
#define LFTM_TOOLS_TUNE_PAGE_ASSETS_H_

namespace lftm_tune {

struct PageAsset {
  const char* name;  // "index.html", "tune.js", "tune.css"
  const char* type;  // its media type
  const char* text;
};

// The asset named `name`, or nullptr.
const PageAsset* find_page_asset(const char* name);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_PAGE_ASSETS_H_
