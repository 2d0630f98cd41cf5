// The committed mesh: chunk layout, counts and a closed, outward-facing solid.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "tests/assets/mesh/mesh_solid.h"

namespace trelk::test {
namespace {

std::vector<std::uint8_t> CommittedMesh() { return ReadFileBytes(MESH_ASSET); }

std::string AsText(const std::vector<std::uint8_t>& data) { return {data.begin(), data.end()}; }

TEST(MeshFile, HasTheExpectedChunkTree) {
    const auto bytes = CommittedMesh();
    ASSERT_EQ(bytes.size(), 2206u);
    const auto tree = ParseChunks(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
    ASSERT_TRUE(tree.has_value()) << "a chunk runs past its parent";
    ASSERT_EQ(tree->size(), 1u);
    const Chunk& top = tree->front();
    EXPECT_EQ(top.id, 0x4D4D);
    EXPECT_EQ(top.length, 2206u);
    ASSERT_EQ(ChildIds(top), (std::vector<std::uint16_t>{0x0002, 0x3D3D}));
    ASSERT_EQ(top.children[0].data.size(), 4u);
    EXPECT_EQ(LittleU32(top.children[0].data.data()), 2u);

    const Chunk& editor = top.children[1];
    ASSERT_EQ(ChildIds(editor), (std::vector<std::uint16_t>{0x3D3E, 0xAFFF, 0x0100, 0x4000}));
    ASSERT_EQ(editor.children[0].data.size(), 4u);
    EXPECT_EQ(LittleU32(editor.children[0].data.data()), 2u);
    ASSERT_EQ(editor.children[2].data.size(), 4u);
    EXPECT_EQ(LittleF32(editor.children[2].data.data()), 1.0f);

    const Chunk& material = editor.children[1];
    ASSERT_FALSE(material.children.empty());
    EXPECT_EQ(material.children[0].id, 0xA000);
    EXPECT_EQ(AsText(material.children[0].data), std::string("DEFAULT", 8));

    const Chunk& object = editor.children[3];
    EXPECT_EQ(AsText(object.data), std::string("DEFAULT   ", 11));
    ASSERT_EQ(ChildIds(object), (std::vector<std::uint16_t>{0x4100}));
    ASSERT_EQ(ChildIds(object.children[0]), (std::vector<std::uint16_t>{0x4110, 0x4120}));
}

TEST(MeshFile, MaterialColoursAreByteColourSubChunks) {
    const auto bytes = CommittedMesh();
    const auto tree = ParseChunks(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
    ASSERT_TRUE(tree.has_value());
    const Chunk* material = FindChunk(*tree, 0xAFFF);
    ASSERT_NE(material, nullptr);
    for (const Chunk& child : material->children) {
        if (child.id == 0xA010 || child.id == 0xA020 || child.id == 0xA030) {
            ASSERT_EQ(ChildIds(child), (std::vector<std::uint16_t>{0x0011}));
            EXPECT_EQ(child.children[0].data.size(), 3u);
        }
        if (child.id == 0xA040 || child.id == 0xA041) {
            ASSERT_EQ(ChildIds(child), (std::vector<std::uint16_t>{0x0030}));
            EXPECT_EQ(child.children[0].data.size(), 2u);
        }
    }
}

TEST(MeshFile, FaceMaterialGroupNamesEveryFaceOnce) {
    const auto bytes = CommittedMesh();
    const auto tree = ParseChunks(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
    ASSERT_TRUE(tree.has_value());
    const Chunk* faces = FindChunk(*tree, 0x4120);
    ASSERT_NE(faces, nullptr);
    ASSERT_EQ(ChildIds(*faces), (std::vector<std::uint16_t>{0x4130}));
    const auto& group = faces->children[0].data;
    ASSERT_EQ(group.size(), 8u + 2u + 2u * 124u);
    EXPECT_EQ(AsText({group.begin(), group.begin() + 8}), std::string("DEFAULT", 8));
    EXPECT_EQ(LittleU16(&group[8]), 124);
    std::set<int> named;
    for (int i = 0; i < 124; ++i) named.insert(LittleU16(&group[10 + 2 * i]));
    EXPECT_EQ(named.size(), 124u);
    EXPECT_EQ(*named.rbegin(), 123);
}

TEST(MeshSolidShape, CountsFlagsAndExtents) {
    const auto solid = ReadMeshSolid(CommittedMesh());
    ASSERT_TRUE(solid.has_value());
    ASSERT_EQ(solid->positions.size(), 64u);
    ASSERT_EQ(solid->faces.size(), 124u);
    for (int flags : solid->flags) EXPECT_EQ(flags, 7);
    P3 low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
    for (const P3& p : solid->positions) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
        EXPECT_TRUE(static_cast<float>(p.y) == 0.41f || static_cast<float>(p.y) == 0.73f) << p.y;
    }
    EXPECT_NEAR(low.x, -15.2, 0.05);
    EXPECT_NEAR(high.x, 14.9, 0.05);
    EXPECT_NEAR(low.z, -12.1, 0.05);
    EXPECT_NEAR(high.z, 18.1, 0.05);
    for (const auto& f : solid->faces) {
        for (int corner : f) EXPECT_LT(corner, 64);
    }
}

TEST(MeshSolidShape, IsClosedWithEveryEdgeUsedOnceEachWay) {
    const auto solid = ReadMeshSolid(CommittedMesh());
    ASSERT_TRUE(solid.has_value());
    std::map<std::pair<int, int>, int> directed;
    for (const auto& f : solid->faces) {
        for (int k = 0; k < 3; ++k) ++directed[{f[k], f[(k + 1) % 3]}];
    }
    for (const auto& [edge, uses] : directed) {
        EXPECT_EQ(uses, 1) << edge.first << "->" << edge.second;
        const auto reverse = directed.find({edge.second, edge.first});
        ASSERT_NE(reverse, directed.end()) << "open edge " << edge.first << "->" << edge.second;
        EXPECT_EQ(reverse->second, 1);
    }
    // 32 side quads give 96 edges, each cap adds 29 diagonals: 3 * 124 / 2 = 186.
    EXPECT_EQ(directed.size(), 2u * 186u);
}

TEST(MeshSolidShape, NormalsPointOutOfTheSolid) {
    const auto solid = ReadMeshSolid(CommittedMesh());
    ASSERT_TRUE(solid.has_value());
    double sixVolume = 0.0;
    for (const auto& f : solid->faces) {
        const P3& a = solid->positions[f[0]];
        sixVolume += DotP(a, CrossP(solid->positions[f[1]], solid->positions[f[2]]));
        const P3 n = RawNormal(*solid, f);
        EXPECT_GT(DotP(n, n), 1e-6) << "degenerate face";
    }
    // Thickness 0.32 times an outline of a few hundred square units.
    EXPECT_GT(sixVolume / 6.0, 50.0);
    // Cap faces: the back cap (y 0.41) faces -y, the front cap (y 0.73) faces +y.
    for (const auto& f : solid->faces) {
        const double y0 = solid->positions[f[0]].y;
        if (y0 != solid->positions[f[1]].y || y0 != solid->positions[f[2]].y) continue;
        const P3 n = RawNormal(*solid, f);
        EXPECT_EQ(n.y > 0.0, static_cast<float>(y0) == 0.73f);
    }
}

TEST(MeshSolidShape, CapsComeLastSoEveryPositionTakesItsCapNormal) {
    const auto solid = ReadMeshSolid(CommittedMesh());
    ASSERT_TRUE(solid.has_value());
    std::vector<P3> last(solid->positions.size(), P3{0, 0, 0});
    for (const auto& f : solid->faces) {
        const P3 n = RawNormal(*solid, f);
        for (int corner : f) last[corner] = n;
    }
    for (std::size_t i = 0; i < last.size(); ++i) {
        const double length = std::sqrt(DotP(last[i], last[i]));
        ASSERT_GT(length, 0.0) << "position " << i << " is used by no face";
        const double expected = static_cast<float>(solid->positions[i].y) == 0.73f ? 1.0 : -1.0;
        EXPECT_NEAR(last[i].y / length, expected, 1e-9) << "position " << i;
    }
}

}  // namespace
}  // namespace trelk::test
