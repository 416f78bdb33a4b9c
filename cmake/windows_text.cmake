# Script (cmake -P): writes a text file for Windows readers, with CR LF line
# ends. -DMAN_PAGE=ON renders a manual page to plain text first (nroff, col).
# Expects INPUT and OUTPUT; NROFF and COL with MAN_PAGE.
if(MAN_PAGE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${NROFF} -man -Tascii ${INPUT}
                  COMMAND ${COL} -bx
                  OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot render ${INPUT} (${status})")
  endif()
else()
  file(READ ${INPUT} text)
endif()
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
