#include "homehost/RowFactory.h"

#include <sstream>

#include "homehost/BuiltinClasses.h"
#include "homehost/HomeScheme.h"
#include "homehost/OwnerRow.h"
#include "homehost/PluginRow.h"
#include "platform/Log.h"
#include "platform/Registry.h"

namespace quelt::home {
namespace {

// A scheme row is the same row again only with the same file, place and settings: saved state
// must not carry over to a row whose settings were edited.
std::string RowKey(const HomeScheme& scheme, size_t index, pugi::xml_node element, pugi::xml_node defaults) {
  std::ostringstream key;
  key << scheme.File().string() << '\n' << index << '\n';
  element.print(key, "", pugi::format_raw);
  key << '\n';
  defaults.print(key, "", pugi::format_raw);
  return key.str();
}

}  // namespace

std::vector<MadeRow> RowFactory::Make(const HomeScheme& scheme) {
  const RowFormat format = RowFormat::Read(scheme.Defaults(), *setup_.theme);
  const int naturalHeight = *setup_.theme->Metric("METRIC_HOMEROWHEIGHT");
  const platform::Color gray = *setup_.theme->Color("COLOR_HOMETEXTGRAY");
  std::vector<MadeRow> rows;
  const auto elements = scheme.Rows();
  for (size_t i = 0; i < elements.size(); ++i) {
    const pugi::xml_node element = elements[i];
    MadeRow made;
    made.clsid = ParseGuid(element.attribute("clsid").as_string());
    if (made.clsid) {
      Kept& kept = kept_[RowKey(scheme, i, element, scheme.Defaults())];
      if (kept.handle == 0) kept.handle = ++lastHandle_;
      made.row = MakeRow(*made.clsid, element, scheme.Defaults(), format, kept);
    }
    if (!made.row) made.row = std::make_unique<MissingRow>(format, element, gray, naturalHeight);
    rows.push_back(std::move(made));
  }
  return rows;
}

std::unique_ptr<HomeRow> RowFactory::MakeRow(const Guid& clsid, pugi::xml_node element, pugi::xml_node defaults,
                                             const RowFormat& format, Kept& kept) {
  if (clsid == CLSID_HomeClock) return std::make_unique<ClockRow>(format, element, setup_.clock);
  if (clsid == CLSID_HomeOwner) {
    return std::make_unique<OwnerRow>(format, element, [file = setup_.registryFile] { return OwnerName(file); });
  }
  return MakePlugin(clsid, element, defaults, kept);
}

std::unique_ptr<HomeRow> RowFactory::MakePlugin(const Guid& clsid, pugi::xml_node element, pugi::xml_node defaults,
                                                Kept& kept) {
  const std::string name = GuidText(clsid);
  const auto server = platform::Registry(setup_.registryFile).GetString("HKCR\\CLSID\\" + name + "\\InprocServer32");
  if (!server || server->empty()) {
    platform::Log("home: class %s is not registered", name.c_str());
    return nullptr;
  }
  const std::filesystem::path file(*server);
  auto library = libraries_.Get(file.is_absolute() ? file : setup_.programFolder / file);
  if (!library) return nullptr;
  const auto factory = library->ClassFactory(clsid);
  ComPtr<IHomePlugin> plugin;
  if (!factory || !Succeeded(factory->CreateInstance(nullptr, IID_IHomePlugin, plugin.Put())) || !plugin) {
    platform::Log("home: %s makes no plugin object", name.c_str());
    return nullptr;
  }
  // From here on the row takes the site back from the object if a later step fails.
  auto row = std::make_unique<PluginRow>(std::move(library), plugin, kept.handle);
  if (!Succeeded(plugin->SetSite(static_cast<IHomeHost*>(setup_.site.Get()))) ||
      !Succeeded(plugin->Initialize(kept.handle, element, defaults))) {
    platform::Log("home: %s refused its site or settings", name.c_str());
    return nullptr;
  }
  if (const auto persist = plugin.As<IPersistStream>(IID_IPersistStream)) {
    if (!kept.stream) {
      auto stream = MemoryStream::Create();
      if (stream && Succeeded(persist->Save(stream.Get(), true))) kept.stream = std::move(stream);
    }
    if (kept.stream) {
      kept.stream->Rewind();
      if (!Succeeded(persist->Load(kept.stream.Get()))) {
        platform::Log("home: %s cannot load its state", name.c_str());
        return nullptr;
      }
    }
  }
  return row;
}

}  // namespace quelt::home
