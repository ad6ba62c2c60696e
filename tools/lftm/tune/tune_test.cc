// SPDX-License-Identifier: BSD-3-Clause
// The tuner's request handlers, mostly without sockets: who may ask, refused paths and
// values, stale previews, the settings' JSON round trip and the 1:1 windows; and the server
// itself, under idle connections.
#include <arpa/inet.h>
#include <sys/stat.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <memory>

#include <gtest/gtest.h>

#include "clipping.h"
#include "handlers.h"
#include "lftm_host.h"
#include "setting_words.h"
#include "settings/settings_table.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/temp_dir.h"
#include "tune_server.h"

namespace lftm_tune {
namespace {

constexpr const char* kToken = "0123456789abcdef0123456789abcdef";
constexpr const char* kCode = "fedcba9876543210fedcba9876543210";
constexpr int kPort = 8080;

class TuneHandlersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input_ = lftm_test::write_hdr(dir_.file("photo.hdr"), 96, 64);
    auto photo = std::make_unique<Photo>();
    ASSERT_EQ(load_photo(input_, lftm_cli::TiffEncoding::kAuto, 40, photo.get()), 0);
    SessionSetup setup;
    setup.token = kToken;
    setup.code = kCode;
    ASSERT_EQ(make_path_rules(input_, {}, &setup.paths), "");
    setup.scratchFolder = dir_.path();
    setup.threads = 2;
    session_ = std::make_unique<TuneSession>(setup, std::move(photo));
  }

  // A request as the tuner's page sends it, signed in.
  static Request from_page(const std::string& method, const std::string& path,
                           FormFields fields = {}) {
    Request request;
    request.method = method;
    request.path = path;
    request.fields = std::move(fields);
    request.host = "127.0.0.1:8080";
    request.port = kPort;
    request.cookies = std::string("theme=dark; lftm_tune_8080=") + kToken;
    request.fetchSite = "same-origin";
    if (method == "POST") request.origin = "http://127.0.0.1:8080";
    return request;
  }

