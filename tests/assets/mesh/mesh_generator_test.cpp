// gen_mesh reproduces the committed file, and its ear clipper splits
// polygons correctly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/assets/generator_output.h"
#include "tools/mesh/logo_mesh.h"
#include "tools/mesh/mesh_file.h"

namespace trelk::test {
namespace {

using tools::Point2;
using tools::TriangulateOutline;

double TwiceArea(const Point2& a, const Point2& b, const Point2& c) {
    return (b.u - a.u) * (c.v - a.v) - (b.v - a.v) * (c.u - a.u);
}

double TwicePolygonArea(const std::vector<Point2>& p) {
    double sum = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Point2& a = p[i];
        const Point2& b = p[(i + 1) % p.size()];
        sum += a.u * b.v - b.u * a.v;
    }
    return sum;
}

// True when segments ab and cd share a point, collinear overlaps included.
bool SegmentsMeet(const Point2& a, const Point2& b, const Point2& c, const Point2& d) {
    const double abc = TwiceArea(a, b, c), abd = TwiceArea(a, b, d);
    const double cda = TwiceArea(c, d, a), cdb = TwiceArea(c, d, b);
    if (abc == 0.0 && abd == 0.0) {  // on one line: compare the spans
        const bool alongU = a.u != b.u;
        const double a0 = alongU ? a.u : a.v, a1 = alongU ? b.u : b.v;
        const double c0 = alongU ? c.u : c.v, c1 = alongU ? d.u : d.v;
        return std::max(a0, a1) >= std::min(c0, c1) && std::max(c0, c1) >= std::min(a0, a1);
    }
    return abc * abd <= 0.0 && cda * cdb <= 0.0;
}

TEST(EarClipping, SegmentTestSeesCrossingsTouchesAndGaps) {
    EXPECT_TRUE(SegmentsMeet({0, 0}, {2, 2}, {0, 2}, {2, 0}));
    EXPECT_TRUE(SegmentsMeet({0, 0}, {2, 0}, {1, 0}, {1, 3}));
    EXPECT_TRUE(SegmentsMeet({0, 0}, {2, 0}, {1, 0}, {3, 0}));
    EXPECT_FALSE(SegmentsMeet({0, 0}, {1, 0}, {2, 0}, {3, 0}));
    EXPECT_FALSE(SegmentsMeet({0, 0}, {1, 1}, {2, 0}, {3, 5}));
}

// n - 2 counter-clockwise triangles whose areas add up to the polygon's.
void ExpectCovers(const std::vector<Point2>& polygon) {
    const auto triangles = TriangulateOutline(polygon);
    ASSERT_EQ(triangles.size(), polygon.size() - 2);
    double sum = 0.0;
    for (const auto& t : triangles) {
        const double area = TwiceArea(polygon[t[0]], polygon[t[1]], polygon[t[2]]);
        EXPECT_GT(area, 0.0);
        sum += area;
    }
    EXPECT_NEAR(sum, TwicePolygonArea(polygon), 1e-9);
}

TEST(EarClipping, SplitsConvexAndConcavePolygons) {
    ExpectCovers({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    // An L whose reflex corner must not be clipped.
    ExpectCovers({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
    // A comb with three deep notches.
    ExpectCovers({{0, 0},
                  {7, 0},
                  {7, 3},
                  {6, 3},
                  {6, 1},
                  {5, 1},
                  {5, 3},
                  {4, 3},
                  {4, 1},
                  {3, 1},
                  {3, 3},
                  {2, 3},
                  {2, 1},
                  {1, 1},
                  {1, 3},
                  {0, 3}});
}

TEST(EarClipping, RejectsClockwiseAndSelfCrossingPolygons) {
    EXPECT_TRUE(TriangulateOutline({{0, 0}, {0, 1}, {1, 1}, {1, 0}}).empty());
    EXPECT_TRUE(TriangulateOutline({{0, 0}, {1, 1}, {1, 0}, {0, 1}}).empty());
}

TEST(EarClipping, LogoOutlineIsSimpleAndCounterClockwise) {
    const auto outline = tools::LogoOutline();
    const std::vector<Point2> polygon(outline.begin(), outline.end());
    EXPECT_GT(TwicePolygonArea(polygon), 0.0);
    // No two edges that are not neighbours cross or touch.
    const std::size_t n = polygon.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1) continue;
            const Point2& a = polygon[i];
            const Point2& b = polygon[(i + 1) % n];
            const Point2& c = polygon[j];
            const Point2& d = polygon[(j + 1) % n];
            EXPECT_FALSE(SegmentsMeet(a, b, c, d)) << "edges " << i << " and " << j;
        }
        // No three consecutive points on one line.
        EXPECT_NE(TwiceArea(polygon[(i + n - 1) % n], polygon[i], polygon[(i + 1) % n]), 0.0) << i;
    }
    ExpectCovers(polygon);
}

TEST(EarClipping, NoSliverTriangles) {
    const auto outline = tools::LogoOutline();
    const std::vector<Point2> polygon(outline.begin(), outline.end());
    for (const auto& t : TriangulateOutline(polygon)) {
        const Point2& a = polygon[t[0]];
        const Point2& b = polygon[t[1]];
        const Point2& c = polygon[t[2]];
        // Smallest height over longest side: 0 for a needle.
        const double lengths[3] = {std::hypot(b.u - a.u, b.v - a.v), std::hypot(c.u - b.u, c.v - b.v),
                                   std::hypot(a.u - c.u, a.v - c.v)};
        const double longest = std::max({lengths[0], lengths[1], lengths[2]});
        EXPECT_GT(TwiceArea(a, b, c) / (longest * longest), 0.005);
    }
}

TEST(MeshGenerator, ReproducesTheCommittedFile) {
    const auto run = RunGenerator(GEN_MESH, "mesh.3ds");
    ASSERT_EQ(run.exitCode, 0);
    const auto committed = ReadFileBytes(MESH_ASSET);
    ASSERT_EQ(committed.size(), tools::MESH_FILE_BYTES);
    EXPECT_TRUE(run.output == committed) << "regenerate assets/mesh.3ds with gen_mesh";
}

TEST(MeshGenerator, FailsWithoutAnOutputPath) {
    EXPECT_EQ(RunGenerator(GEN_MESH, "missing-folder/mesh.3ds").exitCode, 1);
}

}  // namespace
}  // namespace trelk::test
