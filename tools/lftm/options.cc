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

std::string parse_options(const std::vector<std::string>& arguments, CliOptions* options) {
  std::vector<std::string> args = arguments;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    // Short options may be combined: "-qv" is "-q -v", "-j4" and "-qj4" are "-q -j 4".
    if (arg.size() > 2 && arg[0] == '-' && arg[1] != '-') {
      const bool takesValue = std::strchr("mbj", arg[1]) != nullptr;
      const std::string rest = takesValue ? arg.substr(2) : "-" + arg.substr(2);
      args[i] = arg.substr(0, 2);
      args.insert(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, rest);
      arg = args[i];
    }
    if (arg.size() < 2 || arg[0] != '-' || arg == "--") {
      if (arg == "--") {
        options->positionals.insert(options->positionals.end(), args.begin() + i + 1,
                                    args.end());
        break;
      }
      options->positionals.push_back(arg);
      continue;
    }
    // "--name=value" and "--name value" are the same.
    std::string value;
    bool hasInlineValue = false;
    size_t eq = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasInlineValue = true;
    }
    auto take_value = [&](std::string* out) {
      if (hasInlineValue) {
        *out = value;
        return true;
      }
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    std::string v;
    if (arg == "-h" || arg == "--help") {
      options->help = true;
    } else if (arg == "--version") {
      options->version = true;
    } else if (arg == "-v" || arg == "--verbose") {
      options->diag = DiagMode::kVerbose;
    } else if (arg == "-q" || arg == "--quiet") {
      options->progress = false;
    } else if (arg == "--disk") {
      options->disk = true;
    } else if (arg == "--overwrite") {
      options->overwrite = true;
    } else if (arg == "--memory-limit") {
      if (!take_value(&v) || !parse_byte_size(v, &options->memoryLimit)) {
        return "--memory-limit takes a size such as 4G, 256M or 1.5G";
      }
    } else if (arg == "--tiff-linear") {
      options->tiff = TiffEncoding::kLinear;
    } else if (arg == "--tiff-gamma") {
      options->tiff = TiffEncoding::kGamma;
    } else if (arg == "--no-icc") {
      options->save.options[LFTM_SAVE_ICC] = LFTM_ICC_NONE;
    } else if (arg == "--no-embed-settings") {
      options->save.options[LFTM_SAVE_METADATA] |= LFTM_META_NO_SETTINGS;
    } else if (arg == "--chroma444") {
      options->chroma444 = 1;
    } else if (arg == "-m" || arg == "--method") {
      if (!take_value(&v) || !parse_method(v, &options->method)) {
        return "--method takes booster or squeezer";
      }
      options->methodGiven = true;
    } else if (arg == "-b" || arg == "--bits") {
      if (!take_value(&v) || (v != "8" && v != "16")) return "--bits takes 8 or 16";
      options->bits = v == "8" ? 8 : 16;
    } else if (arg == "--quality") {
      if (!take_value(&v) || !parse_int(v, 1, 100, &options->quality)) {
        return "--quality takes a number from 1 to 100";
      }
    } else if (arg == "-j" || arg == "--threads") {
      if (!take_value(&v) || !parse_int(v, 0, 32, &options->threads)) {
        return "--threads takes a number from 0 (every core) to 32";
      }
    } else if (arg == "--settings") {
      if (!take_value(&options->settingsIn)) return "--settings takes a file name";
    } else if (arg == "--save-settings") {
      if (!take_value(&options->settingsOut)) return "--save-settings takes a file name";
    } else if (arg == "--log") {
      if (!take_value(&options->logPath)) return "--log takes a file name";
      options->diag = DiagMode::kLogFile;
    } else if (arg == "--format") {
      if (!take_value(&v)) return "--format takes jpg or tif";
      for (char& c : v) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (v == "tiff") v = "tif";
      if (v == "jpeg") v = "jpg";
      if (v != "jpg" && v != "tif") return "--format takes jpg or tif";
      options->format = v;
    } else if (arg == "--compression") {
      if (!take_value(&v) ||
          !parse_compression(v, &options->save.options[LFTM_SAVE_COMPRESSION])) {
        return "--compression takes deflate, lzw or none";
      }
    } else if (arg == "--dpi") {
      if (!take_value(&v) || !parse_int(v, 1, 65535, &options->save.options[LFTM_SAVE_DPI])) {
        return "--dpi takes a number from 1 to 65535";
      }
    } else if (arg == "--description") {
      if (!take_value(&options->description)) return "--description takes a text";
    } else if (arg == "--artist") {
      if (!take_value(&options->artist)) return "--artist takes a text";
    } else if (arg == "--copyright") {
      if (!take_value(&options->copyright)) return "--copyright takes a text";
    } else if (arg == "--set") {
      if (!take_value(&v)) return "--set takes NAME=VALUE";
      size_t split = v.find('=');
      if (split == std::string::npos || split == 0) return "--set takes NAME=VALUE";
      options->settings.emplace_back(v.substr(0, split), v.substr(split + 1));
    } else if (arg.compare(0, 2, "--") == 0 && arg.size() > 2) {
      // Any other long option names a setting: --Strength 80, --Smoothing=High.
      if (!take_value(&v)) return "the setting " + arg + " needs a value";
      options->settings.emplace_back(arg.substr(2), v);
    } else {
      return "unknown option " + arg;
    }
  }
  return "";
}

}  // namespace lftm_cli
