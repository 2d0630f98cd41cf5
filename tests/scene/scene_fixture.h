// A scene on a fake device and Direct3D, and the mesh reader loading chunk
// files into it as the mesh resource; debug.log starts empty.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "scene/mesh_loader.h"
#include "scene/scene.h"
#include "scene/scene_memory.h"
#include "tests/support/fake_direct3d.h"
#include "tests/support/files.h"
#include "tests/support/installed_resource.h"

class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearDebugLog();
        scene->device = &device;
        scene->direct3D = &d3d;
    }
    void TearDown() override { FailSceneAllocationsAfter(-1); }

    int Load(const std::vector<uint8_t>& bytes) {
        const InstalledResource resource(MESH_RESOURCE_ID, bytes, MESH_RESOURCE_TYPE);
        return loader.LoadMeshResource(MESH_RESOURCE_ID, *scene);
    }

    fake::World& world = fake::Reset();
    fake::Device& device = world.Make<fake::Device>();
    fake::Direct3D& d3d = world.Make<fake::Direct3D>();
    std::unique_ptr<Scene> scene = std::make_unique<Scene>();
    MeshLoader loader;
};
