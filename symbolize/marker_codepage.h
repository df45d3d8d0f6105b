// The single-byte code page a symbol library's character codes are written in. Character markers
// name their glyph by a byte, 33 to 255, which means a character only in the code page of the
// system where the library was authored.
#pragma once

#include <cstdint>
#include <optional>

namespace symbolize {

enum class MarkerCodePage {
    Windows1252,  // Western European; the default
    Gbk,          // Simplified Chinese (936): bytes above 0x80 start two-byte characters
};

// Property naming the code page: "1252" (also "cp1252", "windows-1252") or "936" (also "cp936",
// "GBK"), in any case.
inline constexpr const char* kPropertyCodePage = "SYMBOL2_CODEPAGE";

// The code page the host's properties name; Windows-1252 when the property is unset. A value the
// library does not know is reported once per call and read as Windows-1252.
MarkerCodePage ReadMarkerCodePage();

// The character a byte stands for on its own, or nothing: in GBK the bytes 0x81 to 0xFF are not
// characters by themselves (lead bytes, and the unassigned 0xFF).
std::optional<char32_t> SingleByteCharacter(uint8_t byte, MarkerCodePage page);

}  // namespace symbolize
