#pragma once

#include <cstdint>
#include <string>

#include "homeplugin/HomeInterfaces.h"
#include "platform/screen/Geometry.h"

namespace quelt::platform {
class Surface;
}

namespace quelt::home {

// One row of the home screen, as the layout sees it: a plugin the host loaded, a row the host
// draws itself, or a row whose class could not be had. Used on the UI thread only.
class HomeRow {
 public:
  virtual ~HomeRow() = default;

  // Asked at every layout; 0 hides the row.
  [[nodiscard]] virtual int Height() = 0;
  [[nodiscard]] virtual bool Selectable() = 0;
  // The handle the row's plugin passes back to the host; 0 for rows the host draws.
  [[nodiscard]] virtual uint32_t Handle() const { return 0; }

  virtual void OnKey(uint16_t /*key*/) {}
  virtual void OnAction() {}
  virtual void OnDataChanged() {}
  // `area` is the row's rectangle, already filled with the screen's background.
  virtual void Paint(platform::Surface& screen, const platform::Rect& area, bool selected) = 0;
};

}  // namespace quelt::home
