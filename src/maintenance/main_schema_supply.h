#pragma once
// A site's main database brought up to the schema the component carries
// (data/schema/qe_main.sql): the one way in which a database made for an
// older schema gets the tables and columns the schema added since.
#include "platform/vb/variant.h"
#include "shell/qe_main_database.h"

namespace qe {

// The main database of a site, as pages reach it.
inline constexpr char16_t kMainDatabase[] = u"C:\\data\\qe.asp";

// Gives the Access database at the real path `path` the schema's tables and
// columns that it lacks (see ado::SupplyStructure), unless it already carries
// the present schema's stamp; then stamps it. A missing file is left missing
// (the start page makes it whole from the schema). True when this call
// looked at the database.
bool SupplyMainSchema(const vb::String& path);

// Stamps the database at the real path `path` (one of the component's own,
// no page using it) for the present schema when it holds every table and
// column of it already, so that no mount has to write to it; a database of
// another structure is left for the mount to supply. True when stamped.
bool StampIfCurrentSchema(const vb::String& path);

}  // namespace qe
