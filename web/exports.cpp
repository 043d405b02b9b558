// The module's whole WebAssembly boundary: five functions over bytes and
// text. Each answer is a JSON text in memory the caller frees with free().
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "web/page_api.h"

// The worker's own function, called with each stage's JSON text: where it
// is and its length, so that it is read at once, not byte by byte to find
// its end.
EM_JS(void, send_stage, (const char* stage, int size), { self.sendStage(stage, size); });

namespace {

char* Answer(const std::string& json) {
  auto* copy = static_cast<char*>(std::malloc(json.size() + 1));
  if (copy != nullptr) std::memcpy(copy, json.c_str(), json.size() + 1);
  return copy;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char* upgrade_sim_facts() { return Answer(PageFacts()); }

/// size < 0: the file is missing, and every cell is 0. The findings are in
/// the language of the code lang.
EMSCRIPTEN_KEEPALIVE char* upgrade_sim_read_table(int which, const char* bytes, int size,
                                                  const char* lang) {
  const std::string_view text =
      size > 0 ? std::string_view(bytes, static_cast<std::size_t>(size)) : std::string_view();
  return Answer(ReadPageTable(which, text, size >= 0, lang));
}

/// The loaded file's bytes with the edited cells (77 comma-separated numbers)
/// changed in place.
EMSCRIPTEN_KEEPALIVE char* upgrade_sim_edit_table(int which, const char* bytes, int size,
                                                  const char* cells) {
  const std::string_view text =
      size > 0 ? std::string_view(bytes, static_cast<std::size_t>(size)) : std::string_view();
  return Answer(EditPageTable(which, text, cells));
}

EMSCRIPTEN_KEEPALIVE char* upgrade_sim_answer(const char* request) {
  return Answer(AnswerPageRequest(request));
}

/// The answer in stages: each but the last given to the worker's
/// sendStage() as it is ready, the last returned.
EMSCRIPTEN_KEEPALIVE char* upgrade_sim_answer_in_stages(const char* request) {
  const StageSink send = [](const std::string& stage) {
    send_stage(stage.c_str(), static_cast<int>(stage.size()));
  };
  return Answer(AnswerPageRequest(request, &send));
}

}  // extern "C"
