#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/console.h"

namespace {

// Where the terminal's codeset is not UTF-8 but holds every text, the texts
// are converted to it; everywhere else (UTF-8, the C locale, a codeset
// without Cyrillic) they go out as UTF-8.
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);  // NOLINT: iconv's own error value
iconv_t g_converter = kNoConverter;
bool g_output_failed = false;

// Texts wait here until a flush, so that a run makes a few writes, not one
// per line.
char g_output[8192];
std::size_t g_output_length = 0;

// Answers come in through our own buffer too, as stdio would read them: a
// line at a time from a terminal, a block at a time from a pipe or file.
char g_input[4096];
std::size_t g_input_length = 0;
std::size_t g_input_next = 0;
bool g_input_ended = false;  // as with stdio, the end stays the end

// Every character beyond ASCII that the texts use is a Russian letter.
constexpr const char* kEveryRussianLetter =
    "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя";

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  text.remove_prefix(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const char c = text[i];
    if (((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c) != suffix[i]) return false;
  }
  return true;
}

// The name of the locale for character types, as setlocale(LC_CTYPE, "")
// would choose it from the environment.
std::string_view CtypeLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

bool EndsInUtf8(std::string_view name) {
  return EndsWithIgnoringCase(name, "utf-8") || EndsWithIgnoringCase(name, "utf8");
}

// Loading a locale costs more than all the rest of a run; a name that says
// UTF-8 or C already tells what it would give.
bool NameMeansUtf8Output(std::string_view name) {
  name = name.substr(0, name.find('@'));
  return name == "C" || name == "POSIX" || EndsInUtf8(name);
}

// Returns false when the text cannot be converted whole; the caller then
// writes the UTF-8 bytes rather than lose the text.
bool Convert(std::string_view utf8_text, std::string* out) {
  out->resize(utf8_text.size() * 4 + 16);  // room for any codeset's longest form
  char* in_ptr = const_cast<char*>(utf8_text.data());
  std::size_t in_left = utf8_text.size();
  char* out_ptr = out->data();
  std::size_t out_left = out->size();
  iconv(g_converter, nullptr, nullptr, nullptr, nullptr);
  if (iconv(g_converter, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) ||
      iconv(g_converter, nullptr, nullptr, &out_ptr, &out_left) == static_cast<std::size_t>(-1))
    return false;
  out->resize(out->size() - out_left);
  return true;
}

// A converter that cannot take every Russian letter whole is no use: all
// texts then go out as UTF-8. Other characters a codeset lacks (KOI8-R has
// no guillemets) are written as their nearest ASCII.
void ChooseConverter(const char* codeset) {
  g_converter = iconv_open(codeset, "UTF-8");
  if (g_converter == kNoConverter) return;
  std::string converted;
  const bool takes_every_letter = Convert(kEveryRussianLetter, &converted);
  iconv_close(g_converter);
  g_converter = kNoConverter;
  if (takes_every_letter)
    g_converter = iconv_open((std::string(codeset) + "//TRANSLIT").c_str(), "UTF-8");
}

// The text in the chosen encoding; storage holds it when it is converted.
std::string_view InOutputEncoding(std::string_view utf8_text, std::string* storage) {
  if (g_converter != kNoConverter && Convert(utf8_text, storage)) return *storage;
  return utf8_text;
}

// Straight to the descriptor: nothing else writes standard output, and the
// texts already wait in our own buffer.
bool WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool WriteBytes(const char* bytes, std::size_t size) {
  if (!g_output_failed && !WriteAll(STDOUT_FILENO, bytes, size)) g_output_failed = true;
  return !g_output_failed;
}

bool WriteBuffered() {
  const bool written = WriteBytes(g_output, g_output_length);
  g_output_length = 0;
  return written;
}

bool BufferBytes(std::string_view bytes) {
  if (g_output_length + bytes.size() > sizeof g_output && !WriteBuffered()) return false;
  if (bytes.size() > sizeof g_output) return WriteBytes(bytes.data(), bytes.size());
  std::memcpy(g_output + g_output_length, bytes.data(), bytes.size());
  g_output_length += bytes.size();
  return !g_output_failed;
}

}  // namespace

void SetUpConsole() {
  // With descriptor 0 closed, the next file opened would become standard
  // input; an empty one in its place reads as the end of the answers.
  if (fcntl(STDIN_FILENO, F_GETFD) == -1 && errno == EBADF) {
    const int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd > STDIN_FILENO) close(null_fd);
  }
  // A closed pipe on standard output then shows as a failed write, which
  // ends the run, instead of killing the process outright.
  (void)std::signal(SIGPIPE, SIG_IGN);
  if (NameMeansUtf8Output(CtypeLocaleName())) return;
  if (std::setlocale(LC_CTYPE, "") == nullptr) return;
  const char* codeset = nl_langinfo(CODESET);
  const std::string_view name = codeset;
  if (name == "ANSI_X3.4-1968" || EndsInUtf8(name)) return;
  ChooseConverter(codeset);
}

bool WriteText(std::string_view utf8_text) {
  if (g_converter == kNoConverter) return BufferBytes(utf8_text);
  std::string converted;
  return BufferBytes(InOutputEncoding(utf8_text, &converted));
}

void UseLfLineBreaks() {}  // LF is the text line break here

void WriteErrorText(std::string_view utf8_text) {
  std::string converted;
  const std::string_view bytes = InOutputEncoding(utf8_text, &converted);
  (void)WriteAll(STDERR_FILENO, bytes.data(), bytes.size());
}

bool FlushOutput() { return WriteBuffered(); }

int ReadInputByte() {
  while (g_input_next == g_input_length) {
    if (g_input_ended) return -1;
    const ssize_t got = read(STDIN_FILENO, g_input, sizeof g_input);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      g_input_ended = true;  // the end, or an error that ends the answers
      return -1;
    }
    g_input_length = static_cast<std::size_t>(got);
    g_input_next = 0;
  }
  return static_cast<unsigned char>(g_input[g_input_next++]);
}
