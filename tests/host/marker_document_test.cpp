// Marker kinds in documents: every property written and read back, members by name, and the
// mistakes a hand-written marker typically has.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/document/document.h"
#include "host/marker_symbols.h"
#include "host/resources.h"
#include "tests/host/written_symbols.h"

namespace symbolhost::document {
namespace {

class MarkerDocumentTest : public ::testing::Test {
protected:
    // Writes the library and reads it back; every symbol must come back equal.
    SymbolLibrary RoundTrip(const SymbolLibrary& library) {
        text_ = WriteSymbols(library);
        ReadResult r = ReadWritten(text_);
        EXPECT_NE(r.document, nullptr) << r.diagnostics.Text() << text_;
        if (!r.document) return SymbolLibrary();
        for (const auto& e : library.Entries()) {
            const SymbolLibrary::Entry* back = r.document->symbols.Find(e.name);
            EXPECT_TRUE(back != nullptr && SameSymbol(*back->symbol, *e.symbol)) << e.name << "\n" << text_;
        }
        return std::move(r.document->symbols);
    }

    // The messages of a refused document of `symbols`.
    static std::string Refusal(const std::string& symbols) {
        ReadResult r = ReadDocumentText("{\"symbols\": {" + symbols + "}}", "doc.json", ".");
        EXPECT_EQ(r.document, nullptr) << symbols;
        return r.diagnostics.Text();
    }

    std::string text_;
};

TEST_F(MarkerDocumentTest, EveryCharacterAndPictureMarkerPropertyComesBack) {
    SymbolPtr<CharMarkerSymbol> star(new CharMarkerSymbol);
    star->SetCharacterCode(0xA7);  // beyond ASCII: must stay a code, not become text
    star->SetFontName("DejaVu Serif");
    star->SetFontSize(2.5);
    star->SetColor(0x1A2B3C);
    star->SetTransparency(15);
    star->SetSize(3.0, 0.1 + 0.2);
    star->SetOffset(-1.25, 2.0);
    star->SetAngle(-45.0);
    star->SetFlipX(true);
    SymbolPtr<PictureMarkerSymbol> picture(new PictureMarkerSymbol);
    picture->SetImageId(7);
    picture->SetFlipY(true);
    picture->SetSize(6.0, 2.0);
    SymbolLibrary library;
    ASSERT_TRUE(library.Add("star", SymbolPtr<>(star.release())));
    ASSERT_TRUE(library.Add("picture", SymbolPtr<>(picture.release())));
    const SymbolLibrary back = RoundTrip(library);
    ASSERT_NE(back.Find("star"), nullptr);
    EXPECT_EQ(*back.Find("star")->symbol->GetCharMarkerSymbol()->GetCharacterCode(), 0xA7);
    EXPECT_EQ(*back.Find("star")->symbol->GetCharMarkerSymbol()->GetHeight(), 0.1 + 0.2);
}

TEST_F(MarkerDocumentTest, LibraryMarkersKeepUnsetColoursLabelAndLeader) {
    SymbolPtr<LibMarkerSymbol> unset(new LibMarkerSymbol);
    unset->SetResourceCode(uint32_t{12});
    SymbolPtr<LibMarkerSymbol> full(new LibMarkerSymbol);
    full->SetResourceCode(uint32_t{3});
    full->SetColor(0x000000);  // black is a colour, not "unset"
    full->SetSecondaryColor(0x00FF00);
    full->SetFillColor(0x0000FF);
    full->SetUseFill(true);
    full->SetShowSecondary(true);
    full->SetTransparency(20);
    full->SetFillTransparency(30);
    full->SetLineWidth(0.35);
    full->SetSecondaryLineWidth(0.2);
    full->SetDashStyle(2);
    full->SetHalo({0.4, 0xFFEEDD, true});
    full->SetBoundsMode(1);
    full->SetAnchorAtCenter(true);
    full->SetSize(5.0, 4.0);
    full->SetExtent(-3.0, 3.0, -2.0, 2.5);
    full->SetFillBackground(true);
    full->SetBackgroundColor(0xFAFAFA);
    full->SetBackgroundTransparency(40);
    full->SetLeader(4.0, -2.0, 1);
    MarkerLabel label;
    std::snprintf(label.text, sizeof label.text, "%s", "Hill 212");
    std::snprintf(label.fontName, sizeof label.fontName, "%s", "DejaVu Sans");
    label.size = 2.0;
    label.color = 0x333333;
    label.position = 2;
    label.gap = 0.5;
    label.shown = true;
    label.boxShown = true;
    label.boxColor = 0xEEEEEE;
    label.boxTransparency = 10;
    full->SetLabel(label);
    SymbolPtr<LibMarkerSymbol> styledNoLeader(new LibMarkerSymbol);
    styledNoLeader->SetLeader(1.0, 1.0, 1);
    styledNoLeader->ClearLeader();

    SymbolLibrary library;
    ASSERT_TRUE(library.Add("unset", SymbolPtr<>(unset.release())));
    ASSERT_TRUE(library.Add("full", SymbolPtr<>(full.release())));
    ASSERT_TRUE(library.Add("styled", SymbolPtr<>(styledNoLeader.release())));
    const SymbolLibrary back = RoundTrip(library);
    ASSERT_NE(back.Find("full"), nullptr);
    const IGIS_LibMarkerSymbol* u = back.Find("unset")->symbol->GetLibMarkerSymbol();
    EXPECT_EQ(u->GetColor(), kUnsetColour);
    EXPECT_EQ(*u->GetSecondaryColor(), kUnsetColour);
    EXPECT_EQ(*u->GetFillColor(), kUnsetColour);
    EXPECT_EQ(*u->GetMarkerWidth(), kNaturalSize);
    const IGIS_LibMarkerSymbol* f = back.Find("full")->symbol->GetLibMarkerSymbol();
    EXPECT_EQ(f->GetColor(), 0x000000u);
    EXPECT_STREQ(f->GetLabel()->text, "Hill 212");
    double dx = 0.0;
    double dy = 0.0;
    ASSERT_TRUE(f->GetLeaderOffset(&dx, &dy));
    EXPECT_EQ(dx, 4.0);
    EXPECT_EQ(dy, -2.0);
    EXPECT_FALSE(back.Find("styled")->symbol->GetLibMarkerSymbol()->GetLeaderOffset(&dx, &dy));
}

TEST_F(MarkerDocumentTest, CompoundMarkersKeepMembersInOrderWithVisibilityAndDesignBox) {
    const char* text = R"({"symbols": {
        "dot": {"kind": "charMarker", "code": 149, "color": "#C0392B"},
        "sign": {"kind": "compoundMarker", "anchor": [1, -2], "extent": [0, 8, 0, 6], "width": 8,
                 "height": 6, "hidden": [1],
                 "markers": ["dot", {"kind": "libMarker", "resource": 4}, {"kind": "pictureMarker", "image": 2}]},
        "nested": {"kind": "compoundMarker", "markers": ["sign", "dot"]}}})";
    ReadResult r = ReadWritten(text);
    ASSERT_NE(r.document, nullptr) << r.diagnostics.Text();
    IGIS_CompoundMarkerSymbol* sign = r.document->symbols.Find("sign")->symbol->GetCompoundMarkerSymbol();
    ASSERT_EQ(sign->GetMarkerCount(), 3);
    const int32_t first = 0;
    const int32_t second = 1;
    EXPECT_NE(sign->GetMarker(&first)->GetCharMarkerSymbol(), nullptr);
    EXPECT_NE(sign->GetMarker(&second)->GetLibMarkerSymbol(), nullptr);
    EXPECT_TRUE(sign->IsMarkerVisible(&first));
    EXPECT_FALSE(sign->IsMarkerVisible(&second));
    double x = 0.0;
    double y = 0.0;
    sign->GetAnchorPoint(&x, &y);
    EXPECT_EQ(y, -2.0);
    RoundTrip(r.document->symbols);
    // A member equal to a library symbol is written by its name.
    EXPECT_NE(text_.find("\"dot\""), std::string::npos) << text_;
}

