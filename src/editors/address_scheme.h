#pragma once
// The scheme of an address as a browser reads it from an attribute value, and
// the schemes the UBB converters and the script filter let through.
#include "platform/vb/string.h"

namespace qe::markup {

// The value as a browser decodes it: numeric character references with or
// without ";" (0, surrogates and values past U+10FFFF as U+FFFD), and the
// named references that give the characters of a scheme (&colon; &Tab;
// &NewLine; &period; &plus; &fjlig;). Other named references stay as they
// are: none of them gives a character that could make a scheme.
vb::String DecodeAttributeValue(vb::StringView value);

// The lower-case scheme of a (raw) attribute value as the browser's URL
// parser reads it after decoding: tabs, CRs and LFs removed anywhere, leading
// and trailing controls and blanks dropped; empty when the address has none
// (a relative address).
vb::String AddressScheme(vb::StringView value);

// True for the attributes whose value a browser loads or follows as an
// address: href, src, action, formaction, data, codebase, background,
// poster, xlink:href, and a param's value. Names in lower case.
bool IsAddressAttribute(vb::StringView tag, vb::StringView attribute);

// True for a relative address and for http, https, ftp, rtsp, mms and mailto;
// with `picture_source` (an img's src), also for data:image/... addresses.
bool IsAllowedAddress(vb::StringView value, bool picture_source);

}  // namespace qe::markup
