// The tuner's request handlers, without sockets: the token, refused paths and values, stale
// previews, the settings' JSON round trip and the Range Squeezer's 1:1 window.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <memory>

#include "handlers.h"
#include "lftm_host.h"
#include "settings/settings_table.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace lftm_tune {
namespace {

constexpr const char* kToken = "0123456789abcdef0123456789abcdef";

class TuneHandlersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input_ = lftm_test::write_hdr(dir_.file("photo.hdr"), 96, 64);
    auto photo = std::make_unique<Photo>();
    ASSERT_EQ(load_photo(input_, lftm_cli::TiffEncoding::kAuto, 40, photo.get()), 0);
    SessionSetup setup;
    setup.token = kToken;
    setup.paths.input = input_;
    setup.paths.roots = {dir_.path()};
    setup.scratchFolder = dir_.path();
    setup.threads = 2;
    session_ = std::make_unique<TuneSession>(setup, std::move(photo));
  }

  Reply ask(const std::string& method, const std::string& path, FormFields fields = {},
            const char* token = kToken) {
    Request request;
    request.method = method;
    request.path = path;
    request.fields = std::move(fields);
    if (token != nullptr) request.fields["token"] = token;
    return handle_request(session_.get(), request);
  }

  uint64_t generation() {
    int32_t method;
    TmParam params;
    uint64_t g;
    session_->settings(&method, &params, &g);
    return g;
  }

  lftm_test::TempDir dir_;
  std::string input_;
  std::unique_ptr<TuneSession> session_;
};

TEST_F(TuneHandlersTest, EveryRequestNeedsTheToken) {
  for (const char* path : {"/", "/api/settings", "/api/preview", "/api/export"}) {
    EXPECT_EQ(ask("GET", path, {}, nullptr).status, 403) << path;
    EXPECT_EQ(ask("GET", path, {}, "0123456789abcdef0123456789abcdeF").status, 403) << path;
  }
  EXPECT_EQ(ask("POST", "/api/settings", {{"Strength", "10"}}, "").status, 403);
  EXPECT_EQ(generation(), 1u);
  Request request;
  request.method = "GET";
  request.path = "/";
  request.token = kToken;
  const Reply page = handle_request(session_.get(), request);
  EXPECT_EQ(page.status, 200);
  // The page arrives whole: style and script are inside it, needing no request of their own.
  EXPECT_EQ(page.body.find("/*tune.js*/"), std::string::npos);
  EXPECT_NE(page.body.find("/api/preview"), std::string::npos);
}

TEST_F(TuneHandlersTest, BadRequestsAreRefusedAndChangeNothing) {
  const uint64_t before = generation();
  const std::vector<FormFields> bad = {
      {{"Strength", "strong"}},
      {{"Strength", "nan"}},
      {{"Gamma", "0"}},
      {{"Brightness", "1"}},  // a Range Squeezer setting under the Texture Booster
      {{"method", "Blend/Tune"}},
      {{"SmoothingMode", "Heavy"}},
  };
  for (const FormFields& fields : bad) {
    const Reply reply = ask("POST", "/api/settings", fields);
    EXPECT_EQ(reply.status, 400) << fields.begin()->first;
    EXPECT_NE(reply.body.find("\"error\""), std::string::npos);
  }
  EXPECT_EQ(ask("GET", "/api/preview", {{"generation", "x"}}).status, 400);
  EXPECT_EQ(ask("GET", "/api/zoom", {{"x", "96"}, {"y", "0"}}).status, 400);
  EXPECT_EQ(ask("GET", "/api/zoom", {{"x", "-1"}, {"y", "0"}}).status, 400);
  EXPECT_EQ(ask("GET", "/api/export", {{"x", "1"}}).status, 200);
  EXPECT_EQ(ask("DELETE", "/api/settings").status, 405);
  EXPECT_EQ(ask("GET", "/api/nothing").status, 404);
  EXPECT_EQ(generation(), before);
}

