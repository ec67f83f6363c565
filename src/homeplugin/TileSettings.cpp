#include "homeplugin/TileSettings.h"

#include <vector>

#include "platform/CaseMapping.h"
#include "platform/TextCodec.h"

namespace quelt::home {
namespace {

// Far above any colour or face name; keeps a damaged stream from asking for gigabytes.
constexpr int32_t kMaxStringBytes = 4096;

std::u16string Upper(const char* utf8) {
  std::u16string text = platform::Utf8ToUtf16(utf8);
  for (char16_t& unit : text) unit = platform::ToUpperCase(unit);
  return text;
}

void ReadInt(pugi::xml_node node, const char* name, int32_t& value) {
  if (const auto attribute = node.attribute(name)) value = attribute.as_int();
}

void ReadText(pugi::xml_node node, const char* name, std::u16string& value) {
  if (const auto attribute = node.attribute(name)) value = Upper(attribute.value());
}

class Writer {
 public:
  explicit Writer(IStream& stream) : stream_(stream) {}
  void Bytes(const void* data, uint32_t size) {
    uint32_t done = 0;
    ok_ = ok_ && Succeeded(stream_.Write(data, size, &done)) && done == size;
  }
  void Word(uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    Bytes(bytes, 4);
  }
  void Int(int32_t value) { Word(static_cast<uint32_t>(value)); }
  void Text(const std::u16string& text) {
    const std::string bytes = platform::EncodeCodePage(text, platform::kUtf16LeCodePage).bytes;
    Word(static_cast<uint32_t>(bytes.size()));
    Bytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  [[nodiscard]] bool Ok() const { return ok_; }

 private:
  IStream& stream_;
  bool ok_ = true;
};

class Reader {
 public:
  explicit Reader(IStream& stream) : stream_(stream) {}
  void Bytes(void* data, uint32_t size) {
    uint32_t done = 0;
    ok_ = ok_ && Succeeded(stream_.Read(data, size, &done)) && done == size;
  }
  uint32_t Word() {
    uint8_t bytes[4] = {};
    Bytes(bytes, 4);
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  }
  int32_t Int() { return static_cast<int32_t>(Word()); }
  // A count below 1 gives the default.
  std::u16string Text(std::u16string_view fallback) {
    const int32_t count = Int();
    if (!ok_ || count < 1) return std::u16string(fallback);
    if (count > kMaxStringBytes) {
      ok_ = false;
      return {};
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    Bytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return text;
  }
  [[nodiscard]] bool Ok() const { return ok_; }

 private:
  IStream& stream_;
  bool ok_ = true;
};

}  // namespace

TileSettings SettingsFromScheme(uint32_t pluginHandle, pugi::xml_node parameters, pugi::xml_node defaults) {
  TileSettings settings;
  settings.pluginHandle = pluginHandle;
  ReadInt(parameters, "height", settings.height);
  if (const auto attribute = parameters.attribute("autoheight")) {
    settings.autoHeight = Upper(attribute.value()) == u"TRUE";
  }
  ReadInt(parameters, "show-b-border", settings.showBottomBorder);
  ReadText(defaults, "font-face", settings.fontFace);
  ReadInt(defaults, "font-size", settings.fontSize);
  ReadText(defaults, "font-weight", settings.fontWeight);
  ReadInt(defaults, "padding-left", settings.paddingLeft);
  ReadInt(defaults, "padding-top", settings.paddingTop);
  ReadText(defaults, "bgcolor", settings.background);
  ReadText(defaults, "fgcolor", settings.foreground);
  ReadText(defaults, "b-border-color", settings.borderColor);
  ReadInt(defaults, "b-border-width", settings.borderWidth);
  if (const auto selected = defaults.select_node("format[@state='selected']").node()) {
    ReadText(selected, "bgcolor", settings.selectedBackground);
    ReadText(selected, "fgcolor", settings.selectedForeground);
  }
  return settings;
}

bool WriteTileSettings(const TileSettings& settings, IStream& stream) {
  Writer out(stream);
  out.Word(settings.pluginHandle);
  out.Int(settings.height);
  const uint8_t autoHeight = settings.autoHeight ? 1 : 0;
  out.Bytes(&autoHeight, 1);
  out.Int(settings.showBottomBorder);
  out.Text(settings.fontFace);
  out.Int(settings.fontSize);
  out.Text(settings.fontWeight);
  out.Int(settings.paddingLeft);
  out.Int(settings.paddingTop);
  out.Text(settings.background);
  out.Text(settings.foreground);
  out.Text(settings.selectedBackground);
  out.Text(settings.selectedForeground);
  out.Text(settings.borderColor);
  out.Int(settings.borderWidth);
  return out.Ok();
}

std::optional<TileSettings> ReadTileSettings(IStream& stream) {
  Reader in(stream);
  TileSettings settings;
  settings.pluginHandle = in.Word();
  settings.height = in.Int();
  uint8_t autoHeight = 0;
  in.Bytes(&autoHeight, 1);
  settings.autoHeight = autoHeight != 0;
  settings.showBottomBorder = in.Int();
  settings.fontFace = in.Text(u"");
  settings.fontSize = in.Int();
  settings.fontWeight = in.Text(u"NORMAL");
  settings.paddingLeft = in.Int();
  settings.paddingTop = in.Int();
  settings.background = in.Text(u"TRANSPARENT");
  settings.foreground = in.Text(u"COLOR_HOMETEXT");
  settings.selectedBackground = in.Text(u"COLOR_HOMEHIGHLIGHT");
  settings.selectedForeground = in.Text(u"COLOR_HOMEHIGHLIGHTTEXT");
  settings.borderColor = in.Text(u"COLOR_HOMERULE");
  settings.borderWidth = in.Int();
  if (!in.Ok()) return std::nullopt;
  return settings;
}

}  // namespace quelt::home
