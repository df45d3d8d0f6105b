// Fonts and glyph outlines. Pango lays the text out; each glyph's outline is taken from Cairo once
// and then placed wherever the layout puts that glyph. Lines only Pango's renderer can draw
// (underline and strike-out bars, boxes for glyphs no font has) are drawn by it into a path on a
// scratch context. Either way the outlines become closed figures of a GraphicsPath.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "contracts/pictor/font.h"
#include "contracts/pictor/path.h"
#include "pictor/font_config.h"

#if defined(__SANITIZE_ADDRESS__)
#define PICTOR_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
#define PICTOR_LEAK_CHECKS 1
#endif
#endif
#ifdef PICTOR_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>
#endif

namespace Pictor {
namespace {

// Text is laid out at this em size and its outlines are scaled to the font's size, so all sizes of
// one family share Pango's font set and Cairo's glyph outline cache. At 64 units per em the
// outlines keep 1/4096 em (FreeType's 1/64 unit), finer than most fonts' own design grid.
constexpr double kReferenceEm = 64.0;
// The smallest em, used only for texts of many kilobytes (see ReferenceEmFor): 1/256 em.
constexpr double kMinReferenceEm = 4.0;
// Widest advance assumed per byte of text when choosing the reference em.
constexpr double kMaxEmPerByte = 4.0;
// Longest line accepted, in Pango units (1/1024 reference unit): half the 32-bit range, so Pango's
// own sums and alignment offsets cannot wrap around. Far below Cairo's fixed-point limit too.
constexpr double kMaxPangoUnits = 1 << 30;
// Every paragraph and every laid-out line holds at least one byte, except a final empty one.
constexpr size_t kMaxParagraphs = kMaxTextBytes + 1;
constexpr size_t kMaxLinesPerParagraph = kMaxTextBytes + 1;
// Pango places each tab by measuring the line so far, so its time grows with the square of the
// number of tabs in a paragraph: 4096 take tens of milliseconds, 65536 several seconds.
constexpr std::ptrdiff_t kMaxTabsPerParagraph = 4096;
// Shaping makes at most a few glyphs per byte; a run claiming more is not walked further.
constexpr int kMaxGlyphsPerLine = 4 * static_cast<int>(kMaxTextBytes);
// Distinct family names whose availability is remembered. Beyond this the cache starts over, so a
// caller cycling through made-up names cannot grow it without bound.
constexpr size_t kMaxCachedFamilies = 4096;
// Font descriptions (family, weight, slant) kept per thread, bounded for the same reason.
constexpr size_t kMaxCachedDescriptions = 256;
// Single characters whose layout is kept per thread: map markers draw the same few characters
// thousands of times. Each entry is a line box and a glyph or two; beyond this the cache starts over.
constexpr size_t kMaxCachedCharacters = 4096;
// Glyph outline points kept per thread (about 17 MB); beyond this the cache starts over before the
// next text. Thousands of Latin glyphs or about a thousand complex CJK ones fit.
constexpr size_t kMaxCachedGlyphPoints = 1 << 20;
// No real family name is longer; longer ones are not worth asking fontconfig about.
constexpr size_t kMaxFamilyBytes = 1024;
// fontconfig's substitution adds a few dozen families to a pattern; stop looking well beyond that.
constexpr int kMaxFamilyEntries = 4096;

// Releases every C handle this file owns.
struct Release {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
    void operator()(FcCharSet* p) const { FcCharSetDestroy(p); }
    void operator()(cairo_t* p) const { cairo_destroy(p); }
    void operator()(cairo_surface_t* p) const { cairo_surface_destroy(p); }
    void operator()(cairo_path_t* p) const { cairo_path_destroy(p); }
    void operator()(cairo_font_options_t* p) const { cairo_font_options_destroy(p); }
    void operator()(PangoFontMap* p) const { g_object_unref(p); }
    void operator()(PangoFont* p) const { g_object_unref(p); }
    void operator()(PangoContext* p) const { g_object_unref(p); }
    void operator()(PangoLayout* p) const { g_object_unref(p); }
    void operator()(PangoLayoutIter* p) const { pango_layout_iter_free(p); }
    void operator()(PangoFontDescription* p) const { pango_font_description_free(p); }
    void operator()(PangoAttrList* p) const { pango_attr_list_unref(p); }
    void operator()(gchar* p) const { g_free(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, Release>;

const FcChar8* AsFc(const char* s) { return reinterpret_cast<const FcChar8*>(s); }

// ---- Font configuration and family availability ----

// Allocations made while one of these lives are not reported by the leak checker.
class LeakCheckPause {
public:
#ifdef PICTOR_LEAK_CHECKS
    LeakCheckPause() { __lsan_disable(); }
    ~LeakCheckPause() { __lsan_enable(); }
#else
    LeakCheckPause() {}  // no leak checker to pause
#endif
    LeakCheckPause(const LeakCheckPause&) = delete;
    LeakCheckPause& operator=(const LeakCheckPause&) = delete;
};

// The system configuration with ours on top, made once and kept for the life of the process:
// every thread's font map refers to it.
FcConfig* ProjectFontConfig() {
    static FcConfig* const config = [] {
        // A loaded configuration keeps some of its memory where the leak checker cannot see it,
        // and it lives as long as the process, so checking is paused while configurations load.
        // Pango loads fontconfig's default configuration on a thread of its own unless it is
        // already loaded; it is loaded here first so that this happens under the pause too.
        const LeakCheckPause pause;
        FcInit();
        FcConfig* loaded = FcInitLoadConfigAndFonts();
        // Without our aliases the installed families still work, so a parse failure is not fatal.
        if (loaded != nullptr) FcConfigParseAndLoadFromMemory(loaded, AsFc(kProjectFontConfigXml), FcTrue);
        return loaded;
    }();
    return config;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Family names compare as fontconfig's matcher compares them: ignoring ASCII case and blanks.
bool SameFamilyName(const char* a, const char* b) {
    for (;;) {
        while (*a == ' ') ++a;
        while (*b == ' ') ++b;
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
        if (*a == '\0') return true;
        ++a;
        ++b;
    }
}

// Position of `name` in the pattern's family list, or -1.
int FamilyIndex(FcPattern* pattern, const char* name) {
    FcChar8* value = nullptr;
    for (int i = 0;
         i < kMaxFamilyEntries && FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
        if (SameFamilyName(reinterpret_cast<const char*>(value), name)) return i;
    }
    return -1;
}

// fontconfig always returns some font, so a match alone proves nothing. Substitution lists the
// families to try in order: aliases (ours with binding "same", the generic families' members) come
// before the requested name, while the defaults fontconfig falls back on are appended after it.
// The family counts as available when the matched font is named at or before the requested entry.
bool QueryFamily(const std::string& family) {
    if (family.empty() || family.size() > kMaxFamilyBytes || family.find('\0') != std::string::npos ||
        !g_utf8_validate_len(family.data(), family.size(), nullptr)) {
        return false;
    }
    FcConfig* config = ProjectFontConfig();
    if (config == nullptr) return false;
    Owned<FcPattern> pattern(FcPatternCreate());
    if (!pattern || !FcPatternAddString(pattern.get(), FC_FAMILY, AsFc(family.c_str()))) return false;
    if (!FcConfigSubstitute(config, pattern.get(), FcMatchPattern)) return false;
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Owned<FcPattern> match(FcFontMatch(config, pattern.get(), &result));
    if (!match) return false;
    const int requested = FamilyIndex(pattern.get(), family.c_str());
    if (requested < 0) return false;  // our configuration removed the name
    FcChar8* matched = nullptr;
    for (int i = 0;
         i < kMaxFamilyEntries && FcPatternGetString(match.get(), FC_FAMILY, i, &matched) == FcResultMatch;
         ++i) {
        const int at = FamilyIndex(pattern.get(), reinterpret_cast<const char*>(matched));
        if (at >= 0 && at <= requested) return true;
    }
    return false;
}

// The character coverage of the font a family resolves to (at regular weight), or null.
Owned<FcCharSet> QueryCharSet(const std::string& family) {
    FcConfig* config = ProjectFontConfig();
    if (config == nullptr) return nullptr;
    Owned<FcPattern> pattern(FcPatternCreate());
    if (!pattern || !FcPatternAddString(pattern.get(), FC_FAMILY, AsFc(family.c_str()))) return nullptr;
    if (!FcConfigSubstitute(config, pattern.get(), FcMatchPattern)) return nullptr;
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Owned<FcPattern> match(FcFontMatch(config, pattern.get(), &result));
    FcCharSet* coverage = nullptr;
    if (!match || FcPatternGetCharSet(match.get(), FC_CHARSET, 0, &coverage) != FcResultMatch) return nullptr;
    return Owned<FcCharSet>(FcCharSetCopy(coverage));
}

bool CachedHasGlyph(const std::string& family, char32_t code) {
    static std::mutex mutex;
    static std::unordered_map<std::string, Owned<FcCharSet>> coverages;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (auto it = coverages.find(family); it != coverages.end()) {
            return it->second && FcCharSetHasChar(it->second.get(), code);
        }
    }
    // Asked outside the lock, like the availability: both threads get the same answer.
    Owned<FcCharSet> coverage = QueryCharSet(family);
    const bool has = coverage && FcCharSetHasChar(coverage.get(), code);
    std::lock_guard<std::mutex> lock(mutex);
    if (coverages.size() >= kMaxCachedFamilies) coverages.clear();
    coverages.emplace(family, std::move(coverage));
    return has;
}

bool CachedFamilyAvailability(const std::string& family) {
    static std::mutex mutex;
    static std::unordered_map<std::string, bool> answers;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (auto it = answers.find(family); it != answers.end()) return it->second;
    }
    // Asked outside the lock: two threads may ask at once, and both get the same answer.
    const bool available = QueryFamily(family);
    std::lock_guard<std::mutex> lock(mutex);
    if (answers.size() >= kMaxCachedFamilies) answers.clear();
    answers.emplace(family, available);
    return available;
}

// ---- Converting Cairo path data into figures ----

size_t CountPoints(const cairo_path_t& path) {
    size_t count = 0;
    for (int i = 0; i < path.num_data; i += path.data[i].header.length) {
        const cairo_path_data_type_t type = path.data[i].header.type;
        count += type == CAIRO_PATH_CURVE_TO ? 3 : type == CAIRO_PATH_CLOSE_PATH ? 0 : 1;
    }
    return count;
}

// Writes figures into a path, mapping reference units to drawing units. The last point is held
// back until it is known whether it ends a figure, since every glyph figure must end closed.
class FigureWriter {
public:
    FigureWriter(GraphicsPath& path, double scale) : path_(path), scale_(scale) {}

    void SetOrigin(double x, double y) {
        originX_ = x;
        originY_ = y;
    }
    void MoveTo(const cairo_path_data_t& p) {
        Close();
        start_ = Map(p);
    }
    void LineTo(const cairo_path_data_t& p) {
        Begin();
        Put(Map(p), PathPointLine);
    }
    void CurveTo(const cairo_path_data_t* p) {
        Begin();
        Put(Map(p[0]), PathPointBezier);
        Put(Map(p[1]), PathPointBezier);
        Put(Map(p[2]), PathPointBezier);
    }
    // Closes the figure in progress; a lone move without segments leaves nothing.
    void Close() {
        if (!inFigure_) return;
        pendingType_ |= PathPointClose;
        Flush();
        inFigure_ = false;
    }

private:
    PointD Map(const cairo_path_data_t& p) const {
        return {originX_ + p.point.x * scale_, originY_ + p.point.y * scale_};
    }
    void Begin() {
        if (inFigure_) return;
        Put(start_, PathPointStart);
        inFigure_ = true;
    }
    void Put(const PointD& p, uint8_t type) {
        Flush();
        pending_ = p;
        pendingType_ = type;
        hasPending_ = true;
    }
    void Flush() {
        if (hasPending_) path_.AppendRaw(pending_, pendingType_);
        hasPending_ = false;
    }

    GraphicsPath& path_;
    double scale_;
    double originX_ = 0.0;
    double originY_ = 0.0;
    PointD start_;
    PointD pending_;
    uint8_t pendingType_ = PathPointStart;
    bool hasPending_ = false;
    bool inFigure_ = false;
};

// Appends a cached outline (closed figures already), scaled and moved.
void AppendScaled(GraphicsPath& path, const GraphicsPath& outline, double x, double y, double scale) {
    const std::vector<PointD>& points = outline.Points();
    const std::vector<uint8_t>& types = outline.Types();
    for (size_t i = 0; i < points.size(); ++i) {
        path.AppendRaw({x + points[i].x * scale, y + points[i].y * scale}, types[i]);
    }
}

void AppendCairoPath(FigureWriter& writer, const cairo_path_t& path) {
    for (int i = 0; i < path.num_data; i += path.data[i].header.length) {
        const cairo_path_data_t* element = &path.data[i];
        switch (element->header.type) {
            case CAIRO_PATH_MOVE_TO:
                writer.MoveTo(element[1]);
                break;
            case CAIRO_PATH_LINE_TO:
                writer.LineTo(element[1]);
                break;
            case CAIRO_PATH_CURVE_TO:
                writer.CurveTo(element + 1);
                break;
            case CAIRO_PATH_CLOSE_PATH:
                writer.Close();
                break;
        }
    }
    writer.Close();
}

// ---- Layout engine, one per thread ----

// Pango's width of a line of n bytes stays below kMaxPangoUnits at these reference sizes, provided
// no glyph advances more than kMaxEmPerByte em per byte of text (a tab, the widest common case,
// advances about 2.5 em). Long texts are laid out at a smaller em: Pango's 32-bit sums that wrap
// around would otherwise hang its line breaking.
double ReferenceEmFor(size_t bytes) {
    double em = kReferenceEm;
    while (em > kMinReferenceEm &&
           static_cast<double>(bytes) * kMaxEmPerByte * em * PANGO_SCALE > kMaxPangoUnits) {
        em /= 2.0;
    }
    return em;
}

// Where a line sits in spare width: 0 at the near edge, 1 at the far edge.
double AlignmentShare(int alignment) {
    return alignment == StringAlignmentCenter ? 0.5 : alignment == StringAlignmentFar ? 1.0 : 0.0;
}

PangoAlignment ToPango(int alignment) {
    switch (alignment) {
        case StringAlignmentCenter:
            return PANGO_ALIGN_CENTER;
        case StringAlignmentFar:
            return PANGO_ALIGN_RIGHT;
        default:
            return PANGO_ALIGN_LEFT;  // StringFormat admits nothing else
    }
}

// Sum of the line's glyph advances in reference units, added up in doubles so that a line too long
// for Pango's own sums is caught.
double LineAdvance(PangoLayoutLine* line) {
    double width = 0.0;
    int glyphs = 0;
    for (GSList* run = line->runs; run != nullptr && glyphs < kMaxGlyphsPerLine; run = run->next) {
        const PangoGlyphString* string = static_cast<PangoGlyphItem*>(run->data)->glyphs;
        for (int i = 0; i < string->num_glyphs && glyphs < kMaxGlyphsPerLine; ++i, ++glyphs) {
            width += string->glyphs[i].geometry.width;
        }
    }
    return std::fabs(width) / PANGO_SCALE;
}

// One laid-out line in reference units. Its outline is either a run of placed glyphs or, where
// Pango's renderer must draw it, a Cairo path.
struct LaidLine {
    double x;         // left of its logical box, from the left of the layout
    double baseline;  // depth of its baseline below the top of the first line
    double width;     // logical width
    bool rightToLeft;
    size_t firstGlyph = 0;
    size_t glyphCount = 0;
    const cairo_path_t* rendered = nullptr;
};

// A glyph outline at its place on a line, in reference units from the line's origin.
struct PlacedGlyph {
    const GraphicsPath* outline;
    double x;
    double y;
};

struct GlyphKey {
    PangoFont* font;
    PangoGlyph glyph;
    friend bool operator==(const GlyphKey&, const GlyphKey&) = default;
};

struct GlyphKeyHash {
    // The golden-ratio multiplier spreads consecutive glyph ids over the whole word.
    size_t operator()(const GlyphKey& key) const {
        return std::hash<const void*>()(key.font) ^
               (std::hash<PangoGlyph>()(key.glyph) * 0x9E3779B97F4A7C15ull);
    }
};

Status FromCairo(cairo_status_t status) {
    return status == CAIRO_STATUS_NO_MEMORY ? OutOfMemory : GenericError;
}

class TextEngine {
public:
    // This thread's engine, or null when no font map could be made (no fonts at all).
    static TextEngine* ForThisThread() {
        static thread_local TextEngine engine;
        return engine.ready_ ? &engine : nullptr;
    }

    TextEngine(const TextEngine&) = delete;
    TextEngine& operator=(const TextEngine&) = delete;

    // Lays the text out and takes the outline of every line. wrapWidth is in drawing units (0 or
    // less: no wrapping); room is how many more points the destination path can take.
    Status LayOut(std::string_view text, const Font& font, double wrapWidth, int alignment, size_t room);
    // The same for one character, unwrapped: its layout is kept and reused for every size.
    Status LayOutCharacter(std::string_view character, const Font& font, size_t room);
    const std::vector<LaidLine>& Lines() const { return lines_; }
    double Scale() const { return scale_; }  // drawing units per reference unit
    // Appends the outlines of the laid-out lines, the layout's top-left at (left, top).
    Status Outline(GraphicsPath& path, double left, double top);

private:
    TextEngine();
    const PangoFontDescription* Description(const Font& font, double em);
    PangoAttrList* Decorations(const Font& font);
    Status AddParagraphs(std::string_view text, double lineSpacing);
    Status AddParagraph(std::string_view paragraph, double lineSpacing);
    Status PlaceGlyphs(PangoLayoutLine* line, LaidLine& laid, bool* placed);
    Status GlyphOutline(PangoFont* font, PangoGlyph glyph, const GraphicsPath** outline);
    Status RenderLine(PangoLayoutLine* line, LaidLine& laid);
    Status CopyScratchPath(Owned<cairo_path_t>* path);
    void AlignUnwrapped(int alignment);
    void Discard();

    Owned<PangoFontMap> fontMap_;
    Owned<PangoContext> context_;
    Owned<PangoLayout> layout_;
    Owned<cairo_surface_t> surface_;
    Owned<cairo_t> scratch_;
    std::unordered_map<std::string, Owned<PangoFontDescription>> descriptions_;
    std::string descriptionKey_;
    Owned<PangoAttrList> decorations_[4];  // indexed by underline | strike-out << 1
    bool ready_ = false;

    // Glyph outlines in reference units from the glyph origin, taken from Cairo once. The fonts
    // are held so that a key's font cannot be freed and another take its address.
    std::unordered_map<GlyphKey, GraphicsPath, GlyphKeyHash> glyphOutlines_;
    std::unordered_map<PangoFont*, Owned<PangoFont>> glyphFonts_;
    size_t cachedGlyphPoints_ = 0;

    // Layouts of single characters in reference units, by family, style and character. Their
    // glyphs point into glyphOutlines_, so both are emptied together.
    struct LaidCharacter {
        LaidLine line;
        std::vector<PlacedGlyph> glyphs;
        size_t points = 0;
    };
    std::unordered_map<std::string, LaidCharacter> characters_;
    std::string characterKey_;

    // The text being outlined.
    std::vector<LaidLine> lines_;
    std::vector<PlacedGlyph> glyphs_;
    std::vector<Owned<cairo_path_t>> renderedLines_;
    bool decorated_ = false;  // underline or strike-out bars: Pango's renderer draws every line
    size_t room_ = 0;         // points the destination path can still take
    size_t points_ = 0;
    double scale_ = 1.0;
    double previousDescent_ = 0.0;
};

TextEngine::TextEngine() {
    FcConfig* config = ProjectFontConfig();
    if (config == nullptr) return;
    fontMap_.reset(pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT));
    if (!fontMap_ || !PANGO_IS_FC_FONT_MAP(fontMap_.get())) return;
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap_.get()), config);
    context_.reset(pango_font_map_create_context(fontMap_.get()));
    if (!context_) return;
    // Outlines are geometry, not pixels: no hinting and no rounding of metrics or positions, so
    // that scaling from the reference size is exact.
    Owned<cairo_font_options_t> options(cairo_font_options_create());
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context_.get(), options.get());
    pango_context_set_round_glyph_positions(context_.get(), FALSE);
    layout_.reset(pango_layout_new(context_.get()));
    if (!layout_) return;
    pango_layout_set_wrap(layout_.get(), PANGO_WRAP_WORD);
    // Unbounded, since Cairo drops glyphs that fall outside a bounded target even from paths.
    surface_.reset(cairo_recording_surface_create(CAIRO_CONTENT_ALPHA, nullptr));
    scratch_.reset(cairo_create(surface_.get()));
    ready_ = cairo_status(scratch_.get()) == CAIRO_STATUS_SUCCESS;
}

