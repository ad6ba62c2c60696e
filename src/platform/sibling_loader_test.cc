// SPDX-License-Identifier: BSD-3-Clause
#include "platform/sibling_loader.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/diag_capture.h"
#include "support/files.h"
#include "support/temp_dir.h"

extern char** environ;

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

#ifdef LFTM_UNVERSIONED_PLUGIN
// The private copy of a sibling library as the loader would find it; empty when none is built.
std::string private_copy(const char* dll_name) {
  for (const std::string& folder : plugin_folders()) {
    const std::string path = folder + sibling_file_name(dll_name);
    if (lftm_test::file_exists(path)) return path;
  }
  return std::string();
}

// Runs one test of this binary in a new process whose environment also holds `extra`, and
// says whether that test ran and passed.
bool run_alone(const std::string& test, const std::vector<std::string>& extra,
               const std::string& log) {
  std::vector<std::string> args = {"/proc/self/exe", "--gtest_also_run_disabled_tests",
                                   "--gtest_filter=" + test};
  std::vector<std::string> env(extra);
  for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  for (std::string& e : env) envp.push_back(e.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
    waitpid(pid, &status, 0);
  }
  posix_spawn_file_actions_destroy(&actions);
  const bool passed = lftm_test::read_text(log).find("[  PASSED  ] 1 test") != std::string::npos;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && passed;
}

// Run by PrivateCopyWinsOverSearchPath with a decoy first on LD_LIBRARY_PATH: a library of the
// JPEG writer's file name that has no LFwritejpg.
TEST(SiblingLoaderTest, DISABLED_DecoyOnSearchPath) {
  void* decoy = dlopen("libLumenforge32_jpg.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(decoy, nullptr) << "the search path does not reach the decoy";
  ASSERT_EQ(dlsym(decoy, "LFwritejpg"), nullptr) << "the search path gives the real writer";
  void* writer = sibling_open("Lumenforge32_jpg.dll");
  ASSERT_NE(writer, nullptr);
  EXPECT_NE(sibling_symbol(writer, "LFwritejpg"), nullptr) << "the decoy was taken";
  sibling_close(writer);
  dlclose(decoy);
}

TEST(SiblingLoaderTest, PrivateCopyWinsOverSearchPath) {
  const std::string tiffReader = private_copy("Lumenforge_Tiff.dll");
  ASSERT_FALSE(tiffReader.empty());
  ASSERT_FALSE(private_copy("Lumenforge32_jpg.dll").empty());
  lftm_test::TempDir dir;
  ASSERT_TRUE(lftm_test::write_file(dir.file("libLumenforge32_jpg.so"),
                                    lftm_test::read_file(tiffReader)));
  EXPECT_TRUE(run_alone("SiblingLoaderTest.DISABLED_DecoyOnSearchPath",
                        {"LD_LIBRARY_PATH=" + dir.path()}, dir.file("child.log")))
      << lftm_test::read_text(dir.file("child.log"));
}

TEST(SiblingLoaderTest, PrivateCopyNeedsTheVersionEntry) {
  lftm_test::TempDir dir;
  const std::string folder = dir.path() + "/";
  bool found = false;
  // A JPEG writer built before the version entry existed.
  ASSERT_TRUE(lftm_test::write_file(dir.file("libLumenforge32_jpg.so"),
                                    lftm_test::read_file(LFTM_UNVERSIONED_PLUGIN)));
  {
    lftm_test::DiagCapture diag;
    EXPECT_EQ(sibling_open_private(folder, "Lumenforge32_jpg.dll", &found), nullptr);
    EXPECT_TRUE(found);
    EXPECT_NE(diag.out().find("no version entry"), std::string::npos) << diag.out();
  }
  // A plug-in of this build, in the same place, is taken.
  ASSERT_TRUE(lftm_test::write_file(dir.file("libLumenforge_Tiff.so"),
                                    lftm_test::read_file(private_copy("Lumenforge_Tiff.dll"))));
  void* reader = sibling_open_private(folder, "Lumenforge_Tiff.dll", &found);
  EXPECT_NE(reader, nullptr);
  sibling_close(reader);
  EXPECT_EQ(sibling_open_private(folder, "lfexr.dll", &found), nullptr);
  EXPECT_FALSE(found);
}
#endif  // LFTM_UNVERSIONED_PLUGIN

}  // namespace
}  // namespace lftm
