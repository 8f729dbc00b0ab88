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

# The program's window system over a table filled by the test.
if(TARGET velk_linux_home)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(velk_linux_app_tests ${CMAKE_CURRENT_LIST_DIR}/app_windows_test.cpp)
  target_link_libraries(velk_linux_app_tests PRIVATE velk_linux_home GTest::gtest GTest::gtest_main)
  gtest_discover_tests(velk_linux_app_tests TEST_PREFIX linux.app. DISCOVERY_TIMEOUT 60)
endif()
