#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/key_press.h"

namespace {

// The terminal's settings before the wait, for the signal handler to put
// back. Written before the handlers are installed, only read afterwards.
int g_tty = -1;
struct termios g_saved_settings;

constexpr int kRestoringSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr int kRestoringSignalCount = sizeof(kRestoringSignals) / sizeof(kRestoringSignals[0]);
struct sigaction g_previous_actions[kRestoringSignalCount];

// Nothing better can be done if this fails, in a signal handler least of all.
void RestoreTerminal() { (void)tcsetattr(g_tty, TCSANOW, &g_saved_settings); }

// Puts the terminal back, then lets the signal end the process as it would
// have without us.
extern "C" void RestoreAndReraise(int signal_number) {
  RestoreTerminal();
  (void)std::signal(signal_number, SIG_DFL);
  (void)std::raise(signal_number);
}

// A signal the process was started to ignore (nohup, a background job)
// stays ignored; the others restore the terminal on their way.
void InstallRestoringHandlers() {
  struct sigaction action {};
  action.sa_handler = RestoreAndReraise;
  sigemptyset(&action.sa_mask);
  for (int signal_number : kRestoringSignals) sigaddset(&action.sa_mask, signal_number);
  for (int i = 0; i < kRestoringSignalCount; ++i) {
    (void)sigaction(kRestoringSignals[i], nullptr, &g_previous_actions[i]);
    if (g_previous_actions[i].sa_handler != SIG_IGN)
      (void)sigaction(kRestoringSignals[i], &action, nullptr);
  }
}

void RemoveRestoringHandlers() {
  for (int i = 0; i < kRestoringSignalCount; ++i)
    (void)sigaction(kRestoringSignals[i], &g_previous_actions[i], nullptr);
}

// Returns 1 for a byte, 0 at the end (a hung-up terminal, or a timeout with
// VMIN 0), -1 on error.
int ReadKeyByte() {
  char byte = 0;
  for (;;) {
    const ssize_t got = read(g_tty, &byte, 1);
    if (got >= 0) return static_cast<int>(got);
    if (errno != EINTR) return -1;
  }
}

}  // namespace

void WaitForKeyPress() {
  g_tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (g_tty < 0) return;  // no controlling terminal: nobody to press a key
  if (tcgetattr(g_tty, &g_saved_settings) != 0) {
    close(g_tty);
    return;
  }
  struct termios raw = g_saved_settings;
  // One key, unechoed, with Ctrl-C, Ctrl-\ and Ctrl-S counting as keys too.
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  InstallRestoringHandlers();
  if (tcsetattr(g_tty, TCSANOW, &raw) == 0 && ReadKeyByte() == 1) {
    // Keys such as arrows send several bytes at once; read off the rest so
    // they do not reach the shell. A bounded count keeps a held key from
    // holding us here.
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 1;  // tenths of a second
    if (tcsetattr(g_tty, TCSANOW, &raw) == 0) {
      int extra_bytes = 0;
      while (extra_bytes < 16 && ReadKeyByte() == 1) ++extra_bytes;
    }
  }
  RestoreTerminal();
  RemoveRestoringHandlers();
  close(g_tty);
  g_tty = -1;
}
