// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include "lftm.h"

namespace {

TEST(ParamsTest, BoosterDefaultsAndVariant) {
  TmParam p;
  ASSERT_EQ(tmparam_default(1, 0, &p), 1);
  const float expected[20] = {0, 70, 46, 0.25f, 0, 1, 0, 2, 50, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  for (int i = 0; i < 20; ++i) EXPECT_EQ(p.tmParam[i], expected[i]) << "slot " << i;
  TmParam v;
  tmparam_default(1, 5, &v);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(v.tmParam[i], i == 1 ? 40.0f : expected[i]);
  tmparam_default(1, -3, &v);
  EXPECT_EQ(v.tmParam[1], 70.0f);
}

TEST(ParamsTest, OtherMethodsClearEverySlot) {
  for (int type : {0, 2, 10, 11, 99}) {
    TmParam p;
    for (float& s : p.tmParam) s = 7;
    EXPECT_EQ(tmparam_default(type, 0, &p), 1);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(p.tmParam[i], (type == 11 && i == 2) ? 40.0f : 0.0f);
  }
}

TEST(ParamsTest, RunRecordResetKeepsFifthScratchPath) {
  TmFiles f;
  f.threads = 4;
  f.readFromDisk = 1;
  f.inFile = f.scratch1 = f.scratch2 = f.scratch3 = f.scratch4 = "x";
  f.scratch5 = "keep";
  EXPECT_EQ(init_optim_param(&f), 1);
  EXPECT_EQ(f.threads, 0);
  EXPECT_EQ(f.readFromDisk, 0);
  EXPECT_EQ(f.inFile, nullptr);
  EXPECT_EQ(f.scratch4, nullptr);
  EXPECT_STREQ(f.scratch5, "keep");
}

TEST(ParamsTest, LayoutResetAndMemoryHelpers) {
  ImageDesc d;
  d.width = d.height = d.rowSamples = d.rowStride = d.bgr = d.planes = 9;
  EXPECT_EQ(init_dim_param(&d), 1);
  EXPECT_EQ(d.width, 0);
  EXPECT_EQ(d.spp, 3);
  EXPECT_EQ(d.spare, 8);
  EXPECT_EQ(d.bits, 8);
  EXPECT_EQ(d.planes, 0);

  EXPECT_EQ(verif_mem(1 << 20), 1);
  EXPECT_EQ(verif_mem(-1), -4);
  const char src[] = "abcdef";
  char dst[7] = {};
  EXPECT_EQ(copie_mem(src, 7, dst), 1);
  EXPECT_STREQ(dst, "abcdef");
}

}  // namespace
