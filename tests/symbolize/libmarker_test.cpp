// The library marker as a host draws it: a vector resource from the store (or embedded in the
// symbol) through the service, onto a recording canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "contracts/pictor/graphics.h"
#include "contracts/symbol/resource.h"
#include "host/host.h"
#include "host/marker_symbols.h"
#include "host/resources.h"
#include "host/stores.h"
#include "pictor/pixel_canvas.h"
#include "pictor/recording_canvas.h"
#include "symbolize/symbolize.h"
#include "tests/symbolize/symbolize_fixture.h"

namespace {

using Pictor::OpKind;
using Pictor::PointD;
using Pictor::RecordedOp;
using symbolhost::LibMarkerSymbol;
using symbolhost::VectorResource;
using symbolize_test::FixedColourTable;

constexpr uint32_t kCode = 7;
constexpr double kNear = 1e-6;  // drawing units; the transform's own rounding is far below this
const PointD kAnchor{50, 50};

void ExpectNear(const PointD& actual, const PointD& expected) {
    EXPECT_NEAR(actual.x, expected.x, kNear);
    EXPECT_NEAR(actual.y, expected.y, kNear);
}

// A 10 x 10 drawing with its anchor in the middle.
std::shared_ptr<VectorResource> SquareResource() {
    auto resource = std::make_shared<VectorResource>();
    resource->extentX1 = 0;
    resource->extentX2 = 10;
    resource->extentY1 = 0;
    resource->extentY2 = 10;
    resource->anchorX = 5;
    resource->anchorY = 5;
    return resource;
}

LineElement* AddLine(VectorResource& resource, std::vector<PointD> points) {
    LineElement* line = resource.Add<LineElement>();
    line->points = std::move(points);
    return line;
}

class LibMarkerTest : public symbolize_test::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        symbolhost::SetVectorResourceBase(&store_);
        resource_ = SquareResource();
        store_.Add(kCode, resource_);
        marker_.SetResourceCode(kCode);
    }
    void TearDown() override {
        symbolhost::SetVectorResourceBase(nullptr);
        symbolhost::SetCurrentColorTable(nullptr);
        RecordingTest::TearDown();
    }

    void DrawMarker() { Draw(&marker_, {kAnchor}); }
    size_t Logged(const std::string& message) { return capture_.log().Count(message); }
    // The only stroke drawn.
    const RecordedOp& OnlyOp() {
        EXPECT_EQ(Ops().size(), 1u);
        return Ops().back();
    }

    symbolhost::ScopedCaptureLog capture_;
    symbolhost::VectorResourceStore store_;
    std::shared_ptr<VectorResource> resource_;
    LibMarkerSymbol marker_;
};

// ---- placement ----

class LibMarkerTransformTest : public LibMarkerTest {
protected:
    void SetUp() override {
        LibMarkerTest::SetUp();
        // From the anchor to the right edge, and from the anchor to the top edge.
        AddLine(*resource_, {{5, 5}, {10, 5}, {5, 0}});
    }
    std::vector<PointD> Drawn() { return OnlyOp().device.Points(); }
};

TEST_F(LibMarkerTransformTest, NaturalSizeIsMillimetresOfResourceUnits) {
    DrawMarker();
    const std::vector<PointD> drawn = Drawn();
    ASSERT_EQ(drawn.size(), 3u);
    ExpectNear(drawn[0], kAnchor);
    ExpectNear(drawn[1], {kAnchor.x + 5 * kScale, kAnchor.y});
    ExpectNear(drawn[2], {kAnchor.x, kAnchor.y - 5 * kScale});
}

TEST_F(LibMarkerTransformTest, MarkerSizesStretchEachDirectionOnItsOwn) {
    marker_.SetWidth(-1);
    marker_.SetHeight(5);  // half the natural height of 10
    info_.sizeRatio = 2;
    DrawMarker();
    const std::vector<PointD> drawn = Drawn();
    ExpectNear(drawn[1], {kAnchor.x + 5 * 2 * kScale, kAnchor.y});
    ExpectNear(drawn[2], {kAnchor.x, kAnchor.y - 2.5 * 2 * kScale});
}

