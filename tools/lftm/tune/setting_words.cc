// SPDX-License-Identifier: BSD-3-Clause
#include "setting_words.h"

#include <cstring>

namespace lftm_tune {
namespace {

// Both methods share the names of their clipping and white-balance settings, with the same
// meaning, so one row serves both.
constexpr SettingWords kWords[] = {
    {"Luminosity", "Brightness", "-10 to 10, 0 neutral",
     "Lightens or darkens the whole picture after the tone compression.", "tone"},
    {"Strength", "Tone compression", "0 to 100 %",
     "How strongly bright skies and deep shadows are pulled towards the middle tones.", "tone"},
    {"Gamma", "Midtone gamma", "gamma 0.3 to 2, 1 neutral",
     "Above 1 opens up the middle tones; below 1 deepens them.", "tone"},
    {"WhiteClip", "White clipping", "% of pixels",
     "Share of the brightest pixels allowed to burn out to pure white: more gives punch.",
     "tone"},
    {"BlackClip", "Black clipping", "% of pixels",
     "Share of the darkest pixels allowed to sink to pure black: more gives depth.", "tone"},
    {"Brightness", "Brightness", "-10 to 10, 0 neutral",
     "Lightens or darkens the whole picture.", "tone"},
    {"Compression", "Range compression", "-10 to 10, 0 neutral",
     "How much the range from shadows to highlights is squeezed into the output.", "tone"},
    {"Contrast", "Contrast", "-10 to 10, 0 neutral",
     "Spreads the middle tones apart (more) or closer together (less).", "tone"},
    {"SmoothingMode", "Smoothing scale", "presets or slider",
     "Whether smoothing is chosen from five presets or set freely on a slider.", "detail"},
    {"Smoothing", "Smoothing", "preset, or -10 to 10",
     "Softens the halo-prone local contrast: higher looks more natural, lower more dramatic.",
     "detail"},
    {"Microcontrast", "Fine contrast", "-10 to 10, 0 neutral",
     "Crispness of small textures such as foliage, stone and skin.", "detail"},
    {"Microsmoothing", "Noise smoothing", "0 to 30",
     "Smooths fine grain and noise that tone compression brings out.", "detail"},
    {"HighlightsSmoothing", "Highlight smoothing", "0 to 100",
     "Softens local contrast in the bright areas, against halos around skies.", "detail"},
    {"ShadowsSmoothing", "Shadow smoothing", "0 to 200",
     "Softens local contrast in the dark areas, against noisy, blotchy shadows.", "detail"},
    {"ShadowsClipping", "Shadow depth", "0 to 100",
     "Keeps the darkest areas dark instead of lifting them to grey.", "detail"},
    {"ColorSaturation", "Saturation", "0 to 100 %",
     "Colour intensity of the whole picture; 0 gives black and white.", "colour"},
    {"Saturation", "Saturation", "-10 to 10, 0 neutral",
     "Colour intensity of the whole picture.", "colour"},
    {"ColorTemperature", "Colour temperature", "-10 cool to 10 warm",
     "Shifts the white balance towards blue (cooler) or yellow (warmer).", "colour"},
    {"SaturationHighlights", "Highlight saturation", "-10 to 10, 0 neutral",
     "Colour intensity of the bright areas alone.", "colour"},
    {"SaturationShadows", "Shadow saturation", "-10 to 10, 0 neutral",
     "Colour intensity of the dark areas alone.", "colour"},
    {"360DegreeImage", "360° panorama", "yes or no",
     "Treats the left and right edges as neighbours, so a wrapped panorama shows no seam.",
     "advanced"},
};

}  // namespace

const SettingWords* setting_words(const char* name) {
  for (const SettingWords& words : kWords) {
    if (std::strcmp(words.name, name) == 0) return &words;
  }
  return nullptr;
}

}  // namespace lftm_tune
