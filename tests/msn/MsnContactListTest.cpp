// The MSN contact model and list, and the list's cache file: names, ordering, lookups, the
// file's exact bytes, round trips and damaged files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "msn/MsnContactList.h"
#include "platform/TextCodec.h"
#include "support/TempFolder.h"

namespace quelt::msn {
namespace {

std::string Utf16File(std::u16string_view text) {
  std::string bytes("\xFF\xFE");
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

MsnContact Contact(std::u16string email, std::u16string friendlyName = {}, int lists = 0) {
  MsnContact contact;
  contact.email = std::move(email);
  contact.friendlyName = std::move(friendlyName);
  contact.lists = lists;
  return contact;
}

std::vector<std::u16string> Emails(const std::vector<MsnContact>& contacts) {
  std::vector<std::u16string> emails;
  for (const MsnContact& contact : contacts) emails.push_back(contact.email);
  return emails;
}

TEST(MsnContactTest, ListNamesAndBits) {
  for (int bit : {kForwardList, kAllowList, kBlockList, kReverseList, kPendingList}) {
    EXPECT_EQ(ListBitOf(platform::AsciiToUtf16(ListName(bit))), bit) << bit;
  }
  EXPECT_EQ(ListBitOf(u"fl"), 0);
  EXPECT_EQ(ListBitOf(u"XL"), 0);
  EXPECT_STREQ(ListName(3), "");
}

TEST(MsnContactTest, DisplayAndLocalNameRules) {
  struct Row {
    const char16_t* friendlyName;
    const char16_t* typed;  // given to SetLocalName
    const char16_t* localName;
    const char16_t* display;
  };
  const Row rows[] = {
      {u"", u"", u"", u"joe@x.com"},
      {u"Joe", u"", u"", u"Joe"},
      {u"Joe", u"Joey", u"Joey", u"Joey"},
      {u"Joe", u"Joe", u"", u"Joe"},
      {u"Joe", u"joe", u"joe", u"joe"},
      // Without a friendly name the e-mail is what the local name is compared with.
      {u"", u"joe@x.com", u"", u"joe@x.com"},
      {u"", u"Joe", u"Joe", u"Joe"},
      // With a friendly name the e-mail is an ordinary local name.
      {u"Joe", u"joe@x.com", u"joe@x.com", u"joe@x.com"},
  };
  for (const Row& row : rows) {
    MsnContact contact = Contact(u"joe@x.com", row.friendlyName);
    contact.localName = u"earlier";
    contact.SetLocalName(row.typed);
    EXPECT_EQ(contact.localName, row.localName) << platform::Utf16ToUtf8(row.typed);
    EXPECT_EQ(contact.DisplayName(), row.display) << platform::Utf16ToUtf8(row.typed);
  }
}

TEST(MsnContactTest, OnlyNonEmptyUnsentTextMarksActivity) {
  MsnContact contact = Contact(u"a@x.com");
  contact.SetUnsentText(u"", 50);
  EXPECT_FALSE(contact.activity);
  contact.SetUnsentText(u"half a sentence", 70);
  EXPECT_TRUE(contact.activity);
  EXPECT_EQ(contact.activityTime, 70u);
  contact.SetUnsentText(u"", 90);
  EXPECT_TRUE(contact.unsentText.empty());
  EXPECT_EQ(contact.activityTime, 70u);
}

TEST(MsnContactListTest, KeepsContactsSortedByCodeUnitsAndIgnoresRepeatedEmails) {
  test::TempFolder folder;
  MsnContactList list(folder / "me.xml");
  for (const char16_t* email : {u"mike@x.com", u"\u00e9lise@x.com", u"Zed@x.com", u"anna@x.com", u"mike@w.com"}) {
    EXPECT_TRUE(list.Add(Contact(email, u"first")));
  }
  EXPECT_FALSE(list.Add(Contact(u"anna@x.com", u"second")));
  EXPECT_FALSE(list.Add(Contact(u"")));
  const std::vector<std::u16string> expected{u"Zed@x.com", u"anna@x.com", u"mike@w.com", u"mike@x.com",
                                             u"\u00e9lise@x.com"};
  EXPECT_EQ(Emails(list.Contacts()), expected);
  EXPECT_EQ(list.FindByEmail(u"anna@x.com")->friendlyName, u"first");
}

TEST(MsnContactListTest, LookupsUpdatesAndRemoval) {
  test::TempFolder folder;
  MsnContactList list(folder / "me.xml");
  MsnContact withGuid = Contact(u"b@x.com", u"Bee", kForwardList);
  withGuid.guid = "0b0b-guid";
  list.Add(withGuid);
  list.Add(Contact(u"a@x.com", u"Ay", kAllowList));
  list.Add(Contact(u"c@x.com", u"Cee", kReverseList));

  EXPECT_EQ(list.FindByEmail(u"b@x.com"), withGuid);
  EXPECT_FALSE(list.FindByEmail(u"B@x.com"));
  EXPECT_FALSE(list.FindByEmail(u"zz@x.com"));  // past the last contact
  EXPECT_EQ(list.FindByGuid("0b0b-guid")->email, u"b@x.com");
  EXPECT_FALSE(list.FindByGuid("0B0B-GUID"));
  // Two contacts have no GUID; an empty one must not name either of them.
  EXPECT_FALSE(list.FindByGuid(""));

  EXPECT_TRUE(list.Update(u"c@x.com", [](MsnContact& contact) {
    contact.lists |= kForwardList;
    contact.email = u"a-moved@x.com";
  }));
  EXPECT_EQ(list.FindByEmail(u"c@x.com")->lists, kReverseList | kForwardList);
  EXPECT_FALSE(list.Update(u"nobody@x.com", [](MsnContact&) {}));
  const size_t changed = list.UpdateAll([](MsnContact& contact) {
    if (!contact.In(kForwardList)) return false;
    contact.status = 2;
    return true;
  });
  EXPECT_EQ(changed, 2u);
  EXPECT_EQ(list.FindByEmail(u"a@x.com")->status, -1);
  EXPECT_EQ(list.FindByEmail(u"c@x.com")->status, 2);

  EXPECT_TRUE(list.Remove(u"b@x.com"));
  EXPECT_FALSE(list.Remove(u"b@x.com"));
  EXPECT_FALSE(list.FindByGuid("0b0b-guid"));
  const std::vector<std::u16string> left{u"a@x.com", u"c@x.com"};
  EXPECT_EQ(Emails(list.Contacts()), left);
  list.AddGroup({u"1", u"Work"});
  list.Clear();
  EXPECT_TRUE(list.Contacts().empty());
  EXPECT_TRUE(list.Groups().empty());
}

MsnListSnapshot SmallList() {
  MsnListSnapshot list;
  list.version1 = u"12";
  list.version2 = u"7";
  list.groups.push_back({u"0", u"Friends"});
  list.groups.push_back({u"2", u"Work \"mates\""});
  MsnContact a = Contact(u"a@x.com", u"a@x.com", kForwardList | kAllowList | kReverseList);
  a.guid = "1111-aaaa";
  a.groups = {u"0", u"2"};
  a.SetLocalName(u"Ay");
  list.contacts.push_back(a);
  MsnContact b = Contact(u"b@x.com", u"Bob & Co", kAllowList);
  b.SetLocalName(u"Bobby");
  b.SetUnsentText(u"see <you>", 1);
  list.contacts.push_back(b);
  MsnContact c = Contact(u"c@x.com");
  c.guid = "g\xE9";
  list.contacts.push_back(c);
  MsnContact d = Contact(u"d@x.com", u"Dee", kReverseList | kPendingList);
  d.localName = u"Dee";
  list.contacts.push_back(d);
  return list;
}

TEST(MsnCacheTest, WritesTheDocumentByteForByteWithoutANameEqualToTheEmail) {
  const std::u16string expected =
      u"<ContactList T1=\"12\" T2=\"7\">"
      u"<Group ID=\"0\" Name=\"Friends\"/>"
      u"<Group ID=\"2\" Name=\"Work &quot;mates&quot;\"/>"
      u"<Contact Account=\"a@x.com\" LocalName=\"Ay\" Guid=\"1111-aaaa\" Listbit=\"11\">"
      u"<Group>0</Group><Group>2</Group></Contact>"
      u"<Contact Account=\"b@x.com\" LocalName=\"Bobby\" Name=\"Bob &amp; Co\" Listbit=\"2\" Cache=\"see &lt;you>\"/>"
      u"<Contact Account=\"c@x.com\" Guid=\"g\u00e9\" Listbit=\"0\"/>"
      u"<Contact Account=\"d@x.com\" Name=\"Dee\" Listbit=\"24\"/>"
      u"</ContactList>";
  EXPECT_EQ(SerializeMsnCache(SmallList()), Bytes(Utf16File(expected)));
  // Read back, the name left out stays empty and the local name still shows.
  const auto parsed = ParseMsnCache(Bytes(Utf16File(expected)));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->contacts.at(0).friendlyName, u"");
  EXPECT_EQ(parsed->contacts.at(0).DisplayName(), u"Ay");

  test::TempFolder folder;
  MsnContactList list(folder / "me.xml");
  const MsnListSnapshot small = SmallList();
  list.SetVersions(small.version1, small.version2);
  for (const MsnGroup& group : small.groups) list.AddGroup(group);
  for (const MsnContact& contact : small.contacts) list.Add(contact);
  ASSERT_TRUE(list.SaveCache());
  EXPECT_EQ(test::ReadFile(folder / "me.xml"), Utf16File(expected));
}

TEST(MsnCacheTest, ASavedListLoadsBackAsItWas) {
  test::TempFolder folder;
  MsnContactList list(folder / "me.xml");
  list.SetVersions(u"20051", u"2005-04-23T18:57:44.8130000-07:00");
  list.AddGroup({u"0", u"\u0414\u0440\u0443\u0437\u044c\u044f"});
  list.AddGroup({u"17", u"<odd> & 'quoted' \"names\""});
  MsnContact emoji = Contact(u"e@x.com", u"\U0001F600 smile", kForwardList | kAllowList);
  emoji.guid = "3f2504e0-4f89-11d3-9a0c-0305e82c3301";
  emoji.groups = {u"0", u"17"};
  emoji.SetLocalName(u"Mr \u00c9");
  list.Add(emoji);
  MsnContact drafted = Contact(u"d@x.com", u"", kBlockList | kReverseList);
  drafted.SetUnsentText(u"line one\nline two\tand a tab ", 5);
  list.Add(drafted);
  list.Add(Contact(u"p@x.com", u"Pending one", kPendingList));
  MsnContact spaced = Contact(u"s@x.com", u"  padded  ", kForwardList);
  spaced.groups = {u"17"};
  list.Add(spaced);
  ASSERT_TRUE(list.SaveCache());

  MsnContactList loaded(folder / "me.xml");
  loaded.LoadCache();
  MsnListSnapshot expected = list.Snapshot();
  MsnListSnapshot actual = loaded.Snapshot();
  ASSERT_EQ(actual.contacts.size(), expected.contacts.size());
  EXPECT_TRUE(actual.contacts[0].activity);  // d@x.com kept its draft
  for (auto* contacts : {&expected.contacts, &actual.contacts}) {
    for (MsnContact& contact : *contacts) {
      contact.activity = false;
      contact.activityTime = 0;
    }
  }
  EXPECT_EQ(actual, expected);
}

struct DamagedFile {
  std::string name;
  std::optional<std::string> bytes;  // nothing: no file at all
  std::vector<std::u16string> emails;
  std::u16string version1 = u"0";
  size_t groups = 0;
};

TEST(MsnCacheTest, DamagedFilesLeaveTheListEmptyOrReadWhatIsThere) {
  const std::u16string huge(300000, u'\u0416');
  std::vector<DamagedFile> cases;
  cases.push_back({"no file", std::nullopt, {}});
  cases.push_back({"empty", "", {}});
  cases.push_back({"just the mark", "\xFF\xFE", {}});
  cases.push_back({"not XML", "this is not a contact list at all", {}});
  cases.push_back(
      {"wrong root", Utf16File(u"<Contacts T1=\"5\" T2=\"6\"><Contact Account=\"a@x.com\"/></Contacts>"), {}});
  cases.push_back({"cut short", Utf16File(u"<ContactList T1=\"5\" T2=\"6\"><Contact Account=\"a@x.com\"/>"), {}});
  cases.push_back({"UTF-8",
                   "<ContactList T1=\"9\" T2=\"9\"><Contact Account=\"u@x.com\" Listbit=\"1\"/></ContactList>",
                   {u"u@x.com"},
                   u"9"});
  cases.push_back({"bare elements",
                   Utf16File(u"<ContactList><Group/><Contact Account=\"a@x.com\"/><Contact Name=\"nobody\"/>"
                             u"<Contact Account=\"\"/></ContactList>"),
                   {u"a@x.com"},
                   u"0",
                   1});
  cases.push_back(
      {"huge values",
       Utf16File(u"<ContactList T1=\"1\" T2=\"1\"><Group ID=\"1\" Name=\"" + huge +
                 u"\"/><Contact Account=\"h@x.com\" Name=\"" + huge + u"\" Cache=\"" + huge + u"\"/></ContactList>"),
       {u"h@x.com"},
       u"1",
       1});
  cases.push_back(
      {"repeated and unordered",
       Utf16File(u"<ContactList T1=\"3\" T2=\"3\"><Contact Account=\"b@x.com\" Name=\"first\"/>"
                 u"<Contact Account=\"a@x.com\"/><Contact Account=\"b@x.com\" Name=\"second\"/></ContactList>"),
       {u"a@x.com", u"b@x.com"},
       u"3"});
  for (const DamagedFile& file : cases) {
    test::TempFolder folder;
    if (file.bytes) test::WriteFile(folder / "me.xml", *file.bytes);
    MsnContactList list(folder / "me.xml");
    list.SetVersions(u"44", u"44");
    list.AddGroup({u"1", u"Old"});
    list.Add(Contact(u"old@x.com"));
    list.LoadCache();
    EXPECT_EQ(Emails(list.Contacts()), file.emails) << file.name;
    EXPECT_EQ(list.Versions().first, file.version1) << file.name;
    EXPECT_EQ(list.Groups().size(), file.groups) << file.name;
  }
}

TEST(MsnCacheTest, ReadsLooseValuesSafely) {
  const auto parsed = ParseMsnCache(Bytes(Utf16File(
      u"<ContactList T1=\"5&#13;&#10;OUT\" T2=\"\">"
      u"<Contact Account=\"a@x.com\" Guid=\"ab cd\" Listbit=\"12x\" LocalName=\"a@x.com\">"
      u"<Group>1,2</Group><Group></Group><Group>,3,</Group></Contact>"
      u"<Contact Account=\"b@x.com\" Name=\"Bee\" LocalName=\"Bee\" Guid=\"\u00e9-1\" Listbit=\"-3\" Cache=\"\"/>"
      u"</ContactList>")));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(std::tie(parsed->version1, parsed->version2), std::tie(u"0", u"0"));
  ASSERT_EQ(parsed->contacts.size(), 2u);
  const MsnContact& a = parsed->contacts[0];
  const std::vector<std::u16string> groups{u"1", u"2", u"3"};
  EXPECT_EQ(std::tie(a.guid, a.lists, a.localName, a.groups), std::make_tuple("", 0, u"", groups));
  const MsnContact& b = parsed->contacts[1];
  EXPECT_EQ(std::tie(b.guid, b.lists, b.localName, b.unsentText), std::make_tuple("\xE9-1", -3, u"", u""));
}

TEST(MsnCacheTest, ASaveReplacesTheEarlierFileWhole) {
  test::TempFolder folder;
  test::WriteFile(folder / "me.xml", std::string(100000, 'x'));
  MsnContactList list(folder / "me.xml");
  for (int i = 0; i < 50; ++i) list.Add(Contact(u"c" + platform::AsciiToUtf16(std::to_string(i)) + u"@x.com"));
  ASSERT_TRUE(list.SaveCache());
  list.Clear();
  list.Add(Contact(u"only@x.com", u"Only"));
  ASSERT_TRUE(list.SaveCache());
  const auto written = Bytes(test::ReadFile(folder / "me.xml"));
  EXPECT_EQ(written, SerializeMsnCache(list.Snapshot()));
  MsnContactList loaded(folder / "me.xml");
  loaded.LoadCache();
  EXPECT_EQ(loaded.Snapshot(), list.Snapshot());
}

}  // namespace
}  // namespace quelt::msn
