#pragma once
// The plug-in addresses written into the UBB media templates: each on the
// host its vendor published it from, followed by the path the pages rely on.
#include "platform/vb/string.h"

namespace qe::ubb {

struct PluginAddress {
  const char16_t* host;
  const char16_t* path;
};

inline constexpr PluginAddress kDirectorCabinet{u"download.macromedia.com",
                                                u"/pub/shockwave/cabs/director/sw.cab#version=7,0,2,0"};
inline constexpr PluginAddress kShockwavePage{u"www.macromedia.com", u"/shockwave/download/"};
inline constexpr PluginAddress kQuickTimePage{u"www.apple.com", u"/quicktime/"};
inline constexpr PluginAddress kMediaPlayerCabinet{
    u"activex.microsoft.com", u"/activex/controls/mplayer/en/nsmp2inf.cab#Version=5,1,52,701"};
// Followed by the version each template asks for.
inline constexpr PluginAddress kFlashCabinet{u"download.macromedia.com", u"/pub/shockwave/cabs/flash/swflash.cab#version="};
inline constexpr PluginAddress kFlashPage{u"www.macromedia.com",
                                          u"/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash"};

inline vb::String Address(const PluginAddress& address) {
  return vb::String(u"http://") + address.host + address.path;
}

}  // namespace qe::ubb
