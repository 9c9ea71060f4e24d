# Writes a C++ unit holding the text of files as a list of refhost/embedded.h's
# EmbeddedFile, returned by the function FUNCTION of namespace NAMESPACE.
#
#   cmake -DOUTPUT=<file.cpp> -DBASE=<folder> -DFILES=<a|b|...>
#         -DNAMESPACE=<orb::refhost> -DFUNCTION=<EmbeddedFiles> -P embed_files.cmake
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

set(content "// Generated from cmake/embed_files.cmake; do not edit.
#include \"refhost/embedded.h\"

namespace ${NAMESPACE} {

using namespace std::string_view_literals;

const std::vector<orb::refhost::EmbeddedFile>& ${FUNCTION}() {
  static const std::vector<orb::refhost::EmbeddedFile> files = {
${entries}  };
  return files;
}

}  // namespace ${NAMESPACE}
")

# Rewrite only on change so that an unchanged catalog costs no recompilation.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
  if(previous STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
