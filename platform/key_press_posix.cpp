#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/key_press.h"

namespace {

// The terminal's settings before the wait, for the signal handlers to put
// back, and those of the wait itself, for SIGCONT to put back in turn.
// Written before the handlers are installed, only read afterwards.
int g_tty = -1;
struct termios g_saved_settings;
struct termios g_key_settings;    // one key, unechoed
struct termios g_drain_settings;  // the rest of a multi-byte key, with a timeout
// Which of the two the terminal has now: 0 neither, 1 key, 2 drain.
volatile std::sig_atomic_t g_wait_stage = 0;

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
// stays ignored; the others get the action. previous keeps what each had.
void InstallUnlessIgnored(const int* signals, int count, const struct sigaction& action,
                          struct sigaction* previous) {
  for (int i = 0; i < count; ++i) {
    (void)sigaction(signals[i], nullptr, &previous[i]);
    if (previous[i].sa_handler != SIG_IGN) (void)sigaction(signals[i], &action, nullptr);
  }
}

void RestoreActions(const int* signals, int count, const struct sigaction* previous) {
  for (int i = 0; i < count; ++i) (void)sigaction(signals[i], &previous[i], nullptr);
}

// The others restore the terminal on their way.
void InstallRestoringHandlers() {
  struct sigaction action {};
  action.sa_handler = RestoreAndReraise;
  sigemptyset(&action.sa_mask);
  for (int signal_number : kRestoringSignals) sigaddset(&action.sa_mask, signal_number);
  InstallUnlessIgnored(kRestoringSignals, kRestoringSignalCount, action, g_previous_actions);
}

// Stopping (Ctrl-Z, or a background read or write) hands the terminal back
// as it was, as full-screen programs do; going on puts the wait's settings
// back. Only async-signal-safe calls, and errno kept for the code we
// interrupt.
constexpr int kStoppingSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};
constexpr int kStoppingSignalCount = sizeof(kStoppingSignals) / sizeof(kStoppingSignals[0]);
struct sigaction g_previous_stop_actions[kStoppingSignalCount];
struct sigaction g_previous_continue_action;
struct sigaction g_stop_action;

extern "C" void ResumeWait(int /*signal_number*/) {
  const int saved_errno = errno;
  if (g_wait_stage == 1) (void)tcsetattr(g_tty, TCSANOW, &g_key_settings);
  if (g_wait_stage == 2) (void)tcsetattr(g_tty, TCSANOW, &g_drain_settings);
  errno = saved_errno;
}

extern "C" void RestoreAndStop(int signal_number) {
  const int saved_errno = errno;
  RestoreTerminal();
  struct sigaction stop_by_default {};
  stop_by_default.sa_handler = SIG_DFL;
  sigemptyset(&stop_by_default.sa_mask);
  (void)sigaction(signal_number, &stop_by_default, nullptr);
  // Blocked while this handler runs, the raised signal stops us the moment
  // it is let through; we go on from there once continued.
  (void)raise(signal_number);
  // cppcheck-suppress unreachableCode
  sigset_t this_signal;
  sigemptyset(&this_signal);
  sigaddset(&this_signal, signal_number);
  (void)sigprocmask(SIG_UNBLOCK, &this_signal, nullptr);
  (void)sigaction(signal_number, &g_stop_action, nullptr);
  // An orphaned process group is never stopped, and SIGCONT may have come
  // first: either way the wait goes on in its own settings.
  ResumeWait(signal_number);
  errno = saved_errno;
}

void InstallStoppingHandlers() {
  g_stop_action = {};
  g_stop_action.sa_handler = RestoreAndStop;
  sigemptyset(&g_stop_action.sa_mask);
  // The terminal calls of one handler must not be cut into by another.
  for (int signal_number : kStoppingSignals) sigaddset(&g_stop_action.sa_mask, signal_number);
  sigaddset(&g_stop_action.sa_mask, SIGCONT);
  InstallUnlessIgnored(kStoppingSignals, kStoppingSignalCount, g_stop_action,
                       g_previous_stop_actions);
  struct sigaction resume {};
  resume.sa_handler = ResumeWait;
  resume.sa_mask = g_stop_action.sa_mask;
  (void)sigaction(SIGCONT, &resume, &g_previous_continue_action);
}

void RemoveRestoringHandlers() {
  RestoreActions(kRestoringSignals, kRestoringSignalCount, g_previous_actions);
  RestoreActions(kStoppingSignals, kStoppingSignalCount, g_previous_stop_actions);
  (void)sigaction(SIGCONT, &g_previous_continue_action, nullptr);
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
  g_key_settings = g_saved_settings;
  // One key, unechoed, with Ctrl-C, Ctrl-\\, Ctrl-S and Ctrl-Q counting as keys too.
  g_key_settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  g_key_settings.c_iflag &= ~static_cast<tcflag_t>(IXON);
  g_key_settings.c_cc[VMIN] = 1;
  g_key_settings.c_cc[VTIME] = 0;
  // Keys such as arrows send several bytes at once; the rest is read off so
  // it does not reach the shell, within a tenth of a second.
  g_drain_settings = g_key_settings;
  g_drain_settings.c_cc[VMIN] = 0;
  g_drain_settings.c_cc[VTIME] = 1;
  InstallRestoringHandlers();
  InstallStoppingHandlers();
  // TCSAFLUSH drops what was typed before the results were on the screen (a
  // second Enter after the answers), so only a key pressed now counts.
  g_wait_stage = 1;
  if (tcsetattr(g_tty, TCSAFLUSH, &g_key_settings) == 0 && ReadKeyByte() == 1) {
    g_wait_stage = 2;
    if (tcsetattr(g_tty, TCSANOW, &g_drain_settings) == 0) {
      // A bounded count keeps a held key from holding us here.
      int extra_bytes = 0;
      while (extra_bytes < 16 && ReadKeyByte() == 1) ++extra_bytes;
    }
  }
  g_wait_stage = 0;
  // Whatever else was typed or pasted during the wait is dropped with the
  // settings put back, so the shell does not run it.
  if (tcsetattr(g_tty, TCSAFLUSH, &g_saved_settings) != 0) RestoreTerminal();
  RemoveRestoringHandlers();
  // The shell's prompt starts on a line of its own; standard output keeps
  // its bytes, so the line break goes to the terminal.
  if (write(g_tty, "\n", 1) != 1) {
    // A terminal that is gone needs no line break.
  }
  close(g_tty);
  g_tty = -1;
}

bool StartedInOwnConsole() { return false; }
