// The built library as the home host meets it: loaded by path, reached through its exports and
// the real ports.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeHomeSite.h"
#include "homeplugin/ComPtr.h"
#include "homeplugin/MemoryStream.h"
#include "homeplugin/StateBlock.h"
#include "platform/Port.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"

namespace quelt::home {
namespace {

using namespace std::chrono_literals;

class Library {
 public:
  explicit Library(const std::filesystem::path& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
  ~Library() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  template <typename Function>
  Function Export(const char* name) const {
    return reinterpret_cast<Function>(dlsym(handle_, name));
  }
  ComPtr<IClassFactory> Factory() const {
    ComPtr<IClassFactory> factory;
    const auto get = Export<DllGetClassObjectFunction>("DllGetClassObject");
    EXPECT_EQ(get(&CLSID_StatusTile, &IID_IClassFactory, factory.Put()), S_OK);
    return factory;
  }
  ComPtr<IHomePlugin> NewRow() const {
    ComPtr<IHomePlugin> plugin;
    EXPECT_EQ(Factory()->CreateInstance(nullptr, IID_IHomePlugin, plugin.Put()), S_OK);
    return plugin;
  }
  Result CanUnload() const { return Export<DllCanUnloadNowFunction>("DllCanUnloadNow")(); }
  [[nodiscard]] bool Loaded() const { return handle_ != nullptr; }

 private:
  void* handle_;
};

// Waits for something another thread or process does.
template <typename Check>
bool Eventually(Check check) {
  for (int i = 0; i < 500; ++i) {
    if (check()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return check();
}

class StatusTileLibraryTest : public ::testing::Test {
 protected:
  test::TempFolder folder_;
  test::ScopedEnv runtime_{"XDG_RUNTIME_DIR", folder_.Path().string()};
  test::ScopedEnv config_{"XDG_CONFIG_HOME", (folder_ / "config").string()};
  Library library_{STATUS_TILE_LIBRARY};
};

TEST_F(StatusTileLibraryTest, ServesOnlyItsClassAndInterfaces) {
  ASSERT_TRUE(library_.Loaded());
  const auto get = library_.Export<DllGetClassObjectFunction>("DllGetClassObject");
  void* out = &out;
  EXPECT_EQ(get(&IID_IHomePlugin, &IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  const auto factory = library_.Factory();
  ASSERT_TRUE(factory);
  EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_IHomePlugin, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IStream, &out), E_NOINTERFACE);

  const auto row = library_.NewRow();
  const auto persist = row.As<IPersistStream>(IID_IPersistStream);
  ASSERT_TRUE(persist);
  Guid classId;
  EXPECT_EQ(persist->GetClassID(&classId), S_OK);
  EXPECT_EQ(classId, CLSID_StatusTile);
  // Both interfaces are one object.
  EXPECT_EQ(persist.As<IUnknown>(IID_IUnknown).Get(), row.As<IUnknown>(IID_IUnknown).Get());
  EXPECT_FALSE(row.As<IUnknown>(IID_IClassFactory));
}

TEST_F(StatusTileLibraryTest, StaysLoadedWhileObjectsOrLocksLive) {
  EXPECT_EQ(library_.CanUnload(), S_OK);
  auto factory = library_.Factory();
  EXPECT_EQ(library_.CanUnload(), S_OK);  // a factory alone does not hold the library
  auto row = library_.NewRow();
  auto second = row;
  EXPECT_EQ(library_.CanUnload(), S_FALSE);
  row.Reset();
  EXPECT_EQ(library_.CanUnload(), S_FALSE);
  second.Reset();
  EXPECT_EQ(library_.CanUnload(), S_OK);
  EXPECT_EQ(factory->LockServer(true), S_OK);
  EXPECT_EQ(library_.CanUnload(), S_FALSE);
  EXPECT_EQ(factory->LockServer(false), S_OK);
  EXPECT_EQ(library_.CanUnload(), S_OK);
}

TEST_F(StatusTileLibraryTest, RegistersItselfAndUnregistersOnce) {
  auto registry = platform::Registry::ForUser();
  const std::string key = "HKCR\\CLSID\\" + GuidText(CLSID_StatusTile);
  ASSERT_EQ(library_.Export<DllRegisterServerFunction>("DllRegisterServer")(), S_OK);
  EXPECT_EQ(registry.GetString(key), "QUELTMsg Plugin");
  EXPECT_EQ(registry.GetString(key + "\\InprocServer32"), std::filesystem::canonical(STATUS_TILE_LIBRARY).string());
  const auto unregister = library_.Export<DllUnregisterServerFunction>("DllUnregisterServer");
  EXPECT_EQ(unregister(), S_OK);
  EXPECT_FALSE(registry.KeyExists(key));
  EXPECT_EQ(unregister(), E_FAIL);
}

// The messenger asks to be heard, sends its state, and the host hears that the row changed.
TEST_F(StatusTileLibraryTest, LoadListensForTheMessengerAndTellsTheHost) {
  std::atomic<int> requests{0};
  std::atomic<int> notices{0};
  auto messenger = platform::PortListener::Listen(kMessengerPortClass, [&](const platform::PortMessage& message) {
    if (message.tag == kStateRequestTag && message.bytes.empty()) ++requests;
    return 1u;
  });
  auto host = platform::PortListener::Listen(kHomeHostPortClass, [&](const platform::PortMessage& message) {
    if (message.tag == kDataChangedTag &&
        std::string(message.bytes.begin(), message.bytes.end()) == GuidText(CLSID_StatusTile)) {
      ++notices;
    }
    return 1u;
  });
  ASSERT_TRUE(messenger && host);

  test::FakeHomeSite site;
  auto row = library_.NewRow();
  ASSERT_EQ(row->SetSite(static_cast<IHomeHost*>(&site)), S_OK);
  pugi::xml_document scheme;
  ASSERT_TRUE(scheme.load_string(R"(<plugin height="30" autoheight="true"/>)"));
  ASSERT_EQ(row->Initialize(1, scheme.child("plugin"), pugi::xml_node()), S_OK);
  EXPECT_FALSE(platform::PortExists(kTileListenerClass));  // only Load starts the listener
  auto stream = MemoryStream::Create();
  auto persist = row.As<IPersistStream>(IID_IPersistStream);
  ASSERT_EQ(persist->Save(stream.Get(), true), S_OK);
  stream->Rewind();
  ASSERT_EQ(persist->Load(stream.Get()), S_OK);
  EXPECT_TRUE(Eventually([&] { return requests == 1; }));

  int32_t height = -1;
  const auto block =
      EncodeStateBlock(ServiceTileState{.enabled = true, .online = 1, .unread = 0, .text = u"x"}, std::nullopt);
  EXPECT_EQ(platform::SendToPort(kTileListenerClass,
                                 {.kind = platform::PortMessageKind::CopyData, .tag = kStateBlockTag, .bytes = block}),
            1u);
  EXPECT_TRUE(Eventually([&] { return notices == 1; }));
  EXPECT_EQ(row->GetHeight(&height), S_OK);
  EXPECT_EQ(height, 30);
  // The last row going stops the listening.
  persist.Reset();
  row.Reset();
  EXPECT_FALSE(platform::PortExists(kTileListenerClass));
}

// Action on the row brings a running messenger forward, and starts the one beside the library
// when none answers.
TEST_F(StatusTileLibraryTest, ActionShowsOrStartsTheMessenger) {
  const auto modules = folder_ / "program";
  std::filesystem::create_directories(modules);
  std::filesystem::copy_file(STATUS_TILE_LIBRARY, modules / "StatusTile.so");
  const auto marker = folder_ / "started";
  test::WriteFile(modules / "QUELTMessenger", "#!/bin/sh\ntouch '" + marker.string() + "'\n");
  std::filesystem::permissions(modules / "QUELTMessenger", std::filesystem::perms::owner_all);
  Library copy(modules / "StatusTile.so");
  test::FakeHomeSite site;
  const auto row = copy.NewRow();
  ASSERT_EQ(row->SetSite(static_cast<IHomeHost*>(&site)), S_OK);
  const HomeEvent action{.number = HomeEventNumber::Action};

  std::atomic<int> activations{0};
  {
    auto messenger = platform::PortListener::Listen(kMessengerPortClass, [&](const platform::PortMessage& message) {
      if (message.kind == platform::PortMessageKind::Activate) ++activations;
      return 1u;
    });
    ASSERT_EQ(row->OnEvent(&action), S_OK);
    EXPECT_EQ(activations, 1);
    EXPECT_FALSE(std::filesystem::exists(marker));
  }
  ASSERT_EQ(row->OnEvent(&action), S_OK);
  EXPECT_TRUE(Eventually([&] { return std::filesystem::exists(marker); }));
  EXPECT_EQ(site.invalidations, 2);
}

}  // namespace
}  // namespace quelt::home
