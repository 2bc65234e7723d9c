// The terrain mesh as GL receives it: captured with feedback, so every vertex
// comes back as a number rather than a pixel, the same on any driver.
#include "app/platform.h"
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/frame.h"
#include "app/state.h"
#include "tests/support/start_view.h"

namespace {

// A known field: heights are multiples of 5, so a tenth of each is a whole or
// a half number that a float holds exactly, and no two neighbours along i or
// along j are alike. Colours name their grid point modulo 4 in red and green.
int heightStep(int i, int j) { return (i * 7 + j * 13) % 61 - 20; }

float expectedY(int i, int j) { return (float)heightStep(i, j) / 2.0f; }

void loadFixture()
{
    for (int i = 0; i < 257; i++)
        for (int j = 0; j < 257; j++) {
            terrain[i][j] = 5.0f * (float)heightStep(i, j);
            finalTerrainTexture[i][j][0] = (float)(i % 4) / 4.0f;
            finalTerrainTexture[i][j][1] = (float)(j % 4) / 4.0f;
            finalTerrainTexture[i][j][2] = (float)((i / 4 + j / 4) % 2) / 2.0f;
        }
}

struct Vertex {
    float x, y, z, r, g, b;
};

struct Primitive {
    int count;  // 3 for a triangle, 2 for a segment
    Vertex v[3];
};

// Room for the whole mesh: 131,072 triangles of 2 + 3 x 7 values.
std::vector<GLfloat> feedback(3200000);

// An orthographic map with power-of-two scales, and a viewport placed so that
// its offset (origin + size / 2) is 0 in x and y: every step GL takes is then
// exact, whatever the driver, and window coordinates give back world
// coordinates bit for bit: window x = world x - 128, window y = world y,
// window z = world z / 1024 + 0.375. All of the mesh lies well inside the
// view, so nothing is clipped.
void loadExactView()
{
    const GLfloat projection[16] = {1.0f / 256, 0, 0, 0, 0, 1.0f / 64, 0, 0, 0, 0, 1.0f / 512, 0, -0.5f, 0, -0.25f, 1};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(-256, -64, 512, 128);
    glDepthRange(0.0, 1.0);
}

Vertex readVertex(const GLfloat *&p)
{
    Vertex v{p[0] + 128.0f, p[1], (p[2] - 0.375f) * 1024.0f, p[3], p[4], p[5]};
    p += 7;  // x, y, z, then red, green, blue, alpha
    return v;
}

// Captures one renderTerrain; false (with a failure) if GL gave back anything
// but the triangles or segments the mesh is made of.
bool captureMesh(std::vector<Primitive> &out)
{
    loadExactView();
    glFeedbackBuffer((GLsizei)feedback.size(), GL_3D_COLOR, feedback.data());
    glRenderMode(GL_FEEDBACK);
    renderTerrain();
    GLint n = glRenderMode(GL_RENDER);
    if (n < 0) {
        ADD_FAILURE() << "feedback buffer overflowed";
        return false;
    }
    out.clear();
    const GLfloat *p = feedback.data(), *end = p + n;
    while (p < end) {
        GLint token = (GLint)*p++;
        Primitive prim{};
        if (token == GL_POLYGON_TOKEN) {
            prim.count = (int)*p++;
            if (prim.count != 3) {
                ADD_FAILURE() << "a polygon of " << prim.count << " vertices";
                return false;
            }
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            prim.count = 2;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            return false;
        }
        for (int k = 0; k < prim.count; k++)
            prim.v[k] = readVertex(p);
        out.push_back(prim);
    }
    return true;
}

struct Point {
    int i, j;
};

bool isAt(const Vertex &v, Point g)
{
    const float tolerance = 1.0f / 255;  // colours may come back through 8 bits
    const float *c = finalTerrainTexture[g.i][g.j];
    return v.x == (float)g.i && v.y == expectedY(g.i, g.j) && v.z == (float)g.j && std::fabs(v.r - c[0]) <= tolerance
           && std::fabs(v.g - c[1]) <= tolerance && std::fabs(v.b - c[2]) <= tolerance;
}

// A triangle may come back starting at any of its corners, but in its own
// winding; a segment may come back from either end.
bool matches(const Primitive &p, const Point *want)
{
    if (p.count == 2)
        return (isAt(p.v[0], want[0]) && isAt(p.v[1], want[1])) || (isAt(p.v[0], want[1]) && isAt(p.v[1], want[0]));
    for (int r = 0; r < 3; r++)
        if (isAt(p.v[0], want[r]) && isAt(p.v[1], want[(r + 1) % 3]) && isAt(p.v[2], want[(r + 2) % 3]))
            return true;
    return false;
}

std::string describe(const Primitive &p)
{
    std::string s;
    for (int k = 0; k < p.count; k++) {
        char buf[96];
        snprintf(buf, sizeof buf, " (%g, %g, %g | %g %g %g)", p.v[k].x, p.v[k].y, p.v[k].z, p.v[k].r, p.v[k].g,
                 p.v[k].b);
        s += buf;
    }
    return s;
}

// Checks the primitives cell by cell against perCell expected shapes of size corners each.
void expectCells(const std::vector<Primitive> &got, int perCell, int corners,
                 void (*shape)(int i, int j, Point out[][3]))
{
    ASSERT_EQ(got.size(), (size_t)256 * 256 * perCell);
    int bad = 0;
    for (int i = 0; i < 256; i++)
        for (int j = 0; j < 256; j++) {
            Point want[3][3];
            shape(i, j, want);
            for (int k = 0; k < perCell; k++) {
                const Primitive &p = got[(size_t)(i * 256 + j) * perCell + k];
                if (p.count != corners || !matches(p, want[k])) {
                    if (bad++ < 5)
                        ADD_FAILURE() << "cell [" << i << "][" << j << "] primitive " << k << ":" << describe(p);
                }
            }
        }
    EXPECT_EQ(bad, 0);
}

class Mesh : public ::testing::Test {
protected:
    void SetUp() override { loadFixture(); }
    void TearDown() override { restoreStartView(); }
};

TEST_F(Mesh, EachCellIsTwoTrianglesSplitFromItsNearCornerToItsFarCorner)
{
    wireframe = false;
    std::vector<Primitive> got;
    ASSERT_TRUE(captureMesh(got));
    expectCells(got, 2, 3, [](int i, int j, Point out[][3]) {
        // ([i][j], [i+1][j+1], [i][j+1]) then ([i][j], [i+1][j], [i+1][j+1])
        Point a[3] = {{i, j}, {i + 1, j + 1}, {i, j + 1}};
        Point b[3] = {{i, j}, {i + 1, j}, {i + 1, j + 1}};
        for (int k = 0; k < 3; k++) {
            out[0][k] = a[k];
            out[1][k] = b[k];
        }
    });
}

TEST_F(Mesh, WireframeIsTheDiagonalAndTheTwoEdgesAlongZOfEveryCell)
{
    wireframe = true;
    std::vector<Primitive> got;
    ASSERT_TRUE(captureMesh(got));
    expectCells(got, 3, 2, [](int i, int j, Point out[][3]) {
        Point segments[3][2] = {{{i, j}, {i + 1, j + 1}}, {{i, j + 1}, {i, j}}, {{i + 1, j}, {i + 1, j + 1}}};
        for (int k = 0; k < 3; k++) {
            out[k][0] = segments[k][0];
            out[k][1] = segments[k][1];
        }
    });
    int alongX = 0;
    for (const Primitive &p : got)
        alongX += p.v[0].z == p.v[1].z && p.v[0].x != p.v[1].x;
    EXPECT_EQ(alongX, 0);
}

}  // namespace
