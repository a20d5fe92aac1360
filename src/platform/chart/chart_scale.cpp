#include "platform/chart/chart_scale.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/vb/error.h"

namespace chart {

double ScaleTop(double maximum) {
  const double m = std::floor(maximum);
  if (m <= 9) return m > 4 ? 10 : 5;
  const vb::String digits = DecimalText(m);
  const double power = std::pow(10.0, static_cast<double>(digits.size() - 1));
  const int second = digits[1] - u'0';
  return (std::floor(m / power) + (second > 4 ? 1 : 0.5)) * power;
}

vb::String DecimalText(double value) {
  if (!std::isfinite(value)) vb::Raise(vb::kOverflow);
  if (value == 0) return u"0";
  char buffer[40];
  // Whole numbers of up to 15 digits, most positions, are written as they are.
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    char* end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<int64_t>(value)).ptr;
    return vb::String(buffer, end);
  }
  // d.dddddddddddddde±x: 15 significant digits, rounded.
  char* end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14).ptr;
  *end = 0;
  char digits[16] = {buffer[0]};
  std::memcpy(digits + 1, buffer + 2, 14);
  int count = 15;
  while (count > 1 && digits[count - 1] == '0') --count;
  const int exponent = std::atoi(buffer + 17);
  vb::String text;
  if (value < 0) text += u'-';
  if (exponent < 0) {
    text += u"0.";
    text.append(static_cast<size_t>(-exponent - 1), u'0');
    text.append(digits, digits + count);
  } else if (exponent + 1 >= count) {
    text.append(digits, digits + count);
    text.append(static_cast<size_t>(exponent + 1 - count), u'0');
  } else {
    text.append(digits, digits + exponent + 1);
    text += u'.';
    text.append(digits + exponent + 1, digits + count);
  }
  return text;
}

}  // namespace chart
