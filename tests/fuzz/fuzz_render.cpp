// A fuzzed document drawn on the recording canvas, as `symbolize render` draws it, with the
// render's work budget and the canvas's point budget: whatever the document, the drawing ends and
// stays within the budgets.
#include <cstddef>
#include <cstdint>

#include "contracts/pictor/graphics.h"
#include "host/document/document.h"
#include "host/host.h"
#include "pictor/recording_canvas.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/symbolize/render.h"

namespace {

// Well below the dump's own budget: a fuzzed input draws a few features, and a small budget keeps
// each run short while still reaching the refusal past it.
constexpr size_t kPointBudget = size_t{1} << 16;
// Each feature may draw for about a second before its work budget cuts it off, longer under the
// sanitizers: a run stops after a few features to stay well inside libFuzzer's timeout.
constexpr size_t kMaxFeatures = 3;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace symbolhost::document;
    ReadResult read = ReadDocumentText(fuzz::Text(data, size), "fuzz.json", fuzz::DataDirectory());
    if (!read.document) return 0;
    Document& document = *read.document;
    const symbolize_tool::DocumentServices services(document);
    symbolhost::ScopedCaptureLog capture;
    Pictor::RecordingCanvas canvas(document.canvas.width, document.canvas.height);
    canvas.SetPointBudget(kPointBudget);
    {
        Pictor::Graphics graphics(&canvas);
        symbolize_tool::DrawMap(document, graphics, [](size_t done, size_t) { return done < kMaxFeatures; });
    }
    size_t points = 0;
    for (const Pictor::RecordedOp& op : canvas.Operations()) points += op.device.GetPointCount();
    FUZZ_CHECK(points <= kPointBudget);
    return 0;
}
