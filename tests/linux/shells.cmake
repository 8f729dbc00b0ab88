# The KWin and GNOME providers: the hint from the session's variables on its own, and the
# providers against a real KWin and a real GNOME Shell, each started headless for the test.
find_package(GTest REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(VELK_XCB REQUIRED IMPORTED_TARGET xcb)
add_executable(velk_shell_tests ${CMAKE_CURRENT_LIST_DIR}/shell_providers_test.cpp)
target_link_libraries(velk_shell_tests PRIVATE velk_linux_desktop_shells PkgConfig::VELK_XCB GTest::gtest)

set(VELK_SHELL_SESSION ${CMAKE_CURRENT_LIST_DIR}/shell-session.sh)
add_test(NAME shells.hint COMMAND velk_shell_tests --gtest_filter=ShellHint.*)
add_test(NAME shells.kwin
         COMMAND ${VELK_SHELL_SESSION} kwin $<TARGET_FILE:velk_shell_tests> --gtest_filter=Desktop.*)
add_test(NAME shells.gnome
         COMMAND ${VELK_SHELL_SESSION} gnome
                 ${CMAKE_BINARY_DIR}/share/velk/gnome-shell/velk-windows-gnome43.zip
                 ${CMAKE_CURRENT_LIST_DIR}/gnome-test-extension
                 $<TARGET_FILE:velk_shell_tests> --gtest_filter=Desktop.*)
# The desktops are heavy for two cores: one at a time, and 77 where one is not installed.
set_tests_properties(shells.kwin shells.gnome PROPERTIES RUN_SERIAL TRUE TIMEOUT 240 SKIP_RETURN_CODE 77)
set_tests_properties(shells.hint PROPERTIES ENVIRONMENT DBUS_SESSION_BUS_ADDRESS=disabled:)
add_test(NAME shells.gnome45_module
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/gnome45-module.sh
                 ${CMAKE_BINARY_DIR}/share/velk/gnome-shell/gnome45/velk-windows@velk)
set_tests_properties(shells.gnome45_module PROPERTIES SKIP_RETURN_CODE 77)
