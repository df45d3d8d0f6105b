#include "symbolize/cgis_symbolizealgorithm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>
#include <vector>

#include "symbolize/symbolize_log.h"

namespace {

// Relative tolerance of every comparison in the simplification: two coordinates count as equal
// when they differ by no more than this fraction of one of them.
constexpr double kRelativeEpsilon = 1e-15;

// Spline segments shorter than this are lengthened to it, so coincident points do not divide by
// zero.
constexpr double kMinSegmentLength = 0.005;
// A pivot of the tangent system closer to zero than kTinyPivot is replaced by kPivotFloor.
constexpr double kTinyPivot = 0.001;
constexpr double kPivotFloor = 0.005;

double Distance(const SymbolPoint3& a, const SymbolPoint3& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// Half away from zero; NaN and infinities pass through unchanged.
double RoundHalfAway(double v) { return v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5); }

// A coordinate as the log prints it: truncated, and held inside the range of int.
int LoggedInteger(double v) {
    if (std::isnan(v)) return 0;
    constexpr double kLow = std::numeric_limits<int>::min();
    constexpr double kHigh = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(v, kLow, kHigh));
}

// Reports a smoothing that could not be done, with the points it was asked to smooth. The list
// stops where the message buffer is full.
void LogSplineFailure(const SymbolPoint3* points, int32_t count, int32_t endType, double coef, int32_t size) {
    char message[symbolize::kLogBufferSize];
    int used =
        std::snprintf(message, sizeof message, "平滑处理出现异常。iVICount:%d，type:%d，coef:%lf，size:%d\n",
                      count, endType, coef, size);
    for (int32_t i = 0; i < count && used >= 0 && used < static_cast<int>(sizeof message); ++i) {
        used += std::snprintf(message + used, sizeof message - static_cast<size_t>(used), "%d, %d\n",
                              LoggedInteger(points[i].x), LoggedInteger(points[i].y));
    }
    SYMBOLIZE_LOG(LogLevelNotice, "CGIS_Symbolization::BSpline", "%s", message);
}

}  // namespace

int32_t CGIS_Symbolization::PerpendicularFoot(const SymbolPoint3& p, const SymbolPoint3& a,
                                              const SymbolPoint3& b, SymbolPoint3* foot) const noexcept {
    if (std::fabs(a.x - b.x) <= std::fabs(kRelativeEpsilon * a.x)) {
        // Vertical chord (or a and b the same point).
        foot->x = a.x;
        foot->y = p.y;
        return std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y) ? 0 : -1;
    }
    if (std::fabs(a.y - b.y) <= std::fabs(kRelativeEpsilon * a.y)) {
        foot->x = p.x;
        foot->y = a.y;
        return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) ? 0 : -1;
    }
    const double k = (b.y - a.y) / (b.x - a.x);
    const double q = -1.0 / k;
    foot->x = (k * a.x - q * p.x + p.y - a.y) / (k - q);
    foot->y = (foot->x - a.x) * k + a.y;
    const double fromMin = foot->x - std::min(a.x, b.x);
    const double fromMax = foot->x - std::max(a.x, b.x);
    const bool within =
        fromMin > std::fabs(kRelativeEpsilon * fromMin) && fromMax < -std::fabs(kRelativeEpsilon * fromMax);
    return within ? 0 : -1;
}

namespace {

// The interior point of points[first..last] farthest from the chord line, when it lies farther
// than `tolerance` by more than the relative epsilon; -1 when none does. Ties keep the earlier.
int32_t FarthestFromChord(const CGIS_Symbolization& algorithm, const SymbolPoint3* points, int32_t first,
                          int32_t last, double tolerance) {
    double farthest = tolerance;
    int32_t best = -1;
    for (int32_t i = first + 1; i < last; ++i) {
        SymbolPoint3 foot;
        algorithm.PerpendicularFoot(points[i], points[first], points[last], &foot);
        const double d = Distance(points[i], foot);
        if (d - farthest > std::fabs(kRelativeEpsilon * d)) {
            farthest = d;
            best = i;
        }
    }
    return best;
}

}  // namespace

void CGIS_Symbolization::Simplify(const SymbolPoint3* points, int32_t count, double tolerance,
                                  SymbolPoint3* output, int32_t* outputCount) const noexcept {
    if (outputCount == nullptr) return;
    *outputCount = 0;
    if (points == nullptr || output == nullptr || count < 1) return;
    int32_t kept = 0;
    output[kept++] = points[0];
    if (count == 1) {
        *outputCount = kept;
        return;
    }
    // Each stretch is split at its farthest point; the left part is finished before the right one.
    // Rather than recursing (a line can nest as deep as it has points), the ends of the stretches
    // still to do wait on a stack: each stretch begins where the one before it ends. Each turn
    // pushes a kept point or pops a finished stretch, so the loop turns at most 2 * count times;
    // kMaxSimplifyDistanceTests bounds the work of the turns.
    try {
        std::vector<int32_t> pendingEnds{count - 1};
        int32_t first = 0;
        int64_t distanceTests = 0;
        while (!pendingEnds.empty()) {
            const int32_t last = pendingEnds.back();
            const int32_t interior = last - first - 1;
            if (distanceTests + interior > kMaxSimplifyDistanceTests) break;
            const int32_t best = interior > 0 ? FarthestFromChord(*this, points, first, last, tolerance) : -1;
            distanceTests += interior;
            if (best < 0) {
                output[kept++] = points[last];
                first = last;
                pendingEnds.pop_back();
            } else {
                pendingEnds.push_back(best);
            }
        }
        // Out of budget: the stretches still waiting tile the rest of the list; keep it whole.
        for (int32_t i = first + 1; !pendingEnds.empty() && i < count; ++i) output[kept++] = points[i];
    } catch (const std::exception&) {
        // No room for the stack of stretches: keep every point rather than drop any.
        std::copy(points, points + count, output);
        kept = count;
    }
    *outputCount = kept;
}

