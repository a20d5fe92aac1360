#pragma once
// The encoders for values that a procedure reads itself (from the request, or
// from a record) and writes into markup. Every procedure uses these; values
// that callers pass are written as given.
//
// Characters that need no encoding come out unchanged, so ordinary values
// read the same before and after.
#include "platform/vb/string.h"

namespace qe {

// Text between tags and values of quoted attributes (either quote): & < > " '
// as &amp; &lt; &gt; &quot; &#39;.
vb::String HtmlEncodeText(vb::StringView text);

// Values of attributes written without quotes: what HtmlEncodeText encodes,
// and also blanks, tabs, line ends, "=" and "`", as numeric references, so
// that the value cannot end early or start another attribute.
vb::String HtmlEncodeUnquoted(vb::StringView text);

// Text a template places into an attribute value it writes itself (the UBB
// converters), kept from leaving it while the author's own references stay:
// only what would end the value becomes a reference, "&" and everything else
// come out byte for byte, and the browser reads back exactly the text given.
// kDouble: '"' as "&quot;"; kSingle: "'" as "&#39;"; kNone: blanks, tabs,
// line ends, both quotes, "`", "<" and ">" as numeric references.
enum class AttributeQuote { kDouble, kSingle, kNone };
vb::String AttributeValueKeepingReferences(vb::StringView text, AttributeQuote quote);

// Text a browser must read back exactly from an attribute value that it then
// runs or applies (a script in an event attribute, a style): what
// AttributeValueKeepingReferences encodes, and each "&" that would start a
// character reference there as "&amp;", so that no reference becomes a quote
// or a line break of the script. Any other "&" (a query's "&name=") stays.
vb::String AttributeValueExact(vb::StringView text, AttributeQuote quote);

// An address in an unquoted url() of a style: what would end the url() or
// start an escape ("(", ")", blanks, line ends, both quotes, "\" and other
// control characters) as a CSS escape ("\29 "); everything else as given.
vb::String StyleUrlEscape(vb::StringView text);

// A value in a link's query: "%", "&", "+", "#", "=", both quotes, "<", ">",
// "`", blanks and control characters as %XX. Everything else, Chinese
// included, stays as the page writes it: the browser sends it in the page's
// code page.
vb::String QueryValueEncode(vb::StringView text);

// A value in a header (Location, Content-Disposition) and the addresses sent
// there: everything but ASCII letters, digits and "-._~/" as the %XX of its
// code page 936 bytes (what the code page cannot hold as "?"), so that no
// character ends the header or cuts the address ("&", "#", "%", blanks).
vb::String HeaderValueEncode(vb::StringView text);

}  // namespace qe
