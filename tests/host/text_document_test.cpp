// Text kinds in documents: every property written and read back, the code-page setting, and the
// mistakes a hand-written text symbol typically has.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/document/document.h"
#include "host/host.h"
#include "host/marker_symbols.h"
#include "host/text_symbols.h"
#include "tests/host/written_symbols.h"

namespace symbolhost::document {
namespace {

std::string Messages(const Diagnostics& d) {
    std::string all;
    for (const std::string& line : d.Lines()) all += line + "\n";
    return all;
}

TEST(TextDocumentTest, EveryTextAndTextBoxPropertyComesBack) {
    SymbolPtr<TextSymbol> name(new TextSymbol);
    name->SetText("Zürich 北京");
    name->SetFontName("DejaVu Serif");
    name->SetFontSize(3.5);
    name->SetColor(0x123456);
    name->SetTransparency(20);
    name->SetFontStyle(TextStyleItalic | TextStyleStrikeout);
    name->SetMargins({1, 2, 3, 4});
    name->SetAlignment(TextAlignRight);
    name->SetLineGap(0.75);
    name->SetAngle(-30);
    SymbolPtr<TextBoxSymbol> board(new TextBoxSymbol);
    board->SetText("One\r\nTwo");
    board->SetFontStyle(TextStyleBold | TextStyleUnderline);
    board->SetBoxSize(12.5, 4);
    board->SetKeepAspect(true);
    board->SetLineGap(0.25);
    board->SetMargins({0.5, 0, 0.5, 0});
    board->SetAngle(15);
    board->SetStretch(1.5, 0.5);
    board->SetDrawFill(false);
    board->SetFillColor(0x00FF00);
    board->SetFillTransparency(40);
    board->SetFrameWidth(0.6);
    board->SetFrameColor(0x0000FF);
    board->SetFrameTransparency(10);
    board->SetFrameDashStyle(4);

    // A library marker's label and box texts are kept in UTF-8 and come back unchanged.
    SymbolPtr<LibMarkerSymbol> shield(new LibMarkerSymbol);
    MarkerLabel label;
    std::strcpy(label.text, "Straße");
    std::strcpy(label.fontName, "DejaVu Sans");
    label.shown = true;
    shield->SetLabel(label);
    BoxText hidden;
    std::strcpy(hidden.text, "B 7");
    hidden.color = 0xFFFFFF;
    BoxText shown = hidden;
    std::strcpy(shown.text, "Gießen");
    std::strcpy(shown.fontName, "DejaVu Serif");
    shown.shown = true;
    shield->SetTexts({hidden, shown});

    SymbolLibrary library;
    ASSERT_TRUE(library.Add("shield", SymbolPtr<>(shield.release())));
    ASSERT_TRUE(library.Add("name", SymbolPtr<>(name.release())));
    ASSERT_TRUE(library.Add("board", SymbolPtr<>(board.release())));
    const std::string text = WriteSymbols(library);
    ReadResult r = ReadWritten(text);
    ASSERT_NE(r.document, nullptr) << Messages(r.diagnostics) << text;
    for (const auto& e : library.Entries()) {
        const SymbolLibrary::Entry* back = r.document->symbols.Find(e.name);
        EXPECT_TRUE(back != nullptr && SameSymbol(*back->symbol, *e.symbol)) << e.name << "\n" << text;
    }
}

TEST(TextDocumentTest, TextFeaturesAndTheCodePageAreCheckedWhenRead) {
    const auto refusal = [](const std::string& document) {
        ReadResult r = ReadDocumentText(document, "doc.json", ".");
        EXPECT_EQ(r.document, nullptr) << document;
        return Messages(r.diagnostics);
    };
    EXPECT_NE(refusal(R"({"settings": {"codePage": "UTF-8"}})").find("\"1252\" or \"GBK\""),
              std::string::npos);
    EXPECT_NE(refusal(R"({"symbols": {"t": {"kind": "text", "alignment": "justify"}}})").find("alignment"),
              std::string::npos);
    EXPECT_NE(refusal(R"({"symbols": {"b": {"kind": "textBox", "width": -1}}})").find("width"),
              std::string::npos);
    EXPECT_NE(refusal(R"({"symbols": {"m": {"kind": "libMarker", "boxTexts": [{"text": "A", "size": 3}]}}})")
                  .find("size"),
              std::string::npos);
    // A text symbol draws texts only; a text feature needs a text symbol.
    EXPECT_NE(refusal(R"({"symbols": {"t": {"kind": "text"}},
                          "layers": [{"symbol": "t", "features": [{"point": [1, 2]}]}]})")
                  .find("text"),
              std::string::npos);

    ReadResult r = ReadDocumentText(R"({"settings": {"codePage": "GBK"}, "symbols": {"t": {"kind": "text"}},
        "layers": [{"symbol": "t", "features": [{"text": "北京", "box": [0, 0, 100, 20]}]}]})",
                                    "doc.json", ".");
    ASSERT_NE(r.document, nullptr) << Messages(r.diagnostics);
    EXPECT_EQ(r.document->settings.codePage, "GBK");
    EXPECT_EQ(r.document->layers[0].features[0].text, "北京");
}

TEST(TextDocumentTest, TextsReachTheLibraryInTheHostsCodePage) {
    PropertyStore properties;
    SetGlobalProperties(&properties);
    TextSymbol text;
    text.SetText("Café 北京");
    EXPECT_EQ(std::string(text.GetText()), "Caf\xE9 ??");  // Windows-1252 has no Chinese
    properties.Set(kPropertyCodePage, "gbk");
    EXPECT_EQ(std::string(text.GetText()), "Caf\xA8\xA6 \xB1\xB1\xBE\xA9");
    text.SetText("plain");
    EXPECT_EQ(std::string(text.GetText()), "plain");
    SetGlobalProperties(nullptr);
}

}  // namespace
}  // namespace symbolhost::document
