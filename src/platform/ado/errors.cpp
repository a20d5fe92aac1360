#include "platform/ado/errors.h"

namespace ado {

String AdoDescription(int32_t error) {
  switch (error) {
    case kErrInvalidArgument:
      return u"Arguments are of the wrong type, are out of acceptable range, or are in conflict with "
             u"one another.";
    case kErrNoCurrentRecord:
      return u"Either BOF or EOF is True, or the current record has been deleted. Requested "
             u"operation requires a current record.";
    case kErrIllegalOperation: return u"Operation is not allowed in this context.";
    case kErrInTransaction:
      return u"Connection object cannot be explicitly closed while in a transaction.";
    case kErrFeatureNotAvailable:
      return u"Object or provider is not capable of performing requested operation.";
    case kErrNotUpdatable:
      return u"Current Recordset does not support updating. This may be a limitation of the "
             u"provider, or of the selected locktype.";
    case kErrItemNotFound:
      return u"Item cannot be found in the collection corresponding to the requested name or "
             u"ordinal.";
    case kErrObjectInCollection: return u"Object is already in collection. Cannot append.";
    case kErrDataConversion:
      return u"Application uses a value of the wrong type for the current operation.";
    case kErrObjectClosed: return u"Operation is not allowed when the object is closed.";
    case kErrObjectOpen: return u"Operation is not allowed when the object is open.";
    case kErrProviderNotFound: return u"Provider cannot be found. It may not be properly installed.";
    case kErrInvalidConnection:
      return u"The connection cannot be used to perform this operation. It is either closed or "
             u"invalid in this context.";
    default: return u"Unknown error.";
  }
}

void RaiseAdo(int32_t error, StringView source) {
  throw vb::Error(error & 0xFFFF, AdoDescription(error), String(source));
}

void RaiseProvider(int32_t hresult, String description, String source) {
  throw ProviderError(hresult, std::move(description), std::move(source));
}

int32_t HResultOf(int32_t number) {
  if (number > 0 && number <= 0xFFFF) return static_cast<int32_t>(0x800A0000u | static_cast<uint32_t>(number));
  return number;
}

}  // namespace ado
