// SPDX-License-Identifier: BSD-3-Clause
#include "commands.h"
#include "lftm.h"
#include "setting_names.h"

namespace lftm_cli {
namespace {

// Prints "      <title><list>" wrapped at 90 columns, continuation lines indented.
void print_wrapped(std::FILE* out, const std::string& title, const std::string& list) {
  std::string line = "      " + title;
  bool lineHasItem = false;
  size_t start = 0;
  while (start < list.size()) {
    const size_t comma = list.find(", ", start);
    const bool last = comma == std::string::npos;
    const std::string item = list.substr(start, last ? std::string::npos : comma + 1 - start);
    if (lineHasItem && line.size() + 1 + item.size() > 90) {
      std::fprintf(out, "%s\n", line.c_str());
      line = "        ";
      lineHasItem = false;
    }
    line += (lineHasItem ? " " : "") + item;
    lineHasItem = true;
    start = last ? list.size() : comma + 2;
  }
  std::fprintf(out, "%s\n", line.c_str());
}

}  // namespace

void print_usage(std::FILE* out) {
  std::fputs(
      "lftm: tone maps high-dynamic-range photographs into JPEG or TIFF images.\n"
      "\n"
      "usage:\n"
      "  lftm [options] INPUT OUTPUT            tone map one image\n"
      "  lftm [options] INPUT... FOLDER/        tone map several images into a folder\n"
      "  lftm info [--tiff-linear|--tiff-gamma] FILE...\n"
      "                                         size, format and luminance statistics\n"
      "  lftm preview FILE OUT.jpg [--size WxH] a quick preview (default 320x240)\n"
      "  lftm merge [options] FRAME... OUTPUT   the HDR image from bracketed exposures\n"
      "  lftm tune PHOTO|FOLDER [--port N] [--output-dir DIR]... [--no-browser]\n"
      "                                         tune the settings in the browser\n"
      "\n"
      "INPUT is a Radiance .hdr, an OpenEXR .exr or a TIFF (8, 16 bits or float). OUTPUT ending in\n"
      ".jpg or .jpeg is written as JPEG (8 bits), one ending in .tif or .tiff as TIFF.\n"
      "\n"
      "options:\n"
      "  -m, --method booster|squeezer  Texture Booster (default, detailed) or Range Squeezer\n"
      "                                 (fast, global curve)\n"
      "  --NAME VALUE, --set NAME=VALUE a setting by its sidecar name, e.g. --Strength 80,\n"
      "                                 --Gamma 1.2, --Smoothing High, --360DegreeImage Yes.\n"
      "                                 Values outside a setting's range are brought into it,\n"
      "                                 and every value is kept as precisely as the sidecar\n"
      "                                 stores it (a note tells either), so that a saved\n"
      "                                 sidecar renders the same image again.\n",
      out);
  print_wrapped(out, "Texture Booster: ", setting_ranges(LFTM_METHOD_TEXTURE_BOOSTER));
  print_wrapped(out, "Range Squeezer: ", setting_ranges(LFTM_METHOD_RANGE_SQUEEZER));
  std::fputs(
      "  --settings FILE                read settings from an XMP sidecar (its method too,\n"
      "                                 unless --method is given); --NAME options override\n"
      "  --save-settings FILE           write the settings used as an XMP sidecar once every\n"
      "                                 image was made (never over a file that is no sidecar)\n"
      "  -b, --bits 8|16                output depth (16 needs TIFF output; default 8)\n"
      "  --quality N                    JPEG quality 1..100 (default 90)\n"
      "  --chroma444                    JPEG without colour subsampling\n"
      "  -j, --threads N                worker threads (default 0: every core; at most 32)\n"
      "  --disk                         keep the large planes in temporary files (for images\n"
      "                                 larger than memory; Texture Booster, not TIFF input)\n"
      "  --memory-limit SIZE            refuse a run whose estimate passes SIZE (e.g. 4G,\n"
      "                                 256M; default the memory available now);\n"
      "                                 with --disk, what the run may keep in memory\n"
      "                                 (default a third of the memory available)\n"
      "  --overwrite                    replace existing outputs that lftm did not write (an\n"
      "                                 output lftm wrote is replaced without it)\n"
      "  --format jpg|tif               output kind when writing into a folder (default jpg,\n"
      "                                 tif for 16 bits)\n"
      "  --tiff-linear, --tiff-gamma    how TIFF samples are encoded (default: 16-bit files\n"
      "                                 linear, 8-bit files gamma 2.2)\n"
      "  --compression deflate|lzw|none TIFF compression (default deflate)\n"
      "  --dpi N                        resolution stored in the output (default 72)\n"
      "  --no-icc                       do not embed the sRGB colour profile\n"
      "  --no-embed-settings            do not embed the settings in the output's XMP\n"
      "  --description, --artist, --copyright TEXT   stored in the output file\n"
      "  -v, --verbose                  show the library's diagnostic lines\n"
      "  --log FILE                     append the library's diagnostic lines to FILE (a\n"
      "                                 text file, not an image or a sidecar)\n"
      "  -q, --quiet                    no progress lines (short flags combine: -qv)\n"
      "  --version                      the version of lftm\n"
      "  -h, --help                     this text\n"
      "\n"
      "merge: FRAMEs are bracketed exposures of one scene (JPEG, PNG, 8/16-bit TIFF; any\n"
      "order; turned upright by their EXIF orientation), aligned to the middle exposure.\n"
      "OUTPUT ending"
      " in .exr (32-bit float) or .hdr holds the radiance; .jpg or .tif is tone\n"
      "mapped with the options above, the bytes that tone mapping the .exr would give.\n"
      "  --exposures T1,T2,...          exposure times in seconds (1/250 allowed), in the\n"
      "                                 frames' order (default: EXIF time x ISO/100 / f^2)\n"
      "  --response linear|FILE         linear frames, or a curve saved with --save-response\n"
      "                                 (default: recovered from the frames)\n"
      "  --save-response FILE           save the camera response used, as plain text\n"
      "  --no-align                     merge the frames as they lie (a tripod set)\n"
      "  --deghost                      what moved between the shots comes from the middle\n"
      "                                 exposure alone, never half-transparent\n"
      "  --sets N|auto                  many brackets into the folder OUTPUT: every N frames,\n"
      "                                 or by EXIF capture time (a repeated exposure or a\n"
      "                                 pause over 2 s starts a set); each output is named\n"
      "                                 after its set's first frame (--format exr, hdr, jpg\n"
      "                                 or tif; default exr)\n"
      "\n"
      "No output, sidecar or log may be one of the input images, and two inputs may not\n"
      "share an output name; such runs are refused before anything is written.\n"
      "\n"
      "examples:\n"
      "  lftm samples/golden_gate.hdr golden_gate.jpg\n"
      "  lftm --method squeezer --Brightness 2 --quality 95 desk.exr desk.jpg\n"
      "  lftm --bits 16 --Strength 60 --save-settings look.xmp scan.tif out/scan.tif\n"
      "  lftm --settings look.xmp shots/*.hdr out/\n"
      "  lftm info samples/golden_gate.hdr\n"
      "  lftm merge --save-response cam.txt dark.jpg mid.jpg bright.jpg scene.exr\n",
      out);
}

}  // namespace lftm_cli
