// The console: answers in from standard input, texts out to standard output.
#ifndef UPGRADE_SIM_PLATFORM_CONSOLE_H_
#define UPGRADE_SIM_PLATFORM_CONSOLE_H_

#include <string_view>

/// Chooses the encoding of every later text from the user's locale, and makes
/// sure no file opened later can stand in for a closed standard input. Call
/// once, first.
void SetUpConsole();

/// Writes a UTF-8 text in the chosen encoding. Returns false once any output
/// has failed (a closed pipe, a full disk).
bool WriteText(std::string_view utf8_text);

/// Makes every later '\n' go out as LF alone, where the platform's text line
/// break would be CR LF (files for other programs, such as CSV).
void UseLfLineBreaks();

/// Writes a UTF-8 text to standard error at once, in the same encoding.
void WriteErrorText(std::string_view utf8_text);

/// Pushes out everything written so far; false once any output has failed.
bool FlushOutput();

/// The next byte of standard input, or -1 at its end (or when it is closed).
int ReadInputByte();

#endif  // UPGRADE_SIM_PLATFORM_CONSOLE_H_
