// The steps of both UBB converters find exactly the matches of the patterns
// as their rules write them (a differential test on random short texts made
// of the tags, brackets, separators and line breaks the patterns care
// about), and the one-pass pairing equals the repeated search it stands for.
#include <gtest/gtest.h>

#include <random>

#include "editors/kesra_ubb_code.h"
#include "editors/kesra_ubb_code1.h"
#include "platform/vb/strings.h"
#include "support/printable.h"

namespace {

using qe::ubb::Step;

bool IsWordCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The words of a pattern ("IMG", "http", "gif", "center" ...), as the text
// pieces from which the random texts are made.
std::vector<vb::String> PatternWords(vb::StringView pattern) {
  std::vector<vb::String> words;
  vb::String word;
  for (size_t i = 0; i <= pattern.size(); ++i) {
    const bool escaped = i > 0 && pattern[i - 1] == u'\\' && word.empty();
    if (i < pattern.size() && IsWordCharacter(pattern[i]) && !escaped) {
      word.push_back(pattern[i]);
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

class RandomTexts {
 public:
  RandomTexts(const qe::ubb::StepSource& source, uint32_t seed) : random_(seed) {
    for (const vb::String& word : PatternWords(source.pattern)) {
      pieces_.push_back(word);
      pieces_.push_back(u"[" + word);
      pieces_.push_back(u"[" + word + u"]");
      pieces_.push_back(u"[/" + word + u"]");
      pieces_.push_back(u"[" + word + u"=");
    }
    for (const char16_t* piece : {u"[", u"]", u"[/", u"=", u",", u"@", u"#", u" ", u"\n", u"\r", u"x", u"1", u"0",
                                  u":", u"://", u"'", u"\"", u">", u"a", u"9", u"\t", u"<"})
      pieces_.push_back(piece);
  }

  vb::String Next() {
    vb::String text;
    const size_t count = std::uniform_int_distribution<size_t>(0, 24)(random_);
    std::uniform_int_distribution<size_t> pick(0, pieces_.size() - 1);
    for (size_t i = 0; i < count; ++i) {
      vb::String piece = pieces_[pick(random_)];
      if (random_() % 4 == 0) piece = vb::UCase(piece);
      text += piece;
    }
    return text;
  }

 private:
  std::mt19937 random_;
  std::vector<vb::String> pieces_;
};

void ExpectSameMatches(const Step& step, uint32_t seed) {
  const qe::ubb::StepSource& source = step.Source();
  const regex::CompiledPattern literal(source.pattern, regex::PatternOptions{true, false});
  RandomTexts texts(source, seed);
  for (int i = 0; i < 1500; ++i) {
    const vb::String text = texts.Next();
    const auto expected = literal.FindAll(text, true);
    const auto found = step.Matches(text);
    ASSERT_EQ(found.size(), expected.size()) << qe_test::Printable(source.pattern) << " on " << qe_test::Printable(text);
    for (size_t m = 0; m < found.size(); ++m)
      for (size_t g = 0; g < expected[m].size(); ++g) {
        ASSERT_EQ(found[m][g].matched, expected[m][g].matched) << qe_test::Printable(text);
        if (!expected[m][g].matched) continue;
        ASSERT_EQ(found[m][g].start, expected[m][g].start)
            << qe_test::Printable(source.pattern) << " group " << g << " on " << qe_test::Printable(text);
        ASSERT_EQ(found[m][g].end, expected[m][g].end)
            << qe_test::Printable(source.pattern) << " group " << g << " on " << qe_test::Printable(text);
      }
  }
}

TEST(UbbSteps, MainConverterFindsWhatItsPatternsFind) {
  uint32_t seed = 1;
  for (const qe::ubb::StepGroup& group : qe::ubb::MainConverterGroups())
    for (const Step& step : group.steps) ExpectSameMatches(step, seed++);
}

TEST(UbbSteps, SecondConverterFindsWhatItsPatternsFind) {
  uint32_t seed = 1000;
  for (const Step& step : qe::ubb::SecondConverterSteps()) ExpectSameMatches(step, seed++);
}

// The pairing as the rules write it: replace the first open tag and the
// first close tag, both searched from the start, while both occur.
vb::String PairedByRepeatedSearch(vb::String text, vb::StringView open, vb::StringView close, vb::StringView open_html,
                                  vb::StringView close_html) {
  while (vb::InStr(text, open, vb::vbTextCompare) && vb::InStr(text, close, vb::vbTextCompare)) {
    text = vb::Replace(text, open, open_html, 1, 1, vb::vbTextCompare);
    text = vb::Replace(text, close, close_html, 1, 1, vb::vbTextCompare);
  }
  return text;
}

TEST(UbbSteps, PairingInOnePassEqualsTheRepeatedSearch) {
  struct Pair {
    const char16_t *open, *close, *open_html, *close_html;
  };
  const Pair pairs[] = {{u"[list]", u"[/list]", u"<ul>", u"</ul>"},
                        {u"[list=1]", u"[/list]", u"<ol type=1>", u"</ol id=1>"},
                        {u"[*]", u"[/*]", u"<li>", u"</li>"},
                        {u"[code]", u"[/code]", u"<pre id=code>", u"</pre id=code>"}};
  const char16_t* pieces[] = {u"[list]", u"[/list]", u"[LIST=1]", u"[*]", u"[/*]", u"[code]", u"[/Code]",
                              u"[",      u"]",       u"x",        u"*",   u"/",    u"[list", u"=1]"};
  std::mt19937 random(7);
  for (int i = 0; i < 4000; ++i) {
    vb::String text;
    for (size_t n = random() % 16; n > 0; --n) text += pieces[random() % std::size(pieces)];
    for (const Pair& p : pairs) {
      vb::String paired = text;
      qe::KesraUbbReplacePair(paired, p.open, p.close, p.open_html, p.close_html);
      ASSERT_EQ(paired, PairedByRepeatedSearch(text, p.open, p.close, p.open_html, p.close_html))
          << qe_test::Printable(text);
    }
  }
}

}  // namespace
