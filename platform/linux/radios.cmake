# The desktop's radios: WiFi through NetworkManager (else rfkill), Bluetooth through BlueZ
# (else rfkill), on Qt's D-Bus module.
find_package(Qt6 QUIET COMPONENTS Core DBus)
if(Qt6_FOUND)
  add_library(velk_linux_radios STATIC
    ${CMAKE_CURRENT_LIST_DIR}/bus_call.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rfkill.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wifi.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bluetooth.cpp
    ${CMAKE_CURRENT_LIST_DIR}/power.cpp
    ${CMAKE_CURRENT_LIST_DIR}/radios.cpp)
  target_link_libraries(velk_linux_radios PUBLIC velk_seam Qt6::Core Qt6::DBus)
else()
  message(STATUS "Qt 6 (Core, DBus) not found: the Linux radios are not built")
endif()
