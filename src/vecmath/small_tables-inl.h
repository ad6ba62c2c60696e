// SPDX-License-Identifier: BSD-3-Clause
// The kernels' small tables (16 or 32 entries a column), once per target (see
// vector_lanes-inl.h). Where a column fills two or four vectors it is held in registers and read
// by permutes; otherwise each look-up loads the rows of its lanes (TableRows).
#if defined(LFTM_VECMATH_SMALL_TABLES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef LFTM_VECMATH_SMALL_TABLES_INL_H_
#undef LFTM_VECMATH_SMALL_TABLES_INL_H_
#else
#define LFTM_VECMATH_SMALL_TABLES_INL_H_
#endif

#include <cstddef>
#include <cstdint>

#include "hwy/highway.h"
#include "vecmath/table_rows-inl.h"
#include "vecmath/vector_lanes-inl.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {

#if !HWY_HAVE_SCALABLE && HWY_TARGET != HWY_SCALAR
constexpr size_t kLanes = hn::MaxLanes(DD());

// Whether a column of kRows entries is held in registers: on targets of eight lanes or more,
// where it fills two or four vectors (fewer lanes would take too many permutes).
template <size_t kRows>
constexpr bool in_registers() {
  return kLanes >= 8 && (kRows == 2 * kLanes || kRows == 4 * kLanes);
}

// Entry `row` (below 2 * kLanes) of the table whose entries are lo's lanes, then hi's.
HWY_INLINE VD two_vector_lookup(VD lo, VD hi, VI64 row) {
#if HWY_COMPILER_GCC_ACTUAL
  // GCC's own vector shuffle of two sources: a single permute where the target has one.
  return VD{__builtin_shuffle(lo.raw, hi.raw, row.raw)};
#else
  const DD d;
  const DI64 di;
  const auto at = hn::IndicesFromVec(d, hn::And(row, hn::Set(di, kLanes - 1)));
  return hn::IfThenElse(hn::RebindMask(d, hn::TestBit(row, hn::Set(di, kLanes))),
                        hn::TableLookupLanes(hi, at), hn::TableLookupLanes(lo, at));
#endif
}

// A column of kRows entries in registers (in_registers<kRows>() only).
template <size_t kRows>
class RegisterColumn {
 public:
  RegisterColumn() = default;
  explicit RegisterColumn(const double* entries) {
    for (size_t v = 0; v < kVectors; ++v) part_[v] = hn::LoadU(DD(), entries + v * kLanes);
  }
  VD& part(size_t v) { return part_[v]; }

  HWY_INLINE VD lookup(VI64 row) const {
    const VD low = two_vector_lookup(part_[0], part_[1], row);
    if (kVectors == 2) return low;
    const VD high = two_vector_lookup(part_[2], part_[3], row);
    return hn::IfThenElse(hn::RebindMask(DD(), hn::TestBit(row, hn::Set(DI64(), 2 * kLanes))),
                          high, low);
  }

 private:
  static constexpr size_t kVectors = kRows / kLanes;
  VD part_[kVectors == 4 ? 4 : 2];
};
#else
template <size_t kRows>
constexpr bool in_registers() {
  return false;
}

template <size_t kRows>
struct RegisterColumn {};
#endif

// A table of kRows rows of two doubles.
template <size_t kRows>
class PairTable {
 public:
  explicit PairTable(const double* rows) : rows_(rows) {
    if constexpr (in_registers<kRows>()) {
      const DD d;
      for (size_t v = 0; v < kRows / hn::Lanes(d); ++v) {
        hn::LoadInterleaved2(d, rows + 2 * v * hn::Lanes(d), first_.part(v), second_.part(v));
      }
    }
  }

  // Columns 0 and 1 of the rows `row`.
  HWY_INLINE void lookup(VI64 row, VD* first, VD* second) const {
    if constexpr (in_registers<kRows>()) {
      *first = first_.lookup(row);
      *second = second_.lookup(row);
    } else {
      TableRows<1>(row).columns(rows_, 0, first, second);
    }
  }

 private:
  const double* rows_;
  RegisterColumn<kRows> first_, second_;
};

// A table of kRows doubles.
template <size_t kRows>
class ColumnTable {
 public:
  explicit ColumnTable(const double* entries) : entries_(entries) {
    if constexpr (in_registers<kRows>()) column_ = RegisterColumn<kRows>(entries);
  }

  HWY_INLINE VD lookup(VI64 row) const {
    if constexpr (in_registers<kRows>()) {
      return column_.lookup(row);
    } else {
      return TableRows<0>(row).column(entries_, 0);
    }
  }

 private:
  const double* entries_;
  RegisterColumn<kRows> column_;
};

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#endif  // LFTM_VECMATH_SMALL_TABLES_INL_H_
