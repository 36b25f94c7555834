# Writes a C++ source that holds binary files as byte arrays, each under a resource name.
#   cmake -DOUTPUT=out.cpp "-DRESOURCES=NAME=file;NAME=file" -P embed.cmake
string(REPEAT "0x..," 12 line)
set(arrays "")
set(entries "")
foreach(resource IN LISTS RESOURCES)
  string(REGEX MATCH "^([^=]+)=(.+)$" matched "${resource}")
  set(name "${CMAKE_MATCH_1}")
  file(READ "${CMAKE_MATCH_2}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "constexpr unsigned char k${name}[] = {\n    ${bytes}\n};\n\n")
  string(APPEND entries "        EmbeddedResource{\"${name}\", k${name}},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from resources/embed.cmake; do not edit.
#include <array>

#include \"resources/embeddedresource_p.h\"

namespace resources {
namespace {

${arrays}}  // namespace

std::span<const EmbeddedResource> EmbeddedResources() {
    static constexpr std::array kResources = {
${entries}    };
    return kResources;
}

}  // namespace resources
")
# Only a changed source is written, so an unchanged resource rebuilds nothing.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
