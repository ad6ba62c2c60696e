// SPDX-License-Identifier: BSD-3-Clause
// Large run buffers asked to be backed by transparent huge pages: one fault then maps 2 MiB
// instead of 4 KiB, which saves most of the kernel's time spent faulting fresh pages in.
#ifndef LFTM_RUN_HUGE_PAGES_H_
#define LFTM_RUN_HUGE_PAGES_H_

#include <cstddef>

namespace lftm {

// Advice only, on the whole huge pages inside [buffer, buffer + bytes): a system without them
// (or that declines) leaves the buffer as it was.
void ask_huge_pages(void* buffer, size_t bytes);

}  // namespace lftm

#endif  // LFTM_RUN_HUGE_PAGES_H_
