# The example tables built into the page, as they are in
# examples/CustomSettings/, for the page's API.
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

