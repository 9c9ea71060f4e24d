# Writes a C++ unit holding the text of files, for refhost/embedded.h.
#
#   cmake -DOUTPUT=<file.cpp> -DBASE=<folder> -DFILES=<a|b|...> -P embed_files.cmake
#
# Each file becomes a raw string literal named by its path relative to BASE.
set(delimiter "orb_embedded")
set(entries "")
string(REPLACE "|" ";" FILES "${FILES}")
list(SORT FILES)
foreach(file IN LISTS FILES)
  file(RELATIVE_PATH name "${BASE}" "${file}")
  file(READ "${file}" text)
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} contains the raw string delimiter ${delimiter}")
  endif()
  string(APPEND entries
         "    {\"${name}\"sv,\n     R\"${delimiter}(${text})${delimiter}\"sv},\n")
endforeach()

set(content "// Generated from refhost/embed_files.cmake; do not edit.
#include \"refhost/embedded.h\"

namespace orb::refhost {

using namespace std::string_view_literals;

const std::vector<EmbeddedFile>& EmbeddedFiles() {
  static const std::vector<EmbeddedFile> files = {
${entries}  };
  return files;
}

}  // namespace orb::refhost
")

# Rewrite only on change so that an unchanged catalog costs no recompilation.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
  if(previous STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
