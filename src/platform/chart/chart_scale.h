#pragma once
// The value scale and the number texts of charts.
#include "platform/vb/string.h"

namespace chart {

// The top of the value scale for the largest value (0 when every value is 0
// or below): M = floor(maximum); from 10 on, the second digit of M decides
// between the next half (0 to 4) and the next whole (5 to 9) of the leading
// power of ten (34 -> 35, 35 -> 40, 100 -> 150, 12345 -> 15000); below 10,
// 10 when M > 4, else 5.
double ScaleTop(double maximum);

// A number as CStr writes a Double (15 significant digits, no trailing zeros)
// but always in plain decimal ("0.00001", "1000000000000000"): 200 times
// 0.19999999999999996 is written 40. Error 6 for infinities and NaN.
vb::String DecimalText(double value);

}  // namespace chart
