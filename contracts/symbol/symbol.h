// The symbol model as the library sees it: one interface every symbol answers, and typed views
// that expose what each kind of symbol holds.
//
// A typed view is the same object seen as one kind: every view interface derives from
// IGIS_Symbol, so a view can be handed back to the service, cloned or asked for its type. A
// query returns null when the symbol is not of that kind. Each concrete symbol implements one
// leaf view and answers the queries of that view's ancestors with itself.
//
// Objects are reached through raw pointers and never deleted through an interface: copies made
// by Clone are freed with Release; every other symbol belongs to whoever handed it out. No
// operation throws.
#pragma once

#include <cstdint>

// Views declared in contracts/symbol/*.h as the drawers that read them are written.
class IGIS_LibMarkerSymbol;
class IGIS_CharMarkerSymbol;
class IGIS_PictureMarkerSymbol;
class IGIS_CompoundMarkerSymbol;
class IGIS_LineSymbol;
class IGIS_SimpleLineSymbol;
class IGIS_CartographicLineSymbol;
class IGIS_HashLineSymbol;
class IGIS_CompoundLineSymbol;
class IGIS_MarkerLineSymbol;
class IGIS_FillSymbol;
class IGIS_MarkerFillSymbol;
class IGIS_LineFillSymbol;
class IGIS_SimpleFillSymbol;
class IGIS_GradientFillSymbol;
class IGIS_PictureFillSymbol;
class IGIS_CompoundFillSymbol;
class IGIS_TextBoxSymbol;
class IGIS_LayeredSimpleLineSymbol;
class IGIS_TextSymbol;

// What GetType answers. The value comes from the host, so a switch over it needs an explicit
// fallback: 6 and anything outside 1..19 name nothing that can be drawn.
enum SymbolType : int32_t {
    SymbolTypePictureMarker = 1,
    SymbolTypeLibMarker = 2,
    SymbolTypeCharMarker = 3,
    SymbolTypeCompoundMarker = 4,
    SymbolTypeSimpleLine = 5,
    SymbolTypeSimpleFill = 7,
    SymbolTypeMarkerFill = 8,
    SymbolTypeLineFill = 9,
    SymbolTypeGradientFill = 10,
    SymbolTypePictureFill = 11,
    SymbolTypeCompoundFill = 12,
    SymbolTypeCartographicLine = 13,
    SymbolTypeHashLine = 14,
    SymbolTypeCompoundLine = 15,
    SymbolTypeMarkerLine = 16,
    SymbolTypeText = 17,  // drawn through SymbolizeText only
    SymbolTypeTextBox = 18,
    SymbolTypeLayeredSimpleLine = 19,
};

class IGIS_Symbol {
public:
    // Frees a copy made by Clone (or a symbol the factory created for the caller).
    virtual void Release() noexcept = 0;
    // A deep copy the caller owns; null when it cannot be made.
    virtual IGIS_Symbol* Clone() const noexcept = 0;
    virtual int32_t GetType() const noexcept = 0;

    virtual IGIS_LibMarkerSymbol* GetLibMarkerSymbol() noexcept = 0;
    virtual IGIS_CharMarkerSymbol* GetCharMarkerSymbol() noexcept = 0;
    virtual IGIS_PictureMarkerSymbol* GetPictureMarkerSymbol() noexcept = 0;
    virtual IGIS_CompoundMarkerSymbol* GetCompoundMarkerSymbol() noexcept = 0;
    virtual IGIS_LineSymbol* GetLineSymbol() noexcept = 0;
    virtual IGIS_SimpleLineSymbol* GetSimpleLineSymbol() noexcept = 0;
    virtual IGIS_CartographicLineSymbol* GetCartographicLineSymbol() noexcept = 0;
    virtual IGIS_HashLineSymbol* GetHashLineSymbol() noexcept = 0;
    virtual IGIS_CompoundLineSymbol* GetCompoundLineSymbol() noexcept = 0;
    virtual IGIS_MarkerLineSymbol* GetMarkerLineSymbol() noexcept = 0;
    virtual IGIS_FillSymbol* GetFillSymbol() noexcept = 0;
    virtual IGIS_MarkerFillSymbol* GetMarkerFillSymbol() noexcept = 0;
    virtual IGIS_LineFillSymbol* GetLineFillSymbol() noexcept = 0;
    virtual IGIS_SimpleFillSymbol* GetSimpleFillSymbol() noexcept = 0;
    virtual IGIS_GradientFillSymbol* GetGradientFillSymbol() noexcept = 0;
    virtual IGIS_PictureFillSymbol* GetPictureFillSymbol() noexcept = 0;
    virtual IGIS_CompoundFillSymbol* GetCompoundFillSymbol() noexcept = 0;
    virtual IGIS_TextBoxSymbol* GetTextBoxSymbol() noexcept = 0;
    virtual IGIS_LayeredSimpleLineSymbol* GetLayeredSimpleLineSymbol() noexcept = 0;
    // Last, so that the queries above keep their places: the text symbol's view, which a symbol
    // of another type never gives.
    virtual IGIS_TextSymbol* GetTextSymbol() noexcept = 0;

protected:
    IGIS_Symbol() = default;
    IGIS_Symbol(const IGIS_Symbol&) = default;  // lets concrete symbols implement Clone by copying
    IGIS_Symbol& operator=(const IGIS_Symbol&) = default;
    virtual ~IGIS_Symbol() = default;
};
