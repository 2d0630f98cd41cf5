// A mesh like the intro's: a flat star-shaped solid lying in the x-z plane, about 30 units across and
// 3 thick, 124 triangles (top and bottom fans of 31, 62 side triangles), as a
// non-indexed D3DVERTEX triangle list; and the intro's way of placing it.
#pragma once

#include <vector>

#include "platform/d3d/d3d.h"

constexpr int FLAT_SOLID_TRIANGLES = 124;

std::vector<D3DVERTEX> FlatSolidMesh();

// Turned 90 degrees about x, spun about y, turned 180 about z, scaled 0.1
// and moved to (x, y, z): the world matrix of one copy of the intro's mesh.
D3DMATRIX IntroWorldMatrix(float spinDegrees, float x, float y, float z);
