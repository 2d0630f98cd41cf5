#include "tools/mesh/mesh_file.h"

#include <cstring>

namespace trelk::tools {
namespace {

constexpr std::uint16_t MAIN = 0x4D4D;
constexpr std::uint16_t FILE_VERSION = 0x0002;
constexpr std::uint16_t EDITOR = 0x3D3D;
constexpr std::uint16_t MESH_VERSION = 0x3D3E;
constexpr std::uint16_t MATERIAL = 0xAFFF;
constexpr std::uint16_t MATERIAL_NAME = 0xA000;
constexpr std::uint16_t MATERIAL_AMBIENT = 0xA010;
constexpr std::uint16_t MATERIAL_DIFFUSE = 0xA020;
constexpr std::uint16_t MATERIAL_SPECULAR = 0xA030;
constexpr std::uint16_t MATERIAL_SHININESS = 0xA040;
constexpr std::uint16_t MATERIAL_SHININESS_STRENGTH = 0xA041;
constexpr std::uint16_t MATERIAL_SHADING = 0xA100;
constexpr std::uint16_t COLOR_BYTES = 0x0011;
constexpr std::uint16_t PERCENT_WORD = 0x0030;
constexpr std::uint16_t MASTER_SCALE = 0x0100;
constexpr std::uint16_t NAMED_OBJECT = 0x4000;
constexpr std::uint16_t TRIANGLE_MESH = 0x4100;
constexpr std::uint16_t VERTEX_LIST = 0x4110;
constexpr std::uint16_t FACE_LIST = 0x4120;
constexpr std::uint16_t FACE_MATERIAL = 0x4130;

constexpr std::uint16_t FACE_FLAGS = 7;  // all three edges visible
constexpr std::uint16_t PHONG_SHADING = 3;

void ColorChunk(ChunkWriter& out, std::uint16_t id, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const std::size_t outer = out.Open(id);
    const std::size_t inner = out.Open(COLOR_BYTES);
    out.U8(r);
    out.U8(g);
    out.U8(b);
    out.Close(inner);
    out.Close(outer);
}

void PercentChunk(ChunkWriter& out, std::uint16_t id, std::uint16_t percent) {
    const std::size_t outer = out.Open(id);
    const std::size_t inner = out.Open(PERCENT_WORD);
    out.U16(percent);
    out.Close(inner);
    out.Close(outer);
}

// The colours echo what the intro gives the mesh at run time (reddish
// ambient, green diffuse); the intro itself steps over the material.
void MaterialChunk(ChunkWriter& out) {
    const std::size_t material = out.Open(MATERIAL);
    const std::size_t name = out.Open(MATERIAL_NAME);
    out.Name("DEFAULT");
    out.Close(name);
    ColorChunk(out, MATERIAL_AMBIENT, 255, 26, 26);
    ColorChunk(out, MATERIAL_DIFFUSE, 0, 230, 0);
    ColorChunk(out, MATERIAL_SPECULAR, 255, 26, 26);
    PercentChunk(out, MATERIAL_SHININESS, 25);
    PercentChunk(out, MATERIAL_SHININESS_STRENGTH, 5);
    const std::size_t shading = out.Open(MATERIAL_SHADING);
    out.U16(PHONG_SHADING);
    out.Close(shading);
    out.Close(material);
}

void TriangleMeshChunk(ChunkWriter& out, const LogoSolid& solid) {
    const std::size_t mesh = out.Open(TRIANGLE_MESH);
    const std::size_t vertices = out.Open(VERTEX_LIST);
    out.U16(static_cast<std::uint16_t>(solid.vertices.size()));
    for (const Vertex3& v : solid.vertices) {
        out.F32(v.x);
        out.F32(v.y);
        out.F32(v.z);
    }
    out.Close(vertices);

    const std::size_t faces = out.Open(FACE_LIST);
    out.U16(static_cast<std::uint16_t>(solid.faces.size()));
    for (const Face3& f : solid.faces) {
        out.U16(f.a);
        out.U16(f.b);
        out.U16(f.c);
        out.U16(FACE_FLAGS);
    }
    const std::size_t group = out.Open(FACE_MATERIAL);
    out.Name("DEFAULT");
    out.U16(static_cast<std::uint16_t>(solid.faces.size()));
    for (std::size_t i = 0; i < solid.faces.size(); ++i) out.U16(static_cast<std::uint16_t>(i));
    out.Close(group);
    out.Close(faces);
    out.Close(mesh);
}

}  // namespace

std::size_t ChunkWriter::Open(std::uint16_t id) {
    const std::size_t offset = bytes_.size();
    U16(id);
    U32(0);  // patched by Close
    return offset;
}

void ChunkWriter::Close(std::size_t chunkOffset) {
    const auto length = static_cast<std::uint32_t>(bytes_.size() - chunkOffset);
    for (int i = 0; i < 4; ++i) bytes_[chunkOffset + 2 + i] = static_cast<std::uint8_t>(length >> (8 * i));
}

void ChunkWriter::U8(std::uint8_t value) { bytes_.push_back(value); }

void ChunkWriter::U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value));
    U8(static_cast<std::uint8_t>(value >> 8));
}

void ChunkWriter::U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value));
    U16(static_cast<std::uint16_t>(value >> 16));
}

void ChunkWriter::F32(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void ChunkWriter::Name(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) U8(static_cast<std::uint8_t>(*p));
    U8(0);
}

std::vector<std::uint8_t> BuildMeshFile(const LogoSolid& solid) {
    if (solid.vertices.size() != 2 * OUTLINE_POINTS || solid.faces.size() != 124) return {};
    ChunkWriter out;
    const std::size_t mainChunk = out.Open(MAIN);
    const std::size_t version = out.Open(FILE_VERSION);
    out.U32(2);
    out.Close(version);

    const std::size_t editor = out.Open(EDITOR);
    const std::size_t meshVersion = out.Open(MESH_VERSION);
    out.U32(2);
    out.Close(meshVersion);
    MaterialChunk(out);
    const std::size_t scale = out.Open(MASTER_SCALE);
    out.F32(1.0f);
    out.Close(scale);
    const std::size_t object = out.Open(NAMED_OBJECT);
    out.Name("DEFAULT   ");
    TriangleMeshChunk(out, solid);
    out.Close(object);
    out.Close(editor);
    out.Close(mainChunk);
    return out.Bytes();
}

}  // namespace trelk::tools
