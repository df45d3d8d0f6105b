// The raw-Cairo side of a comparison that replays what the library asked the graphics layer to
// draw (recorded once on a recording canvas): the same geometry, pens, brushes and clips, drawn
// as a plain Cairo program would.
#pragma once

#include <cairo.h>

#include <vector>

#include "contracts/pictor/pictor.h"
#include "pictor/recording_canvas.h"

namespace bench {

inline void SetSourceColour(cairo_t* cr, const Pictor::Color& c) {
    cairo_set_source_rgba(cr, c.GetR() / 255.0, c.GetG() / 255.0, c.GetB() / 255.0, c.GetA() / 255.0);
}

inline void AppendPath(cairo_t* cr, const Pictor::GraphicsPath& path) {
    using namespace Pictor;
    const auto& points = path.Points();
    const auto& types = path.Types();
    for (size_t i = 0; i < points.size(); ++i) {
        switch (types[i] & PathPointTypeMask) {
            case PathPointStart:
                cairo_move_to(cr, points[i].x, points[i].y);
                break;
            case PathPointBezier:
                cairo_curve_to(cr, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y,
                               points[i + 2].x, points[i + 2].y);
                i += 2;
                break;
            default:
                cairo_line_to(cr, points[i].x, points[i].y);
                break;
        }
        if (types[i] & PathPointClose) cairo_close_path(cr);
    }
}

inline void SetPen(cairo_t* cr, const Pictor::Pen& pen) {
    SetSourceColour(cr, pen.GetColor());
    cairo_set_line_width(cr, pen.GetWidth());
    const cairo_line_cap_t caps[] = {CAIRO_LINE_CAP_BUTT, CAIRO_LINE_CAP_SQUARE, CAIRO_LINE_CAP_ROUND};
    cairo_set_line_cap(cr, caps[pen.GetLineCap() % 3]);
    const cairo_line_join_t joins[] = {CAIRO_LINE_JOIN_MITER, CAIRO_LINE_JOIN_BEVEL, CAIRO_LINE_JOIN_ROUND};
    cairo_set_line_join(cr, joins[pen.GetLineJoin() % 3]);
    cairo_set_miter_limit(cr, pen.GetMiterLimit());
    std::vector<double> dashes = pen.GetEffectiveDashPattern();
    for (double& d : dashes) d *= pen.GetWidth();
    cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0.0);
}

// A linear gradient as the brush describes it, its stops straight from the blend table.
inline void SetGradient(cairo_t* cr, const Pictor::LinearGradientBrush& brush) {
    Pictor::PointD start, end;
    brush.GetAxis(&start, &end);
    cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
    const Pictor::Color c1 = brush.GetColor1(), c2 = brush.GetColor2();
    auto mix = [](int a, int b, double f) { return (a + f * (b - a)) / 255.0; };
    for (size_t i = 0; i < brush.GetBlendFactors().size(); ++i) {
        const double f = brush.GetBlendFactors()[i];
        cairo_pattern_add_color_stop_rgba(pattern, brush.GetBlendPositions()[i], mix(c1.GetR(), c2.GetR(), f),
                                          mix(c1.GetG(), c2.GetG(), f), mix(c1.GetB(), c2.GetB(), f),
                                          mix(c1.GetA(), c2.GetA(), f));
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    double e[6];
    brush.GetTransform().GetElements(e);
    cairo_matrix_t m{e[0], e[1], e[2], e[3], e[4], e[5]};
    cairo_matrix_invert(&m);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
}

// Replays recorded strokes and fills; a fill with a texture brush takes `texture`, a pattern
// the raw program made once. The clip is changed only when it changes, as a program clipping
// once per polygon would.
inline void Replay(cairo_t* cr, const std::vector<Pictor::RecordedOp>& ops,
                   cairo_pattern_t* texture = nullptr) {
    using namespace Pictor;
    const GraphicsPath* clip = nullptr;
    for (const RecordedOp& op : ops) {
        const GraphicsPath* wanted = op.clip ? &*op.clip : nullptr;
        if (wanted != clip && !(wanted && clip && wanted->Points() == clip->Points())) {
            cairo_reset_clip(cr);
            if (wanted) {
                AppendPath(cr, *wanted);
                cairo_clip(cr);
            }
            clip = wanted;
        }
        switch (op.kind) {
            case OpKind::DrawPath:
                AppendPath(cr, op.device);
                SetPen(cr, *op.pen);
                cairo_stroke(cr);
                break;
            case OpKind::DrawLine:
                cairo_move_to(cr, op.from.x, op.from.y);
                cairo_line_to(cr, op.to.x, op.to.y);
                SetPen(cr, *op.pen);
                cairo_stroke(cr);
                break;
            case OpKind::FillPath:
                AppendPath(cr, op.device);
                switch (op.brush->GetType()) {
                    case BrushType::LinearGradient:
                        SetGradient(cr, static_cast<const LinearGradientBrush&>(*op.brush));
                        break;
                    case BrushType::Texture:
                        cairo_set_source(cr, texture);
                        break;
                    default:
                        SetSourceColour(cr, static_cast<const SolidBrush&>(*op.brush).GetColor());
                        break;
                }
                cairo_set_fill_rule(cr, op.device.GetFillMode() == FillModeAlternate
                                            ? CAIRO_FILL_RULE_EVEN_ODD
                                            : CAIRO_FILL_RULE_WINDING);
                cairo_fill(cr);
                break;
            default:  // the benchmarked symbols draw nothing else
                break;
        }
    }
    cairo_reset_clip(cr);
}

}  // namespace bench
