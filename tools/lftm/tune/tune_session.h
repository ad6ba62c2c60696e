// SPDX-License-Identifier: BSD-3-Clause
// One tuning session: the photograph (one of a folder's, which the page may switch between),
// the settings the page shows, the renders made from them and the export in progress. Every
// method may be called from any server thread.
#ifndef LFTM_TOOLS_TUNE_TUNE_SESSION_H_
#define LFTM_TOOLS_TUNE_TUNE_SESSION_H_

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "export_job.h"
#include "lftm.h"
#include "one_time_code.h"
#include "photo.h"
#include "photo_folder.h"
#include "render.h"
#include "user_paths.h"

namespace lftm_tune {

struct SessionSetup {
  std::string token;                  // the value of the session's cookie
  std::string code;                   // the one-time code that gives the cookie
  PathRules paths;                    // paths.input: the photograph the session opens with
  int32_t tiffInput = 0;              // how exports read a TIFF (lftm_options.tiff_input)
  lftm_cli::TiffEncoding tiff = lftm_cli::TiffEncoding::kAuto;  // the same, for the tool
  int32_t previewSide = kPreviewSide; // of the photographs the page switches to
  std::string scratchFolder;          // private folder for the export's sidecar
  int32_t threads = 0;                // 0: every core
  bool verbose = false;               // the library's lines of the renders on the terminal
};

// A finished render of the settings of one generation.
struct Render {
  uint64_t generation = 0;
  int32_t code = 0;  // the library's result; the picture is empty when negative (a failed
                     // preview is kept too, so that asking why does not render it again)
  Picture picture;
  std::vector<int32_t> histogram;  // histo4preview of the picture (1024 counters)
};

class TuneSession {
 public:
  TuneSession(SessionSetup setup, std::unique_ptr<Photo> photo);
  ~TuneSession();
  TuneSession(const TuneSession&) = delete;
  TuneSession& operator=(const TuneSession&) = delete;

  const SessionSetup& setup() const { return setup_; }
  // The photograph shown now, kept alive for the caller across a switch.
  std::shared_ptr<const Photo> photo();
  // The path rules, with the photograph shown now as their input.
  PathRules paths();
  // The HDR photographs of the photograph's folder.
  PhotoFolder& folder() { return folder_; }
  // Shows `photo` (read from `path`) with the current settings; renders of the previous one
  // become stale.
  void switch_photo(std::unique_ptr<Photo> photo, const std::string& path);
  // The one-time code, issued when the session was made.
  OneTimeCode& entry_code() { return entryCode_; }

  // The settings and their generation, which grows with every change.
  void settings(int32_t* method, TmParam* params, uint64_t* generation);
  // Replaces the settings; returns the new generation.
  uint64_t set_settings(int32_t method, const TmParam& params);

  // The preview of `generation`, from the coarse copy when `coarse`: false when newer
  // settings came meanwhile (the render is stale: skipped, or cancelled when it was running).
  // Returns the library's code in *result.
  bool preview(uint64_t generation, std::shared_ptr<const Render>* render, int32_t* result,
               bool coarse = false);
  // The photograph before tone mapping, at the preview's size.
  std::shared_ptr<const Picture> before();

  // A 1:1 window of the result around (x, y) of the full image, at most `size` square.
  // Range Squeezer: computed for the window. Texture Booster: cut from a full render of the
  // current settings; while that runs, returns false (*pending set) and starts it if needed.
  bool zoom(int32_t x, int32_t y, int32_t size, Picture* window, bool* pending,
            int32_t* result);

  ExportJob& exports() { return export_; }

  // Cancels the renders that run and starts no full render any more: the server is stopping.
  void stop_renders();

 private:
  void full_render(std::shared_ptr<const Photo> photo, uint64_t generation, int32_t method,
                   TmParam params);
  // The session's threads and verbosity, cancelled by *stop.
  RenderRun render_run(const volatile int32_t* stop) const;

  SessionSetup setup_;
  std::shared_ptr<const Photo> photo_;
  PhotoFolder folder_;
  OneTimeCode entryCode_;
  std::mutex mutex_;         // photo_, setup_.paths.input, settings, generation, cached
                             // renders, stopping_
  std::mutex renderMutex_;   // one preview render at a time
  // Set (atomically) to cancel the running preview or full render: every settings change
  // makes them stale.
  volatile int32_t previewStop_ = 0;
  volatile int32_t fullStop_ = 0;
  bool stopping_ = false;
  int32_t method_ = LFTM_METHOD_TEXTURE_BOOSTER;
  TmParam params_;
  uint64_t generation_ = 1;
  std::shared_ptr<const Render> lastPreview_[2];  // the last preview, fine and coarse
  std::shared_ptr<const Picture> before_;
  std::shared_ptr<const Render> fullRender_;
  bool fullRunning_ = false;
  std::thread fullThread_;
  ExportJob export_;
};

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_TUNE_SESSION_H_
