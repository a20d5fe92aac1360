// The two file members that add a fixed argument.
#include "common/kesra_file_operations.h"
#include "facade/qecls.h"

namespace qe {

bool QeCls::CommFileExist(vb::String p_FileName) { return KesraFileExist(p_FileName, 0); }

bool QeCls::CommFileDelete(vb::String p_FileName) { return KesraFileDelete(p_FileName, true); }

}  // namespace qe
