# No tool reports a failure as success: each row runs a tool whose output
# cannot be written (standard output or -o on /dev/full, a full device) or
# whose input cannot be read (a directory), and expects a non-zero exit and
# exactly one line on standard error that names the tool.
# -DTSINFO= -DTSGEN= -DARIBDECODE= -DOVERLAYTEXT= -DWORK=scratch folder
if(NOT EXISTS /dev/full)
  message(FATAL_ERROR "/dev/full is missing: no full device to write to")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/folder")
set(SAMPLE "${WORK}/sample.ts")
execute_process(COMMAND ${TSGEN} --seconds 2 -o ${SAMPLE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "zentu-tsgen could not write the sample: ${result}")
endif()

# tool | standard output: full, or kept | standard input: none, or FOLDER | arguments
set(rows
  "TSINFO|full|none|SAMPLE"
  "TSINFO|full|none|--json SAMPLE"
  "TSINFO|full|none|--help"
  "TSINFO|kept|none|FOLDER"
  "TSINFO|kept|FOLDER|--json -"
  "TSGEN|kept|none|--seconds 1 -o /dev/full"
  "TSGEN|full|none|--seconds 1 -o -"
  "TSGEN|kept|none|--seconds 1 -o FOLDER"
  "TSGEN|full|none|--version"
  "ARIBDECODE|full|none|1B2442 3021"
  "ARIBDECODE|full|none|--help"
  "OVERLAYTEXT|full|none|SAMPLE 0x0400"
  "OVERLAYTEXT|kept|none|FOLDER 0x0400")
set(faults "")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 tool)
  list(GET fields 1 output)
  list(GET fields 2 input)
  list(GET fields 3 arguments)
  string(REPLACE "SAMPLE" "${SAMPLE}" arguments "${arguments}")
  string(REPLACE "FOLDER" "${WORK}/folder" arguments "${arguments}")
  separate_arguments(argv UNIX_COMMAND "${arguments}")
  set(redirect OUTPUT_VARIABLE out)
  if(output STREQUAL "full")
    set(redirect OUTPUT_FILE /dev/full)
  endif()
  if(input STREQUAL "FOLDER")
    list(APPEND redirect INPUT_FILE "${WORK}/folder")
  endif()
  execute_process(COMMAND ${${tool}} ${argv} ${redirect} RESULT_VARIABLE result ERROR_VARIABLE err)
  get_filename_component(name "${${tool}}" NAME)
  if(result EQUAL 0 OR NOT result MATCHES "^[0-9]+$" OR NOT err MATCHES "^${name}: [^\n]+\n$")
    string(APPEND faults "\n  ${name} ${arguments} (stdout ${output}): exit ${result}, stderr '${err}'")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "reported success or failed without one line:${faults}")
endif()
