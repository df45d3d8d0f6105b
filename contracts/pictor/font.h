// Fonts and string formats for text outlines.
#pragma once

#include <string>

#include "contracts/pictor/types.h"

namespace Pictor {

class Font {
public:
    // family: UTF-8 family name; size: em size in drawing units (unit 2, the only unit);
    // style: FontStyle bits (1 bold, 2 italic, 4 underline, 8 strike-out).
    Font(const std::string& family, double size, int style = FontStyleRegular, int unit = UnitWorld);

    const std::string& GetFamily() const { return family_; }
    double GetSize() const { return size_; }
    int GetStyle() const { return style_; }
    void SetBold(bool on) { SetStyleBit(FontStyleBold, on); }
    void SetItalic(bool on) { SetStyleBit(FontStyleItalic, on); }
    void SetUnderLine(bool on) { SetStyleBit(FontStyleUnderline, on); }
    void SetStrikeOut(bool on) { SetStyleBit(FontStyleStrikeout, on); }
    bool IsBold() const { return (style_ & FontStyleBold) != 0; }
    bool IsItalic() const { return (style_ & FontStyleItalic) != 0; }
    bool IsUnderLine() const { return (style_ & FontStyleUnderline) != 0; }
    bool IsStrikeOut() const { return (style_ & FontStyleStrikeout) != 0; }
    // Multiplies the distance between lines; must be finite and above 0.
    Status SetLineSpacing(double factor);
    double GetLineSpacing() const { return lineSpacing_; }

    // Ok; InvalidParameter for a size that is not finite and above 0 or an unknown unit;
    // FontFamilyNotFound when the family is neither installed nor mapped by our font configuration.
    Status GetLastStatus() const { return status_; }
    bool IsAvailable() const { return status_ == Ok; }

    // Whether a family is installed or mapped (answers are cached per family).
    static bool IsFamilyAvailable(const std::string& family);
    // Whether the font's own family (not a fallback) has a glyph for the code point; false for a
    // font that is not available. Symbol fonts answer for their private-use codes U+F020..U+F0FF
    // and for the same codes less 0xF000. Answers come from a per-family cache.
    bool HasGlyph(char32_t code) const;

private:
    void SetStyleBit(int bit, bool on) { style_ = on ? (style_ | bit) : (style_ & ~bit); }

    std::string family_;
    double size_;
    int style_;
    double lineSpacing_ = 1.0;
    Status status_ = Ok;
};

class StringFormat {
public:
    explicit StringFormat(int alignment = StringAlignmentNear) { SetAlignment(alignment); }
    Status SetAlignment(int alignment) {
        if (alignment < StringAlignmentNear || alignment > StringAlignmentFar) return InvalidParameter;
        alignment_ = alignment;
        return Ok;
    }
    int GetAlignment() const { return alignment_; }

private:
    int alignment_ = StringAlignmentNear;
};

}  // namespace Pictor
