#pragma once
// The shell's file operation (SHFileOperation): move, copy, delete or rename
// files and whole folder trees in one call, without any dialog.
//
// Names are literal: this platform's operation takes no wildcards. Every
// source must exist before anything is done; then the sources are handled in
// order, and the first failure ends the call with what was done before it
// left in place. Deletions are final (there is no recycle bin on a server).
#include <cstdint>

#include "platform/vb/string.h"

namespace fs {

using vb::String;
using vb::StringView;

enum FileOperationFunction : uint16_t { kFoMove = 1, kFoCopy = 2, kFoDelete = 3, kFoRename = 4 };

enum FileOperationFlag : uint16_t {
  // The n-th destination belongs to the n-th source; without it there is one
  // destination, a folder that receives every source.
  kFofMultiDestFiles = 0x1,
  kFofSilent = 0x4,
  kFofNoConfirmation = 0x10,
  kFofAllowUndo = 0x40,
  kFofNoErrorUi = 0x400,
};

// Results other than 0 (success).
enum FileOperationResult : int32_t {
  kFileOperationDone = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorDiskFull = 112,
  kErrorInvalidName = 123,
  kErrorAlreadyExists = 183,
  kDeSameFile = 0x71,       // a source onto itself
  kDeManySrc1Dest = 0x72,   // the destinations do not pair with the sources
  kDeDiffDir = 0x73,        // a rename into another folder
  kDeDestSubtree = 0x76,    // a folder into its own tree
  kDeInvalidFiles = 0x7C,   // no source at all
  kDeUnknownError = 0x402,
};

// SHFILEOPSTRUCT, without the window, progress title and name mappings. The
// lists hold names each followed by a NUL, the last by two ("a\0b\0\0"); a
// list without the closing NULs ends with the text.
struct FileOperation {
  uint16_t function = 0;
  String from;
  String to;  // not read for kFoDelete
  uint16_t flags = 0;
};

// Copy and move: a file goes onto the destination name, replacing a file of
// that name, or into the destination when it is a folder; a folder goes onto
// the destination name, merging into a folder that exists there (files of the
// same name are replaced); missing folders of the destination are made.
// Rename: the destination must be in the source's folder and must not exist
// (a change of case only is allowed). Delete: files, and folders with
// everything in them. Paths go through the path model; one that it refuses
// fails the call. Gives 0 on success, else a FileOperationResult.
int32_t SHFileOperation(const FileOperation& operation);

}  // namespace fs
