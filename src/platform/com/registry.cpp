#include "platform/com/registry.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unordered_map>

#include <dlfcn.h>

#include "platform/fs/scratch_names.h"
#include "platform/platform_classes.h"
#include "platform/sys/stop_points.h"

namespace com {
namespace {

struct State {
  std::mutex mutex;
  std::unordered_map<String, ClassEntry, vb::NoCaseHash, vb::NoCaseEqual> classes;
  std::vector<ClassProvider> providers;
  bool providers_ran = false;
  std::once_flag providers_once;
  std::filesystem::path registry_override;
};

State& state() {
  static State s;
  return s;
}

// Once per process; a thread that looks a class up meanwhile waits until
// every class is registered.
void RunProviders() {
  std::call_once(state().providers_once, [] {
    platform::RegisterPlatformClasses();
    std::vector<ClassProvider> pending;
    {
      std::lock_guard lock(state().mutex);
      state().providers_ran = true;
      pending = state().providers;
    }
    for (auto p : pending) p();
  });
}

// A class served by a library that registered itself: its DllGetClassObject
// gives the factory. The library stays loaded for the life of the process.
ObjectPtr CreateFromLibrary(const RegistryRecord& record) {
  if (record.library.empty()) return nullptr;
  void* handle = dlopen(record.library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  using GetClassObject = int32_t (*)(const char16_t*, const char16_t*, void**);
  auto get = reinterpret_cast<GetClassObject>(dlsym(handle, "DllGetClassObject"));
  void* factory = nullptr;
  if (!get || get(record.class_id.c_str(), u"", &factory) != 0 || !factory) return nullptr;
  return (*static_cast<Factory*>(factory))();
}

}  // namespace

void AddClassProvider(ClassProvider provider) {
  bool run_now;
  {
    std::lock_guard lock(state().mutex);
    state().providers.push_back(provider);
    run_now = state().providers_ran;
  }
  if (run_now) provider();
}

void RegisterClass(ClassEntry entry) {
  std::lock_guard lock(state().mutex);
  String key = entry.prog_id;
  state().classes[key] = std::move(entry);
}

bool UnregisterClass(StringView prog_id) {
  RunProviders();
  std::lock_guard lock(state().mutex);
  return state().classes.erase(String(prog_id)) > 0;
}

std::optional<ClassEntry> FindClass(StringView prog_id) {
  RunProviders();
  std::lock_guard lock(state().mutex);
  auto it = state().classes.find(String(prog_id));
  if (it == state().classes.end()) return std::nullopt;
  return it->second;
}

std::filesystem::path RegistryFile() {
  {
    std::lock_guard lock(state().mutex);
    if (!state().registry_override.empty()) return state().registry_override;
  }
  if (const char* p = std::getenv("QE_REGISTRY"); p && *p) return p;
  std::filesystem::path base;
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) base = x;
  else if (const char* h = std::getenv("HOME"); h && *h) base = std::filesystem::path(h) / ".local/share";
  else base = "/tmp";
  return base / "qe" / "registry";
}

void SetRegistryFile(std::filesystem::path path) {
  std::lock_guard lock(state().mutex);
  state().registry_override = std::move(path);
}

std::vector<RegistryRecord> ReadRegistry() {
  std::vector<RegistryRecord> out;
  std::ifstream in(RegistryFile());
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string prog, clsid, lib;
    if (!std::getline(fields, prog, '\t') || !std::getline(fields, clsid, '\t')) continue;
    std::getline(fields, lib);
    out.push_back({vb::FromUtf8(prog), vb::FromUtf8(clsid), lib});
  }
  return out;
}

namespace {

// What writers killed before their rename left beside the registry file:
// scratch whose process is gone, and the temporaries of earlier versions
// ("registry.tmp4242") that no running process can have written.
void RemoveAbandonedWrites(const std::filesystem::path& file) {
  std::error_code error;
  for (const auto& left : fs::AbandonedScratchIn(file.parent_path())) std::filesystem::remove_all(left, error);
  const std::string earlier = file.filename().string() + ".tmp";
  std::vector<std::filesystem::path> gone;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    const std::string pid = name.substr(std::min(name.size(), earlier.size()));
    if (name.starts_with(earlier) && !pid.empty() && pid.size() < 10 &&
        pid.find_first_not_of("0123456789") == std::string::npos && !fs::MayBeAtWork(std::stoi(pid), entry.path()))
      gone.push_back(entry.path());
  }
  for (const auto& path : gone) std::filesystem::remove(path, error);
}

}  // namespace

void WriteRegistry(const std::vector<RegistryRecord>& add, const std::vector<String>& remove) {
  static std::mutex write_mutex;
  std::lock_guard lock(write_mutex);
  auto records = ReadRegistry();
  std::vector<RegistryRecord> kept;
  for (auto& r : records) {
    bool drop = false;
    for (auto& name : remove) drop = drop || vb::EqualsNoCase(name, r.prog_id);
    for (auto& a : add) drop = drop || vb::EqualsNoCase(a.prog_id, r.prog_id);
    if (!drop) kept.push_back(r);
  }
  for (auto& a : add) kept.push_back(a);
  auto path = RegistryFile();
  std::filesystem::create_directories(path.parent_path());
  RemoveAbandonedWrites(path);
  const auto tmp = path.parent_path() / fs::ScratchName("registry-");
  {
    std::ofstream out(tmp, std::ios::trunc);
    for (auto& r : kept)
      out << vb::ToUtf8(r.prog_id) << '\t' << vb::ToUtf8(r.class_id) << '\t' << r.library << '\n';
    if (!out) vb::Raise(vb::kPermissionDenied);
  }
  sys::StopPoint("registry-written");
  std::filesystem::rename(tmp, path);
}

ObjectPtr CreateObject(StringView prog_id) {
  if (auto entry = FindClass(prog_id); entry && entry->factory) return entry->factory();
  // A ProgID known only to the registry file: created by the class of this
  // process that carries its class id.
  for (const auto& record : ReadRegistry()) {
    if (!vb::EqualsNoCase(record.prog_id, prog_id)) continue;
    Factory factory;
    {
      std::lock_guard lock(state().mutex);
      for (const auto& [name, entry] : state().classes)
        if (!entry.class_id.empty() && vb::EqualsNoCase(entry.class_id, record.class_id))
          factory = entry.factory;
    }
    if (factory) return factory();
    if (auto object = CreateFromLibrary(record)) return object;
  }
  vb::Raise(vb::kCannotCreateObject);
}

}  // namespace com
