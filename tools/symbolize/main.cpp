// The `symbolize` command: renders the built-in example gallery through the library's public
// entry, as a host would.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "contracts/pictor/pictor.h"
#include "host/host.h"
#include "host/symbols.h"
#include "pictor/cairo_canvas.h"
#include "symbolize/symbolize.h"
#include "tools/symbolize/gallery.h"

namespace {

constexpr const char* kVersion = "0.1.0";

enum class OutputKind { Png, Svg, Pdf, Unknown };

OutputKind KindOf(const std::string& path) {
    auto endsWith = [&](const char* ext) {
        const std::string e(ext);
        return path.size() >= e.size() &&
               std::equal(e.rbegin(), e.rend(), path.rbegin(), [](char a, char b) { return a == std::tolower(b); });
    };
    if (endsWith(".png")) return OutputKind::Png;
    if (endsWith(".svg")) return OutputKind::Svg;
    if (endsWith(".pdf")) return OutputKind::Pdf;
    return OutputKind::Unknown;
}

int RenderGallery(const std::string& out) {
    const OutputKind kind = KindOf(out);
    if (kind == OutputKind::Unknown) {
        std::fprintf(stderr, "symbolize: %s: the output must end in .png, .svg or .pdf\n", out.c_str());
        return 2;
    }
    const Pictor::Color paper(0xFFFFFFFF);
    std::unique_ptr<Pictor::CairoCanvas> canvas;
    if (kind == OutputKind::Png) {
        canvas = std::make_unique<Pictor::RasterCanvas>(gallery::kWidth, gallery::kHeight, paper);
    } else {
        canvas = std::make_unique<Pictor::VectorCanvas>(kind == OutputKind::Svg ? Pictor::VectorFormat::Svg
                                                                                 : Pictor::VectorFormat::Pdf,
                                                        out, gallery::kWidth, gallery::kHeight, paper);
    }
    if (canvas->GetLastStatus() != Pictor::Ok) {
        std::fprintf(stderr, "symbolize: %s: cannot create the output surface\n", out.c_str());
        return 1;
    }
    // The program states its own choice rather than having the library report a missing setting
    // for every feature; a properties file or the environment can still turn thinning on.
    symbolhost::PropertyStore& properties = symbolhost::DefaultProperties();
    if (properties.GetProperty(kPropertySimplifyAnchorPoints) == nullptr) {
        properties.Set(kPropertySimplifyAnchorPoints, "false");
    }
    Pictor::Graphics graphics(canvas.get());
    symbolhost::ScopedCaptureLog capture;
    gallery::Draw(graphics);
    for (const auto& e : capture.log().Entries()) {
        std::fprintf(stderr, "symbolize: %s: %s\n", e.function.c_str(), e.message.c_str());
    }

    Pictor::Status status = Pictor::Ok;
    if (kind == OutputKind::Png) {
        status = static_cast<Pictor::RasterCanvas*>(canvas.get())->WritePng(out);
    } else {
        status = static_cast<Pictor::VectorCanvas*>(canvas.get())->Finish();
    }
    if (status != Pictor::Ok) {
        std::fprintf(stderr, "symbolize: %s: cannot write the picture (status %d)\n", out.c_str(), int(status));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Draws cartographic symbols."};
    app.set_version_flag("--version", std::string("symbolize ") + kVersion);
    app.require_subcommand(1);

    std::string galleryOut = "out/gallery.png";
    CLI::App* galleryCmd = app.add_subcommand("gallery", "Render the example gallery of every symbol kind.");
    galleryCmd->add_option("-o,--output", galleryOut, "Output picture: .png, .svg or .pdf")->capture_default_str();

    CLI11_PARSE(app, argc, argv);
    if (*galleryCmd) return RenderGallery(galleryOut);
    return 0;
}
