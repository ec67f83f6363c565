#include "core/XmlDocument.h"

#include <new>
#include <pugixml.hpp>
#include <sstream>

#include "core/XmlSelect.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"

namespace quelt::core {
namespace {

// Whitespace between elements is not content, as in the handset's XML component; an element
// whose only content is whitespace (a draft of spaces, say) keeps it.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

}  // namespace

XmlDocument::XmlDocument() : document_(std::make_shared<pugi::xml_document>()) {}
XmlDocument::~XmlDocument() = default;
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;

bool XmlDocument::LoadBytes(std::span<const uint8_t> bytes) {
  // A fresh document: nodes handed out earlier keep the old one alive and unchanged.
  document_ = std::make_shared<pugi::xml_document>();
  try {
    const pugi::xml_parse_result result =
        document_->load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_auto);
    if (result && document_->document_element()) return true;
  } catch (const std::bad_alloc&) {
  }
  document_->reset();
  return false;
}

bool XmlDocument::LoadFile(const std::filesystem::path& path) {
  const auto bytes = platform::ReadWholeFile(path);
  if (!bytes) {
    document_ = std::make_shared<pugi::xml_document>();
    return false;
  }
  return LoadBytes(*bytes);
}

bool XmlDocument::LoadText(std::u16string_view text) {
  const std::string utf8 = platform::Utf16ToUtf8(text);
  return LoadBytes(std::span(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size()));
}

std::u16string XmlDocument::Text() const {
  std::ostringstream out;
  document_->save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return platform::Utf8ToUtf16(out.str());
}

std::vector<uint8_t> XmlDocument::Utf16FileBytes() const {
  const std::u16string text = Text();
  std::vector<uint8_t> bytes{0xFF, 0xFE};
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

bool XmlDocument::Save(const std::filesystem::path& path) const {
  std::ostringstream out;
  document_->save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
  const std::string text = out.str();
  return platform::WriteFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

XmlNode XmlDocument::Root() const {
  const pugi::xml_node root = document_->document_element();
  return root ? XmlNode(document_, root.internal_object(), nullptr) : XmlNode();
}

XmlNode XmlDocument::CreateRoot(std::string_view name) {
  document_->reset();
  const pugi::xml_node root = document_->append_child(std::string(name).c_str());
  return root ? XmlNode(document_, root.internal_object(), nullptr) : XmlNode();
}

XmlNode XmlDocument::SelectFirst(std::string_view xpath) const { return DocumentNode().SelectFirst(xpath); }

std::vector<XmlNode> XmlDocument::SelectAll(std::string_view xpath) const { return DocumentNode().SelectAll(xpath); }

XmlNode XmlDocument::DocumentNode() const { return XmlNode(document_, document_->internal_object(), nullptr); }

}  // namespace quelt::core