const PangoFontDescription* TextEngine::Description(const Font& font, double em) {
    // Reused, so that finding a cached description allocates nothing for the usual short names.
    std::string& key = descriptionKey_;
    key.assign(1, static_cast<char>('0' + std::ilogb(em)));
    key += font.IsBold() ? 'b' : '-';
    key += font.IsItalic() ? 'i' : '-';
    key += font.GetFamily();
    if (auto it = descriptions_.find(key); it != descriptions_.end()) return it->second.get();
    if (descriptions_.size() >= kMaxCachedDescriptions) descriptions_.clear();
    Owned<PangoFontDescription> description(pango_font_description_new());
    pango_font_description_set_family(description.get(), font.GetFamily().c_str());
    pango_font_description_set_weight(description.get(),
                                      font.IsBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description.get(),
                                     font.IsItalic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(description.get(), em * PANGO_SCALE);
    return descriptions_.emplace(key, std::move(description)).first->second.get();
}

PangoAttrList* TextEngine::Decorations(const Font& font) {
    const int index = (font.IsUnderLine() ? 1 : 0) | (font.IsStrikeOut() ? 2 : 0);
    if (index == 0) return nullptr;
    Owned<PangoAttrList>& list = decorations_[index];
    if (!list) {
        list.reset(pango_attr_list_new());
        if (font.IsUnderLine())
            pango_attr_list_insert(list.get(), pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (font.IsStrikeOut()) pango_attr_list_insert(list.get(), pango_attr_strikethrough_new(TRUE));
    }
    return list.get();
}

Status TextEngine::LayOut(std::string_view text, const Font& font, double wrapWidth, int alignment,
                          size_t room) {
    Discard();
    if (cachedGlyphPoints_ > kMaxCachedGlyphPoints) {
        glyphOutlines_.clear();
        glyphFonts_.clear();
        characters_.clear();
        cachedGlyphPoints_ = 0;
    }
    room_ = room;
    decorated_ = font.IsUnderLine() || font.IsStrikeOut();
    const double em = ReferenceEmFor(text.size());
    scale_ = font.GetSize() / em;
    // A wrap width beyond the longest line Pango can hold cannot break anything: leave it unwrapped.
    const double wrapUnits = wrapWidth / scale_ * PANGO_SCALE;
    const bool wrap = wrapWidth > 0.0 && wrapUnits < kMaxPangoUnits;
    PangoLayout* layout = layout_.get();
    pango_layout_set_font_description(layout, Description(font, em));
    pango_layout_set_attributes(layout, Decorations(font));
    pango_layout_set_width(layout, wrap ? std::max(1, static_cast<int>(std::lround(wrapUnits))) : -1);
    pango_layout_set_alignment(layout, wrap ? ToPango(alignment) : PANGO_ALIGN_LEFT);

    if (Status status = AddParagraphs(text, font.GetLineSpacing()); status != Ok) {
        Discard();  // a partial outline of a text that was refused can be large
        return status;
    }
    if (!wrap) AlignUnwrapped(alignment);
    return Ok;
}

Status TextEngine::LayOutCharacter(std::string_view character, const Font& font, size_t room) {
    // Lines with underline or strike-out bars come from Pango's renderer and are not kept.
    if (font.IsUnderLine() || font.IsStrikeOut())
        return LayOut(character, font, 0.0, StringAlignmentNear, room);
    std::string& key = characterKey_;
    key.clear();
    key.push_back(font.IsBold() ? 'b' : '-');
    key.push_back(font.IsItalic() ? 'i' : '-');
    key.append(character.data(), character.size());
    key.push_back('\0');
    key.append(font.GetFamily());
    if (auto it = characters_.find(key);
        it != characters_.end() && cachedGlyphPoints_ <= kMaxCachedGlyphPoints) {
        Discard();
        if (it->second.points > room) return ValueOverflow;
        room_ = room;
        decorated_ = false;
        scale_ = font.GetSize() / ReferenceEmFor(character.size());
        lines_.push_back(it->second.line);
        glyphs_ = it->second.glyphs;
        points_ = it->second.points;
        return Ok;
    }
    if (Status status = LayOut(character, font, 0.0, StringAlignmentNear, room); status != Ok) return status;
    // Only a line of placed glyphs can be kept; one the renderer drew is laid out anew each time.
    if (lines_.size() != 1 || lines_.front().rendered != nullptr) return Ok;
    if (characters_.size() >= kMaxCachedCharacters) characters_.clear();
    characters_.emplace(key, LaidCharacter{lines_.front(), glyphs_, points_});
    return Ok;
}

// One paragraph at a time: Pango's time for a whole text grows with the square of its number of
// paragraphs. Paragraphs end where Pango ends them (\n, \r\n, \r, U+2029).
Status TextEngine::AddParagraphs(std::string_view text, double lineSpacing) {
    size_t start = 0;
    for (size_t i = 0; i < kMaxParagraphs; ++i) {
        const std::string_view rest = text.substr(start);
        int end = 0, next = 0;
        pango_find_paragraph_boundary(rest.data(), static_cast<int>(rest.size()), &end, &next);
        if (Status status = AddParagraph(rest.substr(0, end), lineSpacing); status != Ok) return status;
        if (static_cast<size_t>(next) >= rest.size()) {
            // A final line break leaves an empty last line, as in a single Pango layout.
            return next > end ? AddParagraph({}, lineSpacing) : Ok;
        }
        start += static_cast<size_t>(next);
    }
    return Ok;
}

void TextEngine::Discard() {
    lines_.clear();
    glyphs_.clear();
    renderedLines_.clear();
    points_ = 0;
}

Status TextEngine::AddParagraph(std::string_view paragraph, double lineSpacing) {
    if (std::count(paragraph.begin(), paragraph.end(), '\t') > kMaxTabsPerParagraph) return ValueOverflow;
    PangoLayout* layout = layout_.get();
    pango_layout_set_text(layout, paragraph.data(), static_cast<int>(paragraph.size()));
    Owned<PangoLayoutIter> iter(pango_layout_get_iter(layout));
    if (!iter) return OutOfMemory;
    for (size_t i = 0; i < kMaxLinesPerParagraph; ++i) {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter.get());
        if (LineAdvance(line) * PANGO_SCALE > kMaxPangoUnits) return ValueOverflow;
        PangoRectangle box;  // in the paragraph, alignment included
        pango_layout_iter_get_line_extents(iter.get(), nullptr, &box);
        const int baselineInParagraph = pango_layout_iter_get_baseline(iter.get());
        const double ascent = static_cast<double>(baselineInParagraph - box.y) / PANGO_SCALE;
        // The line spacing factor scales the distance from one line's baseline to the next.
        const double baseline =
            lines_.empty() ? ascent : lines_.back().baseline + lineSpacing * (previousDescent_ + ascent);
        previousDescent_ = static_cast<double>(box.y + box.height - baselineInParagraph) / PANGO_SCALE;
        LaidLine& laid = lines_.emplace_back();
        laid.x = static_cast<double>(box.x) / PANGO_SCALE;
        laid.baseline = baseline;
        laid.width = static_cast<double>(box.width) / PANGO_SCALE;
        laid.rightToLeft = pango_layout_line_get_resolved_direction(line) == PANGO_DIRECTION_RTL;
        bool placed = false;
        if (!decorated_) {
            if (Status status = PlaceGlyphs(line, laid, &placed); status != Ok) return status;
        }
        if (!placed) {
            if (Status status = RenderLine(line, laid); status != Ok) return status;
        }
        if (points_ > room_) return ValueOverflow;
        if (!pango_layout_iter_next_line(iter.get())) break;
    }
    return Ok;
}

// Places the line's glyphs as Pango's renderer places them, each glyph's outline taken from the
// cache. Leaves `placed` false for a line only the renderer can draw: one with boxes for missing
// glyphs or with vertical runs.
Status TextEngine::PlaceGlyphs(PangoLayoutLine* line, LaidLine& laid, bool* placed) {
    *placed = false;
    const size_t first = glyphs_.size();
    size_t points = 0;
    double runX = 0.0;  // Pango units from the line's origin
    int walked = 0;
    for (GSList* link = line->runs; link != nullptr; link = link->next) {
        const PangoGlyphItem* run = static_cast<PangoGlyphItem*>(link->data);
        if ((run->item->analysis.flags & PANGO_ANALYSIS_FLAG_CENTERED_BASELINE) != 0 ||
            !PANGO_IS_CAIRO_FONT(run->item->analysis.font)) {
            glyphs_.resize(first);
            return Ok;
        }
        runX += run->start_x_offset;
        double glyphX = 0.0;
        const PangoGlyphString* string = run->glyphs;
        for (int i = 0; i < string->num_glyphs; ++i) {
            if (++walked > kMaxGlyphsPerLine) return ValueOverflow;
            const PangoGlyphInfo& info = string->glyphs[i];
            if (info.glyph != PANGO_GLYPH_EMPTY) {
                if ((info.glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0) {
                    glyphs_.resize(first);
                    return Ok;
                }
                const GraphicsPath* outline = nullptr;
                if (Status status = GlyphOutline(run->item->analysis.font, info.glyph, &outline);
                    status != Ok) {
                    return status;
                }
                if (!outline->IsEmpty()) {
                    glyphs_.push_back(
                        {outline, (runX + glyphX + info.geometry.x_offset) / PANGO_SCALE,
                         static_cast<double>(info.geometry.y_offset - run->y_offset) / PANGO_SCALE});
                    points += outline->Points().size();
                }
            }
            glyphX += info.geometry.width;
        }
        runX += glyphX + run->end_x_offset;
    }
    laid.firstGlyph = first;
    laid.glyphCount = glyphs_.size() - first;
    points_ += points;
    *placed = true;
    return Ok;
}

Status TextEngine::GlyphOutline(PangoFont* font, PangoGlyph glyph, const GraphicsPath** outline) {
    const GlyphKey key{font, glyph};
    if (auto it = glyphOutlines_.find(key); it != glyphOutlines_.end()) {
        *outline = &it->second;
        return Ok;
    }
    cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
    if (scaled == nullptr) return GenericError;
    cairo_t* cr = scratch_.get();
    cairo_new_path(cr);
    cairo_set_scaled_font(cr, scaled);
    const cairo_glyph_t at{glyph, 0.0, 0.0};
    cairo_glyph_path(cr, &at, 1);
    Owned<cairo_path_t> path;
    if (Status status = CopyScratchPath(&path); status != Ok) return status;
    GraphicsPath taken;
    taken.Reserve(CountPoints(*path));
    FigureWriter writer(taken, 1.0);
    AppendCairoPath(writer, *path);
    if (glyphFonts_.find(font) == glyphFonts_.end()) {
        glyphFonts_.emplace(font, Owned<PangoFont>(static_cast<PangoFont*>(g_object_ref(font))));
    }
    cachedGlyphPoints_ += taken.Points().size();
    *outline = &glyphOutlines_.emplace(key, std::move(taken)).first->second;
    return Ok;
}

// Lets Pango's renderer draw the line (glyphs, boxes for missing glyphs, underline and strike-out
// bars) on the scratch context, with its origin at (0, 0) so that Cairo's fixed-point coordinates
// stay within one line however many lines there are.
Status TextEngine::RenderLine(PangoLayoutLine* line, LaidLine& laid) {
    cairo_t* cr = scratch_.get();
    cairo_new_path(cr);
    cairo_move_to(cr, 0.0, 0.0);
    pango_cairo_layout_line_path(cr, line);
    Owned<cairo_path_t> path;
    if (Status status = CopyScratchPath(&path); status != Ok) return status;
    points_ += CountPoints(*path);
    laid.rendered = path.get();
    renderedLines_.push_back(std::move(path));
    return Ok;
}

// Takes the scratch context's path and clears it.
Status TextEngine::CopyScratchPath(Owned<cairo_path_t>* path) {
    cairo_t* cr = scratch_.get();
    path->reset(cairo_copy_path(cr));
    cairo_new_path(cr);
    cairo_status_t status = *path ? (*path)->status : CAIRO_STATUS_NO_MEMORY;
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_status(cr);
    if (status == CAIRO_STATUS_SUCCESS) return Ok;
    // A Cairo context stays in error once it fails: start a fresh one for the next call.
    path->reset();
    scratch_.reset(cairo_create(surface_.get()));
    ready_ = cairo_status(scratch_.get()) == CAIRO_STATUS_SUCCESS;
    return FromCairo(status);
}

// Unwrapped paragraphs are one line each, laid out on their own; align them among themselves as
// Pango aligns the lines of one layout (right-to-left lines swap near and far).
void TextEngine::AlignUnwrapped(int alignment) {
    double widest = 0.0;
    for (const LaidLine& laid : lines_) widest = std::max(widest, laid.width);
    const double share = AlignmentShare(alignment);
    for (LaidLine& laid : lines_) laid.x = (laid.rightToLeft ? 1.0 - share : share) * (widest - laid.width);
}

Status TextEngine::Outline(GraphicsPath& path, double left, double top) {
    // Lines are shorter than kMaxPangoUnits and a few em high, so this bounds every output point
    // (with room for glyphs reaching out of their line box).
    double reach = 0.0;
    for (const LaidLine& laid : lines_)
        reach = std::max({reach, std::fabs(laid.x) + laid.width, laid.baseline});
    reach += 8.0 * kReferenceEm;
    if (!std::isfinite(std::fabs(left) + std::fabs(top) + reach * scale_)) {
        Discard();
        return ValueOverflow;
    }

    path.Reserve(path.Points().size() + points_);
    FigureWriter writer(path, scale_);
    for (const LaidLine& laid : lines_) {
        const double x = left + laid.x * scale_;
        const double y = top + laid.baseline * scale_;
        if (laid.rendered != nullptr) {
            writer.SetOrigin(x, y);
            AppendCairoPath(writer, *laid.rendered);
            continue;
        }
        for (size_t i = laid.firstGlyph; i < laid.firstGlyph + laid.glyphCount; ++i) {
            const PlacedGlyph& glyph = glyphs_[i];
            AppendScaled(path, *glyph.outline, x + glyph.x * scale_, y + glyph.y * scale_, scale_);
        }
    }
    // The line boxes stay for the caller; the outlines are spent.
    glyphs_.clear();
    renderedLines_.clear();
    for (LaidLine& laid : lines_) laid.rendered = nullptr;
    return Ok;
}

// ---- Shared argument handling ----

// UTF-8 as Pango needs it. Invalid sequences are repaired rather than rejected, so one bad byte
// does not hide a whole label.
class ValidText {
public:
    explicit ValidText(std::string_view text) : view_(text) {
        if (g_utf8_validate_len(text.data(), text.size(), nullptr)) return;
        repaired_.reset(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
        view_ = repaired_ ? std::string_view(repaired_.get()) : std::string_view();
    }
    std::string_view View() const { return view_; }

private:
    Owned<gchar> repaired_;
    std::string_view view_;
};

Status CheckText(std::string_view text, const Font* font) {
    if (font == nullptr) return InvalidParameter;
    if (font->GetLastStatus() != Ok) return font->GetLastStatus();
    if (text.size() > kMaxTextBytes) return ValueOverflow;
    return Ok;
}

bool Finite(const PointD& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// How many more points the path can take.
size_t Room(const GraphicsPath& path) {
    const size_t limit = static_cast<size_t>(kMaxPathPoints);
    return limit - std::min(path.Points().size(), limit);
}

// Lays out text without wrapping and adds it with the first line box's top-left at `origin` (or,
// without `originAtTop`, with the first baseline through it). Reports the last line's width.
Status AddTextAt(GraphicsPath& path, std::string_view text, const Font& font, const PointD& origin,
                 bool originAtTop, double* lastLineWidth, bool oneCharacter = false) {
    *lastLineWidth = 0.0;
    const ValidText valid(text);
    if (valid.View().empty()) return Ok;
    TextEngine* engine = TextEngine::ForThisThread();
    if (engine == nullptr) return GenericError;
    Status status = oneCharacter ? engine->LayOutCharacter(valid.View(), font, Room(path))
                                 : engine->LayOut(valid.View(), font, 0.0, StringAlignmentNear, Room(path));
    if (status != Ok) return status;
    const double scale = engine->Scale();
    const LaidLine& first = engine->Lines().front();
    const double left = origin.x - first.x * scale;
    const double top = originAtTop ? origin.y : origin.y - first.baseline * scale;
    status = engine->Outline(path, left, top);
    if (status == Ok) *lastLineWidth = engine->Lines().back().width * scale;
    return status;
}

// Lays the text out in the rectangle: wrapped to its width and aligned in it, or, when the width
// is 0 or less, unwrapped and hung from its left edge to the right, centred on it or to its left.
Status AddTextIn(GraphicsPath& path, std::string_view text, const Font& font, const RectD& layout,
                 int alignment) {
    const ValidText valid(text);
    if (valid.View().empty()) return Ok;
    TextEngine* engine = TextEngine::ForThisThread();
    if (engine == nullptr) return GenericError;
    const double wrapWidth = std::max(layout.width, 0.0);
    if (Status status = engine->LayOut(valid.View(), font, wrapWidth, alignment, Room(path)); status != Ok) {
        return status;
    }
    double left = layout.x;
    if (wrapWidth <= 0.0) {
        double widest = 0.0;
        for (const LaidLine& laid : engine->Lines()) widest = std::max(widest, laid.x + laid.width);
        left -= AlignmentShare(alignment) * widest * engine->Scale();
    }
    return engine->Outline(path, left, layout.y);
}

}  // namespace

// ---- Font ----

Font::Font(const std::string& family, double size, int style, int unit)
    : family_(family), size_(size), style_(style) {
    if (unit != UnitWorld || !std::isfinite(size) || size <= 0.0) {
        status_ = InvalidParameter;
    } else if (!IsFamilyAvailable(family_)) {
        status_ = FontFamilyNotFound;
    }
}

Status Font::SetLineSpacing(double factor) {
    if (!std::isfinite(factor) || factor <= 0.0) return InvalidParameter;
    lineSpacing_ = factor;
    return Ok;
}

bool Font::IsFamilyAvailable(const std::string& family) {
    try {
        return CachedFamilyAvailability(family);
    } catch (...) {
        return false;  // out of memory: nothing can be drawn with it either
    }
}

bool Font::HasGlyph(char32_t code) const {
    if (status_ != Ok) return false;
    try {
        return CachedHasGlyph(family_, code);
    } catch (...) {
        return false;  // out of memory: the caller draws the character as it is
    }
}

// ---- Text outlines ----

Status GraphicsPath::AddStringFont(std::string_view text, const Font* font, const RectD& layout,
                                   const StringFormat* format) {
    if (format == nullptr) return InvalidParameter;
    if (Status status = CheckText(text, font); status != Ok) return status;
    if (!Finite({layout.x, layout.y}) || !Finite({layout.width, layout.height})) return InvalidParameter;
    try {
        return AddTextIn(*this, text, *font, layout, format->GetAlignment());
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    } catch (...) {
        return GenericError;
    }
}

Status GraphicsPath::AddStringFont(std::string_view text, const Font* font, PointD* origin,
                                   bool originAtTop) {
    if (origin == nullptr) return InvalidParameter;
    if (Status status = CheckText(text, font); status != Ok) return status;
    if (!Finite(*origin)) return InvalidParameter;
    try {
        double advance = 0.0;
        if (Status status = AddTextAt(*this, text, *font, *origin, originAtTop, &advance); status != Ok)
            return status;
        origin->x += advance;
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    } catch (...) {
        return GenericError;
    }
}

Status GraphicsPath::AddCharacterFont(char32_t code, const Font* font, const PointD& origin) {
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return InvalidParameter;
    gchar utf8[8] = {};
    const int length = g_unichar_to_utf8(static_cast<gunichar>(code), utf8);
    const std::string_view text(utf8, static_cast<size_t>(length));
    if (Status status = CheckText(text, font); status != Ok) return status;
    if (!Finite(origin)) return InvalidParameter;
    try {
        double advance = 0.0;
        return AddTextAt(*this, text, *font, origin, true, &advance, true);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    } catch (...) {
        return GenericError;
    }
}

}  // namespace Pictor
