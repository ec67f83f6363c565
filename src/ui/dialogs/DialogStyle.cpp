#include "ui/dialogs/DialogStyle.h"

#include "resources/LookSet.h"
#include "ui/toolkit/Fonts.h"
#include "ui/toolkit/Look.h"
#include "ui/windows/ApplicationLooks.h"

namespace quelt::ui {

FormStyle DialogStyleOf(const core::Application& application) {
  const auto current = LooksOf(application)->CurrentSkin();
  const auto& skin = current->Effective();
  const Look& look = DefaultLook();
  return {.font = OpenFont(skin.contactList.font),
          .text = look.text,
          .background = skin.main.background.value_or(look.background),
          .field = look.menuBackground,
          .focus = look.rule,
          .greyed = look.menuGreyed};
}

}  // namespace quelt::ui
