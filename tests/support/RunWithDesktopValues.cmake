# Runs PROGRAM through WINE_RUN with the GoogleTest filter FILTER while
# values under HKCU\Control Panel\Desktop are set, then puts each back as it
# was (or deletes it); fails as the program does. Such values are read when
# a program starts, so the test runs alone in a program of its own.
# -DWINE_RUN=... -DPROGRAM=... -DFILTER=... -DVALUES=Name:REG_DWORD:2,Name:REG_SZ:text
set(key "HKCU\\Control Panel\\Desktop")
string(REPLACE "," ";" values "${VALUES}")
set(restore)
foreach(value IN LISTS values)
  string(REPLACE ":" ";" fields "${value}")
  list(GET fields 0 name)
  list(GET fields 1 type)
  list(GET fields 2 data)
  execute_process(COMMAND ${WINE_RUN} reg query ${key} /v ${name}
                  RESULT_VARIABLE queried OUTPUT_VARIABLE before ERROR_QUIET)
  if(queried EQUAL 0 AND before MATCHES "${name}[ \t]+REG_DWORD[ \t]+0x([0-9a-fA-F]+)")
    math(EXPR old "0x${CMAKE_MATCH_1}")
    list(APPEND restore "add|${name}|REG_DWORD|${old}")
  elseif(queried EQUAL 0 AND before MATCHES "${name}[ \t]+REG_SZ[ \t]+([^\r\n]*)")
    list(APPEND restore "add|${name}|REG_SZ|${CMAKE_MATCH_1}")
  else()
    list(APPEND restore "delete|${name}")
  endif()
  execute_process(COMMAND ${WINE_RUN} reg add ${key} /v ${name} /t ${type} /d ${data} /f
                  RESULT_VARIABLE set OUTPUT_QUIET ERROR_QUIET)
  if(NOT set EQUAL 0)
    message(FATAL_ERROR "could not set ${name} to ${data}")
  endif()
endforeach()

execute_process(COMMAND ${WINE_RUN} ${PROGRAM} --gtest_brief=1 --gtest_filter=${FILTER} RESULT_VARIABLE result)

foreach(step IN LISTS restore)
  # Each step is "add|name|type|data" or "delete|name" once split.
  string(REPLACE "|" ";" fields "${step}")
  list(GET fields 0 action)
  list(GET fields 1 name)
  if(action STREQUAL "add")
    list(GET fields 2 type)
    list(GET fields 3 data)
    execute_process(COMMAND ${WINE_RUN} reg add ${key} /v ${name} /t ${type} /d ${data} /f OUTPUT_QUIET ERROR_QUIET)
  else()
    execute_process(COMMAND ${WINE_RUN} reg delete ${key} /v ${name} /f OUTPUT_QUIET ERROR_QUIET)
  endif()
endforeach()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} with ${VALUES}: exit ${result}")
endif()
