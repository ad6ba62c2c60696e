// SPDX-License-Identifier: BSD-3-Clause
#include "options.h"

#include <strings.h>

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "run_estimate.h"

namespace lftm_cli {
namespace {

bool parse_int(const std::string& text, int32_t low, int32_t high, int32_t* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

bool parse_method(const std::string& text, int32_t* method) {
  const char* t = text.c_str();
  if (strcasecmp(t, "booster") == 0 || strcasecmp(t, "texture-booster") == 0 ||
      strcasecmp(t, "tb") == 0 || text == "1") {
    *method = LFTM_METHOD_TEXTURE_BOOSTER;
    return true;
  }
  if (strcasecmp(t, "squeezer") == 0 || strcasecmp(t, "range-squeezer") == 0 ||
      strcasecmp(t, "rs") == 0 || text == "2") {
    *method = LFTM_METHOD_RANGE_SQUEEZER;
    return true;
  }
  return false;
}

bool parse_compression(const std::string& text, int32_t* value) {
  const char* t = text.c_str();
  if (strcasecmp(t, "deflate") == 0 || strcasecmp(t, "zip") == 0) {
    *value = LFTM_TIFF_DEFLATE;
  } else if (strcasecmp(t, "none") == 0) {
    *value = LFTM_TIFF_NONE;
  } else if (strcasecmp(t, "lzw") == 0) {
    *value = LFTM_TIFF_LZW;
  } else {
    return false;
  }
  return true;
}

}  // namespace

int32_t resolve_threads(int32_t requested) {
  int32_t threads = requested;
  if (threads <= 0) threads = static_cast<int32_t>(std::thread::hardware_concurrency());
  if (threads < 1) threads = 1;
  return threads > 32 ? 32 : threads;
}

namespace {

// The arguments as the parser walks them. Combined short options are split only when reached,
// so that a value that starts with '-' (--description -x) is taken whole.
class ArgList {
 public:
  explicit ArgList(const std::vector<std::string>& args) : args_(args) {}

  bool done() const { return next_ >= args_.size(); }

  // The next argument: "-qv" gives "-q" and then "-v", "-j4" and "-qj4" give "-j" before 4.
  // "--name=value" gives "--name" and keeps the value for take_value.
  std::string next() {
    std::string arg = args_[next_];
    if (arg.size() > 2 && arg[0] == '-' && arg[1] != '-') {
      const bool takesValue = std::strchr("mbj", arg[1]) != nullptr;
      const std::string rest = takesValue ? arg.substr(2) : "-" + arg.substr(2);
      args_[next_] = arg.substr(0, 2);
      args_.insert(args_.begin() + static_cast<std::ptrdiff_t>(next_) + 1, rest);
      arg = args_[next_];
    }
    ++next_;
    hasInlineValue_ = false;
    const size_t eq = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
      inlineValue_ = arg.substr(eq + 1);
      hasInlineValue_ = true;
      arg.erase(eq);
    }
    return arg;
  }

  // The value of the option just taken: after its '=', else the next argument.
  bool take_value(std::string* out) {
    if (hasInlineValue_) {
      *out = inlineValue_;
      return true;
    }
    if (done()) return false;
    *out = args_[next_++];
    return true;
  }

  // Every argument not yet taken, as written.
  std::vector<std::string> rest() {
    std::vector<std::string> left(args_.begin() + static_cast<std::ptrdiff_t>(next_),
                                  args_.end());
    next_ = args_.size();
    return left;
  }

