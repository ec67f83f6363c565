#include "homehost/PluginLibrary.h"

#include <dlfcn.h>

#include "platform/Log.h"

namespace quelt::home {

std::shared_ptr<PluginLibrary> PluginLibrary::Open(const std::filesystem::path& file) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    platform::Log("home: cannot load %s: %s", file.c_str(), dlerror());
    return nullptr;
  }
  const auto getClassObject = reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle, "DllGetClassObject"));
  const auto canUnloadNow = reinterpret_cast<DllCanUnloadNowFunction>(dlsym(handle, "DllCanUnloadNow"));
  if (getClassObject == nullptr) {
    platform::Log("home: %s exports no DllGetClassObject", file.c_str());
    dlclose(handle);
    return nullptr;
  }
  return std::shared_ptr<PluginLibrary>(new PluginLibrary(handle, getClassObject, canUnloadNow));
}

PluginLibrary::~PluginLibrary() {
  if (CanUnloadNow()) dlclose(handle_);
}

ComPtr<IClassFactory> PluginLibrary::ClassFactory(const Guid& clsid) const {
  ComPtr<IClassFactory> factory;
  if (!Succeeded(getClassObject_(&clsid, &IID_IClassFactory, factory.Put()))) factory.Reset();
  return factory;
}

// A library that cannot say is never closed.
bool PluginLibrary::CanUnloadNow() const { return canUnloadNow_ != nullptr && canUnloadNow_() == S_OK; }

std::shared_ptr<PluginLibrary> PluginLibraries::Get(const std::filesystem::path& file) {
  if (const auto found = open_.find(file); found != open_.end()) return found->second;
  auto library = PluginLibrary::Open(file);
  if (library) open_.emplace(file, library);
  return library;
}

void PluginLibraries::Sweep() {
  std::erase_if(open_, [](const auto& entry) { return entry.second.use_count() == 1 && entry.second->CanUnloadNow(); });
}

}  // namespace quelt::home