TEST_F(LibMarkerTransformTest, MirrorsAboutTheAnchorLines) {
    marker_.SetFlipY(true);
    marker_.SetFlipX(true);
    DrawMarker();
    const std::vector<PointD> drawn = Drawn();
    ExpectNear(drawn[1], {kAnchor.x - 5 * kScale, kAnchor.y});
    ExpectNear(drawn[2], {kAnchor.x, kAnchor.y + 5 * kScale});
}

TEST_F(LibMarkerTransformTest, RotationAddsTheCallsRotationAndTurnsBackOnAYUpTarget) {
    marker_.SetAngle(60);
    info_.rotation = 30;  // 90 degrees in all: +x turns toward +y
    DrawMarker();
    ExpectNear(Drawn()[1], {kAnchor.x, kAnchor.y + 5 * kScale});

    canvas_.Clear();
    info_.yUp = true;  // the drawing is mirrored: up is +y, and the same turn ends at -y
    DrawMarker();
    const std::vector<PointD> drawn = Drawn();
    ExpectNear(drawn[0], kAnchor);
    ExpectNear(drawn[1], {kAnchor.x, kAnchor.y - 5 * kScale});
    ExpectNear(drawn[2], {kAnchor.x + 5 * kScale, kAnchor.y});
}

TEST_F(LibMarkerTransformTest, OffsetsUseTheScaleButNotTheSizeRatio) {
    marker_.SetOffset(2, 1);
    info_.sizeRatio = 3;
    DrawMarker();
    ExpectNear(Drawn()[0], {kAnchor.x + 2 * kScale, kAnchor.y - 1 * kScale});

    canvas_.Clear();
    info_.yUp = true;  // the anchor lands on the same point either way
    DrawMarker();
    ExpectNear(Drawn()[0], {kAnchor.x + 2 * kScale, kAnchor.y - 1 * kScale});
}

TEST_F(LibMarkerTransformTest, AnchorAtCentreIsHalfTheNaturalSizeFromTheOrigin) {
    resource_->extentX1 = 2;
    resource_->extentX2 = 12;
    marker_.SetAnchorAtCenter(true);
    DrawMarker();
    // The anchor is (5, 5) in resource units, not the extent's centre (7, 5).
    ExpectNear(Drawn()[0], kAnchor);
}

TEST_F(LibMarkerTransformTest, BoundsModeTakesTheNaturalSizeFromTheStore) {
    // The store answers with the resource's own extent, so only the sizes read from it matter.
    marker_.SetBoundsMode(1);
    marker_.SetWidth(20);  // twice the stored width
    DrawMarker();
    ExpectNear(Drawn()[1], {kAnchor.x + 10 * kScale, kAnchor.y});
}

TEST_F(LibMarkerTransformTest, ResourceEmptyInBothDirectionsDrawsNothingAtAll) {
    resource_->extentX2 = 0;
    resource_->extentY2 = 0;
    marker_.SetFillBackground(true);
    marker_.SetExtent(-1, 1, 1, -1);
    DrawMarker();
    EXPECT_TRUE(Ops().empty());
    EXPECT_TRUE(capture_.log().Entries().empty());

    resource_->extentX2 = 10;  // a flat drawing still has a width to show
    DrawMarker();
    EXPECT_EQ(Ops().size(), 2u);
}

// ---- the call and the resource ----

TEST_F(LibMarkerTest, OneAnchorPointPerCall) {
    AddLine(*resource_, {{0, 0}, {10, 10}});
    Draw(&marker_, {kAnchor, kAnchor});
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(Logged("Input Error"), 1u);
}

TEST_F(LibMarkerTest, UnknownResourceCodeIsReported) {
    marker_.SetResourceCode(kCode + 1);
    DrawMarker();
    EXPECT_TRUE(Ops().empty());
    EXPECT_EQ(Logged("p_symbolres == NULL or Type is not SYMBOL2_RESOURCE_MARKER/LINE"), 1u);

    resource_->SetKind(2);  // neither a marker nor a line resource
    marker_.SetResourceCode(kCode);
    DrawMarker();
    EXPECT_EQ(Logged("p_symbolres == NULL or Type is not SYMBOL2_RESOURCE_MARKER/LINE"), 2u);
}

