# Runs PROGRAM through WINE_RUN with the GoogleTest filter FILTER at DPI dots
# per inch, then puts LogPixels back as it was; fails as the program does.
# -DWINE_RUN=... -DPROGRAM=... -DDPI=... -DFILTER=...
set(key "HKCU\\Control Panel\\Desktop")
execute_process(COMMAND ${WINE_RUN} reg query ${key} /v LogPixels
                RESULT_VARIABLE queried OUTPUT_VARIABLE before ERROR_QUIET)
execute_process(COMMAND ${WINE_RUN} reg add ${key} /v LogPixels /t REG_DWORD /d ${DPI} /f
                RESULT_VARIABLE set OUTPUT_QUIET ERROR_QUIET)
if(NOT set EQUAL 0)
  message(FATAL_ERROR "could not set LogPixels to ${DPI}")
endif()
execute_process(COMMAND ${WINE_RUN} ${PROGRAM} --gtest_brief=1 --gtest_filter=${FILTER} RESULT_VARIABLE result)

if(queried EQUAL 0 AND before MATCHES "LogPixels[ \t]+REG_DWORD[ \t]+0x([0-9a-fA-F]+)")
  math(EXPR old "0x${CMAKE_MATCH_1}")
  execute_process(COMMAND ${WINE_RUN} reg add ${key} /v LogPixels /t REG_DWORD /d ${old} /f OUTPUT_QUIET ERROR_QUIET)
else()
  execute_process(COMMAND ${WINE_RUN} reg delete ${key} /v LogPixels /f OUTPUT_QUIET ERROR_QUIET)
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} at ${DPI} dpi: exit ${result}")
endif()
