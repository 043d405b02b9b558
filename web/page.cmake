# The page: the module's three exported functions over the page's API,
# compiled to WebAssembly, inside one self-contained HTML file with the
# page's own HTML, CSS and JavaScript.

add_executable(upgrade-sim-page web/exports.cpp)
target_link_libraries(upgrade-sim-page PRIVATE page_api)
set_target_properties(upgrade-sim-page PROPERTIES OUTPUT_NAME upgrade-sim SUFFIX .html)
# The shell without its indentation and comment lines, to keep the file small.
find_program(NODE node REQUIRED)
# Its stylesheets and scripts (web/page/, one file a job) go inline.
set(page_shell ${CMAKE_CURRENT_BINARY_DIR}/generated/web/shell.html)
file(GLOB page_parts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/web/page/*.js
     ${CMAKE_CURRENT_SOURCE_DIR}/web/page/*.css)
add_custom_command(OUTPUT ${page_shell}
  COMMAND ${NODE} ${CMAKE_CURRENT_SOURCE_DIR}/web/compact_shell.mjs
          ${CMAKE_CURRENT_SOURCE_DIR}/web/shell.html ${page_shell}
  DEPENDS web/shell.html web/compact_shell.mjs ${page_parts} VERBATIM)
add_custom_target(page_shell DEPENDS ${page_shell})
add_dependencies(upgrade-sim-page page_shell)
set_property(TARGET upgrade-sim-page APPEND PROPERTY LINK_DEPENDS ${page_shell})
target_link_options(upgrade-sim-page PRIVATE
  --shell-file ${page_shell}
  -sSINGLE_FILE=1
  -sMINIFY_HTML=0
  -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1
  -sMALLOC=emmalloc
  -sFILESYSTEM=0
  -sEXPORTED_FUNCTIONS=_malloc,_free
  -sEXPORTED_RUNTIME_METHODS=ccall,HEAPU8,UTF8ToString
  -sINCOMING_MODULE_JS_API=onRuntimeInitialized)

if(UPGRADE_SIM_TESTS)
  enable_testing()
  # The browser tests' npm packages, as package-lock.json locks them.
  add_test(NAME page_test_packages
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/npm-packages.sh)
  set_tests_properties(page_test_packages PROPERTIES FIXTURES_SETUP page_packages)
  # In a real browser (Debian's chromium, headless), against the native
  # programs built by the release preset.
  add_test(NAME page_in_browser
    COMMAND node ${CMAKE_CURRENT_SOURCE_DIR}/tests/web/page_test.mjs
            --page $<TARGET_FILE:upgrade-sim-page> --source ${CMAKE_CURRENT_SOURCE_DIR}
            --out ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(page_in_browser PROPERTIES FIXTURES_REQUIRED page_packages)
endif()
