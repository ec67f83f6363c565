#include "homeplugin/StatusTilePlugin.h"

#include <algorithm>
#include <exception>
#include <new>

#include "homeplugin/TileColors.h"
#include "homeplugin/TileModule.h"
#include "platform/Log.h"
#include "platform/TextCodec.h"
#include "platform/screen/Font.h"
#include "platform/screen/Surface.h"

namespace quelt::home {
namespace {

// Nothing may unwind into the host.
template <typename Work>
Result Guarded(Work work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    platform::Log("out of memory");
    return E_OUTOFMEMORY;
  } catch (const std::exception& error) {
    platform::Log("home plugin: %s", error.what());
    return E_FAIL;
  }
}

}  // namespace

ComPtr<StatusTilePlugin> StatusTilePlugin::Create() {
  return ComPtr<StatusTilePlugin>::Adopt(new (std::nothrow) StatusTilePlugin());
}

StatusTilePlugin::StatusTilePlugin() { TileModule::Instance().AddObject(); }

StatusTilePlugin::~StatusTilePlugin() { TileModule::Instance().RemoveObject(); }

Result StatusTilePlugin::QueryInterface(const Guid& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IObjectWithSite || iid == IID_IHomePlugin) {
    *out = static_cast<IHomePlugin*>(this);
  } else if (iid == IID_IPersist || iid == IID_IPersistStream) {
    *out = static_cast<IPersistStream*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

uint32_t StatusTilePlugin::AddRef() { return ++references_; }

uint32_t StatusTilePlugin::Release() {
  const uint32_t left = --references_;
  if (left == 0) delete this;
  return left;
}

Result StatusTilePlugin::SetSite(IUnknown* site) {
  host_.Reset();
  theme_.Reset();
  if (site == nullptr) return S_OK;
  Result result = site->QueryInterface(IID_IHomeHost, host_.Put());
  if (!Succeeded(result)) return result;
  result = site->QueryInterface(IID_IHomeColors, theme_.Put());
  return Succeeded(result) ? S_OK : result;
}

Result StatusTilePlugin::GetSite(const Guid& iid, void** out) {
  if (!host_) return E_FAIL;
  return host_->QueryInterface(iid, out);
}

Result StatusTilePlugin::Initialize(uint32_t pluginHandle, pugi::xml_node parameters, pugi::xml_node defaults) {
  return Guarded([&] {
    settings_ = SettingsFromScheme(pluginHandle, parameters, defaults);
    return S_OK;
  });
}

bool StatusTilePlugin::Hidden() const { return settings_.autoHeight && !TileModule::Instance().Running(); }

Result StatusTilePlugin::GetHeight(int32_t* height) {
  if (height == nullptr) return E_POINTER;
  *height = Hidden() ? 0 : settings_.height;
  return S_OK;
}

Result StatusTilePlugin::GetSelectability(bool* selectable) {
  if (selectable == nullptr) return E_POINTER;
  *selectable = !Hidden();
  return S_OK;
}

void StatusTilePlugin::Invalidate() {
  if (host_) (void)host_->Invalidate(settings_.pluginHandle, 0);
}

Result StatusTilePlugin::OnEvent(const HomeEvent* event) {
  if (event == nullptr) return S_OK;
  return Guarded([&] {
    switch (event->number) {
      case HomeEventNumber::Key:
        if (event->key == kKeyLeft || event->key == kKeyRight) Invalidate();
        break;
      case HomeEventNumber::Action:
        Invalidate();
        TileModule::Instance().ShowMessenger();
        break;
      case HomeEventNumber::Paint: Paint(*event); break;
      case HomeEventNumber::ThemeChanged: look_.reset(); break;
      case HomeEventNumber::DataChanged: Invalidate(); break;
    }
    return S_OK;
  });
}

void StatusTilePlugin::Paint(const HomeEvent& event) {
  const auto state = TileModule::Instance().State();
  if (!state.running && settings_.autoHeight) return;
  auto surface = platform::Surface::Borrow(event.surface);
  if (!surface) return;
  if (!look_) {
    const uint32_t handle = settings_.pluginHandle;
    IHomeColors* theme = theme_.Get();
    look_ = TileLook{
        .background = ResolveColor(settings_.background, theme, handle),
        .selectedBackground = ResolveColor(settings_.selectedBackground, theme, handle),
        .border = ResolveColor(settings_.borderColor, theme, handle),
        .text = ResolveColor(settings_.foreground, theme, handle).value_or(platform::Color{}),
        .selectedText = ResolveColor(settings_.selectedForeground, theme, handle).value_or(platform::Color{}),
    };
  }
  if (!font_) {
    font_ = platform::Font::Open(platform::Utf16ToUtf8(settings_.fontFace), std::clamp(settings_.fontSize, 1, 200),
                                 settings_.fontWeight == u"BOLD");
    if (!font_) return;
  }
  PaintTile(*surface, event.rect, event.selected, settings_, state, *look_, *font_);
}

Result StatusTilePlugin::GetClassID(Guid* out) {
  if (out == nullptr) return E_POINTER;
  *out = CLSID_StatusTile;
  return S_OK;
}

Result StatusTilePlugin::Load(IStream* stream) {
  if (stream == nullptr) return E_POINTER;
  return Guarded([&] {
    auto loaded = ReadTileSettings(*stream);
    if (!loaded) return E_FAIL;
    settings_ = std::move(*loaded);
    look_.reset();
    font_.reset();
    TileModule::Instance().StartListener();
    return S_OK;
  });
}

Result StatusTilePlugin::Save(IStream* stream, bool /*clearDirty*/) {
  if (stream == nullptr) return E_POINTER;
  return Guarded([&] { return WriteTileSettings(settings_, *stream) ? S_OK : E_FAIL; });
}

Result StatusTilePlugin::GetSizeMax(uint64_t* size) {
  if (size == nullptr) return E_POINTER;
  *size = 0;
  return S_OK;
}

}  // namespace quelt::home
