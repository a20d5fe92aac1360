#include "platform/stream/stream_errors.h"

#include "platform/vb/error.h"

namespace stream {

namespace {

const char16_t* DescriptionOf(StreamError error) {
  switch (error) {
    case kInvalidArgument:
      return u"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.";
    case kReadFile:
      return u"File could not be opened.";
    case kWriteFile:
      return u"Write to file failed.";
    case kIllegalOperation:
      return u"Operation is not allowed in this context.";
    case kObjectClosed:
      return u"Operation is not allowed when the object is closed.";
    case kObjectOpen:
      return u"Operation is not allowed when the object is open.";
  }
  return u"";
}

}  // namespace

void RaiseStreamError(StreamError error) { throw vb::Error(error, DescriptionOf(error), u"ADODB.Stream"); }

}  // namespace stream
