#include "platform/d3d/lighting.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d/transform.h"

namespace {

float Clamp01(float value) { return std::clamp(value, 0.0f, 1.0f); }

}  // namespace

D3DVECTOR Normalise(const D3DVECTOR& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0f) {
        return v;
    }
    const float inverse = 1.0f / length;
    return {v.x * inverse, v.y * inverse, v.z * inverse};
}

Rgb ColourOf(D3DCOLOR colour) {
    return {static_cast<float>((colour >> 16) & 0xFF) / 255.0f,
            static_cast<float>((colour >> 8) & 0xFF) / 255.0f, static_cast<float>(colour & 0xFF) / 255.0f};
}

void PrepareLighting(const D3DMATERIAL& material, D3DCOLOR ambient, const D3DLIGHT2* const* lights,
                     int lightCount, const D3DMATRIX& view, LightingModel* model) {
    const Rgb ia = ColourOf(ambient);
    model->base = {material.ambient.r * ia.r + material.emissive.r,
                   material.ambient.g * ia.g + material.emissive.g,
                   material.ambient.b * ia.b + material.emissive.b};
    model->lights.clear();
    for (int index = 0; index < lightCount; ++index) {
        const D3DLIGHT2& light = *lights[index];
        if ((light.dwFlags & D3DLIGHT_ACTIVE) == 0) {
            continue;
        }
        PreparedLight prepared;
        prepared.colour = {light.dcvColor.r * material.diffuse.r, light.dcvColor.g * material.diffuse.g,
                           light.dcvColor.b * material.diffuse.b};
        if (light.dltType == D3DLIGHT_POINT) {
            prepared.position =
                TransformAffine(view, light.dvPosition.x, light.dvPosition.y, light.dvPosition.z);
            prepared.range = light.dvRange;
            prepared.attenuation0 = light.dvAttenuation0;
            prepared.attenuation1 = light.dvAttenuation1;
            prepared.attenuation2 = light.dvAttenuation2;
        } else if (light.dltType == D3DLIGHT_DIRECTIONAL) {
            // Directions turn with the view but do not move.
            const Vec4 d =
                TransformPoint(view, light.dvDirection.x, light.dvDirection.y, light.dvDirection.z);
            const Vec4 origin = TransformPoint(view, 0.0f, 0.0f, 0.0f);
            prepared.directional = true;
            prepared.toLight = Normalise({origin.x - d.x, origin.y - d.y, origin.z - d.z});
        } else {
            continue;  // refused by SetLight; never active here
        }
        model->lights.push_back(prepared);
    }
}

Rgb LightVertex(const LightingModel& model, const D3DVECTOR& eyePosition, const D3DVECTOR& eyeNormal) {
    Rgb sum = model.base;
    for (const PreparedLight& light : model.lights) {
        float factor = 0.0f;
        if (light.directional) {
            const D3DVECTOR& l = light.toLight;
            factor = eyeNormal.x * l.x + eyeNormal.y * l.y + eyeNormal.z * l.z;
        } else {
            const D3DVECTOR toLight = {light.position.x - eyePosition.x, light.position.y - eyePosition.y,
                                       light.position.z - eyePosition.z};
            const float distance =
                std::sqrt(toLight.x * toLight.x + toLight.y * toLight.y + toLight.z * toLight.z);
            if (distance > light.range) {
                continue;
            }
            const float dn = (light.range - distance) / light.range;
            // Not a reciprocal and not clamped: the legacy model as it was.
            const float attenuation =
                light.attenuation0 + light.attenuation1 * dn + light.attenuation2 * dn * dn;
            const float dot =
                distance > 0.0f
                    ? (eyeNormal.x * toLight.x + eyeNormal.y * toLight.y + eyeNormal.z * toLight.z) / distance
                    : 0.0f;
            factor = std::max(dot, 0.0f) * attenuation;
        }
        if (factor == 0.0f) {
            continue;
        }
        sum.r += light.colour.r * factor;
        sum.g += light.colour.g * factor;
        sum.b += light.colour.b * factor;
    }
    return {Clamp01(sum.r), Clamp01(sum.g), Clamp01(sum.b)};
}
