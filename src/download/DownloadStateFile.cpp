#include "download/DownloadStateFile.h"

#include "core/XmlDocument.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"

namespace quelt::download {
namespace {

uint32_t NumberOf(const std::optional<std::u16string>& text) {
  return text ? platform::ParseDecimal<uint32_t>(*text).value_or(0) : 0;
}

std::u16string ToText(uint32_t value) { return platform::AsciiToUtf16(std::to_string(value)); }

}  // namespace

std::vector<DownloadRecord> ParseDownloadList(std::span<const uint8_t> bytes) {
  core::XmlDocument document;
  std::vector<DownloadRecord> records;
  if (!document.LoadBytes(bytes)) return records;
  for (const auto& node : document.SelectAll("/downloads/download")) {
    auto url = node.Attribute("url");
    if (!url || url->empty()) continue;
    records.push_back({.url = std::move(*url),
                       .fileName = node.Attribute("filename").value_or(u""),
                       .partial = NumberOf(node.Attribute("partial")),
                       .totalSize = NumberOf(node.Attribute("totalsize")),
                       .complete = NumberOf(node.Attribute("complete")) == 1});
  }
  return records;
}

std::vector<DownloadRecord> LoadDownloadList(const std::filesystem::path& file) {
  const auto bytes = platform::ReadWholeFile(file);
  return bytes ? ParseDownloadList(*bytes) : std::vector<DownloadRecord>{};
}

bool SaveDownloadList(const std::filesystem::path& file, std::span<const DownloadRecord> records) {
  core::XmlDocument document;
  auto root = document.CreateRoot("downloads");
  for (const auto& record : records) {
    auto node = root.AppendElement("download");
    node.SetAttribute("url", record.url);
    node.SetAttribute("filename", record.fileName);
    node.SetAttribute("partial", ToText(record.partial));
    node.SetAttribute("totalsize", ToText(record.totalSize));
    if (record.complete) node.SetAttribute("complete", u"1");
  }
  return document.Save(file);
}

}  // namespace quelt::download
