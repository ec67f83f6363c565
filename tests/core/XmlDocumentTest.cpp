#include "core/XmlDocument.h"

#include <gtest/gtest.h>

#include "platform/TextCodec.h"
#include "support/TempFolder.h"

namespace quelt::core {
namespace {

std::vector<uint8_t> Utf16LeWithMark(std::u16string_view text) {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

constexpr std::u16string_view kScheme =
    u"<home><title>Tag</title><plugin clsid='{A}' name='Clock'/>"
    u"<plugin clsid='{B}' name='Мессенджер' height='25'><oldschema>old.xml</oldschema></plugin></home>";

TEST(XmlDocumentTest, LoadsUtf16WithMarkAndUtf8AndRejectsWhatDoesNotParse) {
  XmlDocument utf16;
  ASSERT_TRUE(utf16.LoadBytes(Utf16LeWithMark(kScheme)));
  XmlDocument utf8;
  const std::string bytes = "\xEF\xBB\xBF" + platform::Utf16ToUtf8(kScheme);
  ASSERT_TRUE(utf8.LoadBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())));
  for (const XmlDocument* document : {&utf16, &utf8}) {
    EXPECT_EQ(document->Root().Name(), "home");
    EXPECT_EQ(document->SelectFirst("/home/plugin[@clsid='{B}']").Attribute("name"), u"Мессенджер");
  }
  XmlDocument broken;
  for (std::string_view text : {"", "<a><b></a>", "just text", "<a>"}) {
    EXPECT_FALSE(broken.LoadBytes(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()))) << text;
    EXPECT_TRUE(broken.Root().IsNull());
  }
  EXPECT_FALSE(broken.LoadFile("/nonexistent/file.xml"));

  // Deep nesting must not exhaust the stack when the text below an element is gathered.
  constexpr int kDepth = 200000;
  std::u16string deep;
  for (int i = 0; i < kDepth; ++i) deep += u"<a>";
  deep += u"x";
  for (int i = 0; i < kDepth; ++i) deep += u"</a>";
  XmlDocument nested;
  ASSERT_TRUE(nested.LoadText(deep));
  EXPECT_EQ(nested.Root().Text(), u"x");
}

TEST(XmlDocumentTest, SelectsByTheXPathSubsetTheProgramUses) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadText(kScheme));
  EXPECT_EQ(document.SelectAll("/home/plugin").size(), 2u);
  EXPECT_EQ(document.SelectAll("/home/plugin")[1].Attribute("height"), u"25");
  EXPECT_EQ(document.SelectFirst("/home/plugin[@clsid=\"{B}\"]/oldschema").Text(), u"old.xml");
  const XmlNode value = document.SelectFirst("/home/plugin[@name='Clock']/@clsid");
  ASSERT_TRUE(value.IsAttribute());
  EXPECT_EQ(value.Text(), u"{A}");
  EXPECT_EQ(document.Root().SelectFirst("plugin[@clsid='{A}']").Attribute("name"), u"Clock");
  // Names and values compare case-sensitively; a malformed or non-node expression selects nothing.
  EXPECT_TRUE(document.SelectFirst("/home/plugin[@clsid='{b}']").IsNull());
  EXPECT_TRUE(document.SelectFirst("/HOME").IsNull());
  for (std::string_view bad : {"/home/plugin[", "count(/home/plugin)", "", "///"}) {
    EXPECT_TRUE(document.SelectAll(bad).empty()) << bad;
    EXPECT_TRUE(document.SelectFirst(bad).IsNull()) << bad;
  }
  EXPECT_FALSE(document.Root().Attribute("missing").has_value());
}

TEST(XmlDocumentTest, EditsAndWritesBack) {
  XmlDocument document;
  XmlNode root = document.CreateRoot("ContactList");
  root.SetAttribute("ModDate", u"7");
  XmlNode last = root.AppendElement("Contact");
  last.SetAttribute("UIN", u"2");
  XmlNode first = root.InsertElementBefore("Contact", last);
  first.SetAttribute("Name", u"A & \"B\" <ü>");
  first.AppendElement("Cache").SetText(u"draft");
  root.AppendElement("Group");
  ASSERT_TRUE(root.RemoveChild(root.SelectFirst("Group")));
  EXPECT_EQ(document.Text(),
            u"<ContactList ModDate=\"7\"><Contact Name=\"A &amp; &quot;B&quot; &lt;ü>\"><Cache>draft</Cache>"
            u"</Contact><Contact UIN=\"2\"/></ContactList>");

  // Replacing an element's text drops its children; an attribute node's value can be set.
  first.SetText(u"plain");
  root.SelectFirst("Contact/@UIN").SetText(u"3");
  test::TempFolder folder;
  ASSERT_TRUE(document.Save(folder / "saved.xml"));
  XmlDocument reloaded;
  ASSERT_TRUE(reloaded.LoadFile(folder / "saved.xml"));
  EXPECT_EQ(reloaded.Root().Children().size(), 2u);
  EXPECT_EQ(reloaded.Root().Children()[0].Text(), u"plain");
  EXPECT_EQ(reloaded.SelectFirst("/ContactList/Contact[2]").Attribute("UIN"), u"3");
  EXPECT_EQ(reloaded.Root().Children()[0].Parent(), reloaded.Root());
}

}  // namespace
}  // namespace quelt::core
