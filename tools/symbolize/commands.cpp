#include "tools/symbolize/commands.h"

#include <CLI/CLI.hpp>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/document/document.h"
#include "host/host.h"
#include "tools/symbolize/dump.h"
#include "tools/symbolize/legend.h"
#include "tools/symbolize/output.h"
#include "tools/symbolize/progress.h"
#include "tools/symbolize/render.h"

namespace symbolize_tool {
namespace {

using symbolhost::document::Document;

constexpr const char* kVersion = "0.1.0";

std::unique_ptr<Document> Load(const std::string& path, std::ostream& err) {
    symbolhost::document::ReadResult result = symbolhost::document::ReadDocument(path);
    err << result.diagnostics.Text();
    return std::move(result.document);
}

// What the command line overrides of the document: unset leaves the document's own.
struct Overrides {
    std::optional<double> ppi;
    std::optional<std::string> background;
};

// "#RRGGBB", "#AARRGGBB" or "transparent".
std::optional<uint32_t> BackgroundColour(const std::string& text) {
    constexpr uint32_t kTransparent = 0x00FFFFFFu;  // white at alpha 0, so a viewer's blend stays light
    if (text == "transparent") return kTransparent;
    return symbolhost::document::ParseColour(text, true);
}

// The document read, with the command line's overrides applied; null with *exitCode when the
// document or an override was refused. `zoom` is told how much larger the page's pixels became.
std::unique_ptr<Document> LoadForDrawing(const std::string& path, const Overrides& overrides,
                                         std::ostream& err, int* exitCode, double* zoom = nullptr) {
    std::optional<uint32_t> background;
    if (overrides.background && !(background = BackgroundColour(*overrides.background))) {
        err << "symbolize: --background: expected \"#RRGGBB\", \"#AARRGGBB\" or \"transparent\", found \""
            << *overrides.background << "\"\n";
        *exitCode = kExitUsage;
        return nullptr;
    }
    *exitCode = kExitRefused;
    std::unique_ptr<Document> document = Load(path, err);
    if (!document) return nullptr;
    if (background) document->canvas.background = *background;
    const double before = document->canvas.ppi;
    std::string error;
    if (overrides.ppi && !symbolhost::document::SetResolution(*document, *overrides.ppi, &error)) {
        err << "symbolize: --ppi: " << error << '\n';
        *exitCode = kExitUsage;
        return nullptr;
    }
    if (zoom != nullptr) *zoom = document->canvas.ppi / before;
    return document;
}

// What the library reported while drawing: each distinct message once, with how often it came.
void PrintLog(const std::vector<symbolhost::LogEntry>& entries, std::ostream& err) {
    std::vector<std::pair<const symbolhost::LogEntry*, size_t>> distinct;
    std::map<std::pair<std::string, std::string>, size_t> index;
    for (const symbolhost::LogEntry& e : entries) {
        const auto [it, added] = index.emplace(std::make_pair(e.function, e.message), distinct.size());
        if (added) {
            distinct.emplace_back(&e, 1);
        } else {
            ++distinct[it->second].second;
        }
    }
    for (const auto& [entry, count] : distinct) {
        err << "symbolize: library: " << entry->function << ": " << entry->message;
        if (count > 1) err << " (" << count << " times)";
        err << '\n';
    }
}

// An output that would replace the document or a file it reads: refused before anything is drawn.
bool ReplacesAnInput(const Document& document, const std::string& outputPath, std::ostream& err) {
    std::vector<std::string> inputs = document.inputs;
    inputs.push_back(document.file);
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (std::filesystem::equivalent(outputPath, input, ec) && !ec) {
            err << "symbolize: " << outputPath << ": is read by " << document.file
                << "; choose another output file\n";
            return true;
        }
    }
    return false;
}

// Why `outputPath` cannot take a picture or a dump, found before anything is read or drawn; empty
// when it can.
std::string OutputPlaceProblem(const std::string& outputPath) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(outputPath, ec)) return "is a folder, expected a file name";
    const fs::path folder = fs::path(outputPath).parent_path().empty() ? fs::path(".")
                                                                       : fs::path(outputPath).parent_path();
    if (!fs::exists(folder, ec)) return "its folder " + folder.string() + " does not exist";
    if (!fs::is_directory(folder, ec)) return folder.string() + " is not a folder";
    const long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (longest > 0 && fs::path(outputPath).filename().string().size() > static_cast<size_t>(longest)) {
        return "the name is longer than " + std::to_string(longest) + " bytes, the most its folder allows";
    }
    return {};
}

