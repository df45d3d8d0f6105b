// Marker views of the symbol model: symbols drawn at one point. Sizes and offsets are
// millimetres, angles degrees, transparencies percent (0 opaque, 100 invisible), colours packed
// 0x00RRGGBB with the top byte ignored and 0xFFFFFFFF meaning "unset" where a view says so.
//
// Pointer results address values the symbol owns; they stay valid until the symbol is changed or
// released. A null one is read as "not set".
#pragma once

#include <cstdint>

#include "contracts/symbol/line.h"  // SymbolHalo, the halo record of library-marker elements
#include "contracts/symbol/symbol.h"

// What every marker kind answers: its placement about the anchor point. A compound marker moves
// and resizes its members through these, whatever kind each member is. A size of -1 is unset
// (the marker keeps its natural size where its kind has one).
class IGIS_MarkerSymbol : public IGIS_Symbol {
public:
    virtual const bool* GetFlipY() const noexcept = 0;  // mirror top to bottom
    virtual const bool* GetFlipX() const noexcept = 0;  // mirror left to right
    virtual const double* GetHeight() const noexcept = 0;
    virtual const double* GetXOffset() const noexcept = 0;  // to the right
    virtual const double* GetYOffset() const noexcept = 0;  // upwards on the screen
    virtual const double* GetAngle() const noexcept = 0;
    virtual const double* GetWidth() const noexcept = 0;
    // extent[0..3] = x1, x2, y1, y2 in millimetres about the anchor point: the box the marker
    // covers at its size, which a marker fill spaces its copies by. A compound marker answers its
    // design box.
    virtual void GetExtent(double* extent) const noexcept = 0;

    virtual void SetFlipY(bool flip) noexcept = 0;
    virtual void SetFlipX(bool flip) noexcept = 0;
    virtual void SetHeight(double mm) noexcept = 0;
    virtual void SetXOffset(double mm) noexcept = 0;
    virtual void SetYOffset(double mm) noexcept = 0;
    virtual void SetAngle(double degrees) noexcept = 0;
    virtual void SetWidth(double mm) noexcept = 0;

protected:
    ~IGIS_MarkerSymbol() override = default;
};

// One character of a font, stretched to the marker's width and height. The colour pair sits in
// each view that reads it rather than in IGIS_MarkerSymbol, because the library marker answers
// the same names by value.
class IGIS_CharMarkerSymbol : public IGIS_MarkerSymbol {
public:
    virtual const uint32_t* GetColor() const noexcept = 0;
    virtual const int32_t* GetTransparency() const noexcept = 0;
    // A byte 33..255 in the symbol library's code page.
    virtual const int32_t* GetCharacterCode() const noexcept = 0;
    // UTF-8 family name, zero-terminated; never null (empty when unset).
    virtual const char* GetFontName() const noexcept = 0;
    virtual const double* GetFontSize() const noexcept = 0;  // millimetres

protected:
    ~IGIS_CharMarkerSymbol() override = default;
};

// A picture from the host's marker image store, scaled to the marker's width and height.
class IGIS_PictureMarkerSymbol : public IGIS_MarkerSymbol {
public:
    // The key of the picture in the image store.
    virtual uint32_t GetImageId() const noexcept = 0;

protected:
    ~IGIS_PictureMarkerSymbol() override = default;
};

// A stack of member markers laid out in a design space of its own: GetAnchorPoint lands on the
// feature point and GetExtent is the box that the stack's width and height stretch.
class IGIS_CompoundMarkerSymbol : public IGIS_MarkerSymbol {
public:
    virtual int32_t GetMarkerCount() const noexcept = 0;
    // Member *index (0-based), owned by the compound marker; null outside 0..count-1.
    virtual IGIS_MarkerSymbol* GetMarker(const int32_t* index) noexcept = 0;
    virtual bool IsMarkerVisible(const int32_t* index) const noexcept = 0;
    virtual void GetAnchorPoint(double* x, double* y) const noexcept = 0;
    // extent[0..3]: the design-space box, width |e0 - e1| and height |e2 - e3|.
    void GetExtent(double* extent) const noexcept override = 0;

protected:
    ~IGIS_CompoundMarkerSymbol() override = default;
};

// Text capacity of a label or a box text, terminator included.
inline constexpr int kMarkerTextCapacity = 1024;

// One line of text beside a library marker's background rectangle.
struct MarkerLabel {
    char text[kMarkerTextCapacity] = {};
    char fontName[kMarkerTextCapacity] = {};
    double size = 0.0;  // millimetres, the text's height
    uint32_t color = 0;
    int32_t position = 0;  // 0 above, 1 below, 2 left, anything else right
    double gap = 0.0;      // millimetres between the rectangle and the text
    bool shown = false;
    bool boxShown = false;  // fill a box behind the text
    uint32_t boxColor = 0xFFFFFF;
    int32_t boxTransparency = 0;
};

// A text fitted into a rectangle element of the marker's resource.
struct BoxText {
    char text[kMarkerTextCapacity] = {};
    char fontName[kMarkerTextCapacity] = {};
    uint32_t color = 0;
    bool shown = false;
};

// GetBoundsMode codes: where the natural size of the drawing comes from.
enum LibMarkerBoundsMode : int32_t {
    LibMarkerBoundsExtent = 0,  // the resource's own extent
    // Any other code asks the resource store's GetResourceBounds.
};

