#include <memory>

#include "core/Application.h"
#include "platform/CaseMapping.h"
#include "platform/TextCodec.h"
#include "resources/LookSet.h"
#include "resources/SetLocator.h"
#include "resources/SmileySet.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/SettingsCopy.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/InfoLine.h"
#include "ui/toolkit/TextField.h"

namespace quelt::ui {

namespace {

using resources::SetKind;

constexpr size_t kNumberLength = 4;

// A choice among the sets of a kind, the current one chosen.
struct SetChoice {
  std::vector<resources::SetFile> files;
  std::shared_ptr<ChoiceBox> box;

  SetChoice(const core::Application& application, SetKind kind, const char* label, const std::u16string& current) {
    files = resources::ListSets(application.Environment().programFolder, kind);
    std::vector<std::u16string> names;
    size_t chosen = 0;
    for (const auto& file : files) {
      if (platform::EqualsIgnoringCase(file.fileName, current)) chosen = names.size();
      names.push_back(file.subfolder + u"/" + file.fileName);
    }
    box = std::make_shared<ChoiceBox>(application.Text(label), std::move(names), chosen);
  }
  [[nodiscard]] std::u16string Chosen(const std::u16string& current) const {
    return files.empty() ? current : files[box->Chosen()].fileName;
  }
};

// A smiley set's description, read without its pictures.
std::u16string DescriptionOf(const core::Application& application, const std::u16string& file) {
  const auto set = resources::SmileySet::Create(application.Environment().programFolder / "Smilies", file, true);
  return set->WaitLoaded() ? set->Table().Description() : u"";
}

std::shared_ptr<InfoLine> Description(const core::Application& application, const SetChoice& choice,
                                      const std::u16string& current) {
  auto line = std::make_shared<InfoLine>(u"", DescriptionOf(application, choice.Chosen(current)));
  choice.box->OnChange([&application, files = choice.files, line](size_t index) {
    if (index < files.size()) line->SetValue(DescriptionOf(application, files[index].fileName));
  });
  return line;
}

// A size field: empty for "not overridden".
std::shared_ptr<TextField> SizeField(const core::Application& application, const char* label, int value, int unset) {
  return std::make_shared<TextField>(application.Text(label),
                                     value == unset ? u"" : platform::AsciiToUtf16(std::to_string(value)),
                                     TextField::Options{.maxLength = kNumberLength});
}

// The typed size, `unset` when empty; none when it is not a number the look can take.
std::optional<int> SizeOf(const TextField& field, int unset) {
  if (field.Text().empty()) return unset;
  const auto number = platform::ParseDecimal<int>(field.Text());
  if (!number || *number < 0 || *number > 200) return std::nullopt;
  return *number;
}

}  // namespace

void OpenSkinDialog(core::Application& application, WindowStack& stack, ScreenSize screen) {
  const core::SettingsValues values = application.GetSettings()->Values();
  auto looks = std::dynamic_pointer_cast<resources::LookSet>(application.Services().look);
  const resources::SkinOverride sizes = looks ? looks->CurrentSkin()->Override() : resources::SkinOverride{};
  auto icons = std::make_shared<SetChoice>(application, SetKind::Icons, "icons", values.iconsSource);
  auto icqSmileys = std::make_shared<SetChoice>(application, SetKind::Smilies, "icq_smilies", values.smileSource);
  auto msnSmileys = std::make_shared<SetChoice>(application, SetKind::Smilies, "msn_smilies", values.msnSmileSource);
  auto skin = std::make_shared<SetChoice>(application, SetKind::Skin, "skin", values.skinSource);
  std::vector<std::shared_ptr<TextField>> fields = {
      SizeField(application, "contact_height", sizes.rowHeight, 0),
      SizeField(application, "contact_font_size", sizes.contactFont.size, 0),
      SizeField(application, "status_font_size", sizes.statusFont.size, 0),
      SizeField(application, "toolbar_height", sizes.toolbarHeight, -1),
      SizeField(application, "chat_font_size", sizes.chatFont.size, 0),
      SizeField(application, "message_area", sizes.entryLines, 0)};
  std::vector<std::shared_ptr<FormControl>> controls = {icons->box,
                                                        icqSmileys->box,
                                                        Description(application, *icqSmileys, values.smileSource),
                                                        msnSmileys->box,
                                                        Description(application, *msnSmileys, values.msnSmileSource),
                                                        skin->box};
  controls.insert(controls.end(), fields.begin(), fields.end());

  FormWindow::Open(
      stack, screen.width, screen.height, DialogStyleOf(application),
      {.title = application.Text("icons_smilies_skin"),
       .okLabel = application.Text("ok"),
       .ok =
           [&application, &stack, screen, looks, icons, icqSmileys, msnSmileys, skin, fields, sizes](FormWindow& window) {
             const int unset[] = {0, 0, 0, -1, 0, 0};
             std::vector<int> typed;
             for (size_t i = 0; i < fields.size(); ++i) {
               const auto size = SizeOf(*fields[i], unset[i]);
               if (!size) {
                 ShowNotice(application, stack, screen,
                            u"Sizes are numbers from 0 to 200, or empty for the skin's own.");
                 return;
               }
               typed.push_back(*size);
             }
             const auto copy = SaveChangedCopy(application, [&](core::SettingsValues& changed) {
               changed.iconsSource = icons->Chosen(changed.iconsSource);
               changed.smileSource = icqSmileys->Chosen(changed.smileSource);
               changed.msnSmileSource = msnSmileys->Chosen(changed.msnSmileSource);
               changed.skinSource = skin->Chosen(changed.skinSource);
             });
             // The new look at once: the chosen skin, then the sizes beside it.
             if (looks) {
               const auto now = copy->Values();
               const auto& folder = application.Environment().programFolder;
               looks->LoadSkin(folder / "Skin", now.skinSource);
               looks->LoadIcons(folder / "Icons", now.iconsSource);
               resources::SkinOverride changed = sizes;
               changed.rowHeight = typed[0];
               changed.contactFont.size = typed[1];
               changed.statusFont.size = typed[2];
               changed.toolbarHeight = typed[3];
               changed.chatFont.size = typed[4];
               changed.entryLines = typed[5];
               if (!looks->ChangeOverride(changed)) {
                 ShowNotice(application, stack, screen, u"The sizes could not be saved beside the skin.");
               }
             }
             window.Close();
           }},
      std::move(controls));
}

}  // namespace quelt::ui
