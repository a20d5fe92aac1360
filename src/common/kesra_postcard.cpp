#include "common/kesra_postcard.h"

#include <algorithm>
#include <string>

#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr int kWeights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
constexpr char16_t kCheckCharacters[] = u"10X98765432";
constexpr int kOldestBirthYears = 140;
constexpr int kOldestHolderYears = 150;

// The 17 characters before the check character; a 15-character number gets
// the century 19.
vb::String Body(const vb::String& number) {
  if (number.size() == 18) return number.substr(0, 17);
  return number.substr(0, 6) + u"19" + number.substr(6);
}

int16_t FieldOf(const vb::String& text, int32_t start, int32_t length) {
  return vb::CInt(vb::Variant(vb::Mid(text, start, length)));
}

bool IsBirthDateAcceptable(const vb::String& body) {
  int year = FieldOf(body, 7, 4), month = FieldOf(body, 11, 2), day = FieldOf(body, 13, 2);
  vb::String text = vb::FromUtf8(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day));
  vb::Date birth;
  if (!vb::ParseDate(text, birth)) return false;
  vb::Date today = vb::Today();
  if (birth.serial > today.serial) return false;
  // The year as written: a two-digit reading of a year such as 0099 by the
  // date test must not make it recent.
  if (vb::Year(today) - year > kOldestBirthYears) return false;
  return month <= 12 && day <= 31;
}

char16_t CheckCharacter(const vb::String& body) {
  int sum = 0;
  for (size_t i = 0; i < 17; ++i) sum += (body[i] - u'0') * kWeights[i];
  return kCheckCharacters[sum % 11];
}

bool HoldsEighteenCharacters(const vb::String& number) { return vb::Trim(number).size() == 18; }

}  // namespace

vb::String KesraCheckPostCard(vb::String p_Postcard, int16_t p_Level) {
  if (p_Level <= 1) return {};
  if (p_Postcard.size() != 15 && p_Postcard.size() != 18)
    return u"当前身份证号码位数错误[" + vb::FromUtf8(std::to_string(p_Postcard.size())) + u"位]，正确的应为15位或18位！";
  vb::String body = Body(p_Postcard);
  // Only the digits themselves: a sign, point, separator or exponent would
  // pass a numeric test but is no identity number.
  if (!std::all_of(body.begin(), body.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
    return u"身份证号码错误，正确的应是除最后一位外，必须为数字！";
  if (p_Level >= 3 && !IsBirthDateAcceptable(body)) return u"身份证号码中出生年月部分数据错误！";
  if (p_Level >= 4 && p_Postcard.size() == 18) {
    char16_t expected = CheckCharacter(body);
    if (p_Postcard[17] != expected) return u"身份证号码校验位错误！正确应为" + vb::String(1, expected);
  }
  return {};
}

vb::String KesraGetBirthdayFromPostcard(vb::String p_Postcard) {
  if (!HoldsEighteenCharacters(p_Postcard)) return {};
  int month = FieldOf(p_Postcard, 11, 2);
  if (month < 1 || month > 12) return {};
  int day = FieldOf(p_Postcard, 13, 2);
  if (day < 1 || day > 31) return {};
  int year = FieldOf(p_Postcard, 7, 4);
  int current_year = vb::Year(vb::Now());
  if (year >= current_year || current_year - year > kOldestHolderYears) return {};
  return vb::Mid(p_Postcard, 11, 2) + u"/" + vb::Mid(p_Postcard, 13, 2) + u"/" + vb::Mid(p_Postcard, 7, 4);
}

vb::String KesraGetSexFromPostcard(vb::String p_Postcard) {
  if (!HoldsEighteenCharacters(p_Postcard)) return {};
  return FieldOf(p_Postcard, 17, 1) % 2 != 0 ? u"男" : u"女";
}

}  // namespace qe