bool IsDumpPath(const std::string& path) {
    constexpr std::string_view kExtension = ".json";
    return path.size() >= kExtension.size() &&
           std::equal(kExtension.rbegin(), kExtension.rend(), path.rbegin(),
                      [](char e, char c) { return e == std::tolower(static_cast<unsigned char>(c)); });
}

// render to .json: the document's layers drawn onto a recording canvas of the canvas size, written
// as a drawing dump with everything the library logged.
int RenderDump(const std::string& documentPath, const std::string& outputPath, const Overrides& overrides,
               std::ostream& err) {
    int refused = kExitRefused;
    std::unique_ptr<Document> document = LoadForDrawing(documentPath, overrides, err, &refused);
    if (!document) return refused;
    if (ReplacesAnInput(*document, outputPath, err)) return kExitUsage;
    const DocumentServices services(*document);
    symbolhost::ScopedCaptureLog capture;
    StopOnInterrupt();
    std::string error;
    std::optional<dump::Json> result;
    {
        ProgressMeter meter("drawing features");
        const Progress progress = [&meter](size_t done, size_t total) { return meter(done, total); };
        result = DumpMap(*document, capture.log(), progress, &error);
    }
    PrintLog(capture.log().Entries(), err);
    if (Interrupted()) {
        err << "symbolize: interrupted; " << outputPath << " was not written\n";
        return kExitInterrupted;
    }
    if (!result || !dump::WriteFile(*result, outputPath, &error)) {
        err << "symbolize: " << outputPath << ": " << error << '\n';
        return kExitRefused;
    }
    return 0;
}

// The rasterizer of PNG output: the command line's choice, else the host's SYMBOL2_RASTER, else
// AGG. The property's value was checked when it was read.
Pictor::RasterEngine ChosenRaster(const std::string& option) {
    if (!option.empty()) return RasterEngineNamed(option).value_or(Pictor::RasterEngine::Agg);
    const IGIS_Property* property = symbolhost::DefaultProperties().GetProperty(symbolhost::kPropertyRaster);
    if (property == nullptr) return Pictor::RasterEngine::Agg;
    return RasterEngineNamed(property->GetStringValue()).value_or(Pictor::RasterEngine::Agg);
}