TEST_F(TuneHandlersTest, FilesOutsideTheSessionOrOverTheInputAreRefused) {
  const std::string outside = lftm_test::TempDir().path();  // removed again: does not exist
  const std::vector<std::pair<std::string, FormFields>> refused = {
      {"/api/save", {{"path", "/etc/lftm-tune.xmp"}}},
      {"/api/save", {{"path", dir_.path() + "/../lftm-tune.xmp"}}},
      {"/api/save", {{"path", dir_.file("photo.hdr")}}},
      {"/api/save", {{"path", dir_.file("notes.txt")}}},
      {"/api/save", {{"path", outside + "/a.xmp"}}},
      {"/api/load", {{"path", "/etc/passwd"}}},
      {"/api/load", {{"path", dir_.file("missing.xmp")}}},
      {"/api/export", {{"path", input_}}},
      {"/api/export", {{"path", dir_.file("out.png")}}},
      {"/api/export", {{"path", dir_.file("out.jpg")}, {"bits", "16"}}},
      {"/api/export", {{"path", "/tmp/../etc/out.jpg"}}},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(ask("POST", r.first, r.second).status, 400) << r.first << " " << r.second.at("path");
  }
  // A sidecar is written only over a sidecar, never over another file.
  ASSERT_TRUE(lftm_test::write_text(dir_.file("image.xmp"), "not a sidecar\n"));
  EXPECT_EQ(ask("POST", "/api/save", {{"path", dir_.file("image.xmp")}}).status, 400);
  EXPECT_EQ(lftm_test::read_text(dir_.file("image.xmp")), "not a sidecar\n");
  EXPECT_EQ(lftm_test::directory_entries(dir_.path()).size(), 2u);
}

// The value of the setting `name` in the settings JSON, as the page reads it.
std::string value_in(const std::string& json, const std::string& name) {
  size_t at = json.find("\"name\":\"" + name + "\"");
  at = json.find("\"value\":", at) + 8;
  if (json[at] == '"') return json.substr(at + 1, json.find('"', at + 1) - at - 1);
  return json.substr(at, json.find_first_of(",}", at) - at);
}

TEST_F(TuneHandlersTest, SettingsSurviveTheRoundTripThroughThePage) {
  const std::vector<FormFields> pages = {
      {{"method", "Texture Booster"}, {"Strength", "55.5"}, {"Gamma", "1.3"},
       {"WhiteClip", "0.123456"}, {"SmoothingMode", "Slider"}, {"Smoothing", "-3.2"},
       {"360DegreeImage", "Yes"}},
      {{"method", "Texture Booster"}, {"Smoothing", "Low"}, {"Microcontrast", "4"}},
      {{"method", "Range Squeezer"}, {"Brightness", "-2.5"}, {"BlackClip", "0.000321"}},
  };
  for (const FormFields& fields : pages) {
    const Reply first = ask("POST", "/api/settings", fields);
    ASSERT_EQ(first.status, 200) << first.body;
    int32_t method;
    TmParam sent;
    uint64_t g;
    session_->settings(&method, &sent, &g);
    // What the page shows, sent back as it is, is the same block.
    FormFields shown = {{"method", lftm::method_settings(method)->name}};
    const lftm::MethodSettings& table = *lftm::method_settings(method);
    for (const lftm::Setting* s = table.begin; s != table.end; ++s) {
      shown[s->name] = value_in(first.body, s->name);
    }
    ASSERT_EQ(ask("POST", "/api/settings", shown).status, 200);
    TmParam back;
    session_->settings(&method, &back, &g);
    EXPECT_EQ(std::memcmp(&sent, &back, sizeof sent), 0) << first.body;
  }
}