TEST_F(LibMarkerTest, EmbeddedResourceWinsOverTheStore) {
    AddLine(*resource_, {{0, 0}, {10, 0}});
    auto embedded = SquareResource();
    AddLine(*embedded, {{0, 0}, {0, 10}});
    marker_.SetEmbeddedResource(embedded);
    DrawMarker();
    const std::vector<PointD> drawn = OnlyOp().device.Points();
    EXPECT_DOUBLE_EQ(drawn[0].x, drawn[1].x);  // the vertical line
}

TEST_F(LibMarkerTest, FactoryMakesLibraryMarkersThatDrawAnAttachedResource) {
    AddLine(*resource_, {{0, 5}, {10, 5}});
    IGIS_Symbol2Factory* factory = GIS_GetSymbol2FactoryObject();
    const Symbol2FactoryId markerId{Symbol2FactoryLibMarker};
    const Symbol2FactoryId resolverId{Symbol2FactoryResolver};
    symbolhost::SymbolPtr<> made(factory->CreateSymbol(&markerId));
    ASSERT_NE(made, nullptr);
    ASSERT_NE(made->GetLibMarkerSymbol(), nullptr);
    IGIS_SymbolResourceResolver* resolver = factory->QueryResolver(&resolverId);
    ASSERT_NE(resolver, nullptr);
    EXPECT_EQ(resolver->GetEmbeddedResource(made.get()), nullptr);
    resolver->AttachResource(made.get(), resource_.get());
    EXPECT_EQ(resolver->GetEmbeddedResource(made.get()), resource_.get());

    Draw(made.get(), {kAnchor});
    ASSERT_EQ(Ops().size(), 1u);
    ExpectNear(Ops()[0].device.Points()[0], {kAnchor.x - 5 * kScale, kAnchor.y});
}

TEST_F(LibMarkerTest, ElementsAreDrawnInStoredOrderSkippingUnknownKinds) {
    class OddElement final : public SymbolElement {
    public:
        int32_t GetType() const noexcept override { return 7; }
    };
    AddLine(*resource_, {{0, 0}, {1, 1}});
    resource_->elements.push_back(std::make_unique<OddElement>());
    resource_->elements.push_back(nullptr);
    RectElement* rect = resource_->Add<RectElement>();
    rect->width = 2;
    rect->height = 2;
    rect->filled = true;
    EllipseElement* ellipse = resource_->Add<EllipseElement>();
    ellipse->radiusX = 2;
    ellipse->radiusY = 1;
    DrawMarker();
    EXPECT_EQ(Logged("Unknow SymbolElement"), 2u);
    EXPECT_EQ(Kinds(),
              (std::vector<OpKind>{OpKind::DrawPath, OpKind::FillPath, OpKind::DrawPath, OpKind::DrawPath}));
}

TEST_F(LibMarkerTest, EllipseIsTheBoxOfItsRadiiAboutTheCentre) {
    EllipseElement* ellipse = resource_->Add<EllipseElement>();
    ellipse->centerX = 5;
    ellipse->centerY = 5;
    ellipse->radiusX = 2;
    ellipse->radiusY = 1;
    ellipse->filled = true;
    DrawMarker();
    ASSERT_EQ(Ops().size(), 2u);
    Pictor::RectD bounds;
    Ops()[0].device.GetBounds(&bounds);
    EXPECT_NEAR(bounds.x, kAnchor.x - 2 * kScale, kNear);
    EXPECT_NEAR(bounds.y, kAnchor.y - 1 * kScale, kNear);
    EXPECT_NEAR(bounds.width, 4 * kScale, kNear);
    EXPECT_NEAR(bounds.height, 2 * kScale, kNear);
}

