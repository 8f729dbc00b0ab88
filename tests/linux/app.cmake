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

# velk itself inside a real KWin and a real GNOME Shell, each started headless; heavy for
# two cores, so one at a time, and 77 where a shell is not installed.
if(TARGET velk)
  set(app_in_shell /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/app_test.py $<TARGET_FILE:velk>
                   $<TARGET_FILE:velk_x11_windows>)
  add_test(NAME linux.app.kwin COMMAND ${CMAKE_CURRENT_LIST_DIR}/shell-session.sh kwin ${app_in_shell})
  add_test(NAME linux.app.gnome
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/shell-session.sh gnome
                   ${CMAKE_BINARY_DIR}/share/velk/gnome-shell/velk-windows-gnome43.zip
                   ${CMAKE_CURRENT_LIST_DIR}/gnome-test-extension ${app_in_shell})
  set_tests_properties(linux.app.kwin linux.app.gnome
                       PROPERTIES RUN_SERIAL TRUE TIMEOUT 300 SKIP_RETURN_CODE 77)
endif()
