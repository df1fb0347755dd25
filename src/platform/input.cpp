#include <SDL.h>

#include "platform/events.h"
#include "platform/pad.h"
#include "platform/window.h"

// Scancodes, not key symbols, so bindings do not move with the keyboard layout.
uint8_t VirtualKeyFromScancode(int sc) {
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return static_cast<uint8_t>(0x41 + (sc - SDL_SCANCODE_A));
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return static_cast<uint8_t>(0x31 + (sc - SDL_SCANCODE_1));
  if (sc == SDL_SCANCODE_0) return 0x30;
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return static_cast<uint8_t>(112 + (sc - SDL_SCANCODE_F1));
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return static_cast<uint8_t>(0x61 + (sc - SDL_SCANCODE_KP_1));
  switch (sc) {
    case SDL_SCANCODE_KP_0: return 0x60;
    case SDL_SCANCODE_ESCAPE: return 27;
    case SDL_SCANCODE_INSERT: return 45;
    case SDL_SCANCODE_DELETE: return 46;
    case SDL_SCANCODE_HOME: return 36;
    case SDL_SCANCODE_END: return 35;
    case SDL_SCANCODE_PAGEUP: return 33;
    case SDL_SCANCODE_PAGEDOWN: return 34;
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_SPACE: return 32;
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_DOWN: return 40;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return 16;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return 17;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return 18;
    case SDL_SCANCODE_PAUSE: return 19;
    case SDL_SCANCODE_CAPSLOCK: return 20;
    case SDL_SCANCODE_SEMICOLON: return 0xBA;
    case SDL_SCANCODE_EQUALS: return 0xBB;
    case SDL_SCANCODE_COMMA: return 0xBC;
    case SDL_SCANCODE_MINUS: return 0xBD;
    case SDL_SCANCODE_PERIOD: return 0xBE;
    case SDL_SCANCODE_SLASH: return 0xBF;
    case SDL_SCANCODE_GRAVE: return 0xC0;
    case SDL_SCANCODE_LEFTBRACKET: return 0xDB;
    case SDL_SCANCODE_BACKSLASH: return 0xDC;
    case SDL_SCANCODE_RIGHTBRACKET: return 0xDD;
    case SDL_SCANCODE_APOSTROPHE: return 0xDE;
    default: return 0;
  }
}

namespace {
// A press whose release came before any frame saw it (a touchpad tap, a fast click): the release
// waits for the next frame, so the tap reads as the button held for one frame.
struct tlatch {
  uint8_t unseen, releaseWaits;
};
tlatch leftLatch = {}, rightLatch = {};
// The same for keys: a jump key tapped between two frames jumps.
tlatch keyLatches[256] = {};
}  // namespace

void MouseButton(bool left, bool down) {
  uint8_t &held = left ? mouseLeftDown : mouseRightDown;
  tlatch &latch = left ? leftLatch : rightLatch;
  if (down) {
    held = 1;
    (left ? mouseLeftPressed : mouseRightPressed) = 1;
    latch.unseen = 1;
    latch.releaseWaits = 0;
  } else if (latch.unseen) {
    latch.releaseWaits = 1;
  } else {
    held = 0;
  }
}

void FrameInputSeen() {
  for (bool left : {true, false}) {
    tlatch &latch = left ? leftLatch : rightLatch;
    if (latch.releaseWaits) (left ? mouseLeftDown : mouseRightDown) = 0;
    latch = {};
  }
  for (int vk = 0; vk < 256; ++vk) {
    if (keyLatches[vk].releaseWaits) keyDown[vk] = 0;
    keyLatches[vk] = {};
  }
}

void MainWindowProc(const SDL_Event &e) {
  if (PadEvent(e)) return;
  switch (e.type) {
    case SDL_QUIT: quitRequested = 1; break;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          quitRequested = 1;
          PostQuitEvent();
          break;
        case SDL_WINDOWEVENT_MINIMIZED: windowActive = 0; break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_MAXIMIZED:
          windowActive = 1;
          redrawRequested = 1;
          break;
        case SDL_WINDOWEVENT_EXPOSED: redrawRequested = 1; break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
          redrawRequested = 1;
          int w = e.window.data1, h = e.window.data2;
          if (SDL_Window *win = SDL_GetWindowFromID(e.window.windowID)) SDL_GL_GetDrawableSize(win, &w, &h);
          ResizeView(w, h);
          break;
        }
        default: break;
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      uint8_t vk = VirtualKeyFromScancode(e.key.keysym.scancode);
      if (!vk) break;
      tlatch &latch = keyLatches[vk];
      if (e.type == SDL_KEYDOWN) {
        keyDown[vk] = keyPressed[vk] = 1;
        latch = {1, 0};
      } else if (latch.unseen) {
        latch.releaseWaits = 1;
      } else {
        keyDown[vk] = 0;
      }
      break;
    }
    case SDL_MOUSEMOTION:
      // The window procedure sees 16-bit unsigned client coordinates.
      mouseX = static_cast<uint16_t>(e.motion.x);
      mouseY = static_cast<uint16_t>(e.motion.y);
      MouseAims();
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_LEFT || e.button.button == SDL_BUTTON_RIGHT)
        MouseButton(e.button.button == SDL_BUTTON_LEFT, e.type == SDL_MOUSEBUTTONDOWN);
      break;
    default: break;
  }
}

tvector PointerOnPlane(double mx, double my) {
  double w = clientWidth, h = clientHeight;
  double k = 5.0 / (w / 2.0);
  return {(mx - w / 2) * k, -(my - h / 2) * k};
}

tframeinput ReadFrameInput(double frameTime, const uint8_t keys[ACTION_COUNT]) {
  tframeinput in{};
  in.frameTime = frameTime;
  for (int i = 0; i < ACTION_COUNT; ++i) {
    const uint16_t bit = static_cast<uint16_t>(1u << i);
    uint8_t held = 0, pressed = 0;
    if (bit == ACTION_FIRE) {
      held = mouseLeftDown, pressed = mouseLeftPressed;
    } else if (bit == ACTION_GRENADE) {
      held = mouseRightDown, pressed = mouseRightPressed;
    } else if (keys[i]) {
      held = keyDown[keys[i]], pressed = keyPressed[keys[i]];
    }
    if (held) in.held |= bit;
    if (pressed) in.pressed |= bit;
  }
  in.pointer = PointerOnPlane(mouseX, mouseY);
  AddPadInput(in);
  for (uint8_t &k : keyPressed) k = 0;
  mouseLeftPressed = mouseRightPressed = 0;
  FrameInputSeen();
  return in;
}
