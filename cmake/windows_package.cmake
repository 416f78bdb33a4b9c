# The Windows package: `cpack -G ZIP` in the build directory. Beside what the
# install holds (bin/*.exe, the library), it carries the README and both manual
# pages as plain text with CR LF line ends, for readers without man.
find_program(MORVANE_NROFF nroff REQUIRED)
find_program(MORVANE_COL col REQUIRED)

set(text_dir ${PROJECT_BINARY_DIR}/windows-text)
set(texts ${text_dir}/README.txt)
add_custom_command(OUTPUT ${text_dir}/README.txt
                   COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/README.md
                           -DOUTPUT=${text_dir}/README.txt -P ${CMAKE_CURRENT_LIST_DIR}/windows_text.cmake
                   DEPENDS ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_CURRENT_LIST_DIR}/windows_text.cmake)
foreach(page morvane-convert morvane-check)
  add_custom_command(OUTPUT ${text_dir}/${page}.txt
                     COMMAND ${CMAKE_COMMAND} -DMAN_PAGE=ON -DNROFF=${MORVANE_NROFF} -DCOL=${MORVANE_COL}
                             -DINPUT=${PROJECT_SOURCE_DIR}/man/${page}.1
                             -DOUTPUT=${text_dir}/${page}.txt
                             -P ${CMAKE_CURRENT_LIST_DIR}/windows_text.cmake
                     DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}.1 ${CMAKE_CURRENT_LIST_DIR}/windows_text.cmake)
  list(APPEND texts ${text_dir}/${page}.txt)
endforeach()
add_custom_target(morvane_windows_texts ALL DEPENDS ${texts})
install(FILES ${text_dir}/README.txt DESTINATION .)
install(FILES ${text_dir}/morvane-convert.txt ${text_dir}/morvane-check.txt DESTINATION doc)

# Debugging symbols stay in the build tree; the zip gets lean executables.
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR ZIP)