TEST_F(LibMarkerTest, PathSubPathsContinueOneFigureUntilOneCloses) {
    PathElement* path = resource_->Add<PathElement>();
    path->subPaths.push_back({PathSegmentLines, {{0, 0}, {4, 0}}, false});
    path->subPaths.push_back({PathSegmentBeziers, {{4, 0}, {5, 1}, {6, 1}, {7, 0}}, false});
    path->subPaths.push_back({3, {{9, 9}}, true});  // adds nothing, but closes the figure
    path->subPaths.push_back({PathSegmentLines, {{0, 10}, {10, 10}}, false});
    DrawMarker();
    const std::vector<uint8_t>& types = OnlyOp().device.Types();
    ASSERT_EQ(types.size(), 7u);
    EXPECT_EQ(types[0], Pictor::PathPointStart);
    EXPECT_EQ(types[1], Pictor::PathPointLine);
    EXPECT_EQ(types[4], Pictor::PathPointBezier | Pictor::PathPointClose);
    EXPECT_EQ(types[5], Pictor::PathPointStart);
}

TEST_F(LibMarkerTest, ElementsWithUnusableNumbersAreSkipped) {
    AddLine(*resource_, {{0, 0}, {std::numeric_limits<double>::quiet_NaN(), 0}});
    AddLine(*resource_, {{0, 0}, {1e300, 0}});
    AddLine(*resource_, {{0, 0}, {1, 1}});
    DrawMarker();
    EXPECT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Logged("SymbolElement coordinates out of range"), 2u);
}

TEST_F(LibMarkerTest, BackgroundIsTheAxisAlignedExtentUnlessColoursAreOverridden) {
    AddLine(*resource_, {{0, 0}, {1, 1}});
    marker_.SetFillBackground(true);
    marker_.SetBackgroundColor(0x00FF00);
    marker_.SetBackgroundTransparency(50);
    marker_.SetExtent(-2, 3, 1, -1);  // x1, x2, y1, y2
    marker_.SetAngle(45);             // does not turn the background
    DrawMarker();
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[0].kind, OpKind::FillPath);
    const auto* brush = dynamic_cast<const Pictor::SolidBrush*>(Ops()[0].brush.get());
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->GetColor().GetValue(), 0x7F00FF00u);
    Pictor::RectD bounds;
    Ops()[0].device.GetBounds(&bounds);
    EXPECT_NEAR(bounds.x, kAnchor.x - 2 * kScale, kNear);
    EXPECT_NEAR(bounds.y, kAnchor.y - 1 * kScale, kNear);
    EXPECT_NEAR(bounds.width, 5 * kScale, kNear);
    EXPECT_NEAR(bounds.height, 2 * kScale, kNear);

    canvas_.Clear();
    info_.overrideColor = true;
    DrawMarker();
    EXPECT_EQ(Kinds(), std::vector<OpKind>{OpKind::DrawPath});
}

// ---- strokes: width, pen, halo, gates ----

class LibMarkerStrokeTest : public LibMarkerTest {
protected:
    void SetUp() override {
        LibMarkerTest::SetUp();
        reference_ = AddLine(*resource_, {{0, 0}, {10, 0}});
        reference_->id = 3;
        reference_->lineWidth = 0.5;
        element_ = AddLine(*resource_, {{0, 5}, {10, 5}});
        element_->id = 4;
        element_->lineWidth = 1;
        resource_->referenceElementId = 3;
    }
    // Width of the pen that stroked element_, the last stroke.
    double ElementWidth() { return Ops().back().pen->GetWidth(); }

    LineElement* reference_ = nullptr;
    LineElement* element_ = nullptr;
};

TEST_F(LibMarkerStrokeTest, SymbolLineWidthIsTheReferenceElementsWidth) {
    marker_.SetLineWidth(2);
    info_.sizeRatio = 1.5;
    DrawMarker();
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_DOUBLE_EQ(Ops()[0].pen->GetWidth(), 2 * kScale * 1.5);
    EXPECT_DOUBLE_EQ(ElementWidth(), 4 * kScale * 1.5);  // twice the reference, as stored
}

TEST_F(LibMarkerStrokeTest, NegativeLineWidthKeepsTheStoredWidths) {
    marker_.SetLineWidth(-1);
    DrawMarker();
    EXPECT_DOUBLE_EQ(ElementWidth(), 1 * kScale);
}

