// Waiting for one key press on the console.
#ifndef UPGRADE_SIM_PLATFORM_KEY_PRESS_H_
#define UPGRADE_SIM_PLATFORM_KEY_PRESS_H_

/// Waits for one key on the console keyboard, not on standard input, without
/// echo and without waiting for Enter; the key is discarded. Returns at once
/// when the process has no console to read a key from.
void WaitForKeyPress();

/// Whether the process is alone on a console that was made for it (a
/// double-clicked program on Windows), which closes when it ends.
bool StartedInOwnConsole();

#endif  // UPGRADE_SIM_PLATFORM_KEY_PRESS_H_
