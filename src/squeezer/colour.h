// SPDX-License-Identifier: BSD-3-Clause
// Colour routines shared by the Range Squeezer and stage 3 of the Texture Booster.
#ifndef LFTM_SQUEEZER_COLOUR_H_
#define LFTM_SQUEEZER_COLOUR_H_

namespace lftm {

// White point of the daylight locus at a temperature of `kelvin` as (X, 1, Z); xyz is left
// unchanged when the locus gives y = 0.
void daylight_xyz(int kelvin, float xyz[3]);

// RGB with values in 0..s to hue, saturation and lightness in 0..1, and back.
void rgb_to_hsl(int s, const float rgb[3], float hsl[3]);
void hsl_to_rgb(int s, const float hsl[3], float rgb[3]);
float hue_to_rgb(float p, float q, float t);

}  // namespace lftm

#endif  // LFTM_SQUEEZER_COLOUR_H_
