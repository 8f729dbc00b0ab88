# The Qt view of the window model on a desktop of its own (Xvfb, openbox, a private
# session bus, trayer), and the tool the Linux screenshots run.
find_package(GTest REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
include(GoogleTest)

add_executable(velk_view_tests ${CMAKE_CURRENT_LIST_DIR}/view_test.cpp)
target_link_libraries(velk_view_tests PRIVATE velk_linux_view Qt6::Test GTest::gtest)
gtest_discover_tests(velk_view_tests TEST_PREFIX linux_view. DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 120)

add_executable(velk_view_screens ${CMAKE_CURRENT_LIST_DIR}/view_screens.cpp)
target_link_libraries(velk_view_screens PRIVATE velk_linux_view)
