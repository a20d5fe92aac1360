#include <cstdio>

#include "shell/qecls.h"

int main() {
  qe::QeCls qe;
  std::printf("%s\n", vb::ToUtf8(qe.CommGetVersion()).c_str());
  return 0;
}
