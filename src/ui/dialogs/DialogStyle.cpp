#include "ui/dialogs/DialogStyle.h"

#include "core/Application.h"
#include "resources/LookSet.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/Fonts.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/MessageBox.h"
#include "ui/windows/ApplicationLooks.h"

namespace quelt::ui {

void ShowNotice(const core::Application& application, WindowStack& stack, ScreenSize screen, std::u16string text,
                std::u16string caption) {
  MessageBox::Show(stack, screen.width, screen.height, caption.empty() ? application.Text("error") : std::move(caption),
                   std::move(text), application.Text("ok"), u"", [](MessageBox::Answer) {});
}

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
