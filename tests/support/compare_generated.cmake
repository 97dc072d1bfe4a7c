# SPDX-License-Identifier: GPL-3.0-or-later
# Runs TOOL to write OUTPUT and fails unless OUTPUT equals EXPECTED byte for byte.
# EMULATOR, when given, runs TOOL (Wine for the Windows build); its words are split by |.
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} ${TOOL} ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TOOL} failed: ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED}
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "${EXPECTED} differs from what ${TOOL} draws now")
endif()
