#include "platform/sibling_loader.h"

#include <gtest/gtest.h>

namespace lftm {
namespace {

TEST(SiblingLoaderTest, MapsHostNamesToSharedObjects) {
  EXPECT_EQ(sibling_file_name("Lumenforge_Tiff.dll"), "libLumenforge_Tiff.so");
  EXPECT_EQ(sibling_file_name("lfexr.DLL"), "liblfexr.so");
  EXPECT_EQ(sibling_file_name("plain"), "libplain.so");
}

TEST(SiblingLoaderTest, MissingLibraryAndEntryGiveNull) {
  EXPECT_EQ(sibling_open("No_Such_Library_Of_Ours.dll"), nullptr);
  EXPECT_EQ(sibling_symbol(nullptr, "infotif"), nullptr);
  sibling_close(nullptr);
  EXPECT_FALSE(library_directory().empty());
}

}  // namespace
}  // namespace lftm
