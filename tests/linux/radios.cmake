# The desktop's radios against python3-dbusmock's daemons on a private bus and a fake
# switch device. Each test starts the bus and the daemons it needs.
if(TARGET velk_linux_radios)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(velk_linux_radios_tests ${CMAKE_CURRENT_LIST_DIR}/radios_test.cpp)
  target_link_libraries(velk_linux_radios_tests PRIVATE velk_linux_radios GTest::gtest GTest::gmock)
  gtest_discover_tests(velk_linux_radios_tests TEST_PREFIX linux.radios. DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 60)
endif()
