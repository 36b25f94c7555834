#pragma once

#include <array>
#include <vector>

#include <QPoint>

#include "controls/canvas.h"
#include "controls/gdi.h"
#include "controls/spinmatrix.h"

// The five figures of the closing effect: outlines of a rectangle, or of pieces of it, that
// shrink, turn and fly apart over `steps` frames. A frame function is called once to prepare
// (phase 0), then for each step to draw (phase 1) and to draw the same again (phase 2), which
// with the inverting mix takes it away, and once to finish (phase 3).

struct SpinFrame {
    Rect rect;  // screen coordinates
    int angle = 0;
    int trail = 0;
    int steps = 0;
    int step = 0;
    int hw = 0;  // right - cx, half the width
    int ty = 0;  // top - cy, minus half the height
    int cx = 0;
    int cy = 0;
    Canvas* dc = nullptr;
    int phase = 0;

    // Prepared in phase 0.
    SpinMatrix turn;                               // the pentagon step of the five rectangles
    std::array<QPoint, 16> ring;                   // the ten or sixteen places on a ring
    std::array<std::array<QPoint, 3>, 16> pieces;  // the shards: centre and an edge's part
    std::array<QPoint, 16> centroids;
    std::array<SpinMatrix, 16> paths;  // from each shard's place to its destination
};

SpinFrame MakeSpinFrame(const Rect& rect, int angle, int trail, int steps, Canvas* dc);

using SpinFrameFunction = void (*)(SpinFrame& frame);

// Figures 0 and 2: the rectangle shrinking into its centre while it turns.
void DrawSpin(SpinFrame& frame);
// Figure 1: five copies on a pentagon round the centre.
void DrawFive(SpinFrame& frame);
// Figure 3: the outline broken into 16 shards that fly out to a ring and spin.
void DrawShatter(SpinFrame& frame);
// Figure 4: ten copies bursting out to a ring.
void DrawTen(SpinFrame& frame);

// One closed outline of a frame: drawn from its last point through all its points.
struct Outline {
    std::vector<QPoint> points;
    bool drawn = true;  // false for an outline shrunk to nothing
};

// The outlines a figure draws at frame.step (the frame prepared for that figure).
std::vector<Outline> SpinOutlines(const SpinFrame& frame);
std::vector<Outline> FiveOutlines(const SpinFrame& frame);
std::vector<Outline> ShatterOutlines(const SpinFrame& frame);
std::vector<Outline> TenOutlines(const SpinFrame& frame);
