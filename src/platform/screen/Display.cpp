#include "platform/screen/Display.h"

#include <SDL.h>

#include <algorithm>

#include "platform/Log.h"
#include "platform/TextCodec.h"
#include "platform/screen/Surface.h"

namespace quelt::platform {
namespace {

Key KeyFor(const SDL_Keysym& keysym) {
  const bool shift = (keysym.mod & KMOD_SHIFT) != 0;
  switch (keysym.sym) {
    case SDLK_UP: return Key::Up;
    case SDLK_DOWN: return Key::Down;
    case SDLK_LEFT: return Key::Left;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Key::Action;
    case SDLK_F1: return Key::LeftSoft;
    case SDLK_F2: return Key::RightSoft;
    case SDLK_ESCAPE: return Key::Back;
    case SDLK_BACKSPACE: return Key::Backspace;
    case SDLK_ASTERISK:
    case SDLK_KP_MULTIPLY: return Key::Star;
    case SDLK_HASH:
    case SDLK_KP_HASH: return Key::Hash;
    case SDLK_KP_0: return Key::Digit0;
    case SDLK_KP_1: return Key::Digit1;
    case SDLK_KP_2: return Key::Digit2;
    case SDLK_KP_3: return Key::Digit3;
    case SDLK_KP_4: return Key::Digit4;
    case SDLK_KP_5: return Key::Digit5;
    case SDLK_KP_6: return Key::Digit6;
    case SDLK_KP_7: return Key::Digit7;
    case SDLK_KP_8: return Key::Digit8;
    case SDLK_KP_9: return Key::Digit9;
    default: break;
  }
  if (keysym.sym >= SDLK_0 && keysym.sym <= SDLK_9) {
    // On most layouts "*" and "#" are shifted digits and arrive as such.
    if (shift && keysym.sym == SDLK_8) return Key::Star;
    if (shift && keysym.sym == SDLK_3) return Key::Hash;
    return static_cast<Key>(static_cast<int>(Key::Digit0) + (keysym.sym - SDLK_0));
  }
  return Key::None;
}

// The largest whole factor that keeps the window within most of the desktop.
int ScaleFor(int screenWidth, int screenHeight) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0) return 2;
  const int byWidth = mode.w * 9 / 10 / screenWidth;
  const int byHeight = mode.h * 85 / 100 / screenHeight;
  return std::max(1, std::min(byWidth, byHeight));
}

}  // namespace

struct Display::State {
  SDL_Window* window = nullptr;
  int width = 0;
  int height = 0;
  Uint32 wakeType = 0;
  Uint32 activateType = 0;
  std::atomic<bool> wakePending{false};

  ~State() {
    if (window != nullptr) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
};

Display::Display(std::unique_ptr<State> state) : state_(std::move(state)) {}
Display::~Display() = default;

std::unique_ptr<Display> Display::Open(std::string_view title, int screenWidth, int screenHeight, std::string& error) {
  // The window surface is drawn in software and shown with the window system's own calls: asked
  // for no texture, SDL never loads a 3D stack just to copy pixels to the screen.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return nullptr;
  }
  // Without a display SDL falls back to drivers that show nothing; those only when asked for.
  const char* requested = SDL_getenv("SDL_VIDEODRIVER");
  const char* driver = SDL_GetCurrentVideoDriver();
  const std::string_view current = driver != nullptr ? driver : "";
  if ((requested == nullptr || *requested == '\0') && (current == "offscreen" || current == "dummy")) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    error = "no display";
    return nullptr;
  }
  auto state = std::make_unique<State>();
  state->width = screenWidth;
  state->height = screenHeight;
  const int scale = ScaleFor(screenWidth, screenHeight);
  const std::string titleText(title);
  state->window = SDL_CreateWindow(titleText.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   screenWidth * scale, screenHeight * scale, SDL_WINDOW_HIDDEN);
  const Uint32 first = SDL_RegisterEvents(2);
  if (state->window == nullptr || first == static_cast<Uint32>(-1)) {
    error = SDL_GetError();
    return nullptr;
  }
  state->wakeType = first;
  state->activateType = first + 1;
  Log("display open (%s): %dx%d shown at x%d", driver != nullptr ? driver : "?", screenWidth, screenHeight, scale);
  return std::unique_ptr<Display>(new Display(std::move(state)));
}

