# velk end to end on real desktops (tests/linux/app_test.py).
if(TARGET velk)
  add_test(NAME linux.app COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/app_test.py
                                  $<TARGET_FILE:velk> $<TARGET_FILE:velk_x11_windows>)
  set_tests_properties(linux.app PROPERTIES TIMEOUT 240)
endif()
