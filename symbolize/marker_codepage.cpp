#include "symbolize/marker_codepage.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <string_view>

#include "contracts/host.h"
#include "symbolize/symbolize_log.h"

namespace symbolize {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five unassigned bytes there keep the
// C1 code point of the same number, as Windows' own conversion gives them.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

// GBK's one single byte above ASCII that is a character: the euro sign.
constexpr uint8_t kGbkEuroByte = 0x80;
constexpr char32_t kEuroSign = 0x20AC;
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// GBK through iconv: a GBK character is at most two bytes and at most three in UTF-8, so the
// output never needs more than twice the input plus a replacement per byte.
std::string DecodeGbk(std::string_view bytes) {
    std::string out;
    iconv_t converter = iconv_open("UTF-8", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        // Without the converter, each byte above ASCII is a character we cannot name.
        for (const char c : bytes) AppendUtf8(out, static_cast<unsigned char>(c) < 0x80 ? char32_t(c) : kReplacement);
        return out;
    }
    std::string chunk(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    // Each pass either converts to the end or steps over one bad byte, so it ends.
    while (inLeft > 0) {
        char* to = chunk.data();
        size_t toLeft = chunk.size();
        const size_t done = iconv(converter, &in, &inLeft, &to, &toLeft);
        out.append(chunk.data(), chunk.size() - toLeft);
        if (done != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a lead byte at the end): one byte becomes U+FFFD.
        AppendUtf8(out, kReplacement);
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    return out;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

MarkerCodePage ReadMarkerCodePage() {
    IGIS_GlobalProperties* properties = GIS_GetGlobalProperties();
    const IGIS_Property* property = properties ? properties->GetProperty(kPropertyCodePage) : nullptr;
    if (property == nullptr) return MarkerCodePage::Windows1252;
    const std::string_view value = property->GetStringValue();
    for (std::string_view name : {"1252", "cp1252", "windows-1252"}) {
        if (SameWord(value, name)) return MarkerCodePage::Windows1252;
    }
    for (std::string_view name : {"936", "cp936", "gbk"}) {
        if (SameWord(value, name)) return MarkerCodePage::Gbk;
    }
    SYMBOLIZE_LOG(LogLevelNotice, "CGIS_CharMarkerSymbolize::Symbolize",
                  "unknown code page [%.64s] in %s, read as 1252", property->GetStringValue(),
                  kPropertyCodePage);
    return MarkerCodePage::Windows1252;
}

std::optional<char32_t> SingleByteCharacter(uint8_t byte, MarkerCodePage page) {
    if (byte < 0x80) return byte;
    switch (page) {
        case MarkerCodePage::Windows1252:
            return byte < 0xA0 ? kWindows1252High[byte - 0x80] : char32_t{byte};
        case MarkerCodePage::Gbk:
            if (byte == kGbkEuroByte) return kEuroSign;
            return std::nullopt;
    }
    return std::nullopt;
}

std::string DecodeText(std::string_view bytes, MarkerCodePage page) {
    if (IsAscii(bytes)) return std::string(bytes);
    if (page == MarkerCodePage::Gbk) return DecodeGbk(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        AppendUtf8(out, SingleByteCharacter(static_cast<uint8_t>(c), page).value_or(kReplacement));
    }
    return out;
}

}  // namespace symbolize
