#include "handlers.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include "access_token.h"
#include "bmp_image.h"
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
  const Photo& photo = session->photo();
  std::string list;
  for (const std::string& note : notes) list += (list.empty() ? "" : ",") + json_string(note);
  const std::string fields = settings_json(method, params);
  return json_reply(200, "{\"generation\":" + std::to_string(generation) + ",\"width\":" +
                             std::to_string(photo.full.width) + ",\"height\":" +
                             std::to_string(photo.full.height) + ",\"previewWidth\":" +
                             std::to_string(photo.previewWidth) + ",\"previewHeight\":" +
                             std::to_string(photo.previewHeight) + ",\"file\":" +
                             json_string(session->setup().paths.input) + ",\"notes\":[" + list +
                             "]," + fields.substr(1));
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

// The preview render of the generation the page asks for; 409 once newer settings came.
Reply preview_or_histogram(TuneSession* session, const Request& request, bool histogram) {
  if (!histogram && field(request, "view") == "before") return picture_reply(*session->before());
  long generation = 0;
  std::string problem = int_field(request, "generation", 1, 0x7fffffffL, false, &generation);
  if (!problem.empty()) return error_reply(400, problem);
  std::shared_ptr<const Render> render;
  int32_t result = 0;
  if (!session->preview(static_cast<uint64_t>(generation), &render, &result)) {
    return error_reply(409, "newer settings replaced these");
  }
  if (result < 0) return error_reply(422, library_failure(result));
  if (!histogram) return picture_reply(render->picture);
  std::string counts;
  for (int32_t c : render->histogram) counts += (counts.empty() ? "" : ",") + std::to_string(c);
  return json_reply(200, "{\"generation\":" + std::to_string(generation) + ",\"counts\":[" +
                             counts + "]}");
}

Reply zoom(TuneSession* session, const Request& request) {
  const Photo& photo = session->photo();
  long x = 0, y = 0, size = 256;
  std::string problem = int_field(request, "x", 0, photo.full.width - 1, false, &x);
  if (problem.empty()) problem = int_field(request, "y", 0, photo.full.height - 1, false, &y);
  if (problem.empty()) problem = int_field(request, "size", 16, 1024, true, &size);
  if (!problem.empty()) return error_reply(400, problem);
  Picture window;
  bool pending = false;
  int32_t result = 0;
  if (session->zoom(static_cast<int32_t>(x), static_cast<int32_t>(y),
                    static_cast<int32_t>(size), &window, &pending, &result)) {
    return picture_reply(window);
  }
  if (pending) return json_reply(202, "{\"pending\":\"rendering the whole image\"}");
  return error_reply(422, library_failure(result));
}

Reply load_sidecar(TuneSession* session, const Request& request) {
  std::string path;
  std::string problem = sidecar_to_read(session->setup().paths, field(request, "path"), &path);
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
  std::string problem = sidecar_to_write(session->setup().paths, field(request, "path"), &path);
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

Reply start_export(TuneSession* session, const Request& request) {
  const SessionSetup& setup = session->setup();
  long bits = 8;
  long overwrite = 0;
  std::string problem = int_field(request, "bits", 8, 16, true, &bits);
  if (problem.empty()) problem = int_field(request, "overwrite", 0, 1, true, &overwrite);
  std::string path;
  if (problem.empty()) {
    problem = export_target(setup.paths, field(request, "path"), static_cast<int>(bits), &path);
  }
  if (!problem.empty()) return error_reply(400, problem);
  if (lftm_check_output(path.c_str(), nullptr, static_cast<int32_t>(overwrite)) < 0) {
    problem = lftm_cli::check_image_target(path, true);  // a file no export may replace
    return error_reply(409, !problem.empty() ? problem
                                             : path + " exists and was not written by lftm: "
                                                      "tick \"overwrite existing files\" to "
                                                      "replace it");
  }
  int32_t method;
  TmParam params;
  uint64_t generation;
  session->settings(&method, &params, &generation);
  if (session->exports().status().running) {
    return error_reply(409, "an export is running; wait for it or cancel it");
  }
  ExportRequest job;
  job.input = setup.paths.input;
  job.output = path;
  job.sidecar = setup.scratchFolder + "/export.xmp";
  job.method = method;
  job.params = params;
  job.bits = static_cast<int32_t>(bits);
  job.tiffInput = setup.tiffInput;
  job.overwrite = overwrite != 0;
  bool busy = false;
  problem = session->exports().start(job, &busy);
  if (!problem.empty()) return error_reply(busy ? 409 : 500, problem);
  return json_reply(202, "{\"exporting\":" + json_string(path) + "}");
}

Reply export_status(TuneSession* session) {
  const ExportStatus s = session->exports().status();
  auto flag = [](bool b) { return b ? std::string("true") : std::string("false"); };
  return json_reply(200, "{\"running\":" + flag(s.running) + ",\"finished\":" +
                             flag(s.finished) + ",\"succeeded\":" + flag(s.succeeded) +
                             ",\"cancelled\":" + flag(s.cancelled) + ",\"fraction\":" +
                             std::to_string(s.fraction) + ",\"output\":" +
                             json_string(s.output) + ",\"message\":" + json_string(s.message) +
                             "}");
}

// The page, with its style and script put in place: a page in one piece needs no request
// of its own for them.
Reply page(const std::string& path) {
  if (path != "/" && path != "/index.html") return error_reply(404, "no such page: " + path);
  std::string html = find_page_asset("index.html")->text;
  for (const char* name : {"tune.css", "tune.js"}) {
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
  for (const char* path : {"/api/preview", "/api/histogram", "/api/zoom"}) {
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
  if (p == "/api/cancel" && post) {
    session->exports().cancel();
    return export_status(session);
  }
  for (const char* known : {"/api/settings", "/api/reset", "/api/preview", "/api/histogram",
                            "/api/zoom", "/api/load", "/api/save", "/api/export",
                            "/api/cancel"}) {
    if (p == known) return error_reply(405, p + " does not take " + request.method);
  }
  return error_reply(404, "no such request: " + p);
}

}  // namespace lftm_tune
