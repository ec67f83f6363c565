#pragma once

// The contract between the home host and its plugin rows: reference-counted abstract classes
// with fixed slot orders, class and interface identifiers, result codes, the event record, and
// the four functions a plugin library exports with C linkage. Both sides are built from this
// header; nothing else crosses the library boundary.

#include <cstdint>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

struct SDL_Surface;

namespace quelt::home {

// Results keep the platform's numbers, so a log line reads the same on both sides.
using Result = int32_t;
inline constexpr Result S_OK = 0;
inline constexpr Result S_FALSE = 1;
inline constexpr Result E_NOTIMPL = static_cast<Result>(0x80004001u);
inline constexpr Result E_NOINTERFACE = static_cast<Result>(0x80004002u);
inline constexpr Result E_POINTER = static_cast<Result>(0x80004003u);
inline constexpr Result E_FAIL = static_cast<Result>(0x80004005u);
inline constexpr Result E_OUTOFMEMORY = static_cast<Result>(0x8007000Eu);
inline constexpr Result CLASS_E_NOAGGREGATION = static_cast<Result>(0x80040110u);
inline constexpr Result CLASS_E_CLASSNOTAVAILABLE = static_cast<Result>(0x80040111u);

[[nodiscard]] constexpr bool Succeeded(Result result) { return result >= 0; }

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};
  bool operator==(const Guid&) const = default;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case.
[[nodiscard]] std::string GuidText(const Guid& guid);
// The same form read back, either case; nothing unless it is exactly that shape.
[[nodiscard]] std::optional<Guid> ParseGuid(std::string_view text);

