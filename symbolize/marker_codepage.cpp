#include "symbolize/marker_codepage.h"

#include <cctype>
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

}  // namespace symbolize
