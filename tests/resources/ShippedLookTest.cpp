// The look shipped beside the program: every set loads, and every picture it names decodes.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/screen/Image.h"
#include "resources/IconSet.h"
#include "resources/SetLocator.h"
#include "resources/Skin.h"
#include "resources/SmileySet.h"

namespace quelt::resources {
namespace {

const std::filesystem::path kData = QUELT_DATA_DIR;

void ExpectDecodes(const ImagePtr& image, const std::string& what) {
  ASSERT_TRUE(image) << what << " is not named";
  EXPECT_TRUE(image->Decode()) << image->Path();
  EXPECT_GT(image->Width(), 0) << image->Path();
}

std::vector<std::pair<std::string, ImagePtr>> SkinImages(const SkinData& skin) {
  std::vector<std::pair<std::string, ImagePtr>> images = {{"chatimage", skin.contactList.chatImage},
                                                          {"msgimage", skin.contactList.messageImage},
                                                          {"typingimage", skin.contactList.typingImage},
                                                          {"authimage", skin.contactList.authImage}};
  for (size_t i = 0; i < skin.toolbar.digits.size(); ++i)
    images.emplace_back("b" + std::to_string(i), skin.toolbar.digits[i]);
  for (size_t i = 0; i < kToolbarImageNames.size(); ++i) {
    images.emplace_back(std::string(kToolbarImageNames[i]), skin.toolbar.actions[i]);
  }
  for (size_t i = 0; i < skin.downloads.buttons.size(); ++i) {
    images.emplace_back("downloads/b" + std::to_string(i + 1), skin.downloads.buttons[i]);
  }
  return images;
}

TEST(ShippedLookTest, BothSkinsLoadWithEveryPicture) {
  const auto sets = ListSets(kData, SetKind::Skin);
  for (const std::u16string file : {u"Default.Skin.xml", u"QVGA.Skin.xml"}) {
    SCOPED_TRACE(std::string(file.begin(), file.end()));
    EXPECT_TRUE(std::any_of(sets.begin(), sets.end(), [&](const SetFile& set) { return set.fileName == file; }));
    Skin skin;
    ASSERT_TRUE(skin.Load(kData / "Skin", file));
    EXPECT_NE(skin.Effective().description, u"Default Skin");
    EXPECT_GT(skin.Effective().toolbar.height, 0);
    for (const auto& [name, image] : SkinImages(skin.Effective())) ExpectDecodes(image, name);
    for (const ImagePtr& background :
         {skin.Effective().main.backgroundImage, skin.Effective().contactList.backgroundImage,
          skin.Effective().chat.backgroundImage, skin.Effective().chat.smileyBackgroundImage}) {
      if (background) ExpectDecodes(background, "background");
    }
  }
}

TEST(ShippedLookTest, TheIconSetHasEveryIcon) {
  const auto icons = LoadIconSet(kData / "Icons", u"Default.Icons.xml");
  ASSERT_TRUE(icons);
  for (size_t i = 0; i < kIconNames.size(); ++i) {
    ExpectDecodes(icons->icons[i], std::string(kIconNames[i]));
    if (icons->icons[i]) {
      EXPECT_TRUE(icons->icons[i]->KeyColor()) << kIconNames[i];
    }
  }
}

TEST(ShippedLookTest, SmileySetsAreAnimatedAndKnowTheUsualForms) {
  struct Case {
    std::u16string file;
    std::vector<std::u16string> forms;
  } cases[] = {{u"Default.Smilies.xml", {u":-)", u";-)", u":-D"}}, {u"MSN.Smilies.xml", {u":)", u"(H)", u"(Y)"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file.begin(), c.file.end()));
    const auto set = SmileySet::Create(kData / "Smilies", c.file);
    ASSERT_TRUE(set->WaitLoaded());
    const SmileyTable& table = set->Table();
    EXPECT_GE(table.Smileys().size(), 20u);
    EXPECT_TRUE(table.HasDescriptions());
    for (const auto& form : c.forms) {
      const auto match = set->MatchAt(form, 0);
      ASSERT_TRUE(match) << std::string(form.begin(), form.end());
      EXPECT_EQ(match->length, form.size());
    }
    size_t animated = 0;
    for (const Smiley& smiley : table.Smileys()) {
      ExpectDecodes(smiley.image, std::string(smiley.text.begin(), smiley.text.end()));
      if (!smiley.image || smiley.image->FrameCount() < 2) continue;
      ++animated;
      for (int frame = 0; frame < smiley.image->FrameCount(); ++frame) {
        EXPECT_GE(smiley.image->FrameDelayMs(frame), platform::Image::kMinimumDelayMs);
      }
    }
    EXPECT_GE(animated, 20u);
  }
}

TEST(ShippedLookTest, NotificationSoundsAreWavesTheAudioLayerOpens) {
  for (const char* name : {"Message.wav", "MSN_Message.wav"}) {
    SDL_AudioSpec format{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    ASSERT_NE(SDL_LoadWAV((kData / "Sounds" / name).c_str(), &format, &samples, &length), nullptr) << name;
    EXPECT_GT(length, 1000u) << name;
    SDL_FreeWAV(samples);
  }
}

}  // namespace
}  // namespace quelt::resources
