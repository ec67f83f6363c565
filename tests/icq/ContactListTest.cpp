#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "icq/ByteWriter.h"
#include "icq/IcqAuthorization.h"
#include "icq/IcqCache.h"
#include "icq/IcqContactList.h"
#include "icq/IcqListAssembly.h"
#include "icq/IcqListCommands.h"
#include "support/TempFolder.h"

namespace quelt::icq {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(std::string_view text) {
  Bytes bytes;
  for (size_t i = 0; i + 1 < text.size(); i += text[i] == ' ' ? 1 : 2) {
    if (text[i] != ' ') bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

Bytes Utf16File(std::u16string_view text) {
  Bytes bytes{0xFF, 0xFE};
  for (char16_t c : text) bytes.insert(bytes.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
  return bytes;
}

IcqContact Contact(std::string uin, uint16_t groupId, uint16_t itemId, std::u16string nickname = {},
                   bool awaiting = false, std::u16string draft = {}) {
  return IcqContact{.uin = std::move(uin),
                    .itemId = itemId,
                    .groupId = groupId,
                    .nickname = std::move(nickname),
                    .awaitingAuthorization = awaiting,
                    .draft = std::move(draft)};
}

IcqListItem Item(std::string name, uint16_t groupId, uint16_t itemId, uint16_t type, std::vector<Tlv> tlvs = {}) {
  return IcqListItem{std::move(name), groupId, itemId, type, TlvChain(std::move(tlvs))};
}

Bytes Part(const std::vector<IcqListItem>& items, std::optional<uint32_t> date) {
  ByteWriter out;
  out.U8(0).U16(static_cast<uint16_t>(items.size()));
  for (const IcqListItem& item : items) item.Serialize(out);
  if (date) out.U32(*date);
  return out.Take();
}

const Tlv kNoNickname{kTlvItemNickname, {}};

TEST(ListPartTest, TwoPartsAreAppliedOnceWithTheLastPartsDate) {
  IcqContactList list;
  list.Reset({.modificationDate = 5, .privacyItemId = 9}, {{1, u"Old"}, {2, u"Work"}},
             {Contact("100", 1, 60, u"Kept"), Contact("200", 2, 61, u"Ann")});
  const Bytes first =
      Part({Item("Work!", 2, 0, kItemGroup), Item("200", 2, 70, kItemContact, {kNoNickname})}, std::nullopt);
  const Bytes second = Part(
      {Item("300", 2, 71, kItemContact,
            {Tlv{kTlvItemAwaitingAuthorization, {}}, Tlv::FromAscii(kTlvItemNickname, "Zoë")}),
       Item("", 0, 0, kItemGroup), Item("", 0, 12, kItemPrivacy, {Tlv{kTlvItemPrivacy, {4, 1}}}), Item("", 0, 13, 2)},
      0x5F000001);
  const auto head = ParseListPart(first, false);
  const auto tail = ParseListPart(second, true);
  ASSERT_TRUE(head && tail);
  EXPECT_FALSE(head->modificationDate);  // its last four bytes are an item's, not a date
  ASSERT_EQ(tail->modificationDate, 0x5F000001u);
  std::vector<IcqListItem> items = head->items;
  items.insert(items.end(), tail->items.begin(), tail->items.end());
  list.Apply(items, *tail->modificationDate);

  EXPECT_EQ(list.State(),
            (IcqListState{.modificationDate = 0x5F000001, .itemCount = 6, .privacyItemId = 12, .privacyValue = 4}));
  EXPECT_EQ(list.Groups(), (std::vector<IcqGroup>{{2, u"Work!"}}));
  EXPECT_EQ(list.Contacts(), (std::vector<IcqContact>{Contact("100", 0, 0, u"Kept"), Contact("200", 2, 70, u"Ann"),
                                                      Contact("300", 2, 71, u"Zoë", true)}));
  list.Apply({Item("", 0, 14, kItemPrivacy, {Tlv{kTlvItemPrivacy, {}}})}, 1);
  EXPECT_EQ(list.State(), (IcqListState{.modificationDate = 1, .itemCount = 1, .privacyItemId = 14}));
}

TEST(ListPartTest, ShortAndTornPartsNeverReadPastTheirBytes) {
  const Bytes whole = Part({Item("1", 1, 50, kItemContact, {kNoNickname}), Item("2", 1, 51, kItemContact)}, 77);
  const size_t n = whole.size();
  using Case = std::tuple<size_t, bool, size_t, std::optional<uint32_t>>;  // size, last, items, date
  for (const auto& [size, last, items, date] : std::vector<Case>{{2, true, 0, std::nullopt},
                                                                 {6, true, 0, std::nullopt},
                                                                 {7, true, 0, 0x00013100},
                                                                 {n - 5, false, 1, std::nullopt},
                                                                 {n - 4, false, 2, std::nullopt},
                                                                 {n, true, 2, 77},
                                                                 {n - 1, true, 1, 0x00000000}}) {
    const auto part = ParseListPart(std::span(whole).first(size), last);
    ASSERT_EQ(part.has_value(), size >= 3) << size;
    if (part) {
      EXPECT_EQ(std::pair(part->items.size(), part->modificationDate), std::pair(items, date)) << size;
    }
  }
}

TEST(ListAssemblyTest, OnlyAWholeListFromOneConnectionWithinTheCapIsTaken) {
  const Bytes head = Part({Item("1", 1, 50, kItemContact)}, std::nullopt);
  const Bytes tail = Part({Item("2", 1, 51, kItemContact)}, 9);
  const Bytes stub = {0, 0};  // too short for the list header
  struct Step {
    uint64_t connection;
    const Bytes& data;
    bool last;
  };
  struct Case {
    const char* name;
    size_t maxItems;
    std::vector<Step> steps;
    std::optional<std::vector<std::string>> names;  // of the list the last step completes
  };
  const Case cases[] = {
      {"two parts", 10, {{1, head, false}, {1, tail, true}}, std::vector<std::string>{"1", "2"}},
      {"a drop half-way", 10, {{1, head, false}, {2, tail, true}}, std::vector<std::string>{"2"}},
      {"a stub for the last part", 10, {{1, head, false}, {1, stub, true}}, std::nullopt},
      {"past the cap", 1, {{1, head, false}, {1, tail, true}}, std::nullopt},
      {"a list after one past the cap",
       1,
       {{1, head, false}, {1, head, false}, {1, tail, true}, {1, tail, true}},
       std::vector<std::string>{"2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IcqListAssembly assembly({.maxItems = c.maxItems});
    std::optional<AssembledList> list;
    for (const Step& step : c.steps) list = assembly.Add(step.connection, step.data, step.last);
    ASSERT_EQ(list.has_value(), c.names.has_value());
    if (!list) continue;
    std::vector<std::string> names;
    for (const IcqListItem& item : list->items) names.push_back(item.name);
    EXPECT_EQ(names, *c.names);
    EXPECT_EQ(list->modificationDate, 9u);
  }
  // The cap counts bytes too: a server cannot pile up parts of empty items without end.
  IcqListAssembly bytes({.maxBytes = 3 * head.size()});
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(bytes.Add(1, head, false));
  EXPECT_FALSE(bytes.Add(1, tail, true));
}

TEST(ContactListTest, NewItemIdTakesTheFirstGapFromFiftyAndSkipsZero) {
  std::vector<IcqContact> crowd = {Contact("1", 1, 50), Contact("2", 1, 51), Contact("3", 1, 53)};
  IcqContactList list;
  list.Reset({}, {}, crowd);
  EXPECT_EQ(list.NewItemId(), 52);
  list.Reset({.privacyItemId = 52}, {}, crowd);
  EXPECT_EQ(list.NewItemId(), 54);
  crowd.clear();
  for (uint32_t id = 50; id <= 0xFFFF; ++id) crowd.push_back(Contact(std::to_string(id), 1, static_cast<uint16_t>(id)));
  list.Reset({}, {}, crowd);
  EXPECT_EQ(list.NewItemId(), 1);  // wrapped past 0xFFFF, and 0 means "no entry"
  for (uint16_t id = 1; id < 50; ++id) crowd.push_back(Contact(std::to_string(id), 1, id));
  list.Reset({}, {}, crowd);
  EXPECT_EQ(list.NewItemId(), 0);
}

TEST(ContactListTest, DraftMarksExpireAcrossTheTickWrap) {
  IcqContactList list;
  list.Reset({}, {}, {Contact("1", 0, 0), Contact("2", 0, 0)});
  EXPECT_FALSE(list.SetDraft("9", u"x", 0));
  ASSERT_TRUE(list.SetDraft("1", u"unsent", 0xFFFFFF00));
  ASSERT_TRUE(list.SetDraft("2", u"", 0xFFFFFF00));
  EXPECT_FALSE(list.Find("2")->draftMarked);
  EXPECT_FALSE(list.ExpireDraftMarks(0x100, 300000));
  EXPECT_TRUE(list.Find("1")->draftMarked);
  EXPECT_TRUE(list.ExpireDraftMarks(0xFFFFFF00u + 300001u, 300000));
  EXPECT_FALSE(list.Find("1")->draftMarked);
  EXPECT_EQ(list.Find("1")->draft, u"unsent");
}

TEST(ContactListTest, ServerListsDraftsAndSavesMayOverlap) {
  test::TempFolder folder;
  IcqContactList list;
  std::vector<IcqListItem> items = {Item("G", 1, 0, kItemGroup)};
  for (uint16_t id = 50; id < 150; ++id) items.push_back(Item(std::to_string(id), 1, id, kItemContact, {kNoNickname}));
  std::thread hub([&] {
    for (uint32_t date = 1; date <= 20; ++date) {
      list.Apply(items, date);
      EXPECT_TRUE(SaveCache(folder.Path(), "42", list));
    }
  });
  for (uint32_t tick = 0; tick < 2000; ++tick) {
    list.SetDraft("99", u"text", tick);
    list.ExpireDraftMarks(tick, 10);
  }
  hub.join();
  IcqContactList loaded;
  LoadCache(folder.Path(), "42", loaded);
  EXPECT_EQ(std::pair(loaded.State().modificationDate, loaded.Contacts().size()), std::pair(20u, size_t{100}));
}

TEST(ListCommandsTest, CommandsAndItemsAreByteExact) {
  const std::vector<std::pair<SnacPtr, std::string_view>> cases = {
      {MakeBeginEdit(), "0013 0011 0000 00000011"},
      {MakeEndEdit(), "0013 0012 0000 00000012"},
      {MakeAddItems({ContactItem(Contact("12345", 2, 52, u"Bob"))}),
       "0013 0008 0000 00000008  0005 3132333435 0002 0034 0000 0007 0131 0003 426F62"},
      {MakeAddItems({ContactItem(Contact("7", 2, 52), true), ContactItem(Contact("8", 0, 53))}),
       "0013 0008 0000 00000008  0001 37 0002 0034 0000 0008 0066 0000 0131 0000"
       "  0001 38 0000 0035 0000 0008 0066 0000 0131 0000"},
      {MakeDeleteItems({ContactItem(Contact("12345", 2, 52, u"Bob", true)), ContactItem(Contact("9", 3, 0, u"é"))}),
       "0013 000A 0000 0000000A  0005 3132333435 0002 0034 0000 000B 0066 0000 0131 0003 426F62"
       "  0001 39 0003 0000 0000 000A 0066 0000 0131 0002 C3A9"},
      {MakeUpdateItems({GroupItem({2, u"Друзья"}, {52, 53}), GroupItem({7, u""}, {})}),
       "0013 0009 0000 00000009  000C D094D180D183D0B7D18CD18F 0002 0000 0001 0008 00C8 0004 0034 0035"
       "  0000 0007 0000 0001 0004 00C8 0000"},
      {MakeUpdateItems({PrivacyItem(0x1234, 3)}), "0013 0009 0000 00000009  0000 0000 1234 0004 0005 00CA 0001 03"},
      {MakeAddBuddy("12345"), "0003 0004 0000 00000004 05 3132333435"},
      {MakeRequestAuthorization("12345"), "0013 0018 0000 00000018 05 3132333435 0000 0000"},
      {MakeAuthorizationReply("12345"), "0013 001A 0000 0000001A 05 3132333435 01 0000"},
  };
  for (const auto& [snac, hex] : cases) {
    ByteWriter wire;
    snac->Serialize(wire);
    EXPECT_EQ(wire.Bytes(), Hex(hex)) << hex;
  }
}

TEST(AuthorizationTest, IncomingCommandsReadOnlyWholeFields) {
  const auto request = ParseAuthorizationRequest(Hex("05 3132333435 0004 C3A96162"));
  EXPECT_EQ(std::pair(request->uin, request->reason), std::pair(std::string("12345"), std::u16string(u"éab")));
  EXPECT_EQ(ParseAuthorizationRequest(Hex("05 3132333435 0005 61"))->reason, u"");
  EXPECT_FALSE(ParseAuthorizationRequest(Hex("05 31323334")));
  EXPECT_FALSE(ParseAuthorizationRequest(Hex("00 0000")));
  EXPECT_TRUE(ParseAuthorizationReply(Hex("01 39 01"))->granted);
  EXPECT_FALSE(ParseAuthorizationReply(Hex("01 39 02"))->granted);
  EXPECT_FALSE(ParseAuthorizationReply(Hex("01 39"))->granted);
  EXPECT_FALSE(ParseAuthorizationReply(Hex("02 39")));
  EXPECT_EQ(ParseYouWereAdded(Hex("03 313233 00")), "123");
  EXPECT_EQ(ParseYouWereAdded(Hex("04 313233")), "");
  EXPECT_EQ(ParseYouWereAdded({}), "");
}

IcqCacheContents SmallList() {
  return {.state = {.modificationDate = 1234, .itemCount = 3},
          .groups = {{2, u"Friends"}, {5, u""}},
          .contacts = {Contact("111", 2, 52, u"Ann \"<&>\" Ли", true, u"see you\nat <8>"), Contact("333", 9, 54),
                       Contact("222", 0, 0)}};
}

TEST(CacheFileTest, TextIsPinnedAndRoundTripsByteForByte) {
  const Bytes bytes = SerializeCache(SmallList());
  EXPECT_EQ(bytes, Utf16File(u"<ContactList ModDate=\"1234\" ItemCount=\"3\"><Group ID=\"2\" Name=\"Friends\">"
                             u"<Contact ID=\"52\" UIN=\"111\" Name=\"Ann &quot;&lt;&amp;>&quot; Ли\" NotAuth=\"1\">"
                             u"<Cache>see you\nat &lt;8&gt;</Cache></Contact></Group><Group ID=\"5\" Name=\"\"/>"
                             u"<Contact ID=\"54\" UIN=\"333\"/><Contact ID=\"0\" UIN=\"222\"/></ContactList>"));
  const auto parsed = ParseCache(bytes);
  ASSERT_TRUE(parsed);
  IcqCacheContents expected = SmallList();
  expected.contacts[1].groupId = 0;  // its group was not in the list
  EXPECT_EQ(parsed->state, expected.state);
  EXPECT_EQ(parsed->groups, expected.groups);
  EXPECT_EQ(parsed->contacts, expected.contacts);
  EXPECT_EQ(SerializeCache(*parsed), bytes);
}

TEST(CacheFileTest, ReadingIsLenientAndHostileValuesStayInert) {
  const auto parsed = ParseCache(Utf16File(
      u"<CONTACTLIST ModDate='7' ItemCount='65536'><group ID='3' HName='0046 006f-006F'>"
      u"<CONTACT UIN='1' HName='0041004200' NotAuth='yes'><cache>draft <b>x</b></cache></CONTACT>"
      u"<Contact ID='50' UIN='1' Name='duplicate'/></group>"
      u"<Group Name='no id'><Contact ID='51' UIN='2' Name='' HName='004a004B'/><Contact UIN='3' Name='&#0;' "
      u"HName='0000004100'/></Group><Group ID='0'/><Group ID='70000'/><Group ID='3' Name='again'/>"
      u"<Group ID='4' Name='&lt;Group ID=&quot;5&quot;/&gt;'/><Other/><Contact ID='-1' UIN='4'/></CONTACTLIST>"));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->state, (IcqListState{.modificationDate = 7}));
  EXPECT_EQ(parsed->groups, (std::vector<IcqGroup>{{3, u"Foo"}, {4, u"<Group ID=\"5\"/>"}}));
  EXPECT_EQ(parsed->contacts,
            (std::vector<IcqContact>{Contact("1", 3, 0, u"AB", false, u"draft x"), Contact("2", 0, 51, u"JK"),
                                     Contact("3", 0, 0, u"A"), Contact("4", 0, 0)}));
}

TEST(CacheFileTest, MissingOrBadCachesLeaveAnEmptyList) {
  std::u16string nested;
  for (int i = 0; i < 100000; ++i) nested += u"<a>";
  const std::vector<std::optional<Bytes>> files = {
      std::nullopt,
      Hex("FFFE"),
      Hex("FFFE 3C00"),
      Utf16File(u"<ContactList><Group ID='1'></ContactList>"),
      Utf16File(u"<Settings ModDate='1'/>"),
      Utf16File(u"<ContactList>" + nested),
      Utf16File(u"<!DOCTYPE c [<!ENTITY a 'aaaa'><!ENTITY b '&a;&a;&a;&a;'>]><ContactList Name='&b;'/>"),
  };
  test::TempFolder folder;
  for (const auto& file : files) {
    SCOPED_TRACE(file ? file->size() : 0);
    IcqContactList list;
    list.Reset({.modificationDate = 99, .itemCount = 4, .privacyItemId = 8}, {{1, u"g"}}, {Contact("5", 1, 50)});
    std::filesystem::remove(CacheFilePath(folder.Path(), "42"));
    if (file) test::WriteFile(CacheFilePath(folder.Path(), "42"), std::string(file->begin(), file->end()));
    LoadCache(folder.Path(), "42", list);
    EXPECT_TRUE(list.Contacts().empty());
    EXPECT_TRUE(list.Groups().empty());
    EXPECT_EQ(list.State(), (IcqListState{.privacyItemId = 8}));
  }
}

TEST(OptionsFileTest, OnlyNonDefaultOptionsAreWrittenAndPresentOnesRead) {
  std::vector<IcqContact> contacts = {Contact("1", 0, 0), Contact("2", 0, 0), Contact("3", 0, 0), Contact("", 0, 0)};
  contacts[1].showStatus = false;
  contacts[1].ansiCodePage = 1251;
  contacts[2].preferUnicode = true;
  contacts[3].showStatus = false;
  EXPECT_EQ(SerializeOptions(contacts), Utf16File(u"<ContactList><Contact UIN=\"2\" ShowStatus=\"0\" AnsiCP=\"1251\"/>"
                                                  u"<Contact UIN=\"3\" PreferUnicode=\"1\"/></ContactList>"));
  std::vector<IcqContact> loaded = {Contact("1", 0, 0), Contact("2", 0, 0), Contact("3", 0, 0), contacts[3]};
  ApplyOptions(SerializeOptions(contacts), loaded);
  EXPECT_EQ(loaded, contacts);

  using Case = std::tuple<std::u16string, bool, int32_t, bool>;  // attributes, show status, code page, Unicode
  for (const auto& [attributes, showStatus, codePage, unicode] :
       std::vector<Case>{{u"ShowStatus='no' PreferUnicode='yes' AnsiCP='-1'", true, -1, true},
                         {u"ShowStatus='0' PreferUnicode='0' AnsiCP='99999999999'", false, -1, false}}) {
    std::vector<IcqContact> one = {Contact("7", 0, 0)};
    ApplyOptions(Utf16File(u"<ContactList><Contact UIN='8' ShowStatus='0'/><Contact UIN='7' " + attributes +
                           u"/></ContactList>"),
                 one);
    EXPECT_EQ(std::tie(one[0].showStatus, one[0].ansiCodePage, one[0].preferUnicode),
              std::tie(showStatus, codePage, unicode));
  }
  std::vector<IcqContact> one = {Contact("7", 0, 0)};
  ApplyOptions(Utf16File(u"<ContactList><Contact UIN='7' ShowStatus='0'>"), one);
  EXPECT_TRUE(one[0].showStatus);  // a file that is not XML changes nothing
}

TEST(CacheFileTest, SaveAndLoadKeepTheListAndAnInterruptedSaveKeepsTheOldFiles) {
  test::TempFolder folder;
  const IcqCacheContents small = SmallList();
  IcqContactList list;
  list.Reset(small.state, small.groups, {small.contacts[0], small.contacts[2]});
  list.Update("222", [](IcqContact& contact) { contact.ansiCodePage = 1251; });
  ASSERT_TRUE(SaveCache(folder.Path(), "42", list));
  const std::string oldCache = test::ReadFile(CacheFilePath(folder.Path(), "42"));
  IcqContactList loaded;
  LoadCache(folder.Path(), "42", loaded);
  EXPECT_EQ(std::pair(loaded.Contacts(), loaded.Groups()), std::pair(list.Contacts(), list.Groups()));

  std::vector<IcqContact> many;
  for (uint16_t id = 50; id < 1050; ++id) many.push_back(Contact(std::to_string(id), 2, id, u"someone"));
  list.Reset(small.state, small.groups, many);
  // A file size limit stands in for a full disk; with SIGXFSZ at its default the process dies
  // part-way through the write, as on a crash.
  for (const bool dies : {false, true}) {
    SCOPED_TRACE(dies ? "process dies" : "write fails");
    const pid_t pid = fork();
    if (pid == 0) {
      signal(SIGXFSZ, dies ? SIG_DFL : SIG_IGN);
      const rlimit limit{8192, 8192};
      setrlimit(RLIMIT_FSIZE, &limit);
      _exit(SaveCache(folder.Path(), "42", list) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(dies ? WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ
                     : WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << status;  // a failed write is reported as a failure
    EXPECT_EQ(test::ReadFile(CacheFilePath(folder.Path(), "42")), oldCache);
    LoadCache(folder.Path(), "42", loaded);
    EXPECT_EQ(loaded.Contacts().size(), 2u);
  }
}

}  // namespace
}  // namespace quelt::icq
