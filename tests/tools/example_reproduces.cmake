# Regenerates the example records into WORK and compares them byte for byte with
# the committed ones in EXAMPLES.
# cmake -DGENERATOR=... -DEXAMPLES=... -DWORK=... -P example_reproduces.cmake

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${GENERATOR}" "${WORK}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_example failed: ${status}")
endif()

set(failed "")
foreach(ext ns ew ud)
  set(made "${WORK}/tky0070410231756.${ext}")
  set(kept "${EXAMPLES}/tky0070410231756.${ext}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${made}" "${kept}"
                  RESULT_VARIABLE differ)
  if(differ)
    # Name the first line that differs, to tell a changed header from changed counts.
    file(STRINGS "${made}" made_lines)
    file(STRINGS "${kept}" kept_lines)
    list(LENGTH made_lines made_count)
    list(LENGTH kept_lines kept_count)
    set(where "the line ends or the length (${made_count} against ${kept_count} lines)")
    set(line 0)
    foreach(text IN LISTS made_lines)
      if(line LESS kept_count)
        list(GET kept_lines ${line} other)
        if(NOT text STREQUAL other)
          math(EXPR number "${line} + 1")
          set(where "line ${number}: made '${text}', committed '${other}'")
          break()
        endif()
      endif()
      math(EXPR line "${line} + 1")
    endforeach()
    list(APPEND failed "tky0070410231756.${ext} differs at ${where}")
  endif()
endforeach()

if(failed)
  # STATUS keeps the lines as they are; an error message would reflow them.
  foreach(report IN LISTS failed)
    message(STATUS "${report}")
  endforeach()
  message(FATAL_ERROR "The example records are not what make_example writes. "
                      "If the generator was changed on purpose, run: make_example examples")
endif()
message(STATUS "the three example records reproduce byte for byte")