TEST_F(TuneHandlersTest, OnlyTheNewestSettingsAreRendered) {
  const uint64_t old = generation();
  ASSERT_EQ(ask("POST", "/api/settings", {{"Strength", "20"}}).status, 200);
  EXPECT_EQ(ask("GET", "/api/preview", {{"generation", std::to_string(old)}}).status, 409);
  const Reply preview =
      ask("GET", "/api/preview", {{"generation", std::to_string(generation())}});
  ASSERT_EQ(preview.status, 200);
  EXPECT_EQ(preview.type, "image/bmp");
  const Photo& photo = session_->photo();
  // The preview is the reduced copy, within the budget the session was given.
  EXPECT_LE(photo.previewWidth * photo.previewHeight, 40 * 40);
  const size_t rowBytes = (3 * photo.previewWidth + 3) / 4 * 4;
  EXPECT_EQ(preview.body.size(), 54 + rowBytes * photo.previewHeight);
  const Reply histogram =
      ask("GET", "/api/histogram", {{"generation", std::to_string(generation())}});
  EXPECT_EQ(histogram.status, 200);
}

// A cancelled render leaves an incomplete picture; it must come back as cancelled, never as
// a picture or a cached result (the Range Squeezer stops without a code of its own).
TEST_F(TuneHandlersTest, CancelledRendersAreNotTakenForResults) {
  ASSERT_EQ(ask("POST", "/api/settings", {{"method", "Range Squeezer"}}).status, 200);
  session_->stop_renders();
  std::shared_ptr<const Render> render;
  int32_t result = 0;
  ASSERT_TRUE(session_->preview(generation(), &render, &result));
  EXPECT_EQ(result, LFTM_ERR_CANCELLED);
  EXPECT_EQ(ask("GET", "/api/preview", {{"generation", std::to_string(generation())}}).status,
            422);
  // Nor does a stopping session start the full render of a Texture Booster zoom.
  ASSERT_EQ(ask("POST", "/api/settings", {{"method", "Texture Booster"}}).status, 200);
  Picture window;
  bool pending = false;
  EXPECT_FALSE(session_->zoom(10, 10, 16, &window, &pending, &result));
  session_.reset();  // joins no render
}

TEST_F(TuneHandlersTest, SqueezerZoomIsTheWindowOfTheFullResult) {
  ASSERT_EQ(ask("POST", "/api/settings", {{"method", "Range Squeezer"}, {"Contrast", "3"}})
                .status,
            200);
  int32_t method;
  TmParam params;
  uint64_t g;
  session_->settings(&method, &params, &g);
  Picture full;
  ASSERT_EQ(render_squeezer(session_->photo().squeezer_full(), params, 1, &full), 0);
  // Near the right edge: the window is moved inside the image.
  Picture window;
  bool pending = true;
  int32_t result = 0;
  ASSERT_TRUE(session_->zoom(90, 10, 32, &window, &pending, &result));
  EXPECT_FALSE(pending);
  ASSERT_EQ(window.width, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32 * 3; ++x) {
      ASSERT_EQ(window.samples[y * 32 * 3 + x], full.samples[y * 96 * 3 + 64 * 3 + x])
          << x << "," << y;
    }
  }
}

TEST_F(TuneHandlersTest, BoosterZoomIsCutFromTheFullRenderOfTheCurrentSettings) {
  ASSERT_EQ(ask("POST", "/api/settings", {{"Strength", "35"}}).status, 200);
  // The first request starts the full render; the page asks again until it is there.
  EXPECT_EQ(ask("GET", "/api/zoom", {{"x", "10"}, {"y", "60"}, {"size", "16"}}).status, 202);
  Picture window;
  bool pending = true;
  int32_t result = 0;
  for (int i = 0; i < 1000 && pending; ++i) {
    if (!session_->zoom(10, 60, 16, &window, &pending, &result) && pending) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ASSERT_FALSE(pending);
  ASSERT_EQ(result, 16);
  int32_t method;
  TmParam params;
  uint64_t g;
  session_->settings(&method, &params, &g);
  Picture full;
  ASSERT_EQ(render_booster(session_->photo().booster_full(), params, 1, &full), 0);
  // Centred on (10, 60) and moved inside the image: columns 2.., rows 48..
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16 * 3; ++x) {
      ASSERT_EQ(window.samples[y * 16 * 3 + x], full.samples[(48 + y) * 96 * 3 + 2 * 3 + x])
          << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace lftm_tune
