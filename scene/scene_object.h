// One mesh instance: its draw-ready triangle list, its Direct3D material and
// its placement, from which it builds its world matrix on every draw.
// The device and Direct3D objects are reached through pointers to the scene's
// fields, so an object follows whatever the scene holds at the time of a call.
// Main thread only.
#pragma once

#include <cstdint>

#include "scene/math3d.h"

constexpr int OBJECT_NAME_SIZE = 52;  // 51 characters and the NUL

class SceneObject {
  public:
    SceneObject();
    // Clears the material description, frees the arrays, releases the material.
    ~SceneObject();
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // n zeroed draw vertices replace any earlier array; vertexCount = n.
    // Returns 0, or E_OUTOFMEMORY with no vertices and vertexCount 0.
    HRESULT AllocateVertices(uint32_t n);
    // n zeroed positions replace any earlier array; positionCount = n.
    // Returns 0, or E_OUTOFMEMORY with no positions and positionCount 0.
    HRESULT AllocatePositions(uint32_t n);

    // Degrees, in the order y, x, z; stored in radians.
    void SetRotation(float yDegrees, float xDegrees, float zDegrees);
    void SetPosition(float x, float y, float z);
    void SetScale(float x, float y, float z);

    // world = RX x RY x RZ (left out when all angles are 0) x scale, then the
    // position written into row 4.
    void ComputeWorldMatrix();

    // World transform, material, one triangle-list draw of every vertex.
    // Returns 0, the draw call's failure code, or E_POINTER without a device.
    HRESULT Render();

    // Creates the material (white diffuse, ambient and specular, power 5) and
    // fetches its handle for the device. Returns 0, the creation failure, or
    // E_POINTER without a Direct3D object.
    HRESULT CreateMaterial();
    // The setters change only materialDesc; ApplyMaterial hands it over.
    void SetDiffuse(float r, float g, float b, float a);
    void SetAmbient(float r, float g, float b, float a);
    void SetSpecular(float r, float g, float b, float a);
    void SetPower(float p);
    // Returns 0, the call's failure code, or E_POINTER before CreateMaterial.
    HRESULT ApplyMaterial();

    D3DVERTEX* vertices = nullptr;  // owned, vertexCount entries
    Vec3* positions = nullptr;      // owned, positionCount entries
    uint32_t positionCount = 0;
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    Vec3 position;
    Vec3 scale;
    D3DMATERIAL materialDesc;
    IDirect3DMaterial3* material = nullptr;  // one reference owned
    D3DMATERIALHANDLE materialHandle = 0;
    float rotationY = 0.0f;
    float rotationZ = 0.0f;
    float rotationX = 0.0f;
    Matrix4 world;
    IDirect3D3** direct3DRef = nullptr;      // the scene's direct3D field, not owned
    IDirect3DDevice3** deviceRef = nullptr;  // the scene's device field, not owned
    char name[OBJECT_NAME_SIZE] = {};
};
