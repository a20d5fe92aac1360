// Where the guard's reader finds start tags: the HTML5 tokenizer's states
// for attributes, comments, doctypes, bogus comments and raw text.
#include "common/html_tokens.h"

#include <gtest/gtest.h>

#include "support/printable.h"

namespace {

using qe::markup::ForEachStartTag;
using qe::markup::StartTag;
using qe::markup::TagReading;

// Each start tag as "name[attribute=value,...]", "+" after an open one.
std::string Tags(vb::StringView html) {
  std::string out;
  ForEachStartTag(html, [&](const StartTag& tag) {
    if (!out.empty()) out += ' ';
    out += vb::ToUtf8(tag.name) + "[";
    for (size_t i = 0; i < tag.attributes.size(); ++i) {
      const auto& a = tag.attributes[i];
      out += (i ? "," : "") + vb::ToUtf8(a.name);
      if (a.has_value) out += "=" + vb::ToUtf8(html.substr(a.value_start, a.value_end - a.value_start));
    }
    out += tag.closed ? "]" : "]+";
    return TagReading::kElement;
  });
  return out;
}

TEST(HtmlTokens, Attributes) {
  const std::pair<const char16_t*, const char*> cases[] = {
      {u"<A HREF=x title='y z' data-q=\"1>2\">", "a[href=x,title=y z,data-q=1>2]"},
      {u"<a/b/c=d/>", "a[b,c=d/]"},
      {u"<a =x>", "a[=x]"},
      {u"<a b = \"c\"d e>", "a[b=c,d,e]"},
      {u"<a\nb\r=\fc\t>", "a[b=c]"},
      {u"<a b=>", "a[b=]"},
      {u"<a b=\"x", "a[b=x]+"},
      {u"<img src=x onerror=y", "img[src=x,onerror=y]+"},
      {u"<a b='\"' c=\"'\">", "a[b=\",c=']"},
      {u"<x:y a:b=1>", "x:y[a:b=1]"},
  };
  for (const auto& [html, expected] : cases) EXPECT_EQ(Tags(html), expected) << qe_test::Printable(html);
}

TEST(HtmlTokens, WhatIsNotATag) {
  const std::pair<const char16_t*, const char*> cases[] = {
      {u"< b><1b><>a<i>", "i[]"},
      {u"<!-- <b> --><i>", "i[]"},
      {u"<!--><b>", "b[]"},
      {u"<!---><b>", "b[]"},
      {u"<!-- --!><b>", "b[]"},
      {u"<!-- -- ><b> --><i>", "i[]"},
      {u"<!--->--><b>", "b[]"},
      {u"<!-- <b>", ""},
      {u"<!DOCTYPE <b>><i>", "i[]"},
      {u"<!DOCTYPE x \"<b>\"><i>", "i[]"},
      {u"<![CDATA[<b>]]><i>", "i[]"},
      {u"<?x <b>><i>", "i[]"},
      {u"</ <b>><i>", "i[]"},
      {u"</a title=\">\"><b>", "b[]"},
      {u"</><b>", "b[]"},
  };
  for (const auto& [html, expected] : cases) EXPECT_EQ(Tags(html), expected) << qe_test::Printable(html);
}

TEST(HtmlTokens, RawText) {
  const std::pair<const char16_t*, const char*> cases[] = {
      {u"<textarea><b></textarea ><i>", "textarea[] i[]"},
      {u"<title><b></TITLE><i>", "title[] i[]"},
      {u"<style><b></stylex></style/><i>", "style[] i[]"},
      {u"<xmp><b></xmp><i>", "xmp[] i[]"},
      {u"<iframe><b></iframe><i>", "iframe[] i[]"},
      {u"<noembed><b></noembed><i>", "noembed[] i[]"},
      {u"<noframes><b></noframes><i>", "noframes[] i[]"},
      {u"<plaintext><b></plaintext><i>", "plaintext[]"},
      {u"<textarea><b>", "textarea[]"},
      {u"<textareax><b>", "textareax[] b[]"},
  };
  for (const auto& [html, expected] : cases) EXPECT_EQ(Tags(html), expected) << qe_test::Printable(html);
}

// A tag the caller shows as text: what it held is read as markup.
TEST(HtmlTokens, ATagShownAsTextIsReadThrough) {
  std::string names;
  ForEachStartTag(u"<iframe title=\"<b>\"><i></iframe>", [&](const StartTag& tag) {
    names += vb::ToUtf8(tag.name) + " ";
    return tag.name == u"iframe" ? TagReading::kText : TagReading::kElement;
  });
  EXPECT_EQ(names, "iframe b i ");
}

}  // namespace
