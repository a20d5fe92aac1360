#pragma once
// The site's main database (data\qe.asp), made and seeded by the first
// request that finds the site without one.
#include <filesystem>

#include "host/pages.h"

namespace host {

// Makes the main database from the schema when the site has none and seeds
// it through the component `qe` (CommDataInit), all under the Application
// lock: requests that arrive at once neither seed it twice nor read it before
// it is seeded. A seeding that does not finish takes the new file away again,
// so that the next request starts over instead of listing an empty menu.
//
// Seeding reopens the file by its own name, so it cannot be made under
// another name and renamed when whole: a marker file beside it
// ("qe.asp.seeding") is written before the file is made and removed once
// the seed is committed. A marker found here means a server was killed while
// it seeded: the file goes with the marker, and is made and seeded afresh.
// False when seeding ended the response (the page returns at once).
bool PrepareMainDatabase(Page& page, vb::Variant& qe);

// What a killed server left in the database folder: a database whose
// seeding never finished (with its marker), and the staged files of
// databases it was making, with the engine's files beside them (unless the
// process that staged them may still be at work: one of its number that
// started before they last changed). Run when a site is mounted.
void RemoveUnfinishedDatabases(const std::filesystem::path& data_folder);

// What killed processes left in the mounted site (C:\): the above in its
// database folders, and maintenance scratch files and folders ("/data",
// "/Comm", "/temp", "/AutoBackup", "/data_backup") whose process is gone.
void RemoveLeftovers();

}  // namespace host
