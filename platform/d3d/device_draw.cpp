// DrawPrimitive: triangle lists of D3DVERTEX through transform, lighting,
// clipping and the rasteriser.
#include <algorithm>

#include "platform/core/unsupported.h"
#include "platform/d3d/device.h"
#include "platform/ddraw/memory_surface.h"

namespace {

constexpr DWORD D3DDP_DONOTCLIP = 0x00000004;
constexpr DWORD D3DDP_DONOTUPDATEEXTENTS = 0x00000008;

ScreenVertex ToScreen(const ViewportMapping& mapping, const ClipVertex& v) {
    const ScreenPoint p = ProjectToScreen(mapping, {v.x, v.y, v.z, v.w});
    return {p.x, p.y, p.z, v.r, v.g, v.b};
}

}  // namespace

bool SoftwareDevice::PrepareDraw(bool lit) {
    MemorySurface* depth = target_->AttachedDepth();
    raster_.colour = target_->Pixels();
    raster_.depth = zEnable_ && depth != nullptr ? depth->Pixels() : nullptr;
    raster_.pitch = target_->Width();
    mapping_ = current_->Mapping();
    raster_.left = std::max(mapping_.left, 0);
    raster_.top = std::max(mapping_.top, 0);
    raster_.right = std::min(mapping_.right, target_->Width());
    raster_.bottom = std::min(mapping_.bottom, target_->Height());
    raster_.layout = LayoutOf(target_->Format());
    raster_.gouraud = shadeMode_ == D3DSHADE_GOURAUD;
    raster_.cullMode = cullMode_;
    if (raster_.left >= raster_.right || raster_.top >= raster_.bottom) {
        return false;
    }
    worldView_ = MultiplyMatrices(world_, view_);
    worldViewProjection_ = MultiplyMatrices(worldView_, projection_);
    clipVolume_ = MakeClipVolume(mapping_);
    if (lit) {
        normalMatrix_ = NormalMatrix(worldView_);
        lightScratch_.clear();
        current_->CollectLights(lightScratch_);
        PrepareLighting(SelectedMaterial()->desc, ambient_, lightScratch_.data(),
                        static_cast<int>(lightScratch_.size()), view_, &lighting_);
    }
    return true;
}

ClipVertex SoftwareDevice::LitCorner(const D3DVERTEX& v, const Vec4& clip, bool lit) const {
    Rgb colour{1.0f, 1.0f, 1.0f};  // unlit vertices are white
    if (lit) {
        const D3DVECTOR eye = TransformAffine(worldView_, v.x, v.y, v.z);
        const D3DVECTOR normal = Normalise(TransformNormal(normalMatrix_, v.nx, v.ny, v.nz));
        colour = LightVertex(lighting_, eye, normal);
    }
    return {clip.x, clip.y, clip.z, clip.w, colour.r, colour.g, colour.b};
}

void SoftwareDevice::DrawTriangle3(const D3DVERTEX* corners, bool lit) {
    Vec4 clip[3];
    uint32_t codes[3];
    for (int k = 0; k < 3; ++k) {
        clip[k] = TransformPoint(worldViewProjection_, corners[k].x, corners[k].y, corners[k].z);
        codes[k] = OutCode(clipVolume_, clip[k].x, clip[k].y, clip[k].z, clip[k].w);
    }
    if ((codes[0] & codes[1] & codes[2]) != 0) {
        return;  // wholly outside one plane
    }
    const uint32_t crossed = codes[0] | codes[1] | codes[2];
    if (crossed == 0) {
        ScreenVertex screen[3];
        for (int k = 0; k < 3; ++k) {
            const ScreenPoint p = ProjectToScreen(mapping_, clip[k]);
            screen[k] = {p.x, p.y, p.z, 1.0f, 1.0f, 1.0f};
        }
        // Culled triangles are not worth lighting.
        if (IsCulled(cullMode_, screen[0], screen[1], screen[2])) {
            return;
        }
        for (int k = 0; k < 3 && lit; ++k) {
            const ClipVertex c = LitCorner(corners[k], clip[k], true);
            screen[k].r = c.r;
            screen[k].g = c.g;
            screen[k].b = c.b;
        }
        DrawTriangle(raster_, screen[0], screen[1], screen[2]);
        return;
    }
    ClipVertex in[3];
    for (int k = 0; k < 3; ++k) {
        in[k] = LitCorner(corners[k], clip[k], lit);
    }
    if (shadeMode_ == D3DSHADE_FLAT) {
        // The first corner's colour must survive the cut.
        in[1].r = in[2].r = in[0].r;
        in[1].g = in[2].g = in[0].g;
        in[1].b = in[2].b = in[0].b;
    }
    ClipVertex out[MAX_CLIPPED_VERTICES];
    const int count = ClipPolygon(clipVolume_, crossed, in, 3, out);
    if (count < 3 || out[0].w <= 0.0f) {
        return;
    }
    ScreenVertex screen[MAX_CLIPPED_VERTICES];
    for (int k = 0; k < count; ++k) {
        if (out[k].w <= 0.0f) {
            return;  // only with a near plane behind the eye
        }
        screen[k] = ToScreen(mapping_, out[k]);
    }
    for (int k = 1; k + 1 < count; ++k) {
        DrawTriangle(raster_, screen[0], screen[k], screen[k + 1]);
    }
}

HRESULT SoftwareDevice::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD count,
                                      DWORD flags) {
    if (type != D3DPT_TRIANGLELIST) {
        return ReportUnsupported("primitive types other than D3DPT_TRIANGLELIST",
                                 D3DERR_INVALIDPRIMITIVETYPE);
    }
    if (vertexFormat != D3DFVF_VERTEX) {
        return ReportUnsupported("vertex formats other than D3DFVF_VERTEX", D3DERR_INVALIDVERTEXTYPE);
    }
    // Clipping is always done, and there are no extents to update.
    if ((flags & ~(D3DDP_WAIT | D3DDP_DONOTLIGHT | D3DDP_DONOTCLIP | D3DDP_DONOTUPDATEEXTENTS)) != 0) {
        return ReportUnsupported("DrawPrimitive flags", DDERR_INVALIDPARAMS);
    }
    if (!inScene_) {
        return D3DERR_SCENE_NOT_IN_SCENE;
    }
    if (current_ == nullptr || !current_->HasParameters()) {
        return D3DERR_NOCURRENTVIEWPORT;
    }
    if (count == 0) {
        return D3D_OK;
    }
    if (vertices == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if (target_->IsLocked() ||
        (target_->AttachedDepth() != nullptr && target_->AttachedDepth()->IsLocked())) {
        return DDERR_SURFACEBUSY;
    }
    const bool lit = (flags & D3DDP_DONOTLIGHT) == 0 && SelectedMaterial() != nullptr;
    if (!PrepareDraw(lit)) {
        return D3D_OK;
    }
    const auto* corners = static_cast<const D3DVERTEX*>(vertices);
    // A trailing incomplete triangle is not drawn.
    for (DWORD first = 0; first + 3 <= count; first += 3) {
        DrawTriangle3(corners + first, lit);
    }
    return D3D_OK;
}
