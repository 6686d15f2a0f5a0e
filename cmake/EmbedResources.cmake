# kulr_embed_resources(<target> FUNCTION <name> FILES <file>...)
#
# Embeds form resources (UTF-8 files in the repository) into <target> as GBK
# bytes. The tool kulr-rc parses and converts every file at build time, so a
# syntax error or a character GBK cannot hold fails the build naming
# file:line:column. The generated source defines `void <name>()`, which
# registers each file under the class name of its top object; the target
# declares and calls it at start-up (registration is explicit, no static
# constructors).
function(kulr_embed_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "FUNCTION" "FILES")
  if(NOT ARG_FUNCTION)
    message(FATAL_ERROR "kulr_embed_resources(${target}): FUNCTION <name> is required")
  endif()
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "kulr_embed_resources(${target}): unexpected arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  set(files "")
  foreach(file IN LISTS ARG_FILES)
    get_filename_component(absolute "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND files "${absolute}")
  endforeach()
  set(output "${CMAKE_CURRENT_BINARY_DIR}/${ARG_FUNCTION}.resources.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND kulr-rc --function ${ARG_FUNCTION} --root "${PROJECT_SOURCE_DIR}" --output "${output}" ${files}
    DEPENDS kulr-rc ${files}
    COMMENT "Embedding resources of ${target} (${ARG_FUNCTION})"
    VERBATIM)
  target_sources(${target} PRIVATE "${output}")
endfunction()