TEST_F(LibMarkerStrokeTest, WithoutAMatchingIdTheFirstElementIsTheReference) {
    resource_->referenceElementId = 99;
    marker_.SetLineWidth(1);
    DrawMarker();
    EXPECT_DOUBLE_EQ(ElementWidth(), 2 * kScale);

    canvas_.Clear();
    reference_->lineWidth = 0;  // a zero reference leaves nothing to measure against
    DrawMarker();
    EXPECT_DOUBLE_EQ(ElementWidth(), 0.0);
}

TEST_F(LibMarkerStrokeTest, SecondaryLinesNeedAShownNonZeroSecondaryWidth) {
    element_->usage = SymbolUsageSecondary;
    marker_.SetLineWidth(1);
    DrawMarker();
    EXPECT_EQ(Ops().size(), 1u);  // hidden while the symbol does not show secondary elements

    canvas_.Clear();
    marker_.SetShowSecondary(true);
    marker_.SetSecondaryLineWidth(0);
    DrawMarker();
    EXPECT_EQ(Ops().size(), 1u);

    canvas_.Clear();
    marker_.SetSecondaryLineWidth(0.25);
    DrawMarker();
    ASSERT_EQ(Ops().size(), 2u);
    EXPECT_EQ(Ops()[1].tag, 1);
    EXPECT_DOUBLE_EQ(ElementWidth(), 1 * 0.25 / 0.5 * kScale);

    canvas_.Clear();
    marker_.SetSecondaryLineWidth(-1);  // unset: the symbol's line width applies
    DrawMarker();
    EXPECT_DOUBLE_EQ(ElementWidth(), 2 * kScale);
}

TEST_F(LibMarkerStrokeTest, SecondaryAreasNeedOnlyToBeShown) {
    RectElement* rect = resource_->Add<RectElement>();
    rect->width = 4;
    rect->height = 4;
    rect->usage = SymbolUsageSecondary;
    marker_.SetShowSecondary(true);
    marker_.SetSecondaryLineWidth(0);
    DrawMarker();
    ASSERT_EQ(Ops().size(), 3u);
    EXPECT_EQ(Ops()[2].tag, 1);

    canvas_.Clear();
    rect->usage = SymbolUsageHidden;
    DrawMarker();
    EXPECT_EQ(Ops().size(), 2u);
}

TEST_F(LibMarkerStrokeTest, SymbolFillAreasFillOnlyWhenTheSymbolUsesItsFill) {
    RectElement* rect = resource_->Add<RectElement>();
    rect->width = 4;
    rect->height = 4;
    rect->usage = SymbolUsageSymbolFill;
    element_->usage = SymbolUsageSymbolFill;
    DrawMarker();
    EXPECT_EQ(Ops().size(), 1u);

    canvas_.Clear();
    marker_.SetUseFill(true);
    marker_.SetFillColor(0x0000FF);
    marker_.SetFillTransparency(50);
    DrawMarker();
    ASSERT_EQ(Kinds(), (std::vector<OpKind>{OpKind::DrawPath, OpKind::FillPath, OpKind::FillPath}));
    EXPECT_EQ(Ops()[1].tag, 0);  // a line's area keeps the ordinary tag
    EXPECT_EQ(Ops()[2].tag, 6);
    const auto* brush = dynamic_cast<const Pictor::SolidBrush*>(Ops()[2].brush.get());
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->GetColor().GetValue(), 0x7F0000FFu);
}

