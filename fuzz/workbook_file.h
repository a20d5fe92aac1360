#pragma once
// The fuzz input as a file: the workbook readers open files by name.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

class InputFile {
 public:
  InputFile() : fd_(memfd_create("workbook", MFD_CLOEXEC)) {}
  ~InputFile() { ::close(fd_); }
  // Replaces the file's bytes; its name.
  std::filesystem::path Write(const uint8_t* data, size_t size) {
    if (::ftruncate(fd_, 0) != 0) std::abort();
    for (size_t done = 0; done < size;) {
      ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<size_t>(n);
    }
    return "/proc/self/fd/" + std::to_string(fd_);
  }

 private:
  int fd_;
};