// render and gallery: the document's layers, or its legend sheet, into a picture.
// `rasterChosen`: the command line named a rasterizer, which only a PNG output can take.
int Draw(const std::string& documentPath, const std::string& outputPath, bool legend,
         Pictor::RasterEngine raster, bool rasterChosen, const Overrides& overrides, std::ostream& err) {
    if (const std::string problem = OutputPlaceProblem(outputPath); !problem.empty()) {
        err << "symbolize: " << outputPath << ": " << problem << '\n';
        return kExitRefused;
    }
    if (rasterChosen && FormatOf(outputPath) != Format::Png) {
        err << "symbolize: --raster chooses the rasterizer of PNG output; " << outputPath
            << " is not a PNG file\n";
        return kExitUsage;
    }
    if (!legend && IsDumpPath(outputPath)) return RenderDump(documentPath, outputPath, overrides, err);
    const std::optional<Format> format = FormatOf(outputPath);
    if (!format) {
        err << "symbolize: " << outputPath << ": expected "
            << (legend ? "a picture file ending in .png, .svg or .pdf\n"
                       : "a picture file ending in .png, .svg or .pdf, or a drawing dump ending in .json\n");
        return kExitUsage;
    }
    double zoom = 1.0;
    int refused = kExitRefused;
    std::unique_ptr<Document> document = LoadForDrawing(documentPath, overrides, err, &refused, &zoom);
    if (!document) return refused;
    if (ReplacesAnInput(*document, outputPath, err)) return kExitUsage;
    SheetSize size{document->canvas.width, document->canvas.height};
    if (legend) {
        std::string error;
        const std::optional<SheetSize> sheet = LegendSize(*document, &error, zoom);
        if (!sheet) {
            err << documentPath << ": " << error << '\n';
            return kExitRefused;
        }
        size = *sheet;
    }

    const DocumentServices services(*document);
    symbolhost::ScopedCaptureLog capture;
    StopOnInterrupt();
    std::string error;
    WriteResult result = WriteResult::Failed;
    {
        ProgressMeter meter(legend ? "drawing symbols" : "drawing features");
        const Progress progress = [&meter](size_t done, size_t total) { return meter(done, total); };
        result = WritePicture(
            outputPath, *format, size.width, size.height, document->canvas.background, document->canvas.ppi,
            [&](Pictor::Graphics& graphics) {
                return legend ? DrawLegend(*document, graphics, progress, zoom)
                              : DrawMap(*document, graphics, progress);
            },
            &error, raster);
    }
    PrintLog(capture.log().Entries(), err);
    switch (result) {
        case WriteResult::Written:
            return 0;
        case WriteResult::Stopped:
            if (Interrupted()) {
                err << "symbolize: interrupted; " << outputPath << " was not written\n";
                return kExitInterrupted;
            }
            err << "symbolize: the drawing library is not available; " << outputPath << " was not written\n";
            return kExitRefused;
        case WriteResult::Failed:
            err << "symbolize: " << outputPath << ": " << error << '\n';
            return kExitRefused;
    }
    return kExitRefused;
}

}  // namespace

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Draws cartographic symbols described in JSON documents (docs/document-format.md)."};
    app.set_version_flag("--version", std::string("symbolize ") + kVersion);
    app.require_subcommand(1);

    std::string document;
    std::string output;
    std::string raster;
    const auto addRaster = [&raster](CLI::App* command) {
        command
            ->add_option("--raster", raster,
                         "The rasterizer of PNG output: agg (the default) or cairo; SVG and PDF always use cairo")
            ->check(CLI::IsMember({"agg", "cairo"}, CLI::ignore_case));
    };
    Overrides overrides;
    const auto addOverrides = [&overrides](CLI::App* command) {
        command->add_option(
            "--ppi", overrides.ppi,
            "Pixels per inch, instead of the document's: the same page at another resolution");
        command->add_option("--background", overrides.background,
                            "The background, instead of the document's: #RRGGBB, #AARRGGBB or transparent");
    };
    CLI::App* render = app.add_subcommand("render", "Draw the document's layers into a picture.");
    render->add_option("document", document, "The document (JSON)")->required();
    render->add_option("-o,--output", output, "The picture: .png, .svg or .pdf; or .json for a drawing dump")
        ->required();
    addRaster(render);
    addOverrides(render);

    CLI::App* gallery = app.add_subcommand(
        "gallery", "Draw a legend sheet of every symbol in the document, each on a sample.");
    gallery->add_option("document", document, "The document (JSON)")->required();
    gallery->add_option("-o,--output", output, "The picture: .png, .svg or .pdf")->required();
    addRaster(gallery);
    addOverrides(gallery);

    CLI::App* validate =
        app.add_subcommand("validate", "Check the document and everything it names; print OK or the faults.");
    validate->add_option("document", document, "The document (JSON)")->required();

    CLI::App* kinds =
        app.add_subcommand("kinds", "Print every symbol kind with its properties and defaults (Markdown).");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? 0 : kExitUsage;
    }

    try {
        if (*render)
            return Draw(document, output, false, ChosenRaster(raster), !raster.empty(), overrides, err);
        if (*gallery) return Draw(document, output, true, ChosenRaster(raster), !raster.empty(), overrides, err);
        if (*validate) {
            if (!Load(document, err)) return kExitRefused;
            out << "OK\n";
            return 0;
        }
        if (*kinds) {
            out << symbolhost::document::KindsReference();
            return 0;
        }
    } catch (const std::exception& e) {
        err << "symbolize: " << e.what() << '\n';
        return kExitRefused;
    }
    return kExitUsage;
}

}  // namespace symbolize_tool
