#include "scene/scene_object.h"

#include <cstring>

#include "scene/scene_memory.h"

SceneObject::SceneObject() {
    std::memset(&materialDesc, 0, sizeof(materialDesc));
    materialDesc.dwSize = sizeof(D3DMATERIAL);
    IdentityMatrix(world);
}

SceneObject::~SceneObject() {
    std::memset(&materialDesc, 0, sizeof(materialDesc));
    delete[] vertices;
    vertices = nullptr;
    delete[] positions;
    positions = nullptr;
    vertexCount = 0;
    if (material != nullptr) {
        material->Release();
        material = nullptr;
    }
    materialHandle = 0;
}

HRESULT SceneObject::AllocateVertices(uint32_t n) {
    delete[] vertices;
    vertexCount = 0;
    vertices = NewSceneArray<D3DVERTEX>(n);
    if (vertices == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memset(vertices, 0, sizeof(D3DVERTEX) * n);
    vertexCount = n;
    return 0;
}

HRESULT SceneObject::AllocatePositions(uint32_t n) {
    delete[] positions;
    positionCount = 0;
    positions = NewSceneArray<Vec3>(n);
    if (positions == nullptr) {
        return E_OUTOFMEMORY;
    }
    positionCount = n;
    return 0;
}

void SceneObject::SetRotation(float yDegrees, float xDegrees, float zDegrees) {
    rotationY = DegreesToRadians(yDegrees);
    rotationX = DegreesToRadians(xDegrees);
    rotationZ = DegreesToRadians(zDegrees);
}

void SceneObject::SetPosition(float x, float y, float z) { position = {x, y, z}; }

void SceneObject::SetScale(float x, float y, float z) { scale = {x, y, z}; }

void SceneObject::ComputeWorldMatrix() {
    IdentityMatrix(world);
    if (rotationX != 0.0f || rotationY != 0.0f || rotationZ != 0.0f) {
        Matrix4 rotation;
        Matrix4 axis;
        IdentityMatrix(rotation);
        RotationX(axis, rotationX);
        rotation = MultiplyMatrix(rotation, axis);
        RotationY(axis, rotationY);
        rotation = MultiplyMatrix(rotation, axis);
        RotationZ(axis, rotationZ);
        rotation = MultiplyMatrix(rotation, axis);
        world = MultiplyMatrix(world, rotation);
    }
    Matrix4 scaling;
    IdentityMatrix(scaling);
    SetScaleDiagonal(scale.x, scale.y, scale.z, scaling);
    world = MultiplyMatrix(world, scaling);
    SetTranslation(position.x, position.y, position.z, world);
}

HRESULT SceneObject::Render() {
    ComputeWorldMatrix();
    if (deviceRef == nullptr || *deviceRef == nullptr) {
        return E_POINTER;
    }
    IDirect3DDevice3* device = *deviceRef;
    // A failed transform or material state only leaves the previous one in use.
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    device->SetLightState(D3DLIGHTSTATE_MATERIAL, materialHandle);
    const HRESULT hr =
        device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, vertices, vertexCount, D3DDP_WAIT);
    return FAILED(hr) ? hr : 0;
}

HRESULT SceneObject::CreateMaterial() {
    if (direct3DRef == nullptr || *direct3DRef == nullptr) {
        return E_POINTER;
    }
    if (material != nullptr) {
        // Creating again replaces the material rather than leaking a reference.
        material->Release();
        material = nullptr;
        materialHandle = 0;
    }
    const HRESULT hr = (*direct3DRef)->CreateMaterial(&material, nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    if (material == nullptr) {
        return E_POINTER;
    }
    IDirect3DDevice3* device = deviceRef != nullptr ? *deviceRef : nullptr;
    material->GetHandle(device, &materialHandle);
    SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
    SetAmbient(1.0f, 1.0f, 1.0f, 1.0f);
    SetSpecular(1.0f, 1.0f, 1.0f, 1.0f);
    SetPower(5.0f);
    material->SetMaterial(&materialDesc);
    return 0;
}

void SceneObject::SetDiffuse(float r, float g, float b, float a) { materialDesc.diffuse = {r, g, b, a}; }

void SceneObject::SetAmbient(float r, float g, float b, float a) { materialDesc.ambient = {r, g, b, a}; }

void SceneObject::SetSpecular(float r, float g, float b, float a) { materialDesc.specular = {r, g, b, a}; }

void SceneObject::SetPower(float p) { materialDesc.power = p; }

HRESULT SceneObject::ApplyMaterial() {
    if (material == nullptr) {
        return E_POINTER;
    }
    const HRESULT hr = material->SetMaterial(&materialDesc);
    return FAILED(hr) ? hr : 0;
}
