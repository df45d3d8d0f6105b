#include "host/text_symbols.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

namespace symbolhost {
namespace {

bool IsGbk(std::string_view name) {
    std::string lower;
    for (const char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "936" || lower == "cp936" || lower == "gbk";
}

// Steps over one UTF-8 character (or one stray byte) that the code page cannot hold.
size_t CharacterLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

void EncodeInto(char* to, size_t capacity, const char* utf8) {
    const std::string encoded = EncodeForLibrary(std::string_view(utf8, strnlen(utf8, capacity)));
    const size_t n = std::min(encoded.size(), capacity - 1);
    std::memcpy(to, encoded.data(), n);
    to[n] = '\0';
}

std::string EncodeForLibrary(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    IGIS_GlobalProperties* properties = GIS_GetGlobalProperties();
    const IGIS_Property* property = properties ? properties->GetProperty(kPropertyCodePage) : nullptr;
    const bool gbk = property != nullptr && IsGbk(property->GetStringValue());
    iconv_t converter = iconv_open(gbk ? "GBK" : "CP1252", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(utf8.size(), '?');
    std::string out;
    std::string chunk(utf8.size() + 4, '\0');  // never longer than the UTF-8 text
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    // Each pass converts to the end or steps over at least one byte, so it ends.
    while (inLeft > 0) {
        char* to = chunk.data();
        size_t toLeft = chunk.size();
        const size_t done = iconv(converter, &in, &inLeft, &to, &toLeft);
        out.append(chunk.data(), chunk.size() - toLeft);
        if (done != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        out += '?';
        const size_t skip = std::min(inLeft, CharacterLength(static_cast<unsigned char>(*in)));
        in += skip;
        inLeft -= skip;
    }
    iconv_close(converter);
    return out;
}

const char* LibraryText::Encoded() const noexcept {
    // ASCII reads the same in every code page.
    if (IsAscii(utf8_)) return utf8_.c_str();
    try {
        // The code page may change between calls, so it is asked each time.
        encoded_ = EncodeForLibrary(utf8_);
        return encoded_.c_str();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

IGIS_Symbol* TextSymbol::Clone() const noexcept { return CopyOf(*this); }

bool TextSymbol::GetMargins(double* margins) const noexcept {
    if (margins == nullptr) return false;
    for (size_t i = 0; i < margins_.size(); ++i) margins[i] = margins_[i];
    return true;
}

IGIS_Symbol* TextBoxSymbol::Clone() const noexcept { return CopyOf(*this); }

}  // namespace symbolhost
