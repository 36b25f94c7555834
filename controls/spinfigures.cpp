#include "controls/spinfigures.h"

namespace {

// A polygon is skipped when its first and last points meet: an outline shrunk to a point.
Outline Polygon(std::vector<QPoint> points) {
    const bool drawn = points.front() != points.back();
    return {std::move(points), drawn};
}

void DrawOutlines(Canvas& dc, const std::vector<Outline>& outlines) {
    for (const Outline& outline : outlines) {
        if (outline.drawn) {
            dc.MoveTo(outline.points.back().x(), outline.points.back().y());
            dc.PolylineTo(outline.points);
        }
    }
}

int Progress(const SpinFrame& frame) {
    return FixedRatio(frame.step, frame.steps);
}

QPoint Centre(const SpinFrame& frame) {
    return {frame.cx, frame.cy};
}

// The k-th of four equal parts of the edge from a to b.
QPoint EdgePoint(QPoint a, QPoint b, int k) {
    return {(k * b.x() + (4 - k) * a.x()) / 4, (k * b.y() + (4 - k) * a.y()) / 4};
}

void PrepareShatter(SpinFrame& frame) {
    const Rect& r = frame.rect;
    const std::array<QPoint, 5> corners = {{{r.left, r.bottom},
                                            {r.right, r.bottom},
                                            {r.right, r.top},
                                            {r.left, r.top},
                                            {r.left, r.bottom}}};
    const QPoint centre = Centre(frame);
    const QPoint start(frame.cx, frame.cy + 4 * (frame.hw + frame.ty) / 5);
    for (int k = 0; k < 16; ++k) {
        const QPoint a = corners[static_cast<std::size_t>(k / 4)];
        const QPoint b = corners[static_cast<std::size_t>(k / 4 + 1)];
        const QPoint first = EdgePoint(a, b, k % 4);
        const QPoint second = EdgePoint(a, b, k % 4 + 1);
        const auto i = static_cast<std::size_t>(k);
        frame.pieces[i] = {centre, first, second};
        frame.centroids[i] = {(centre.x() + first.x() + second.x()) / 3,
                              (centre.y() + first.y() + second.y()) / 3};
        const QPoint destination =
            Transform(start, Rotate((33 - 22 * k) * 65536, frame.cx, frame.cy));
        frame.paths[i] = Translate(destination.x() - frame.centroids[i].x(),
                                   destination.y() - frame.centroids[i].y());
    }
}

void PrepareTen(SpinFrame& frame) {
    const QPoint start(frame.cx, frame.cy + (frame.hw + frame.ty) * 5 / 3);
    for (int k = 0; k < 10; ++k) {
        frame.ring[static_cast<std::size_t>(k)] =
            Transform(start, Rotate(36 * k * 65536, frame.cx, frame.cy));
    }
}

// Prepares in phase 0 and draws the outlines in phases 1 and 2.
void Play(SpinFrame& frame, void (*prepare)(SpinFrame&),
          std::vector<Outline> (*outlines)(const SpinFrame&)) {
    if (frame.phase == 0 && prepare != nullptr) {
        prepare(frame);
    } else if (frame.phase == 1 || frame.phase == 2) {
        DrawOutlines(*frame.dc, outlines(frame));
    }
}

}  // namespace

SpinFrame MakeSpinFrame(const Rect& rect, int angle, int trail, int steps, Canvas* dc) {
    SpinFrame frame;
    frame.rect = rect;
    frame.angle = angle;
    frame.trail = trail;
    frame.steps = steps;
    frame.cx = (rect.left + rect.right) / 2;
    frame.cy = (rect.top + rect.bottom) / 2;
    frame.hw = rect.right - frame.cx;
    frame.ty = rect.top - frame.cy;
    frame.dc = dc;
    return frame;
}

std::vector<Outline> SpinOutlines(const SpinFrame& frame) {
    const SpinMatrix m =
        Scale(Progress(frame), 0, 0) *
        Rotate(FixedRatio((frame.step - frame.steps) * frame.angle, frame.steps), 0, 0);
    const QPoint q0 = Transform({frame.hw, frame.ty}, m);
    const QPoint q1 = Transform({frame.hw, -frame.ty}, m);
    const QPoint c = Centre(frame);
    return {Polygon({c - q0, c - q1, c + q0, c + q1})};
}

std::vector<Outline> FiveOutlines(const SpinFrame& frame) {
    const int w = frame.step * frame.hw / frame.steps;
    const int h = frame.step * frame.ty / frame.steps;
    const SpinMatrix m =
        Translate(frame.hw, frame.ty) *
        Scale(FixedRatio((frame.steps - frame.step) * 4, frame.steps * 3), frame.cx, frame.cy) *
        Rotate(FixedRatio(frame.angle * frame.step, frame.steps), frame.cx, frame.cy);
    QPoint p = Transform(Centre(frame), m);
    std::vector<Outline> outlines;
    for (int i = 0; i < 5; ++i) {
        const int l = p.x() - w;
        const int r = p.x() + w;
        const int t = p.y() - h;
        const int b = p.y() + h;
        outlines.push_back({{{l, t}, {l, b}, {r, b}, {r, t}}, w != 0 || h != 0});
        p = Transform(p, frame.turn);
    }
    return outlines;
}

std::vector<Outline> ShatterOutlines(const SpinFrame& frame) {
    const int f = Progress(frame);
    std::vector<Outline> outlines;
    for (std::size_t k = 0; k < 16; ++k) {
        const QPoint c = frame.centroids[k];
        SpinMatrix m;
        if (frame.step < frame.steps / 2) {
            const int turn = (65536 - FixedRatio(2 * frame.step, frame.steps)) * frame.angle;
            m = Scale(f, c.x(), c.y()) * Rotate(turn, c.x(), c.y()) * frame.paths[k];
        } else {
            m = Scale(f, c.x(), c.y()) *
                Blend(SpinMatrix{}, frame.paths[k],
                      FixedRatio(2 * frame.step - frame.steps, frame.steps));
        }
        std::vector<QPoint> points;
        for (const QPoint& corner : frame.pieces[k]) {
            points.push_back(Transform(corner, m));
        }
        outlines.push_back(Polygon(std::move(points)));
    }
    return outlines;
}

std::vector<Outline> TenOutlines(const SpinFrame& frame) {
    const int f = Progress(frame);
    const SpinMatrix m = Scale(f, 0, 0) * Rotate((65536 - f) * frame.angle, 0, 0);
    std::vector<Outline> outlines;
    for (std::size_t k = 0; k < 10; ++k) {
        const QPoint place = Blend(Centre(frame), frame.ring[k], f);
        const SpinMatrix at = m * Translate(place.x(), place.y());
        std::vector<QPoint> points;
        for (const QPoint corner : {QPoint(-frame.hw, frame.ty), QPoint(frame.hw, frame.ty),
                                    QPoint(frame.hw, -frame.ty), QPoint(-frame.hw, -frame.ty)}) {
            points.push_back(Transform(corner, at));
        }
        outlines.push_back(Polygon(std::move(points)));
    }
    return outlines;
}

void DrawSpin(SpinFrame& frame) {
    Play(frame, nullptr, SpinOutlines);
}

void DrawFive(SpinFrame& frame) {
    Play(
        frame, [](SpinFrame& f) { f.turn = Rotate(72 * 65536, f.cx, f.cy); }, FiveOutlines);
}

void DrawShatter(SpinFrame& frame) {
    Play(frame, PrepareShatter, ShatterOutlines);
}

void DrawTen(SpinFrame& frame) {
    Play(frame, PrepareTen, TenOutlines);
}
