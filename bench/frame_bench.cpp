// One frame of the program, display() with glFinish, beside a bare replay of
// the GL calls that frame makes: the same clear, the same mesh of glColor3f and
// glVertex3f pairs, the same push, pop, bind, translate, rotate and quad for
// every cell of the tree pass, the same swap. For comparison only, the replay
// once more with the mesh from a vertex array.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/projection.h"
#include "app/camera.h"
#include "app/state.h"
#include "bench/bench.h"
#include "terrain/colourmap.h"
#include "terrain/heightfield.h"
#include "trees/billboard.h"
#include "trees/placement.h"
#include "trees/sprites.h"

namespace {

struct Pose {
    float eye[3], look[3], angle;
    int cameraType;
};

struct TreeCall {
    int cell;  // i * 256 + j
    GLuint texture;
    float base[3];
    float halfWidth;
    bool turned;
    float degrees;  // about (0, 1, 0)
};

// Everything one frame sends, gathered beforehand from the program's state.
struct Replay {
    GLfloat view[16];
    std::vector<TreeCall> trees;
    std::vector<const TreeCall *> cells;  // 256 x 256, null where nothing is drawn
};

const int meshVertices = 256 * 256 * 6;
std::vector<float> mesh;  // per vertex: r, g, b, x, y, z
Pose poses[2];
Replay replays[2];
int window = 0;

Pose currentPose()
{
    return {{eyeX, eyeY, eyeZ}, {lookX, lookY, lookZ}, angle, cameraType};
}

void applyPose(const Pose &p)
{
    eyeX = p.eye[0], eyeY = p.eye[1], eyeZ = p.eye[2];
    lookX = p.look[0], lookY = p.look[1], lookZ = p.look[2];
    angle = p.angle;
    cameraType = p.cameraType;
}

void buildMesh()
{
    mesh.clear();
    mesh.reserve((size_t)meshVertices * 6);
    auto vertex = [](int a, int b) {
        const float *c = finalTerrainTexture[a][b];
        float v[6] = {c[0], c[1], c[2], (float)a, terrain[a][b] * 0.1f, (float)b};
        mesh.insert(mesh.end(), v, v + 6);
    };
    for (int i = 0; i < 256; i++) {
        for (int j = 0; j < 256; j++) {
            vertex(i, j);
            vertex(i + 1, j + 1);
            vertex(i, j + 1);
            vertex(i, j);
            vertex(i + 1, j);
            vertex(i + 1, j + 1);
        }
    }
}

// The view matrix and every tree's calls for one pose, read back from GL
// after the program's own gluLookAt and billboard rotation.
void buildReplay(const Pose &p, Replay &r)
{
    applyPose(p);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    lookFromEye();
    glGetFloatv(GL_MODELVIEW_MATRIX, r.view);

    bool ready[2] = {glIsTexture(texName[0]) == GL_TRUE, glIsTexture(texName[1]) == GL_TRUE};
    float cam[3] = {eyeX, eyeY, eyeZ};
    r.trees.clear();
    r.trees.reserve(256 * 256);
    for (int i = 0; i < 256; i++) {
        for (int j = 0; j < 256; j++) {
            int kind = treeMap[i][j] == 1 ? 0 : treeMap[i][j] == 2 ? 1 : -1;
            if (kind < 0 || !ready[kind])
                continue;
            TreeCall t;
            t.cell = i * 256 + j;
            t.texture = texName[kind];
            t.base[0] = (float)i, t.base[1] = terrain[i][j] * 0.1f, t.base[2] = (float)j;
            t.halfWidth = kind == 0 ? 3.0f : 1.5f;
            GLfloat m[16];
            glPushMatrix();
            glLoadIdentity();
            if (billboard)
                billboardCylindricalBegin(cam, t.base);
            glGetFloatv(GL_MODELVIEW_MATRIX, m);
            glPopMatrix();
            t.turned = !(m[0] == 1.0f && m[8] == 0.0f && m[2] == 0.0f && m[10] == 1.0f);
            t.degrees = (float)(atan2((double)m[8], (double)m[0]) * 180.0 / M_PI);
            r.trees.push_back(t);
        }
    }
    r.cells.assign(256 * 256, nullptr);
    for (const TreeCall &t : r.trees)
        r.cells[(size_t)t.cell] = &t;
    glLoadIdentity();
}

int countInView(const Replay &r)
{
    GLdouble model[16], projection[16];
    GLint viewport[4];
    for (int k = 0; k < 16; k++)
        model[k] = r.view[k];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    int seen = 0;
    for (const TreeCall &t : r.trees) {
        GLdouble x, y, z;
        gluProject(t.base[0], t.base[1], t.base[2], model, projection, viewport, &x, &y, &z);
        seen += x >= 0 && x < viewport[2] && y >= 0 && y < viewport[3] && z > 0 && z < 1;
    }
    return seen;
}

void immediateMesh()
{
    const float *v = mesh.data();
    glBegin(GL_TRIANGLES);
    for (int k = 0; k < meshVertices; k++, v += 6) {
        glColor3f(v[0], v[1], v[2]);
        glVertex3f(v[3], v[4], v[5]);
    }
    glEnd();
}

void arrayMesh()
{
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glColorPointer(3, GL_FLOAT, 6 * sizeof(float), mesh.data());
    glVertexPointer(3, GL_FLOAT, 6 * sizeof(float), mesh.data() + 3);
    glDrawArrays(GL_TRIANGLES, 0, meshVertices);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void replayTrees(const Replay &r)
{
    glColor3f(0.5, 0.5, 0.5);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0);
    for (const TreeCall *t : r.cells) {
        glPushMatrix();
        if (t) {
            glBindTexture(GL_TEXTURE_2D, t->texture);
            glTranslatef(t->base[0], t->base[1], t->base[2]);
            if (t->turned)
                glRotatef(t->degrees, 0.0f, 1.0f, 0.0f);
            float w = t->halfWidth;
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0); glVertex3f(-w, 0, 0);
            glTexCoord2f(1, 0); glVertex3f(w, 0, 0);
            glTexCoord2f(1, 1); glVertex3f(w, 6, 0);
            glTexCoord2f(0, 1); glVertex3f(-w, 6, 0);
            glEnd();
        }
        glPopMatrix();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}

void replayFrame(const Replay &r, void (*drawMesh)())
{
    glLoadMatrixf(r.view);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawMesh();
    replayTrees(r);
    glutSwapBuffers();
}

std::vector<unsigned char> drawnPicture(int view, int which)
{
    if (which == 0)
        display();
    else
        replayFrame(replays[view], which == 1 ? immediateMesh : arrayMesh);
    glFinish();
    // On this GL the back buffer still holds the frame after the swap.
    std::vector<unsigned char> p((size_t)1000 * 500 * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1000, 500, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

// Pixels in which a replayed frame differs from the program's: 0 when the
// floor really draws what the program draws.
int differingPixels(int view, int which)
{
    applyPose(poses[view]);
    std::vector<unsigned char> program = drawnPicture(view, 0), other = drawnPicture(view, which);
    int differ = 0;
    for (size_t k = 0; k < program.size(); k += 4)
        differ += program[k] != other[k] || program[k + 1] != other[k + 1] || program[k + 2] != other[k + 2];
    return differ;
}

double wallSeconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

// Every iteration draws the program's frame, the floor and the vertex-array
// frame, each timed to its glFinish, in an order that rotates, so that all
// three see the same machine. The reported time is the program's own; the
// ratios are medians of the iterations' own ratios.
void frameBench(benchmark::State &state, int view)
{
    applyPose(poses[view]);
    double sums[3] = {0, 0, 0};
    std::vector<double> ratios, arrayRatios;
    long k = 0;
    for (auto _ : state) {
        double times[3] = {0, 0, 0};
        for (int n = 0; n < 3; n++) {
            int which = (int)((k + n) % 3);
            double t0 = wallSeconds();
            if (which == 0)
                display();
            else
                replayFrame(replays[view], which == 1 ? immediateMesh : arrayMesh);
            glFinish();
            times[which] = wallSeconds() - t0;
        }
        state.SetIterationTime(times[0]);
        for (int n = 0; n < 3; n++)
            sums[n] += times[n];
        ratios.push_back(times[0] / times[1]);
        arrayRatios.push_back(times[2] / times[1]);
        k++;
    }
    using benchmark::Counter;
    state.counters["floor_ms"] = Counter(sums[1] * 1000, Counter::kAvgIterations);
    state.counters["ratio"] = medianOf(ratios);
    state.counters["array_ms"] = Counter(sums[2] * 1000, Counter::kAvgIterations);
    state.counters["array_ratio"] = medianOf(arrayRatios);
}

}  // namespace

FrameSetup setUpFrames()
{
    FrameSetup s;
    int argc = 1;
    char name[] = "verdalo_bench";
    char *argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(1000, 500);
    window = glutCreateWindow("Verdalo bench");
    glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
    // The program reads its tree images from the working directory.
    char here[4096];
    if (!getcwd(here, sizeof here) || chdir(VERDALO_ASSETS) != 0) {
        fprintf(stderr, "verdalo_bench: cannot enter %s\n", VERDALO_ASSETS);
        exit(1);
    }
    initTextures();
    if (chdir(here) != 0)
        exit(1);
    s.treeImages = glIsTexture(texName[0]) == GL_TRUE && glIsTexture(texName[1]) == GL_TRUE;
    s.renderer = std::string((const char *)glGetString(GL_RENDERER)) + ", " + (const char *)glGetString(GL_VERSION);

    // Frames are drawn by the benchmarks, not by GLUT; the window only has to be on screen.
    glutDisplayFunc([] {});
    glutReshapeFunc([](int, int) {});
    for (int k = 0; k < 20; k++) {
        glutMainLoopEvent();
        usleep(10000);
    }
    reshape(1000, 500);

    srand(benchSeed);
    treeCount = 0;
    getHeightField();
    turbulence();
    generateTreeMap();
    s.trees = treeCount;

    poses[0] = currentPose();
    // High over the south edge, looking north and down across the land.
    poses[1] = {{128.0f, 70.0f, 280.0f}, {0.0f, -0.35f, -1.0f}, 0.0f, 1};
    buildMesh();
    for (int v = 0; v < 2; v++) {
        buildReplay(poses[v], replays[v]);
        s.treesInView[v] = countInView(replays[v]);
        s.floorDiffers[v] = differingPixels(v, 1);
        s.arrayDiffers[v] = differingPixels(v, 2);
    }
    applyPose(poses[0]);

    benchmark::RegisterBenchmark("frame/start", frameBench, 0)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("frame/trees", frameBench, 1)->Unit(benchmark::kMillisecond)->UseManualTime();
    return s;
}

void closeFrames()
{
    if (window) {
        glutDestroyWindow(window);
        for (int k = 0; k < 5; k++)
            glutMainLoopEvent();
        window = 0;
    }
}