TEST_F(LibMarkerStrokeTest, PenTakesTheElementsDashJoinAndCap) {
    element_->dashPattern = {2, 1};
    element_->lineJoin = 1;
    element_->lineCap = SymbolCapRound;
    DrawMarker();
    const Pictor::Pen& pen = *Ops().back().pen;
    EXPECT_EQ(pen.GetDashStyle(), Pictor::DashStyleCustom);
    EXPECT_EQ(pen.GetDashPattern(), (std::vector<double>{2, 1}));
    EXPECT_EQ(pen.GetLineJoin(), Pictor::LineJoinBevel);
    EXPECT_EQ(pen.GetLineCap(), Pictor::LineCapRound);

    canvas_.Clear();
    marker_.SetDashStyle(3);  // the symbol's dash style wins over the element's
    element_->lineCap = SymbolCapTriangle;
    DrawMarker();
    EXPECT_EQ(Ops().back().pen->GetDashStyle(), 3);
    EXPECT_EQ(Ops().back().pen->GetLineCap(), Pictor::LineCapTriangle);

    canvas_.Clear();
    marker_.SetDashStyle(-1);
    element_->dashPattern.clear();  // nothing to dash with: solid
    DrawMarker();
    EXPECT_TRUE(Ops().back().pen->GetEffectiveDashPattern().empty());
}

TEST_F(LibMarkerStrokeTest, HaloIsDrawnUnderEachStrokeWithItsOwnCaps) {
    element_->lineCap = SymbolCapRound;
    reference_->lineCap = SymbolCapTriangle;
    marker_.SetHalo({0.5, 0xFF0000, true});
    info_.colorTable = nullptr;
    DrawMarker();
    ASSERT_EQ(Ops().size(), 4u);                                  // halo and stroke of each line
    EXPECT_EQ(Ops()[0].pen->GetLineCap(), Pictor::LineCapRound);  // under a triangle-capped stroke
    EXPECT_EQ(Ops()[1].pen->GetLineCap(), Pictor::LineCapTriangle);
    EXPECT_EQ(Ops()[2].pen->GetLineCap(), Pictor::LineCapSquare);  // under a round-capped stroke
    EXPECT_EQ(Ops()[3].pen->GetLineCap(), Pictor::LineCapRound);
    EXPECT_DOUBLE_EQ(Ops()[2].pen->GetWidth(), 2 * 0.5 * kScale + Ops()[3].pen->GetWidth());
    EXPECT_EQ(Ops()[2].pen->GetColor().GetValue(), 0xFFFF0000u);
}

// ---- colours ----

