# One case of a tool's command line:
#   help     --help prints the usage on standard output and exits 0
#   version  --version prints "NAME VERSION" and exits 0
#   bad      each bad invocation exits 2 with nothing on standard output and
#            a message naming the tool on standard error
# -DTOOL=path -DNAME=zentu-... -DCASE=help|version|bad -DVERSION=x.y.z
function(run)
  execute_process(COMMAND ${TOOL} ${ARGN} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(result "${result}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

if(CASE STREQUAL "help")
  run(--help)
  if(NOT result EQUAL 0 OR NOT out MATCHES "^usage: ${NAME} " OR NOT err STREQUAL "")
    message(FATAL_ERROR "--help: exit ${result}, stdout '${out}', stderr '${err}'")
  endif()
elseif(CASE STREQUAL "version")
  run(--version)
  if(NOT result EQUAL 0 OR NOT out STREQUAL "${NAME} ${VERSION}\n")
    message(FATAL_ERROR "--version: exit ${result}, stdout '${out}', expected '${NAME} ${VERSION}'")
  endif()
else()
  # Bad invocations per tool; "" is no argument at all.
  set(bad_zentu-tsinfo "--no-such-option" "one.ts two.ts" "")
  set(bad_zentu-tsgen "--no-such-option" "--seconds 0 -o unused.ts" "--seconds" "--seconds 5")
  set(bad_zentu-aribdecode "--no-such-option" "1B2" "1B24 ZZ" "")
  foreach(arguments IN LISTS bad_${NAME})
    separate_arguments(argv UNIX_COMMAND "${arguments}")
    run(${argv})
    if(NOT result EQUAL 2 OR NOT out STREQUAL "" OR NOT err MATCHES "^${NAME}: ")
      message(FATAL_ERROR "'${arguments}': exit ${result}, stdout '${out}', stderr '${err}'")
    endif()
  endforeach()
endif()
