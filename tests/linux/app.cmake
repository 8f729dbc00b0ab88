# velk end to end on real desktops (tests/linux/app_test.py).
if(TARGET velk)
  add_test(NAME linux.app COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/app_test.py
                                  $<TARGET_FILE:velk> $<TARGET_FILE:velk_x11_windows>)
  set_tests_properties(linux.app PROPERTIES TIMEOUT 240)
endif()

# The installed files: the program, its desktop entry and its icons.
if(TARGET velk_icons)
  add_test(NAME linux.app.install
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/app_install.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR})
endif()
