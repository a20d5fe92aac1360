// "Scripting.Dictionary" as pages use it, late-bound: the orders it keeps,
// the keys it counts as one, and the scripting run-time's error numbers.
#include "platform/com/dictionary.h"

#include <gtest/gtest.h>

#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/information.h"
#include "../vb/raises.h"

namespace {

using vb::String;
using vb::Variant;

Variant NewDictionary() { return Variant(com::CreateObject(u"scripting.dictionary")); }

// The elements of an array the dictionary returned, each as text.
std::vector<String> Texts(const Variant& array) {
  std::vector<String> texts;
  for (const Variant& v : array.As<vb::Array>().Items()) texts.push_back(vb::CStr(v));
  return texts;
}

int32_t Count(const Variant& d) { return vb::CLng(com::Call(d, u"Count")); }

TEST(Dictionary, KeysAndItemsComeInTheOrderTheKeysCame) {
  Variant d = NewDictionary();
  EXPECT_EQ(vb::TypeName(d), u"Dictionary");
  com::Call(d, u"Add", String(u"b"), int32_t{2});
  com::Call(d, u"Add", String(u"a"), int32_t{1});
  com::Call(d, u"Add", String(u"c"), int32_t{3});
  com::Call(d, u"Remove", String(u"a"));
  com::Call(d, u"Add", String(u"a"), int32_t{4});
  com::Let(d, u"Item", Variant(int32_t{5}), String(u"b"));  // replacing keeps the place
  Variant keys = com::Call(d, u"Keys");
  EXPECT_EQ(keys.Type(), vb::vbArray | vb::vbVariant);
  EXPECT_EQ(keys.As<vb::Array>().LBound(), 0);
  EXPECT_EQ(Texts(keys), (std::vector<String>{u"b", u"c", u"a"}));
  EXPECT_EQ(Texts(com::Call(d, u"Items")), (std::vector<String>{u"5", u"3", u"4"}));
  EXPECT_EQ(Count(d), 3);
  com::Call(d, u"RemoveAll");
  EXPECT_EQ(Count(d), 0);
  EXPECT_EQ(com::Call(d, u"Keys").As<vb::Array>().UBound(), -1);
}

TEST(Dictionary, ErrorNumbersOfTheScriptingRunTime) {
  Variant d = NewDictionary();
  com::Call(d, u"Add", String(u"k"), String(u"v"));
  com::Call(d, u"Add", String(u"other"), String(u"w"));
  EXPECT_RAISES(457, com::Call(d, u"Add", String(u"k"), String(u"again")));
  EXPECT_RAISES(32811, com::Call(d, u"Remove", String(u"missing")));
  EXPECT_RAISES(32811, com::Let(d, u"Key", Variant(u"new"), String(u"missing")));
  EXPECT_RAISES(457, com::Let(d, u"Key", Variant(u"other"), String(u"k")));
  EXPECT_RAISES(5, com::Let(d, u"CompareMode", Variant(int32_t{1})));
  EXPECT_RAISES(438, com::Call(d, u"Key", String(u"k")));  // Key can only be written
  // Nothing changed on the way.
  EXPECT_EQ(Texts(com::Call(d, u"Keys")), (std::vector<String>{u"k", u"other"}));
  EXPECT_EQ(Texts(com::Call(d, u"Items")), (std::vector<String>{u"v", u"w"}));
  try {
    com::Call(d, u"Add", String(u"k"), int32_t{0});
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Description(), u"This key is already associated with an element of this collection");
  }
  try {
    com::Call(d, u"Remove", String(u"missing"));
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Description(), u"Element not found");
  }
}

TEST(Dictionary, ReadingAMissingKeyAddsItWithEmpty) {
  Variant d = NewDictionary();
  EXPECT_EQ(com::Call(d, u"Exists", String(u"x")), Variant(false));  // asking adds nothing
  EXPECT_EQ(Count(d), 0);
  EXPECT_TRUE(com::Call(d, u"", String(u"x")).IsEmpty());  // the default member is Item
  EXPECT_EQ(Count(d), 1);
  EXPECT_EQ(com::Call(d, u"Exists", String(u"x")), Variant(true));
  EXPECT_TRUE(com::Call(d, u"Item", String(u"y")).IsEmpty());
  EXPECT_EQ(Texts(com::Call(d, u"Keys")), (std::vector<String>{u"x", u"y"}));
  com::Let(d, u"", Variant(u"set"), String(u"z"));  // writing a missing key adds it
  EXPECT_EQ(com::Call(d, u"Item", String(u"z")), Variant(u"set"));
  EXPECT_EQ(Count(d), 3);
}

