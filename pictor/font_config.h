// The project's own font configuration, loaded on top of the system configuration.
#pragma once

namespace Pictor {

// Symbols authored on other systems name the CJK families "宋体" (SimSun) and "新宋体" (NSimSun),
// which are rarely installed here. Binding "same" makes the mapped family count as the named one,
// so these names are reported as available and draw with an installed CJK family instead of the
// Latin default that fontconfig would otherwise substitute silently.
inline constexpr char kProjectFontConfigXml[] = R"(<?xml version="1.0"?>
<fontconfig>
  <alias binding="same">
    <family>宋体</family>
    <prefer><family>WenQuanYi Zen Hei</family></prefer>
  </alias>
  <alias binding="same">
    <family>SimSun</family>
    <prefer><family>WenQuanYi Zen Hei</family></prefer>
  </alias>
  <alias binding="same">
    <family>新宋体</family>
    <prefer><family>WenQuanYi Zen Hei</family></prefer>
  </alias>
  <alias binding="same">
    <family>NSimSun</family>
    <prefer><family>WenQuanYi Zen Hei</family></prefer>
  </alias>
</fontconfig>
)";

}  // namespace Pictor
