// A fuzzed document drawn on the recording canvas, as `symbolize render` draws it, with the
// canvas's point budget: whatever the document, the drawing ends and stays within the budget.
#include <cstddef>
#include <cstdint>

#include "host/document/document.h"
#include "host/host.h"
#include "contracts/pictor/graphics.h"
#include "pictor/recording_canvas.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/symbolize/render.h"

namespace {

// Well below the dump's own budget: a fuzzed input draws a few features, and a small budget keeps
// each run short while still reaching the refusal past it.
constexpr size_t kPointBudget = size_t{1} << 16;

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
        symbolize_tool::DrawMap(document, graphics, nullptr);
    }
    size_t points = 0;
    for (const Pictor::RecordedOp& op : canvas.Operations()) points += op.device.GetPointCount();
    FUZZ_CHECK(points <= kPointBudget);
    return 0;
}
