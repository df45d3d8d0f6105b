// What the through-the-entry tests share: a recording canvas behind the service, with thinning
// off unless a test turns it on, drawn to as a host would.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "host/host.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"

namespace symbolize_test {

// Answers every colour with the same value, red in the low byte as tables do, and keeps what it
// was asked.
class FixedColourTable final : public IGIS_SymbolColorTable {
public:
    explicit FixedColourTable(uint32_t answer) : answer_(answer) {}
    uint32_t MapColor(uint32_t colour) const noexcept override {
        asked_.push_back(colour);
        return answer_;
    }
    void Release() noexcept override {}
    const std::vector<uint32_t>& Asked() const { return asked_; }

private:
    uint32_t answer_;
    mutable std::vector<uint32_t> asked_;
};

// The bounds of a recorded figure (device units).
inline Pictor::RectD Bounds(const Pictor::GraphicsPath& path) {
    Pictor::RectD b;
    path.GetBounds(&b);
    return b;
}

// The colour of a recorded fill's solid brush.
inline uint32_t BrushColour(const Pictor::RecordedOp& op) {
    return dynamic_cast<const Pictor::SolidBrush&>(*op.brush).GetColor().GetValue();
}

class RecordingTest : public ::testing::Test {
protected:
    // Drawing units per millimetre in every test unless it says otherwise.
    static constexpr double kScale = 4.0;

    void SetUp() override {
        properties_.Set(kPropertySimplifyAnchorPoints, "false");
        symbolhost::SetGlobalProperties(&properties_);
        info_.graphics = &graphics_;
        info_.scale = kScale;
    }
    void TearDown() override { symbolhost::SetGlobalProperties(nullptr); }

    void Draw(IGIS_Symbol* symbol, const std::vector<Pictor::PointD>& points) {
        const int32_t count = static_cast<int32_t>(points.size());
        GIS_GetSymbolizeObject()->Symbolize(symbol, &info_, points.data(), &count);
    }
    void DrawPath(IGIS_Symbol* symbol, const Pictor::GraphicsPath* path) {
        const int32_t id = InterfaceIdSymbolizePath;
        auto* paths = static_cast<IGIS_SymbolizePath*>(GIS_GetSymbolizeObject()->QueryInterface(&id));
        ASSERT_NE(paths, nullptr);
        paths->SymbolizePath(symbol, &info_, path);
    }
    const std::vector<Pictor::RecordedOp>& Ops() const { return canvas_.Operations(); }
    std::vector<Pictor::OpKind> Kinds() const {
        std::vector<Pictor::OpKind> kinds;
        for (const auto& op : Ops()) kinds.push_back(op.kind);
        return kinds;
    }

    symbolhost::PropertyStore properties_;
    Pictor::RecordingCanvas canvas_{100, 100};
    Pictor::Graphics graphics_{&canvas_};
    SymbolizeInfo info_;
};

}  // namespace symbolize_test
