// The mesh as the intro shows it: turned 90 degrees about x, spun about y,
// turned 180 degrees about z, scaled by 0.1, seen by the camera at z = 10
// through the viewport whose negative clip height puts +y down the screen.
// These tests follow that chain by hand to check that the logo reads upright
// and unmirrored, and that culling leaves one whole cap to draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/assets/mesh/mesh_solid.h"

namespace trelk::test {
namespace {

using Mat = std::array<std::array<double, 4>, 4>;

Mat Identity() {
    Mat m{};
    for (int i = 0; i < 4; ++i) m[i][i] = 1.0;
    return m;
}

Mat Multiply(const Mat& a, const Mat& b) {
    Mat c{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) c[i][j] += a[i][k] * b[k][j];
    return c;
}

// Degrees to radians as the intro converts them: 1/180, then 22/7, in floats.
double Radians(float degrees) { return static_cast<float>(degrees * 0.0055555557f) * 3.142857f; }

// Row-vector rotations: +sin above the diagonal, -sin below.
Mat Rotation(int axis, float degrees) {
    const double c = std::cos(Radians(degrees));
    const double s = std::sin(Radians(degrees));
    const int p = axis == 0 ? 1 : 0;
    const int q = axis == 2 ? 1 : 2;
    Mat m = Identity();
    m[p][p] = c;
    m[p][q] = s;
    m[q][p] = -s;
    m[q][q] = c;
    return m;
}

struct ScreenPoint {
    double x, y;
};

// File position to screen pixel for one copy at `place` with spin `spin`.
ScreenPoint ToScreen(const P3& p, float spin, const P3& place) {
    Mat world = Multiply(Multiply(Rotation(0, 90.0f), Rotation(1, spin)), Rotation(2, 180.0f));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) world[i][j] *= 0.1;
    world[3][0] = place.x;
    world[3][1] = place.y;
    world[3][2] = place.z;
    Mat view = Identity();
    view[1][1] = -1.0;
    view[2][2] = -1.0;
    view[3][2] = 10.0;
    Mat projection{};
    projection[0][0] = projection[1][1] = projection[2][2] = projection[2][3] = 1.0;
    projection[3][2] = -1.0;
    const Mat all = Multiply(Multiply(world, view), projection);
    const double in[4] = {p.x, p.y, p.z, 1.0};
    double out[4] = {0, 0, 0, 0};
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k) out[j] += in[k] * all[k][j];
    return {320.0 * (out[0] / out[3] + 1.0), 240.0 + 320.0 * (out[1] / out[3])};
}

// Twice the signed screen area as the rasteriser's cull test computes it;
// D3DCULL_CCW drops a triangle unless it is positive.
double CullArea(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c) {
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

constexpr P3 RING_CENTRE{-4.0, -1.0, -5.0};

class MeshOnScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        auto read = ReadMeshSolid(ReadFileBytes(MESH_ASSET));
        ASSERT_TRUE(read.has_value());
        ASSERT_EQ(read->positions.size(), 64u);
        solid = *read;
    }
    std::vector<ScreenPoint> Project(float spin) const {
        std::vector<ScreenPoint> points;
        for (const P3& p : solid.positions) points.push_back(ToScreen(p, spin, RING_CENTRE));
        return points;
    }
    MeshSolid solid;
};

TEST_F(MeshOnScreen, LogoStandsUprightWithItsHeavyStrokeOnTheLeft) {
    const auto screen = Project(0.0f);
    // The serifs (largest file z) are above the foot (smallest file z).
    const auto byZ = [&](int a, int b) { return solid.positions[a].z < solid.positions[b].z; };
    int foot = 0, top = 0;
    for (int i = 0; i < 32; ++i) {
        if (byZ(i, foot)) foot = i;
        if (byZ(top, i)) top = i;
    }
    EXPECT_LT(screen[top].y, screen[foot].y - 40.0);

    // A scanline through the arms crosses the outline four times: the left
    // arm, the gap, the right arm. The left arm must be the heavy one.
    const double lineY = screen[foot].y + 0.7 * (screen[top].y - screen[foot].y);
    std::vector<double> crossings;
    for (int i = 0; i < 32; ++i) {
        const ScreenPoint& a = screen[i];
        const ScreenPoint& b = screen[(i + 1) % 32];
        if ((a.y > lineY) != (b.y > lineY))
            crossings.push_back(a.x + (lineY - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    ASSERT_EQ(crossings.size(), 4u);
    const double leftArm = crossings[1] - crossings[0];
    const double rightArm = crossings[3] - crossings[2];
    EXPECT_GT(leftArm, 1.4 * rightArm);
}

TEST_F(MeshOnScreen, OneWholeCapSurvivesCullingAtEitherFace) {
    for (const float spin : {0.0f, 180.0f}) {
        const auto screen = Project(spin);
        int drawnBack = 0, drawnFront = 0, capFaces = 0;
        double drawnCapArea = 0.0;
        for (const auto& f : solid.faces) {
            const bool back = f[0] < 32 && f[1] < 32 && f[2] < 32;
            const bool front = f[0] >= 32 && f[1] >= 32 && f[2] >= 32;
            if (!back && !front) continue;
            ++capFaces;
            const double area = CullArea(screen[f[0]], screen[f[1]], screen[f[2]]);
            if (area > 0.0) {
                (back ? drawnBack : drawnFront) += 1;
                drawnCapArea += area / 2.0;
            }
        }
        ASSERT_EQ(capFaces, 60);
        // The negative clip height mirrors y, so the cap whose outward normal
        // faces the camera is the one culled; its twin on the far side is drawn.
        // Both have the same outline, so the logo is covered all the same.
        if (spin == 0.0f) {
            EXPECT_EQ(drawnBack, 30);
            EXPECT_EQ(drawnFront, 0);
        } else {
            EXPECT_EQ(drawnBack, 0);
            EXPECT_EQ(drawnFront, 30);
        }
        double outlineArea = 0.0;
        const int first = spin == 0.0f ? 0 : 32;
        for (int i = 0; i < 32; ++i) {
            const ScreenPoint& a = screen[first + i];
            const ScreenPoint& b = screen[first + (i + 1) % 32];
            outlineArea += (a.x * b.y - b.x * a.y) / 2.0;
        }
        EXPECT_NEAR(drawnCapArea, std::fabs(outlineArea), 1e-6 * std::fabs(outlineArea)) << "spin " << spin;
    }
}

TEST_F(MeshOnScreen, NearestCopyStaysOnScreen) {
    // The copy nearest the camera, at the ring's right-most point, stays on screen.
    for (const P3& p : solid.positions) {
        const ScreenPoint s = ToScreen(p, 0.0f, P3{2.0, -1.0, 0.0});
        EXPECT_GT(s.x, 0.0);
        EXPECT_LT(s.x, 640.0);
        EXPECT_GT(s.y, 0.0);
        EXPECT_LT(s.y, 480.0);
    }
}

}  // namespace
}  // namespace trelk::test
