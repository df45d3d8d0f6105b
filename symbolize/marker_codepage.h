// The single-byte code page a symbol library's character codes are written in. Character markers
// name their glyph by a byte, 33 to 255, which means a character only in the code page of the
// system where the library was authored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace symbolize {

enum class MarkerCodePage {
    Windows1252,  // Western European; the default
    Gbk,          // Simplified Chinese (936): bytes above 0x80 start two-byte characters
};

// The code page the host's kPropertyCodePage names; Windows-1252 when the property is unset. A value the
// library does not know is reported once per call and read as Windows-1252.
MarkerCodePage ReadMarkerCodePage();

// The character a byte stands for on its own, or nothing: in GBK the bytes 0x81 to 0xFF are not
// characters by themselves (lead bytes, and the unassigned 0xFF).
std::optional<char32_t> SingleByteCharacter(uint8_t byte, MarkerCodePage page);

// A text of the symbol library (texts, font names) as the graphics layer takes it, in UTF-8.
// Windows-1252 maps byte by byte; GBK goes through the C library's converter. A byte sequence
// that is no character of the code page becomes U+FFFD, so nothing after it is lost.
std::string DecodeText(std::string_view bytes, MarkerCodePage page);

}  // namespace symbolize
