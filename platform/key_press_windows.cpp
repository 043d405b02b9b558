#include <conio.h>
#include <windows.h>

#include "platform/key_press.h"

namespace {

// Without a console keyboard (a detached process, CI) there is nobody to
// press a key, and _getch would fail or wait forever: false then. What was
// typed before the results were on the screen (a second Enter after the
// answers) is dropped on the way, so only a key pressed now counts.
bool FlushConsoleKeyboard() {
  HANDLE keyboard =
      CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (keyboard == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  const bool is_console = GetConsoleMode(keyboard, &mode) != 0;
  if (is_console) (void)FlushConsoleInputBuffer(keyboard);
  CloseHandle(keyboard);
  return is_console;
}

}  // namespace

void WaitForKeyPress() {
  if (!FlushConsoleKeyboard()) return;
  // Arrow and function keys arrive as a 0 or 0xE0 prefix and a second code.
  const int key = _getch();
  if (key == 0 || key == 0xE0) (void)_getch();
  // Keys typed after it are not left for the shell, and the shell's prompt
  // starts on a line of its own, without a byte more on standard output.
  (void)FlushConsoleKeyboard();
  (void)_cputs("\r\n");
}

bool StartedInOwnConsole() {
  DWORD processes[2];
  return GetConsoleProcessList(processes, 2) == 1;
}
