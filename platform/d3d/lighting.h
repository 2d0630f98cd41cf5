// Lighting stage: the legacy per-vertex model in eye space.
//   rgb = Ma * Ia + Md * sum(max(N . L, 0) * lightColour * A) + Me, each channel clamped to [0, 1]
// with A = a0 + a1 Dn + a2 Dn^2 and Dn = (R - d) / R for a point light within
// its range R (beyond it the light gives nothing). Platform-internal.
#pragma once

#include <vector>

#include "platform/d3d/d3d.h"

struct Rgb {
    float r, g, b;
};

// One active light, ready for the per-vertex sum: position or direction in
// eye space, colour already multiplied by the material's diffuse colour.
struct PreparedLight {
    bool directional = false;
    D3DVECTOR position{};  // point light, eye space
    D3DVECTOR toLight{};   // directional light: unit vector towards the light, eye space
    Rgb colour{};          // lightColour * Md
    float range = 0.0f;
    float attenuation0 = 1.0f;
    float attenuation1 = 0.0f;
    float attenuation2 = 0.0f;
};

struct LightingModel {
    Rgb base{};  // Ma * Ia + Me
    std::vector<PreparedLight> lights;
};

// D3DCOLOR (ARGB bytes) as 0..1 channels.
Rgb ColourOf(D3DCOLOR colour);

// Fills `model` (reusing its storage) for `material`, the ambient light
// colour and the given lights (world space) seen through `view`. Lights that
// are not active or whose type is not handled are left out.
void PrepareLighting(const D3DMATERIAL& material, D3DCOLOR ambient, const D3DLIGHT2* const* lights,
                     int lightCount, const D3DMATRIX& view, LightingModel* model);

// The lit colour of a vertex at eyePosition with the unit normal eyeNormal.
Rgb LightVertex(const LightingModel& model, const D3DVECTOR& eyePosition, const D3DVECTOR& eyeNormal);

// Normalises v; a zero vector stays zero.
D3DVECTOR Normalise(const D3DVECTOR& v);
