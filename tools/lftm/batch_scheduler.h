// How the images of one command are spread over the cores. A small image gains little from
// several threads (the stages' fixed parts and the writer run on one), so small images run
// side by side, one per core and each on one thread; a large image runs alone on every core.
// Images start in input order, and never more at once than the memory allows.
#ifndef LFTM_TOOLS_BATCH_SCHEDULER_H_
#define LFTM_TOOLS_BATCH_SCHEDULER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace lftm_cli {

// What one image needs: its estimated peak memory, and whether it takes every core.
struct ImageCost {
  size_t memory = 0;
  bool large = false;
};

// The cost of a width x height image whose run needs `memory` bytes at its peak (the
// library's estimate). Disk mode, which exists for images larger than memory, makes every
// image large, so that such images never run side by side.
ImageCost image_cost(int64_t width, int64_t height, int64_t memory, bool disk);

struct BatchLimits {
  int32_t cores = 1;  // threads the whole command may use
  size_t memory = 0;  // bytes the images running at once may need together; 0: no limit
};

// Calls run_image(image, threads) once for each image, starting them in input order: up to
// `cores` small images at once on one thread each, as long as their memory together stays
// within the limit (a lone image always runs, whatever it needs); a large image, or every
// image when only one can run at a time, alone with `cores` threads. run_image is called on
// threads of its own and must be safe to call from several at once.
void run_batch(const std::vector<ImageCost>& costs, const BatchLimits& limits,
               const std::function<void(size_t image, int32_t threads)>& run_image);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_BATCH_SCHEDULER_H_