 private:
  std::vector<std::string> args_;
  size_t next_ = 0;
  std::string inlineValue_;
  bool hasInlineValue_ = false;
};

// An option without a value.
struct Switch {
  const char* name;
  const char* shortName;  // "" when it has none
  void (*apply)(CliOptions* options);
};

const Switch kSwitches[] = {
    {"--help", "-h", [](CliOptions* o) { o->help = true; }},
    {"--version", "", [](CliOptions* o) { o->version = true; }},
    {"--verbose", "-v", [](CliOptions* o) { o->diag = DiagMode::kVerbose; }},
    {"--quiet", "-q", [](CliOptions* o) { o->progress = false; }},
    {"--disk", "", [](CliOptions* o) { o->disk = true; }},
    {"--overwrite", "", [](CliOptions* o) { o->overwrite = true; }},
    {"--tiff-linear", "", [](CliOptions* o) { o->tiff = TiffEncoding::kLinear; }},
    {"--tiff-gamma", "", [](CliOptions* o) { o->tiff = TiffEncoding::kGamma; }},
    {"--no-icc", "", [](CliOptions* o) { o->save.options[LFTM_SAVE_ICC] = LFTM_ICC_NONE; }},
    {"--no-embed-settings", "",
     [](CliOptions* o) { o->save.options[LFTM_SAVE_METADATA] |= LFTM_META_NO_SETTINGS; }},
    {"--chroma444", "", [](CliOptions* o) { o->chroma444 = 1; }},
};

// An option with a value; `apply` returns false for a value it does not take, and `problem`
// says what the option takes.
struct Valued {
  const char* name;
  const char* shortName;
  const char* problem;
  bool (*apply)(const std::string& value, CliOptions* options);
};

bool apply_format(const std::string& value, CliOptions* options) {
  std::string v = value;
  for (char& c : v) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (v == "tiff") v = "tif";
  if (v == "jpeg") v = "jpg";
  if (v != "jpg" && v != "tif") return false;
  options->format = v;
  return true;
}

bool apply_set(const std::string& value, CliOptions* options) {
  const size_t split = value.find('=');
  if (split == std::string::npos || split == 0) return false;
  options->settings.emplace_back(value.substr(0, split), value.substr(split + 1));
  return true;
}

const Valued kValued[] = {
    {"--memory-limit", "", "--memory-limit takes a size such as 4G, 256M or 1.5G",
     [](const std::string& v, CliOptions* o) { return parse_byte_size(v, &o->memoryLimit); }},
    {"--method", "-m", "--method takes booster or squeezer",
     [](const std::string& v, CliOptions* o) {
       o->methodGiven = true;
       return parse_method(v, &o->method);
     }},
    {"--bits", "-b", "--bits takes 8 or 16",
     [](const std::string& v, CliOptions* o) {
       o->bits = v == "16" ? 16 : 8;
       return v == "8" || v == "16";
     }},
    {"--quality", "", "--quality takes a number from 1 to 100",
     [](const std::string& v, CliOptions* o) { return parse_int(v, 1, 100, &o->quality); }},
    {"--threads", "-j", "--threads takes a number from 0 (every core) to 32",
     [](const std::string& v, CliOptions* o) { return parse_int(v, 0, 32, &o->threads); }},
    {"--settings", "", "--settings takes a file name",
     [](const std::string& v, CliOptions* o) { return o->settingsIn = v, true; }},
    {"--save-settings", "", "--save-settings takes a file name",
     [](const std::string& v, CliOptions* o) { return o->settingsOut = v, true; }},
    {"--log", "", "--log takes a file name",
     [](const std::string& v, CliOptions* o) {
       o->logPath = v;
       o->diag = DiagMode::kLogFile;
       return true;
     }},
    {"--format", "", "--format takes jpg or tif", apply_format},
    {"--compression", "", "--compression takes deflate, lzw or none",
     [](const std::string& v, CliOptions* o) {
       return parse_compression(v, &o->save.options[LFTM_SAVE_COMPRESSION]);
     }},
    {"--dpi", "", "--dpi takes a number from 1 to 65535",
     [](const std::string& v, CliOptions* o) {
       return parse_int(v, 1, 65535, &o->save.options[LFTM_SAVE_DPI]);
     }},
    {"--description", "", "--description takes a text",
     [](const std::string& v, CliOptions* o) { return o->description = v, true; }},
    {"--artist", "", "--artist takes a text",
     [](const std::string& v, CliOptions* o) { return o->artist = v, true; }},
    {"--copyright", "", "--copyright takes a text",
     [](const std::string& v, CliOptions* o) { return o->copyright = v, true; }},
    {"--set", "", "--set takes NAME=VALUE", apply_set},
};

bool named(const std::string& arg, const char* name, const char* shortName) {
  return arg == name || (shortName[0] != '\0' && arg == shortName);
}

// One option (and its value). Returns "" or what is wrong.
std::string parse_option(const std::string& arg, ArgList* list, CliOptions* options) {
  for (const Switch& option : kSwitches) {
    if (named(arg, option.name, option.shortName)) {
      option.apply(options);
      return "";
    }
  }
  std::string value;
  for (const Valued& option : kValued) {
    if (!named(arg, option.name, option.shortName)) continue;
    const bool taken = list->take_value(&value) && option.apply(value, options);
    return taken ? "" : option.problem;
  }
  if (arg.compare(0, 2, "--") == 0 && arg.size() > 2) {
    // Any other long option names a setting: --Strength 80, --Smoothing=High.
    if (!list->take_value(&value)) return "the setting " + arg + " needs a value";
    options->settings.emplace_back(arg.substr(2), value);
    return "";
  }
  return "unknown option " + arg;
}

}  // namespace

std::string parse_options(const std::vector<std::string>& arguments, CliOptions* options) {
  ArgList list(arguments);
  while (!list.done()) {
    const std::string arg = list.next();
    if (arg == "--") {
      const std::vector<std::string> rest = list.rest();
      options->positionals.insert(options->positionals.end(), rest.begin(), rest.end());
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      options->positionals.push_back(arg);
      continue;
    }
    const std::string problem = parse_option(arg, &list, options);
    if (!problem.empty()) return problem;
  }
  return "";
}

}  // namespace lftm_cli
