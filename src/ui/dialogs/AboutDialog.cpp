#include <memory>

#include "core/Application.h"
#include "platform/TextCodec.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/CheckBox.h"
#include "ui/toolkit/FormWindow.h"

namespace quelt::ui {

void OpenAboutDialog(core::Application& application, WindowStack& stack, ScreenSize screen) {
  FormWindow::Open(stack, screen.width, screen.height, DialogStyleOf(application),
                           {.title = application.Text("about"),
                            .okLabel = application.Text("ok"),
                            .ok =
                                [](FormWindow& window) { window.Close(); }},
                           {std::make_shared<FormNote>(u"Quelt Messenger " + platform::AsciiToUtf16(QUELT_VERSION)),
                            std::make_shared<FormNote>(application.Text("all_rights_reserved"))});
}

}  // namespace quelt::ui