bool CGIS_Symbolization::BSpline(const SymbolPoint3* points, int32_t count, int32_t endType, double coef,
                                 int32_t size, SymbolPoint3** output, int32_t* outputCount) const noexcept {
    if (output == nullptr || outputCount == nullptr) return false;
    *output = nullptr;
    *outputCount = 0;
    if (points == nullptr || count < 2 || size < 0) return false;
    const int32_t n = count;
    const bool copyOnly = n < 4 || size == 0;
    const int64_t total = copyOnly ? n : int64_t{n - 1} * (int64_t{size} + 1) + 1;
    if (total > kMaxSplinePoints) {
        LogSplineFailure(points, count, endType, coef, size);
        return false;
    }
    try {
        std::unique_ptr<SymbolPoint3[]> result(new SymbolPoint3[static_cast<size_t>(total)]);
        if (copyOnly) {
            std::copy(points, points + n, result.get());
        } else {
            // Only the end rows of end type 2 are known; every end type draws with them.
            const size_t un = static_cast<size_t>(n);
            std::vector<double> h(un - 1);
            for (size_t i = 0; i + 1 < un; ++i)
                h[i] = std::max(Distance(points[i + 1], points[i]), kMinSegmentLength);

            std::vector<double> lambda(un, 0.0), mu(un, 0.0), beta(un, 0.0);
            std::vector<SymbolPoint3> rhs(un), tangent(un);
            beta[0] = 0.5;
            rhs[0].x = 1.5 * (points[1].x - points[0].x) / h[0];
            rhs[0].y = 1.5 * (points[1].y - points[0].y) / h[0];
            for (size_t i = 1; i + 1 < un; ++i) {
                lambda[i] = h[i] / (h[i - 1] + h[i]);
                mu[i] = 1.0 - lambda[i];
                const double dx = 3.0 * lambda[i] * (points[i].x - points[i - 1].x) / h[i - 1] +
                                  3.0 * mu[i] * (points[i + 1].x - points[i].x) / h[i];
                const double dy = 3.0 * lambda[i] * (points[i].y - points[i - 1].y) / h[i - 1] +
                                  3.0 * mu[i] * (points[i + 1].y - points[i].y) / h[i];
                double den = 2.0 - lambda[i] * beta[i - 1];
                if (std::fabs(den) < kTinyPivot) den = kPivotFloor;
                beta[i] = mu[i] / den;
                rhs[i].x = dx - lambda[i] * rhs[i - 1].x / den;
                rhs[i].y = dy - lambda[i] * rhs[i - 1].y / den;
            }
            double den = 2.0 - beta[un - 2];
            if (std::fabs(den) < kTinyPivot) den = kPivotFloor;
            tangent[un - 1].x =
                (3.0 * (points[un - 1].x - points[un - 2].x) / h[un - 2] - rhs[un - 2].x) / den;
            tangent[un - 1].y =
                (3.0 * (points[un - 1].y - points[un - 2].y) / h[un - 2] - rhs[un - 2].y) / den;
            for (size_t k = un - 1; k-- > 0;) {
                tangent[k].x = rhs[k].x - beta[k] * tangent[k + 1].x;
                tangent[k].y = rhs[k].y - beta[k] * tangent[k + 1].y;
            }

            const double step = 1.0 / (size + 1);
            size_t out = 0;
            for (size_t i = 0; i + 1 < un; ++i) {
                const SymbolPoint3& p0 = points[i];
                const SymbolPoint3& p1 = points[i + 1];
                result[out++] = SymbolPoint3{RoundHalfAway(p0.x), RoundHalfAway(p0.y), 0.0};
                double t = 0.0;
                for (int32_t j = 1; j <= size; ++j) {
                    t += step;
                    const double t2 = t * t;
                    const double t3 = t2 * t;
                    const double h00 = 2 * t3 - 3 * t2 + 1;
                    const double h01 = 3 * t2 - 2 * t3;
                    const double h10 = t3 - 2 * t2 + t;
                    const double h11 = t3 - t2;
                    const double x =
                        h00 * p0.x + h01 * p1.x + coef * h[i] * (h10 * tangent[i].x + h11 * tangent[i + 1].x);
                    const double y =
                        h00 * p0.y + h01 * p1.y + coef * h[i] * (h10 * tangent[i].y + h11 * tangent[i + 1].y);
                    result[out++] = SymbolPoint3{RoundHalfAway(x), RoundHalfAway(y), 0.0};
                }
            }
            result[out] = points[un - 1];
        }
        *output = result.release();
        *outputCount = static_cast<int32_t>(total);
        return true;
    } catch (const std::exception&) {
        LogSplineFailure(points, count, endType, coef, size);
        return false;
    }
}
