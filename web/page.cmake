# The page: the model, the INI reader and the reports compiled to
# WebAssembly, inside one self-contained HTML file with the page's own
# HTML, CSS and JavaScript.

# The example tables built in, as they are in examples/CustomSettings/.
set(example_tables_header ${CMAKE_CURRENT_BINARY_DIR}/generated/web/example_tables.h)
set(example_table_texts "")
foreach(name SuccessProb DestroyProb DowngradeProb)
  file(READ ${CMAKE_CURRENT_SOURCE_DIR}/examples/CustomSettings/${name}.ini text)
  string(APPEND example_table_texts "    R\"ini(${text})ini\",\n")
endforeach()
file(CONFIGURE OUTPUT ${example_tables_header} CONTENT [=[
// The example tables, SuccessProb, DestroyProb and DowngradeProb, made from
// examples/CustomSettings/ at configure time.
#ifndef UPGRADE_SIM_WEB_EXAMPLE_TABLES_H_
#define UPGRADE_SIM_WEB_EXAMPLE_TABLES_H_

#include <string_view>

constexpr std::string_view kExampleTables[3] = {
@example_table_texts@};

#endif  // UPGRADE_SIM_WEB_EXAMPLE_TABLES_H_
]=] @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  examples/CustomSettings/SuccessProb.ini examples/CustomSettings/DestroyProb.ini
  examples/CustomSettings/DowngradeProb.ini)

add_executable(upgrade-sim-page web/web_api.cpp)
target_include_directories(upgrade-sim-page PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(upgrade-sim-page PRIVATE reports platform_files)
set_target_properties(upgrade-sim-page PROPERTIES OUTPUT_NAME upgrade-sim SUFFIX .html)
set(page_shell ${CMAKE_CURRENT_SOURCE_DIR}/web/shell.html)
set_property(TARGET upgrade-sim-page APPEND PROPERTY LINK_DEPENDS ${page_shell})
target_link_options(upgrade-sim-page PRIVATE
  --shell-file ${page_shell}
  -sSINGLE_FILE=1
  -sMINIFY_HTML=0
  -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1
  -sEXPORTED_FUNCTIONS=_malloc,_free
  -sEXPORTED_RUNTIME_METHODS=ccall,HEAPU8)

if(UPGRADE_SIM_TESTS)
  enable_testing()
  # In a real browser (Debian's chromium, headless), against the native
  # programs built by the release preset.
  add_test(NAME page_in_browser
    COMMAND node ${CMAKE_CURRENT_SOURCE_DIR}/tests/web/page_test.mjs
            --page $<TARGET_FILE:upgrade-sim-page> --source ${CMAKE_CURRENT_SOURCE_DIR}
            --out ${CMAKE_CURRENT_BINARY_DIR})
endif()
