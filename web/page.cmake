# The page: the module's exported functions over the page's API, compiled
# to WebAssembly, packed into one self-contained HTML file with the page's
# own HTML, CSS and JavaScript.

# The model's arithmetic, the page's hot loop, is compiled for speed (the
# preset's -O2, which the link takes too: six times faster than -Oz), and
# what writes and reads text for size.
foreach(for_size results platform_files page_api)
  target_compile_options(${for_size} PRIVATE -Oz)
endforeach()
# The lives of dear items too, and the journeys of many items destroyed:
# rare plans, and the page within its size.
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/model/budget_lives.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/model/item_slices.cpp
  TARGET_DIRECTORY model PROPERTIES COMPILE_OPTIONS -Oz)

add_executable(upgrade-sim-page web/exports.cpp)
target_link_libraries(upgrade-sim-page PRIVATE page_api)
set_target_properties(upgrade-sim-page PROPERTIES OUTPUT_NAME upgrade-sim-module SUFFIX .js)
target_link_options(upgrade-sim-page PRIVATE
  -sENVIRONMENT=worker
  -sALLOW_MEMORY_GROWTH=1
  -sMALLOC=emmalloc
  -sFILESYSTEM=0
  -sEXPORTED_FUNCTIONS=_malloc,_free
  -sEXPORTED_RUNTIME_METHODS=ccall,HEAPU8,UTF8ToString
  -sINCOMING_MODULE_JS_API=onRuntimeInitialized,instantiateWasm)

# The shell with its stylesheets and scripts (web/page/, one file a job)
# inline, without their indentation and comment lines; then the module in it.
find_program(NODE node REQUIRED)
set(page_shell ${CMAKE_CURRENT_BINARY_DIR}/generated/web/shell.html)
file(GLOB page_parts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/web/page/*.js
     ${CMAKE_CURRENT_SOURCE_DIR}/web/page/*.css)
list(FILTER page_parts EXCLUDE REGEX "worker\\.js$")
add_custom_command(OUTPUT ${page_shell}
  COMMAND ${NODE} ${CMAKE_CURRENT_SOURCE_DIR}/web/compact_shell.mjs
          ${CMAKE_CURRENT_SOURCE_DIR}/web/shell.html ${page_shell}
  DEPENDS web/shell.html web/compact_shell.mjs ${page_parts} VERBATIM)
set(page_file ${CMAKE_CURRENT_BINARY_DIR}/upgrade-sim.html)
add_custom_command(OUTPUT ${page_file}
  COMMAND ${NODE} ${CMAKE_CURRENT_SOURCE_DIR}/web/pack_page.mjs ${page_shell}
          $<TARGET_FILE:upgrade-sim-page>
          $<TARGET_FILE_DIR:upgrade-sim-page>/upgrade-sim-module.wasm
          ${CMAKE_CURRENT_SOURCE_DIR}/web/page/worker.js ${page_file}
  DEPENDS ${page_shell} upgrade-sim-page web/pack_page.mjs web/page/worker.js VERBATIM)
add_custom_target(upgrade-sim-html ALL DEPENDS ${page_file})

if(UPGRADE_SIM_TESTS)
  enable_testing()
  # The browser tests' npm packages, as package-lock.json locks them.
  add_test(NAME page_test_packages
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/npm-packages.sh)
  set_tests_properties(page_test_packages PROPERTIES FIXTURES_SETUP page_packages)
  # The native programs the page is compared with, from the test preset's
  # build, brought up to date: the web preset builds on the test preset,
  # and only the release preset builds on the web one (it packs the page).
  set(native ${CMAKE_CURRENT_SOURCE_DIR}/build/test)
  add_test(NAME page_native_programs
    COMMAND sh -c "cmake --preset test >/dev/null && cmake --build --preset test --target upgrade-sim upgrade-odds >/dev/null"
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  set_tests_properties(page_native_programs PROPERTIES FIXTURES_SETUP page_natives)
  # In a real browser (Debian's chromium, headless), against those programs.
  add_test(NAME page_in_browser
    COMMAND node ${CMAKE_CURRENT_SOURCE_DIR}/tests/web/page_test.mjs
            --page ${page_file} --source ${CMAKE_CURRENT_SOURCE_DIR}
            --out ${CMAKE_CURRENT_BINARY_DIR}
            --upgrade-sim ${native}/upgrade-sim --upgrade-odds ${native}/upgrade-odds)
  set_tests_properties(page_in_browser PROPERTIES FIXTURES_REQUIRED "page_packages;page_natives")
  # The page's own figures against answers the test works out itself.
  add_test(NAME page_figures
    COMMAND node ${CMAKE_CURRENT_SOURCE_DIR}/tests/web/figures_test.mjs
            --page ${page_file} --source ${CMAKE_CURRENT_SOURCE_DIR})
  set_tests_properties(page_figures PROPERTIES FIXTURES_REQUIRED page_packages)
  # Each language's words on the page, and none of another's.
  add_test(NAME page_languages
    COMMAND node ${CMAKE_CURRENT_SOURCE_DIR}/tests/web/language_test.mjs
            --page ${page_file} --source ${CMAKE_CURRENT_SOURCE_DIR}
            --upgrade-odds ${native}/upgrade-odds)
  set_tests_properties(page_languages PROPERTIES FIXTURES_REQUIRED "page_packages;page_natives")
  # Figures at their extremes, against the native upgrade-odds.
  add_test(NAME page_extremes
    COMMAND node ${CMAKE_CURRENT_SOURCE_DIR}/tests/web/extremes_test.mjs
            --page ${page_file} --source ${CMAKE_CURRENT_SOURCE_DIR}
            --upgrade-odds ${native}/upgrade-odds)
  set_tests_properties(page_extremes PROPERTIES FIXTURES_REQUIRED "page_packages;page_natives")
endif()
