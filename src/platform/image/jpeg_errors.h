#pragma once
// libjpeg's error manager for our decoders and encoders: a fatal error jumps
// back to the caller's setjmp point instead of ending the process, and
// warnings are not printed.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace image {

struct JpegErrors {
  jpeg_error_mgr manager{};
  std::jmp_buf jump{};

  jpeg_error_mgr* Install() {
    jpeg_std_error(&manager);
    manager.error_exit = [](j_common_ptr info) {
      // The manager is the first member, so its address is ours.
      std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
    };
    manager.output_message = [](j_common_ptr) {};
    return &manager;
  }
};

}  // namespace image