// GetLeaderStyle codes: how a leader ends. Other codes draw no leader.
enum LibMarkerLeaderStyle : int32_t {
    LibMarkerLeaderPlain = 0,
    LibMarkerLeaderArrow = 1,  // an arrowhead at the leader's far end
};

// A vector drawing from the resource store (or embedded in the symbol), placed at the anchor.
// The placement getters of IGIS_MarkerSymbol answer the same values as this view's own
// (GetFlipY is GetFlipVertical, GetHeight is GetMarkerHeight, and so on).
class IGIS_LibMarkerSymbol : public IGIS_MarkerSymbol {
public:
    // Drawn under each element's stroke while enabled; may be null (no halo).
    virtual const SymbolHalo* GetHalo() const noexcept = 0;
    virtual uint32_t GetColor() const noexcept = 0;              // 0xFFFFFFFF: the elements' own
    virtual int32_t GetTransparency() const noexcept = 0;        // of the strokes
    virtual const bool* GetFlipVertical() const noexcept = 0;    // about the anchor's horizontal line
    virtual const bool* GetFlipHorizontal() const noexcept = 0;  // about the anchor's vertical line
    virtual const double* GetMarkerHeight() const noexcept = 0;  // -1: the natural height
    virtual const double* GetOffsetX() const noexcept = 0;
    virtual const double* GetOffsetY() const noexcept = 0;
    // GetAngle() is IGIS_MarkerSymbol's.
    virtual const double* GetMarkerWidth() const noexcept = 0;  // -1: the natural width
    // extent[0..3] = x1, x2, y1, y2 in millimetres about the anchor: the background rectangle.
    void GetExtent(double* extent) const noexcept override = 0;
    // Width of the reference element's stroke; negative keeps every element's own width.
    virtual const double* GetLineWidth() const noexcept = 0;
    // -1 the element's own dashes, 0 solid, 1..4 the graphics layer's dash styles.
    virtual const int32_t* GetDashStyle() const noexcept = 0;
    virtual const uint32_t* GetSecondaryColor() const noexcept = 0;  // 0xFFFFFFFF: unset
    virtual const uint32_t* GetBackgroundColor() const noexcept = 0;
    virtual const int32_t* GetBackgroundTransparency() const noexcept = 0;
    virtual const bool* GetFillBackground() const noexcept = 0;
    virtual const int32_t* GetBoundsMode() const noexcept = 0;  // a LibMarkerBoundsMode
    // The text of a text-box rectangle, or null.
    virtual const BoxText* GetText(const int32_t* index) const noexcept = 0;
    virtual const MarkerLabel* GetLabel() const noexcept = 0;
    virtual const bool* GetShowSecondary() const noexcept = 0;  // draw usage-1 elements
    virtual const uint32_t* GetResourceCode() const noexcept = 0;
    virtual const bool* GetAnchorAtCenter() const noexcept = 0;  // anchor at half the natural size
    virtual const uint32_t* GetFillColor() const noexcept = 0;   // usage-6 fills; 0xFFFFFFFF: unset
    virtual const int32_t* GetFillTransparency() const noexcept = 0;
    virtual const bool* GetUseFill() const noexcept = 0;  // draw usage-6 fills
    // The leader's end as an offset in millimetres; false when the marker has no leader.
    virtual bool GetLeaderOffset(double* dx, double* dy) const noexcept = 0;
    virtual int32_t GetLeaderStyle() const noexcept = 0;               // 0 plain, 1 with an arrowhead
    virtual const double* GetSecondaryLineWidth() const noexcept = 0;  // -1: unset

    // What a marker line sets on the library marker it makes for its copies (size and angle
    // through IGIS_MarkerSymbol).
    virtual void SetColor(uint32_t color) noexcept = 0;
    virtual void SetTransparency(int32_t percent) noexcept = 0;
    // Two flags of the symbol model that the marker line clears; drawing does not read them.
    virtual void SetFirstMarkerFlag(bool flag) noexcept = 0;
    virtual void SetSecondMarkerFlag(bool flag) noexcept = 0;
    // An option code of the symbol model, kept with the marker; drawing does not read it.
    virtual void SetMarkerOption(const int32_t* option) noexcept = 0;
    // Draws the resource stored under *code; false, the marker unchanged, when there is none.
    virtual bool SetResourceCode(const uint32_t* code) noexcept = 0;
    virtual void SetFillValue(const uint32_t* colour) noexcept = 0;  // the colour of usage-6 fills
    virtual void SetUseFill(bool use) noexcept = 0;
    virtual bool CanFill() const noexcept = 0;  // whether SetUseFill and SetFillValue take effect

protected:
    ~IGIS_LibMarkerSymbol() override = default;
};

// The marker view of any marker kind, or null for a symbol that is not a marker.
inline IGIS_MarkerSymbol* AsMarkerSymbol(IGIS_Symbol* symbol) noexcept {
    if (symbol == nullptr) return nullptr;
    if (IGIS_LibMarkerSymbol* lib = symbol->GetLibMarkerSymbol()) return lib;
    if (IGIS_CharMarkerSymbol* character = symbol->GetCharMarkerSymbol()) return character;
    if (IGIS_PictureMarkerSymbol* picture = symbol->GetPictureMarkerSymbol()) return picture;
    return symbol->GetCompoundMarkerSymbol();
}