void Display::Show() { SDL_ShowWindow(state_->window); }

void Display::Raise() {
  SDL_ShowWindow(state_->window);
  SDL_RestoreWindow(state_->window);
  SDL_RaiseWindow(state_->window);
}

void Display::Present(const Surface& screen) {
  SDL_Surface* raw = screen.Raw();
  if (raw->w != state_->width || raw->h != state_->height) return;
  SDL_Surface* window = SDL_GetWindowSurface(state_->window);
  if (window == nullptr) return;
  // The largest whole factor that fits, centred; what it leaves is black.
  const int scale = std::max(1, std::min(window->w / state_->width, window->h / state_->height));
  const SDL_Rect target{(window->w - state_->width * scale) / 2, (window->h - state_->height * scale) / 2,
                        state_->width * scale, state_->height * scale};
  if (target.x > 0 || target.y > 0) SDL_FillRect(window, nullptr, SDL_MapRGB(window->format, 0, 0, 0));
  SDL_Rect destination = target;
  SDL_BlitScaled(raw, nullptr, window, &destination);
  SDL_UpdateWindowSurface(state_->window);
}

std::optional<InputEvent> Display::WaitInput(uint32_t timeoutMs) {
  SDL_Event event;
  const Uint32 start = SDL_GetTicks();
  while (true) {
    const Uint32 waited = SDL_GetTicks() - start;
    if (timeoutMs != kForever && waited >= timeoutMs) return std::nullopt;
    const int got = timeoutMs == kForever ? SDL_WaitEvent(&event)
                                          : SDL_WaitEventTimeout(&event, static_cast<int>(timeoutMs - waited));
    if (got == 0) {
      if (timeoutMs == kForever) continue;
      return std::nullopt;
    }
    if (event.type == state_->wakeType) {
      // Cleared before the drain that follows, so a post made during it wakes us again.
      state_->wakePending.store(false);
      return InputEvent{.kind = InputEvent::Kind::Wake};
    }
    if (event.type == state_->activateType) return InputEvent{.kind = InputEvent::Kind::Activate};
    switch (event.type) {
      case SDL_QUIT: return InputEvent{.kind = InputEvent::Kind::Quit};
      case SDL_KEYDOWN: {
        const Key key = KeyFor(event.key.keysym);
        if (key != Key::None) return InputEvent{.kind = InputEvent::Kind::Key, .key = key};
        break;
      }
      case SDL_TEXTINPUT: {
        return InputEvent{.kind = InputEvent::Kind::Text, .text = Utf8ToUtf16(event.text.text)};
      }
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) {
          const auto [x, y] = ScreenPoint(event.button.x, event.button.y);
          return InputEvent{.kind = InputEvent::Kind::Click, .x = x, .y = y};
        }
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          return InputEvent{.kind = InputEvent::Kind::Redraw};
        }
        break;
      default: break;
    }
  }
}

std::pair<int, int> Display::ScreenPoint(int windowX, int windowY) const {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(state_->window, &width, &height);
  const int scale = std::max(1, std::min(width / state_->width, height / state_->height));
  return {(windowX - (width - state_->width * scale) / 2) / scale,
          (windowY - (height - state_->height * scale) / 2) / scale};
}

void Display::PostWake() {
  if (state_->wakePending.exchange(true)) return;
  SDL_Event event{};
  event.type = state_->wakeType;
  if (SDL_PushEvent(&event) != 1) state_->wakePending.store(false);
}

void Display::PostActivate() {
  SDL_Event event{};
  event.type = state_->activateType;
  SDL_PushEvent(&event);
}

}  // namespace quelt::platform
