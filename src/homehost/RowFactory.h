#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "homehost/ClockRow.h"
#include "homehost/HomeRow.h"
#include "homehost/HostSite.h"
#include "homehost/PluginLibrary.h"
#include "homeplugin/MemoryStream.h"

namespace quelt::home {

class HomeScheme;

struct MadeRow {
  std::optional<Guid> clsid;  // none when the scheme's text is not a class identifier
  std::unique_ptr<HomeRow> row;
};

// Makes the rows of a scheme: the host's own classes, plugin objects from the libraries the
// registry names, and greyed rows for the rest. Keeps what outlives one loading: the open
// libraries, and each scheme row's handle and saved stream, so that loading the same scheme again
// gives its objects the same state.
class RowFactory {
 public:
  struct Setup {
    ComPtr<HostSite> site;
    std::shared_ptr<const HomeTheme> theme;
    std::filesystem::path registryFile;
    std::filesystem::path programFolder;
    WallClock clock;
  };
  explicit RowFactory(Setup setup) : setup_(std::move(setup)) {}

  [[nodiscard]] std::vector<MadeRow> Make(const HomeScheme& scheme);
  // Call once the rows made before are gone.
  void Sweep() { libraries_.Sweep(); }

 private:
  struct Kept {
    uint32_t handle = 0;
    ComPtr<MemoryStream> stream;
  };

  [[nodiscard]] std::unique_ptr<HomeRow> MakeRow(const Guid& clsid, pugi::xml_node element, pugi::xml_node defaults,
                                                 const RowFormat& format, Kept& kept);
  [[nodiscard]] std::unique_ptr<HomeRow> MakePlugin(const Guid& clsid, pugi::xml_node element, pugi::xml_node defaults,
                                                    Kept& kept);

  Setup setup_;
  PluginLibraries libraries_;
  std::map<std::string, Kept> kept_;
  uint32_t lastHandle_ = 0;
};

}  // namespace quelt::home
