// Table look-ups of the vector kernels, once per target (see vector_lanes-inl.h). Each lane's
// row is loaded whole, in 128-bit blocks, and interleaving the blocks of even and odd lanes puts
// the columns in lane order: on the processors at hand this is several times faster than the
// gather instructions. Vectors of one lane load the values; vectors whose length is known only
// at run time gather.
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

// The rows of one vector's lanes in a table of 2^kWidthLog2 doubles a row.
template <int kWidthLog2>
class TableRows {
 public:
  TableRows(const double* table, VI64 row) : table_(table), row_(row) {
#if !HWY_HAVE_SCALABLE
    hn::Store(row, DI64(), rows_.lane);
    // One store and scalar loads: the compiler would otherwise move the lanes out one by one
    // with extracts, which take the vector units as well.
    asm("" : "+m"(rows_));
#endif
  }

  // Columns c and c + 1 of the rows (c even).
  HWY_INLINE void columns(int c, VD* first, VD* second) const {
    const DD d;
#if HWY_HAVE_SCALABLE
    const VI64 at = hn::ShiftLeft<kWidthLog2>(row_);
    *first = hn::GatherIndex(d, table_ + c, at);
    *second = hn::GatherIndex(d, table_ + c + 1, at);
#elif HWY_TARGET == HWY_SCALAR
    *first = hn::LoadU(d, row_at(0) + c);
    *second = hn::LoadU(d, row_at(0) + c + 1);
#else
    const VD even = blocks(d, 0, c);
    const VD odd = blocks(d, 1, c);
    *first = hn::InterleaveLower(d, even, odd);
    *second = hn::InterleaveUpper(d, even, odd);
#endif
  }

 private:
#if !HWY_HAVE_SCALABLE
  const double* row_at(size_t lane) const { return table_ + (rows_.lane[lane] << kWidthLog2); }
#endif

#if !HWY_HAVE_SCALABLE && HWY_TARGET != HWY_SCALAR
  // A vector whose block k holds the two doubles from column c of the row of lane first + 2k.
  template <class D>
  HWY_INLINE hn::Vec<D> blocks(D d, size_t first, int c) const {
    if constexpr (hn::MaxLanes(d) <= 2) {
      return hn::LoadU(d, row_at(first) + c);
    } else {
      const hn::Half<D> half;
      return hn::Combine(d, blocks(half, first + hn::MaxLanes(half), c), blocks(half, first, c));
    }
  }
#endif

  const double* table_;
  VI64 row_;
#if !HWY_HAVE_SCALABLE
  struct {
    HWY_ALIGN int64_t lane[hn::MaxLanes(DD())];
  } rows_;
#endif
};

// A table of kRows rows of two doubles. Where both columns fit in four vectors they are held in
// registers and read by permutes; otherwise each look-up loads the rows (TableRows).
template <size_t kRows>
class PairTable {
 public:
  explicit PairTable(const double* rows) : rows_(rows) {
#if !HWY_HAVE_SCALABLE && HWY_TARGET != HWY_SCALAR
    if constexpr (kInRegisters) {
      const DD d;
      hn::LoadInterleaved2(d, rows, lo_[0], lo_[1]);
      hn::LoadInterleaved2(d, rows + 2 * hn::MaxLanes(d), hi_[0], hi_[1]);
    }
#endif
  }

  // Columns 0 and 1 of the rows `row`.
  HWY_INLINE void lookup(VI64 row, VD* first, VD* second) const {
#if !HWY_HAVE_SCALABLE && HWY_TARGET != HWY_SCALAR
    if constexpr (kInRegisters) {
      const DD d;
      const DI64 di;
      const auto at = hn::IndicesFromVec(d, hn::And(row, hn::Set(di, hn::MaxLanes(d) - 1)));
      const auto upper = hn::RebindMask(d, hn::TestBit(row, hn::Set(di, hn::MaxLanes(d))));
      *first = hn::IfThenElse(upper, hn::TableLookupLanes(hi_[0], at),
                              hn::TableLookupLanes(lo_[0], at));
      *second = hn::IfThenElse(upper, hn::TableLookupLanes(hi_[1], at),
                               hn::TableLookupLanes(lo_[1], at));
      return;
    }
#endif
    TableRows<1>(rows_, row).columns(0, first, second);
  }

 private:
#if !HWY_HAVE_SCALABLE && HWY_TARGET != HWY_SCALAR
  static constexpr bool kInRegisters = kRows == 2 * hn::MaxLanes(DD());
  VD lo_[2], hi_[2];  // columns 0 and 1 of the lower and upper half of the rows
#endif
  const double* rows_;
};

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#endif  // LFTM_VECMATH_TABLE_ROWS_INL_H_