TEST_F(MarkerDocumentTest, MistakesNameThePathAndWhatWasExpected) {
    EXPECT_NE(Refusal(R"("a": {"kind": "charMarker", "code": 20})").find("$.symbols.a.code"),
              std::string::npos);
    EXPECT_NE(Refusal(R"("a": {"kind": "charMarker", "code": 256})").find("255"), std::string::npos);
    EXPECT_NE(Refusal(R"("a": {"kind": "libMarker", "dashStyle": "wavy"})").find("$.symbols.a.dashStyle"),
              std::string::npos);
    // Only markers stack; a line member is refused where it stands.
    EXPECT_NE(Refusal(R"("l": {"kind": "simpleLine"}, "c": {"kind": "compoundMarker", "markers": ["l"]})")
                  .find("marker symbol"),
              std::string::npos);
    // A stack that contains itself is refused instead of recursing.
    EXPECT_NE(Refusal(R"("c": {"kind": "compoundMarker", "markers": ["d"]},
                         "d": {"kind": "compoundMarker", "markers": ["c"]})")
                  .find("cycle"),
              std::string::npos);
    EXPECT_NE(Refusal(R"("a": {"kind": "pictureMarker", "width": -1})").find("$.symbols.a.width"),
              std::string::npos);
}

TEST_F(MarkerDocumentTest, ResourcesAreReadByCodeWithEveryElementField) {
    const char* text =
        R"({"resources": {"7": {"anchor": [5, 9], "extent": [0, 10, 0, 10], "referenceElement": 2,
        "colorTable": "terrain", "elements": [
          {"type": "line", "points": [[0, 0], [10, 0]], "closed": true, "id": 2, "lineWidth": 0.5,
           "lineCap": "round", "lineJoin": "bevel", "dashPattern": [2, 1], "usage": 1, "lineColor": 12},
          {"type": "rect", "x": 1, "y": 2, "width": 3, "height": 4, "textIndex": 0, "stroked": false},
          {"type": "ellipse", "center": [5, 5], "radius": [2, 1], "filled": true, "fillColor": "#00FF00",
           "fillFollowsSymbol": true, "keepOwnLineColor": true},
          {"type": "path", "styleElementId": 2, "subPaths": [{"kind": "beziers",
           "points": [[0, 0], [1, 1], [2, 1], [3, 0]], "closed": true}]}]}}})";
    ReadResult r = ReadDocumentText(text, "doc.json", ".");
    ASSERT_NE(r.document, nullptr) << r.diagnostics.Text();
    EXPECT_EQ(r.document->resourceCount, 1u);
    const uint32_t code = 7;
    auto* resource = static_cast<VectorResource*>(r.document->resources.GetResource(&code));
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(resource->ColorTableName(), "terrain");
    EXPECT_EQ(resource->anchorY, 9.0);
    EXPECT_EQ(resource->referenceElementId, 2);
    ASSERT_EQ(resource->elements.size(), 4u);
    const auto& line = static_cast<const LineElement&>(*resource->elements[0]);
    EXPECT_TRUE(line.closed);
    EXPECT_EQ(line.lineCap, SymbolCapRound);
    EXPECT_EQ(line.lineJoin, 1);
    EXPECT_EQ(line.lineColor, 12u);  // an entry of the named table, not a colour
    EXPECT_EQ(line.dashPattern, (std::vector<double>{2.0, 1.0}));
    EXPECT_EQ(static_cast<const RectElement&>(*resource->elements[1]).textIndex, 0);
    const auto& ellipse = static_cast<const EllipseElement&>(*resource->elements[2]);
    EXPECT_EQ(ellipse.fillColor, 0x00FF00u);
    EXPECT_TRUE(ellipse.fillFollowsSymbol);
    const auto& path = static_cast<const PathElement&>(*resource->elements[3]);
    ASSERT_EQ(path.subPaths.size(), 1u);
    EXPECT_EQ(path.subPaths[0].segmentKind, PathSegmentBeziers);
}

