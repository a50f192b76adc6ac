# Writes the man page smproc(1) from the program's --help text where
# help2man is missing: the help text as the description, as it is printed,
# then the sections of the help2man include file.
# usage: cmake -DPROGRAM=smproc -DSUMMARY=text -DINCLUDE=file.h2m -DOUT=smproc.1 -P man_page.cmake
foreach(v PROGRAM SUMMARY INCLUDE OUT)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "man_page.cmake needs -D${v}=...")
  endif()
endforeach()

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE help_status)
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT help_status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed: ${help_status}")
endif()

# Roff text: a backslash is written \e, a minus \- (not a hyphen, so options
# copy as typed), and a line starting with a dot or an apostrophe would be a
# request, so it starts with \& instead.
function(roff_text text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

roff_text("${help}" help)
file(READ ${INCLUDE} extra)
string(REGEX REPLACE "(^|\n)\\[([^]\n]*)\\]" "\\1.SH \\2" extra "${extra}")

file(WRITE ${OUT}
  ".TH SMPROC 1 \"\" \"${version}\" \"User Commands\"\n"
  ".SH NAME\n"
  "smproc \\- ${SUMMARY}\n"
  ".SH DESCRIPTION\n"
  ".nf\n"
  "${help}"
  ".fi\n"
  "${extra}")
