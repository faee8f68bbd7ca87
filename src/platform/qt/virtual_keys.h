#pragma once
// Qt's key events as the grid reports them: Windows virtual-key codes and a
// shift mask (1 Shift, 2 Ctrl, 4 Alt).
#include <QKeyEvent>
#include <cstdint>

namespace tallix::qt {

inline constexpr int16_t kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;

// 0 for a key that has no virtual-key code.
int16_t VirtualKeyCode(int qt_key);
int16_t ShiftMask(Qt::KeyboardModifiers modifiers);

}  // namespace tallix::qt
