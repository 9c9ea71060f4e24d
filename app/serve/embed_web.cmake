# Writes a C++ unit holding the workbench page's files, for web_server.h.
#
#   cmake -DOUTPUT=<file.cpp> -DFILES=<a|b|...> -P embed_web.cmake
#
# Each file becomes a raw string literal named by its file name.
set(delimiter "orb_web")
set(entries "")
string(REPLACE "|" ";" FILES "${FILES}")
list(SORT FILES)
foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME)
  file(READ "${file}" text)
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} contains the raw string delimiter ${delimiter}")
  endif()
  string(APPEND entries "    {\"${name}\"sv, R\"${delimiter}(${text})${delimiter}\"sv},\n")
endforeach()

set(content "// Generated from app/serve/embed_web.cmake; do not edit.
#include <string_view>
#include <utility>
#include <vector>

namespace orb::serve {

using namespace std::string_view_literals;

const std::vector<std::pair<std::string_view, std::string_view>>& WebFiles() {
  static const std::vector<std::pair<std::string_view, std::string_view>> files = {
${entries}  };
  return files;
}

}  // namespace orb::serve
")

if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
  if(previous STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
