# Script mode: turns a Windows resource script (.rc) into a C++ source holding
# each named file's bytes and a table that installs itself before main.
#   cmake -DRC_FILE=intro.rc -DOUTPUT=resources.cpp -P embed_resources.cmake
# Lines understood:  <id or "#id"> <RCDATA | "TYPE" | TYPE> "<file>"
file(STRINGS ${RC_FILE} lines)
get_filename_component(rc_dir ${RC_FILE} DIRECTORY)
set(arrays "")
set(entries "")
set(index 0)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "" OR line MATCHES "^//" OR line MATCHES "^#include")
    continue()
  endif()
  if(NOT line MATCHES "^\"?#?([0-9]+)\"?[ \t]+(\"?[A-Za-z_][A-Za-z0-9_]*\"?)[ \t]+\"([^\"]+)\"$")
    message(FATAL_ERROR "${RC_FILE}: cannot read the line: ${line}")
  endif()
  set(id ${CMAKE_MATCH_1})
  set(type ${CMAKE_MATCH_2})
  set(path ${rc_dir}/${CMAKE_MATCH_3})
  string(REPLACE "\"" "" type_name "${type}")
  if(type_name STREQUAL "RCDATA")
    set(type_fields "10, nullptr")
  else()
    set(type_fields "0, \"${type_name}\"")
  endif()
  file(READ ${path} hex HEX)
  file(SIZE ${path} size)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "alignas(4) const uint8_t resource${index}[] = {\n${bytes}\n};\n")
  string(APPEND entries "    {${id}, ${type_fields}, resource${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from ${RC_FILE} by the build; do not edit.
#include \"platform/win32/resource_table.h\"

namespace {
${arrays}
const ResourceEntry table[] = {
${entries}};

struct Installer {
    Installer() { InstallResourceTable(table, sizeof table / sizeof table[0]); }
};
const Installer installer;

}  // namespace
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
