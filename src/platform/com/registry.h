#pragma once
// Objects by name: the ProgID registry behind CreateObject.
//
// Three sources, looked up case-insensitively in this order: the classes that
// this process provides (the platform's own and the linked component's), and
// the registry file that registration writes (ProgID -> class id -> library).
// A class listed in the registry file is created when a class of this process
// carries that class id. Tests can remove a class to see "not installed".
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/com/object.h"

namespace com {

using Factory = std::function<ObjectPtr()>;

struct ClassEntry {
  String prog_id;
  String class_id;  // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" or empty
  Factory factory;
};

// Register a class of this process (replacing one of the same ProgID).
void RegisterClass(ClassEntry entry);
// Remove a class of this process by ProgID; true when it was there.
bool UnregisterClass(StringView prog_id);
std::optional<ClassEntry> FindClass(StringView prog_id);

// The registry file: "HKEY_CLASSES_ROOT" of this platform. One class per line,
// "ProgID<TAB>ClassID<TAB>library path". Its place comes from QE_REGISTRY, else
// $XDG_DATA_HOME/qe/registry (~/.local/share/qe/registry).
std::filesystem::path RegistryFile();
void SetRegistryFile(std::filesystem::path path);  // tests

struct RegistryRecord {
  String prog_id;
  String class_id;
  std::string library;
};
std::vector<RegistryRecord> ReadRegistry();
// Add or replace records (by ProgID), and remove records, atomically.
void WriteRegistry(const std::vector<RegistryRecord>& add, const std::vector<String>& remove);

// CreateObject(progid): error 429 when no class answers to the name.
ObjectPtr CreateObject(StringView prog_id);

// Called once before the first lookup: registers the platform's classes.
// Each platform area adds its own through this hook list.
using ClassProvider = void (*)();
void AddClassProvider(ClassProvider provider);

}  // namespace com