TEST(Dictionary, KeyRenamesInPlace) {
  Variant d = NewDictionary();
  for (const char16_t* k : {u"a", u"b", u"c"}) com::Call(d, u"Add", String(k), String(k) + u"!");
  com::Let(d, u"Key", Variant(u"B2"), String(u"b"));
  EXPECT_EQ(Texts(com::Call(d, u"Keys")), (std::vector<String>{u"a", u"B2", u"c"}));
  EXPECT_EQ(com::Call(d, u"Item", String(u"B2")), Variant(u"b!"));
  EXPECT_EQ(com::Call(d, u"Exists", String(u"b")), Variant(false));
  com::Call(d, u"Add", String(u"b"), String(u"new"));  // the old key is free again
  EXPECT_EQ(Count(d), 4);
}

TEST(Dictionary, CompareModeDecidesWhetherCaseMatters) {
  Variant binary = NewDictionary();
  EXPECT_EQ(com::Call(binary, u"CompareMode"), Variant(int32_t{0}));
  com::Call(binary, u"Add", String(u"Name"), int32_t{1});
  com::Call(binary, u"Add", String(u"NAME"), int32_t{2});
  EXPECT_EQ(com::Call(binary, u"Exists", String(u"name")), Variant(false));
  EXPECT_EQ(Count(binary), 2);

  Variant text = NewDictionary();
  com::Let(text, u"CompareMode", Variant(int32_t{1}));
  EXPECT_EQ(com::Call(text, u"CompareMode"), Variant(int32_t{1}));
  com::Call(text, u"Add", String(u"Name"), int32_t{1});
  EXPECT_RAISES(457, com::Call(text, u"Add", String(u"nAME"), int32_t{2}));
  EXPECT_EQ(com::Call(text, u"Item", String(u"NAME")), Variant(int32_t{1}));
  com::Call(text, u"Add", String(u"Ärger"), int32_t{3});
  EXPECT_EQ(com::Call(text, u"Exists", String(u"äRGER")), Variant(true));
  EXPECT_EQ(Texts(com::Call(text, u"Keys")), (std::vector<String>{u"Name", u"Ärger"}));  // first spelling
  // Emptied, the mode can change again; a negative mode is refused.
  com::Call(text, u"RemoveAll");
  com::Let(text, u"CompareMode", Variant(int32_t{0}));
  EXPECT_RAISES(5, com::Let(text, u"CompareMode", Variant(int32_t{-1})));
}

TEST(Dictionary, NumbersAreOneKeyWhateverTheirTypeTextsAndObjectsAreOthers) {
  Variant d = NewDictionary();
  com::Call(d, u"Add", int16_t{1}, String(u"one"));
  EXPECT_RAISES(457, com::Call(d, u"Add", 1.0, String(u"double")));
  EXPECT_RAISES(457, com::Call(d, u"Add", int32_t{1}, String(u"long")));
  EXPECT_EQ(com::Call(d, u"Item", uint8_t{1}), Variant(u"one"));
  com::Call(d, u"Add", String(u"1"), String(u"text"));  // a text is not a number
  com::Call(d, u"Add", 1.5, String(u"half"));
  com::Call(d, u"Add", -0.0, String(u"zero"));
  EXPECT_EQ(com::Call(d, u"Item", int32_t{0}), Variant(u"zero"));
  com::Call(d, u"Add", Variant(), String(u"empty"));
  com::Call(d, u"Add", Variant::Null(), String(u"null"));
  // Objects are keys by identity.
  Variant a = NewDictionary(), b = NewDictionary();
  com::Call(d, u"Add", a, String(u"a"));
  com::Call(d, u"Add", b, String(u"b"));
  EXPECT_EQ(com::Call(d, u"Item", a), Variant(u"a"));
  EXPECT_EQ(Count(d), 8);
  EXPECT_EQ(com::Call(d, u"Keys").As<vb::Array>().Items()[0].Type(), vb::vbInteger);  // kept as given
  EXPECT_RAISES(5, com::Call(d, u"Add", Variant(vb::Array::OfVariants({})), int32_t{0}));
}

TEST(Dictionary, ItemsKeepTheObjectsTheyAreGiven) {
  Variant d = NewDictionary();
  Variant inner = NewDictionary();
  com::Call(inner, u"Add", String(u"k"), String(u"v"));
  com::SetRef(d, u"Item", inner, String(u"set"));
  com::Call(d, u"Add", String(u"added"), inner);
  EXPECT_EQ(com::Call(d, u"Item", String(u"set")).GetObject(), inner.GetObject());
  EXPECT_EQ(com::Call(d, u"Item", String(u"added")).GetObject(), inner.GetObject());
  // d("x")("k") reads through.
  EXPECT_EQ(com::Call(com::Call(d, u"", String(u"added")), u"", String(u"k")), Variant(u"v"));
}

}  // namespace
