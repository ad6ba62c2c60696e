// SPDX-License-Identifier: BSD-3-Clause
// Table look-ups of the vector kernels, once per target (see vector_lanes-inl.h). Each lane's
// row is loaded whole, in 128-bit blocks, and interleaving the blocks of even and odd lanes puts
// the columns in lane order; a single column is loaded lane by lane. On the processors at hand
// this is several times faster than the gather instructions, which only vectors whose length is
// known at run time use.
#if defined(LFTM_VECMATH_TABLE_ROWS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef LFTM_VECMATH_TABLE_ROWS_INL_H_
#undef LFTM_VECMATH_TABLE_ROWS_INL_H_
#else
#define LFTM_VECMATH_TABLE_ROWS_INL_H_
#endif

#include <cstddef>
#include <cstdint>

#include "hwy/highway.h"
#include "vecmath/vector_lanes-inl.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {

// The rows of one vector's lanes in tables of 2^kWidthLog2 doubles a row.
template <int kWidthLog2>
class TableRows {
 public:
  explicit TableRows(VI64 row) {
#if HWY_HAVE_SCALABLE
    row_ = row;
#else
    hn::Store(row, DI64(), rows_.lane);
    // One store and scalar loads: the compiler would otherwise move the lanes out one by one
    // with extracts, which take the vector units as well.
    asm("" : "+m"(rows_));
#endif
  }

  // Columns c and c + 1 of the rows of table (c even).
  HWY_INLINE void columns(const double* table, int c, VD* first, VD* second) const {
    const DD d;
#if HWY_HAVE_SCALABLE
    const VI64 at = hn::ShiftLeft<kWidthLog2>(row_);
    *first = hn::GatherIndex(d, table + c, at);
    *second = hn::GatherIndex(d, table + c + 1, at);
#elif HWY_TARGET == HWY_SCALAR
    *first = hn::LoadU(d, row_at(table, 0) + c);
    *second = hn::LoadU(d, row_at(table, 0) + c + 1);
#else
#if HWY_COMPILER_GCC_ACTUAL
    if constexpr (kWidthLog2 == 2 && hn::MaxLanes(d) == 8) {
      return this->two_rows_a_vector(table, c, first, second);
    }
#endif
    const VD even = loads<2>(d, table + c, 0);
    const VD odd = loads<2>(d, table + c, 1);
    *first = hn::InterleaveLower(d, even, odd);
    *second = hn::InterleaveUpper(d, even, odd);
#endif
  }

  // Column c of the rows of table.
  HWY_INLINE VD column(const double* table, int c) const {
#if HWY_HAVE_SCALABLE
    return hn::GatherIndex(DD(), table + c, hn::ShiftLeft<kWidthLog2>(row_));
#else
    return loads<1>(DD(), table + c, 0);
#endif
  }

 private:
#if !HWY_HAVE_SCALABLE
  const double* row_at(const double* table, size_t lane) const {
    return table + (rows_.lane[lane] << kWidthLog2);
  }
#endif

#if !HWY_HAVE_SCALABLE
  // A vector of loads of kPerLoad doubles each, at `column` in the rows of lanes first,
  // first + kPerLoad, ...: lane k (kPerLoad 1) or block k (kPerLoad 2) is from lane
  // first + kPerLoad * k.
  template <size_t kPerLoad, class D>
  HWY_INLINE hn::Vec<D> loads(D d, const double* column, size_t first) const {
#if HWY_TARGET == HWY_SCALAR
    return hn::LoadU(d, row_at(column, first));
#else
    if constexpr (hn::MaxLanes(d) <= kPerLoad) {
      return hn::LoadU(d, row_at(column, first));
    } else {
      const hn::Half<D> half;
      return hn::Combine(d, loads<kPerLoad>(half, column, first + hn::MaxLanes(half)),
                         loads<kPerLoad>(half, column, first));
    }
#endif
  }
#endif

#if HWY_COMPILER_GCC_ACTUAL && !HWY_HAVE_SCALABLE && HWY_TARGET != HWY_SCALAR
  // columns() for rows of four doubles and vectors of eight: each vector holds two whole rows,
  // those of lanes j and j + 2, and after interleaving each block of every vector holds columns
  // of two lanes. GCC's two-source shuffle puts the blocks in lane order (fewer shuffles than
  // loading the blocks one by one).
  HWY_INLINE void two_rows_a_vector(const double* table, int c, VD* first, VD* second) const {
    const DD d;
    const hn::Half<DD> half;
    const auto rows = [&](size_t lane) {
      return hn::Combine(d, hn::LoadU(half, row_at(table, lane + 2)),
                         hn::LoadU(half, row_at(table, lane)));
    };
    const VD r02 = rows(0), r13 = rows(1), r46 = rows(4), r57 = rows(5);
    // Blocks k and k + 2 of a, then of b.
    const auto blocks_of = [](VD a, VD b, long long k) {
      using Index = decltype(VI64().raw);
      const Index at = {2 * k, 2 * k + 1, 2 * k + 4, 2 * k + 5,
                        8 + 2 * k, 9 + 2 * k, 12 + 2 * k, 13 + 2 * k};
      return VD{__builtin_shuffle(a.raw, b.raw, at)};
    };
    const long long k = c / 2;
    *first = blocks_of(hn::InterleaveLower(d, r02, r13), hn::InterleaveLower(d, r46, r57), k);
    *second = blocks_of(hn::InterleaveUpper(d, r02, r13), hn::InterleaveUpper(d, r46, r57), k);
  }
#endif

#if HWY_HAVE_SCALABLE
  VI64 row_;
#else
  struct {
    HWY_ALIGN int64_t lane[hn::MaxLanes(DD())];
  } rows_;
#endif
};

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#endif  // LFTM_VECMATH_TABLE_ROWS_INL_H_