inline constexpr Guid IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IStream{0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IPersist{0x0000010C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IPersistStream{0x00000109, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IObjectWithSite{0xFC4801A3, 0x2BA9, 0x11CF, {0xA2, 0x29, 0x00, 0xAA, 0x00, 0x3D, 0x73, 0x52}};
inline constexpr Guid IID_IHomePlugin{0x7F0C58E9, 0x4F30, 0x47BB, {0x96, 0x93, 0xD7, 0x78, 0xE9, 0x99, 0xC4, 0x33}};
inline constexpr Guid IID_IHomeHost{0xFF328DC0, 0x22F5, 0x4AC1, {0xA1, 0x03, 0x19, 0xB3, 0x89, 0xC6, 0x33, 0xFA}};
inline constexpr Guid IID_IHomeColors{0xE01A8A84, 0xDDEF, 0x438E, {0x90, 0x04, 0x3F, 0xB2, 0xA9, 0x08, 0xE4, 0x65}};
// The messenger's row.
inline constexpr Guid CLSID_StatusTile{0xA37FA94B, 0x2EBD, 0x4662, {0xBF, 0xEE, 0xEF, 0x64, 0x34, 0xE2, 0xEA, 0xC3}};

// Objects free themselves when their count falls to 0; hold them in ComPtr.
class IUnknown {
 public:
  virtual Result QueryInterface(const Guid& iid, void** out) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
 public:
  virtual Result CreateInstance(IUnknown* outer, const Guid& iid, void** out) = 0;
  virtual Result LockServer(bool lock) = 0;

 protected:
  ~IClassFactory() = default;
};

class IStream : public IUnknown {
 public:
  // `done` (may be null) receives the bytes moved; a short read is S_FALSE.
  virtual Result Read(void* buffer, uint32_t size, uint32_t* done) = 0;
  virtual Result Write(const void* buffer, uint32_t size, uint32_t* done) = 0;

 protected:
  ~IStream() = default;
};

class IPersist : public IUnknown {
 public:
  virtual Result GetClassID(Guid* out) = 0;

 protected:
  ~IPersist() = default;
};

class IPersistStream : public IPersist {
 public:
  virtual Result IsDirty() = 0;
  virtual Result Load(IStream* stream) = 0;
  virtual Result Save(IStream* stream, bool clearDirty) = 0;
  virtual Result GetSizeMax(uint64_t* size) = 0;

 protected:
  ~IPersistStream() = default;
};

class IObjectWithSite : public IUnknown {
 public:
  virtual Result SetSite(IUnknown* site) = 0;
  virtual Result GetSite(const Guid& iid, void** out) = 0;

 protected:
  ~IObjectWithSite() = default;
};

// Event numbers of IHomePlugin::OnEvent.
enum class HomeEventNumber : uint32_t { Key = 0, Action = 1, Paint = 2, ThemeChanged = 3, DataChanged = 5 };

// Key codes of a Key event.
inline constexpr uint16_t kKeyLeft = 37;
inline constexpr uint16_t kKeyUp = 38;
inline constexpr uint16_t kKeyRight = 39;
inline constexpr uint16_t kKeyDown = 40;

struct HomeRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// What OnEvent receives; only the fields of the event's number mean anything.
struct HomeEvent {
  HomeEventNumber number = HomeEventNumber::Key;
  uint16_t key = 0;                // Key
  SDL_Surface* surface = nullptr;  // Paint: the host's screen, 32-bit RGB
  bool selected = false;           // Paint
  HomeRect rect;                   // Paint: the row, right and bottom exclusive
};

class IHomePlugin : public IObjectWithSite {
 public:
  // `parameters` is the row's element of the scheme; `defaults` the scheme's format defaults.
  virtual Result Initialize(uint32_t pluginHandle, pugi::xml_node parameters, pugi::xml_node defaults) = 0;
  virtual Result GetHeight(int32_t* height) = 0;
  virtual Result GetSelectability(bool* selectable) = 0;
  virtual Result OnEvent(const HomeEvent* event) = 0;

 protected:
  ~IHomePlugin() = default;
};

// The host as its plugins see it through their site.
class IHomeHost : public IUnknown {
 public:
  // Repaints the plugin's row soon; `flags` is 0.
  virtual Result Invalidate(uint32_t pluginHandle, uint32_t flags) = 0;
  // The host's screen in pixels.
  virtual Result GetScreenSize(uint32_t pluginHandle, int32_t* width, int32_t* height) = 0;

 protected:
  ~IHomeHost() = default;
};

struct HomeColor {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
};

// The home screen's theme.
class IHomeColors : public IUnknown {
 public:
  // The theme's face and pixel size for a named font such as "FONT_HOMETEXT".
  virtual Result GetFont(uint32_t pluginHandle, const char16_t* name, char16_t* face, uint32_t faceCapacity,
                         int32_t* pixelSize) = 0;
  // A named size such as "METRIC_HOMEPADDING".
  virtual Result GetMetric(uint32_t pluginHandle, const char16_t* name, int32_t* value) = 0;
  // A named colour such as "COLOR_HOMETEXT"; E_FAIL for a name the theme does not have.
  virtual Result GetColor(uint32_t pluginHandle, const char16_t* name, HomeColor* color) = 0;

 protected:
  ~IHomeColors() = default;
};

// Where a host finds a plugin's state notices: the plugin sends kDataChangedTag with its class
// identifier's text to this port, and the host then sends that class's rows DataChanged.
inline constexpr std::string_view kHomeHostPortClass = "6C2A7F3E-1B84-4C0D-9E52-3A9D41F7B0C8";
inline constexpr uint32_t kDataChangedTag = 1;

}  // namespace quelt::home

// The library's exports, looked up by name with dlsym.
extern "C" {
using DllGetClassObjectFunction = quelt::home::Result (*)(const quelt::home::Guid* clsid, const quelt::home::Guid* iid,
                                                          void** out);
using DllCanUnloadNowFunction = quelt::home::Result (*)();
using DllRegisterServerFunction = quelt::home::Result (*)();
using DllUnregisterServerFunction = quelt::home::Result (*)();
}
