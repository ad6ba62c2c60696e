// SPDX-License-Identifier: BSD-3-Clause
#include "handlers.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include "access_token.h"
#include "bmp_image.h"
#include "clipping.h"
#include "file_guard.h"
#include "lftm_host.h"
#include "messages.h"
#include "options.h"
#include "page_assets.h"
#include "request_guard.h"
#include "run_settings.h"

namespace lftm_tune {
namespace {

Reply json_reply(int status, const std::string& body) {
  Reply reply;
  reply.status = status;
  reply.body = body;
  return reply;
}

Reply error_reply(int status, const std::string& message) {
  return json_reply(status, "{\"error\":" + json_string(message) + "}");
}

Reply picture_reply(const Picture& picture) {
  Reply reply;
  reply.type = "image/bmp";
  reply.body = bmp_file(picture);
  return reply;
}

std::string field(const Request& request, const std::string& name) {
  auto found = request.fields.find(name);
  return found == request.fields.end() ? std::string() : found->second;
}

// Reads the whole-number field `name` into *value (kept when the field is absent and
// `optional`). Returns "" or what is wrong.
std::string int_field(const Request& request, const std::string& name, long low, long high,
                      bool optional, long* value) {
  auto found = request.fields.find(name);
  if (found == request.fields.end()) return optional ? "" : name + " is missing";
  const std::string& text = found->second;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < low || v > high) {
    return name + " takes a whole number from " + std::to_string(low) + " to " +
           std::to_string(high) + ", not \"" + text + "\"";
  }
  *value = v;
  return "";
}

std::string library_failure(int32_t code) {
  return std::string("the tone mapping failed: ") + lftm_cli::describe_code(code) + " (" +
         std::to_string(code) + ")";
}

// The settings as the page shows them, with their generation and the notes of the change.
Reply settings_reply(TuneSession* session, const std::vector<std::string>& notes) {
  int32_t method;
  TmParam params;
  uint64_t generation;
  session->settings(&method, &params, &generation);
  const std::shared_ptr<const Photo> photo = session->photo();
  std::string list;
  for (const std::string& note : notes) list += (list.empty() ? "" : ",") + json_string(note);
  const std::string fields = settings_json(method, params);
  return json_reply(200, "{\"generation\":" + std::to_string(generation) + ",\"width\":" +
                             std::to_string(photo->full.width) + ",\"height\":" +
                             std::to_string(photo->full.height) + ",\"previewWidth\":" +
                             std::to_string(photo->previewWidth) + ",\"previewHeight\":" +
                             std::to_string(photo->previewHeight) + ",\"file\":" +
                             json_string(session->paths().input) + ",\"notes\":[" + list + "]," +
                             fields.substr(1));
}

Reply change_settings(TuneSession* session, const Request& request) {
  int32_t method;
  TmParam params;
  uint64_t generation;
  session->settings(&method, &params, &generation);
  std::vector<std::string> notes;
  const std::string problem = settings_from_form(request.fields, &method, &params, &notes);
  if (!problem.empty()) return error_reply(400, problem);
  session->set_settings(method, params);
  return settings_reply(session, notes);
}

Reply reset_settings(TuneSession* session, const Request& request) {
  int32_t method;
  TmParam params;
  uint64_t generation;
  session->settings(&method, &params, &generation);
  const std::string named = field(request, "method");
  if (!named.empty()) method = method_of(named);
  if (method == 0) return error_reply(400, "method takes Texture Booster or Range Squeezer");
  tmparam_default(method, 0, &params);
  session->set_settings(method, params);
  return settings_reply(session, {});
}

// A picture, with clipped pixels painted when the page asks for the warning.
Reply shown_picture(const Request& request, const Picture& picture) {
  if (field(request, "clipping") == "1") return picture_reply(with_clipping_warning(picture));
  return picture_reply(picture);
}

Reply histogram_reply(uint64_t generation, const Render& render) {
  std::string counts;
  for (int32_t c : render.histogram) counts += (counts.empty() ? "" : ",") + std::to_string(c);
  const ClipShares clipped = clip_shares(render.picture);
  return json_reply(200, "{\"generation\":" + std::to_string(generation) + ",\"counts\":[" +
                             counts + "],\"clippedWhite\":" + std::to_string(clipped.white) +
                             ",\"clippedBlack\":" + std::to_string(clipped.black) + "}");
}

// The preview render of the generation the page asks for (quality=coarse: from the coarse
// copy); 409 once newer settings came.
Reply preview_or_histogram(TuneSession* session, const Request& request, bool histogram) {
  if (!histogram && field(request, "view") == "before") {
    return shown_picture(request, *session->before());
  }
  long generation = 0;
  std::string problem = int_field(request, "generation", 1, 0x7fffffffL, false, &generation);
  if (!problem.empty()) return error_reply(400, problem);
  const bool coarse = field(request, "quality") == "coarse";
  std::shared_ptr<const Render> render;
  int32_t result = 0;
  if (!session->preview(static_cast<uint64_t>(generation), &render, &result, coarse)) {
    return error_reply(409, "newer settings replaced these");
  }
  if (result < 0) return error_reply(422, library_failure(result));
  if (histogram) return histogram_reply(static_cast<uint64_t>(generation), *render);
  return shown_picture(request, render->picture);
}

Reply zoom(TuneSession* session, const Request& request) {
  const std::shared_ptr<const Photo> photo = session->photo();
  long x = 0, y = 0, size = 256;
  std::string problem = int_field(request, "x", 0, photo->full.width - 1, false, &x);
  if (problem.empty()) problem = int_field(request, "y", 0, photo->full.height - 1, false, &y);
  if (problem.empty()) problem = int_field(request, "size", 16, 1024, true, &size);
  if (!problem.empty()) return error_reply(400, problem);
  Picture window;
  bool pending = false;
  int32_t result = 0;
  if (session->zoom(static_cast<int32_t>(x), static_cast<int32_t>(y),
                    static_cast<int32_t>(size), &window, &pending, &result)) {
    return shown_picture(request, window);
  }
  if (pending) return json_reply(202, "{\"pending\":\"rendering the whole image\"}");
  return error_reply(422, library_failure(result));
}

Reply load_sidecar(TuneSession* session, const Request& request) {
  std::string path;
  std::string problem = sidecar_to_read(session->paths(), field(request, "path"), &path);
  if (!problem.empty()) return error_reply(400, problem);
  lftm_cli::CliOptions options;
  options.settingsIn = path;
  TmParam params;
  std::vector<std::string> notes;
  problem = lftm_cli::build_settings(&options, &params, &notes);
  if (!problem.empty()) return error_reply(400, problem);
  session->set_settings(options.method, params);
  return settings_reply(session, notes);
}

Reply save_sidecar(TuneSession* session, const Request& request) {
  std::string path;
  std::string problem = sidecar_to_write(session->paths(), field(request, "path"), &path);
  if (!problem.empty()) return error_reply(400, problem);
  int32_t method;
  TmParam params;
  uint64_t generation;
  session->settings(&method, &params, &generation);
  const int32_t saved = lftm_save_settings(path.c_str(), method, &params, 0);
  if (saved < 0) {
    return error_reply(saved == LFTM_ERR_NOT_SIDECAR ? 400 : 500,
                       "cannot write the settings file " + path + ": " +
                           lftm_strerror(saved, method));
  }
  return json_reply(200, "{\"saved\":" + json_string(path) + "}");
}

// Reads the export's "bits" and "overwrite" fields. Returns "" or what is wrong.
std::string export_fields(const Request& request, long* bits, long* overwrite) {
  std::string problem = int_field(request, "bits", 8, 16, true, bits);
  return problem.empty() ? int_field(request, "overwrite", 0, 1, true, overwrite) : problem;
}

// Starts exporting `files` with the current settings, once every output may be written as the
// command line would write it.
Reply run_exports(TuneSession* session, const std::vector<lftm_cli::Job>& files, long bits,
                  long overwrite) {
  for (const lftm_cli::Job& file : files) {
    if (lftm_check_output(file.output.c_str(), nullptr, static_cast<int32_t>(overwrite)) >= 0) {
      continue;
    }
    const std::string problem = lftm_cli::check_image_target(file.output, true);
    return error_reply(409, !problem.empty() ? problem  // a file no export may replace
                                             : file.output + " exists and was not written by "
                                                             "lftm: tick \"overwrite existing "
                                                             "files\" to replace it");
  }
  const SessionSetup& setup = session->setup();
  ExportRequest job;
  uint64_t generation;
  session->settings(&job.method, &job.params, &generation);
  if (session->exports().status().running) {
    return error_reply(409, "an export is running; wait for it or cancel it");
  }
  job.files = files;
  job.sidecar = setup.scratchFolder + "/export.xmp";
  job.bits = static_cast<int32_t>(bits);
  job.tiffInput = setup.tiffInput;
  job.overwrite = overwrite != 0;
  bool busy = false;
  const std::string problem = session->exports().start(job, &busy);
  if (!problem.empty()) return error_reply(busy ? 409 : 500, problem);
  return json_reply(202, "{\"exporting\":" + json_string(files.front().output) + ",\"files\":" +
                             std::to_string(files.size()) + "}");
}

Reply start_export(TuneSession* session, const Request& request) {
  long bits = 8, overwrite = 0;
  const PathRules rules = session->paths();
  std::string path;
  std::string problem = export_fields(request, &bits, &overwrite);
  if (problem.empty()) {
    problem = export_target(rules, field(request, "path"), static_cast<int>(bits), &path);
  }
  if (!problem.empty()) return error_reply(400, problem);
  return run_exports(session, {{rules.input, path}}, bits, overwrite);
}

// Every photograph of the folder into the folder the page names, as NAME.jpg (8 bits) or
// NAME.tif (16 bits).
Reply export_all(TuneSession* session, const Request& request) {
  long bits = 8, overwrite = 0;
  PathRules rules = session->paths();
  std::string folder;
  std::string problem = export_fields(request, &bits, &overwrite);
  if (problem.empty()) problem = export_folder(rules, field(request, "folder"), &folder);
  std::vector<lftm_cli::Job> files;
  for (const std::string& name : session->folder().files()) {
    if (!problem.empty()) break;
    rules.input = rules.base + "/" + name;
    const std::string stem = name.substr(0, name.find_last_of('.'));
    std::string path;
    problem = export_target(rules, folder + "/" + stem + (bits == 16 ? ".tif" : ".jpg"),
                            static_cast<int>(bits), &path);
    files.push_back({rules.input, path});
  }
  if (problem.empty() && files.empty()) problem = "the folder holds no photograph to export";
  if (problem.empty()) problem = lftm_cli::check_job_files(files);
  if (!problem.empty()) return error_reply(400, problem);
  return run_exports(session, files, bits, overwrite);
}

// The photographs of the folder and the one shown.
Reply photo_list(TuneSession* session) {
  std::string list;
  for (const std::string& name : session->folder().files()) {
    list += (list.empty() ? "" : ",") + json_string(name);
  }
  const std::string input = session->paths().input;
  return json_reply(200, "{\"files\":[" + list + "],\"current\":" +
                             json_string(input.substr(input.find_last_of('/') + 1)) + "}");
}

Reply thumbnail(TuneSession* session, const Request& request) {
  std::shared_ptr<const Picture> picture;
  const int32_t result = session->folder().thumbnail(field(request, "file"), &picture);
  if (result == LFTM_ERR_ARGUMENT) return error_reply(404, "no such photograph in the folder");
  if (result < 0) return error_reply(422, library_failure(result));
  return picture_reply(*picture);
}

// Shows another photograph of the folder, with the current settings.
Reply open_photo(TuneSession* session, const Request& request) {
  const std::string name = field(request, "file");
  const std::string path = session->folder().path_of(name);
  if (path.empty()) return error_reply(400, "no photograph " + name + " in this folder");
  auto photo = std::make_unique<Photo>();
  const int32_t result =
      load_photo(path, session->setup().tiff, session->setup().previewSide, photo.get());
  if (result < 0) {
    return error_reply(422, lftm_cli::failure_line(path, result, photo->full.detail));
  }
  session->switch_photo(std::move(photo), path);
  return settings_reply(session, {});
}

Reply export_status(TuneSession* session) {
  const ExportStatus s = session->exports().status();
  auto flag = [](bool b) { return b ? std::string("true") : std::string("false"); };
  return json_reply(200, "{\"running\":" + flag(s.running) + ",\"finished\":" +
                             flag(s.finished) + ",\"succeeded\":" + flag(s.succeeded) +
                             ",\"cancelled\":" + flag(s.cancelled) + ",\"fraction\":" +
                             std::to_string(s.fraction) + ",\"done\":" + std::to_string(s.done) +
                             ",\"total\":" + std::to_string(s.total) + ",\"output\":" +
                             json_string(s.output) + ",\"message\":" + json_string(s.message) +
                             "}");
}

// The page, with its style and script put in place: a page in one piece needs no request
// of its own for them.
Reply page(const std::string& path) {
  if (path != "/" && path != "/index.html") return error_reply(404, "no such page: " + path);
  std::string html = find_page_asset("index.html")->text;
  for (const char* name : {"tune.css", "tune.js", "picture.js", "folder.js"}) {
    const std::string marker = std::string("/*") + name + "*/";
    const size_t at = html.find(marker);
    if (at != std::string::npos) html.replace(at, marker.size(), find_page_asset(name)->text);
  }
  Reply reply;
  reply.type = "text/html; charset=utf-8";
  reply.body = html;
  return reply;
}

// A refusal the user may see in the browser's address bar: a page for pages, JSON for the
// page's own requests. `retry`: the page asks once more, from its own origin.
Reply refusal(const Request& request, const std::string& why, bool retry = false) {
  if (request.path.compare(0, 5, "/api/") == 0) return error_reply(403, why);
  Reply reply;
  reply.status = 403;
  reply.type = "text/html; charset=utf-8";
  reply.body = std::string("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">") +
               (retry ? "<meta http-equiv=\"refresh\" content=\"0\">" : "") +
               "<title>lftm tune</title></head><body><h1>lftm tune</h1><p>" + why +
               "</p></body></html>\n";
  return reply;
}

constexpr const char* kStartAgain =
    "Stop lftm tune (Ctrl-C) and start it again: it prints a new address, which opens this "
    "page once, within a minute.";

// GET /?code=C: the one-time code becomes the session's cookie, and the browser goes on to
// an address without the code.
Reply enter(TuneSession* session, const Request& request, bool signedIn) {
  // Used up even by a browser that has the cookie already: nobody else may use it then.
  const bool redeemed = session->entry_code().redeem(field(request, "code"));
  if (!signedIn && !redeemed) {
    return refusal(request, std::string("This address was used already or has expired. ") +
                                kStartAgain);
  }
  Reply reply;
  reply.status = 303;
  reply.type = "text/plain";
  reply.headers.emplace_back("Location", "/");
  if (redeemed) {
    reply.headers.emplace_back("Set-Cookie",
                               session_cookie(request.port, session->setup().token));
  }
  return reply;
}

// Requests that write, or start work on the server's processors.
bool changes_something(const Request& request) {
  if (request.method != "GET" && request.method != "HEAD") return true;
  for (const char* path : {"/api/preview", "/api/histogram", "/api/zoom", "/api/thumbnail"}) {
    if (request.path == path) return true;
  }
  return false;
}

}  // namespace

Reply handle_request(TuneSession* session, const Request& request) {
  if (!host_is_own(request.host, request.port)) {
    return refusal(request, "This server answers only to 127.0.0.1, [::1] and localhost.");
  }
  const std::string& p = request.path;
  const bool get = request.method == "GET";
  const std::string given =
      cookie_value(request.cookies, session_cookie_name(request.port));
  const bool signedIn = token_matches(session->setup().token, given);
  if (get && p == "/" && request.fields.count("code") != 0) {
    return enter(session, request, signedIn);
  }
  if (!signedIn) {
    // A browser withholds the cookie from a navigation that another site started, the
    // redirect of the one-time address included when the file that opens the page led
    // there: asked again by the page itself, it comes with the cookie.
    const bool withheld = get && request.fetchSite == "cross-site";
    return refusal(request,
                   std::string("This page opens only through the address that lftm tune "
                               "printed. ") + kStartAgain,
                   withheld);
  }
  if (changes_something(request) &&
      !sent_by_own_page(request.origin, request.fetchSite, request.port)) {
    return refusal(request, "Only the tuner's own page may ask this.");
  }
  const bool post = request.method == "POST";
  if (p.compare(0, 5, "/api/") != 0) {
    return get ? page(p) : error_reply(405, "the page takes GET");
  }
  if (p == "/api/settings" && get) return settings_reply(session, {});
  if (p == "/api/settings" && post) return change_settings(session, request);
  if (p == "/api/reset" && post) return reset_settings(session, request);
  if (p == "/api/preview" && get) return preview_or_histogram(session, request, false);
  if (p == "/api/histogram" && get) return preview_or_histogram(session, request, true);
  if (p == "/api/zoom" && get) return zoom(session, request);
  if (p == "/api/load" && post) return load_sidecar(session, request);
  if (p == "/api/save" && post) return save_sidecar(session, request);
  if (p == "/api/export" && post) return start_export(session, request);
  if (p == "/api/export" && get) return export_status(session);
  if (p == "/api/export-all" && post) return export_all(session, request);
  if (p == "/api/cancel" && post) {
    session->exports().cancel();
    return export_status(session);
  }
  if (p == "/api/photos" && get) return photo_list(session);
  if (p == "/api/thumbnail" && get) return thumbnail(session, request);
  if (p == "/api/open" && post) return open_photo(session, request);
  for (const char* known : {"/api/settings", "/api/reset", "/api/preview", "/api/histogram",
                            "/api/zoom", "/api/load", "/api/save", "/api/export",
                            "/api/export-all", "/api/cancel", "/api/photos", "/api/thumbnail",
                            "/api/open"}) {
    if (p == known) return error_reply(405, p + " does not take " + request.method);
  }
  return error_reply(404, "no such request: " + p);
}

}  // namespace lftm_tune
