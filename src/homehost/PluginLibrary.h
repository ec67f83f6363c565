#pragma once

#include <filesystem>
#include <map>
#include <memory>

#include "homeplugin/ComPtr.h"

namespace quelt::home {

// A plugin library opened with dlopen. It is closed only when it says it can be (DllCanUnloadNow
// answers S_OK); otherwise its handle is kept, as code of it may still be running.
class PluginLibrary {
 public:
  // Nothing when the file cannot be loaded or does not export DllGetClassObject.
  [[nodiscard]] static std::shared_ptr<PluginLibrary> Open(const std::filesystem::path& file);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  [[nodiscard]] ComPtr<IClassFactory> ClassFactory(const Guid& clsid) const;
  [[nodiscard]] bool CanUnloadNow() const;

 private:
  PluginLibrary(void* handle, DllGetClassObjectFunction getClassObject, DllCanUnloadNowFunction canUnloadNow)
      : handle_(handle), getClassObject_(getClassObject), canUnloadNow_(canUnloadNow) {}

  void* handle_;
  DllGetClassObjectFunction getClassObject_;
  DllCanUnloadNowFunction canUnloadNow_;
};

// The libraries the host has open, by file, so that rows of one class share one.
class PluginLibraries {
 public:
  [[nodiscard]] std::shared_ptr<PluginLibrary> Get(const std::filesystem::path& file);
  // Closes the libraries no row uses any more and that agree to go.
  void Sweep();

 private:
  std::map<std::filesystem::path, std::shared_ptr<PluginLibrary>> open_;
};

}  // namespace quelt::home
