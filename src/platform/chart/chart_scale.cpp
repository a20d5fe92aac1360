#include "platform/chart/chart_scale.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
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
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));  // d.dddddddddddddde±x
  std::string digits = std::string(1, buffer[0]) + std::string(buffer + 2, 14);
  const int exponent = std::atoi(buffer + 17);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string text;
  if (exponent < 0) {
    text = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  } else if (static_cast<size_t>(exponent) + 1 >= digits.size()) {
    text = digits + std::string(exponent + 1 - digits.size(), '0');
  } else {
    text = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
  }
  if (value < 0) text.insert(0, 1, '-');
  return vb::String(text.begin(), text.end());
}

}  // namespace chart
