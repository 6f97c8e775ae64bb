# The user's guide of one platform, written at build time from data/guide/guide.html by
# make_guide.py into OUTPUT_DIR (index.html, and on Windows the Using help section as a page of
# its own, named by the section Help > Using help opens: guide::kUsingSection in events.h).
function(plinkett_add_guide platform output_dir)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(source ${PROJECT_SOURCE_DIR}/data/guide/guide.html)
  set(script ${PROJECT_SOURCE_DIR}/data/guide/make_guide.py)
  set(outputs ${output_dir}/index.html)
  set(own_pages)
  if(platform STREQUAL "windows")
    file(STRINGS ${PROJECT_SOURCE_DIR}/src/platform/events.h using_line REGEX "kUsingSection = \"[a-z-]+\"")
    string(REGEX MATCH "\"([a-z-]+)\"" using_quoted "${using_line}")
    list(APPEND own_pages --own-page ${CMAKE_MATCH_1})
    list(APPEND outputs ${output_dir}/${CMAKE_MATCH_1}.html)
  endif()
  add_custom_command(OUTPUT ${outputs}
    COMMAND Python3::Interpreter ${script} ${source} ${platform} ${output_dir} ${own_pages}
    DEPENDS ${source} ${script} ${PROJECT_SOURCE_DIR}/src/platform/events.h VERBATIM)
  add_custom_target(plinkett_guide ALL DEPENDS ${outputs})
endfunction()