TEST_F(MarkerDocumentTest, BadResourcesNameThePathAndWhatWasExpected) {
    const auto refused = [](const std::string& resources) {
        ReadResult r = ReadDocumentText("{\"resources\": " + resources + "}", "doc.json", ".");
        EXPECT_EQ(r.document, nullptr) << resources;
        return r.diagnostics.Text();
    };
    EXPECT_NE(refused(R"({"church": {}})").find("resource code"), std::string::npos);
    EXPECT_NE(refused(R"({"1": {"elements": [{"type": "star"}]}})").find("$.resources[\"1\"].elements[0]"),
              std::string::npos);
    EXPECT_NE(refused(R"({"1": {"elements": [{"type": "ellipse", "radius": [-1, 1]}]}})").find("radius"),
              std::string::npos);
    // A Bezier sub-path needs a start and three points per curve.
    EXPECT_NE(refused(R"({"1": {"elements": [{"type": "path", "subPaths": [{"kind": "beziers",
                         "points": [[0, 0], [1, 1]]}]}]}})")
                  .find("three points"),
              std::string::npos);
    EXPECT_NE(refused(R"({"1": {"anchor": [0, "x"]}})").find("anchor[1]"), std::string::npos);

    // What the library would skip: a path of more points in all than it draws (17 sub-paths of 4096
    // points each fit one by one), and a dash the pen refuses, which would draw the stroke solid.
    std::string sub = R"({"kind": "lines", "points": [[0, 1])";
    for (int i = 1; i < 4096; ++i) sub += ", [" + std::to_string(i % 50) + ", 1]";
    std::string subs = sub + "]}";
    for (int i = 1; i < 17; ++i) subs += ", " + sub + "]}";
    EXPECT_NE(refused(R"({"1": {"elements": [{"type": "path", "subPaths": [)" + subs + "]}]}}")
                  .find("subPaths: expected sub-paths of at most 65536 points in all"), std::string::npos);
    EXPECT_NE(refused(R"({"1": {"elements": [{"type": "line", "points": [[0, 0], [1, 1]], "dashPattern": [1, 0]}]}})")
                  .find("dashPattern: expected dash and gap lengths above 0"), std::string::npos);
}

}  // namespace
}  // namespace symbolhost::document
