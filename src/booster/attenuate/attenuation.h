// SPDX-License-Identifier: BSD-3-Clause
// The power law that turns a level's gradient magnitudes into attenuation factors, and the
// worker threads that share it out by horizontal bands.
#ifndef LFTM_BOOSTER_ATTENUATE_ATTENUATION_H_
#define LFTM_BOOSTER_ATTENUATE_ATTENUATION_H_

namespace lftm {

// Levels of this many pixels or fewer are always attenuated on the calling thread.
constexpr long long kMinThreadedLevel = 1200;

// One worker's share of a level.
struct TileJob {
  int width;        // width of the level being attenuated
  int height;       // height of that level
  int levelOffset;  // offset of the level in buf
  float* buf;       // the work buffer
  float alpha;      // divisor of the power law
  float exponent;   // exponent of the power law
  float add;        // additive term of the power law
  int threadIndex;  // 0-based index of the band
  int threadCount;  // number of bands
  int result;       // rows processed, written by the worker
};

// Applies v -> ((v + add) / alpha)^exponent (0 stays 0) to `rows` rows of `width` values
// starting at buf[offset], in place. Returns rows.
int attenuate_band(int width, int rows, int offset, float alpha, float exponent, float add,
                   float* buf);

// Worker body: attenuates band threadIndex of threadCount (the last band also takes the
// remaining rows), announces it and stores the row count in job->result.
void attenuate_tile(TileJob* job);

// Attenuates the whole w x h level at `offset`: on the calling thread when threads < 2 or the
// level has at most kMinThreadedLevel pixels, else over min(threads, 32) bands, each passed
// through the power law exactly once (a band whose worker cannot start is done by the caller).
void attenuate_level(float* buf, int offset, int w, int h, float alpha, float exponent,
                     float add, int threads);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_ATTENUATION_H_
