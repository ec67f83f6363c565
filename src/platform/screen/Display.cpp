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
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int width = 0;
  int height = 0;
  Uint32 wakeType = 0;
  Uint32 activateType = 0;
  std::atomic<bool> wakePending{false};

  ~State() {
    if (texture != nullptr) SDL_DestroyTexture(texture);
    if (renderer != nullptr) SDL_DestroyRenderer(renderer);
    if (window != nullptr) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
};

Display::Display(std::unique_ptr<State> state) : state_(std::move(state)) {}
Display::~Display() = default;

std::unique_ptr<Display> Display::Open(std::string_view title, int screenWidth, int screenHeight, std::string& error) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return nullptr;
  }
  auto state = std::make_unique<State>();
  state->width = screenWidth;
  state->height = screenHeight;
  const int scale = ScaleFor(screenWidth, screenHeight);
  const std::string titleText(title);
  state->window = SDL_CreateWindow(titleText.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   screenWidth * scale, screenHeight * scale, SDL_WINDOW_HIDDEN);
  if (state->window == nullptr) {
    error = SDL_GetError();
    return nullptr;
  }
  state->renderer = SDL_CreateRenderer(state->window, -1, 0);
  if (state->renderer == nullptr) state->renderer = SDL_CreateRenderer(state->window, -1, SDL_RENDERER_SOFTWARE);
  if (state->renderer == nullptr) {
    error = SDL_GetError();
    return nullptr;
  }
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");  // keep the handset's pixels sharp
  SDL_RenderSetLogicalSize(state->renderer, screenWidth, screenHeight);
  SDL_RenderSetIntegerScale(state->renderer, SDL_TRUE);
  state->texture = SDL_CreateTexture(state->renderer, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING,
                                     screenWidth, screenHeight);
  const Uint32 first = SDL_RegisterEvents(2);
  if (state->texture == nullptr || first == static_cast<Uint32>(-1)) {
    error = SDL_GetError();
    return nullptr;
  }
  state->wakeType = first;
  state->activateType = first + 1;
  Log("display open: %dx%d shown at x%d", screenWidth, screenHeight, scale);
  return std::unique_ptr<Display>(new Display(std::move(state)));
}

void Display::Show() { SDL_ShowWindow(state_->window); }

void Display::Raise() {
  SDL_ShowWindow(state_->window);
  SDL_RestoreWindow(state_->window);
  SDL_RaiseWindow(state_->window);
}

void Display::Present(const Surface& screen) {
  const SDL_Surface* raw = screen.Raw();
  if (raw->w != state_->width || raw->h != state_->height) return;
  SDL_UpdateTexture(state_->texture, nullptr, raw->pixels, raw->pitch);
  SDL_SetRenderDrawColor(state_->renderer, 0, 0, 0, 255);
  SDL_RenderClear(state_->renderer);
  SDL_RenderCopy(state_->renderer, state_->texture, nullptr, nullptr);
  SDL_RenderPresent(state_->renderer);
}

InputEvent Display::WaitInput() {
  SDL_Event event;
  while (true) {
    if (SDL_WaitEvent(&event) == 0) continue;
    if (event.type == state_->wakeType) {
      // Cleared before the drain that follows, so a post made during it wakes us again.
      state_->wakePending.store(false);
      return {.kind = InputEvent::Kind::Wake};
    }
    if (event.type == state_->activateType) return {.kind = InputEvent::Kind::Activate};
    switch (event.type) {
      case SDL_QUIT: return {.kind = InputEvent::Kind::Quit};
      case SDL_KEYDOWN: {
        const Key key = KeyFor(event.key.keysym);
        if (key != Key::None) return {.kind = InputEvent::Kind::Key, .key = key};
        break;
      }
      case SDL_TEXTINPUT: {
        return {.kind = InputEvent::Kind::Text, .text = Utf8ToUtf16(event.text.text)};
      }
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) {
          return {.kind = InputEvent::Kind::Click, .x = event.button.x, .y = event.button.y};
        }
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          return {.kind = InputEvent::Kind::Redraw};
        }
        break;
      default: break;
    }
  }
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