  Reply ask(const std::string& method, const std::string& path, FormFields fields = {}) {
    return handle_request(session_.get(), from_page(method, path, std::move(fields)));
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

TEST_F(TuneHandlersTest, OnlyTheSignedInPageOfTheLoopbackServerIsAnswered) {
  // Without the cookie, or with the token anywhere but in it: refused, a page for pages.
  for (const char* path : {"/", "/api/settings", "/api/preview", "/api/export"}) {
    Request request = from_page("GET", path);
    request.cookies = "lftm_tune_8080=0123456789abcdef0123456789abcdeF";
    EXPECT_EQ(handle_request(session_.get(), request).status, 403) << path;
    request.cookies = std::string("lftm_tune_9090=") + kToken;
    request.fields["token"] = kToken;
    EXPECT_EQ(handle_request(session_.get(), request).status, 403) << path;
  }
  Request post = from_page("POST", "/api/settings", {{"Strength", "10"}});
  post.cookies.clear();
  EXPECT_EQ(handle_request(session_.get(), post).status, 403);
  // A navigation that another site started (the opening file's) comes without the cookie:
  // the page asks again by itself, once.
  Request withheld = from_page("GET", "/");
  withheld.cookies.clear();
  withheld.fetchSite = "cross-site";
  EXPECT_NE(handle_request(session_.get(), withheld).body.find("refresh"), std::string::npos);
  withheld.fetchSite = "same-origin";
  EXPECT_EQ(handle_request(session_.get(), withheld).body.find("refresh"), std::string::npos);

  // The one-time code gives the cookie once, and leads to an address without it.
  Request entry = from_page("GET", "/", {{"code", "fedcba9876543210fedcba987654321f"}});
  entry.cookies.clear();
  EXPECT_EQ(handle_request(session_.get(), entry).status, 403);
  entry.fields["code"] = kCode;
  const Reply entered = handle_request(session_.get(), entry);
  ASSERT_EQ(entered.status, 303);
  ASSERT_EQ(entered.headers.size(), 2u);
  EXPECT_EQ(entered.headers[0].second, "/");
  EXPECT_EQ(entered.headers[1].second,
            std::string("lftm_tune_8080=") + kToken + "; Path=/; HttpOnly; SameSite=Strict");
  const Reply again = handle_request(session_.get(), entry);
  EXPECT_EQ(again.status, 403);
  EXPECT_NE(again.body.find("start it again"), std::string::npos);
  OneTimeCode code(kCode, OneTimeCode::Clock::time_point());
  EXPECT_FALSE(code.redeem(kCode, OneTimeCode::Clock::time_point() + std::chrono::seconds(61)));
  EXPECT_TRUE(code.redeem(kCode, OneTimeCode::Clock::time_point() + std::chrono::seconds(59)));

  // Another name for the server (a rebound DNS name) or another port: refused.
  const std::vector<std::pair<std::string, int>> hosts = {
      {"evil.example:8080", 403}, {"127.0.0.1:9090", 403}, {"127.0.0.1", 403}, {"", 403},
      {"[::1]:8080", 200}, {"localhost:8080", 200}};
  for (const auto& host : hosts) {
    Request request = from_page("GET", "/api/settings");
    request.host = host.first;
    EXPECT_EQ(handle_request(session_.get(), request).status, host.second) << host.first;
  }
  // A change or a render asked by another page, even another port of 127.0.0.1: refused.
  for (const char* origin : {"http://evil.example", "http://127.0.0.1:9090", "null", ""}) {
    Request change = from_page("POST", "/api/settings", {{"Strength", "10"}});
    change.origin = origin;
    change.fetchSite = "cross-site";
    EXPECT_EQ(handle_request(session_.get(), change).status, 403) << origin;
    Request render = from_page("GET", "/api/zoom", {{"x", "1"}, {"y", "1"}});
    render.origin = origin;
    render.fetchSite = "same-site";
    EXPECT_EQ(handle_request(session_.get(), render).status, 403) << origin;
  }
  EXPECT_EQ(generation(), 1u);

  const Reply page = ask("GET", "/");
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
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  const std::vector<std::pair<std::string, FormFields>> refused = {
      {"/api/save", {{"path", std::string(cwd) + "/lftm-tune.xmp"}}},
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
  // A relative name is in the photograph's folder, whichever folder the tuner started in.
  EXPECT_EQ(ask("POST", "/api/save", {{"path", "saved.xmp"}}).status, 200);
  EXPECT_EQ(lftm_test::directory_entries(dir_.path()).size(), 3u);

  // Folders named with --output-dir join the photograph's; the root folder never does.
  lftm_test::TempDir more;
  PathRules rules;
  ASSERT_EQ(make_path_rules(input_, {more.path()}, &rules), "");
  ASSERT_EQ(rules.roots.size(), 2u);
  EXPECT_NE(make_path_rules(input_, {"/"}, &rules), "");
  EXPECT_NE(make_path_rules(input_, {outside}, &rules), "");
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
  const Photo& photo = *session_->photo();
  // The preview is the reduced copy, within the budget the session was given.
  EXPECT_LE(photo.previewWidth * photo.previewHeight, 40 * 40);
  const size_t rowBytes = (3 * photo.previewWidth + 3) / 4 * 4;
  EXPECT_EQ(preview.body.size(), 54 + rowBytes * photo.previewHeight);
  const Reply histogram =
      ask("GET", "/api/histogram", {{"generation", std::to_string(generation())}});
  EXPECT_EQ(histogram.status, 200);
}

// The coarse previews of a drag and the fine ones are cached apart: a fine request after a
// coarse one of the same settings must not get the coarse picture.
TEST_F(TuneHandlersTest, CoarseAndFinePreviewsAreKeptApart) {
  // A photograph large enough for a coarse copy smaller than its preview.
  const std::string larger = lftm_test::write_hdr(dir_.file("larger.hdr"), 300, 200);
  auto photo = std::make_unique<Photo>();
  ASSERT_EQ(load_photo(larger, lftm_cli::TiffEncoding::kAuto, 160, photo.get()), 0);
  session_->switch_photo(std::move(photo), larger);
  ASSERT_EQ(ask("POST", "/api/settings", {{"Strength", "25"}}).status, 200);
  const std::string g = std::to_string(generation());
  const Reply coarse = ask("GET", "/api/preview", {{"generation", g}, {"quality", "coarse"}});
  const Reply fine = ask("GET", "/api/preview", {{"generation", g}});
  ASSERT_EQ(coarse.status, 200) << coarse.body;
  ASSERT_EQ(fine.status, 200) << fine.body;
  EXPECT_LT(coarse.body.size(), fine.body.size());
  EXPECT_EQ(ask("GET", "/api/preview", {{"generation", g}, {"quality", "coarse"}}).body,
            coarse.body);
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
  ASSERT_EQ(render_photo(session_->photo()->whole, method, params, RenderRun(), &full), 0);
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
  ASSERT_EQ(render_photo(session_->photo()->whole, method, params, RenderRun(), &full), 0);
  // Centred on (10, 60) and moved inside the image: columns 2.., rows 48..
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16 * 3; ++x) {
      ASSERT_EQ(window.samples[y * 16 * 3 + x], full.samples[(48 + y) * 96 * 3 + 2 * 3 + x])
          << x << "," << y;
    }
  }
}

// The export runs in the tuner and must write the file the command line writes for the
// settings of its sidecar, byte for byte; its progress ends at 1.
TEST_F(TuneHandlersTest, ExportWritesTheCommandLinesFile) {
  ASSERT_EQ(ask("POST", "/api/settings", {{"Strength", "33.3"}}).status,
            200);
  const std::string exported = dir_.file("exported.jpg");
  ASSERT_EQ(ask("POST", "/api/export", {{"path", exported}}).status, 202);
  ExportStatus status = session_->exports().status();
  for (int i = 0; i < 3000 && !status.finished; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    status = session_->exports().status();
  }
  ASSERT_TRUE(status.succeeded) << status.message;
  EXPECT_EQ(status.fraction, 1.0);
  const std::string byTool = dir_.file("tool.jpg");
  const std::string command = std::string(LFTM_TOOL_PATH) + " --settings " +
                              dir_.file("export.xmp") + " --bits 8 " + input_ + " " + byTool +
                              " > /dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::vector<uint8_t> ours = lftm_test::read_file(exported);
  ASSERT_FALSE(ours.empty());
  EXPECT_TRUE(ours == lftm_test::read_file(byTool));
}

// A folder of photographs: only what the library reads is listed and may be opened or
// thumbnailed; switching keeps the settings; Export all writes NAME.jpg for each photograph,
// and follows the tool's rules for files that exist or that are photographs themselves.
TEST_F(TuneHandlersTest, FolderPhotosSwitchAndExportAll) {
  lftm_test::write_hdr(dir_.file("second.hdr"), 48, 32, 7);
  ASSERT_TRUE(lftm_test::write_file(dir_.file("notes.hdr"), {'n', 'o'}));
  ASSERT_TRUE(lftm_test::write_file(dir_.file("old.jpg"), {0xff, 0xd8}));
  EXPECT_EQ(session_->folder().files(), (std::vector<std::string>{"photo.hdr", "second.hdr"}));
  for (const std::string name : {"notes.hdr", "../photo.hdr", "old.jpg", ".", ""}) {
    EXPECT_EQ(ask("GET", "/api/thumbnail", {{"file", name}}).status, 404) << name;
    EXPECT_EQ(ask("POST", "/api/open", {{"file", name}}).status, 400) << name;
  }
  const std::string cut("photo.hdr\0.hdr", 14);  // the system would read up to the NUL
  EXPECT_EQ(ask("GET", "/api/thumbnail", {{"file", cut}}).status, 404);
  EXPECT_EQ(ask("GET", "/api/thumbnail", {{"file", "second.hdr"}}).type, "image/bmp");
  // However many photographs the strip shows, the thumbnails kept stay bounded.
  PhotoFolder few(dir_.path(), 0, 1);
  std::shared_ptr<const Picture> thumbnail;
  for (const char* name : {"photo.hdr", "second.hdr", "photo.hdr"}) {
    EXPECT_EQ(few.thumbnail(name, &thumbnail), 0) << name;
  }
  EXPECT_EQ(few.thumbnails_kept(), 1u);
  // Requests for a thumbnail at once decode its photograph once, not once each.
  ASSERT_EQ(mkdir(dir_.file("large").c_str(), 0700), 0);
  lftm_test::write_hdr(dir_.file("large/large.hdr"), 1200, 800);
  PhotoFolder shared(dir_.file("large"), 0);
  std::vector<std::shared_ptr<const Picture>> got(6);
  std::vector<std::thread> askers;
  std::atomic<bool> go(false);
  for (auto& picture : got) {
    askers.emplace_back([&shared, &picture, &go] {
      while (!go.load()) std::this_thread::yield();
      shared.thumbnail("large.hdr", &picture);
    });
  }
  go.store(true);
  for (std::thread& asker : askers) asker.join();
  for (const auto& picture : got) EXPECT_EQ(picture, got[0]);

  ASSERT_EQ(ask("POST", "/api/settings", {{"Strength", "33"}}).status, 200);
  const uint64_t before = generation();
  const Reply opened = ask("POST", "/api/open", {{"file", "second.hdr"}});
  ASSERT_EQ(opened.status, 200);
  EXPECT_NE(opened.body.find("\"width\":48"), std::string::npos);
  EXPECT_GT(generation(), before);
  EXPECT_EQ(session_->photo()->full.width, 48);
  int32_t method;
  TmParam params;
  uint64_t g;
  session_->settings(&method, &params, &g);
  EXPECT_EQ(params.tmParam[1], 33.0f);

  // A file lftm did not write is replaced only when asked to.
  ASSERT_EQ(mkdir(dir_.file("out").c_str(), 0700), 0);
  ASSERT_TRUE(lftm_test::write_file(dir_.file("out/photo.jpg"), {'x'}));
  EXPECT_EQ(ask("POST", "/api/export-all", {{"folder", "out"}}).status, 409);
  ASSERT_EQ(ask("POST", "/api/export-all", {{"folder", "out"}, {"overwrite", "1"}}).status, 202);
  ExportStatus status = session_->exports().status();
  for (int i = 0; i < 3000 && !status.finished; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    status = session_->exports().status();
  }
  ASSERT_TRUE(status.succeeded) << status.message;
  EXPECT_EQ(status.total, 2);
  EXPECT_GT(lftm_test::read_file(dir_.file("out/photo.jpg")).size(), 100u);
  EXPECT_FALSE(lftm_test::read_file(dir_.file("out/second.jpg")).empty());
  // 16 bits into the photographs' own folder: second.tif would replace a photograph.
  lftm_test::TiffLayout layout;
  layout.width = layout.height = 8;
  ASSERT_TRUE(lftm_test::write_tiff(dir_.file("second.tif"), layout,
                                    [](int, int, int) { return 1000.0; }));
  const Reply refused = ask("POST", "/api/export-all", {{"folder", ""}, {"bits", "16"}});
  EXPECT_EQ(refused.status, 400);
  EXPECT_NE(refused.body.find("second.tif"), std::string::npos) << refused.body;
}

// The settings in words: a setting the tuner has no words for would show its sidecar name.
TEST(TuneSettingWords, EverySettingOfBothMethodsHasWords) {
  for (int32_t method : {LFTM_METHOD_TEXTURE_BOOSTER, LFTM_METHOD_RANGE_SQUEEZER}) {
    for (int32_t i = 0; i < lftm_settings_count(method); ++i) {
      lftm_setting_info info;
      info.struct_size = sizeof info;
      ASSERT_EQ(lftm_setting_describe(method, i, &info), 0);
      const SettingWords* words = setting_words(info.name);
      ASSERT_NE(words, nullptr) << info.name;
      EXPECT_NE(std::string(words->help), "") << info.name;
      EXPECT_NE(std::string("tone detail colour advanced").find(words->group),
                std::string::npos)
          << info.name;
    }
  }
}

// Clipped pixels: a channel at 255 is clipped to white, else a channel at 0 to black, in
// colour and in grey pictures alike.
TEST(TuneClipping, WarningsAndSharesAgree) {
  Picture colour;
  colour.width = 4;
  colour.height = 1;
  colour.samples = {255, 10, 10, 0, 0, 0, 40, 0, 90, 50, 60, 70};
  const ClipShares shares = clip_shares(colour);
  EXPECT_DOUBLE_EQ(shares.white, 0.25);
  EXPECT_DOUBLE_EQ(shares.black, 0.5);
  const Picture painted = with_clipping_warning(colour);
  EXPECT_EQ(painted.samples, (std::vector<uint8_t>{255, 0, 0, 0, 64, 255, 0, 64, 255, 50, 60,
                                                   70}));
  Picture grey;
  grey.width = 3;
  grey.height = 1;
  grey.spp = 1;
  grey.samples = {0, 128, 255};
  EXPECT_DOUBLE_EQ(clip_shares(grey).white, 1.0 / 3);
  EXPECT_EQ(with_clipping_warning(grey).samples,
            (std::vector<uint8_t>{0, 64, 255, 128, 128, 128, 255, 0, 0}));
}

int connect_to(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Sends `request` on a new connection and returns the answer's head, "" when none came
// within `limit`.
std::string exchange(int port, const std::string& request, std::chrono::milliseconds limit) {
  const int fd = connect_to(port);
  if (fd < 0 || send(fd, request.data(), request.size(), 0) < 0) return "";
  const auto end = std::chrono::steady_clock::now() + limit;
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    pollfd p = {fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) != 1) break;
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    head.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return head.substr(0, head.find("\r\n\r\n"));
}

// Connections that send nothing must not keep the page waiting; and the server hands the
// headers that decide access to the handlers, and the cookie back to the browser.
TEST_F(TuneHandlersTest, TheServerAnswersThePageBesideIdleConnections) {
  TuneServer server(session_.get());
  ASSERT_EQ(server.start(0), "");
  const std::string host = "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
  std::vector<int> idle;
  for (int i = 0; i < 50; ++i) idle.push_back(connect_to(server.port()));
  const auto start = std::chrono::steady_clock::now();
  const std::string entered =
      exchange(server.port(), std::string("GET /?code=") + kCode + " HTTP/1.1\r\n" + host +
                                  "Connection: close\r\n\r\n",
               std::chrono::seconds(3));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  for (int fd : idle) close(fd);
  EXPECT_EQ(entered.compare(0, 12, "HTTP/1.1 303"), 0) << entered;
  const std::string cookie = "lftm_tune_" + std::to_string(server.port()) + "=" + kToken;
  EXPECT_NE(entered.find("Set-Cookie: " + cookie), std::string::npos) << entered;
  for (const std::string& asked : {host, std::string("Host: evil.example\r\n")}) {
    const std::string reply =
        exchange(server.port(), "GET /api/settings HTTP/1.1\r\n" + asked + "Cookie: " + cookie +
                                    "\r\nConnection: close\r\n\r\n",
                 std::chrono::seconds(3));
    EXPECT_EQ(reply.compare(0, 12, asked == host ? "HTTP/1.1 200" : "HTTP/1.1 403"), 0)
        << reply;
  }
  server.stop();
}

}  // namespace
}  // namespace lftm_tune
