// The scheme of an address as a browser reads it from an attribute value:
// references decoded with or without ";", tabs and line breaks removed
// anywhere, leading controls and blanks dropped, any case.
#include "editors/address_scheme.h"

#include <gtest/gtest.h>

#include "support/case_table.h"

namespace {

using qe::markup::AddressScheme;
using qe::markup::IsAllowedAddress;

TEST(AddressScheme, AsBrowsersReadIt) {
  qe_test::ExpectEach<vb::String>(AddressScheme, {
      {u"http://a.cn/", u"http"},
      {u"HTTPS://a.cn/", u"https"},
      {u" \u0001JavaScript:x", u"javascript"},
      {u"java\tscr\nipt:x", u"javascript"},
      {u"&#106avascript:x", u"javascript"},
      {u"&#0000106;avascript:x", u"javascript"},
      {u"&#x6A;ava&#X73;cript&colon;x", u"javascript"},
      {u"javascript&#58x", u"javascript"},
      {u"java&Tab;script&#x3a;", u"javascript"},
      {u"java&NewLine;script:", u"javascript"},
      {u"&#9;&#1;vbscript:", u"vbscript"},
      {u"a&period;b&plus;c-d:", u"a.b+c-d"},
      {u"&fjlig;s:", u"fjs"},
      {u"C:\\a", u"c"},
      // Relative: no scheme, or a character no scheme has.
      {u"", u""},
      {u"a/b:c", u""},
      {u"//a.cn/x", u""},
      {u"/x:y", u""},
      {u"1a:b", u""},
      {u"java&#0;script:x", u""},
      {u"java&#x110000;script:x", u""},
      {u"java&#xD800;script:x", u""},
      {u"java&#;script:x", u""},
      {u"javascript&colon", u""},
      {u"javascript&amp;#58;x", u""},
      {u"java script:x", u""},
  });
}

TEST(AddressScheme, AllowedAddresses) {
  for (const char16_t* allowed : {u"http://a", u"https://a", u"ftp://a", u"rtsp://a", u"mms://a", u"mailto:a@b",
                                  u"x.htm", u"/a/b", u"?q=1", u"#top", u""})
    EXPECT_TRUE(IsAllowedAddress(allowed, false)) << vb::ToUtf8(allowed);
  for (const char16_t* refused : {u"javascript:x", u"vbscript:x", u"data:text/html,x", u"data:image/png,x",
                                  u"about:blank", u"file:///c:/x", u"x-y:z"})
    EXPECT_FALSE(IsAllowedAddress(refused, false)) << vb::ToUtf8(refused);
  // A picture's source may be a data address of a picture.
  EXPECT_TRUE(IsAllowedAddress(u"data:image/png;base64,AAAA", true));
  EXPECT_TRUE(IsAllowedAddress(u" DATA:Image/GIF,x", true));
  EXPECT_TRUE(IsAllowedAddress(u"data: image/svg+xml,x", true));
  EXPECT_FALSE(IsAllowedAddress(u"data:text/html,x", true));
  EXPECT_FALSE(IsAllowedAddress(u"data:imagex", true));
}

}  // namespace
