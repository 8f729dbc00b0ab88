# The desktop's windows on real desktops: X11 under Xvfb (with openbox, and bare), and
# headless sway.
find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(velk_x11_windows ${CMAKE_CURRENT_LIST_DIR}/support/x11_windows.cpp)
target_link_libraries(velk_x11_windows PRIVATE PkgConfig::VELK_X11)

add_executable(velk_linux_desktop_tests ${CMAKE_CURRENT_LIST_DIR}/table_desktop_windows_test.cpp
                                        ${CMAKE_CURRENT_LIST_DIR}/x11_desktop_test.cpp
                                        ${CMAKE_CURRENT_LIST_DIR}/wlroots_desktop_test.cpp)
target_link_libraries(velk_linux_desktop_tests PRIVATE velk_linux_desktop GTest::gtest GTest::gtest_main)
target_compile_definitions(velk_linux_desktop_tests PRIVATE
                           VELK_X11_WINDOWS="$<TARGET_FILE:velk_x11_windows>")
add_dependencies(velk_linux_desktop_tests velk_x11_windows)
gtest_discover_tests(velk_linux_desktop_tests TEST_PREFIX linux_desktop. DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 120)
