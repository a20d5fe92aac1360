#include "common/kesra_file_name.h"

#include <cmath>
#include <string>

#include "platform/vb/datetime.h"
#include "platform/vb/random.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

vb::String Padded(int value, int32_t digits) {
  const std::string text = std::string(static_cast<size_t>(digits), '0') + std::to_string(value);
  return vb::Right(vb::String(text.begin(), text.end()), digits);
}

}  // namespace

vb::String KesraFileGetTimeName() {
  // One reading of the clock, so that the date and the time agree at midnight.
  const vb::Date now = vb::Now();
  return Padded(vb::Year(now), 4) + Padded(vb::Month(now), 2) + Padded(vb::Day(now), 2) +
         Padded(vb::Hour(now), 2) + Padded(vb::Minute(now), 2) + Padded(vb::Second(now), 2);
}

vb::String KesraFileGetRndName(int16_t p_Length) {
  // The thread's generator, seeded once, uniform over 0..89,999: reseeding
  // from the clock at every call would repeat names within one clock tick.
  const auto n = static_cast<int>(std::floor(vb::Rnd() * 90000));
  const std::string random = (std::to_string(n) + "000000").substr(0, 6);
  vb::String name = KesraFileGetTimeName() + vb::String(random.begin(), random.end());
  if (p_Length >= 21) return name + vb::StringOf(p_Length - 20, u'9');
  if (p_Length < 20) return vb::Right(name, p_Length);
  return name;
}

}  // namespace qe