class LibMarkerColourTest : public LibMarkerTest {
protected:
    void SetUp() override {
        LibMarkerTest::SetUp();
        element_ = AddLine(*resource_, {{0, 0}, {10, 10}, {0, 10}});
        element_->lineColor = 0x112233;
        element_->fillColor = 0x445566;
    }
    uint32_t StrokeColour() { return Ops().back().pen->GetColor().GetValue(); }
    uint32_t FillColour() {
        for (const RecordedOp& op : Ops()) {
            if (op.kind != OpKind::FillPath) continue;
            return dynamic_cast<const Pictor::SolidBrush&>(*op.brush).GetColor().GetValue();
        }
        ADD_FAILURE() << "nothing filled";
        return 0;
    }
    // A colour-table file named `name` in a configuration directory of this test.
    void WriteTable(const std::string& name, const std::string& lines) {
        configDir_ =
            std::filesystem::temp_directory_path() /
            ("libmarker_colours_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(configDir_ / "colortable");
        std::ofstream(configDir_ / "colortable" / name) << lines;
        properties_.Set(kPropertyConfigDir, configDir_.string());
    }
    void TearDown() override {
        if (!configDir_.empty()) std::filesystem::remove_all(configDir_);
        LibMarkerTest::TearDown();
    }

    LineElement* element_ = nullptr;
    std::filesystem::path configDir_;
};

TEST_F(LibMarkerColourTest, StrokeTakesTheSymbolColourThroughTheCallsTable) {
    marker_.SetColor(0xFF0000);
    marker_.SetTransparency(50);
    DrawMarker();
    EXPECT_EQ(StrokeColour(), 0x7FFF0000u);

    canvas_.Clear();
    FixedColourTable identity(0xFF0000);  // tables answer with red in the low byte
    info_.colorTable = &identity;
    DrawMarker();
    EXPECT_EQ(StrokeColour(), 0x7F0000FFu);
}

TEST_F(LibMarkerColourTest, OverrideColourWinsOpaqueExceptForSymbolFillAreas) {
    marker_.SetColor(0xFF0000);
    marker_.SetTransparency(50);
    element_->filled = true;
    info_.overrideColor = true;
    info_.color = 0x00FF00;
    DrawMarker();
    EXPECT_EQ(FillColour(), 0xFF00FF00u);
    EXPECT_EQ(StrokeColour(), 0xFF00FF00u);

    canvas_.Clear();
    element_->usage = SymbolUsageSymbolFill;
    marker_.SetUseFill(true);
    marker_.SetFillColor(0x0000FF);
    DrawMarker();
    EXPECT_EQ(FillColour(), 0xFF0000FFu);
}

TEST_F(LibMarkerColourTest, UnsetSymbolColourTakesTheElementsOwnPlainColour) {
    DrawMarker();
    EXPECT_EQ(StrokeColour(), 0xFF112233u);

    canvas_.Clear();
    element_->usage = 5;  // outside every colour group: white
    DrawMarker();
    EXPECT_EQ(StrokeColour(), 0xFFFFFFFFu);
}

TEST_F(LibMarkerColourTest, NamedTableMapsElementColoursAndLowerCaseRgbIsATableName) {
    WriteTable("rgb", "112233 778899\n");
    element_->keepOwnLineColor = true;
    marker_.SetColor(0xFF0000);  // kept away by keepOwnLineColor
    resource_->SetColorTableName("rgb");
    DrawMarker();
    EXPECT_EQ(StrokeColour(), 0xFF778899u);

    canvas_.Clear();
    resource_->SetColorTableName("RGB");
    DrawMarker();
    EXPECT_EQ(StrokeColour(), 0xFF112233u);

    canvas_.Clear();
    resource_->SetColorTableName("missing");  // a table that cannot be read gives black
    DrawMarker();
    EXPECT_EQ(StrokeColour(), 0xFF000000u);
}

TEST_F(LibMarkerColourTest, WithoutAConfigurationDirectoryNamedTablesGiveBlack) {
    resource_->SetColorTableName("palette");
    element_->usage = SymbolUsageSecondary;
    element_->filled = true;
    marker_.SetShowSecondary(true);
    DrawMarker();
    EXPECT_EQ(FillColour(), 0xFF000000u);
    EXPECT_EQ(StrokeColour(), 0xFF000000u);
}

TEST_F(LibMarkerColourTest, PrimaryElementsOfANamedTableGoThroughTheHostsCurrentTable) {
    resource_->SetColorTableName("palette");
    FixedColourTable current(0x332211);
    symbolhost::SetCurrentColorTable(&current);
    DrawMarker();
    EXPECT_EQ(StrokeColour(), 0xFF112233u);
    EXPECT_EQ(current.Asked(), std::vector<uint32_t>{0x112233u});
}

TEST_F(LibMarkerColourTest, SecondaryElementsTakeTheSecondaryColour) {
    element_->usage = SymbolUsageSecondary;
    marker_.SetShowSecondary(true);
    marker_.SetColor(0xFF0000);
    marker_.SetSecondaryColor(0x0000FF);
    DrawMarker();
    EXPECT_EQ(StrokeColour(), 0xFF0000FFu);
}

TEST_F(LibMarkerColourTest, FillFollowsTheSymbolOnlyWhenAskedAndBySecondaryForUsageOne) {
    // Areas, since usage-8 lines are arrows with a drawer of their own.
    resource_->elements.clear();
    RectElement* area = resource_->Add<RectElement>();
    area->width = 2;
    area->height = 2;
    area->filled = true;
    area->fillColor = 0x445566;
    marker_.SetColor(0xFF0000);
    marker_.SetSecondaryColor(0x0000FF);
    marker_.SetShowSecondary(true);
    DrawMarker();
    EXPECT_EQ(FillColour(), 0xFF445566u);  // the element's own fill

    const struct {
        int32_t usage;
        uint32_t fill;
    } cases[] = {{SymbolUsageNormal, 0xFFFF0000u},
                 {SymbolUsageSecondary, 0xFF0000FFu},
                 {SymbolUsageArrowSecondary, 0xFFFF0000u}};
    area->fillFollowsSymbol = true;
    for (const auto& c : cases) {
        canvas_.Clear();
        area->usage = c.usage;
        DrawMarker();
        EXPECT_EQ(FillColour(), c.fill) << c.usage;
    }
}

TEST_F(LibMarkerColourTest, SymbolFillAreasWithoutAFillColourTakeTheLineColour) {
    element_->usage = SymbolUsageSymbolFill;
    marker_.SetUseFill(true);
    DrawMarker();
    EXPECT_EQ(FillColour(), 0xFF112233u);

    canvas_.Clear();
    resource_->SetColorTableName("");  // no table: the unset colour, which fills opaque white
    DrawMarker();
    EXPECT_EQ(FillColour(), 0xFFFFFFFFu);
}

// ---- repeated markers on the PNG canvas ----

// A marker drawn again is painted from a picture of its first drawings; a marker that differs in
// anything that shows must not be painted from another's. Drawn with the variant first, before
// anything is kept, the same markers give the same picture.
TEST_F(LibMarkerTest, MarkersThatDifferNeverShareAPicture) {
    RectElement* box = resource_->Add<RectElement>();
    box->x = 2;
    box->y = 2;
    box->width = 6;
    box->height = 6;
    box->filled = true;
    box->fillColor = 0x3070C0;
    AddLine(*resource_, {{0, 10}, {10, 0}})->lineWidth = 0.8;
    marker_.SetSize(5, 5);
    using Change = std::function<void(LibMarkerSymbol&, PointD&, Pictor::Graphics&)>;
    const std::vector<std::pair<std::string, Change>> variants = {
        {"colour", [](LibMarkerSymbol& m, PointD&, Pictor::Graphics&) { m.SetColor(0xC03030); }},
        {"size", [](LibMarkerSymbol& m, PointD&, Pictor::Graphics&) { m.SetSize(5.3, 5.3); }},
        {"angle", [](LibMarkerSymbol& m, PointD&, Pictor::Graphics&) { m.SetAngle(8); }},
        {"sub-pixel phase", [](LibMarkerSymbol&, PointD& at, Pictor::Graphics&) { at.x += 0.5; }},
        {"transparency", [](LibMarkerSymbol& m, PointD&, Pictor::Graphics&) { m.SetTransparency(40); }},
        {"clip",
         [](LibMarkerSymbol&, PointD& at, Pictor::Graphics& g) {
             Pictor::GraphicsPath half;
             half.AddRectangle(Pictor::RectD{at.x - 20, at.y - 20, 20, 40});
             g.SetClip(&half);
         }},
    };
    const PointD bases[] = {{20, 20}, {50, 20}, {80, 20}};
    for (const auto& [what, change] : variants) {
        const auto draw = [&](Pictor::Graphics& g, bool variant, PointD at) {
            LibMarkerSymbol marker = marker_;
            if (variant) change(marker, at, g);
            SymbolizeInfo info = info_;
            info.graphics = &g;
            const int32_t one = 1;
            GIS_GetSymbolizeObject()->Symbolize(&marker, &info, &at, &one);
            g.ResetClip();
        };
        Pictor::PixelCanvas keptFirst(100, 100, Pictor::Color(255, 255, 255, 255));
        Pictor::PixelCanvas variantFirst(100, 100, Pictor::Color(255, 255, 255, 255));
        {
            Pictor::Graphics g(&keptFirst);
            for (const PointD& at : bases) draw(g, false, at);
            draw(g, true, {50, 65});
        }
        {
            Pictor::Graphics g(&variantFirst);
            draw(g, true, {50, 65});
            for (const PointD& at : bases) draw(g, false, at);
        }
        int worst = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                const Pictor::Color a = keptFirst.GetPixel(x, y);
                const Pictor::Color b = variantFirst.GetPixel(x, y);
                worst = std::max({worst, std::abs(a.GetA() - b.GetA()), std::abs(a.GetR() - b.GetR()),
                                  std::abs(a.GetG() - b.GetG()), std::abs(a.GetB() - b.GetB())});
            }
        }
        EXPECT_LE(worst, 1) << what;  // a level of rounding: pictures are blended in a second step
    }
}

}  // namespace
